// JPEG images of the data decoded to RGB in memory.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tnx::globe {

// Rows from the top, 3 bytes (red, green, blue) per pixel.
struct RgbImage {
    std::vector<uint8_t> pixels;
    int width = 0;
    int height = 0;
    bool empty() const { return pixels.empty(); }
};

// Larger images are refused rather than risking a huge allocation on a
// corrupt header (the largest data image is 4096 x 2048).
constexpr size_t kMaxImagePixels = size_t(1) << 26;

// Decodes a JPEG held in memory; a greyscale image is expanded to RGB by
// repeating each byte. Empty on any error: corrupt or truncated data, an
// unsupported colour space, or more than maxPixels pixels.
RgbImage decodeJpeg(std::span<const uint8_t> jpeg, size_t maxPixels = kMaxImagePixels);

// Decodes into the caller's memory. `target(width, height)` is asked for room
// for width x height RGB pixels once the header is read; null refuses the
// image. False on any error (the target's memory may then be partly written).
bool decodeJpegTo(std::span<const uint8_t> jpeg, const std::function<uint8_t*(int, int)>& target);

// The data file an image name refers to: everything from the first "." is
// replaced by ".jpg". Empty (refused) when more than 256 characters come
// before the ".".
std::string imageFileName(std::string_view name);

// Reads the image through the pack archive (or the loose file) and decodes
// it; empty when it is missing or cannot be decoded.
RgbImage decodeImage(std::string_view name);

}  // namespace tnx::globe
