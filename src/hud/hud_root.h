// The HUD root: owns every HUD element, hands them the mouse, animates and
// draws them after the scene, and keeps their placement, colours and toggle
// states in the record "savecbuttons" of "3dvis.ini".
//
// Two orders are kept: creation order (saving, loading, animation) and
// z-order (index 0 is the front-most element: hit-tested first, drawn last).
#pragma once

#include <array>
#include <memory>
#include <span>
#include <vector>

#include "camera/mouse_state_tracker.h"
#include "hud/hud_element.h"
#include "platform/gfx/device.h"
#include "platform/math/d3d_math.h"
#include "platform/text/texture_font.h"
#include "platform/win/messages.h"
#include "settings/record.h"

namespace tnx::hud {

class HudRoot : public settings::RecordOwner {
public:
    static constexpr int kCapacity = 50;
    static constexpr int kIndexQuads = 200;
    static constexpr const char* kRecordName = "savecbuttons";
    static constexpr uint32_t kRecordStamp = 160;
    static constexpr size_t kRecordFixedSize = 160;
    static constexpr int32_t kColourEditorId = 1280;
    static constexpr const char* kButtonImageName = "pack\\button.jpg";

    // fov: the scene's field of view (radians, horizontal); the viewport in
    // pixels; the font may be null (no text is drawn then).
    HudRoot(float fov, int32_t width, int32_t height, const text::TextureFont* font,
            const camera::MouseStateTracker& tracker = camera::mouseState());
    ~HudRoot() override;
    HudRoot(const HudRoot&) = delete;
    HudRoot& operator=(const HudRoot&) = delete;

    // Takes the element; its index, or -1 (element destroyed) when full.
    int add(std::unique_ptr<HudElement> element);
    void setTile(int index, int column, int row);
    // Destroys every element with that id.
    void removeAllWithId(int32_t id);
    // Puts an element in front of the others (behind an open colour editor).
    void raise(const HudElement* element);
    // Opens the colour editor for up to four colours of `owner`, replacing
    // any editor already open, in front of everything.
    void openColourEditor(std::span<uint32_t* const> colours, HudElement* owner);

    // A mouse message (move .. wheel): true when the HUD consumed it.
    bool mouse(const win::Message& m);
    // Per frame, before drawing: the clock and whether something moves.
    void update(float seconds);
    // Steps the glide of every moving element, then draws the shown ones
    // from back to front in front of the camera; with a clip, only those
    // that reach into it (the picture is redrawn there alone).
    void draw(gfx::Device& device, float seconds, const app::OverlayArea* clip = nullptr);
    // New viewport and field of view; reloads the button image.
    void resize(gfx::Device& device, float fov);
    // Recomputes the extents only (no device).
    void setViewport(float fov, int32_t width, int32_t height);
    // Releases the button image before a device reset.
    void invalidate();
    void setButtonTexture(std::unique_ptr<gfx::Texture> t) { buttonTexture_ = std::move(t); }

    // RecordOwner ("savecbuttons").
    size_t writeRecord(std::vector<uint8_t>& out) override;
    int readRecord(std::span<const uint8_t> record) override;

    // --- what elements read ---
    float pixelScale() const { return s_; }
    // Viewport pixels per pixel of an unscaled desktop: a pointer moving a
    // pixel of the desktop moves this many.
    float pixelRatio() const { return pixelRatio_; }
    float halfExtentX() const { return X_; }
    float halfExtentY() const { return Y_; }
    float pointerX() const { return mx_; }
    float pointerY() const { return my_; }
    const text::TextureFont* font() const { return font_; }
    const camera::MouseStateTracker& tracker() const { return tracker_; }
    const math::Matrix& inverseView() const { return inverseView_; }
    const uint16_t* indexTable() const { return indices_.data(); }
    gfx::Texture* fontTexture() const { return font_ ? font_->texture() : nullptr; }
    gfx::Texture* buttonTexture() const { return buttonTexture_.get(); }
    float animationTime() const { return animationTime_; }
    // The HUD is drawn and hit only while the option block says so.
    static bool hudShown();

    // --- inspection ---
    int count() const { return int(elements_.size()); }
    HudElement* element(int creationIndex) const;
    HudElement* atZ(int position) const;
    HudElement* findById(int32_t id) const;
    int zPosition(const HudElement* e) const;
    int captured() const { return captured_; }
    int hovered() const { return hovered_; }
    int32_t halfWidth() const { return halfWidth_; }
    int32_t halfHeight() const { return halfHeight_; }

private:
    void bringToFront(int position);
    void removeClosedEditors();

    float fov_ = 0;
    int32_t halfWidth_ = 1, halfHeight_ = 1;
    float s_ = 0, X_ = 0, Y_ = 0;
    float pixelRatio_ = 1;
    float frameStep_ = 0, animationTime_ = 0;
    float mx_ = 0, my_ = 0;
    int captured_ = -1, hovered_ = -1;
    const text::TextureFont* font_;
    const camera::MouseStateTracker& tracker_;
    std::vector<std::unique_ptr<HudElement>> elements_;  // creation order
    std::vector<HudElement*> zOrder_;
    std::array<uint16_t, kIndexQuads * 6> indices_{};
    math::Matrix inverseView_;
    std::unique_ptr<gfx::Texture> buttonTexture_;
};

}  // namespace tnx::hud
