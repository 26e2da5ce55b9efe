#include "globe/terrain/night_lights_cache.h"

namespace tnx::globe {

NightLightsCache::NightLightsCache(ElevationSource& elevation, ColourTileSource* lights,
                                   const RowDecimation& decimation, const TextureCacheLayout& layout,
                                   uint32_t availableTextureMemory)
    : TextureCache(elevation, lights, decimation, layout, availableTextureMemory) {
    // The lights as the file has them.
    setAdjustments({1.0f, 1.0f, 1.0f, 1.0f, 1.0f});
}

bool NightLightsCache::buildTexels(int level, int tileColumn, int tileRow, std::vector<uint32_t>& out) {
    if (level < 0 || level >= levels()) return false;
    const int colShift = columnShiftOf(level, tileRow);
    readPhoto(level, tileColumn << (7 + colShift), tileRow << (7 + level), colShift);
    uint8_t brightest = 0;
    for (size_t i = 0; i < photoValid_.size(); ++i) {
        uint8_t* texel = &lit_[i * 4];
        const uint8_t* p = &photo_[i * 3];
        const bool valid = photoValid_[i] != 0;
        texel[0] = 255;
        for (int c = 0; c < 3; ++c) {
            texel[1 + c] = valid ? p[c] : uint8_t(0);
            brightest = std::max(brightest, texel[1 + c]);
        }
    }
    lastTileDark_ = brightest == 0;
    resampleLit(out);
    return true;
}

}  // namespace tnx::globe
