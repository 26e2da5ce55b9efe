// Synthetic terrain for the texture cache and renderer tests: an elevation
// source whose levels are rings of generated tiles around the view centre
// (the last level covers the globe), with switches to leave levels or areas
// out, and a counting photographic tile source.
#pragma once

#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "globe/terrain/elevation_cache.h"
#include "globe/terrain/elevation_source.h"
#include "globe/terrain/row_shift_table.h"
#include "globe/terrain/terrain_palette.h"
#include "globe/terrain/texture_cache.h"

namespace tnx::globe::testing {

class FakeElevation : public ElevationSource {
public:
    using Height = std::function<uint32_t(int x, int y)>;  // the word at a grid sample

    // gridWidth 2^k + 1; levels k - 10; ring side a.
    explicit FakeElevation(int gridWidth = 4097, int ringSide = 5, Height height = nullptr)
        : width_(gridWidth), ringSide_(ringSide), table_(gridWidth), height_(std::move(height)) {
        int k = 0;
        while ((1 << (k + 1)) <= gridWidth - 1) ++k;
        levels_ = k - 10;
        if (!height_) height_ = [](int, int) { return makeWord(0, 0); };
    }

    int gridWidth() const override { return width_; }
    int gridHeight() const override { return (width_ - 1) / 2 + 1; }
    int levelCount() const override { return levels_; }
    void recentre(int column, int row) override {
        centreColumn_ = column;
        centreRow_ = row;
        ++recentres;
    }

    bool tileAt(int level, int x, int y, ElevationTile& out) override {
        if (level < 0 || level >= levels_ || level < firstLevel) return false;
        const int span = 128 << level;
        const int cells = width_ - 1;
        const int rows = cells / 2 / span;
        const int ty = std::min(y / span, rows - 1);
        const int shift = table_.tileRowShift(ty * span, span);
        const int colSpan = 128 << (level + shift);
        const int tx = (x & (cells - 1)) / colSpan;
        if (level < levels_ - 1) {
            // Rows as the elevation cache places them.
            const int firstRow = ElevationCache::ringFirstRow(centreRow_, span, ringSide_, rows);
            const int ctx = (centreColumn_ & (cells - 1)) / colSpan;
            const int across = cells / colSpan;
            int dx = std::abs(tx - ctx);
            dx = std::min(dx, across - dx);
            if (ty < firstRow || ty >= firstRow + ringSide_ || dx > ringSide_ / 2) return false;
        }
        if (missing && missing(level, tx * colSpan, ty * span)) return false;
        auto key = std::make_tuple(level, tx, ty);
        auto it = tiles_.find(key);
        if (it == tiles_.end()) {
            auto samples = std::make_unique<std::vector<uint16_t>>(size_t(129) * 129);
            for (int j = 0; j <= 128; ++j)
                for (int i = 0; i <= 128; ++i) {
                    const uint32_t w =
                        height_((tx * colSpan + (i << (level + shift))) & (cells - 1), ty * span + (j << level));
                    (*samples)[size_t(j) * 129 + size_t(i)] = makeSample(wordElevation(w), wordClass(w));
                }
            it = tiles_.emplace(key, std::move(samples)).first;
            ++tilesMade;
        }
        out.samples = it->second->data();
        out.originX = tx * colSpan;
        out.originY = ty * span;
        out.columnShift = level + shift;
        out.rowShift = level;
        out.dataLevel = level;
        return true;
    }

    int firstLevel = 0;  // levels below this hold nothing
    std::function<bool(int level, int x, int y)> missing;  // tiles left out
    int recentres = 0;
    int tilesMade = 0;

private:
    int width_, ringSide_, levels_ = 0;
    RowShiftTable table_;
    Height height_;
    int centreColumn_ = 0, centreRow_ = 0;
    std::map<std::tuple<int, int, int>, std::unique_ptr<std::vector<uint16_t>>> tiles_;
};

// Rough land: long waves plus a hashed roughness, class 0.
inline uint32_t roughLand(int x, int y) {
    uint32_t h = uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    const double e = 2500.0 + 2000.0 * std::sin(x * 0.031) * std::cos(y * 0.047) + double(h % 600);
    return makeWord(0, int(e));
}

class CountingColour : public ColourTileSource {
public:
    int readTile(int x, int y, int level, uint8_t* rgb) override {
        ++reads;
        lastX = x, lastY = y, lastLevel = level;
        if (fail) return 3;
        for (size_t i = 0; i < kColourTileBytes; i += 3) {
            rgb[i] = red;
            rgb[i + 1] = green;
            rgb[i + 2] = blue;
        }
        return 1;
    }
    int reads = 0;
    int lastX = -1, lastY = -1, lastLevel = -1;
    bool fail = false;
    uint8_t red = 200, green = 100, blue = 50;
};

}  // namespace tnx::globe::testing
