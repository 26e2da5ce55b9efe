// The atmosphere: a disc of rings facing the camera that covers the visible
// cap of the globe and reaches just past its limb, coloured more strongly
// toward the edge. Lit by the Sun, the limb shines on the day side and fades
// on the night side.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/math/d3d_math.h"

namespace tnx::globe {

class Atmosphere {
public:
    struct Vertex {  // position + normal + diffuse + one texture pair, 36 bytes
        float x, y, z;
        float nx, ny, nz;
        uint32_t color;
        float u, v;
    };
    static constexpr int kRings = 8;
    static constexpr int kSegments = 128;
    static constexpr int kVertexCount = 1 + kRings * kSegments;                       // 1025
    static constexpr int kTriangleCount = kSegments + (kRings - 1) * kSegments * 2;  // 1920
    static constexpr int kIndexCount = kTriangleCount * 3;                            // 5760
    static constexpr float kHeight = 30000.0f;
    static constexpr uint32_t kDefaultColor = 0x00997755;  // the settings' default, as ARGB
    static constexpr int kDefaultOpacity = 128;

    explicit Atmosphere(float globeRadius = 63.71f);

    // Colour (its RGB is used) and opacity 0..255, from the globe settings.
    void setAppearance(gfx::Color color, int opacity);
    // Vertical exaggeration in scene units per metre; it lifts the outer rim.
    void setExaggeration(float unitsPerMetre) { exaggeration_ = unitsPerMetre; }

    // Rebuilds the rings for this camera position and Sun direction (unit,
    // from the centre toward the Sun).
    void update(const math::Vec3& cameraPosition, const math::Vec3& sunDirection);
    // Draws the rings as last built: no texture, specular on, lighting as
    // given (the day/night switch). Lighting, specular and blend states are
    // put back as they were.
    void draw(gfx::Device& device, bool lighting) const;
    void draw(gfx::Device& device, const math::Vec3& cameraPosition, const math::Vec3& sunDirection,
              bool lighting) {
        update(cameraPosition, sunDirection);
        draw(device, lighting);
    }

    const std::vector<Vertex>& vertices() const { return vertices_; }
    const std::vector<uint16_t>& indices() const { return indices_; }
    const math::Matrix& world() const { return world_; }
    // Alpha of ring i (0 = centre, 1..8) for the camera distance in globe radii.
    static uint32_t ringAlpha(int ring, float distanceInRadii, int opacity);
    static int vertexIndex(int ring, int segment) { return 1 + (ring - 1) * kSegments + segment; }

private:
    float radius_;
    float exaggeration_ = 0.0001f;
    uint32_t color_ = kDefaultColor;
    int opacity_ = kDefaultOpacity;
    std::vector<Vertex> vertices_;
    std::vector<uint16_t> indices_;
    math::Matrix world_;
};

}  // namespace tnx::globe
