// What the drawing benchmarks share: Qt's application object (made once,
// with widgets so window benchmarks can use it too) and an off-screen
// OpenGL device of the benchmark's size, or the benchmark skipped with the
// reason when there is no display or no context.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <memory>

#include "platform/gfx/gl_device.h"
#include "platform/math/d3d_math.h"

namespace tnx::bench {

inline bool ensureGui() {
    if (!std::getenv("DISPLAY")) return false;
    static int argc = 1;
    static char name[] = "terranox_bench";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
    return true;
}

// The device with a perspective of `fov` over its aspect and lighting off,
// as the HUD and the overlays are drawn; null after skipping the benchmark.
inline std::unique_ptr<gfx::GlDevice> openGlDevice(benchmark::State& state, int width, int height,
                                                   float fov = 0.7853975f) {
    if (!ensureGui()) {
        state.SkipWithError("needs an X display (run under xvfb-run)");
        return nullptr;
    }
    gfx::PresentParameters p;
    p.backBufferWidth = width;
    p.backBufferHeight = height;
    auto device = gfx::GlDevice::create(nullptr, p);
    if (!device) {
        state.SkipWithError("no OpenGL context");
        return nullptr;
    }
    device->setTransform(gfx::TransformType::Projection,
                         math::matrixPerspectiveFovLH(fov, float(width) / float(height), 1.0f, 300.0f));
    device->setRenderState(gfx::RenderState::Lighting, 0);
    return device;
}

}  // namespace tnx::bench
