#include "app/window_options.h"

#include <cmath>

#include "core/process_state.h"
#include "platform/io/byte_io.h"
#include "settings/preferences_store.h"

namespace tnx::app {

namespace {
WindowOptions* g_windowOptions = nullptr;
}
WindowOptions* windowOptions() { return g_windowOptions; }
void setWindowOptions(WindowOptions* w) { g_windowOptions = w; }

WindowOptions::WindowOptions() = default;

std::array<uint8_t, WindowOptions::kRecordSize> WindowOptions::toRecord() const {
    std::array<uint8_t, kRecordSize> b{};
    io::storeI32(&b[12], mode_);
    io::storeI32(&b[44], windowed_.x);
    io::storeI32(&b[48], windowed_.y);
    io::storeI32(&b[52], windowed_.width);
    io::storeI32(&b[56], windowed_.height);
    io::storeI32(&b[60], windowed_.clientWidth);
    io::storeI32(&b[64], windowed_.clientHeight);
    io::storeU32(&b[68], windowed_.style);
    io::storeI32(&b[128], flags_);
    io::storeF32(&b[132], extra[0]);
    io::storeF32(&b[136], extra[1]);
    io::storeF32(&b[140], extra[2]);
    return b;
}

bool WindowOptions::fromRecord(const std::vector<uint8_t>& b) {
    if (b.size() != kRecordSize) return false;
    int32_t mode = io::loadI32(&b[12]);
    // A mode outside the three known ones would leave no usable window.
    if (mode >= kWindowed && mode <= kFullScreen) mode_ = mode;
    Placement p;
    p.x = io::loadI32(&b[44]);
    p.y = io::loadI32(&b[48]);
    p.width = io::loadI32(&b[52]);
    p.height = io::loadI32(&b[56]);
    p.clientWidth = io::loadI32(&b[60]);
    p.clientHeight = io::loadI32(&b[64]);
    p.style = io::loadU32(&b[68]);
    // A client area lies inside its window; anything else is not used.
    if (p.clientWidth <= 0 || p.clientHeight <= 0 || p.clientWidth > p.width || p.clientHeight > p.height)
        p.clientWidth = p.clientHeight = 0;
    if (p.width >= 100 && p.height >= 100 && p.width <= 32768 && p.height <= 32768) {
        windowed_ = p;
        windowedRemembered_ = true;
    }
    flags_ = io::loadI32(&b[128]);
    return true;
}

void WindowOptions::load() {
    auto* store = settings::preferences();
    if (!store) return;
    std::vector<uint8_t> buf(kRecordSize);
    uint32_t len = kRecordSize;
    if (store->getBinary(kRecordName, buf.data(), &len) == 0 && len == kRecordSize) fromRecord(buf);
}

void WindowOptions::save() const {
    auto* store = settings::preferences();
    if (!store) return;
    auto rec = toRecord();
    store->setBinary(kRecordName, rec.data(), uint32_t(rec.size()));
}

void WindowOptions::screenSize(int& w, int& h, double& pixelRatio) const {
    w = 1280;
    h = 1024;
    pixelRatio = 1;
    auto* ws = win::windowSystem();
    if (!ws) return;
    for (const auto& m : ws->monitors())
        if (m.primary || (w == 1280 && h == 1024)) {
            w = m.rect.width();
            h = m.rect.height();
            pixelRatio = m.pixelRatio;
            if (m.primary) break;
        }
}

Placement WindowOptions::placement(int sw, int sh, double pixelRatio) const {
    auto scaled = [pixelRatio](int32_t pixels) { return int32_t(std::lround(pixels * pixelRatio)); };
    switch (mode_) {
        case kWindowed:
            if (windowedRemembered_) return windowed_;
            return {scaled(windowed_.x), scaled(windowed_.y), scaled(windowed_.width), scaled(windowed_.height),
                    0, 0, windowed_.style};
        case kTransparent: return {0, 0, sw, sh - 1, sw, sh - 1, kBorderlessStyle};
        default: return {0, 0, sw, sh, sw, sh, kBorderlessStyle};
    }
}

bool WindowOptions::applyMode(win::WindowId window, int32_t mode) {
    if (mode == mode_ || mode < kWindowed || mode > kFullScreen) return false;
    auto* ws = win::windowSystem();
    if (ws && window) ws->setRegion(window, std::nullopt);
    mode_ = mode;
    int sw, sh;
    double ratio;
    screenSize(sw, sh, ratio);
    Placement p = placement(sw, sh, ratio);
    if (ws && window) {
        ws->setWindowStyle(window, p.style);
        // The remembered client size, when there is one, is what comes back
        // exactly; the frame around it is the desktop's.
        if (p.clientWidth > 0 && p.clientHeight > 0) ws->placeWindow(window, p.x, p.y, p.clientWidth, p.clientHeight);
        else ws->setWindowRect(window, {p.x, p.y, p.x + p.width, p.y + p.height});
        ws->showWindow(window, true);
    }
    ++processState().windowChangeCounter;
    return true;
}

void WindowOptions::rememberWindowedPlacement(win::WindowId window) {
    if (mode_ != kWindowed) return;
    auto* ws = win::windowSystem();
    if (!ws || !window) return;
    win::Rect r = ws->windowRect(window), c = ws->clientRect(window);
    if (r.width() <= 0 || r.height() <= 0) return;
    windowed_.x = r.left;
    windowed_.y = r.top;
    windowed_.width = r.width();
    windowed_.height = r.height();
    windowed_.clientWidth = c.width();
    windowed_.clientHeight = c.height();
    windowedRemembered_ = true;
}

void WindowOptions::toggleAlwaysOnTop(win::WindowId window, win::Menu* menu, uint32_t item) {
    flags_ ^= 1;
    if (window)
        if (auto* ws = win::windowSystem()) ws->setTopmost(window, alwaysOnTop());
    if (menu) menu->check(item, alwaysOnTop());
}

void WindowOptions::clearRegion(win::WindowId window) {
    if (auto* ws = win::windowSystem(); ws && window) ws->setRegion(window, win::Region{});
}

void WindowOptions::setRegion(win::WindowId window, const win::Region& region) {
    if (auto* ws = win::windowSystem(); ws && window) ws->setRegion(window, region);
}

}  // namespace tnx::app
