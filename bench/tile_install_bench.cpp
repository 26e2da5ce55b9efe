// Tile installation: "InitTemAndTexture" for class 11 (a 2048 x 1024 world
// image and a 2049 x 1025 terrain), and the texture installation of an
// 8192 x 4096 image next to what libjpeg alone needs to decode that image and
// encode the same pixels as level-0 tiles.
//
// Peak memory of the large installation alone:
//   /usr/bin/time -v build/bench/tile_install_bench --benchmark_filter=InstallTexture8192
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "globe/image/image_decoder.h"
#include "globe/image/jpeg_encoder.h"
#include "globe/terrain/row_shift_table.h"
#include "globe/terrain/tile_file.h"
#include "globe/terrain/tile_installer.h"
#include "globe/image/tile_jpeg.h"
#include "platform/io/byte_io.h"
#include "platform/io/file_io.h"

namespace {

namespace fs = std::filesystem;

fs::path benchFolder() {
    static fs::path folder = [] {
        fs::path p = fs::temp_directory_path() / ("terranox-install-bench-" + std::to_string(getpid()));
        fs::create_directories(p);
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(fs::temp_directory_path() / ("terranox-install-bench-" + std::to_string(getpid())), ec);
        });
        return p;
    }();
    return folder;
}

// A photo-like world image, encoded row by row so even the large one never
// exists decoded in memory.
std::vector<uint8_t> syntheticWorld(int width, int height) {
    std::vector<uint8_t> row(size_t(width) * 3), out;
    uint32_t noise = 12345;
    auto rowAt = [&](int y) -> const uint8_t* {
        for (int x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            int grain = int(noise >> 28) - 8;
            double s = std::sin(x * 6.0 / width * 7) * std::cos(y * 5.0 / height * 9);
            bool land = s > 0.2;
            row[size_t(x) * 3] = uint8_t(std::clamp(int(land ? 120 + 60 * s : 20) + grain, 0, 255));
            row[size_t(x) * 3 + 1] = uint8_t(std::clamp(int(land ? 110 + 40 * s : 40 + (x % 37)) + grain, 0, 255));
            row[size_t(x) * 3 + 2] = uint8_t(std::clamp(int(land ? 60 : 120 + 40 * s) + grain, 0, 255));
        }
        return row.data();
    };
    tnx::globe::encodeJpegRows(rowAt, width, height, 3, 90, out);
    return out;
}

const std::vector<uint8_t>& world(int width) {
    static std::vector<uint8_t> small = syntheticWorld(2048, 1024);
    if (width == 2048) return small;
    static std::vector<uint8_t> large = syntheticWorld(8192, 4096);
    return large;
}

// The delivered terrain file: level-0 tiles of a 2049 x 1025 grid.
const std::vector<uint8_t>& deliveredTerrain() {
    static std::vector<uint8_t> bytes = [] {
        fs::path p = benchFolder() / "terrain-template.tem";
        if (std::FILE* f = std::fopen(p.c_str(), "wb")) std::fclose(f);
        tnx::globe::TileFile file;
        file.open(p, "r+b");
        file.setGrid(2049, 1025);
        tnx::globe::RowShiftTable shifts(2049);
        std::vector<uint8_t> tile(tnx::globe::kTerrainTileBytes);
        for (int y = 0; y < 1024; y += 128) {
            int step = 1 << shifts.tileRowShift(y, 128);
            for (int x = 0; x < 2048; x += 128 * step) {
                for (int j = 0; j < 129; ++j)
                    for (int i = 0; i < 129; ++i) {
                        double e = 3000 * std::sin((x + i * step) * 0.01) * std::cos((y + j) * 0.013);
                        tnx::io::storeU16(&tile[size_t(j * 129 + i) * 2],
                                          e > 0 ? tnx::globe::makeSample(int(e), 0) : tnx::globe::makeSample(int(e) - 2, 3));
                    }
                file.writeTile(x, y, 0, tile.data(), tile.size(), true);
            }
        }
        file.writeHeader();
        file.close();
        return *tnx::io::readWholeFile(p);
    }();
    return bytes;
}

void InitTemAndTextureClass11(benchmark::State& state) {
    const fs::path folder = benchFolder() / "class11";
    fs::create_directories(folder);
    for (auto _ : state) {
        state.PauseTiming();
        tnx::io::writeFileAtomically(folder / "globetex11j90.tex", world(2048));
        tnx::io::writeFileAtomically(folder / "globe11c.tem", deliveredTerrain());
        state.ResumeTiming();
        tnx::globe::initTemAndTexture(folder);
    }
}
BENCHMARK(InitTemAndTextureClass11)->Unit(benchmark::kMillisecond)->UseRealTime();

void InstallTexture8192(benchmark::State& state) {
    const fs::path folder = benchFolder() / "class13";
    fs::create_directories(folder);
    const fs::path tex = folder / "globetex13j90.tex";
    for (auto _ : state) {
        state.PauseTiming();
        tnx::io::writeFileAtomically(tex, world(8192));
        state.ResumeTiming();
        if (tnx::globe::installTexture(tex) != tnx::globe::InstallOutcome::Installed) state.SkipWithError("not installed");
    }
    state.counters["file_MB"] = double(fs::file_size(tex)) / 1e6;
}
BENCHMARK(InstallTexture8192)->Unit(benchmark::kMillisecond)->UseRealTime();

// libjpeg alone: decode the image, encode the same level-0 tiles.
void LibjpegDecodeAndTileEncode8192(benchmark::State& state) {
    const std::vector<uint8_t>& jpeg = world(8192);
    tnx::globe::RowShiftTable shifts(8193);
    std::vector<uint8_t> tile(tnx::globe::kTileRgbBytes), coded;
    for (auto _ : state) {
        tnx::globe::RgbImage image = tnx::globe::decodeJpeg(jpeg);
        size_t tiles = 0;
        for (int y = 0; y < 4096; y += 128) {
            int step = 1 << shifts.tileRowShift(y, 128);
            for (int x = 0; x < 8192; x += 128 * step) {
                for (int j = 0; j < 129; ++j) {
                    const uint8_t* row = image.pixels.data() + size_t(std::max(0, 4095 - y - j)) * 8192 * 3;
                    for (int i = 0; i < 129; ++i)
                        std::copy_n(row + size_t((x + i * step) % 8192) * 3, 3, &tile[size_t(j * 129 + i) * 3]);
                }
                tnx::globe::encodeTileJpeg(tile, coded);
                ++tiles;
            }
        }
        benchmark::DoNotOptimize(tiles);
    }
}
BENCHMARK(LibjpegDecodeAndTileEncode8192)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
