#include "globe/sky/atmosphere.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/gfx/recording_device.h"

namespace tnx::globe {
namespace {

constexpr float kR = 63.71f;

math::Vec3 worldPos(const Atmosphere& a, const Atmosphere::Vertex& v) {
    return math::transformCoord({v.x, v.y, v.z}, a.world());
}
math::Vec3 worldNormal(const Atmosphere& a, const Atmosphere::Vertex& v) {
    return math::transformNormal({v.nx, v.ny, v.nz}, a.world());
}

// Records the specular switch each draw saw (the recording keeps the rest).
class SpecularRecordingDevice : public gfx::RecordingDevice {
public:
    gfx::Result drawIndexedPrimitiveUP(gfx::PrimitiveType type, uint32_t minIndex, uint32_t vertexCount,
                                       uint32_t primitiveCount, const uint16_t* indices, const void* vertices,
                                       uint32_t stride) override {
        specularAtDraw.push_back(renderState(gfx::RenderState::SpecularEnable));
        return RecordingDevice::drawIndexedPrimitiveUP(type, minIndex, vertexCount, primitiveCount, indices,
                                                       vertices, stride);
    }
    std::vector<uint32_t> specularAtDraw;
};

TEST(Atmosphere, MeshCounts) {
    Atmosphere a;
    EXPECT_EQ(a.vertices().size(), 1025u);
    EXPECT_EQ(a.indices().size(), 5760u);
    for (uint16_t i : a.indices()) ASSERT_LT(i, 1025);
}

TEST(Atmosphere, RingAlphas) {
    // Far camera: b bottoms out at 0.6.
    EXPECT_EQ(Atmosphere::ringAlpha(0, 4.0f, 128), 0u);
    EXPECT_EQ(Atmosphere::ringAlpha(1, 4.0f, 128), 0u);            // 0.36
    EXPECT_EQ(Atmosphere::ringAlpha(6, 4.0f, 128), 76u);           // 76.8
    EXPECT_EQ(Atmosphere::ringAlpha(7, 4.0f, 128), 121u);          // 121.96
    // Near camera: b = 1.3 - 0.3 D; the alpha saturates at 255.
    EXPECT_EQ(Atmosphere::ringAlpha(6, 1.0f, 128), 128u);
    EXPECT_EQ(Atmosphere::ringAlpha(7, 1.0f, 255), 255u);
    EXPECT_EQ(Atmosphere::ringAlpha(3, 2.0f, 0), 0u);
}

TEST(Atmosphere, RingColoursOverTheSettingsColour) {
    Atmosphere a;
    a.setAppearance(0xFF336699, 128);
    a.update({0, 0, -4 * kR}, {-1, 0, 0});
    const auto& v = a.vertices();
    EXPECT_EQ(v[0].color, 0x00336699u);  // centre: ring 0's colour, alpha 0
    EXPECT_EQ(v[size_t(Atmosphere::vertexIndex(6, 5))].color, (76u << 24) | 0x336699u);
    EXPECT_EQ(v[size_t(Atmosphere::vertexIndex(7, 0))].color, (121u << 24) | 0x336699u);
    // The outer rim keeps only a dim part of the colour and no alpha.
    EXPECT_EQ(v[size_t(Atmosphere::vertexIndex(8, 77))].color, 0x336699u & 0x003344CCu);
    // Alpha grows outward.
    for (int k = 2; k <= 7; ++k)
        EXPECT_GE(v[size_t(Atmosphere::vertexIndex(k, 0))].color >> 24,
                  v[size_t(Atmosphere::vertexIndex(k - 1, 0))].color >> 24);
}

TEST(Atmosphere, RingsLieOnTheVisibleCapUpToTheLimb) {
    const math::Vec3 cameras[] = {{0, 0, -300}, {250, 40, 120}, {-90, 500, 3}, {1, -1200, 0.5f}, {64.5f, 0, 0}};
    for (const math::Vec3& cam : cameras) {
        Atmosphere a;
        a.update(cam, {-1, 0, 0});
        const auto& v = a.vertices();
        // The centre vertex is the point of the globe nearest the camera.
        EXPECT_NEAR(math::length(worldPos(a, v[0]) - math::normalize(cam) * kR), 0.0f, 0.01f);
        for (int k = 1; k <= 7; ++k) {
            for (int j = 0; j < Atmosphere::kSegments; j += 9) {
                math::Vec3 p = worldPos(a, v[size_t(Atmosphere::vertexIndex(k, j))]);
                EXPECT_NEAR(math::length(p), kR, 0.01f) << k;
                float facing = math::dot(math::normalize(cam - p), math::normalize(p));
                if (k < 7) {
                    EXPECT_GT(facing, -1e-3f) << "ring " << k << " must face the camera";
                } else {
                    EXPECT_NEAR(facing, 0.0f, 2e-3f) << "ring 7 is the tangent";
                }
            }
        }
        // Ring 8 sits over the limb circle, lifted to the outer radius.
        float outer = kR + 0.9f * 30000.0f * (0.1f * 0.0001f + 0.00001f);
        for (int j = 0; j < Atmosphere::kSegments; j += 13) {
            math::Vec3 p8 = worldPos(a, v[size_t(Atmosphere::vertexIndex(8, j))]);
            math::Vec3 p7 = worldPos(a, v[size_t(Atmosphere::vertexIndex(7, j))]);
            EXPECT_NEAR(math::length(p8), outer, 0.01f);
            EXPECT_NEAR(math::dot(math::normalize(p8), math::normalize(p7)), 1.0f, 1e-5f);
        }
    }
}

TEST(Atmosphere, ExaggerationLiftsTheOuterRim) {
    Atmosphere a;
    a.setExaggeration(0.001f);
    a.update({0, 0, -200}, {-1, 0, 0});
    math::Vec3 p8 = worldPos(a, a.vertices()[size_t(Atmosphere::vertexIndex(8, 0))]);
    EXPECT_NEAR(math::length(p8), kR + 0.9f * 30000.0f * (0.1f * 0.001f + 0.00001f), 0.01f);
}

TEST(Atmosphere, LimbNormalsBrightOnTheDaySideDarkOnTheNightSide) {
    math::Vec3 sun{-1, 0, 0};
    // Lambert factor of the tangent ring's normals: least and most lit.
    auto limbLight = [&](const math::Vec3& cam) {
        Atmosphere a;
        a.update(cam, sun);
        float lo = 2, hi = -2;
        for (int j = 0; j < Atmosphere::kSegments; ++j) {
            float l = math::dot(worldNormal(a, a.vertices()[size_t(Atmosphere::vertexIndex(7, j))]), sun);
            lo = std::min(lo, l);
            hi = std::max(hi, l);
        }
        return std::pair{lo, hi};
    };
    // Camera between globe and Sun: the whole limb is lit evenly.
    auto [dayLo, dayHi] = limbLight({-300, 0, 0});
    EXPECT_GT(dayLo, 0.15f);
    EXPECT_NEAR(dayLo, dayHi, 1e-3f);
    // Camera behind the globe: the limb stays dim all round.
    auto [nightLo, nightHi] = limbLight({300, 0, 0});
    EXPECT_LT(nightHi, 0.1f);
    EXPECT_LT(nightHi, dayLo);
    // From the side: the sunward half of the limb is lit, the other is dark.
    auto [sideLo, sideHi] = limbLight({0, 0, -300});
    EXPECT_GT(sideHi, 0.9f);
    EXPECT_LT(sideLo, -0.9f);
    // The Sun exactly behind the globe from close by lowers the limb further.
    auto [closeLo, closeHi] = limbLight({70, 0, 0});
    EXPECT_LT(closeHi, nightHi);
    // Inner rings keep the sphere's own normals.
    Atmosphere a;
    a.update({0, 100, -250}, sun);
    for (int k = 1; k <= 6; ++k) {
        const auto& v = a.vertices()[size_t(Atmosphere::vertexIndex(k, 40))];
        EXPECT_NEAR(math::length(math::Vec3{v.nx, v.ny, v.nz}), 1.0f, 1e-3f);
        EXPECT_NEAR(math::dot(math::normalize(worldPos(a, v)), worldNormal(a, v)), 1.0f, 1e-3f);
    }
}

TEST(Atmosphere, CameraAtOrInsideTheSurfaceStaysFinite) {
    for (const math::Vec3& cam : {math::Vec3{0, 0, -63.8f}, math::Vec3{10, 20, 5}, math::Vec3{0, 0, 0},
                                  math::Vec3{63.71f, 0, 0}}) {
        for (const math::Vec3& sun : {math::Vec3{-1, 0, 0}, math::normalize(cam + math::Vec3{0.01f, 0, 0})}) {
            Atmosphere a;
            a.update(cam, sun);
            for (const auto& v : a.vertices()) {
                ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
                ASSERT_TRUE(std::isfinite(v.nx) && std::isfinite(v.ny) && std::isfinite(v.nz));
            }
        }
    }
}

TEST(Atmosphere, TrianglesFaceTheCamera) {
    math::Vec3 cam{120, -80, 200};
    Atmosphere a;
    a.update(cam, {-1, 0, 0});
    const auto& v = a.vertices();
    const auto& idx = a.indices();
    for (size_t t = 0; t < idx.size(); t += 3) {
        math::Vec3 p0 = worldPos(a, v[idx[t]]), p1 = worldPos(a, v[idx[t + 1]]), p2 = worldPos(a, v[idx[t + 2]]);
        // Clockwise seen from the camera in left-handed space.
        ASSERT_LT(math::dot(math::cross(p1 - p0, p2 - p0), p0 - cam), 0.0f) << t / 3;
    }
}

TEST(Atmosphere, DrawSubmitsOneListAndRestoresStates) {
    for (bool lighting : {false, true}) {
        SpecularRecordingDevice device;
        device.setRenderState(gfx::RenderState::Lighting, 1);
        device.setRenderState(gfx::RenderState::SpecularEnable, 0);
        device.setRenderState(gfx::RenderState::AlphaBlendEnable, 1);
        device.setRenderState(gfx::RenderState::SrcBlend, gfx::kBlendSrcAlpha);
        device.setRenderState(gfx::RenderState::DestBlend, gfx::kBlendInvSrcAlpha);
        gfx::Texture stray(4, 4, 1, gfx::Format::A8R8G8B8, gfx::Pool::Managed);
        device.setTexture(0, &stray);

        Atmosphere a;
        a.draw(device, {0, 0, -300}, {-1, 0, 0}, lighting);

        ASSERT_EQ(device.draws().size(), 1u);
        const auto& d = device.draws()[0];
        EXPECT_EQ(d.type, gfx::PrimitiveType::TriangleList);
        EXPECT_EQ(d.vertexCount, 1025u);
        EXPECT_EQ(d.primitiveCount, 1920u);
        EXPECT_EQ(d.stride, 36u);
        EXPECT_EQ(d.fvf, gfx::kFvfPosNormalDiffuseTex1);
        EXPECT_EQ(d.texture0, nullptr);
        EXPECT_EQ(d.lighting, lighting);
        EXPECT_TRUE(d.alphaBlend);
        EXPECT_EQ(d.srcBlend, gfx::kBlendSrcAlpha);
        EXPECT_EQ(d.destBlend, gfx::kBlendInvSrcAlpha);
        EXPECT_EQ(d.world, a.world());
        EXPECT_EQ(device.specularAtDraw.at(0), 1u);

        EXPECT_EQ(device.renderState(gfx::RenderState::Lighting), 1u);
        EXPECT_EQ(device.renderState(gfx::RenderState::SpecularEnable), 0u);
    }
}

}  // namespace
}  // namespace tnx::globe
