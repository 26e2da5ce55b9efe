// A table component inside a list panel: columns of given relative widths,
// each with a face colour pair and a text colour, and a ring of row slots
// showing consecutive rows of a list source. Scrolling turns the ring, so
// only the slots whose row changed are laid out again; a fraction of a row
// scrolled is kept as the remainder and applied when drawing, the partly
// visible rows clipped to the display.
//
// A display without a source has one row whose cells are the NUL-separated
// strings of its text (a title row, column headers, a footer).
//
// Coordinates are the panel's: x right, y up, the display's top-left corner
// at its offset; rows run downwards from y = 0.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hud/list_source.h"
#include "platform/gfx/device.h"
#include "platform/math/d3d_math.h"
#include "platform/text/texture_font.h"
#include "settings/record.h"

namespace tnx::hud {

using DisplayVertex = text::TextVertex;

class ListDisplay : public settings::RecordOwner {
public:
    static constexpr const char* kRecordName = "savecblistdisplay";
    static constexpr int kMaxColumns = 16;
    static constexpr int kMaxVisibleRows = 200;
    // A row's glyphs are drawn at once from the HUD's shared index table.
    static constexpr int kMaxGlyphsPerRow = 200;
    // Options of setColumnColour.
    static constexpr uint32_t kFaceColour = 0x100;  // low byte: how much darker the bottom edge is
    static constexpr uint32_t kTextColour = 0x200;
    // Alignment markers a text cell may begin with.
    static constexpr char kCentre = 1, kRight = 2;
    static constexpr gfx::Color kHighlight = 0x9090B0FF;

    struct Pick {
        int column = -1;
        int row = -1;  // screen row from the top
    };

    ListDisplay() = default;
    ~ListDisplay() override;
    ListDisplay(const ListDisplay&) = delete;
    ListDisplay& operator=(const ListDisplay&) = delete;

    // Size, columns (relative widths), visible row slots and glyphs per row.
    // Colours are kept when the column count does not change.
    void init(float width, float height, int columns, int visibleRows, int glyphsPerRow,
              std::span<const float> weights);
    // A new size; the columns, colours and rows stay.
    void resize(float width, float height);
    void setOffset(float x, float y, float z);
    void setFont(const text::TextureFont* font) { font_ = font; }
    // Shows the source's columns from `firstColumn` on; `rankColumn` (if any)
    // shows its integer plus 1. Null: a one-row display showing its text.
    void setSource(ListSource* source, int firstColumn, int rankColumn = -1);
    // The cells of a one-row display, NUL-separated.
    void setText(std::string_view cells);
    const std::string& text() const { return text_; }
    void setColumnColour(int column, gfx::Color colour, uint32_t options);

    // Scrolls by a percentage of a row height, or by a distance (subtracted
    // from the remainder). True when the rows moved.
    bool scroll(float amount, bool percentage);
    // Lays out the row slot k again / every slot.
    void rebuildSlot(int k);
    void rebuildAll();
    // After the source changed underneath (sorted or filled elsewhere);
    // true when the rows were laid out again.
    bool refreshIfChanged();

    // The column and screen row under a point relative to the display's
    // top-left corner; nothing outside.
    Pick pick(float x, float y) const;
    // A click: in a data column (neither the first nor the last) of a row
    // above the last slot, that row becomes the selection, or the selection
    // is cleared when it already was. Returns the clicked data row, or -1.
    int click(float x, float y);
    // Makes a data row the selection and, unless `keepPosition`, scrolls the
    // fewest rows that bring it between the second and the third-last
    // visible rows. -1 clears the selection.
    void selectRow(int dataRow, bool keepPosition);
    // Sorts the source by a column (direction toggled); a selected row keeps
    // its screen row where it can.
    void sortBy(int column);

    // Drawing, relative to the panel's corner (px, py, pz): the column faces
    // and the selection first, then the glyphs with the font texture bound.
    void drawFaces(gfx::Device& device, const math::Matrix& inverseView, float px, float py, float pz,
                   const uint16_t* indices) const;
    void drawGlyphs(gfx::Device& device, const math::Matrix& inverseView, float px, float py, float pz,
                    const uint16_t* indices);

    // "savecblistdisplay": the column colours, 12 bytes per column.
    size_t writeRecord(std::vector<uint8_t>& out) override;
    int readRecord(std::span<const uint8_t> record) override;

    // The column's face top, face bottom and text colours, for the editor.
    std::array<uint32_t*, 3> columnColourLocations(int column);
    // Colours changed in place: faces and glyphs again.
    void recolour();

    // --- state ---
    float offsetX() const { return ox_; }
    float offsetY() const { return oy_; }
    float width() const { return width_; }
    float height() const { return height_; }
    bool contains(float x, float y) const;
    int columns() const { return columns_; }
    int visibleRows() const { return visible_; }
    int firstRow() const { return firstRow_; }
    int firstSlot() const { return firstSlot_; }
    float remainder() const { return remainder_; }
    float rowHeight() const { return rowHeight_; }
    float cellHeight() const { return cellHeight_; }
    int rowCount() const;
    // The last possible first row: row count - visible rows + 1.
    int lastFirstRow() const { return rowCount() - visible_ + 1; }
    int selectedRow() const { return selectedRow_; }
    int selectedItem() const { return selectedItem_; }
    ListSource* source() const { return source_; }
    float columnLeft(int column) const;
    float columnWidth(int column) const;
    gfx::Color faceTop(int column) const { return colours_[size_t(2 * column)]; }
    gfx::Color faceBottom(int column) const { return colours_[size_t(2 * column + 1)]; }
    gfx::Color textColour(int column) const { return colours_[size_t(2 * columns_ + column)]; }
    // Slot k: the row it shows (-1 none) and its glyph vertices.
    int slotRow(int k) const { return k >= 0 && k < visible_ ? slotRows_[size_t(k)] : -1; }
    std::span<const DisplayVertex> slotGlyphs(int k) const;
    // How many slot layouts have been made (for tests of the ring).
    uint64_t slotBuilds() const { return slotBuilds_; }
    // The text a cell of the source shows at a sorted position.
    std::string cellText(int position, int sourceColumn) const;

protected:
    // Lays one cell's text into the slot's glyphs from `first`; returns the
    // glyphs used.
    int layoutCell(std::string_view text, int column, DisplayVertex* glyphs, int room, bool marked) const;
    void buildFaces();
    // Shows `first` at the top with no remainder, turning the ring.
    void moveFirstRow(int first);
    float rowTop(int screenRow) const { return -float(screenRow) * rowHeight_ + remainder_; }

    float ox_ = 0, oy_ = 0, oz_ = 0;
    float width_ = 1, height_ = 1;
    int selectedRow_ = -1, selectedItem_ = -1;
    int visible_ = 1;
    int firstSlot_ = 0;
    int glyphsPerRow_ = 0;
    int columns_ = 0;
    float remainder_ = 0;
    float cellHeight_ = 0, cellGap_ = 0, rowHeight_ = 1;
    std::vector<float> weights_;
    std::vector<uint32_t> colours_;  // face pairs of every column, then every column's text colour
    ListSource* source_ = nullptr;
    int firstColumn_ = 0, rankColumn_ = -1;
    int firstRow_ = 0;
    std::string text_;
    const text::TextureFont* font_ = nullptr;

    std::vector<DisplayVertex> faces_;   // a quad per column, then the selection
    std::vector<DisplayVertex> glyphs_;  // glyphsPerRow quads per slot
    std::vector<int> slotRows_, slotUsed_;
    std::vector<DisplayVertex> clipped_;  // scratch for the partly visible rows
    uint32_t builtVersion_ = 0;
    uint64_t slotBuilds_ = 0;
};

}  // namespace tnx::hud
