#include "platform/win/headless_window_system.h"

namespace tnx::win {

namespace {
// Frame thickness and caption height of a framed window, so client sizes
// differ from window sizes as they do on a desktop.
constexpr int kFrame = 4;
constexpr int kCaption = 24;

Rect outerFor(uint32_t style, int left, int top, int clientWidth, int clientHeight) {
    bool framed = style & kWsCaption;
    return {left, top, left + clientWidth + (framed ? 2 * kFrame : 0),
            top + clientHeight + (framed ? 2 * kFrame + kCaption : 0)};
}
}  // namespace

HeadlessWindowSystem::HeadlessWindowSystem() {
    MonitorInfo m;
    m.deviceName = "HEADLESS-1";
    m.description = "Headless monitor";
    m.rect = {0, 0, 1280, 1024};
    m.primary = true;
    m.handle = 1;
    monitors_.push_back(m);
}

std::vector<MonitorInfo> HeadlessWindowSystem::monitors() {
    std::vector<MonitorInfo> all = monitors_;
    for (MonitorInfo& m : all) m.pixelRatio = pixelRatio_;
    return all;
}

AdapterInfo HeadlessWindowSystem::describeAdapter(const MonitorInfo& monitor) {
    if (adapter_) return *adapter_;
    AdapterInfo a;
    a.description = "Recording adapter on " + monitor.deviceName;
    for (size_t i = 0; i < a.identifier.size(); ++i) a.identifier[i] = uint8_t(i + 1);
    a.hasHardware = a.hasSoftware = true;
    return a;
}

WindowId HeadlessWindowSystem::createWindow(const WindowRequest& request) {
    WindowId id = nextId_++;
    Window w;
    w.request = request;
    w.rect = request.rect;
    if (request.clientWidth > 0 && request.clientHeight > 0)
        w.rect = outerFor(request.style, request.rect.left, request.rect.top, request.clientWidth,
                          request.clientHeight);
    w.style = request.style;
    w.visible = request.visible;
    w.topmost = request.topmost;
    windows_[id] = w;
    return id;
}

HeadlessWindowSystem::Window* HeadlessWindowSystem::window(WindowId id) {
    auto it = windows_.find(id);
    return it == windows_.end() ? nullptr : &it->second;
}

void HeadlessWindowSystem::destroyWindow(WindowId id) { windows_.erase(id); }
void HeadlessWindowSystem::showWindow(WindowId id, bool show) { if (auto* w = window(id)) w->visible = show; }
void HeadlessWindowSystem::setWindowRect(WindowId id, const Rect& r) { if (auto* w = window(id)) w->rect = r; }
void HeadlessWindowSystem::placeWindow(WindowId id, int left, int top, int clientWidth, int clientHeight) {
    if (auto* w = window(id)) w->rect = outerFor(w->style, left, top, clientWidth, clientHeight);
}
void HeadlessWindowSystem::setWindowStyle(WindowId id, uint32_t s) { if (auto* w = window(id)) w->style = s; }
void HeadlessWindowSystem::setTopmost(WindowId id, bool t) { if (auto* w = window(id)) w->topmost = t; }

Rect HeadlessWindowSystem::windowRect(WindowId id) {
    auto* w = window(id);
    return w ? w->rect : Rect{};
}

Rect HeadlessWindowSystem::clientRect(WindowId id) {
    auto* w = window(id);
    if (!w) return {};
    int cw = w->rect.width(), ch = w->rect.height();
    if (w->style & kWsCaption) {
        cw -= 2 * kFrame;
        ch -= 2 * kFrame + kCaption;
    }
    return {0, 0, std::max(0, cw), std::max(0, ch)};
}

void HeadlessWindowSystem::setRegion(WindowId id, const std::optional<Region>& r) { if (auto* w = window(id)) w->region = r; }

void HeadlessWindowSystem::setCursor(WindowId id, CursorShape shape, const std::string& file) {
    if (auto* w = window(id)) {
        w->cursor = shape;
        w->cursorFile = file;
    }
}

void HeadlessWindowSystem::setTitle(WindowId id, const std::string& t) { if (auto* w = window(id)) w->request.title = t; }
void HeadlessWindowSystem::maximize(WindowId id) { if (auto* w = window(id)) w->maximized = true; }

void HeadlessWindowSystem::clientToScreen(WindowId id, int& x, int& y) {
    if (auto* w = window(id)) {
        x += w->rect.left + ((w->style & kWsCaption) ? kFrame : 0);
        y += w->rect.top + ((w->style & kWsCaption) ? kFrame + kCaption : 0);
    }
}

std::unique_ptr<gfx::Device> HeadlessWindowSystem::createDevice(WindowId, const gfx::PresentParameters& p) {
    if (failDevices_) return nullptr;
    auto d = std::make_unique<gfx::RecordingDevice>(p);
    devices_.push_back(d.get());
    return d;
}

void HeadlessWindowSystem::messageBox(WindowId parent, const std::string& text, const std::string& title,
                                      MessageBoxIcon icon) {
    boxes_.push_back({parent, text, title, icon});
}

uint32_t HeadlessWindowSystem::trackPopupMenu(WindowId, const Menu& menu, int, int) {
    lastMenu_ = menu;
    return menuChoice_;
}

void HeadlessWindowSystem::paintErrorBox(WindowId id, const Rect& box, const std::string&) {
    if (auto* w = window(id)) {
        ++w->errorPaints;
        w->lastErrorBox = box;
    }
}

namespace {
WindowSystem* g_windowSystem = nullptr;
}
WindowSystem* windowSystem() { return g_windowSystem; }
void setWindowSystem(WindowSystem* ws) { g_windowSystem = ws; }

}  // namespace tnx::win
