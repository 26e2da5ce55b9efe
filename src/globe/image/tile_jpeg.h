// The JPEG form of a texture tile: 129 x 129 RGB samples (red, green, blue,
// rows in grid order) compressed at quality 90.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tnx::globe {

constexpr int kTileJpegSide = 129;
constexpr size_t kTileRgbBytes = size_t(kTileJpegSide) * kTileJpegSide * 3;  // 49923
constexpr int kTileJpegQuality = 90;

// Compresses one tile into `destination` (replaced; its capacity is reused).
// Returns the byte count, 0 when `rgb` holds fewer than 49923 bytes or
// libjpeg fails.
size_t encodeTileJpeg(std::span<const uint8_t> rgb, std::vector<uint8_t>& destination);

// Decodes a tile into `rgb` (at least 49923 bytes). False when the data is
// damaged or is not a 129 x 129 image; `rgb` may then be partly written.
bool decodeTileJpeg(std::span<const uint8_t> source, std::span<uint8_t> rgb);

}  // namespace tnx::globe
