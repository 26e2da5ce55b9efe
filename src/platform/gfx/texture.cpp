#include "platform/gfx/texture.h"

#include <algorithm>

namespace tnx::gfx {

int bitsPerPixel(Format f) {
    switch (f) {
        case Format::A8R8G8B8:
        case Format::X8R8G8B8:
        case Format::D24S8:
        case Format::D24X8:
        case Format::D32: return 32;
        case Format::R8G8B8: return 24;
        case Format::R5G6B5:
        case Format::X1R5G5B5:
        case Format::A1R5G5B5:
        case Format::A4R4G4B4:
        case Format::D16: return 16;
        default: return 0;
    }
}

int bytesPerPixel(Format f) { return bitsPerPixel(f) / 8; }

int fvfStride(uint32_t fvf) {
    int n = 0;
    if (fvf & kFvfXyz) n += 12;
    if (fvf & kFvfXyzRhw) n += 16;
    if (fvf & kFvfNormal) n += 12;
    if (fvf & kFvfDiffuse) n += 4;
    if (fvf & kFvfSpecular) n += 4;
    if (fvf & kFvfTex2) n += 16;
    else if (fvf & kFvfTex1) n += 8;
    return n;
}

Texture::Texture(uint32_t width, uint32_t height, uint32_t levels, Format format, Pool pool)
    : width_(width), height_(height), format_(format), pool_(pool) {
    // Zero levels means a full chain down to 1 x 1.
    uint32_t maxLevels = 1;
    for (uint32_t w = width, h = height; w > 1 || h > 1; w = std::max(1u, w / 2), h = std::max(1u, h / 2))
        ++maxLevels;
    if (levels == 0 || levels > maxLevels) levels = maxLevels;
    levels_.resize(levels);
    locked_.assign(levels, false);
    allocateTexels();
}

void Texture::allocateTexels() {
    for (uint32_t i = 0; i < levels_.size(); ++i)
        levels_[i].assign(size_t(width(i)) * height(i) * bytesPerPixel(format_), 0);
    released_ = false;
}

void Texture::releaseTexels() {
    for (auto& level : levels_) std::vector<uint8_t>().swap(level);
    released_ = true;
}

std::vector<uint8_t>& Texture::levelData(uint32_t level) {
    if (released_) allocateTexels();
    return levels_[level];
}

Texture::~Texture() {
    if (onDestroy) onDestroy(*this);
}

uint32_t Texture::width(uint32_t level) const { return std::max(1u, width_ >> level); }
uint32_t Texture::height(uint32_t level) const { return std::max(1u, height_ >> level); }

Result Texture::lock(uint32_t level, LockedRect& out) {
    if (level >= levels_.size() || locked_[level]) return kInvalidCall;
    if (released_) allocateTexels();
    locked_[level] = true;
    out.pitch = int(width(level)) * bytesPerPixel(format_);
    out.bits = levels_[level].data();
    return kOk;
}

Result Texture::unlock(uint32_t level) {
    if (level >= levels_.size() || !locked_[level]) return kInvalidCall;
    locked_[level] = false;
    ++version_;
    return kOk;
}

bool Texture::isLocked(uint32_t level) const { return level < locked_.size() && locked_[level]; }

}  // namespace tnx::gfx
