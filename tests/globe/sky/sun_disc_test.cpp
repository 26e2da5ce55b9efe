#include "globe/sky/sun_disc.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/gfx/recording_device.h"

namespace tnx::globe {
namespace {

using gfx::RenderState;

math::Vec3 pos(const SunDisc::Vertex& v) { return {v.x, v.y, v.z}; }

// In left-handed space a triangle seen clockwise from the eye (the front
// face under the default culling) has its cross product pointing back at it.
bool clockwiseFrom(const math::Vec3& eye, const math::Vec3& a, const math::Vec3& b, const math::Vec3& c) {
    return math::dot(math::cross(b - a, c - a), a - eye) < 0;
}

TEST(SunDisc, FanGeometry) {
    SunDisc sun;
    ASSERT_EQ(sun.discVertices().size(), 33u);
    ASSERT_EQ(sun.discIndices().size(), 96u);
    EXPECT_EQ(pos(sun.discVertices()[0]), (math::Vec3{0, 0, 0}));
    for (size_t i = 1; i < sun.discVertices().size(); ++i) {
        const auto& v = sun.discVertices()[i];
        EXPECT_FLOAT_EQ(v.x, 0.0f);
        EXPECT_NEAR(math::length(pos(v)), 13900.0f, 0.01f);
        EXPECT_EQ(v.color, 0xFFFFFFFFu);
    }
    for (uint16_t i : sun.discIndices()) EXPECT_LT(i, 33);
}

TEST(SunDisc, CoronaRaysAlternate) {
    SunDisc sun;
    const auto& v = sun.coronaVertices();
    ASSERT_EQ(v.size(), 32u);
    ASSERT_EQ(sun.coronaIndices().size(), 96u);
    const float inner = 1.5f * 13900.0f;
    for (int ray = 0; ray < 16; ++ray) {
        const auto& in = v[size_t(2 * ray)];
        const auto& out = v[size_t(2 * ray + 1)];
        EXPECT_NEAR(math::length(pos(in)), inner, 0.05f);
        EXPECT_EQ(in.color, 0x7FFFFFFFu);
        EXPECT_NEAR(math::length(pos(out)), inner * (ray % 2 == 0 ? 4.5f : 5.0f), 0.5f) << ray;
        EXPECT_EQ(out.color, 0u);
        // Inner and outer vertex of a ray share its direction.
        EXPECT_NEAR(math::dot(math::normalize(pos(in)), math::normalize(pos(out))), 1.0f, 1e-6f);
    }
    for (uint16_t i : sun.coronaIndices()) EXPECT_LT(i, 32);
}

TEST(SunDisc, PlacedAtTheSunAndFacingTheGlobe) {
    for (float dec : {0.0f, 0.4f, -0.409f}) {
        for (float hour : {3.14159265f, 1.0f, -2.5f}) {
            math::Matrix world = SunDisc::worldMatrix(hour, dec, 1500000.0f);
            math::Vec3 centre = math::transformCoord({0, 0, 0}, world);
            math::Vec3 expected = SunDisc::position(hour, dec, 1500000.0f);
            EXPECT_NEAR(math::length(centre - expected), 0.0f, 1.0f);
            // The disc lies across the line to the globe: local -X points back
            // at the centre.
            math::Vec3 normal = math::transformNormal({-1, 0, 0}, world);
            EXPECT_NEAR(math::dot(normal, math::normalize(-expected)), 1.0f, 1e-5f);
        }
    }
}

TEST(SunDisc, FrontFacesTheViewerNearTheGlobe) {
    SunDisc sun;
    math::Matrix world = SunDisc::worldMatrix(3.14159265f, 0.3f, 1500000.0f);
    math::Vec3 eye{100, 200, -300};
    auto check = [&](const std::vector<SunDisc::Vertex>& vs, const std::vector<uint16_t>& is) {
        for (size_t t = 0; t < is.size(); t += 3) {
            math::Vec3 a = math::transformCoord(pos(vs[is[t]]), world);
            math::Vec3 b = math::transformCoord(pos(vs[is[t + 1]]), world);
            math::Vec3 c = math::transformCoord(pos(vs[is[t + 2]]), world);
            EXPECT_TRUE(clockwiseFrom(eye, a, b, c)) << t / 3;
        }
    };
    check(sun.discVertices(), sun.discIndices());
    check(sun.coronaVertices(), sun.coronaIndices());
}

TEST(SunDisc, LightFollowsTheSun) {
    SunDisc sun;
    gfx::RecordingDevice device;
    device.setRenderState(RenderState::Lighting, 1);
    sun.draw(device, 3.14159265f, 0.2f, 1500000.0f);
    ASSERT_TRUE(device.lightEnabled(0));
    const gfx::Light& l = device.light(0);
    EXPECT_EQ(l.type, gfx::LightType::Directional);
    EXPECT_FLOAT_EQ(l.diffuse.r, 2.0f);
    EXPECT_FLOAT_EQ(l.specular.g, 1.0f);
    EXPECT_FLOAT_EQ(l.ambient.b, 0.3f);
    EXPECT_FLOAT_EQ(l.ambient.r, 0.1f);
    EXPECT_FLOAT_EQ(l.range, 1.8446743e19f);
    EXPECT_FLOAT_EQ(l.attenuation0, 1.0f);
    EXPECT_FLOAT_EQ(l.attenuation1 + l.attenuation2, 0.0f);
    math::Vec3 p = SunDisc::position(3.14159265f, 0.2f, 1500000.0f);
    EXPECT_NEAR(l.position[0], p.x, 1.0f);
    EXPECT_NEAR(l.position[1], p.y, 1.0f);
    math::Vec3 dir{l.direction[0], l.direction[1], l.direction[2]};
    EXPECT_NEAR(math::dot(dir, math::normalize(-p)), 1.0f, 1e-6f);
    // The Sun sits toward -X, so its light travels toward +X.
    EXPECT_GT(dir.x, 0.9f);

    // A restore sets the same light again after a device reset.
    gfx::RecordingDevice fresh;
    sun.setSunLight(fresh);
    EXPECT_TRUE(fresh.lightEnabled(0));
    EXPECT_FLOAT_EQ(fresh.light(0).direction[1], l.direction[1]);
}

TEST(SunDisc, DrawsAdditivelyUnlitAndRestoresStates) {
    SunDisc sun;
    gfx::RecordingDevice device;
    gfx::Texture stray(4, 4, 1, gfx::Format::A8R8G8B8, gfx::Pool::Managed);
    device.setTexture(0, &stray);
    device.setRenderState(RenderState::Lighting, 1);
    device.setRenderState(RenderState::AlphaBlendEnable, 1);
    device.setRenderState(RenderState::SrcBlend, gfx::kBlendSrcAlpha);
    device.setRenderState(RenderState::DestBlend, gfx::kBlendInvSrcAlpha);

    sun.draw(device, 3.14159265f, -0.1f, 1500000.0f);

    ASSERT_EQ(device.draws().size(), 2u);
    const auto& fan = device.draws()[0];
    const auto& corona = device.draws()[1];
    EXPECT_EQ(fan.primitiveCount, 32u);
    EXPECT_EQ(fan.vertexCount, 33u);
    EXPECT_EQ(corona.primitiveCount, 32u);
    EXPECT_EQ(corona.vertexCount, 32u);
    for (const auto& d : device.draws()) {
        EXPECT_EQ(d.type, gfx::PrimitiveType::TriangleList);
        EXPECT_EQ(d.fvf, gfx::kFvfPosDiffuse);
        EXPECT_EQ(d.stride, 16u);
        EXPECT_FALSE(d.lighting);
        EXPECT_TRUE(d.alphaBlend);
        EXPECT_EQ(d.srcBlend, gfx::kBlendSrcAlpha);
        EXPECT_EQ(d.destBlend, gfx::kBlendOne);
        EXPECT_EQ(d.texture0, nullptr);
        EXPECT_EQ(d.world, SunDisc::worldMatrix(3.14159265f, -0.1f, 1500000.0f));
    }
    EXPECT_EQ(device.renderState(RenderState::DestBlend), uint32_t(gfx::kBlendInvSrcAlpha));
    EXPECT_EQ(device.renderState(RenderState::SrcBlend), uint32_t(gfx::kBlendSrcAlpha));
    EXPECT_EQ(device.renderState(RenderState::Lighting), 1u);
    EXPECT_EQ(device.renderState(RenderState::AlphaBlendEnable), 1u);
}

}  // namespace
}  // namespace tnx::globe
