// Per-frame cost of the camera update: the idle viewer, a glide, the saver's
// flight, and the flight in the transparent window (outline rebuilt each frame).
#include <benchmark/benchmark.h>

#include <vector>

#include "core/process_state.h"
#include "camera/camera.h"
#include "settings/preferences_store.h"

namespace {

using namespace tnx;
using namespace tnx::camera;

struct BenchHost : CameraHost {
    WindowMode mode = WindowMode::Windowed;
    bool noChanging = true;
    size_t strips = 0;
    PointerTool pointerTool() const override { return PointerTool::Rotate; }
    void setPointerTool(PointerTool) override {}
    bool northUpLock() const override { return false; }
    bool idleInactive() const override { return false; }
    bool idleNoChanging() const override { return noChanging; }
    bool distanceToolActive() const override { return false; }
    bool applicationActive() const override { return true; }
    WindowMode windowMode() const override { return mode; }
    void setWindowRegion(std::span<const RegionRect> s) override { strips += s.size(); }
    void setPointerCursor(PointerCursor) override {}
    bool askLocationName(std::string&) override { return false; }
    void editLocations(SavedLocations&) override {}
};

struct Setup {
    explicit Setup(app::SaverMode mode, CameraSettings settings = {}) {
        app::processState() = {};
        app::processState().saverMode = mode;
        camera = std::make_unique<Camera>(settings, 1280, 1024, 1.0f, host, projection, nullptr, &store, &tracker);
    }
    ~Setup() { app::processState() = {}; }
    BenchHost host;
    SingleViewProjection projection{1280, 1024};
    settings::PreferencesStore store;
    MouseStateTracker tracker;
    std::unique_ptr<Camera> camera;
};

void BM_CameraUpdateIdleViewer(benchmark::State& state) {
    Setup s(app::SaverMode::InteractiveViewer);
    float rho = 0;
    for (auto _ : state) {
        rho += 0.016f * 7.27e-5f;
        benchmark::DoNotOptimize(s.camera->update(0.016f, rho));
    }
}
BENCHMARK(BM_CameraUpdateIdleViewer);

void BM_CameraUpdateGlide(benchmark::State& state) {
    Setup s(app::SaverMode::InteractiveViewer);
    CameraFrame a{{0, 0, -300}, {0, 0, 1}, {0, 1, 0}};
    CameraFrame b{{300, 100, 0}, {-1, 0, 0}, {0, 1, 0}};
    int frame = 0;
    for (auto _ : state) {
        if (frame++ % 200 == 0) {
            s.camera->setFrame(frame % 400 == 1 ? a : b);
            s.camera->setTarget(frame % 400 == 1 ? b : a);
        }
        benchmark::DoNotOptimize(s.camera->update(0.016f, 0));
    }
}
BENCHMARK(BM_CameraUpdateGlide);

void BM_CameraUpdateSaverFlight(benchmark::State& state) {
    CameraSettings settings;
    settings.program = 3;
    settings.speed = 50;
    Setup s(app::SaverMode::FullScreenSaver, settings);
    for (auto _ : state) benchmark::DoNotOptimize(s.camera->update(0.016f, 0));
}
BENCHMARK(BM_CameraUpdateSaverFlight);

void BM_CameraUpdateTransparentFlight(benchmark::State& state) {
    CameraSettings settings;
    settings.program = 3;
    settings.speed = 100;
    settings.nearKm = 7000;
    settings.farKm = 9000;
    Setup s(app::SaverMode::InteractiveViewer, settings);
    s.host.mode = WindowMode::Transparent;
    s.camera->setCountdown(0);
    for (auto _ : state) benchmark::DoNotOptimize(s.camera->update(0.016f, 0));
    state.counters["strips/frame"] = benchmark::Counter(double(s.host.strips), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_CameraUpdateTransparentFlight);

}  // namespace
