// The HUD's cost per frame — update and draw of a full HUD (the standard
// elements and enough text elements to reach the full set of 24) on the
// recording device and on the OpenGL device at 1280x720 — the read-outs'
// update per frame, and the texture font's creation at start-up.
#include <benchmark/benchmark.h>

#include <QImage>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/process_state.h"
#include "geodata/city_table.h"
#include "geodata/country_table.h"
#include "geodata/info_texts.h"
#include "hud/readout_display.h"
#include "hud/hud_builder.h"
#include "hud/hud_root.h"
#include "gl_bench_device.h"
#include "platform/gfx/gl_device.h"
#include "platform/gfx/recording_device.h"
#include "platform/io/byte_io.h"
#include "settings/option_block.h"
#include "support/fake_glyph_rasteriser.h"

using namespace tnx;

namespace {

constexpr int kWidth = 1280, kHeight = 720;

float fovFor() { return 2.0f * std::atan(std::tan(0.39269876f) * float(kWidth) / float(kHeight)); }

// The standard elements (the button bar's nine buttons among them) plus
// text elements up to 24, every one with text,
// one of them hovered so its glow ring is drawn too.
void fillHud(hud::HudRoot& root) {
    hud::HudBuilder::build(root);
    for (int i = 0; root.count() < 24; ++i) {
        auto e = std::make_unique<hud::HudElement>(0x200 + i);
        e->init(hud::HudElement::kFontTexture, 1.6f, 0.25f, 0, 50, 0xC0C0C080, 0xFFF0F0A0, 0xFFFFFF80);
        e->placeAt(-7.0f + float(i % 4) * 1.8f, 3.5f - float(i / 4) * 0.3f, 10.0f);
        root.add(std::move(e));
    }
    for (int i = 0; i < root.count(); ++i)
        if (root.element(i)->id() != hud::HudBuilder::kButtonBar)
            root.element(i)->setText("Status line " + std::to_string(i) + ": 1234 km, 56.7 N 12.3 E", 0);
    root.element(0)->setFlags(root.element(0)->flags() | hud::HudElement::kHover);
}

void prepare() {
    app::processState().saverMode = app::SaverMode::InteractiveViewer;
    settings::optionBlock().set(settings::OptionBlock::kHudShown, 1);
}

void BM_HudFrameRecordingDevice(benchmark::State& state) {
    prepare();
    gfx::RecordingDevice device(kWidth, kHeight);
    text::TextureFont font("Arial", 25, 700, false, device, 0, std::make_unique<test::FakeGlyphRasteriser>());
    font.restore(device);
    hud::HudRoot root(fovFor(), kWidth, kHeight, &font);
    fillHud(root);
    for (auto _ : state) {
        root.update(0.016f);
        root.draw(device, 0.016f);
        device.clearRecord();
    }
    state.counters["elements"] = root.count();
}
BENCHMARK(BM_HudFrameRecordingDevice)->Unit(benchmark::kMicrosecond);

void BM_HudFrameOpenGl(benchmark::State& state) {
    prepare();
    auto device = bench::openGlDevice(state, kWidth, kHeight);
    if (!device) return;
    text::TextureFont font("Arial", 25, 700, false, *device, 0);
    font.restore(*device);
    hud::HudRoot root(fovFor(), kWidth, kHeight, &font);
    fillHud(root);
    root.resize(*device, fovFor());
    // A frame always draws the scene first; a screen-filling quad stands in
    // for it so the device's per-frame work is not counted as the HUD's.
    const bool scene = state.range(0) != 0, hud = state.range(0) != 1;
    struct V {
        float x, y, z;
        uint32_t c;
    };
    const V quad[4] = {{-50, 50, 60, 0xFF203040}, {-50, -50, 60, 0xFF203040}, {50, 50, 60, 0xFF203040},
                       {50, -50, 60, 0xFF203040}};
    for (auto _ : state) {
        device->beginScene();
        if (scene) {
            device->setTransform(gfx::TransformType::World, math::Matrix::identity());
            device->setTexture(0, nullptr);
            device->setVertexShader(gfx::kFvfPosDiffuse);
            device->drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, 4, 2, root.indexTable(), quad,
                                           sizeof(V));
        }
        if (hud) {
            root.update(0.016f);
            root.draw(*device, 0.016f);
        }
        device->endScene();
    }
    // Once, to make sure the frames were really drawn.
    benchmark::DoNotOptimize(device->readBack().pixel(100, 700));
    state.counters["elements"] = root.count();
}
// 0: the HUD alone; 1: the stand-in scene alone; 2: scene and HUD.
BENCHMARK(BM_HudFrameOpenGl)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// The read-outs of one frame: the four lines made from the camera and the
// pointer, and the changed ones laid out on their elements. Arg 0: camera
// and pointer move every frame and the hover changes between a city and open
// sea, so every line is new; arg 1: nothing moves (only comparisons).
void BM_ReadoutUpdate(benchmark::State& state) {
    prepare();
    gfx::RecordingDevice device(kWidth, kHeight);
    text::TextureFont font("Arial", 25, 700, false, device, 0, std::make_unique<test::FakeGlyphRasteriser>());
    font.restore(device);
    hud::HudRoot root(fovFor(), kWidth, kHeight, &font);
    hud::HudBuilder::build(root);
    geodata::CountryTable countries;
    countries.findOrAdd("World");
    countries.findOrAdd("Democratic Republic of the Congo");
    geodata::CityTable cities;
    std::vector<uint8_t> site;
    {
        io::ByteWriter w(site);
        w.u32(0);
        w.u32(1);
        w.cstring("Democratic Republic of the Congo");
        w.u32(1);
        w.cstring("Kinshasa");
        w.u8(0);
        w.u16(0);
        w.u16(0);
        w.u16(240);
        w.i32(9046000);
        w.u8(0);
    }
    cities.load(site, countries);
    geodata::InfoTexts texts;
    hud::ReadoutDisplay display(root);
    const bool moving = state.range(0) == 0;
    geodata::ReadoutInput in;
    in.pointerOnGlobe = true;
    int frame = 0, laidOut = 0;
    for (auto _ : state) {
        const float t = moving ? float(frame) * 1e-3f : 0.0f;
        in.cameraPosition = {93.71f * std::cos(t), 20.0f, 93.71f * std::sin(t)};
        in.pointerLongitude = 0.3f + t;
        in.pointerLatitude = -0.1f - t;
        in.pointerElevation = 1234.5f + t * 1000;
        in.hoveredCity = moving && frame % 2 ? 1 : 0;
        in.hoveredCountry = in.hoveredCity ? 2 : 0;
        texts.update(in, cities, countries);
        laidOut += display.apply(texts, nullptr);
        ++frame;
    }
    state.counters["lines/frame"] = benchmark::Counter(double(laidOut) / std::max(frame, 1));
}
BENCHMARK(BM_ReadoutUpdate)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_TextureFontCreation(benchmark::State& state) {
    if (!bench::ensureGui()) {
        state.SkipWithError("needs an X display (run under xvfb-run)");
        return;
    }
    gfx::RecordingDevice device(kWidth, kHeight);
    for (auto _ : state) {
        text::TextureFont font("Arial", 25, 700, false, device, 0);
        font.restore(device);
        benchmark::DoNotOptimize(font.texture());
    }
}
BENCHMARK(BM_TextureFontCreation)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {
// The same device with nothing drawn between begin and end: what the
// OpenGL frame costs without the HUD.
void BM_EmptyFrameOpenGl(benchmark::State& state) {
    auto device = bench::openGlDevice(state, kWidth, kHeight);
    if (!device) return;
    for (auto _ : state) {
        device->beginScene();
        device->endScene();
    }
}
BENCHMARK(BM_EmptyFrameOpenGl)->Unit(benchmark::kMicrosecond);
}  // namespace
