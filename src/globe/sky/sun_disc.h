// The Sun: a glowing additive disc with a ray corona, far out at its hour
// angle and declination, and the directional light it casts on the globe and
// the Moon (light 0, the scene's only light).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/math/d3d_math.h"

namespace tnx::globe {

class SunDisc {
public:
    struct Vertex {  // position + diffuse, 16 bytes
        float x, y, z;
        uint32_t color;
    };
    static constexpr uint32_t kLightIndex = 0;
    static constexpr float kDefaultRadius = 13900.0f;
    static constexpr float kDefaultDistance = 1500000.0f;

    // The disc lies in its local YZ plane, its front toward local -X (the
    // globe, once placed); the corona starts at 1.5 radii and its rays
    // alternate between 4.5 and 5 times that.
    explicit SunDisc(int segments = 32, int rays = 16, float radius = kDefaultRadius);

    // Sets light 0 from the last known Sun position and enables it; call on
    // every device restore.
    void setSunLight(gfx::Device& device) const;
    // Moves the light to the Sun's place, sets it, and draws the disc and the
    // corona additively with lighting off. Blend and lighting states are
    // put back as they were.
    void draw(gfx::Device& device, float hourAngle, float declination, float distance = kDefaultDistance);

    // The light for a Sun at the given scene position.
    static gfx::Light makeLight(const math::Vec3& position);
    static math::Vec3 position(float hourAngle, float declination, float distance);
    // Local disc to scene: rotate by the declination, turn to the hour angle,
    // move out to the Sun's place.
    static math::Matrix worldMatrix(float hourAngle, float declination, float distance);

    const gfx::Light& light() const { return light_; }
    const std::vector<Vertex>& discVertices() const { return discVertices_; }
    const std::vector<uint16_t>& discIndices() const { return discIndices_; }
    const std::vector<Vertex>& coronaVertices() const { return coronaVertices_; }
    const std::vector<uint16_t>& coronaIndices() const { return coronaIndices_; }

private:
    std::vector<Vertex> discVertices_, coronaVertices_;
    std::vector<uint16_t> discIndices_, coronaIndices_;
    gfx::Light light_;
};

}  // namespace tnx::globe
