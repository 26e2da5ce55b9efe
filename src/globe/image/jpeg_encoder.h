// JPEG compression of images held in memory (texture tiles, images the data
// builder draws).
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace tnx::globe {

// Compresses width x height pixels of `components` bytes each (1 grey, 3
// RGB), rows from the top, at the given quality (1..100). `out` is replaced
// by the JPEG (its capacity is reused). False, with `out` empty, when the
// arguments do not describe the pixels or libjpeg fails.
//
// Colour is kept at half resolution in both directions, as JPEG usually
// does, unless `fullColourResolution` is set: texture tiles need it, because
// neighbouring tiles each store their shared edge and halved colour would
// give the two copies visibly different colours.
bool encodeJpeg(std::span<const uint8_t> pixels, int width, int height, int components, int quality,
                std::vector<uint8_t>& out, bool fullColourResolution = false);

// The same for an image produced row by row, so a large one never has to be
// held whole: `rowAt(y)` answers the bytes of row y (from the top), valid
// until the next call, or null to give up (the result is then false).
using JpegRowSource = std::function<const uint8_t*(int row)>;
bool encodeJpegRows(const JpegRowSource& rowAt, int width, int height, int components, int quality,
                    std::vector<uint8_t>& out, bool fullColourResolution = false);

}  // namespace tnx::globe
