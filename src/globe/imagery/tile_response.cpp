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

TileAnswer decodeTileBody(std::span<const uint8_t> body, int tilePixels) {
    if (body.empty()) return refuse(TileOutcome::Missing, "an empty tile");
    if (body.size() > kMaxTileBodyBytes) return refuse(TileOutcome::Rejected, "a tile larger than 4 MB");
    if (body.size() < 3 || body[0] != 0xFF || body[1] != 0xD8 || body[2] != 0xFF)
        return refuse(TileOutcome::Rejected, looksLikeText(body) ? "a web page instead of a tile" : "a tile that is not a JPEG image");
    TileAnswer a;
    bool sizeWrong = false;
    const bool ok = decodeJpegTo(body, [&](int width, int height) -> uint8_t* {
        if (width != tilePixels || height != tilePixels) {
            sizeWrong = true;
            return nullptr;
        }
        a.image.size = width;
        a.image.rgb.resize(size_t(width) * size_t(height) * 3);
        return a.image.rgb.data();
    });
    if (!ok) {
        return refuse(TileOutcome::Rejected, sizeWrong ? "a tile of the wrong size (not " + std::to_string(tilePixels) + " x " +
                                                             std::to_string(tilePixels) + ")"
                                                       : "a damaged JPEG tile");
    }
    if (std::all_of(a.image.rgb.begin(), a.image.rgb.end(), [](uint8_t v) { return v <= kBlackLevel; }))
        return refuse(TileOutcome::Missing, "an empty tile");
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
