#include "app/saver_framework.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/error_texts.h"
#include "core/frame_timer.h"
#include "platform/clock/clock_source.h"
#include "platform/win/message_queue.h"

namespace tnx::app {

using win::Message;

namespace {
// Taken while the program loads, before main: start-up is timed from here.
const auto kLoaded = std::chrono::steady_clock::now();
double secondsSinceStart() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - kLoaded).count();
}
}  // namespace

int DisplayMode::depth() const {
    switch (format) {
        case gfx::Format::R8G8B8:
        case gfx::Format::A8R8G8B8:
        case gfx::Format::X8R8G8B8: return 32;
        default: return 16;
    }
}

std::string deviceDescription(DeviceType type, uint32_t b, const std::string& adapter) {
    std::string s = type == DeviceType::Hardware ? "HAL" : "SW";
    if ((b & kCreateHardwareVp) && (b & kCreatePureDevice)) s += " (pure hw vp)";
    else if (b & kCreateHardwareVp) s += " (hw vp)";
    else if (b & kCreateMixedVp) s += " (mixed vp)";
    else s += " (sw vp)";
    if (type == DeviceType::Hardware) s += ": " + adapter;
    return s;
}

SaverFramework::SaverFramework() = default;

SaverFramework::~SaverFramework() {
    cleanup3DEnvironment();
    if (auto* ws = win::windowSystem())
        for (auto& m : monitors_)
            if (m.window && m.window != mainWindow_) ws->destroyWindow(m.window);
    if (mainWindow_ && win::windowSystem()) win::windowSystem()->destroyWindow(mainWindow_);
}

gfx::Device* SaverFramework::currentDevice() const {
    if (currentUnit_ < 0 || currentUnit_ >= int(units_.size())) return nullptr;
    return units_[size_t(currentUnit_)].device.get();
}

// ---------------------------------------------------------------- create

int32_t SaverFramework::create(const std::string&) {
    auto* ws = win::windowSystem();
    enumerateMonitors();
    if (mode_ == SaverMode::Preview || mode_ == SaverMode::FullScreenSaver || mode_ == SaverMode::InteractiveViewer) {
        int32_t hr = createWindows();
        if (hr != 0) {
            enterErrorState(hr);
            return hr;
        }
    }
    if (!ws) return kErrNoDirect3D;
    int32_t hr = buildDeviceList();
    if (hr != 0) {
        enterErrorState(hr);
        return hr;
    }
    readSettings();
    allScreensSame_ = readAllScreensSame();
    return 0;
}

void SaverFramework::enumerateMonitors() {
    monitors_.clear();
    auto* ws = win::windowSystem();
    if (!ws) return;
    for (const auto& info : ws->monitors()) {
        if (info.mirroring) continue;
        Monitor m;
        m.info = info;
        if (!info.attached) m.info.handle = 0;
        monitors_.push_back(m);
        if (monitors_.size() == 9) break;
    }
}

int32_t SaverFramework::createWindows() {
    auto* ws = win::windowSystem();
    if (!ws) return kErrNoDirect3D;
    if (mode_ == SaverMode::InteractiveViewer) {
        mainWindow_ = createInteractiveWindow();
        if (!mainWindow_) return kErrCouldNotInitialize;
    } else if (mode_ == SaverMode::FullScreenSaver && managerWindow_) {
        win::WindowRequest request;
        request.title = title_;
        request.parent = managerWindow_;
        request.style = win::kWsPopup | win::kWsVisible;
        for (const auto& m : monitors_)
            if (m.info.primary || request.rect.width() == 0) request.rect = {0, 0, m.info.rect.width(), m.info.rect.height()};
        mainWindow_ = ws->createWindow(request);
        if (!mainWindow_) return kErrCouldNotInitialize;
    } else if (mode_ == SaverMode::FullScreenSaver) {
        for (size_t i = 0; i < monitors_.size(); ++i) {
            Monitor& m = monitors_[i];
            if (!m.info.handle) continue;
            win::WindowRequest request;
            request.title = title_;
            request.rect = m.info.rect;
            request.style = win::kWsPopup | win::kWsVisible;
            request.topmost = true;
            request.monitor = int(i);
            m.window = ws->createWindow(request);
            if (!mainWindow_) mainWindow_ = m.window;
            ws->setCursor(m.window, win::CursorShape::None);
        }
        if (!mainWindow_) return kErrCouldNotInitialize;
    }
    // Every window of ours goes through the same procedure.
    auto& q = win::messageQueue();
    auto proc = [this](const Message& m) { return dispatch(m); };
    if (mainWindow_) q.setProcedure(mainWindow_, proc);
    for (auto& m : monitors_)
        if (m.window) q.setProcedure(m.window, proc);
    return 0;
}

int32_t SaverFramework::buildDeviceList() {
    auto* ws = win::windowSystem();
    adapters_.clear();
    bool anyUsable = false;
    for (Monitor& m : monitors_) {
        Adapter a;
        a.info = ws->describeAdapter(m.info);
        uint32_t w = uint32_t(m.info.rect.width()), h = uint32_t(m.info.rect.height());
        a.desktop = {w, h, m.info.depth >= 24 ? gfx::Format::X8R8G8B8 : gfx::Format::R5G6B5};
        // Render resolutions scaled to the monitor, in 32 and 16 bits.
        static const int kScales[][2] = {{1, 1}, {3, 4}, {2, 3}, {1, 2}};
        for (auto& s : kScales) {
            uint32_t mw = w * uint32_t(s[0]) / uint32_t(s[1]), mh = h * uint32_t(s[0]) / uint32_t(s[1]);
            if (mw < 640 || mh < 400) continue;
            for (gfx::Format f : {gfx::Format::X8R8G8B8, gfx::Format::R5G6B5}) {
                DisplayMode dm{mw, mh, f};
                if (std::find(a.modes.begin(), a.modes.end(), dm) == a.modes.end()) a.modes.push_back(dm);
            }
        }
        std::sort(a.modes.begin(), a.modes.end(), [](const DisplayMode& x, const DisplayMode& y) {
            if (x.width != y.width) return x.width < y.width;
            if (x.height != y.height) return x.height < y.height;
            return x.depth() > y.depth();
        });
        for (DeviceType type : {DeviceType::Hardware, DeviceType::Software}) {
            bool exists = type == DeviceType::Hardware ? a.info.hasHardware : a.info.hasSoftware;
            if (!exists) continue;
            DeviceRecord d;
            d.type = type;
            d.caps = a.info.caps;
            for (uint32_t b : {kCreateHardwareVp | kCreatePureDevice, kCreateHardwareVp, kCreateMixedVp, kCreateSoftwareVp})
                if (confirmDevice(d.caps, b)) d.behaviours.push_back(b);
            if (d.behaviours.empty()) continue;
            if (type == DeviceType::Hardware) a.hasHardware = true;
            else a.hasSoftware = true;
            a.devices.push_back(d);
        }
        anyUsable |= a.hasHardware || a.hasSoftware;
        m.adapter = int(adapters_.size());
        adapters_.push_back(a);
    }
    return anyUsable ? 0 : kErrNoCompatibleDevices;
}

void SaverFramework::readScreenSettings() {
    for (size_t i = 0; i < monitors_.size(); ++i) {
        int a = monitors_[i].adapter;
        if (a < 0) continue;
        adapters_[size_t(a)].settings = app::readScreenSettings(int(i) + 1, adapters_[size_t(a)].info.identifier);
    }
}

void SaverFramework::writeScreenSettings() {
    for (size_t i = 0; i < monitors_.size(); ++i) {
        int a = monitors_[i].adapter;
        if (a < 0) continue;
        app::writeScreenSettings(int(i) + 1, adapters_[size_t(a)].info.identifier, adapters_[size_t(a)].settings);
    }
    writeAllScreensSame(allScreensSame_);
}

// ---------------------------------------------------------------- devices

int SaverFramework::bestMonitor() const {
    for (size_t i = 0; i < monitors_.size(); ++i) {
        int a = monitors_[i].adapter;
        if (a >= 0 && adapters_[size_t(a)].hasHardware && !adapters_[size_t(a)].settings.disableHardware && monitors_[i].info.handle)
            return int(i);
    }
    int last = -1;
    for (size_t i = 0; i < monitors_.size(); ++i) {
        int a = monitors_[i].adapter;
        if (a >= 0 && adapters_[size_t(a)].hasSoftware && monitors_[i].info.handle) last = int(i);
    }
    return last;
}

bool SaverFramework::chooseFullScreenMode(const Adapter& a, DeviceType type, DisplayMode& out) const {
    if (a.modes.empty()) return false;
    const ScreenSettings& s = a.settings;
    if (s.width && s.height) {
        for (const auto& m : a.modes)
            if (m.width == s.width && m.height == s.height && uint32_t(m.format) == s.format) {
                out = m;
                return true;
            }
    }
    if (type == DeviceType::Hardware) {
        const DisplayMode* match = nullptr;
        for (const auto& m : a.modes) {
            if (m.width != a.desktop.width || m.height != a.desktop.height) continue;
            if (!match || m.format == a.desktop.format) match = &m;
        }
        if (match) {
            out = *match;
            return true;
        }
    } else {
        const DisplayMode* match = nullptr;
        for (const auto& m : a.modes) {
            if (m.height == 400) continue;
            if (!match) { match = &m; continue; }
            bool smaller = m.width * m.height < match->width * match->height;
            bool same = m.width == match->width && m.height == match->height;
            if (smaller || (same && m.depth() == 16 && match->depth() != 16)) match = &m;
        }
        if (match) {
            out = *match;
            return true;
        }
    }
    // The largest mode, deeper formats first (the list is sorted that way).
    const DisplayMode* best = &a.modes.back();
    for (const auto& m : a.modes)
        if (m.width == best->width && m.height == best->height && m.depth() > best->depth()) best = &m;
    out = *best;
    return true;
}

int32_t SaverFramework::createRenderUnit(int monitorIndex, bool windowed) {
    auto* ws = win::windowSystem();
    Monitor& mon = monitors_[size_t(monitorIndex)];
    Adapter& a = adapters_[size_t(mon.adapter)];
    RenderUnit u;
    u.adapter = mon.adapter;
    u.monitor = monitorIndex;
    u.type = (a.hasHardware && !a.settings.disableHardware) ? DeviceType::Hardware : DeviceType::Software;
    for (const auto& d : a.devices)
        if (d.type == u.type && !d.behaviours.empty()) u.behaviour = d.behaviours.front();
    u.window = windowed ? mainWindow_ : mon.window;
    u.params.windowed = windowed;
    u.params.pixelRatio = float(ws->pixelRatio(u.window));
    if (windowed) {
        win::Rect c = ws->clientRect(u.window);
        u.params.backBufferWidth = uint32_t(std::max(1, c.width()));
        u.params.backBufferHeight = uint32_t(std::max(1, c.height()));
        u.device = ws->createDevice(u.window, u.params);
    } else {
        DisplayMode mode;
        if (!chooseFullScreenMode(a, u.type, mode)) return kErrCreateDeviceFailed;
        // Step down through the adapter's modes until a device can be made.
        auto it = std::find(a.modes.begin(), a.modes.end(), mode);
        const float windowRatio = u.params.pixelRatio;
        for (;;) {
            u.params.backBufferWidth = mode.width;
            u.params.backBufferHeight = mode.height;
            u.params.backBufferFormat = mode.format;
            // A lower render resolution is scaled up to the monitor: fewer
            // back-buffer pixels to a pixel of the desktop.
            u.params.pixelRatio = windowRatio * float(mode.width) / float(std::max(1, mon.info.rect.width()));
            u.device = ws->createDevice(u.window, u.params);
            if (u.device || it == a.modes.begin() || it == a.modes.end()) break;
            --it;
            mode = *it;
        }
    }
    if (!u.device) return kErrCreateDeviceFailed;
    updateDeviceStats(u);
    units_.push_back(std::move(u));
    return 0;
}

void SaverFramework::updateDeviceStats(RenderUnit& u) {
    u.deviceStats = deviceDescription(u.type, u.behaviour, adapters_[size_t(u.adapter)].info.description);
}

int32_t SaverFramework::create3DEnvironment() {
    auto* ws = win::windowSystem();
    if (ownSaverWindows()) {
        for (auto& m : monitors_) m.leaveBlack = true;
        int best = bestMonitor();
        if (best < 0) return kErrNoCompatibleDevices;
        monitors_[size_t(best)].leaveBlack = false;
        for (size_t i = 0; i < monitors_.size(); ++i) {
            Monitor& m = monitors_[i];
            if (m.leaveBlack || m.adapter < 0 || !m.window) continue;
            const Adapter& a = adapters_[size_t(m.adapter)];
            if (a.settings.disableHardware && !a.hasSoftware) m.leaveBlack = true;
            if (a.settings.leaveBlack && int(i) != best) m.leaveBlack = true;
            if (m.leaveBlack || a.modes.empty()) continue;
            if (int32_t hr = createRenderUnit(int(i), false); hr != 0) return hr;
        }
    } else {
        int best = bestMonitor();
        if (best < 0) return kErrNoCompatibleDevices;
        if (int32_t hr = createRenderUnit(best, true); hr != 0)
            return mode_ == SaverMode::Preview ? kErrNoPreview : hr;
    }
    // Place every monitor's window on its monitor and form the union.
    unionRect_ = {};
    bool first = true;
    for (auto& u : units_) {
        win::Rect r = u.params.windowed ? windowedRenderRect(u) : monitors_[size_t(u.monitor)].info.rect;
        if (!u.params.windowed) {
            ws->setWindowRect(u.window, r);
            ws->setTopmost(u.window, true);
        }
        if (first) unionRect_ = r;
        else {
            unionRect_.left = std::min(unionRect_.left, r.left);
            unionRect_.top = std::min(unionRect_.top, r.top);
            unionRect_.right = std::max(unionRect_.right, r.right);
            unionRect_.bottom = std::max(unionRect_.bottom, r.bottom);
        }
        first = false;
    }
    for (size_t i = 0; i < units_.size(); ++i) {
        currentUnit_ = int(i);
        RenderUnit& u = units_[i];
        renderRect_ = u.params.windowed ? windowedRenderRect(u) : monitors_[size_t(u.monitor)].info.rect;
        selectDevice(int(i));
        if (initDeviceObjects() != 0) return kErrInitDeviceObjectsFailed;
        u.objectsInitialised = true;
        if (restoreDeviceObjects() != 0) return kErrInitDeviceObjectsFailed;
        u.objectsRestored = true;
    }
    return 0;
}

void SaverFramework::cleanup3DEnvironment() {
    for (size_t i = 0; i < units_.size(); ++i) {
        currentUnit_ = int(i);
        selectDevice(int(i));
        RenderUnit& u = units_[i];
        if (u.objectsRestored) {
            invalidateDeviceObjects();
            u.objectsRestored = false;
        }
        if (u.objectsInitialised) {
            deleteDeviceObjects();
            u.objectsInitialised = false;
        }
    }
    units_.clear();
    currentUnit_ = -1;
}

void SaverFramework::refreshClientRects() {
    auto* ws = win::windowSystem();
    for (auto& u : units_) {
        if (!u.params.windowed || !ws) continue;
        win::Rect c = ws->clientRect(u.window);
        u.params.backBufferWidth = uint32_t(std::max(1, c.width()));
        u.params.backBufferHeight = uint32_t(std::max(1, c.height()));
        u.params.pixelRatio = float(ws->pixelRatio(u.window));
        renderRect_ = windowedRenderRect(u);
        unionRect_ = renderRect_;
    }
}

win::Rect SaverFramework::windowedRenderRect(const RenderUnit& u) const {
    // The client area, where the window sits.
    win::Rect r = win::windowSystem()->windowRect(u.window);
    return {r.left, r.top, r.left + int(u.params.backBufferWidth), r.top + int(u.params.backBufferHeight)};
}

void SaverFramework::resizeDevice() {
    refreshClientRects();
    for (size_t i = 0; i < units_.size(); ++i) {
        RenderUnit& u = units_[i];
        if (!u.params.windowed || !u.device) continue;
        currentUnit_ = int(i);
        selectDevice(int(i));
        if (u.objectsRestored) {
            invalidateDeviceObjects();
            u.objectsRestored = false;
        }
        if (gfx::failed(u.device->reset(u.params)) || restoreDeviceObjects() != 0) {
            enterErrorState(kErrResetFailed);
            return;
        }
        u.objectsRestored = true;
    }
}

// ---------------------------------------------------------------- running

int SaverFramework::run() {
    if (mode_ == SaverMode::Configuration) {
        if (errorState_) showError(errorCode_);
        else doConfig();
        return 0;
    }
    if (mode_ == SaverMode::PasswordChange) {
        doPasswordChange();
        return 0;
    }
    appClock(ClockCommand::Start);
    if (const char* every = std::getenv("TERRANOX_FRAME_STATS")) reportInterval_ = std::atof(every);
    if (!errorState_) {
        if (int32_t hr = oneTimeSceneInit(); hr != 0) {
            showError(hr);
            return 0;
        }
        if (int32_t hr = create3DEnvironment(); hr != 0) enterErrorState(hr);
    }
    if (mode_ == SaverMode::FullScreenSaver) saverRunning_ = true;
    while (loopOnce()) {
    }
    return 0;
}

bool SaverFramework::loopOnce() {
    auto* ws = win::windowSystem();
    if (ws) ws->pumpEvents();
    Message m;
    if (win::messageQueue().take(m)) {
        if (m.id == win::kWmQuit) return false;
        dispatch(m);
        return true;
    }
    if (quitPosted_) return true;
    if (errorState_) updateErrorDisplay();
    else frame();
    return true;
}

void SaverFramework::frame() {
    appTime_ = appClock(ClockCommand::GetAppTime);
    elapsedTime_ = appClock(ClockCommand::GetElapsedTime);
    frameMove();
    updateFrameStats();
    auto& clk = clock::clockSource();
    for (size_t i = 0; i < units_.size(); ++i) {
        currentUnit_ = int(i);
        RenderUnit& u = units_[i];
        if (!u.device) continue;
        selectDevice(int(i));
        gfx::CooperativeLevel level = u.device->testCooperativeLevel();
        if (level == gfx::CooperativeLevel::Lost) {
            clk.sleepMilliseconds(100);
            return;
        }
        if (level == gfx::CooperativeLevel::NotReset) {
            if (u.params.windowed) {
                if (onWindowedResetNeeded()) {
                    refreshClientRects();
                    return;
                }
                refreshClientRects();
            }
            if (u.objectsRestored) {
                invalidateDeviceObjects();
                u.objectsRestored = false;
            }
            if (gfx::failed(u.device->reset(u.params))) {
                if (gfx::failed(u.device->reset(u.params))) return;
                if (restoreDeviceObjects() != 0) return;
                u.objectsRestored = true;
            } else {
                u.device->reset(u.params);
                if (restoreDeviceObjects() != 0) {
                    enterErrorState(kErrInitDeviceObjectsFailed);
                    return;
                }
                u.objectsRestored = true;
            }
        }
        drawPass(u);
        if (errorState_) return;
    }
    processState().overlayRedraw = {};
    if (presentNeeded_) {
        presentNeeded_ = false;
        ++counts_.presented;
        for (auto& u : units_)
            if (u.device) u.device->present();
        afterFrame();
    }
    if (reportInterval_ > 0) reportFrameCounts();
}

void SaverFramework::drawPass(RenderUnit&) {
    auto& clk = clock::clockSource();
    ProcessState& ps = processState();
    if (!ps.renderEnabled) {
        if (!ps.overlayRedraw.empty()) {
            renderOverlays();
            ++counts_.overlaysOnly;
            presentNeeded_ = true;
        }
        clk.sleepMilliseconds(30);
        return;
    }
    pacer_.beginDraw(frameTimer().microseconds());
    render();
    ++counts_.drawn;
    uint32_t pause = pacer_.endDraw(frameTimer().microseconds());
    // A picture written to a file waits for nobody.
    if (!ps.snapshotRun) clk.sleepMilliseconds(pause);
    presentNeeded_ = true;
}

void SaverFramework::repaint() {
    bool kept = true;
    for (const auto& u : units_)
        if (u.device && !u.device->keepsLastFrame()) kept = false;
    if (kept) presentNeeded_ = true;
    else processState().overlayRedraw.addWhole();
}

void SaverFramework::reportFrameCounts() {
    if (!reportedShown_)
        for (const auto& u : units_)
            if (u.device && u.device->lastPresentShown()) {
                reportedShown_ = true;
                std::fprintf(stderr, "start-up: first frame on screen after %.3f s (frame %d)\n",
                             secondsSinceStart(), counts_.presented);
                break;
            }
    // The first frame shown that asked for no other (every texture it
    // wanted was built).
    if (reportedShown_ && !reportedComplete_ && !processState().forceRedraw) {
        reportedComplete_ = true;
        std::fprintf(stderr, "start-up: view complete after %.3f s (frame %d)\n", secondsSinceStart(),
                     counts_.presented);
    }
    const double now = appClock(ClockCommand::GetAbsoluteTime);
    if (lastReport_ == 0) lastReport_ = now;
    if (now - lastReport_ < reportInterval_) return;
    std::fprintf(stderr, "frames at %.0f s: scene %d, overlays %d, presented %d in %.1f s\n",
                 appClock(ClockCommand::GetAppTime), counts_.drawn - reported_.drawn,
                 counts_.overlaysOnly - reported_.overlaysOnly, counts_.presented - reported_.presented,
                 now - lastReport_);
    reported_ = counts_;
    lastReport_ = now;
}

void SaverFramework::updateFrameStats() {
    double now = appClock(ClockCommand::GetAbsoluteTime);
    if (now - lastStatsTime_ < 1.0) return;
    lastStatsTime_ = now;
    gfx::Device* d = currentDevice();
    if (!d && !units_.empty()) d = units_.front().device.get();
    if (!d) return;
    const auto& p = d->presentParameters();
    char buf[128];
    std::snprintf(buf, sizeof buf, "%.02f fps (%dx%dx%d) (D24S8)", frameTimer().framesPerSecond(),
                  int(p.backBufferWidth), int(p.backBufferHeight), gfx::bitsPerPixel(p.backBufferFormat));
    frameStats_ = buf;
}

win::LParam SaverFramework::dispatch(const Message& m) {
    hookMessage(m);
    return saverWindowProc(m);
}

win::LParam SaverFramework::saverWindowProc(const Message& m) {
    if (mode_ != SaverMode::FullScreenSaver) return windowProc(m);
    if (managerWindow_) return managedSaverProc(m);
    auto* ws = win::windowSystem();
    switch (m.id) {
        case win::kWmKeyDown:
        case win::kWmSysKeyDown:
        case win::kWmLButtonDown:
        case win::kWmRButtonDown:
        case win::kWmMButtonDown:
        case win::kWmClose:
            interrupt(m.id);
            return 0;
        case win::kWmActivateApp:
            // The application as a whole lost activation. One saver window
            // losing it to another (a window manager focusing each new
            // window) is no reason to end.
            if (m.wParam == 0) interrupt(m.id);
            return 0;
        case win::kWmPowerBroadcast:
            if (m.wParam == win::kPbtApmSuspend) interrupt(m.id);
            return 0;
        case win::kWmMouseMove: {
            int x = win::xFromLParam(m.lParam), y = win::yFromLParam(m.lParam);
            if (x != lastMouseX_ || y != lastMouseY_) {
                lastMouseX_ = x;
                lastMouseY_ = y;
                if (++mouseMoves_ > 5) interrupt(m.id);
            }
            return 0;
        }
        case win::kWmSetCursor:
            if (ws) ws->setCursor(m.window, win::CursorShape::None);
            return 1;
        case win::kWmSysCommand:
            // Next/previous window, close and screen save are swallowed; the
            // saver's windows have no other system commands to pass on.
            return 0;
        case win::kWmEraseBkgnd: return 1;
        case win::kWmPaint:
            if (errorState_) paintError(m.window);
            else repaint();
            return 0;
        default: return 0;
    }
}

win::LParam SaverFramework::managedSaverProc(const Message& m) {
    // Input belongs to the manager, which ends the saver itself; our window
    // only follows the size of the manager's.
    auto* ws = win::windowSystem();
    switch (m.id) {
        case win::kWmExitSizeMove: {
            win::Rect c = ws ? ws->clientRect(mainWindow_) : win::Rect{};
            for (const auto& u : units_)
                if (u.params.windowed && (uint32_t(std::max(1, c.width())) != u.params.backBufferWidth ||
                                          uint32_t(std::max(1, c.height())) != u.params.backBufferHeight)) {
                    resizeDevice();
                    break;
                }
            presentNeeded_ = true;
            return 0;
        }
        case win::kWmClose:
            // The manager's window went away.
            shutdown();
            return 0;
        case win::kWmEraseBkgnd: return 1;
        case win::kWmPaint:
            if (errorState_) paintError(m.window);
            else repaint();
            return 0;
        default: return 0;
    }
}

void SaverFramework::interrupt(uint32_t cause) {
    // No password check exists on this platform, so input simply ends the saver.
    if (mode_ != SaverMode::InteractiveViewer && mode_ != SaverMode::FullScreenSaver) return;
    if (!interruptedBy_) interruptedBy_ = cause;
    shutdown();
}

void SaverFramework::shutdown() {
    if (quitPosted_) return;
    saverRunning_ = false;
    cleanup3DEnvironment();
    finalCleanup();
    quitPosted_ = true;
    win::messageQueue().postQuit(0);
}

void SaverFramework::doPasswordChange() {
    if (auto* ws = win::windowSystem())
        ws->messageBox(0,
                       "Screen-saver passwords are handled by your desktop's screen locker; "
                       "Terranox has no password of its own to change.",
                       title_, win::MessageBoxIcon::Information);
}

// ---------------------------------------------------------------- errors

void SaverFramework::showError(int32_t code) {
    if (auto* ws = win::windowSystem()) ws->messageBox(mainWindow_, errorText(code), title_, win::MessageBoxIcon::Error);
    else std::fprintf(stderr, "%s: %s\n", title_.c_str(), errorText(code).c_str());
}

void SaverFramework::enterErrorState(int32_t code) {
    if (errorState_) return;
    errorState_ = true;
    errorCode_ = code;
    if (!units_.empty()) cleanup3DEnvironment();
    errorText_ = errorText(code);
    // Boxes start centred on their monitors.
    for (auto& m : monitors_) {
        float w = float(m.info.rect.width()), h = float(m.info.rect.height());
        const ErrorBoxSize box = errorBoxSize(m.window);
        m.boxX = (w - float(box.width)) / 2;
        m.boxY = (h - float(box.height)) / 2;
        m.boxVx = 0.1f * w;
        m.boxVy = 0.05f * h;
    }
    lastErrorUpdate_ = -1;
    if (mode_ == SaverMode::InteractiveViewer) showError(code);
}

SaverFramework::ErrorBoxSize SaverFramework::errorBoxSize(win::WindowId window) {
    auto* ws = win::windowSystem();
    const double ratio = ws && window ? ws->pixelRatio(window) : 1.0;
    return {int(std::lround(300 * ratio)), int(std::lround(150 * ratio))};
}

void SaverFramework::paintError(win::WindowId window) {
    auto* ws = win::windowSystem();
    if (!ws || !window) return;
    const ErrorBoxSize size = errorBoxSize(window);
    if (ownSaverWindows()) {
        for (auto& m : monitors_)
            if (m.window == window) {
                win::Rect box{int(m.boxX), int(m.boxY), int(m.boxX) + size.width, int(m.boxY) + size.height};
                m.lastBox = box;
                ws->paintErrorBox(window, box, errorText_);
            }
        return;
    }
    win::Rect c = ws->clientRect(window);
    int x = (c.width() - size.width) / 2, y = (c.height() - size.height) / 2;
    ws->paintErrorBox(window, {x, y, x + size.width, y + size.height}, errorText_);
}

void SaverFramework::updateErrorDisplay() {
    double now = appClock(ClockCommand::GetAbsoluteTime);
    double dt = lastErrorUpdate_ < 0 ? 0 : now - lastErrorUpdate_;
    lastErrorUpdate_ = now;
    if (ownSaverWindows()) {
        for (auto& m : monitors_) {
            if (!m.window) continue;
            const ErrorBoxSize box = errorBoxSize(m.window);
            const float w = float(m.info.rect.width() - box.width), h = float(m.info.rect.height() - box.height);
            m.boxX += m.boxVx * float(dt);
            m.boxY += m.boxVy * float(dt);
            if (m.boxX < 0) { m.boxX = -m.boxX; m.boxVx = std::fabs(m.boxVx); }
            if (m.boxX > w) { m.boxX = std::max(0.0f, 2 * w - m.boxX); m.boxVx = -std::fabs(m.boxVx); }
            if (m.boxY < 0) { m.boxY = -m.boxY; m.boxVy = std::fabs(m.boxVy); }
            if (m.boxY > h) { m.boxY = std::max(0.0f, 2 * h - m.boxY); m.boxVy = -std::fabs(m.boxVy); }
            paintError(m.window);
        }
    } else if (mainWindow_) {
        paintError(mainWindow_);
    }
    // The box moves slowly; a redraw every 30 ms is smooth and cheap.
    clock::clockSource().sleepMilliseconds(30);
}

}  // namespace tnx::app
