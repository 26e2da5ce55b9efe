// A browser in its HUD form: the city list, the country and entity list,
// the country overview or the help text as a list panel. Its parts are a
// title row of command cells ("Find", "Toggle", the title, "Close"), the
// column headers (lists only), the rows, a footer with the count and a
// slider beside the rows. The lists show a browser table (shared with their
// window form); the texts show their lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "hud/browser_presenter.h"
#include "hud/browser_table.h"
#include "hud/list_panel.h"
#include "hud/text_lines.h"

namespace tnx::geodata {
class CityTable;
class CountryTable;
}  // namespace tnx::geodata

namespace tnx::hud {

class BrowserPanel : public ListPanel {
public:
    enum PanelId : int32_t { kCityId = 0x104, kCountryId = 0x106, kOverviewId = 0x107, kHelpId = 0x108 };
    // Cells of the title row.
    enum TitleCell { kFindCell = 0, kToggleCell = 1, kTitleCell = 2, kCloseCell = 3 };
    // Sizes that fit a 5:4 view from where panels first appear.
    static constexpr float kListWidth = 14.0f, kTextWidth = 12.0f, kHeight = 10.0f;
    static constexpr int kListRows = 16, kTextRows = 20;
    static constexpr size_t kMaxTitle = 100;

    // What the panel's commands and picks do (the browsers' dispatcher).
    class Actions {
    public:
        virtual ~Actions() = default;
        virtual void titleCommand(BrowserPanel& panel, int cell) = 0;
        // A row was clicked: its data row (the city or country index - 1).
        virtual void rowPicked(BrowserPanel& panel, int dataRow) = 0;
    };

    explicit BrowserPanel(BrowserKind kind);
    static int32_t idFor(BrowserKind kind);

    // Makes the parts (hidden until the bar shows the panel); call once,
    // attached to a root or not.
    void build();
    BrowserKind kind() const { return kind_; }
    bool isList() const { return kind_ == BrowserKind::City || kind_ == BrowserKind::Country; }
    void setActions(Actions* actions) { actions_ = actions; }

    // --- the lists ---
    // Rebuilds the table from cities 1 .. count - 1 (or countries), sorted
    // by name ascending, and shows it from the top with no selection.
    void fillCities(const geodata::CityTable& cities, const geodata::CountryTable& countries, bool metric);
    void fillCountries(const geodata::CountryTable& countries);
    // Header names; the city list's altitude header and unit follow `metric`.
    void setHeaders(bool metric);
    // Makes the row of a city or country index the current row and scrolls
    // it into view; an index without a row clears the selection.
    void selectIndex(int index);
    // No row selected; the rows stay where they are.
    void clearSelection();
    // Jumps to the first name at or after `text` (Windows-1252): that row is
    // selected (none past the end) and shown. Returns the sorted position.
    int find(std::string_view text);
    BrowserTable& table() { return table_; }

    // --- the texts ---
    // The title cell: "%s", at most 100 bytes.
    void setTitle(std::string_view title);
    // Appends text as lines (emptying the panel first when asked); a mark
    // goes with every line of it.
    void setText(std::string_view text, uint8_t mark, bool clearFirst);
    const TextLines& lines() const { return lines_; }

    // --- parts ---
    ListDisplay& titleRow() const { return *part(titlePart_); }
    ListDisplay* headerRow() const { return part(headerPart_); }
    ListDisplay& rows() const { return *part(rowsPart_); }
    ListDisplay& footer() const { return *part(footerPart_); }
    ListSlider& rowSlider() const { return *slider(sliderPart_); }

    std::string titleCells() const;

protected:
    void partClicked(int part, float lx, float ly) override;
    void layoutParts() override;

private:
    void updateFooter();
    void updateTitle();

    BrowserKind kind_;
    Actions* actions_ = nullptr;
    BrowserTable table_;
    TextLines lines_;
    std::string title_;
    int titlePart_ = -1, headerPart_ = -1, rowsPart_ = -1, footerPart_ = -1, sliderPart_ = -1;
};

}  // namespace tnx::hud
