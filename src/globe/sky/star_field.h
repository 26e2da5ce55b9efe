// The star field: the real star catalogue as small additive sprites in front
// of the space backdrop, sized by brightness. Stars are kept in a bucket grid
// (128 azimuth columns x 64 polar rows) and a quadtree over it, so a frame
// only touches the part of the sky the camera sees.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "globe/sky/sky_backdrop.h"
#include "platform/gfx/device.h"
#include "platform/math/d3d_math.h"

namespace tnx::globe {

// Answer of the view frustum's sphere test.
enum class SphereVisibility { Outside, Partial, Inside };
// The view frustum's sphere test in world space (centre, radius).
using SphereTest = std::function<SphereVisibility(const math::Vec3& centre, float radius)>;

class StarField {
public:
    struct Star {
        uint16_t azimuth;     // right ascension, 2 pi / 65536 units
        uint16_t polar;       // from the -Y pole (declination + 90 degrees), same units
        uint16_t brightness;  // larger is brighter
    };
    struct Node {
        uint32_t first = 0;  // first record in stars()
        uint32_t count = 0;
    };
    static constexpr int kColumns = 128, kRows = 64;  // bucket cells, 512 angle units each
    static constexpr int kCellUnits = 512;
    static constexpr int kTopColumns = 8, kTopRows = 4, kTopSide = 16;  // top nodes of 16 x 16 cells
    static constexpr int kLevels = 5;                                   // 16, 8, 4, 2, 1 cells a side
    static constexpr uint16_t kPolarLimit = 32768;                      // polar angles below this are valid

    explicit StarField(float radius = 1e8f);

    // Loads the "star.bin" image. A count beyond the data, a negative count or
    // a short file loads only the whole records present; stars whose polar
    // angle lies outside the bucket rows are dropped. Returns the stars kept.
    int load(std::span<const uint8_t> bytes);
    void clear();

    // Device objects: the space and star textures (owned by the caller; may be
    // null, which draws untextured).
    void restore(gfx::Texture* space, gfx::Texture* star) {
        spaceTexture_ = space;
        starTexture_ = star;
    }
    void release() { restore(nullptr, nullptr); }

    // Draws the backdrop and the visible stars with the sky turned by
    // skyRotation (the Sun's right ascension). focalLength is the camera's,
    // in pixels. Leaves lighting on and blending SRCALPHA / INVSRCALPHA (the
    // values found on entry are put back).
    void draw(gfx::Device& device, float skyRotation, const SphereTest& inView, float focalLength);

    // The sky's world matrix for a rotation.
    static math::Matrix skyWorld(float skyRotation);
    // Culls top node (column, row) against the view and fills sprites() with
    // its visible stars; returns their count.
    int buildTopNode(int column, int row, const math::Matrix& world, const SphereTest& inView, float focalLength);
    std::span<const SkyVertex> sprites() const { return {sprites_.data(), size_t(spriteCount_) * 3}; }

    // One star's triangle at the given distance; minimumSize = 2.4e8 / focal
    // length.
    static void buildSprite(const Star& star, float minimumSize, SkyVertex out[3], float distance = 8e7f);
    static float minimumSize(float focalLength);
    static uint32_t spriteColor(float size, float minimumSize);
    static math::Vec3 direction(uint16_t azimuth, uint16_t polar);
    static int cellOf(uint16_t azimuth, uint16_t polar) {
        return azimuth / kCellUnits + kColumns * (polar / kCellUnits);
    }

    size_t starCount() const { return stars_.size(); }
    const std::vector<Star>& stars() const { return stars_; }  // top nodes in order, Z-order within
    // level 0 = top (16 cells a side) .. 4 = single cells; x, y in nodes of that level.
    const Node& node(int level, int x, int y) const;
    uint32_t largestTopNode() const { return largestTop_; }
    SkyBackdrop& backdrop() { return backdrop_; }

private:
    void walk(int level, int x, int y, const std::vector<Star>& byCell, const std::vector<uint32_t>& cellStart);
    void cull(int level, int x, int y, const math::Matrix& world, const SphereTest& inView, float minSize);
    void emitNode(const Node& n, float minSize);
    static int levelWidth(int level) { return kTopColumns << level; }
    static int levelHeight(int level) { return kTopRows << level; }

    float starDistance_;
    SkyBackdrop backdrop_;
    std::vector<Star> stars_;
    std::vector<Node> nodes_[kLevels];
    uint32_t largestTop_ = 0;
    std::vector<SkyVertex> sprites_;
    uint32_t spriteCount_ = 0;
    gfx::Texture* spaceTexture_ = nullptr;
    gfx::Texture* starTexture_ = nullptr;
};

}  // namespace tnx::globe
