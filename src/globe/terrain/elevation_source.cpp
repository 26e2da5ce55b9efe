#include "globe/terrain/elevation_source.h"

#include <algorithm>

#include "globe/terrain/terrain_palette.h"
#include "globe/terrain/tile_file.h"

namespace tnx::globe {

ElevationSampler::ElevationSampler(ElevationSource& source)
    : source_(source),
      levels_(std::clamp(source.levelCount(), 0, 16)),
      columnMask_(std::max(source.gridWidth() - 2, 0)) {}

void ElevationSampler::invalidate() {
    for (auto& r : last_) r.valid = false;
}

bool ElevationSampler::tileFor(int level, int x, int y, const ElevationTile*& tile) {
    if (level < 0 || level >= levels_) return false;
    Remembered& r = last_[size_t(level)];
    if (r.valid) {
        const int px = (x - r.tile.originX) & columnMask_;
        const int py = y - r.tile.originY;
        if (px <= (kTileCells << r.tile.columnShift) && py >= 0 && py <= (kTileCells << r.tile.rowShift)) {
            tile = &r.tile;
            return true;
        }
    }
    ElevationTile t;
    if (!source_.tileAt(level, x, y, t) || !t.samples) return false;
    r.tile = t;
    r.valid = true;
    tile = &r.tile;
    return true;
}

bool ElevationSampler::holds(int level, int x, int y) {
    const ElevationTile* t = nullptr;
    return tileFor(level, x, y, t);
}

bool ElevationSampler::wordAt(int level, int x, int y, uint32_t& out) {
    const ElevationTile* t = nullptr;
    if (!tileFor(level, x, y, t)) return false;
    const int px = (x - t->originX) & columnMask_;
    const int py = y - t->originY;
    const int ix = px >> t->columnShift, iy = py >> t->rowShift;
    if (ix > kTileCells || iy > kTileCells || py < 0) return false;
    const int fxMask = (1 << t->columnShift) - 1, fyMask = (1 << t->rowShift) - 1;
    const int fx = px & fxMask, fy = py & fyMask;
    const uint16_t* w = t->samples;
    if (fx == 0 && fy == 0) {
        out = elevationWord(w[iy * kTileSamples + ix]);
        return true;
    }
    // Between lattice samples: bilinear in metres; the class of the nearest
    // corner keeps coasts where they are.
    const int x1 = std::min(ix + 1, kTileCells), y1 = std::min(iy + 1, kTileCells);
    const float tx = float(fx) / float(1 << t->columnShift);
    const float ty = float(fy) / float(1 << t->rowShift);
    const uint32_t c00 = elevationWord(w[iy * kTileSamples + ix]), c10 = elevationWord(w[iy * kTileSamples + x1]);
    const uint32_t c01 = elevationWord(w[y1 * kTileSamples + ix]), c11 = elevationWord(w[y1 * kTileSamples + x1]);
    const float e0 = float(wordElevation(c00)) + (float(wordElevation(c10)) - float(wordElevation(c00))) * tx;
    const float e1 = float(wordElevation(c01)) + (float(wordElevation(c11)) - float(wordElevation(c01))) * tx;
    const float e = e0 + (e1 - e0) * ty;
    const uint32_t nearest = ty < 0.5f ? (tx < 0.5f ? c00 : c10) : (tx < 0.5f ? c01 : c11);
    out = makeWord(wordClass(nearest), int(e < 0 ? e - 0.5f : e + 0.5f));
    return true;
}

bool ElevationSampler::word(int x, int y, int minLevel, uint32_t& out, int* usedLevel) {
    for (int level = std::max(minLevel, 0); level < levels_; ++level) {
        if (wordAt(level, x, y, out)) {
            if (usedLevel) *usedLevel = level;
            return true;
        }
    }
    return false;
}

}  // namespace tnx::globe
