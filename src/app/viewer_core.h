// The viewer core: one per device, owning everything drawn in a frame (the
// globe scene, the HUD root, the sound visualisation), with the field of view,
// the frame's draw and the routing of input to its parts.
#pragma once

#include <memory>

#include "core/process_state.h"
#include "app/viewer_part.h"
#include "platform/gfx/device.h"
#include "platform/text/texture_font.h"
#include "platform/win/messages.h"
#include "settings/view_core_record.h"

namespace tnx::app {

// Command identifiers handled by the viewer core.
enum ViewerCommand : uint32_t {
    kCmdOptions = 40024,
    kCmdResetGlobe = 40031,
    kCmdFloatingStatus = 40049,
    kCmdUpdateFrame = 40051,
    kCmdButtonMenu = 40060,
};

// Which part took the previous mouse message.
enum class InputOwner { Scene, Hud, Visual };

class ViewerCore {
public:
    // The font's size on an unscaled desktop.
    static constexpr int32_t kFontPoints = 25;

    ViewerCore(gfx::Device& device, SaverMode mode);
    ~ViewerCore();

    void restore(gfx::Device& device);
    void invalidate();
    void advance();
    // A whole frame: the scene, then the sound visualisation and the HUD.
    void draw(gfx::Device& device);
    // A frame in which only the parts over the scene changed: they are drawn
    // over the kept image of the last scene (the scene is drawn, and its
    // image kept, when there is none).
    // Only inside `area` when the device can redraw part of its picture.
    void drawOverlays(gfx::Device& device, const OverlayArea& area);
    // Scene draws and overlay-only frames since the core was made.
    int sceneDraws() const { return sceneDraws_; }
    int overlayFrames() const { return overlayFrames_; }
    void handleMessage(const win::Message& m);

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    float fieldOfView() const { return fov_; }
    float tanHalfFov() const { return tanHalfFov_; }
    float aspectTan() const { return aspectTan_; }
    bool resetRequested() const { return resetRequested_; }
    InputOwner inputOwner() const { return owner_; }
    // The texture font of this device, shared by the HUD and the scene.
    const text::TextureFont* font() const { return font_.get(); }
    bool sceneHoldsDrag() const { return sceneDrag_; }

    // The parts; any may be absent.
    void setScene(std::unique_ptr<ViewerPart> p) { scene_ = std::move(p); }
    void setHud(std::unique_ptr<ViewerPart> p) { hud_ = std::move(p); }
    void setVisual(std::unique_ptr<ViewerPart> p) { visual_ = std::move(p); }
    ViewerPart* scene() const { return scene_.get(); }
    ViewerPart* hud() const { return hud_.get(); }
    ViewerPart* visual() const { return visual_.get(); }
    // Reads "3dvis.ini" (or the shipped default) into the parts; the last
    // step of building the core, once its parts exist.
    int loadSettings();
    // Writes "3dvis.ini" from the parts.
    int saveSettings();

    // Field of view for a viewport: wider than tall widens the horizontal
    // angle, otherwise 45 degrees.
    static float fieldOfViewFor(int32_t width, int32_t height);

private:
    void readViewport(gfx::Device& device);
    void routeMouse(const win::Message& m);
    void drawFrame(gfx::Device& device, bool overlaysOnly);
    // Tells the device where an overlay frame changes the picture; false
    // when nothing of it is on screen.
    bool beginOverlayFrame(gfx::Device& device, const OverlayArea& area);

    gfx::Device* device_;
    SaverMode mode_;
    int32_t width_ = 0, height_ = 0;
    float fov_ = 0, tanHalfFov_ = 0, aspectTan_ = 0;
    std::unique_ptr<text::TextureFont> font_;
    std::unique_ptr<ViewerPart> scene_, visual_, hud_;
    settings::ViewCoreRecord record_;
    bool resetRequested_ = false;
    InputOwner owner_ = InputOwner::Scene;
    bool sceneDrag_ = false;
    bool sceneImageKept_ = false;
    int passesSinceScene_ = 0;  // loop passes since the scene was last drawn
    OverlayArea clip_{true};  // what an overlay frame redraws
    int sceneDraws_ = 0, overlayFrames_ = 0;
};

}  // namespace tnx::app
