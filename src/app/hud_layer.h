// The HUD root as the viewer core's HUD part: built with its elements,
// restored with the device, updated and drawn each frame, offered the mouse
// before the scene. It also holds the browsers' dispatcher, which links the
// city and country browsers to the geography once the scene exists.
#pragma once

#include <memory>

#include "app/viewer_part.h"
#include "geodata/info_texts.h"
#include "hud/browser_dispatcher.h"
#include "hud/hud_clock.h"
#include "hud/hud_root.h"
#include "hud/readout_display.h"

namespace tnx::camera {
class Camera;
}
namespace tnx::geodata {
class GeoOverlay;
}

namespace tnx::app {

class HudLayer : public ViewerPart {
public:
    HudLayer(float fov, int32_t width, int32_t height, const text::TextureFont* font);
    ~HudLayer() override;

    hud::HudRoot& root() { return root_; }
    hud::BrowserDispatcher& browsers() { return *browsers_; }
    // The geography and the camera are there: the browsers are filled and
    // linked to them; their window forms exist when `windows` is set.
    void connectBrowsers(geodata::GeoOverlay& overlay, camera::Camera& camera, win::WindowId mainWindow,
                         bool windows);

    void restore(gfx::Device& device, float fieldOfView) override;
    void invalidate() override { root_.invalidate(); }
    // A hidden HUD neither animates nor asks for frames.
    void advance(float seconds) override {
        if (!hidden_) root_.update(seconds);
    }
    // The read-outs first: the scene has just made this frame's lines.
    void draw(gfx::Device& device, float seconds) override;
    void drawOver(gfx::Device& device, float seconds, const OverlayArea& area) override;
    bool handleMouse(const win::Message& m, bool& holdsDrag) override;
    // Window commands: the button bar's shared command handler.
    void handleMessage(const win::Message& m) override;
    settings::RecordOwner* recordOwner() override { return &root_; }
    // Where the read-out lines and the browser texts come from (the scene's
    // geography overlay); may be null.
    void setInfoSource(const geodata::InfoTexts* texts) { texts_ = texts; }
    // --hide hud: nothing drawn, no input taken, for this run.
    void setHidden(bool hidden) { hidden_ = hidden; }
    // The clock shows this time (the sky's) with this note of its rate.
    void setClockSource(hud::HudClock::TimeSource now, hud::HudClock::NoteSource note);

private:
    hud::HudRoot root_;
    hud::ReadoutDisplay readouts_{root_};
    const geodata::InfoTexts* texts_ = nullptr;
    bool hidden_ = false;
    // Goes before the root: it unlinks the panels and stores the windows' places.
    std::unique_ptr<hud::BrowserDispatcher> browsers_;
};

}  // namespace tnx::app
