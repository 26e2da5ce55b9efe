#include "app/hud_layer.h"

#include "app/viewer_core.h"
#include "hud/button_bar.h"
#include "hud/hud_builder.h"

namespace tnx::app {

HudLayer::HudLayer(float fov, int32_t width, int32_t height, const text::TextureFont* font)
    : root_(fov, width, height, font) {
    hud::HudBuilder::build(root_);
}

void HudLayer::restore(gfx::Device& device, float fieldOfView) {
    root_.resize(device, fieldOfView);
}

bool HudLayer::handleMouse(const win::Message& m, bool& holdsDrag) {
    holdsDrag = false;
    return root_.mouse(m);
}

void HudLayer::handleMessage(const win::Message& m) {
    if (m.id != win::kWmCommand) return;
    auto* bar = dynamic_cast<hud::ButtonBar*>(root_.findById(hud::ButtonBar::kId));
    if (!bar) return;
    // Options set elsewhere (the Options dialog) light their buttons with
    // the redraw they ask for.
    if (win::loWord(m.wParam) == kCmdUpdateFrame) bar->syncLit();
    else bar->command(win::loWord(m.wParam), intptr_t(m.lParam));
}

}  // namespace tnx::app
