#include "globe/terrain/night_lights_pass.h"

#include <algorithm>
#include <cmath>

#include "globe/terrain/night_lights_cache.h"
#include "globe/terrain/terrain_renderer.h"

namespace tnx::globe {

namespace {
constexpr float kLeast = 1.0f / 512;
}  // namespace

float NightLightsPass::fade(float sunElevation) {
    return std::clamp(sunElevation / kFullElevation, 0.0f, 1.0f);
}

void NightLightsPass::beginFrame(const math::Vec3& sunInGlobe, float brightness) {
    const float len = math::length(sunInGlobe);
    sun_ = len > 0 ? sunInGlobe / len : math::Vec3{-1, 0, 0};
    brightness_ = std::max(brightness, 0.0f);
    triangles_ = 0;
}

float NightLightsPass::weightAt(float nx, float ny, float nz) const {
    const float sine = std::clamp(nx * sun_.x + ny * sun_.y + nz * sun_.z, -1.0f, 1.0f);
    // Far from the terminator the answer is plain; the arc sine only where it fades.
    if (sine >= 0) return 0;
    if (sine <= std::sin(kFullElevation)) return 1;
    return fade(std::asin(sine));
}

bool NightLightsPass::prepare(const std::vector<TerrainVertex>& vertices) {
    weights_.resize(vertices.size());
    bool any = false;
    for (size_t i = 0; i < vertices.size(); ++i) {
        const TerrainVertex& v = vertices[i];
        weights_[i] = active() ? weightAt(v.nx, v.ny, v.nz) : 0.0f;
        // Too little to show even at full brightness.
        if (weights_[i] < kLeast) weights_[i] = 0;
        any = any || weights_[i] > 0;
    }
    return any;
}

int NightLightsPass::draw(gfx::Device& device, std::vector<TerrainVertex>& vertices,
                          const std::vector<uint16_t>& indices, gfx::Texture* lights, const LightOccupancy* where) {
    if (!active() || !lights || vertices.empty() || weights_.size() != vertices.size()) return 0;
    // Texture coordinates back to fractions of the tile, a texel wider for the filter.
    constexpr float kTexel = 1.0f / 128;
    auto fraction = [](float t) { return (t - 0.5f * kTexel) * (128.0f / 127.0f); };
    lit_.clear();
    for (size_t t = 0; t + 2 < indices.size(); t += 3) {
        const uint16_t a = indices[t], b = indices[t + 1], c = indices[t + 2];
        if (weights_[a] <= 0 && weights_[b] <= 0 && weights_[c] <= 0) continue;
        if (where) {
            const TerrainVertex &va = vertices[a], &vb = vertices[b], &vc = vertices[c];
            const float u0 = fraction(std::min({va.u1, vb.u1, vc.u1})) - kTexel;
            const float u1 = fraction(std::max({va.u1, vb.u1, vc.u1})) + kTexel;
            const float v0 = fraction(std::min({va.v1, vb.v1, vc.v1})) - kTexel;
            const float v1 = fraction(std::max({va.v1, vb.v1, vc.v1})) + kTexel;
            if (!where->any(u0, v0, u1, v1)) continue;
        }
        lit_.insert(lit_.end(), {a, b, c});
    }
    if (lit_.empty()) return 0;
    for (size_t i = 0; i < vertices.size(); ++i) {
        const auto level = uint32_t(std::lround(std::min(weights_[i] * brightness_, 1.0f) * 255.0f));
        vertices[i].diffuse = 0xFF000000u | (level << 16) | (level << 8) | level;
    }

    using gfx::RenderState;
    using gfx::TextureStageState;
    // Added to the colour already there, at the surface's own depth.
    const uint32_t lighting = device.renderState(RenderState::Lighting);
    const uint32_t blend = device.renderState(RenderState::AlphaBlendEnable);
    const uint32_t src = device.renderState(RenderState::SrcBlend), dst = device.renderState(RenderState::DestBlend);
    const uint32_t zWrite = device.renderState(RenderState::ZWriteEnable), zFunc = device.renderState(RenderState::ZFunc);
    const uint32_t colorOp = device.textureStageState(0, TextureStageState::ColorOp);
    const uint32_t arg1 = device.textureStageState(0, TextureStageState::ColorArg1);
    const uint32_t arg2 = device.textureStageState(0, TextureStageState::ColorArg2);
    const uint32_t coords = device.textureStageState(0, TextureStageState::TexCoordIndex);
    const uint32_t alphaOp = device.textureStageState(0, TextureStageState::AlphaOp);
    const uint32_t alphaArg = device.textureStageState(0, TextureStageState::AlphaArg1);
    const uint32_t mip = device.textureStageState(0, TextureStageState::MipFilter);
    const uint32_t alphaTest = device.renderState(RenderState::AlphaTestEnable);
    const uint32_t alphaFunc = device.renderState(RenderState::AlphaFunc), alphaRef = device.renderState(RenderState::AlphaRef);
    gfx::Texture* surface = device.texture(0);
    device.setRenderState(RenderState::Lighting, 0);
    device.setRenderState(RenderState::AlphaBlendEnable, 1);
    device.setRenderState(RenderState::SrcBlend, gfx::kBlendOne);
    device.setRenderState(RenderState::DestBlend, gfx::kBlendOne);
    device.setRenderState(RenderState::ZWriteEnable, 0);
    device.setRenderState(RenderState::ZFunc, gfx::kCmpLessEqual);
    device.setTextureStageState(0, TextureStageState::ColorOp, gfx::kTopModulate);
    device.setTextureStageState(0, TextureStageState::ColorArg1, gfx::kTaTexture);
    device.setTextureStageState(0, TextureStageState::ColorArg2, gfx::kTaDiffuse);
    device.setTextureStageState(0, TextureStageState::TexCoordIndex, 1);
    // Where the texture has no light the fragment ends before the blend;
    // the nearest mip level is enough for points of light.
    device.setTextureStageState(0, TextureStageState::AlphaOp, gfx::kTopSelectArg1);
    device.setTextureStageState(0, TextureStageState::AlphaArg1, gfx::kTaTexture);
    device.setTextureStageState(0, TextureStageState::MipFilter, gfx::kTexfPoint);
    device.setRenderState(RenderState::AlphaTestEnable, 1);
    device.setRenderState(RenderState::AlphaFunc, gfx::kCmpGreater);
    device.setRenderState(RenderState::AlphaRef, 0);
    device.setTexture(0, lights);
    const auto count = uint32_t(lit_.size() / 3);
    device.drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, uint32_t(vertices.size()), count, lit_.data(),
                                  vertices.data(), sizeof(TerrainVertex));
    device.setTexture(0, surface);
    device.setRenderState(RenderState::AlphaRef, alphaRef);
    device.setRenderState(RenderState::AlphaFunc, alphaFunc);
    device.setRenderState(RenderState::AlphaTestEnable, alphaTest);
    device.setTextureStageState(0, TextureStageState::MipFilter, mip);
    device.setTextureStageState(0, TextureStageState::AlphaArg1, alphaArg);
    device.setTextureStageState(0, TextureStageState::AlphaOp, alphaOp);
    device.setTextureStageState(0, TextureStageState::TexCoordIndex, coords);
    device.setTextureStageState(0, TextureStageState::ColorArg2, arg2);
    device.setTextureStageState(0, TextureStageState::ColorArg1, arg1);
    device.setTextureStageState(0, TextureStageState::ColorOp, colorOp);
    device.setRenderState(RenderState::ZFunc, zFunc);
    device.setRenderState(RenderState::ZWriteEnable, zWrite);
    device.setRenderState(RenderState::DestBlend, dst);
    device.setRenderState(RenderState::SrcBlend, src);
    device.setRenderState(RenderState::AlphaBlendEnable, blend);
    device.setRenderState(RenderState::Lighting, lighting);
    triangles_ += int(count);
    return int(count);
}

}  // namespace tnx::globe
