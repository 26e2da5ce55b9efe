// The city lights over a surface already drawn: a second pass over the same
// triangles that adds the lights texture (texture set 1 of the vertices) to
// what is there, weighted per vertex by how far the Sun stands below the
// horizon at that point: fully from nautical twilight (-12 degrees) down,
// fading to nothing at the terminator, none on the day side. Triangles with
// no weight at any corner are left out, so the pass costs only where the
// lights show.
//
// Any layer drawn with the terrain's vertices can call it after its own
// pass (the built-in texture does, per patch), so the lights lie over
// whatever the surface shows.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/math/d3d_math.h"

namespace tnx::globe {

struct TerrainVertex;
struct LightOccupancy;

class NightLightsPass {
public:
    // The Sun's elevation from which the lights show fully: -12 degrees.
    static constexpr float kFullElevation = -0.20943951f;

    // Weight of the lights where the Sun stands `sunElevation` radians above
    // the horizon: 1 at and below -12 degrees, 0 at and above 0, linear between.
    static float fade(float sunElevation);

    // Per frame: the unit vector toward the Sun in the globe's own frame
    // (the frame of the vertices' normals) and the brightness (1 as the
    // image has the lights, 0 off).
    void beginFrame(const math::Vec3& sunInGlobe, float brightness);
    bool active() const { return brightness_ > 0; }
    // The weight at a vertex with unit normal (nx, ny, nz).
    float weightAt(float nx, float ny, float nz) const;

    // Weighs the vertices of one patch; false when none of them has lights
    // to show (nothing to draw, no lights texture needed).
    bool prepare(const std::vector<TerrainVertex>& vertices);
    // Draws the lights of the patch prepared last, drawn just before from
    // `vertices` and `indices` (triangle list), with `lights` bound to stage
    // 0 through texture set 1 (the caller fills it in). The vertices'
    // diffuse colours are rewritten with the weights. Returns the number of
    // triangles drawn.
    // With `where`, triangles over cells of the tile without light are left
    // out too.
    int draw(gfx::Device& device, std::vector<TerrainVertex>& vertices, const std::vector<uint16_t>& indices,
             gfx::Texture* lights, const LightOccupancy* where = nullptr);

    // Triangles drawn since beginFrame.
    int triangles() const { return triangles_; }

private:
    math::Vec3 sun_{-1, 0, 0};
    float brightness_ = 0;
    int triangles_ = 0;
    std::vector<float> weights_;
    std::vector<uint16_t> lit_;
};

}  // namespace tnx::globe
