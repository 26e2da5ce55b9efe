// What a server's answer for one imagery tile means: a tile to show, no tile
// for that day (look at the day before), a failure worth another try later,
// or an answer that is no tile at all. Every byte of a body is checked
// before it is trusted: bodies are JPEG or nothing, of exactly the grid's
// tile size; an error page sent with status 200 is refused, not decoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tnx::globe {

// A decoded tile as a texture takes it: size x size texels 0xAARRGGBB,
// rows from the north, followed by each mip level down to 1 x 1 (every
// texel the mean of the 2 x 2 above it). Black texels are where the
// service had no data (the night side of a daily mosaic): they get alpha 0,
// so the built-in image shows through.
struct ImageryImage {
    int size = 0;
    std::vector<uint32_t> texels;
    bool opaque = true;  // no texel without data
    size_t bytes() const { return texels.capacity() * sizeof(uint32_t); }
    int levels() const;
    // Where mip level `level` starts in texels, and its side.
    static size_t levelOffset(int size, int level);
    uint32_t at(int x, int y, int level = 0) const {
        return texels[levelOffset(size, level) + size_t(y) * size_t(size >> level) + size_t(x)];
    }
};

// Bodies above this are refused (a 512 x 512 JPEG is far smaller).
inline constexpr size_t kMaxTileBodyBytes = size_t(4) << 20;

enum class TileOutcome {
    Tile,      // image holds the tile
    Missing,   // no tile there that day (404, or a tile with nothing in it)
    Retry,     // the server or the network failed; ask again later
    Rejected,  // the answer is not a usable tile (wrong kind, size, damage)
};

struct TileAnswer {
    TileOutcome outcome = TileOutcome::Rejected;
    ImageryImage image;
    std::string reason;  // for the status line, when not a tile
};

// Decodes and checks a body: a JPEG of tilePixels x tilePixels (a power of
// two) whose pixels are not all black (an all-black tile is a day without
// data), made into texels with their mip levels.
TileAnswer decodeTileBody(std::span<const uint8_t> body, int tilePixels);

// An HTTP answer: `status` is the HTTP status, or 0 when the request failed
// before one arrived (no connection, timeout, too many redirects).
TileAnswer classifyTileResponse(int status, std::span<const uint8_t> body, int tilePixels);

}  // namespace tnx::globe
