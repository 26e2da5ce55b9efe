// The builder's images as JPEG files, through the program's own encoder.
#pragma once

#include <cstdint>
#include <vector>

class QImage;

namespace tnx::databuilder {

// A Format_Grayscale8 image becomes a one-component JPEG, anything else an
// RGB JPEG. Empty on failure or for an empty image.
std::vector<uint8_t> jpegOf(const QImage& image, int quality);

}  // namespace tnx::databuilder
