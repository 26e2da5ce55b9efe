#include "app/hud_layer.h"

#include "app/viewer_core.h"
#include "camera/camera.h"
#include "hud/browser_window.h"
#include "hud/button_bar.h"
#include "hud/hud_builder.h"
#include "platform/win/message_queue.h"

namespace tnx::app {

HudLayer::HudLayer(float fov, int32_t width, int32_t height, const text::TextureFont* font)
    : root_(fov, width, height, font) {
    hud::HudBuilder::build(root_);
    browsers_ = std::make_unique<hud::BrowserDispatcher>(root_);
}

HudLayer::~HudLayer() { browsers_.reset(); }

void HudLayer::connectBrowsers(geodata::GeoOverlay& overlay, camera::Camera& camera, win::WindowId mainWindow,
                               bool windows) {
    if (auto* bar = dynamic_cast<hud::ButtonBar*>(root_.findById(hud::ButtonBar::kId)))
        bar->setCommandSender([mainWindow](uint32_t id, intptr_t kind) {
            win::messageQueue().send({mainWindow, win::kWmCommand, id, win::LParam(kind)});
        });
    hud::BrowserDispatcher::Makers makers;
    if (windows) {
        makers.listWindow = hud::makeListWindow;
        makers.textWindow = hud::makeTextWindow;
        makers.findPrompt = hud::makeFindDialog;
    }
    browsers_->connect(
        overlay, [&camera](float longitude, float latitude) { camera.lookAt(longitude, latitude); },
        [mainWindow](uint32_t command, intptr_t value) {
            win::messageQueue().post({mainWindow, win::kWmCommand, command, win::LParam(value)});
        },
        std::move(makers), mainWindow);
}

void HudLayer::restore(gfx::Device& device, float fieldOfView) {
    root_.resize(device, fieldOfView);
}

void HudLayer::setClockSource(hud::HudClock::TimeSource now, hud::HudClock::NoteSource note) {
    if (auto* clock = dynamic_cast<hud::HudClock*>(root_.findById(hud::HudBuilder::kClock)))
        clock->setTimeSource(std::move(now), std::move(note));
}

void HudLayer::draw(gfx::Device& device, float seconds) { drawOver(device, seconds, OverlayArea{true}); }

void HudLayer::drawOver(gfx::Device& device, float seconds, const OverlayArea& area) {
    if (hidden_) return;
    if (texts_) {
        auto* bar = dynamic_cast<hud::ButtonBar*>(root_.findById(hud::ButtonBar::kId));
        readouts_.apply(*texts_, bar ? bar->presenter() : nullptr);
    }
    root_.draw(device, seconds, &area);
}

bool HudLayer::handleMouse(const win::Message& m, bool& holdsDrag) {
    holdsDrag = false;
    return !hidden_ && root_.mouse(m);
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
