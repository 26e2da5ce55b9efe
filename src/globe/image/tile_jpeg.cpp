#include "globe/image/tile_jpeg.h"

#include "globe/image/image_decoder.h"
#include "globe/image/jpeg_encoder.h"

namespace tnx::globe {

size_t encodeTileJpeg(std::span<const uint8_t> rgb, std::vector<uint8_t>& destination) {
    if (rgb.size() < kTileRgbBytes) {
        destination.clear();
        return 0;
    }
    if (!encodeJpeg(rgb.first(kTileRgbBytes), kTileJpegSide, kTileJpegSide, 3, kTileJpegQuality, destination,
                    /*fullColourResolution=*/true))
        return 0;
    return destination.size();
}

bool decodeTileJpeg(std::span<const uint8_t> source, std::span<uint8_t> rgb) {
    if (rgb.size() < kTileRgbBytes) return false;
    return decodeJpegTo(source, [&](int width, int height) -> uint8_t* {
        return width == kTileJpegSide && height == kTileJpegSide ? rgb.data() : nullptr;
    });
}

}  // namespace tnx::globe
