// One on-screen control of the HUD: a flat piece of geometry in view space
// at a chosen depth in front of the camera — a coloured face, a shaded frame
// around it, and a strip of textured quads carrying text glyphs or tiles of
// the button image. It can be dragged, pushed nearer or farther, recoloured,
// toggled by a click, and glides to where it was put.
//
// Coordinates: x right, y up, depth away from the camera. The position is
// the top-left corner; the face spans x .. x + width, y - height .. y.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/process_state.h"
#include "platform/gfx/device.h"
#include "platform/text/texture_font.h"
#include "platform/win/messages.h"
#include "settings/record.h"

namespace tnx::hud {

using HudVertex = text::TextVertex;
class HudRoot;

class HudElement : public settings::RecordOwner {
public:
    enum Flag : uint32_t {
        kShown = 0x01,
        kEnabled = 0x02,  // drawn and hit-tested only when shown and enabled
        kHover = 0x04,
        kLeftDown = 0x08,
        kRightDown = 0x10,
        kToggled = 0x20,
        kLeftDragged = 0x80,
        kRightDragged = 0x100,
    };
    enum TextureMode : int32_t { kNoTexture = 0, kFontTexture = 1, kButtonImage = 2 };
    // Options of setText: the low byte is the number of NUL-separated lines
    // (0: one line that may break in two); 0x200 centres narrow lines.
    static constexpr uint32_t kCentreLines = 0x200;

    static constexpr const char* kRecordName = "savecbutton";
    static constexpr size_t kRecordFixedSize = 108;
    static constexpr int kFrameVertices = 20;
    static constexpr int kFrameTriangles = 10;
    static constexpr int kMaxGlyphs = 200;  // the shared index table's quads
    static constexpr int32_t kMaxGlow = 5000;
    static constexpr float kMinDepth = 5.0f, kMaxDepth = 55.0f;
    static constexpr float kAnimationStep = 0.1f;
    static constexpr gfx::Color kFrameOuterColour = 0x00A0A0A0;
    static constexpr gfx::Color kGlowColour = 0xF090FFF0;
    static constexpr gfx::Color kGlowPressedColour = 0xC0F0A0A0;
    static constexpr gfx::Color kGlowOuterColour = 0x00A0F0FF;

    explicit HudElement(int32_t id);
    ~HudElement() override;
    HudElement(const HudElement&) = delete;
    HudElement& operator=(const HudElement&) = delete;

    // --- the element operations ---
    // Size, colours and glyph capacity; shown, enabled and gliding. The
    // fourth argument only matters to elements with a frame of their own.
    virtual void init(int32_t textureMode, float width, float height, float frameArgument, int32_t glyphCapacity,
                      gfx::Color faceColour, gfx::Color frameColour, gfx::Color textColour);
    // Face and frame from size and colours; glyphs recoloured; in image mode
    // the tiles laid out as a row of quads of the element's size.
    virtual void buildFrame();
    // A mouse message; true when the element wants the following ones too
    // (a button went down, or a drag goes on).
    virtual bool mouse(const win::Message& m);
    virtual void leftButtonUp();
    virtual void rightButtonUp();
    virtual void leftButtonDown();
    virtual void rightButtonDown();
    virtual void dragLeft(int dx, int dy);
    virtual void dragRight(int dx, int dy);
    virtual void dragBoth(int dx, int dy);
    virtual void wheel() {}
    virtual void setText(std::string_view text, uint32_t options);
    // Moves 30 % of the way to the target; snaps within 0.0001.
    virtual void animate(float step);
    // Clamps the target so the element stays on screen (X, Y: view
    // half-extents at unit depth).
    virtual void keepInView(float X, float Y);
    // Pointer at (mx, my) at unit depth; sets or clears the hover flag.
    virtual bool hitTest(float mx, float my);
    virtual void drawGlow(gfx::Device& device, float seconds);
    virtual void draw(gfx::Device& device, float seconds);
    // 0 hide, 1 show, 2 flip.
    virtual void show(int mode);
    virtual void setFaceColour(gfx::Color colour);
    // "savecbutton".
    size_t writeRecord(std::vector<uint8_t>& out) override;
    int readRecord(std::span<const uint8_t> record) override;
    virtual void setValue(int32_t) {}
    // Once per frame before drawing (the clock reads the time here); true
    // when the element changed and the frame must be drawn.
    virtual bool tick() { return false; }
    // True for the transient colour editor.
    virtual bool isColourEditor() const { return false; }
    // The screen pixels the element covers where it is and where it glides
    // to (its frame, its glow and its glyphs), added to `area`, for a view
    // of `halfWidth` x `halfHeight` half-pixels at `pixelScale` units per
    // pixel at unit depth. False for elements that draw more than their own
    // geometry and cannot tell.
    virtual bool addCoverage(float pixelScale, int halfWidth, int halfHeight, app::OverlayArea& area) const;
    // What it covered when last drawn (the root keeps it).
    const app::OverlayArea& drawnCoverage() const { return drawnCoverage_; }
    void setDrawnCoverage(const app::OverlayArea& a) { drawnCoverage_ = a; }

    // One tile of the 4 x 4 button image.
    void setTile(int column, int row);
    // Current and target together, no glide.
    void placeAt(float x, float y, float depth);
    void setTarget(float x, float y, float depth);
    void attach(HudRoot* root) { root_ = root; }

    // --- state ---
    int32_t id() const { return id_; }
    uint32_t flags() const { return flags_; }
    void setFlags(uint32_t f) { flags_ = f; }
    bool has(uint32_t f) const { return (flags_ & f) == f; }
    bool visible() const { return has(kShown | kEnabled); }
    int32_t textureMode() const { return textureMode_; }
    int32_t glow() const { return glow_; }
    float x() const { return x_; }
    float y() const { return y_; }
    float depth() const { return z_; }
    float targetX() const { return tx_; }
    float targetY() const { return ty_; }
    float targetDepth() const { return tz_; }
    float width() const { return width_; }
    float height() const { return height_; }
    bool animating() const { return animating_ != 0; }
    int32_t ownerData() const { return ownerData_; }
    void setOwnerData(int32_t v) { ownerData_ = v; }
    gfx::Color faceTop() const { return faceTop_; }
    gfx::Color faceBottom() const { return faceBottom_; }
    gfx::Color textColour() const { return textColour_; }
    gfx::Color frameColour() const { return frameColour_; }
    // The four colours in record order, for the colour editor.
    std::array<uint32_t*, 4> colourLocations() { return {&faceTop_, &faceBottom_, &textColour_, &frameColour_}; }
    // The text last set.
    const std::string& text() const { return text_; }
    int32_t glyphCapacity() const { return glyphCapacity_; }
    int32_t glyphVertexCount() const { return glyphVertexCount_; }
    std::span<const HudVertex> frameVertices() const { return {vertices_.data(), size_t(kFrameVertices)}; }
    std::span<const HudVertex> glyphVertices() const;
    HudRoot* root() const { return root_; }

protected:
    // Frame border width and how far behind the face it lies.
    virtual float frameWidth() const { return 0.1f * height_; }
    virtual float frameDepth() const { return 0.1f * height_; }
    // Depth range of a drag with both buttons, and its rate per pixel.
    virtual float minDepth() const { return kMinDepth; }
    virtual float maxDepth() const { return kMaxDepth; }
    virtual float depthPerPixel() const { return 0.01f; }
    // Moves the element by a pointer movement in pixels at its depth.
    void moveByPixels(int dx, int dy);
    // Lays one line of text into the glyph store from glyph `first` on, at
    // most `room` glyphs; returns the glyphs written and their width.
    int layoutLine(std::string_view text, int first, int room, float height, float& width);
    void shiftGlyphs(int first, int count, float dx, float dy, float scaleX);
    void finishGlyphs(int count);
    HudVertex* glyphStore() { return vertices_.data() + kFrameVertices; }
    // Draws the frame vertices and then the glyphs with the element's texture.
    void drawGeometry(gfx::Device& device);
    void bindTexture(gfx::Device& device, int32_t mode);
    void quadGeometry(HudVertex* v, float x0, float y0, float x1, float y1, float z, gfx::Color top,
                      gfx::Color bottom) const;

    int32_t textureMode_ = kNoTexture;
    uint32_t flags_ = 0;
    int32_t glow_ = 0;
    app::OverlayArea drawnCoverage_;
    float x_ = 0, y_ = 0, z_ = 30.0f;
    float tx_ = 0, ty_ = 0, tz_ = 30.0f;
    float width_ = 1, height_ = 0.25f;
    int32_t animating_ = 0;
    int32_t id_;
    int32_t ownerData_ = 0;
    gfx::Color faceTop_ = 0, faceBottom_ = 0, textColour_ = 0, frameColour_ = 0;
    float frameArgument_ = 0;
    int32_t glyphCapacity_ = 0;
    int32_t glyphVertexCount_ = 0;
    std::vector<HudVertex> vertices_;
    HudRoot* root_ = nullptr;
    // The last text set, laid out again when a loaded record resizes the element.
    std::string text_;
    uint32_t textOptions_ = 0;
};

}  // namespace tnx::hud
