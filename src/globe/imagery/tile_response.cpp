#include "globe/imagery/tile_response.h"

#include <algorithm>

#include "globe/image/image_decoder.h"

namespace tnx::globe {

namespace {

// JPEG noise keeps a black tile a little above zero.
constexpr uint8_t kBlackLevel = 8;

TileAnswer refuse(TileOutcome outcome, std::string reason) {
    TileAnswer a;
    a.outcome = outcome;
    a.reason = std::move(reason);
    return a;
}

bool looksLikeText(std::span<const uint8_t> body) {
    size_t i = 0;
    while (i < body.size() && (body[i] == ' ' || body[i] == '\t' || body[i] == '\r' || body[i] == '\n' || body[i] == 0xEF ||
                               body[i] == 0xBB || body[i] == 0xBF))
        ++i;
    return i < body.size() && (body[i] == '<' || body[i] == '{');
}

}  // namespace

int ImageryImage::levels() const {
    int n = 0;
    for (int s = size; s > 0; s >>= 1) ++n;
    return n;
}

size_t ImageryImage::levelOffset(int size, int level) {
    size_t offset = 0;
    for (int l = 0; l < level; ++l) offset += size_t(size >> l) * size_t(size >> l);
    return offset;
}

namespace {

// Texels and mip levels from RGB rows; the upload then only copies.
void makeTexels(const std::vector<uint8_t>& rgb, int size, ImageryImage& image) {
    image.size = size;
    image.texels.resize(ImageryImage::levelOffset(size, image.levels()));
    for (size_t i = 0, n = size_t(size) * size_t(size); i < n; ++i) {
        const uint8_t r = rgb[3 * i], g = rgb[3 * i + 1], b = rgb[3 * i + 2];
        const bool data = r > kBlackLevel || g > kBlackLevel || b > kBlackLevel;
        image.opaque = image.opaque && data;
        image.texels[i] = (data ? 0xFF000000u : 0u) | uint32_t(r) << 16 | uint32_t(g) << 8 | b;
    }
    for (int level = 1; (size >> level) > 0; ++level) {
        const int side = size >> level, above = side * 2;
        const uint32_t* from = &image.texels[ImageryImage::levelOffset(size, level - 1)];
        uint32_t* to = &image.texels[ImageryImage::levelOffset(size, level)];
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                const uint32_t* p = from + size_t(2 * y) * above + 2 * x;
                const uint32_t q[4] = {p[0], p[1], p[above], p[above + 1]};
                uint32_t out = 0;
                for (int shift = 0; shift < 32; shift += 8) {
                    uint32_t sum = 0;
                    for (uint32_t t : q) sum += (t >> shift) & 0xFF;
                    out |= (sum / 4) << shift;
                }
                to[size_t(y) * side + x] = out;
            }
    }
}

}  // namespace

TileAnswer decodeTileBody(std::span<const uint8_t> body, int tilePixels) {
    if (body.empty()) return refuse(TileOutcome::Missing, "an empty tile");
    if (body.size() > kMaxTileBodyBytes) return refuse(TileOutcome::Rejected, "a tile larger than 4 MB");
    if (body.size() < 3 || body[0] != 0xFF || body[1] != 0xD8 || body[2] != 0xFF)
        return refuse(TileOutcome::Rejected, looksLikeText(body) ? "a web page instead of a tile" : "a tile that is not a JPEG image");
    TileAnswer a;
    bool sizeWrong = false;
    std::vector<uint8_t> rgb;
    const bool ok = decodeJpegTo(body, [&](int width, int height) -> uint8_t* {
        if (width != tilePixels || height != tilePixels || (tilePixels & (tilePixels - 1)) != 0) {
            sizeWrong = true;
            return nullptr;
        }
        rgb.resize(size_t(width) * size_t(height) * 3);
        return rgb.data();
    });
    if (!ok) {
        return refuse(TileOutcome::Rejected, sizeWrong ? "a tile of the wrong size (not " + std::to_string(tilePixels) + " x " +
                                                             std::to_string(tilePixels) + ")"
                                                       : "a damaged JPEG tile");
    }
    if (std::all_of(rgb.begin(), rgb.end(), [](uint8_t v) { return v <= kBlackLevel; }))
        return refuse(TileOutcome::Missing, "an empty tile");
    makeTexels(rgb, tilePixels, a.image);
    a.outcome = TileOutcome::Tile;
    return a;
}

TileAnswer classifyTileResponse(int status, std::span<const uint8_t> body, int tilePixels) {
    if (status == 200) return decodeTileBody(body, tilePixels);
    if (status == 204 || status == 404 || status == 410) return refuse(TileOutcome::Missing, "no tile");
    if (status == 0) return refuse(TileOutcome::Retry, "no answer");
    // Overload and server trouble pass; other client errors are ours to
    // fix, but a later try costs little and a changed server may answer.
    return refuse(status >= 500 || status == 408 || status == 429 ? TileOutcome::Retry : TileOutcome::Rejected,
                  "status " + std::to_string(status));
}

}  // namespace tnx::globe
