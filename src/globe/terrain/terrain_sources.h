// The real sources behind the terrain renderer's data interfaces: the
// elevation cache and the texture tile file.
#pragma once

#include "globe/terrain/elevation_cache.h"
#include "globe/terrain/elevation_source.h"
#include "globe/terrain/texture_cache.h"
#include "globe/terrain/tile_file.h"

namespace tnx::globe {

class CacheElevationSource : public ElevationSource {
public:
    explicit CacheElevationSource(ElevationCache& cache) : cache_(cache) {}
    int gridWidth() const override { return cache_.gridWidth(); }
    int gridHeight() const override { return cache_.gridHeight(); }
    int levelCount() const override { return cache_.levelCount(); }
    void recentre(int column, int row) override { cache_.recentre(column, row); }
    bool tileAt(int level, int x, int y, ElevationTile& out) override;

private:
    ElevationCache& cache_;
};

class TileFileColourSource : public ColourTileSource {
public:
    explicit TileFileColourSource(TileFile& file) : file_(file) {}
    int readTile(int x, int y, int level, uint8_t* rgb) override {
        return file_.readTile(x, y, level, rgb, kTextureTileBytes);
    }

private:
    TileFile& file_;
};

}  // namespace tnx::globe
