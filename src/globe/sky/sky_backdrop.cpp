#include "globe/sky/sky_backdrop.h"

#include <cmath>

namespace tnx::globe {

SkyBackdrop::SkyBackdrop(float radius) {
    // Patch r spans polar angles r..r+1 quarters of a half turn from the -Y
    // pole; columns span 0..45 degrees of azimuth. Directions follow the star
    // catalogue: (sin b cos a, -cos b, sin b sin a).
    const float step = math::kPi / 8.0f;  // 22.5 degrees, one cell
    for (int r = 0; r < kPatches; ++r) {
        for (int j = 0; j < 3; ++j) {
            float b = float(2 * r + j) * step;
            for (int k = 0; k < 3; ++k) {
                float a = float(k) * step;
                vertices_.push_back({radius * std::sin(b) * std::cos(a), -radius * std::cos(b),
                                     radius * std::sin(b) * std::sin(a), kVertexColor, texU(0, k), texV(r, j)});
            }
        }
    }
    // Wound to face the inside of the sphere, where the camera is.
    for (int j = 0; j < 2; ++j) {
        for (int k = 0; k < 2; ++k) {
            uint16_t v00 = uint16_t(3 * j + k), v01 = uint16_t(v00 + 1);
            uint16_t v10 = uint16_t(v00 + 3), v11 = uint16_t(v10 + 1);
            indices_.insert(indices_.end(), {v00, v01, v10, v01, v11, v10});
        }
    }
}

void SkyBackdrop::draw(gfx::Device& device, const math::Matrix& base, gfx::Texture* space) {
    device.setTexture(0, space);
    // Without its image the backdrop is plain black space; it is still drawn,
    // as it is what paints over the last frame's colour.
    const uint32_t color = space ? kVertexColor : kUntexturedColor;
    // Opaque over the whole view: blending would only read back the colour
    // it replaces, at the cost of a full-screen pass.
    const uint32_t blend = device.renderState(gfx::RenderState::AlphaBlendEnable);
    device.setRenderState(gfx::RenderState::AlphaBlendEnable, 0);
    for (int s = 0; s < kStrips; ++s) {
        device.setTransform(gfx::TransformType::World,
                            math::matrixRotationY(-float(s) * 2 * math::kPi / float(kStrips)) * base);
        for (int r = 0; r < kPatches; ++r) {
            SkyVertex* patch = vertices_.data() + size_t(r) * kPatchVertices;
            for (int j = 0; j < 3; ++j)
                for (int k = 0; k < 3; ++k) {
                    patch[3 * j + k].u = texU(s, k);
                    patch[3 * j + k].v = texV(r, j);
                    patch[3 * j + k].color = color;
                }
            device.drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, kPatchVertices, kPatchTriangles,
                                          indices_.data(), patch, sizeof(SkyVertex));
        }
    }
    device.setRenderState(gfx::RenderState::AlphaBlendEnable, blend);
}

}  // namespace tnx::globe
