// The browsers' costs on the full city table (the built data's, or as many
// made-up cities when the data is not built): sorting by each column, a find
// per typed letter, the city panel's update and draw per frame while it
// scrolls (recording and OpenGL devices), and opening the city window.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "core/process_state.h"
#include "geodata/geo_files.h"
#include "geodata/geo_overlay.h"
#include "geodata/pack_archive.h"
#include "hud/browser_panel.h"
#include "hud/hud_root.h"
#include "hud/list_window.h"
#include "gl_bench_device.h"
#include "platform/gfx/gl_device.h"
#include "platform/gfx/recording_device.h"
#include "platform/home/program_home.h"
#include "settings/option_block.h"
#include "support/fake_glyph_rasteriser.h"

using namespace tnx;

namespace {

constexpr int kWidth = 1280, kHeight = 720;
constexpr int kMadeUpCities = 44000;

float fov() { return 2.0f * std::atan(std::tan(0.39269876f) * float(kWidth) / float(kHeight)); }

// The built data's cities, or made-up ones in 250 countries.
geodata::GeoOverlay& places() {
    static std::unique_ptr<geodata::GeoOverlay> overlay = [] {
        const char* dir = std::getenv("TERRANOX_APP_DIR");
        std::filesystem::path app = dir ? dir : "../app";
        static geodata::PackArchive pack;
        if (pack.open(app / "pack.dat") > 0) {
            home::setExecutableDir(app);
            geodata::setPackArchive(&pack);
            auto o = std::make_unique<geodata::GeoOverlay>(0.00001f);
            if (o->cities().count() > 1000) return o;
        }
        std::mt19937 rng(7);
        std::vector<std::pair<std::string, std::vector<test::CityEntry>>> groups(250);
        for (int g = 0; g < 250; ++g) groups[size_t(g)].first = "Country " + std::to_string(g);
        for (int i = 0; i < kMadeUpCities; ++i) {
            std::string name;
            for (int k = 0, n = 4 + int(rng() % 10); k < n; ++k) name += char((k ? 'a' : 'A') + rng() % 26);
            groups[rng() % 250].second.push_back({name, 1, int16_t(rng() % 30000 - 15000),
                                                   int16_t(rng() % 60000 - 30000), int16_t(rng() % 3000),
                                                   int32_t(rng() % 5000000)});
        }
        auto o = std::make_unique<geodata::GeoOverlay>(0.00001f, false);
        o->cities().load(test::siteFile(groups), o->countries());
        o->rebuildCities();
        return o;
    }();
    return *overlay;
}

hud::BrowserPanel& cityPanel() {
    static std::unique_ptr<hud::BrowserPanel> panel = [] {
        auto p = std::make_unique<hud::BrowserPanel>(hud::BrowserKind::City);
        p->build();
        p->fillCities(places().cities(), places().countries(), true);
        return p;
    }();
    return *panel;
}

void BM_SortCitiesByColumn(benchmark::State& state) {
    hud::BrowserTable& t = cityPanel().table();
    const int column = int(state.range(0));
    for (auto _ : state) t.sort(column, hud::kSortToggle);  // alternately ascending and descending
    state.counters["rows"] = t.rowCount();
}
// City, Country, Longitude, Latitude, Altitude, Population, and the rank.
BENCHMARK(BM_SortCitiesByColumn)->DenseRange(1, 7)->Unit(benchmark::kMillisecond);

void BM_FindPerTypedLetter(benchmark::State& state) {
    hud::BrowserTable& t = cityPanel().table();
    t.sort(2, hud::kSortAscending);
    const std::string words[] = {"Paris", "Bern", "Zurich", "Lagos", "Tokyo", "Sao Paulo", "Yerevan"};
    std::vector<std::string> typed;
    for (const auto& w : words)
        for (size_t n = 1; n <= w.size(); ++n) typed.push_back(w.substr(0, n));
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(t.find(2, typed[i]));
        i = (i + 1) % typed.size();
    }
}
BENCHMARK(BM_FindPerTypedLetter)->Unit(benchmark::kMicrosecond);

// The first letter typed into an unsorted list sorts it by name first.
void BM_FindAfterAnotherSort(benchmark::State& state) {
    hud::BrowserTable& t = cityPanel().table();
    for (auto _ : state) {
        state.PauseTiming();
        t.sort(7, hud::kSortDescending);
        state.ResumeTiming();
        benchmark::DoNotOptimize(t.find(2, "P"));
    }
}
BENCHMARK(BM_FindAfterAnotherSort)->Unit(benchmark::kMillisecond);

// One frame of a shown city panel while its slider is dragged: the rows
// scroll by a third of a row (a new row every few frames), then the root
// updates and draws.
void scrollFrames(benchmark::State& state, gfx::Device& device, text::TextureFont& font) {
    app::processState().saverMode = app::SaverMode::InteractiveViewer;
    settings::optionBlock().set(settings::OptionBlock::kHudShown, 1);
    hud::HudRoot root(fov(), kWidth, kHeight, &font);
    auto panel = std::make_unique<hud::BrowserPanel>(hud::BrowserKind::City);
    hud::BrowserPanel* p = panel.get();
    root.add(std::move(panel));
    p->build();
    p->fillCities(places().cities(), places().countries(), true);
    p->show(1);
    p->placeAt(-10.0f, 8.0f, 30.0f);
    hud::ListDisplay& rows = p->rows();
    for (int i = 0; i < 10; ++i) root.draw(device, 0.016f);
    float direction = 1;
    for (auto _ : state) {
        if (rows.firstRow() >= rows.lastFirstRow()) direction = -1;
        if (rows.firstRow() <= 0) direction = 1;
        rows.scroll(direction * 33.0f, true);
        p->rowSlider().syncFromDisplay();
        device.beginScene();
        root.update(0.016f);
        root.draw(device, 0.016f);
        device.endScene();
        if (auto* r = dynamic_cast<gfx::RecordingDevice*>(&device)) r->clearRecord();
    }
    state.counters["first_row"] = rows.firstRow();
}

void BM_CityPanelScrollFrameRecording(benchmark::State& state) {
    gfx::RecordingDevice device(kWidth, kHeight);
    text::TextureFont font("Arial", 25, 700, false, device, 0, std::make_unique<test::FakeGlyphRasteriser>());
    font.restore(device);
    scrollFrames(state, device, font);
}
BENCHMARK(BM_CityPanelScrollFrameRecording)->Unit(benchmark::kMicrosecond);

void BM_CityPanelScrollFrameOpenGl(benchmark::State& state) {
    auto device = bench::openGlDevice(state, kWidth, kHeight, fov());
    if (!device) return;
    text::TextureFont font("Arial", 25, 700, false, *device, 0);
    font.restore(*device);
    scrollFrames(state, *device, font);
    benchmark::DoNotOptimize(device->readBack().pixel(100, 100));
}
BENCHMARK(BM_CityPanelScrollFrameOpenGl)->Unit(benchmark::kMicrosecond);

// From nothing to the city window on screen (exposed) with its rows drawn.
void BM_OpenCityWindow(benchmark::State& state) {
    if (!bench::ensureGui()) {
        state.SkipWithError("needs an X display (run under xvfb-run)");
        return;
    }
    hud::BrowserTable& t = cityPanel().table();
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        hud::BrowserWindowSetup setup;
        setup.title = "City List";
        setup.table = &t;
        hud::ListWindow w(setup);
        w.show(true);
        while (!(w.windowHandle() && w.windowHandle()->isExposed()) && clock.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        QApplication::processEvents();  // the first paint of the rows
        state.SetIterationTime(double(clock.nsecsElapsed()) * 1e-9);
        w.show(false);
    }
}
BENCHMARK(BM_OpenCityWindow)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace
