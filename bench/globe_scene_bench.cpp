// The globe scene's per-frame CPU cost: astronomy, camera and the draw
// submission of everything it draws, on the recording device.
#include <benchmark/benchmark.h>

#include "camera/projection_provider.h"
#include "globe/globe_scene.h"
#include "platform/gfx/recording_device.h"

using namespace tnx;

namespace {

struct Host : camera::CameraHost, globe::GlobeSceneHost {
    camera::PointerTool pointerTool() const override { return camera::PointerTool::Rotate; }
    void setPointerTool(camera::PointerTool) override {}
    bool northUpLock() const override { return false; }
    bool idleInactive() const override { return false; }
    bool idleNoChanging() const override { return false; }
    bool distanceToolActive() const override { return false; }
    bool applicationActive() const override { return true; }
    camera::WindowMode windowMode() const override { return camera::WindowMode::Windowed; }
    void setWindowRegion(std::span<const camera::RegionRect>) override {}
    void setPointerCursor(camera::PointerCursor) override {}
    bool askLocationName(std::string&) override { return false; }
    void editLocations(camera::SavedLocations&) override {}
    bool alwaysOnTop() const override { return false; }
    void trackContextMenu(const win::Menu&) override {}
};

void BM_SceneAdvanceAndDraw(benchmark::State& state) {
    gfx::RecordingDevice device(1280, 720);
    Host host;
    camera::SingleViewProjection projection(1280, 720);
    camera::ViewFrustum frustum(1280, 720, 1.2f);
    globe::GlobeConfiguration config;
    config.graticuleOpacity = int(state.range(0));
    config.landOpacity = config.oceanOpacity = 128;
    globe::GlobeScene scene(16, 8, 8, device, config, 1.2f, host, projection, frustum, host,
                            globe::UtcTime{2026, 6, 21, 12, 0, 0, 0});
    scene.restore(device);
    for (auto _ : state) {
        device.clearRecord();
        scene.advance(0.02f);
        device.beginScene();
        scene.draw(device);
        device.endScene();
        benchmark::DoNotOptimize(device.draws().size());
    }
    state.counters["draws"] = double(device.draws().size());
}
BENCHMARK(BM_SceneAdvanceAndDraw)->Arg(0)->Arg(128)->Unit(benchmark::kMicrosecond);

}  // namespace
