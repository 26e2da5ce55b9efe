// World images resized for the tile files' classes and delivered as JPEG:
// halved (2 x 2 means) or doubled (bilinear between pixel centres), both
// wrapping east-west, colour kept at every pixel since the installer cuts
// tiles from the image.
#pragma once

#include <cstdint>
#include <vector>

#include "globe/image/image_decoder.h"

namespace tnx::databuilder {

bool halvedJpeg(const globe::RgbImage& image, int quality, std::vector<uint8_t>& out);
bool doubledJpeg(const globe::RgbImage& image, int quality, std::vector<uint8_t>& out);

}  // namespace tnx::databuilder
