#include "app/globe_view.h"

#include <cstdio>
#include <cstdlib>

#include "app/command_line.h"
#include "app/floating_status.h"
#include "app/home_region.h"
#include "core/process_state.h"
#include "app/saver_framework.h"
#include "app/status_colour_dialog.h"
#include "app/viewer_core.h"
#include "app/window_options.h"
#include "camera/delete_location_dialog.h"
#include "camera/mouse_state_tracker.h"
#include "camera/save_location_dialog.h"
#include "camera/saved_locations.h"
#include "globe/imagery/imagery_source.h"
#include "hud/button_bar.h"
#include "platform/clock/system_region.h"
#include "platform/home/program_home.h"
#include "platform/win/message_queue.h"
#include "settings/configuration.h"
#include "settings/option_block.h"
#include "settings/options_dialog.h"
#include "settings/preferences_store.h"

namespace tnx::app {

using settings::OptionBlock;
using settings::optionBlock;

namespace {

// A view saved by an earlier run, which the camera resumes.
bool hasSavedView() {
    settings::PreferencesStore* store = settings::preferences();
    if (!store || isFullScreenSaver()) return false;
    camera::SavedLocations saved;
    saved.load(*store);
    return !saved.empty();
}

}  // namespace

GlobeView::GlobeView(gfx::Device& device, float fov, SaverFramework& framework, const LaunchOptions& launch)
    : framework_(framework),
      frustum_(int(device.viewport().width), int(device.viewport().height), fov),
      launch_(launch) {
    const bool firstRun = !hasSavedView();
    layers_ = launch.layers;
    scene_ = std::make_unique<globe::GlobeScene>(16, 8, 8, device, settings::configuration().globe().live(), fov,
                                                 *this, *this, frustum_, *this,
                                                 sceneClockFor(launch, settings::configuration().timeLapse()));
    if (launch.flight) scene_->camera().setCountdown(0);
    if (launch.lookAt)
        scene_->camera().placeAbove(launch.lookAt->longitudeDeg, launch.lookAt->latitudeDeg, launch.lookAt->altitudeKm);
    else if (firstRun && !isFullScreenSaver())
        placeAtHome(int(device.viewport().width), int(device.viewport().height), fov);
    // A snapshot shows the view the camera resumes, not the glide there.
    camera::Camera& camera = scene_->camera();
    if (launch.snapshotPath && !(camera.current() == camera.target())) camera.setFrame(camera.target());
    scene_->overlay().setSiteEditor(&siteEditor_);
    scene_->overlay().setSiteFileUi(&siteFiles_);
    syncViewOptions();
    startImagery();
}

void GlobeView::startImagery() {
    const settings::ImagerySettings& kept = settings::configuration().imagery();
    const ImageryPlan plan = imageryPlan(launch_, kept, processState().saverMode, std::getenv("TERRANOX_OFFLINE") != nullptr);
    scene_->setImagery(nullptr);
    imagery_.reset();  // its requests end before the next client starts
    imagery_ = std::make_unique<OnlineImagery>(
        plan, kept.cacheMegabytes, globe::ImageryDiskCache::defaultRoot(std::getenv("XDG_CACHE_HOME"), std::getenv("HOME")));
    scene_->setImagery(imagery_->loader());
}

std::string GlobeView::imageryNote() const {
    const globe::ImageryOverlay* shown = scene_->imagery();
    std::string note;
    if (shown && shown->onScreen()) {
        const globe::ImagerySource& source = imagery_->loader()->source();
        // "Imagery 2026-05-31, NASA EOSDIS GIBS", "Imagery from tiles.example.org"
        const std::string what = source.daily() ? "Imagery " + globe::isoDate(shown->newestDay()) : "Imagery";
        note = source.nasa() ? what + (source.daily() ? ", " : ": ") + source.credit() : what + " from " + source.host();
    }
    if (imagery_ && !imagery_->status().empty()) note += (note.empty() ? "" : "  |  ") + imagery_->status();
    return note;
}

bool GlobeView::waitForImagery(int seconds) {
    const globe::ImageryOverlay* shown = scene_->imagery();
    if (!shown) return false;
    const auto now = std::chrono::steady_clock::now();
    if (!waitStarted_) waitStarted_ = now;
    const std::vector<globe::ImageryTileKey> missing = shown->missing();
    if (missing.empty()) return false;
    if (now - *waitStarted_ < std::chrono::seconds(seconds)) {
        processState().forceRedraw = true;
        return true;
    }
    std::string list;
    for (size_t i = 0; i < missing.size() && i < 12; ++i)
        list += (i ? ", " : "") + std::to_string(missing[i].level) + "/" + std::to_string(missing[i].row) + "/" +
                std::to_string(missing[i].column);
    if (missing.size() > 12) list += ", ...";
    std::fprintf(stderr, "terranox: online imagery: %zu tile(s) of the view (level/row/column) did not come in %d s: %s%s%s\n",
                 missing.size(), seconds, list.c_str(), imagery_->status().empty() ? "" : "; ",
                 imagery_->status().c_str());
    return false;
}

GlobeView::~GlobeView() {
    settings::OptionsDialog::close();
    scene_->setImagery(nullptr);
}

globe::SceneClock GlobeView::sceneClockFor(const LaunchOptions& launch, double saverTimeLapse) {
    std::optional<globe::UtcTime> start;
    if (launch.time) start = globe::AstroClock::parse(*launch.time);
    // The saver's time-lapse (0: real time) unless the command line says.
    double rate = 1;
    if (launch.timeRate) rate = *launch.timeRate;
    else if ((isFullScreenSaver() || launch.flight) && saverTimeLapse != 0) rate = saverTimeLapse;
    globe::SceneClock clock(start, rate);
    // A series moves its sky by the pictures' steps, not by the wall clock.
    if (launch.frames > 0) clock.detach();
    return clock;
}

void GlobeView::placeAtHome(int width, int height, float fov) {
    const clock::SystemRegion region = clock::systemRegion();
    const geodata::GeoOverlay& tables = scene_->overlay();
    const HomeRegion::Centre c =
        HomeRegion::centre(tables.countries(), tables.cities(), region.territory, region.utcOffsetSeconds);
    scene_->camera().placeAbove(c.longitudeDeg, c.latitudeDeg, HomeRegion::altitudeKmForFill(width, height, fov));
}

void GlobeView::preview(const globe::GlobeConfiguration& config) {
    // Applied once per frame however fast a slider moves.
    pendingLook_ = config;
    processState().forceRedraw = true;
}

void GlobeView::openOptions() {
    settings::OptionsDialog::Hooks hooks;
    hooks.mainWindow = framework_.mainWindow();
    hooks.preview = [this](const globe::GlobeConfiguration& c) { preview(c); };
    hooks.checkImagerySource = [](const std::string& t) {
        std::string why;
        globe::ImagerySource::make(t, settings::ImageryLayer::Daily, why);
        return why;
    };
    if (floatingStatus()) {
        hooks.floatingStatusShown = [] { return floatingStatus() && floatingStatus()->enabled(); };
        hooks.statusColours = [](QWidget* parent) {
            if (FloatingStatus* status = floatingStatus()) StatusColourDialog::run(parent, *status);
        };
    }
    settings::OptionsDialog::open(settings::configuration(), hooks);
}

void GlobeView::restore(gfx::Device& device, float fieldOfView) {
    // One field of view for the culling, the scene's projections and the
    // camera, or the frustum would cull what the picture shows.
    const gfx::Viewport& vp = device.viewport();
    frustum_.rebuild(int(vp.width), int(vp.height), fieldOfView);
    scene_->restore(device, fieldOfView);
}

void GlobeView::invalidate() { scene_->release(); }

void GlobeView::syncViewOptions() {
    auto& v = scene_->viewOptions();
    const OptionBlock& o = optionBlock();
    v.dayNight = o.on(OptionBlock::kDayNight);
    v.atmosphere = o.on(OptionBlock::kAtmosphere);
    v.toolBars = o.on(OptionBlock::kHudShown);
    v.boundaries = o.on(OptionBlock::kBoundaries);
    v.rivers = o.on(OptionBlock::kRivers);
    v.cities = o.on(OptionBlock::kCities);
    v.distanceTool = o.on(OptionBlock::kDistanceTool);
    v.metricUnits = o.on(OptionBlock::kMetricUnits);
    v.cityLights = layers_.apply(Layer::Lights, !o.on(OptionBlock::kCityLightsOff));
    v.cities = layers_.apply(Layer::Cities, v.cities);
    v.boundaries = layers_.apply(Layer::Borders, v.boundaries);
    v.rivers = layers_.apply(Layer::Rivers, v.rivers);
    v.atmosphere = layers_.apply(Layer::Atmosphere, v.atmosphere);
    v.stars = layers_.apply(Layer::Stars, true);
    if (auto g = layers_[Layer::Graticule]) v.graticule = *g ? 1 : 0;
}

void GlobeView::advance(float seconds) {
    if (pendingLook_) {
        scene_->applySettings(*pendingLook_);
        pendingLook_.reset();
    }
    scene_->advance(seconds);
    if (imagery_) {
        const double now = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
        if (imagery_->update(now, scene_->time().now(), globe::AstroClock::systemUtc()))
            processState().forceRedraw = true;
    }
}

void GlobeView::draw(gfx::Device& device, float) {
    syncViewOptions();
    scene_->draw(device);
    // Under the camera line: the imagery's date and credit while it shows.
    scene_->overlay().infoTexts().setNote(imageryNote());
}

bool GlobeView::handleMouse(const win::Message& m, bool& holdsDrag) {
    holdsDrag = scene_->handleMessage(m) != 0;
    return true;
}

bool GlobeView::handleOptionCommand(uint32_t id) {
    // The view toggles belong to the button bar's command handler.
    OptionBlock& o = optionBlock();
    switch (id) {
        case 40020: o.set(OptionBlock::kHudShown, 0); break;
        case 40023: o.set(OptionBlock::kHudShown, 1); break;
        default: return false;
    }
    processState().forceRedraw = true;
    return true;
}

void GlobeView::handleMessage(const win::Message& m) {
    if (m.id == win::kWmCommand) {
        const uint32_t id = win::loWord(m.wParam);
        handleOptionCommand(id);
        if (id == kCmdOptions) openOptions();
        if (id == kCmdImageryChanged) startImagery();
        if (id == kCmdResetGlobe) {
            pendingLook_.reset();
            scene_->applySettings(settings::configuration().globe().live());
            processState().forceRedraw = true;
        }
    }
    scene_->handleMessage(m);
}

camera::PointerTool GlobeView::pointerTool() const {
    return camera::PointerTool(optionBlock().get(OptionBlock::kPointerTool));
}
void GlobeView::setPointerTool(camera::PointerTool tool) { optionBlock().set(OptionBlock::kPointerTool, int32_t(tool)); }
bool GlobeView::northUpLock() const { return optionBlock().on(OptionBlock::kNorthUpLock); }
bool GlobeView::idleInactive() const { return optionBlock().on(OptionBlock::kIdleInactive); }
bool GlobeView::idleNoChanging() const { return optionBlock().on(OptionBlock::kIdleNoChanging); }
bool GlobeView::distanceToolActive() const { return optionBlock().on(OptionBlock::kDistanceTool); }
bool GlobeView::applicationActive() const { return processState().applicationActive; }

camera::WindowMode GlobeView::windowMode() const {
    WindowOptions* w = windowOptions();
    return camera::WindowMode(w ? w->mode() : kFullScreen);
}

bool GlobeView::alwaysOnTop() const {
    WindowOptions* w = windowOptions();
    return w && w->alwaysOnTop();
}

void GlobeView::setWindowRegion(std::span<const camera::RegionRect> strips) {
    auto* ws = win::windowSystem();
    if (!ws || !framework_.mainWindow()) return;
    win::Region r;
    r.rects.reserve(strips.size());
    for (const auto& s : strips) r.rects.push_back({s.left, s.top, s.right, s.bottom});
    ws->setRegion(framework_.mainWindow(), r);
}

void GlobeView::setPointerCursor(camera::PointerCursor cursor) {
    if (cursor == lastCursor_) return;
    lastCursor_ = cursor;
    auto* ws = win::windowSystem();
    if (!ws || !framework_.mainWindow()) return;
    win::WindowId w = framework_.mainWindow();
    switch (cursor) {
        case camera::PointerCursor::None: ws->setCursor(w, win::CursorShape::None); break;
        case camera::PointerCursor::Arrow: ws->setCursor(w, win::CursorShape::Arrow); break;
        case camera::PointerCursor::FourWayMove: ws->setCursor(w, win::CursorShape::SizeAll); break;
        case camera::PointerCursor::Zoom:
            ws->setCursor(w, win::CursorShape::FromFile, home::dataFile("zoom.cur").string());
            break;
        case camera::PointerCursor::Distance:
            ws->setCursor(w, win::CursorShape::FromFile, home::dataFile("distance.cur").string());
            break;
    }
}

bool GlobeView::askLocationName(std::string& name) { return camera::SaveLocationDialog::run(nullptr, name); }

void GlobeView::editLocations(camera::SavedLocations& locations) {
    camera::DeleteLocationDialog::run(nullptr, locations);
}

camera::ProjectionGeometry GlobeView::projectionGeometry() const {
    camera::ProjectionGeometry g;
    auto toScreen = [](const win::Rect& r) { return camera::ScreenRect{r.left, r.top, r.right, r.bottom}; };
    g.view = toScreen(framework_.renderRect());
    g.all = toScreen(framework_.unionRect());
    g.allScreensSame = framework_.allScreensSame();
    if (g.view.right <= g.view.left || g.view.bottom <= g.view.top) {
        // No placed window yet: the device's own size.
        if (gfx::Device* d = framework_.currentDevice()) {
            const auto& p = d->presentParameters();
            g.view = g.all = {0, 0, int32_t(p.backBufferWidth), int32_t(p.backBufferHeight)};
        }
    }
    return g;
}

void GlobeView::trackContextMenu(const win::Menu& menu) {
    auto* ws = win::windowSystem();
    win::WindowId w = framework_.mainWindow();
    if (!ws || !w) return;
    int x = camera::mouseState().x(), y = camera::mouseState().y();
    ws->clientToScreen(w, x, y);
    // The scene hides the tool bars for a transparent window's menu; they
    // stay hidden through the option block it is drawn from.
    if (windowMode() == camera::WindowMode::Transparent) optionBlock().set(OptionBlock::kHudShown, 0);
    win::Menu checked = menu;
    FloatingStatus* status = floatingStatus();
    hud::ButtonBar::checkMenu(checked, status && status->enabled());
    if (uint32_t id = ws->trackPopupMenu(w, checked, x, y))
        win::messageQueue().post({w, win::kWmCommand, id, 0});
}

}  // namespace tnx::app
