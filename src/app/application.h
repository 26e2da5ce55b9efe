// The Terranox application object: the framework's operations filled in for
// the globe viewer — settings, device checks, the viewer core per device, the
// frame, and the main window's procedure.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "app/app_options.h"
#include "app/command_line.h"
#include "app/floating_status.h"
#include "app/saver_framework.h"
#include "app/snapshot_series.h"
#include "app/viewer_core.h"
#include "app/window_options.h"
#include "geodata/pack_archive.h"
#include "player/player_facade.h"
#include "settings/preferences_store.h"

namespace tnx::app {

// Command identifiers the main window handles.
enum WindowCommand : uint32_t {
    kCmdWindowed = 40028,
    kCmdTransparent = 40029,
    kCmdFullScreen = 40030,
    kCmdExit = 40032,
};

struct DeviceUserRecord {
    std::unique_ptr<ViewerCore> core;
    int32_t value0 = -1, value1 = -1;
    bool pixelShaderMinor = false;
};

class Application : public SaverFramework {
public:
    // commandLine is the full command line, program path included.
    Application(const std::string& commandLine, const LaunchOptions& launch);
    ~Application() override;

    int32_t create();
    const AppOptions& options() const { return options_; }
    bool dithering() const { return options_.dithering != 0; }
    const std::array<float, 4>& background() const { return background_; }
    ViewerCore* viewerCore() const;
    DeviceUserRecord* currentRecord() const { return current_; }
    const LaunchOptions& launch() const { return launch_; }
    // The background music player, while the configuration enables it.
    player::PlayerFacade* musicPlayer() const { return musicPlayer_.get(); }
    // The snapshot, or every picture of the series, was written.
    bool wroteSnapshot() const { return series_ ? series_->complete() : snapshotWritten_; }

    // The process-wide settings entry point: action 2 writes the settings,
    // 1 re-reads them, anything else opens the Display Settings dialog.
    void settingsEntry(win::WindowId parent, int action);

    // The device rule: refuse pure devices, and hardware or mixed vertex
    // processing without vertex shader 1.1.
    static bool confirmDeviceRule(const gfx::Caps& caps, uint32_t behaviour);

protected:
    bool confirmDevice(const gfx::Caps& caps, uint32_t behaviour) override { return confirmDeviceRule(caps, behaviour); }
    int32_t initDeviceObjects() override;
    int32_t restoreDeviceObjects() override;
    int32_t invalidateDeviceObjects() override;
    int32_t deleteDeviceObjects() override;
    void frameMove() override;
    void render() override;
    void renderOverlays() override;
    void doConfig() override;
    void readSettings() override;
    void selectDevice(int unit) override;
    win::WindowId createInteractiveWindow() override;
    win::LParam windowProc(const win::Message& m) override;
    void hookMessage(const win::Message& m) override;
    bool onWindowedResetNeeded() override;
    void afterFrame() override;

private:
    void setFixedDeviceState(gfx::Device& d);
    void changeWindowMode(int32_t mode);
    void writeSnapshot();
    // The frame just drawn as a PNG at `path`; false when it could not be written.
    bool saveFrameTo(const std::string& path);
    // The floating status window follows the pointer's read-outs.
    void updateFloatingStatus();

    LaunchOptions launch_;
    AppOptions options_;
    std::array<float, 4> background_{0, 0, 0, 1};
    std::array<DeviceUserRecord, 10> records_{};
    DeviceUserRecord* current_ = nullptr;
    std::unique_ptr<settings::PreferencesStore> prefs_;
    std::unique_ptr<WindowOptions> windowOptions_;
    // Created with the first viewer core, gone with the last.
    std::unique_ptr<geodata::PackArchive> pack_;
    std::unique_ptr<FloatingStatus> status_;
    std::unique_ptr<player::PlayerFacade> musicPlayer_;
    bool musicPlayerStarted_ = false;
    bool maximized_ = false;
    win::Rect lastClient_;
    int framesPresented_ = 0;
    bool snapshotWritten_ = false;
    std::unique_ptr<SnapshotSeries> series_;  // --frames
};

// The one application object while it lives.
Application* application();

}  // namespace tnx::app
