// Tile files ("globe*.tem", "globetex*.tex"): header, block index, block
// tables and each tile's codec, read back at every level.
// Links: tnx_globe_terrain
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_file.h"
#include "globe/terrain/tile_file.h"

using namespace tnx::globe;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tnx::fuzz::MemoryFile file(data, size);
    if (!file.ok()) return 0;
    TileFile tiles;
    int kind = tiles.open(file.path(), "rb");
    if (kind != kTileFileKind1 && kind != kTileFileKind2 && kind != kTileFileRawGrid) return 0;
    std::vector<uint8_t> terrain(kTerrainTileBytes), texture(kTextureTileBytes);
    for (int level = 0; level < kTileLevels; ++level) {
        int step = 128 << level;
        for (int i = 0; i < 3; ++i) {
            int x = i * step, y = (i == 2 ? -1 : i) * step;
            tiles.readTile(x, y, level, terrain.data(), terrain.size());
            tiles.readTile(x, y, level, texture.data(), texture.size());
        }
    }
    return 0;
}
