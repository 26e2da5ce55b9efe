// A texture whose texels live in memory in the layout of its format (rows of
// little-endian pixels, level 0 first). Devices upload it when it is bound
// after a change; the staging pattern (system-memory copy, then update) is the
// same as on any fixed-function device.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/gfx/gfx_types.h"

namespace tnx::gfx {

struct LockedRect {
    int pitch = 0;        // bytes per row
    uint8_t* bits = nullptr;
};

class Texture {
public:
    Texture(uint32_t width, uint32_t height, uint32_t levels, Format format, Pool pool);
    virtual ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    uint32_t width(uint32_t level = 0) const;
    uint32_t height(uint32_t level = 0) const;
    uint32_t levelCount() const { return uint32_t(levels_.size()); }
    Format format() const { return format_; }
    Pool pool() const { return pool_; }

    Result lock(uint32_t level, LockedRect& out);
    Result unlock(uint32_t level);
    bool isLocked(uint32_t level) const;

    // Empty after releaseTexels; writing through the second form (or a
    // lock) brings every level back, zeroed.
    const std::vector<uint8_t>& levelData(uint32_t level) const { return levels_[level]; }
    std::vector<uint8_t>& levelData(uint32_t level);
    // Bumped on every unlock; devices compare it with what they uploaded.
    uint64_t version() const { return version_; }
    void touch() { ++version_; }
    // Frees the texels in memory once a device holds its own copy: the
    // device pool's textures are only ever written, never read back.
    void releaseTexels();
    bool holdsTexels() const { return !released_; }

    // Device-side handle (a GL texture name) and the version it holds.
    uint32_t deviceHandle = 0;
    uint64_t uploadedVersion = 0;
    // Called from the destructor so the device can free its handle.
    std::function<void(Texture&)> onDestroy;

private:
    void allocateTexels();

    uint32_t width_, height_;
    Format format_;
    Pool pool_;
    std::vector<std::vector<uint8_t>> levels_;
    std::vector<bool> locked_;
    uint64_t version_ = 1;
    bool released_ = false;
};

}  // namespace tnx::gfx
