// Online imagery off the frame thread: tiles checked and decoded per second
// (512 x 512 JPEGs as the service sends them), and the process's memory once
// the loader holds as many decoded tiles as its budget allows.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

#include "globe/image/jpeg_encoder.h"
#include "globe/imagery/imagery_loader.h"

namespace {

using namespace tnx::globe;

// Cloud-and-land-like content with grain, about the size of a real tile.
std::vector<uint8_t> photoTile(int seed) {
    std::vector<uint8_t> p(512 * 512 * 3);
    uint32_t noise = uint32_t(seed) * 7919u + 1;
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = int(noise >> 27) - 16;
            const double s = std::sin((x + seed) * 0.03) * std::cos(y * 0.045);
            uint8_t* px = &p[(size_t(y) * 512 + x) * 3];
            px[0] = uint8_t(std::clamp(int(100 + 80 * s) + grain, 0, 255));
            px[1] = uint8_t(std::clamp(int(110 + 70 * s) + grain, 0, 255));
            px[2] = uint8_t(std::clamp(int(90 + 60 * s) + grain, 0, 255));
        }
    std::vector<uint8_t> jpeg;
    encodeJpeg(p, 512, 512, 3, 85, jpeg);
    return jpeg;
}

void BM_DecodeTile(benchmark::State& state) {
    const std::vector<uint8_t> jpeg = photoTile(1);
    for (auto _ : state) {
        TileAnswer a = decodeTileBody(jpeg, 512);
        benchmark::DoNotOptimize(a.image.texels.data());
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["tile_kB"] = double(jpeg.size()) / 1024;
}
BENCHMARK(BM_DecodeTile)->Unit(benchmark::kMillisecond);

double residentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1 << 20);
}

// Fills the default 256 MB budget from the disk cache (as an offline run
// would) and reports what the process holds then.
void BM_MemoryWithTheBudgetFull(benchmark::State& state) {
    char folder[] = "/tmp/terranox-imagery-bench-XXXXXX";
    const std::filesystem::path root = std::filesystem::path(mkdtemp(folder)) / "cache";
    std::string error;
    const ImagerySource source = *ImagerySource::make("", tnx::settings::ImageryLayer::CloudFree, error);
    ImageryDiskCache disk(root, uint64_t(1) << 30);
    std::vector<ImageryTileKey> keys;
    const std::vector<uint8_t> jpeg = photoTile(2);
    for (int r = 0; r < 20; ++r)
        for (int c = 0; c < 20; ++c) {
            keys.push_back({8, 60 + r, 150 + c});
            disk.store(source.cacheFolder() + "/static/8/" + std::to_string(60 + r) + "/" + std::to_string(150 + c) + ".jpg",
                       jpeg);
        }
    const double before = residentMegabytes();
    for (auto _ : state) {
        ImageryLoader loader(source, nullptr, std::make_unique<ImageryDiskCache>(root, uint64_t(1) << 30));
        loader.want(keys);  // more than fit: the loader takes what the budget holds
        const int fit = int(loader.limits().memoryBytes / (ImageryImage::levelOffset(512, 16) * sizeof(uint32_t)));
        for (int i = 0; i < 20000 && loader.counters().fromDisk < fit; ++i) {
            loader.update(i);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        state.counters["tiles_held"] = double(loader.tilesHeld());
        state.counters["held_MB"] = double(loader.memoryUsed()) / (1 << 20);
        state.counters["rss_MB"] = residentMegabytes();
        state.counters["rss_before_MB"] = before;
    }
    std::error_code ec;
    std::filesystem::remove_all(root.parent_path(), ec);
}
BENCHMARK(BM_MemoryWithTheBudgetFull)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
