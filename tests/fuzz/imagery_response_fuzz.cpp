// A server's answer for an imagery tile: the status picks the path, the body
// is checked and decoded as the worker does. The second byte sets the tile
// size, so small JPEGs are decoded whole.
// Links: tnx_globe_imagery
#include <cstddef>
#include <cstdint>

#include "globe/imagery/tile_response.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static constexpr int kStatus[] = {200, 200, 200, 200, 404, 204, 500, 0};
    const int status = kStatus[data[0] % 8];
    const int tilePixels = 8 << (data[1] % 7);
    tnx::globe::classifyTileResponse(status, {data + 2, size - 2}, tilePixels);
    return 0;
}
