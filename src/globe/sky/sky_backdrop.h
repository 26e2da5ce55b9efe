// The space backdrop: a photographic sky on a huge sphere around the scene,
// built as one 45-degree strip (four latitude patches) and drawn eight times
// around the polar axis, the texture coordinates set for each patch so the
// image wraps once around the sky.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/math/d3d_math.h"

namespace tnx::globe {

// Position + diffuse + one texture pair, 24 bytes: the sky's vertices.
struct SkyVertex {
    float x, y, z;
    uint32_t color;
    float u, v;
};

class SkyBackdrop {
public:
    static constexpr int kStrips = 8;
    static constexpr int kPatches = 4;           // latitude patches of a strip
    static constexpr int kPatchVertices = 9;     // 3 x 3
    static constexpr int kPatchTriangles = 8;    // 2 x 2 cells
    static constexpr uint32_t kVertexColor = 0xFFF0F0F0;
    static constexpr uint32_t kUntexturedColor = 0xFF000000;

    explicit SkyBackdrop(float radius = 0.9e8f);

    // Draws the eight strips around the base (sky) world matrix with the
    // space texture; without one the strips are drawn black. Sets the world
    // transform; the caller sets lighting and the vertex format.
    void draw(gfx::Device& device, const math::Matrix& base, gfx::Texture* space);

    // Texture coordinates of patch vertex (row j, column k) of strip s,
    // patch r: the image wraps once around the sky, v = 1 at the -Y pole.
    static float texU(int strip, int column) { return float(column) / 16.0f + float(strip) / 8.0f; }
    static float texV(int patch, int row) { return float(kPatches - patch) / 4.0f - float(row) / 8.0f; }

    const std::vector<SkyVertex>& vertices() const { return vertices_; }
    const std::vector<uint16_t>& indices() const { return indices_; }

private:
    std::vector<SkyVertex> vertices_;  // kPatches x kPatchVertices
    std::vector<uint16_t> indices_;    // the first patch's, shared by all
};

}  // namespace tnx::globe
