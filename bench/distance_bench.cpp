// The distance tool's costs: computing one measurement (arc, ribbon,
// distance over the ellipsoid, label), the pending measurement following
// the pointer each frame, and a frame drawing all 16 measurements on the
// recording device and on the OpenGL device at 1280x720.
#include <benchmark/benchmark.h>

#include <QImage>
#include <cmath>
#include <cstdlib>

#include "geodata/distance_tool.h"
#include "gl_bench_device.h"
#include "platform/gfx/gl_device.h"
#include "platform/gfx/recording_device.h"
#include "support/fake_glyph_rasteriser.h"

using namespace tnx;

namespace {

constexpr int kWidth = 1280, kHeight = 720;
constexpr float kR = 63.71f;
constexpr float kDeg = math::kPi / 180;

// Terrain that costs a little, as the elevation cache's lookup does.
geodata::TerrainHeights terrain() {
    auto metres = [](float lon, float lat) { return 500.0f + 400.0f * std::sin(3 * lon) * std::cos(2 * lat); };
    return {metres, [metres](float lon, float lat) { return metres(lon, lat) * 0.00001f; }};
}

// Paris to New York.
void parisNewYork(geodata::DistanceTool& tool) {
    tool.addPoint(2.35f * kDeg, 48.86f * kDeg);
    tool.addPoint(-74.0f * kDeg, 40.71f * kDeg);
}

void BM_ComputeMeasurement(benchmark::State& state) {
    gfx::RecordingDevice device(kWidth, kHeight);
    text::TextureFont font("Arial", 25, 700, false, device, 0, std::make_unique<test::FakeGlyphRasteriser>());
    geodata::DistanceTool tool(kR, &font);
    tool.setTerrain(terrain());
    parisNewYork(tool);
    for (auto _ : state) {
        tool.compute(0);
        benchmark::DoNotOptimize(tool.measurement(0).kilometres);
    }
    state.counters["arc_points"] = tool.measurement(0).ribbonVertexCount / 2;
}
BENCHMARK(BM_ComputeMeasurement)->Unit(benchmark::kMicrosecond);

// One frame's work for the measurement following the pointer: the end
// moves, the measurement is computed and drawn (recording device).
void BM_PendingMeasurementPerFrame(benchmark::State& state) {
    gfx::RecordingDevice device(kWidth, kHeight);
    text::TextureFont font("Arial", 25, 700, false, device, 0, std::make_unique<test::FakeGlyphRasteriser>());
    font.restore(device);
    geodata::DistanceTool tool(kR, &font);
    tool.setTerrain(terrain());
    tool.addPoint(2.35f * kDeg, 48.86f * kDeg);
    geodata::DistanceFrame frame;
    frame.cameraDistance = 2 * kR;
    frame.pointerOnGlobe = true;
    frame.pointerLatitude = 40.71f * kDeg;
    int i = 0;
    for (auto _ : state) {
        frame.pointerLongitude = (-74.0f + 0.01f * float(i++ % 100)) * kDeg;
        tool.draw(device, frame);
        device.clearRecord();
    }
}
BENCHMARK(BM_PendingMeasurementPerFrame)->Unit(benchmark::kMicrosecond);

// Sixteen half-turn measurements, the most geometry the tool holds: 80
// arc points and three labels each.
void fill(geodata::DistanceTool& tool) {
    for (int i = 0; i < geodata::DistanceTool::kCapacity; ++i) {
        float lon = -3.0f + 0.1f * float(i), lat = 0.05f * float(i);
        tool.addPoint(lon, lat);
        tool.addPoint(lon + math::kPi, -lat);
    }
}

void BM_DrawSixteenRecordingDevice(benchmark::State& state) {
    gfx::RecordingDevice device(kWidth, kHeight);
    text::TextureFont font("Arial", 25, 700, false, device, 0, std::make_unique<test::FakeGlyphRasteriser>());
    font.restore(device);
    geodata::DistanceTool tool(kR, &font);
    fill(tool);
    geodata::DistanceFrame frame;
    frame.cameraDistance = 2 * kR;
    for (auto _ : state) {
        tool.draw(device, frame);
        device.clearRecord();
    }
}
BENCHMARK(BM_DrawSixteenRecordingDevice)->Unit(benchmark::kMicrosecond);

void BM_DrawSixteenOpenGl(benchmark::State& state) {
    auto device = bench::openGlDevice(state, kWidth, kHeight);
    if (!device) return;
    device->setTransform(gfx::TransformType::View,
                         math::matrixLookAtLH({0, 0, -2 * kR}, {0, 0, 0}, {0, 1, 0}));
    text::TextureFont font("Arial", 25, 700, false, *device, 0);
    font.restore(*device);
    geodata::DistanceTool tool(kR, &font);
    fill(tool);
    geodata::DistanceFrame frame;
    frame.cameraDistance = 2 * kR;
    for (auto _ : state) {
        device->beginScene();
        tool.draw(*device, frame);
        device->endScene();
    }
    benchmark::DoNotOptimize(device->readBack().pixel(640, 360));
}
BENCHMARK(BM_DrawSixteenOpenGl)->Unit(benchmark::kMicrosecond);

}  // namespace
