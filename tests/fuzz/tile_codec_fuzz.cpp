// The tile codecs on their own: run-length (plain and by byte planes) and
// the colour tiles' JPEG.
// Links: tnx_globe_terrain
#include <cstddef>
#include <cstdint>
#include <vector>

#include "globe/image/tile_jpeg.h"
#include "globe/terrain/tile_codec.h"
#include "globe/terrain/tile_file.h"

using namespace tnx::globe;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> coded(data, size);
    std::vector<uint8_t> terrain(kTerrainTileBytes), texture(kTextureTileBytes);
    decodeRunLengthPlanes(coded, terrain);
    decodeRunLengthPlanes(coded, texture);
    decodeRunLength(coded, terrain);
    decodeTileJpeg(coded, texture);
    return 0;
}
