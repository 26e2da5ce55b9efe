#include "app/application.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/display_settings_dialog.h"
#include "app/error_texts.h"
#include "app/globe_view.h"
#include "app/hud_layer.h"
#include "app/music_player_launcher.h"
#include "app/sound_visual_part.h"
#include "app/status_window.h"
#include "camera/mouse_state_tracker.h"
#include "geodata/user_site_store.h"
#include "settings/configuration_file.h"
#include "settings/settings_record_file.h"
#include "settings/configuration.h"
#include "settings/option_block.h"
#include "settings/mp3_player_dialog.h"
#include "settings/screen_saver_settings_dialog.h"
#include "platform/gfx/gl_device.h"
#include "platform/home/program_home.h"
#include "platform/io/file_io.h"
#include "platform/win/message_queue.h"

namespace tnx::app {

namespace {
Application* g_application = nullptr;
constexpr uint32_t kVkM = 'M';
constexpr const char* kPreferencesFile = "pref.ini";

// A save killed half-way leaves its temporary beside the file; the next
// viewer clears them so they do not pile up in the state folder.
void removeStaleSaves() {
    const std::string files[] = {settings::SettingsRecordFile::kFileName, kPreferencesFile,
                                 settings::ConfigurationFile::fileName(), geodata::UserSiteStore::kFileName};
    io::removeStaleTempFiles(home::programHome(), files);
}
}  // namespace

Application* application() { return g_application; }

Application::Application(const std::string& commandLine, const LaunchOptions& launch) : launch_(launch) {
    g_application = this;
    options_.read();
    std::srand(unsigned(std::time(nullptr)));
    setTitle("Terranox");
    background_ = options_.backgroundFloats();
    SaverCommand cmd = parseSaverCommandLine(commandLine);
    if (launch.saverWindow) {
        // Started by a screen-saver manager: its saver, in its window.
        cmd.mode = SaverMode::FullScreenSaver;
        setManagerWindow(launch.saverWindow->id);
    }
    // A snapshot is a picture of the viewer: without a switch it would
    // wait in the settings dialog instead.
    if (launch.snapshotPath && cmd.mode == SaverMode::Configuration) cmd.mode = SaverMode::InteractiveViewer;
    setModeFromCommandLine(cmd.mode);
    processState().saverMode = cmd.mode;
    processState().snapshotRun = launch.snapshotPath.has_value();
    processState().stateWritable = true;
    if (maySaveSettingsFiles()) {
        std::string why;
        if (!home::stateFolderWritable(why)) {
            // Keep running on a read-only home; just keep nothing.
            std::fprintf(stderr, "terranox: warning: %s; settings and places are not kept this time\n", why.c_str());
            processState().stateWritable = false;
        } else {
            removeStaleSaves();
        }
    }
    settings::configuration();  // loads "Terranox.ini"
    prefs_ = std::make_unique<settings::PreferencesStore>();
    prefs_->open(home::homeFile(kPreferencesFile));
    settings::setPreferences(prefs_.get());
    windowOptions_ = std::make_unique<WindowOptions>();
    windowOptions_->load();
    setWindowOptions(windowOptions_.get());
    if (launch.frames > 0 && launch.snapshotPath)
        series_ = std::make_unique<SnapshotSeries>(*launch.snapshotPath, launch.frames, launch.fps);
}

Application::~Application() {
    cleanup3DEnvironment();
    if (windowOptions_) windowOptions_->save();
    setWindowOptions(nullptr);
    windowOptions_.reset();
    if (maySaveSettingsFiles() && prefs_) prefs_->write();
    settings::setPreferences(nullptr);
    prefs_.reset();
    if (g_application == this) g_application = nullptr;
}

int32_t Application::create() { return SaverFramework::create({}); }

ViewerCore* Application::viewerCore() const { return current_ ? current_->core.get() : nullptr; }

bool Application::confirmDeviceRule(const gfx::Caps& caps, uint32_t behaviour) {
    if (behaviour & kCreatePureDevice) return false;
    if ((behaviour & 0xFF) >= 0x40 && caps.vertexShaderVersion < 0xFFFE0101) return false;
    return true;
}

void Application::readSettings() {
    options_.read();
    SaverFramework::readSettings();
}

void Application::settingsEntry(win::WindowId parent, int action) {
    if (action == 2) {
        options_.write();
        writeScreenSettings();
    } else if (action == 1) {
        readSettings();
    } else {
        DisplaySettingsDialog::run(parent, *this);
    }
}

void Application::doConfig() {
    settings::ScreenSaverSettingsDialog::Entries entries;
    entries.displaySettings = [this](QWidget*) { settingsEntry(0, 0); };
    entries.mp3Settings = [](QWidget* parent) {
        if (settings::Mp3PlayerDialog::run(settings::configuration(), parent)) settings::configuration().markChanged();
    };
    settings::ScreenSaverSettingsDialog::run(settings::configuration(), entries);
}

void Application::selectDevice(int unit) {
    current_ = (unit >= 0 && unit < int(records_.size())) ? &records_[size_t(unit)] : nullptr;
}

int32_t Application::initDeviceObjects() {
    gfx::Device* d = currentDevice();
    if (!d || !current_) return kErrFail;
    const gfx::Caps& caps = d->caps();
    current_->value0 = current_->value1 = -1;
    if ((caps.pixelShaderVersion >> 8 & 0xFF) != 0) current_->pixelShaderMinor = (caps.pixelShaderVersion & 0xFF) != 0;
    refreshClientRects();
    return 0;
}

void Application::setFixedDeviceState(gfx::Device& d) {
    using gfx::RenderState;
    using gfx::TextureStageState;
    if (!current_->pixelShaderMinor) {
        d.setTextureStageState(0, TextureStageState::ColorOp, gfx::kTopModulate);
        d.setTextureStageState(0, TextureStageState::ColorArg1, gfx::kTaTexture);
        d.setTextureStageState(0, TextureStageState::ColorArg2, gfx::kTaDiffuse);
        d.setTextureStageState(0, TextureStageState::AlphaOp, gfx::kTopModulate);
        d.setTextureStageState(0, TextureStageState::AlphaArg1, gfx::kTaTexture);
        d.setTextureStageState(0, TextureStageState::AlphaArg2, gfx::kTaCurrent);
        d.setTextureStageState(1, TextureStageState::ColorOp, gfx::kTopDisable);
        d.setTextureStageState(1, TextureStageState::AlphaOp, gfx::kTopDisable);
    }
    d.setTextureStageState(0, TextureStageState::AddressU, gfx::kTaddressClamp);
    d.setTextureStageState(0, TextureStageState::AddressV, gfx::kTaddressClamp);
    d.setTextureStageState(0, TextureStageState::MagFilter, gfx::kTexfLinear);
    d.setTextureStageState(0, TextureStageState::MinFilter, gfx::kTexfLinear);
    d.setTextureStageState(0, TextureStageState::MipFilter, gfx::kTexfLinear);
    d.setRenderState(RenderState::CullMode, gfx::kCullCCW);
    d.setRenderState(RenderState::SpecularEnable, 1);
    d.setRenderState(RenderState::DitherEnable, dithering() ? 1 : 0);
    d.setRenderState(RenderState::ZEnable, 1);
    d.setRenderState(RenderState::ZWriteEnable, 1);
    d.setRenderState(RenderState::AlphaTestEnable, 0);
    d.setRenderState(RenderState::AlphaBlendEnable, 1);
    d.setRenderState(RenderState::SrcBlend, gfx::kBlendSrcAlpha);
    d.setRenderState(RenderState::DestBlend, gfx::kBlendInvSrcAlpha);
    d.setRenderState(RenderState::Lighting, 1);
    d.setRenderState(RenderState::FillMode, gfx::kFillSolid);
}

int32_t Application::restoreDeviceObjects() {
    gfx::Device* d = currentDevice();
    if (!d || !current_) return kErrFail;
    processState().availableTextureMemory = d->availableTextureMemory();
    setFixedDeviceState(*d);
    if (!current_->core) {
        if (!pack_) {
            // A missing archive is fine: reads fall back to loose files.
            pack_ = std::make_unique<geodata::PackArchive>();
            pack_->open(home::dataFile("pack.dat"));
            geodata::setPackArchive(pack_.get());
        }
        if (!status_) {
            status_ = std::make_unique<FloatingStatus>();
            status_->load();
            // Only a viewer on the desktop has a pointer to follow.
            if (maySaveSettingsFiles()) status_->setSurfaceFactory([] { return StatusWindow::create(); });
            setFloatingStatus(status_.get());
        }
        if (!musicPlayerStarted_) {
            // Once, with the first viewer core; without a sound device the
            // player still exists and says so in its status text.
            musicPlayerStarted_ = true;
            player::SystemRandom random;
            musicPlayer_ = MusicPlayerLauncher::start(settings::configuration(), random);
        }
        current_->core = std::make_unique<ViewerCore>(*d, saverMode());
        settings::optionBlock().loadFromPreferences();
        ViewerCore& core = *current_->core;
        auto hud = std::make_unique<HudLayer>(core.fieldOfView(), core.width(), core.height(), core.font());
        auto view = std::make_unique<GlobeView>(*d, core.fieldOfView(), *this, launch_);
        view->scene().setFont(core.font());
        hud->setInfoSource(&view->scene().overlay().infoTexts());
        // The browsers' windows belong to the interactive viewer on screen.
        const bool windows = saverMode() == SaverMode::InteractiveViewer && !launch_.snapshotPath;
        hud->connectBrowsers(view->scene().overlay(), view->scene().camera(), mainWindow(), windows);
        // A site added, edited or deleted refills the city lists.
        geodata::GeoOverlay& overlay = view->scene().overlay();
        overlay.setCitiesChanged([&overlay] {
            if (geodata::BrowserLink* browsers = overlay.browsers()) browsers->refillCities();
        });
        auto visual = std::make_unique<SoundVisualPart>(hud->root(), settings::configuration().music().spectrumShown,
                                                        musicPlayer_.get());
        // The clock tells the sky's time; --hide hud clears the view.
        globe::SceneClock* sky = &view->scene().time();
        hud->setClockSource([sky] { return sky->localCalendar(); }, [sky] { return sky->rateText(); });
        const bool hudShown = launch_.layers.apply(Layer::Hud, true);
        hud->setHidden(!hudShown);
        visual->setHidden(!hudShown);
        core.setHud(std::move(hud));
        core.setScene(std::move(view));
        core.setVisual(std::move(visual));
        core.loadSettings();
    }
    current_->core->restore(*d);
    return 0;
}

int32_t Application::invalidateDeviceObjects() {
    if (current_ && current_->core) current_->core->invalidate();
    return 0;
}

int32_t Application::deleteDeviceObjects() {
    if (current_ && current_->core) {
        current_->core.reset();
        settings::optionBlock().saveToPreferences();
    }
    bool anyCore = false;
    for (auto& r : records_) anyCore |= r.core != nullptr;
    if (!anyCore && pack_) {
        geodata::setPackArchive(nullptr);
        pack_.reset();
    }
    if (!anyCore && musicPlayer_) {
        musicPlayer_.reset();  // waits for the engine to stop
        musicPlayerStarted_ = false;
    }
    if (!anyCore && status_) {
        status_->save();
        setFloatingStatus(nullptr);
        status_.reset();
    }
    return 0;
}

void Application::frameMove() {
    for (auto& r : records_)
        if (r.core) {
            r.core->advance();
            break;  // one clock tick per frame, whatever the number of screens
        }
    // A snapshot draws every frame, idle or not.
    if (processState().snapshotRun) processState().renderEnabled = true;
    // An idle view draws nothing, yet the pointer may leave or a dialog open.
    if (!processState().renderEnabled) updateFloatingStatus();
}

void Application::render() {
    gfx::Device* d = currentDevice();
    if (d && current_ && current_->core) {
        current_->core->draw(*d);
        updateFloatingStatus();
    }
}

void Application::renderOverlays() {
    gfx::Device* d = currentDevice();
    if (d && current_ && current_->core) current_->core->drawOverlays(*d, processState().overlayRedraw);
}

void Application::updateFloatingStatus() {
    if (!status_ || !status_->enabled() || !current_ || !current_->core) return;
    auto* view = dynamic_cast<GlobeView*>(current_->core->scene());
    auto* hud = dynamic_cast<HudLayer*>(current_->core->hud());
    auto* ws = win::windowSystem();
    if (!view || !ws) return;
    const geodata::InfoTexts& info = view->scene().overlay().infoTexts();
    // Nothing to tell off the globe, over the HUD, or with another
    // application in front (the window would stay on top of it).
    const bool overHud = hud && hud->root().hovered() >= 0;
    // Nor with the pointer outside the view, or over a dialog or menu of ours.
    if (!maySaveSettingsFiles() || !processState().applicationActive || overHud || !info.pointerOnGlobe() ||
        !ws->pointerOver(mainWindow()) || status_->covered()) {
        status_->hide();
        return;
    }
    std::vector<StatusText> texts{{0, info.line(geodata::InfoTexts::kPointer)}};
    if (!info.line(geodata::InfoTexts::kCity).empty()) texts.push_back({1, info.line(geodata::InfoTexts::kCity)});
    if (!info.line(geodata::InfoTexts::kCountry).empty())
        texts.push_back({2, info.line(geodata::InfoTexts::kCountry)});
    const win::Rect client = ws->clientRect(mainWindow());
    status_->showTexts(texts, camera::mouseState().x(), camera::mouseState().y(), client.width(), client.height(),
                       mainWindow());
}

win::WindowId Application::createInteractiveWindow() {
    auto* ws = win::windowSystem();
    if (!ws) return 0;
    int sw = 1280, sh = 1024;
    double ratio = 1;
    for (const auto& m : ws->monitors())
        if (m.primary) {
            sw = m.rect.width();
            sh = m.rect.height();
            ratio = m.pixelRatio;
        }
    Placement p = windowOptions_->placement(sw, sh, ratio);
    win::WindowRequest request;
    request.title = windowTitle();
    request.style = p.style;
    request.rect = {p.x, p.y, p.x + p.width, p.y + p.height};
    request.clientWidth = p.clientWidth;
    request.clientHeight = p.clientHeight;
    if (launch_.snapshotPath) {
        // A snapshot renders at the requested size, never shown.
        int w = launch_.width > 0 ? launch_.width : p.width;
        int h = launch_.height > 0 ? launch_.height : p.height;
        request.rect = {0, 0, w, h};
        request.clientWidth = request.clientHeight = 0;
        request.style = kBorderlessStyle;
        request.visible = false;
    }
    win::WindowId id = ws->createWindow(request);
    windowOptions_->setWindow(id);
    if (launch_.snapshotPath) {
        // The pointer rests in the middle of the picture, so the read-outs
        // tell what lies there.
        const win::Rect c = ws->clientRect(id);
        win::messageQueue().post({id, win::kWmMouseMove, 0, win::makeLParam(c.width() / 2, c.height() / 2)});
    }
    if (windowOptions_->mode() == kTransparent && !launch_.snapshotPath)
        ws->setRegion(id, win::Region{{win::Rect{20, 10, 21, 11}}});
    // The stored state is what results: toggle twice, applying once.
    windowOptions_->toggleAlwaysOnTop(0, nullptr, kCmdAlwaysOnTop);
    windowOptions_->toggleAlwaysOnTop(id, nullptr, kCmdAlwaysOnTop);
    lastClient_ = ws->clientRect(id);
    return id;
}

void Application::hookMessage(const win::Message& m) {
    if (saverMode() != SaverMode::InteractiveViewer && saverMode() != SaverMode::FullScreenSaver) return;
    if (m.id == win::kWmActivateApp) processState().applicationActive = m.wParam != 0;
    if (ViewerCore* core = viewerCore()) core->handleMessage(m);
}

void Application::changeWindowMode(int32_t mode) {
    if (!windowOptions_->applyMode(mainWindow(), mode)) return;
    resizeDevice();
}

bool Application::onWindowedResetNeeded() {
    if (windowOptions_->mode() != kTransparent) return false;
    auto* ws = win::windowSystem();
    windowOptions_->clearRegion(mainWindow());
    win::Rect r = ws->windowRect(mainWindow());
    int sw = 1280, sh = 1024;
    for (const auto& m : ws->monitors())
        if (m.primary) {
            sw = m.rect.width();
            sh = m.rect.height();
        }
    if (r.width() != sw) {
        ws->setWindowRect(mainWindow(), {0, 0, sw, sh - 1});
        return true;
    }
    return false;
}

win::LParam Application::windowProc(const win::Message& m) {
    auto* ws = win::windowSystem();
    switch (m.id) {
        case win::kWmDestroy:
        case win::kWmClose:
            shutdown();
            return 0;
        case win::kWmSize:
            if (m.wParam == win::kSizeMaximized) {
                maximized_ = true;
                win::messageQueue().post({m.window, win::kWmExitSizeMove, 0, 0});
            } else if (m.wParam == win::kSizeRestored && maximized_) {
                maximized_ = false;
                win::messageQueue().post({m.window, win::kWmExitSizeMove, 0, 0});
            }
            return 0;
        case win::kWmPaint:
            if (inErrorState() || renderUnits().empty()) {
                presentNeeded_ = true;
                if (inErrorState()) paintError(m.window);
            } else if (auto* d = currentDevice(); d && !d->keepsLastFrame()) {
                // The window's last frame went with its swap: draw it again.
                processState().overlayRedraw.addWhole();
            } else if (d) {
                presentNeeded_ = true;
                if (d->testCooperativeLevel() == gfx::CooperativeLevel::Ok) {
                    for (auto& u : renderUnits())
                        if (u.device) u.device->present();
                    presentNeeded_ = false;
                }
            }
            return 0;
        case win::kWmEraseBkgnd: return 1;
        case win::kWmActivateApp:
            processState().applicationActive = m.wParam != 0;
            return 0;
        case win::kWmKeyDown:
            if (m.wParam == win::kVkEscape) shutdown();
            return 0;
        case win::kWmCommand:
            switch (win::loWord(m.wParam)) {
                case kCmdWindowed: changeWindowMode(kWindowed); break;
                case kCmdTransparent: changeWindowMode(kTransparent); break;
                case kCmdFullScreen: changeWindowMode(kFullScreen); break;
                case kCmdExit: win::messageQueue().post({m.window, win::kWmClose, 0, 0}); break;
                case kCmdAlwaysOnTop: windowOptions_->toggleAlwaysOnTop(mainWindow(), nullptr, kCmdAlwaysOnTop); break;
                default: break;
            }
            return 0;
        case win::kWmSysCommand:
            if ((m.wParam & 0xFFFF) == kCmdAlwaysOnTop)
                windowOptions_->toggleAlwaysOnTop(mainWindow(), nullptr, kCmdAlwaysOnTop);
            return 0;
        case win::kWmExitSizeMove: {
            windowOptions_->rememberWindowedPlacement(mainWindow());
            win::Rect c = ws ? ws->clientRect(mainWindow()) : win::Rect{};
            if (c.width() != lastClient_.width() || c.height() != lastClient_.height()) {
                lastClient_ = c;
                resizeDevice();
            }
            presentNeeded_ = true;
            return 0;
        }
        default: return 0;
    }
}

void Application::afterFrame() {
    if (!series_ && (!launch_.snapshotPath || snapshotWritten_)) return;
    // Only the textures still to come keep a picture waiting (the HUD's
    // animations may ask for frames for ever while the clock stands still).
    auto* view = current_ && current_->core ? dynamic_cast<GlobeView*>(current_->core->scene()) : nullptr;
    globe::TerrainRenderer* terrain = view ? view->scene().terrain() : nullptr;
    const bool pending = terrain ? terrain->texturesPending() : processState().forceRedraw;
    if (series_) {
        if (series_->afterFrame(pending, [this](const std::string& p) { return saveFrameTo(p); })) shutdown();
        return;
    }
    // A snapshot's frame builds every texture it shows, so the first frame
    // is normally the picture.
    ++framesPresented_;
    if (pending && framesPresented_ < 400) return;
    // With --online the picture waits for its view's imagery (--online-wait).
    if (view && launch_.online && view->waitForImagery(launch_.onlineWaitSeconds)) return;
    writeSnapshot();
    shutdown();
}

bool Application::saveFrameTo(const std::string& path) {
    for (auto& u : renderUnits())
        if (auto* gl = dynamic_cast<gfx::GlDevice*>(u.device.get())) return gl->saveImage(path);
    return false;
}

void Application::writeSnapshot() {
    snapshotWritten_ = true;
    for (auto& u : renderUnits()) {
        auto* gl = dynamic_cast<gfx::GlDevice*>(u.device.get());
        if (!gl) continue;
        if (!gl->saveImage(*launch_.snapshotPath)) {
            std::fprintf(stderr, "terranox: could not write the snapshot %s\n", launch_.snapshotPath->c_str());
            snapshotWritten_ = false;
        }
        return;
    }
}

}  // namespace tnx::app
