// The HUD root as the viewer core's HUD part: built with its elements,
// restored with the device, updated and drawn each frame, offered the mouse
// before the scene.
#pragma once

#include <memory>

#include "app/viewer_part.h"
#include "geodata/info_texts.h"
#include "hud/hud_root.h"
#include "hud/readout_display.h"

namespace tnx::app {

class HudLayer : public ViewerPart {
public:
    HudLayer(float fov, int32_t width, int32_t height, const text::TextureFont* font);

    hud::HudRoot& root() { return root_; }

    void restore(gfx::Device& device, float fieldOfView) override;
    void invalidate() override { root_.invalidate(); }
    void advance(float seconds) override { root_.update(seconds); }
    // The read-outs first: the scene has just made this frame's lines.
    void draw(gfx::Device& device, float seconds) override;
    bool handleMouse(const win::Message& m, bool& holdsDrag) override;
    // Window commands: the button bar's shared command handler.
    void handleMessage(const win::Message& m) override;
    settings::RecordOwner* recordOwner() override { return &root_; }
    // Where the read-out lines and the browser texts come from (the scene's
    // geography overlay); may be null.
    void setInfoSource(const geodata::InfoTexts* texts) { texts_ = texts; }

private:
    hud::HudRoot root_;
    hud::ReadoutDisplay readouts_{root_};
    const geodata::InfoTexts* texts_ = nullptr;
};

}  // namespace tnx::app
