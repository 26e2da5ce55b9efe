// Texture tile JPEG throughput (129 x 129 tiles per second) next to
// libjpeg's own throughput on a large image, both in pixels per second.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "globe/image/jpeg_encoder.h"
#include "globe/image/tile_jpeg.h"

namespace {

// Photo-like content: smooth gradients with some fine detail.
std::vector<uint8_t> syntheticImage(int width, int height) {
    std::vector<uint8_t> p(size_t(width) * height * 3);
    uint32_t noise = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            int grain = int(noise >> 28) - 8;
            double s = std::sin(x * 0.05) * std::cos(y * 0.07);
            uint8_t* px = &p[(size_t(y) * width + x) * 3];
            px[0] = uint8_t(std::clamp(int(90 + 60 * s) + grain, 0, 255));
            px[1] = uint8_t(std::clamp(int(110 + 50 * s + (x % 97)) + grain, 0, 255));
            px[2] = uint8_t(std::clamp(int(70 + 40 * s + (y % 61)) + grain, 0, 255));
        }
    return p;
}

// A whole image at the tiles' settings (quality 90, colour at every pixel).
std::vector<uint8_t> encodeLarge(const std::vector<uint8_t>& rgb, int width, int height) {
    std::vector<uint8_t> out;
    tnx::globe::encodeJpeg(rgb, width, height, 3, tnx::globe::kTileJpegQuality, out, /*fullColourResolution=*/true);
    return out;
}

void libjpegDecode(const std::vector<uint8_t>& jpeg, std::vector<uint8_t>& rgb) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    const size_t stride = size_t(cinfo.output_width) * 3;
    rgb.resize(stride * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = rgb.data() + cinfo.output_scanline * stride;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
}

constexpr int kTilePixels = tnx::globe::kTileJpegSide * tnx::globe::kTileJpegSide;
constexpr int kLargeWidth = 4096, kLargeHeight = 2048;

void BM_TileEncode(benchmark::State& state) {
    auto tile = syntheticImage(tnx::globe::kTileJpegSide, tnx::globe::kTileJpegSide);
    std::vector<uint8_t> jpeg;
    for (auto _ : state) benchmark::DoNotOptimize(tnx::globe::encodeTileJpeg(tile, jpeg));
    state.SetItemsProcessed(state.iterations());  // tiles
    state.counters["Mpx/s"] = benchmark::Counter(double(state.iterations()) * kTilePixels / 1e6,
                                                 benchmark::Counter::kIsRate);
    state.counters["bytes/tile"] = double(jpeg.size());
}
BENCHMARK(BM_TileEncode)->Unit(benchmark::kMicrosecond);

void BM_TileDecode(benchmark::State& state) {
    auto tile = syntheticImage(tnx::globe::kTileJpegSide, tnx::globe::kTileJpegSide);
    std::vector<uint8_t> jpeg, rgb(tnx::globe::kTileRgbBytes);
    tnx::globe::encodeTileJpeg(tile, jpeg);
    for (auto _ : state) benchmark::DoNotOptimize(tnx::globe::decodeTileJpeg(jpeg, rgb));
    state.SetItemsProcessed(state.iterations());
    state.counters["Mpx/s"] = benchmark::Counter(double(state.iterations()) * kTilePixels / 1e6,
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TileDecode)->Unit(benchmark::kMicrosecond);

void BM_LibjpegEncodeLarge(benchmark::State& state) {
    auto image = syntheticImage(kLargeWidth, kLargeHeight);
    size_t bytes = 0;
    for (auto _ : state) bytes = encodeLarge(image, kLargeWidth, kLargeHeight).size();
    state.counters["Mpx/s"] = benchmark::Counter(double(state.iterations()) * kLargeWidth * kLargeHeight / 1e6,
                                                 benchmark::Counter::kIsRate);
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_LibjpegEncodeLarge)->Unit(benchmark::kMillisecond);

void BM_LibjpegDecodeLarge(benchmark::State& state) {
    auto jpeg = encodeLarge(syntheticImage(kLargeWidth, kLargeHeight), kLargeWidth, kLargeHeight);
    std::vector<uint8_t> rgb;
    for (auto _ : state) {
        libjpegDecode(jpeg, rgb);
        benchmark::DoNotOptimize(rgb.data());
    }
    state.counters["Mpx/s"] = benchmark::Counter(double(state.iterations()) * kLargeWidth * kLargeHeight / 1e6,
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LibjpegDecodeLarge)->Unit(benchmark::kMillisecond);

}  // namespace
