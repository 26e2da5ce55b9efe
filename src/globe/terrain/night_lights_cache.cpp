#include "globe/terrain/night_lights_cache.h"

#include <algorithm>

namespace tnx::globe {

NightLightsCache::NightLightsCache(ElevationSource& elevation, ColourTileSource* lights,
                                   const RowDecimation& decimation, const TextureCacheLayout& layout,
                                   uint32_t availableTextureMemory)
    : TextureCache(elevation, lights, decimation, layout, availableTextureMemory) {
    // The lights as the file has them.
    setAdjustments({1.0f, 1.0f, 1.0f, 1.0f, 1.0f});
}

bool LightOccupancy::any(float u0, float v0, float u1, float v1) const {
    auto cell = [](float f) { return std::clamp(int(f * float(kCells)), 0, kCells - 1); };
    const int c0 = cell(std::min(u0, u1)), c1 = cell(std::max(u0, u1));
    const uint16_t columns = uint16_t(((2u << c1) - 1) & ~((1u << c0) - 1));
    for (int r = cell(std::min(v0, v1)); r <= cell(std::max(v0, v1)); ++r)
        if (rows[size_t(r)] & columns) return true;
    return false;
}

const LightOccupancy* NightLightsCache::occupancy(const BoundTexture& bound) const {
    const auto it = occupancy_.find(key(bound.level, bound.originX, bound.originY));
    return it == occupancy_.end() ? nullptr : &it->second;
}

bool NightLightsCache::buildTexels(int level, int tileColumn, int tileRow, std::vector<uint32_t>& out) {
    if (level < 0 || level >= levels()) return false;
    const int colShift = columnShiftOf(level, tileRow);
    const int originX = tileColumn << (7 + colShift), originY = tileRow << (7 + level);
    readPhoto(level, originX, originY, colShift);
    LightOccupancy lit;
    constexpr int kSamplesPerCell = (kTileSamples - 1) / LightOccupancy::kCells;  // 8
    uint8_t brightest = 0;
    for (size_t i = 0; i < photoValid_.size(); ++i) {
        uint8_t* texel = &lit_[i * 4];
        const uint8_t* p = &photo_[i * 3];
        const bool valid = photoValid_[i] != 0;
        uint8_t most = 0;
        for (int c = 0; c < 3; ++c) {
            texel[1 + c] = valid ? p[c] : uint8_t(0);
            most = std::max(most, texel[1 + c]);
        }
        // Alpha marks where there is light at all: the pass skips the rest.
        texel[0] = most;
        brightest = std::max(brightest, most);
        if (most == 0) continue;
        // A sample on a cell's edge lights both cells beside it.
        const int row = int(i) / kTileSamples, column = int(i) % kTileSamples;
        for (int r : {row / kSamplesPerCell, (row - 1) / kSamplesPerCell})
            for (int c : {column / kSamplesPerCell, (column - 1) / kSamplesPerCell})
                if (r >= 0 && c >= 0 && r < LightOccupancy::kCells && c < LightOccupancy::kCells)
                    lit.rows[size_t(r)] |= uint16_t(1u << c);
    }
    occupancy_[key(level, originX, originY)] = lit;
    lastTileDark_ = brightest == 0;
    resampleLit(out);
    return true;
}

}  // namespace tnx::globe
