// The application framework behind both the interactive viewer and the
// screen saver: command-line modes, monitors, adapters and their display
// modes, one render unit per rendering window, the message loop with one
// frame whenever no message waits, lost-device recovery, the saver's input
// rules and the error display. The application derives from it and fills the
// virtual operations.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/app_clock.h"
#include "app/frame_pacer.h"
#include "core/process_state.h"
#include "app/screen_settings.h"
#include "platform/gfx/device.h"
#include "platform/win/window_system.h"

namespace tnx::app {

// Behaviour flags of a device.
constexpr uint32_t kCreatePureDevice = 0x10;
constexpr uint32_t kCreateSoftwareVp = 0x20;
constexpr uint32_t kCreateHardwareVp = 0x40;
constexpr uint32_t kCreateMixedVp = 0x80;

enum class DeviceType { Hardware, Software };

// A display mode is a full-screen render resolution: the frame is rendered at
// this size and scaled to the monitor when shown.
struct DisplayMode {
    uint32_t width = 0, height = 0;
    gfx::Format format = gfx::Format::X8R8G8B8;
    bool operator==(const DisplayMode&) const = default;
    int depth() const;  // 32 or 16 bits
};

struct DeviceRecord {
    DeviceType type = DeviceType::Hardware;
    gfx::Caps caps;
    std::vector<uint32_t> behaviours;  // accepted vertex processing kinds, best first
};

struct Adapter {
    win::AdapterInfo info;
    DisplayMode desktop;
    std::vector<DisplayMode> modes;
    std::vector<DeviceRecord> devices;
    bool hasHardware = false;
    bool hasSoftware = false;
    ScreenSettings settings;
};

struct Monitor {
    win::MonitorInfo info;
    int adapter = -1;
    win::WindowId window = 0;
    bool leaveBlack = false;
    // Error box: position in window pixels and velocity in pixels per second.
    float boxX = 0, boxY = 0, boxVx = 0, boxVy = 0;
    win::Rect lastBox;
};

struct RenderUnit {
    int adapter = -1;
    int monitor = -1;
    DeviceType type = DeviceType::Hardware;
    uint32_t behaviour = kCreateSoftwareVp;
    gfx::PresentParameters params;
    std::unique_ptr<gfx::Device> device;
    win::WindowId window = 0;
    bool objectsInitialised = false;
    bool objectsRestored = false;
    std::string deviceStats;
};

class SaverFramework {
public:
    SaverFramework();
    virtual ~SaverFramework();
    SaverFramework(const SaverFramework&) = delete;
    SaverFramework& operator=(const SaverFramework&) = delete;

    // Modes, monitors, windows, adapters, settings. Returns 0 or an error code.
    int32_t create(const std::string& commandLine);
    // The message loop (or the configuration / password step); the exit code.
    int run();
    // Ends the program: leaves the saver state, cleans up, posts quit.
    void shutdown();
    // Input that may end the program (saver input, close); `cause` is the
    // message that asked for it.
    void interrupt(uint32_t cause = 0);
    void showError(int32_t code);

    SaverMode saverMode() const { return mode_; }
    bool inErrorState() const { return errorState_; }
    int32_t errorCode() const { return errorCode_; }
    win::WindowId mainWindow() const { return mainWindow_; }
    const std::vector<Monitor>& monitors() const { return monitors_; }
    std::vector<Adapter>& adapters() { return adapters_; }
    std::vector<RenderUnit>& renderUnits() { return units_; }
    gfx::Device* currentDevice() const;
    const win::Rect& renderRect() const { return renderRect_; }
    const win::Rect& unionRect() const { return unionRect_; }
    bool allScreensSame() const { return allScreensSame_; }
    const std::string& frameStats() const { return frameStats_; }
    const std::string& windowTitle() const { return title_; }
    double appTime() const { return appTime_; }
    double elapsedTime() const { return elapsedTime_; }
    int mouseMoveCount() const { return mouseMoves_; }
    // The message that ended the saver (0 while it runs).
    uint32_t interruptedBy() const { return interruptedBy_; }
    // The screen-saver manager's window the saver draws in (0: our own
    // full-screen windows).
    uint64_t managerWindow() const { return managerWindow_; }
    // Whether the desktop has been told a screen saver is running.
    bool saverRunning() const { return saverRunning_; }
    const FramePacer& pacer() const { return pacer_; }
    // Frames since the start: drawn whole, drawn over the kept scene, presented.
    struct FrameCounts {
        int drawn = 0, overlaysOnly = 0, presented = 0;
    };
    const FrameCounts& frameCounts() const { return counts_; }

    // One pass of the message loop: handle a waiting message or run a frame.
    // Returns false once the quit message arrived.
    bool loopOnce();
    // One frame: advance, draw when enabled, present.
    void frame();
    // Hands a message to the hook and the window procedure.
    win::LParam dispatch(const win::Message& m);

    // Reads the per-screen settings of every monitor / writes them.
    void readScreenSettings();
    void writeScreenSettings();
    // Test drivers: build the devices as run() does, and run frames.
    void createEnvironmentForTest() {
        if (int32_t hr = create3DEnvironment(); hr != 0) enterErrorState(hr);
    }
    int runFramesForTest(int n) {
        if (units_.empty() && !errorState_) createEnvironmentForTest();
        int i = 0;
        for (; i < n && !errorState_; ++i) frame();
        return i;
    }

    // Re-reads client rectangles of the windowed render unit.
    void refreshClientRects();
    // Resizes the windowed device to the window's client size (mode change,
    // end of a resize). Failure enters the error state.
    void resizeDevice();

protected:
    // --- operations the application fills ---
    virtual bool confirmDevice(const gfx::Caps&, uint32_t /*behaviour*/) { return true; }
    virtual int32_t oneTimeSceneInit() { return 0; }
    virtual int32_t initDeviceObjects() { return 0; }
    virtual int32_t restoreDeviceObjects() { return 0; }
    virtual int32_t invalidateDeviceObjects() { return 0; }
    virtual int32_t deleteDeviceObjects() { return 0; }
    virtual int32_t finalCleanup() { return 0; }
    virtual void frameMove() {}
    virtual void render() {}
    // Draws only what lies over the scene (the scene is unchanged).
    virtual void renderOverlays() {}
    virtual void doConfig() {}
    virtual void doPasswordChange();
    virtual void readSettings() { readScreenSettings(); }
    virtual void selectDevice(int /*unit*/) {}
    // Creates the interactive viewer's main window; 0 on failure.
    virtual win::WindowId createInteractiveWindow() { return 0; }
    // The application's window procedure for the interactive viewer.
    virtual win::LParam windowProc(const win::Message&) { return 0; }
    // The viewer core's hook, which sees every message first.
    virtual void hookMessage(const win::Message&) {}
    // A windowed device needs a reset: return true when the frame should end
    // without resetting (the shaped window is being re-laid out).
    virtual bool onWindowedResetNeeded() { return false; }
    // Called after a frame was drawn and presented (snapshots).
    virtual void afterFrame() {}

    void enterErrorState(int32_t code);
    // Paints the error box into the window (centred, or where it drifts on
    // a saver's monitor).
    void paintError(win::WindowId window);
    void cleanup3DEnvironment();
    int32_t create3DEnvironment();
    void setMainWindow(win::WindowId id) { mainWindow_ = id; }
    void setTitle(const std::string& t) { title_ = t; }
    void setModeFromCommandLine(SaverMode m) { mode_ = m; }
    // Runs the saver inside a screen-saver manager's window: one window of
    // ours filling it, sized with it; the manager owns input and ends us.
    void setManagerWindow(uint64_t window) { managerWindow_ = window; }
    int currentUnit() const { return currentUnit_; }
    bool presentNeeded_ = false;

private:
    win::LParam saverWindowProc(const win::Message& m);
    win::LParam managedSaverProc(const win::Message& m);
    // Our own saver windows, one per monitor (not inside a manager's).
    bool ownSaverWindows() const { return mode_ == SaverMode::FullScreenSaver && !managerWindow_; }
    void enumerateMonitors();
    int32_t createWindows();
    int32_t buildDeviceList();
    int bestMonitor() const;
    int32_t createRenderUnit(int monitor, bool windowed);
    bool chooseFullScreenMode(const Adapter& a, DeviceType type, DisplayMode& out) const;
    void updateDeviceStats(RenderUnit& u);
    void updateFrameStats();
    void updateErrorDisplay();
    // The error box: 300 x 150 pixels of the desktop, in the window's.
    struct ErrorBoxSize {
        int width, height;
    };
    static ErrorBoxSize errorBoxSize(win::WindowId window);
    void drawPass(RenderUnit& u);
    // A paint: shows the last frame again, or where the device no longer
    // holds it, asks for the overlays to be drawn over the kept scene.
    void repaint();
    // TERRANOX_FRAME_STATS=SECONDS: the frame counts on stderr that often,
    // and once each, when the first frame reached the screen and when the
    // first frame left nothing to build (seconds since the program started).
    void reportFrameCounts();
    win::Rect windowedRenderRect(const RenderUnit& u) const;

    SaverMode mode_ = SaverMode::Configuration;
    long parentWindow_ = 0;
    uint64_t managerWindow_ = 0;
    std::string title_ = "Screen Saver";
    bool allScreensSame_ = false;
    std::vector<Monitor> monitors_;
    std::vector<Adapter> adapters_;
    std::vector<RenderUnit> units_;
    int currentUnit_ = -1;
    win::WindowId mainWindow_ = 0;
    win::Rect renderRect_, unionRect_;
    bool errorState_ = false;
    int32_t errorCode_ = 0;
    std::string errorText_;
    double appTime_ = 0, elapsedTime_ = 0;
    double lastErrorUpdate_ = -1;
    std::string frameStats_;
    double lastStatsTime_ = 0;
    int mouseMoves_ = 0;
    uint32_t interruptedBy_ = 0;
    int lastMouseX_ = -1, lastMouseY_ = -1;
    bool quitPosted_ = false;
    bool saverRunning_ = false;
    FramePacer pacer_;
    FrameCounts counts_, reported_;
    double reportInterval_ = 0, lastReport_ = 0;
    bool reportedShown_ = false, reportedComplete_ = false;
};

// Device description text: "HAL (sw vp): <adapter>" and the like.
std::string deviceDescription(DeviceType type, uint32_t behaviour, const std::string& adapter);

}  // namespace tnx::app
