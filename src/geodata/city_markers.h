// The city markers of one frame: for every grid cell facing the camera, its
// cities in sight from the most populous down to the first one too small to
// show, as textured triangles lying on the globe. Big cities are drawn at
// their size; those smaller than about a pixel are drawn a pixel wide and
// fade with their size.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/math/d3d_math.h"

namespace tnx::geodata {

class CityGrid;
class CityTable;

// Position, colour, one texture pair (24 bytes).
struct MarkerVertex {
    float x, y, z;
    uint32_t colour;
    float u, v;
};
static_assert(sizeof(MarkerVertex) == 24);

class CityMarkers {
public:
    static constexpr float kGlobeRadius = 63.71f;
    // Slack in the search for cells that may hold a city in sight (radians).
    static constexpr float kCellMargin = 0.05f;

    struct Batch {
        uint32_t firstVertex = 0;
        uint32_t triangles = 0;
    };

    // `camera` is the camera position in the globe's own frame (its spin
    // undone); `focalLength` in pixels.
    void build(const CityTable& cities, const CityGrid& grid, const math::Vec3& camera, float focalLength);
    // One draw per cell; the world transform and states are the caller's.
    void draw(gfx::Device& device) const;

    const std::vector<MarkerVertex>& vertices() const { return vertices_; }
    const std::vector<Batch>& batches() const { return batches_; }
    size_t triangleCount() const { return vertices_.size() / 3; }

private:
    std::vector<MarkerVertex> vertices_;
    std::vector<Batch> batches_;
};

}  // namespace tnx::geodata
