// JPEG compression of images held in memory (texture tiles, images the data
// builder draws).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tnx::globe {

// Compresses width x height pixels of `components` bytes each (1 grey, 3
// RGB), rows from the top, at the given quality (1..100). `out` is replaced
// by the JPEG (its capacity is reused). False, with `out` empty, when the
// arguments do not describe the pixels or libjpeg fails.
bool encodeJpeg(std::span<const uint8_t> pixels, int width, int height, int components, int quality,
                std::vector<uint8_t>& out);

}  // namespace tnx::globe
