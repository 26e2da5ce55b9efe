// The city lights' textures: the same rings and levels as the terrain's
// colour textures, so the lights follow the camera's detail as the day
// image does, each tile built straight from the night tile file (black
// where it has nothing) without relief, palette or adjustments.
#pragma once

#include <array>
#include <unordered_map>

#include "globe/terrain/texture_cache.h"

namespace tnx::globe {

// Where a lights tile has any light at all: 16 x 16 cells of 8 x 8 samples
// (each with the samples on its edges), so the night pass can leave out the
// triangles over dark land and sea without drawing them.
struct LightOccupancy {
    static constexpr int kCells = 16;
    std::array<uint16_t, kCells> rows{};  // bit c of row r: cell (c, r) has light
    // Whether any cell in the area of tile fractions [u0, u1] x [v0, v1]
    // (0 the tile's first sample, 1 its last) has light.
    bool any(float u0, float v0, float u1, float v1) const;
};

class NightLightsCache : public TextureCache {
public:
    NightLightsCache(ElevationSource& elevation, ColourTileSource* lights, const RowDecimation& decimation,
                     const TextureCacheLayout& layout, uint32_t availableTextureMemory);

    bool buildTexels(int level, int tileColumn, int tileRow, std::vector<uint32_t>& out) override;
    // The lit cells of a bound tile; null when it was never built.
    const LightOccupancy* occupancy(const BoundTexture& bound) const;

private:
    static uint64_t key(int level, int originX, int originY) {
        return (uint64_t(uint32_t(level)) << 48) | (uint64_t(uint32_t(originX) & 0xFFFFFF) << 24) |
               uint64_t(uint32_t(originY) & 0xFFFFFF);
    }
    // Kept for every tile built (a few thousand at most over the globe).
    std::unordered_map<uint64_t, LightOccupancy> occupancy_;
};

}  // namespace tnx::globe
