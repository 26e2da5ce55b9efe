// The city lights' textures: the same rings and levels as the terrain's
// colour textures, so the lights follow the camera's detail as the day
// image does, each tile built straight from the night tile file (black
// where it has nothing) without relief, palette or adjustments.
#pragma once

#include "globe/terrain/texture_cache.h"

namespace tnx::globe {

class NightLightsCache : public TextureCache {
public:
    NightLightsCache(ElevationSource& elevation, ColourTileSource* lights, const RowDecimation& decimation,
                     const TextureCacheLayout& layout, uint32_t availableTextureMemory);

    bool buildTexels(int level, int tileColumn, int tileRow, std::vector<uint32_t>& out) override;
};

}  // namespace tnx::globe
