// Reads Windows cursor files (.cur): the first image, its hot spot, and its
// pixels as 0xAARRGGBB with the AND mask applied as transparency.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tnx::win {

struct CursorImage {
    int width = 0, height = 0;
    int hotspotX = 0, hotspotY = 0;
    std::vector<uint32_t> pixels;  // top row first
};

// Empty for anything that is not a well-formed cursor file.
std::optional<CursorImage> parseCursorFile(std::span<const uint8_t> data);

}  // namespace tnx::win
