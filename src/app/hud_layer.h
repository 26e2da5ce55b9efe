// The HUD root as the viewer core's HUD part: built with its elements,
// restored with the device, updated and drawn each frame, offered the mouse
// before the scene.
#pragma once

#include <memory>

#include "app/viewer_part.h"
#include "hud/hud_root.h"

namespace tnx::app {

class HudLayer : public ViewerPart {
public:
    HudLayer(float fov, int32_t width, int32_t height, const text::TextureFont* font);

    hud::HudRoot& root() { return root_; }

    void restore(gfx::Device& device, float fieldOfView) override;
    void invalidate() override { root_.invalidate(); }
    void advance(float seconds) override { root_.update(seconds); }
    void draw(gfx::Device& device, float seconds) override { root_.draw(device, seconds); }
    bool handleMouse(const win::Message& m, bool& holdsDrag) override;
    // Window commands: the button bar's shared command handler.
    void handleMessage(const win::Message& m) override;
    settings::RecordOwner* recordOwner() override { return &root_; }

private:
    hud::HudRoot root_;
};

}  // namespace tnx::app
