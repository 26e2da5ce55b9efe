#include "globe/sky/sun_disc.h"

#include <cmath>

namespace tnx::globe {

namespace {
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;
constexpr uint32_t kCoronaInner = 0x7FFFFFFF;
constexpr uint32_t kTransparent = 0x00000000;
// The square root of the largest float: as far as the light can reach.
constexpr float kLightRange = 1.8446743e19f;
}  // namespace

SunDisc::SunDisc(int segments, int rays, float radius) {
    // Fan: centre, then the rim. Seen from the globe (local -X) the rim runs
    // clockwise, the front-facing winding.
    discVertices_.push_back({0, 0, 0, kOpaqueWhite});
    for (int i = 0; i < segments; ++i) {
        float a = 2 * math::kPi * float(i) / float(segments);
        discVertices_.push_back({0, radius * std::cos(a), radius * std::sin(a), kOpaqueWhite});
    }
    for (int i = 0; i < segments; ++i) {
        discIndices_.push_back(0);
        discIndices_.push_back(uint16_t(1 + (i + 1) % segments));
        discIndices_.push_back(uint16_t(1 + i));
    }

    // Corona: an inner and an outer vertex per ray; long and short rays take
    // turns.
    float inner = 1.5f * radius;
    for (int i = 0; i < rays; ++i) {
        float a = 2 * math::kPi * float(i) / float(rays);
        float outer = inner * (i % 2 == 0 ? 4.5f : 5.0f);
        float c = std::cos(a), s = std::sin(a);
        coronaVertices_.push_back({0, inner * c, inner * s, kCoronaInner});
        coronaVertices_.push_back({0, outer * c, outer * s, kTransparent});
    }
    for (int i = 0; i < rays; ++i) {
        uint16_t in0 = uint16_t(2 * i), out0 = uint16_t(2 * i + 1);
        uint16_t in1 = uint16_t(2 * ((i + 1) % rays)), out1 = uint16_t(in1 + 1);
        coronaIndices_.insert(coronaIndices_.end(), {in0, out1, out0, in0, in1, out1});
    }

    light_ = makeLight(position(math::kPi, 0, kDefaultDistance));
}

math::Vec3 SunDisc::position(float hourAngle, float declination, float distance) {
    float c = std::cos(declination);
    return math::Vec3{c * std::cos(hourAngle), std::sin(declination), c * std::sin(hourAngle)} * distance;
}

math::Matrix SunDisc::worldMatrix(float hourAngle, float declination, float distance) {
    math::Vec3 p = position(hourAngle, declination, distance);
    return math::matrixRotationZ(declination) * math::matrixRotationY(-hourAngle) *
           math::matrixTranslation(p.x, p.y, p.z);
}

gfx::Light SunDisc::makeLight(const math::Vec3& p) {
    gfx::Light l;
    l.type = gfx::LightType::Directional;
    l.diffuse = {2.0f, 2.0f, 2.0f, 1.0f};
    l.specular = {1.0f, 1.0f, 1.0f, 1.0f};
    l.ambient = {0.1f, 0.1f, 0.3f, 1.0f};
    l.position[0] = p.x;
    l.position[1] = p.y;
    l.position[2] = p.z;
    math::Vec3 d = math::normalize(-p);
    l.direction[0] = d.x;
    l.direction[1] = d.y;
    l.direction[2] = d.z;
    l.range = kLightRange;
    l.attenuation0 = 1.0f;
    l.attenuation1 = 0.0f;
    l.attenuation2 = 0.0f;
    return l;
}

void SunDisc::setSunLight(gfx::Device& device) const {
    device.setLight(kLightIndex, light_);
    device.lightEnable(kLightIndex, true);
}

void SunDisc::draw(gfx::Device& device, float hourAngle, float declination, float distance) {
    light_ = makeLight(position(hourAngle, declination, distance));
    setSunLight(device);

    uint32_t oldLighting = device.renderState(gfx::RenderState::Lighting);
    uint32_t oldBlend = device.renderState(gfx::RenderState::AlphaBlendEnable);
    uint32_t oldSrc = device.renderState(gfx::RenderState::SrcBlend);
    uint32_t oldDest = device.renderState(gfx::RenderState::DestBlend);

    device.setRenderState(gfx::RenderState::Lighting, 0);
    device.setRenderState(gfx::RenderState::AlphaBlendEnable, 1);
    device.setRenderState(gfx::RenderState::SrcBlend, gfx::kBlendSrcAlpha);
    device.setRenderState(gfx::RenderState::DestBlend, gfx::kBlendOne);
    device.setTexture(0, nullptr);
    device.setVertexShader(gfx::kFvfPosDiffuse);
    device.setTransform(gfx::TransformType::World, worldMatrix(hourAngle, declination, distance));

    device.drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, uint32_t(discVertices_.size()),
                                  uint32_t(discIndices_.size() / 3), discIndices_.data(), discVertices_.data(),
                                  sizeof(Vertex));
    device.drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, uint32_t(coronaVertices_.size()),
                                  uint32_t(coronaIndices_.size() / 3), coronaIndices_.data(),
                                  coronaVertices_.data(), sizeof(Vertex));

    device.setRenderState(gfx::RenderState::DestBlend, oldDest);
    device.setRenderState(gfx::RenderState::SrcBlend, oldSrc);
    device.setRenderState(gfx::RenderState::AlphaBlendEnable, oldBlend);
    device.setRenderState(gfx::RenderState::Lighting, oldLighting);
}

}  // namespace tnx::globe
