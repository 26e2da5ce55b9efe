#include "globe/sphere_mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "platform/gfx/recording_device.h"

namespace tnx::globe {
namespace {

using math::Vec3;
constexpr float kR = 63.71f;
constexpr float kPi = math::kPi;

void expectNear(const Vec3& a, const Vec3& b, float tol) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

void expectIndicesInRange(const MeshData& m) {
    for (uint16_t i : m.indices()) ASSERT_LT(i, m.vertexCount());
}

TEST(SphereMeshTest, StridesFollowTheFormatFlags) {
    EXPECT_EQ(MeshData(gfx::kFvfPosNormalDiffuseTex1).stride(), 36u);
    EXPECT_EQ(MeshData(gfx::kFvfPosDiffuseTex1).stride(), 24u);
    EXPECT_EQ(MeshData(gfx::kFvfPosDiffuse).stride(), 16u);
    for (uint32_t fvf : {gfx::kFvfPosNormalDiffuseTex1, gfx::kFvfPosDiffuseTex1, gfx::kFvfPosDiffuse})
        EXPECT_EQ(int(MeshData(fvf).stride()), gfx::fvfStride(fvf));
}

TEST(SphereMeshTest, MoonSphereIsOneFullPatch) {
    MeshData moon = buildSpherePatches(34.76f, 1, 1, 16, gfx::kFvfPosNormalDiffuseTex1);
    ASSERT_EQ(moon.vertexCount(), 289u);
    ASSERT_EQ(moon.indices().size(), 1536u);
    expectIndicesInRange(moon);
    for (uint32_t row = 0; row <= 16; ++row) {
        // phi = 0 and 2 pi meet.
        expectNear(moon.position(row * 17), moon.position(row * 17 + 16), 1e-4f);
        // Row 0 is the -Y pole.
        if (row == 0)
            for (uint32_t k = 0; k <= 16; ++k) expectNear(moon.position(k), {0, -34.76f, 0}, 1e-5f);
    }
    expectNear(moon.position(16 * 17 + 3), {0, 34.76f, 0}, 1e-4f);  // last row: the +Y pole
    // Normals are the unit directions; colour white; texture (k/n, 1 - j/n).
    uint32_t v = 5 * 17 + 7;
    expectNear(moon.normal(v), moon.position(v) / 34.76f, 1e-5f);
    EXPECT_EQ(moon.diffuse(v), 0xFFFFFFFFu);
    EXPECT_FLOAT_EQ(moon.texture(v).x, 7.0f / 16);
    EXPECT_FLOAT_EQ(moon.texture(v).y, 1 - 5.0f / 16);
    // theta = j * pi / 16 from the south pole, phi = k * 2 pi / 16.
    float theta = 5 * kPi / 16, phi = 7 * 2 * kPi / 16;
    expectNear(moon.position(v),
               Vec3{std::sin(theta) * std::cos(phi), -std::cos(theta), std::sin(theta) * std::sin(phi)} * 34.76f,
               1e-4f);
    // First cell's triangles.
    const auto& idx = moon.indices();
    EXPECT_EQ((std::vector<uint16_t>(idx.begin(), idx.begin() + 6)), (std::vector<uint16_t>{0, 17, 18, 0, 18, 1}));
}

TEST(SphereMeshTest, BackdropStripCoversFortyFiveDegreesInFourRows) {
    MeshData strip = buildSpherePatches(9e7f, 8, 4, 2, gfx::kFvfPosDiffuseTex1);
    ASSERT_EQ(strip.vertexCount(), 4u * 9u);
    EXPECT_EQ(strip.indices().size(), 24u);  // one patch's indices
    // Patch i spans theta i*pi/4 .. (i+1)*pi/4; the last column is at 45 degrees.
    for (uint32_t i = 0; i < 4; ++i) {
        Vec3 corner = strip.position(i * 9 + 2 * 3 + 2) / 9e7f;  // j = 2, k = 2
        float theta = float(i + 1) * kPi / 4;
        expectNear(corner, {std::sin(theta) * std::cos(kPi / 4), -std::cos(theta), std::sin(theta) * std::sin(kPi / 4)},
                   1e-5f);
    }
    // Patches meet: the last row of one is the first row of the next.
    for (uint32_t k = 0; k <= 2; ++k) expectNear(strip.position(6 + k), strip.position(9 + k), 1.0f);
    EXPECT_FALSE(strip.hasNormal());
}

TEST(SphereMeshTest, MeridianBandRunsPoleToPole) {
    MeshData m = buildMeridianBand(kR, 0.5f, 64, 0x80FFFFFF, gfx::kFvfPosNormalDiffuseTex1);
    ASSERT_EQ(m.vertexCount(), 130u);
    ASSERT_EQ(m.indices().size(), 384u);
    expectIndicesInRange(m);
    float alpha = 0.5f / kR / 2;
    expectNear(m.position(0), {0, -kR, -0.25f}, 1e-5f);
    expectNear(m.position(1), {0, -kR, 0.25f}, 1e-5f);
    expectNear(m.position(129), {0, kR, 0.25f}, 1e-3f);
    // The equator vertex pair.
    expectNear(m.position(64), {kR * std::cos(alpha), 0, -0.25f}, 1e-4f);
    expectNear(m.normal(64), {std::cos(alpha), 0, -std::sin(alpha)}, 1e-5f);
    expectNear(m.normal(65), {std::cos(alpha), 0, std::sin(alpha)}, 1e-5f);
    EXPECT_FLOAT_EQ(m.texture(64).x, 8 * 32);
    EXPECT_FLOAT_EQ(m.texture(65).y, 1);
    EXPECT_EQ(m.diffuse(77), 0x80FFFFFFu);
    const auto& idx = m.indices();
    EXPECT_EQ((std::vector<uint16_t>(idx.begin() + 6, idx.begin() + 12)), (std::vector<uint16_t>{2, 4, 5, 2, 5, 3}));
}

TEST(SphereMeshTest, ParallelBandsEveryTenDegreesWithTheEquatorHighlighted) {
    const gfx::Color colour = 0x40112233;
    MeshData p = buildParallelBands(kR, 0.5f, 128, 18, colour, gfx::kFvfPosNormalDiffuseTex1);
    ASSERT_EQ(p.vertexCount(), 17u * 256u);
    ASSERT_EQ(p.indices().size(), 17u * 768u);
    expectIndicesInRange(p);
    float alpha = 0.5f / kR / 2;
    for (uint32_t band = 0; band < 17; ++band) {
        float theta = float(band + 1) * kPi / 18;
        uint32_t base = band * 256;
        EXPECT_NEAR(p.position(base).y, -kR * std::cos(theta + alpha), 1e-4);
        EXPECT_NEAR(p.position(base + 1).y, -kR * std::cos(theta - alpha), 1e-4);
        EXPECT_EQ(p.diffuse(base + 10), band + 1 == 9 ? 0x40FFFF80u : colour) << band;
        // Each band closes on its own first two vertices.
        const uint16_t* last = &p.indices()[band * 768 + 762];
        EXPECT_EQ(last[1], base + 0);
        EXPECT_EQ(last[2], base + 1);
        EXPECT_EQ(last[4], base + 1);
    }
    EXPECT_FLOAT_EQ(p.texture(2 * 5).x, 20);
    EXPECT_FLOAT_EQ(p.texture(2 * 5).y, 1);
    EXPECT_FLOAT_EQ(p.texture(2 * 5 + 1).y, 0);

    // Odd row count: band rows/2 lies just south of the equator.
    MeshData odd = buildParallelBands(kR, 0.5f, 16, 7, colour, gfx::kFvfPosDiffuse);
    uint32_t highlighted = 0;
    for (uint32_t band = 0; band < 6; ++band)
        if (odd.diffuse(band * 32) == 0x40FFFF80u) {
            ++highlighted;
            EXPECT_EQ(band + 1, 3u);
            EXPECT_LT(odd.position(band * 32).y, 0);
        }
    EXPECT_EQ(highlighted, 1u);

    // A new graticule colour keeps the highlight.
    recolourParallelBands(p, 128, 18, 0xFF0000FF);
    EXPECT_EQ(p.diffuse(0), 0xFF0000FFu);
    EXPECT_EQ(p.diffuse(8 * 256 + 3), 0xFFFFFF80u);
}

TEST(SphereMeshTest, BackingDiscColours) {
    MeshData d = buildDisc(kR, 0.5f, 64);
    ASSERT_EQ(d.vertexCount(), 65u);
    ASSERT_EQ(d.indices().size(), 192u);
    EXPECT_EQ(d.stride(), 16u);
    EXPECT_EQ(d.diffuse(0), 0x7FFFA060u);
    EXPECT_EQ(d.diffuse(1), 0x0C3890B0u);
    expectNear(d.position(1), {kR, 0, 0}, 1e-5f);
    expectNear(d.position(17), {0, kR, 0}, 1e-4f);
    const auto& idx = d.indices();
    EXPECT_EQ((std::vector<uint16_t>(idx.end() - 3, idx.end())), (std::vector<uint16_t>{0, 64, 1}));

    MeshData full = buildDisc(kR, 1.0f, 8);
    EXPECT_EQ(full.diffuse(0) >> 24, 0xFFu);
    EXPECT_EQ(full.diffuse(1) >> 24, 0x19u);
    // Over range keeps the colour bits intact.
    MeshData over = buildDisc(kR, 2.0f, 8);
    EXPECT_EQ(over.diffuse(0), 0xFFFFA060u);
}

TEST(SphereMeshTest, MirrorFacesInward) {
    MeshData m = buildMeridianBand(kR, 0.5f, 8, 0xFFFFFFFF, gfx::kFvfPosNormalDiffuseTex1);
    MeshData mirror = mirrored(m);
    ASSERT_EQ(mirror.vertexCount(), m.vertexCount());
    for (uint32_t i = 0; i < m.vertexCount(); ++i) {
        expectNear(mirror.normal(i), -m.normal(i), 0);
        expectNear(mirror.position(i), m.position(i), 0);
    }
    for (size_t t = 0; t < m.indices().size(); t += 3) {
        EXPECT_EQ(mirror.indices()[t], m.indices()[t]);
        EXPECT_EQ(mirror.indices()[t + 1], m.indices()[t + 2]);
        EXPECT_EQ(mirror.indices()[t + 2], m.indices()[t + 1]);
    }
    recolour(mirror, 0x12345678);
    EXPECT_EQ(mirror.diffuse(3), 0x12345678u);
    EXPECT_EQ(m.diffuse(3), 0xFFFFFFFFu);
}

TEST(SphereMeshTest, OversizedOrEmptyRequestsGiveEmptyMeshes) {
    EXPECT_EQ(buildSpherePatches(1, 1, 1, 300, gfx::kFvfPosDiffuse).vertexCount(), 0u);  // > 65536 vertices
    EXPECT_EQ(buildSpherePatches(1, 0, 1, 4, gfx::kFvfPosDiffuse).vertexCount(), 0u);
    EXPECT_EQ(buildParallelBands(kR, 0.5f, 128, 1, 0, gfx::kFvfPosDiffuse).vertexCount(), 0u);
    EXPECT_EQ(buildMeridianBand(kR, 0.5f, 0, 0, gfx::kFvfPosDiffuse).vertexCount(), 0u);
    EXPECT_EQ(buildDisc(kR, 0.5f, 0).vertexCount(), 0u);
}

TEST(SphereMeshTest, MeshesDrawStraightFromMemory) {
    gfx::RecordingDevice device;
    device.setCaptureGeometry(true);
    MeshData moon = buildSpherePatches(34.76f, 1, 1, 16, gfx::kFvfPosNormalDiffuseTex1);
    device.setVertexShader(moon.fvf());
    EXPECT_EQ(device.drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, moon.vertexCount(),
                                            moon.triangleCount(), moon.indices().data(), moon.vertices(),
                                            moon.stride()),
              gfx::kOk);
    EXPECT_EQ(moon.triangleCount(), 512u);
    ASSERT_EQ(device.draws().size(), 1u);
    const gfx::RecordedDraw& draw = device.draws()[0];
    EXPECT_EQ(draw.stride, 36u);
    ASSERT_EQ(draw.vertices.size(), 289u * 36u);
    // Vertex 20: position, normal, colour, texture at byte offsets 0, 12, 24, 28.
    const uint8_t* v = draw.vertices.data() + 20 * 36;
    float y, ny, u;
    uint32_t colour;
    std::memcpy(&y, v + 4, 4);
    std::memcpy(&ny, v + 16, 4);
    std::memcpy(&colour, v + 24, 4);
    std::memcpy(&u, v + 28, 4);
    EXPECT_FLOAT_EQ(y, moon.position(20).y);
    EXPECT_FLOAT_EQ(ny, moon.normal(20).y);
    EXPECT_EQ(colour, 0xFFFFFFFFu);
    EXPECT_FLOAT_EQ(u, 3.0f / 16);
}

}  // namespace
}  // namespace tnx::globe
