// JPEG encoding of the images the builder draws, and a header check for the
// JPEG files it takes over unchanged.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

class QImage;

namespace tnx::databuilder {

struct JpegInfo {
    int width = 0;
    int height = 0;
    int components = 0;  // 1 greyscale, 3 colour
};

// Compresses a greyscale (Format_Grayscale8) image to a one-component JPEG
// and anything else to an RGB JPEG. Empty on failure or for an empty image.
std::vector<uint8_t> encodeJpeg(const QImage& image, int quality);

// Reads a JPEG's header; false when the bytes are not a decodable JPEG
// header (the scan data is not checked).
bool readJpegInfo(std::span<const uint8_t> bytes, JpegInfo& info);

}  // namespace tnx::databuilder
