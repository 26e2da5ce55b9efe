#include "globe/terrain/terrain_renderer.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <tuple>

#include "globe/terrain/terrain_fakes.h"
#include "platform/gfx/recording_device.h"
#include "platform/io/byte_io.h"

namespace tnx::globe {
namespace {

using testing::FakeElevation;
using math::Vec3;

constexpr int kWidth = 4097;  // eight patch levels, two cache levels
constexpr float kTwoPi = 6.2831853f;

// The unit direction of a grid sample in the globe's frame.
Vec3 gridDirection(double column, double row) {
    const double lambda = kTwoPi * column / (kWidth - 1), theta = kTwoPi * row / (kWidth - 1);
    return {float(std::sin(theta) * std::cos(lambda)), float(-std::cos(theta)),
            float(std::sin(theta) * std::sin(lambda))};
}

struct Triangle {
    Vec3 p[3];
};

std::vector<Triangle> triangles(const gfx::RecordingDevice& device) {
    std::vector<Triangle> out;
    for (const auto& d : device.draws()) {
        auto at = [&](uint16_t i) {
            const uint8_t* v = d.vertices.data() + size_t(i) * d.stride;
            return Vec3{io::loadF32(v), io::loadF32(v + 4), io::loadF32(v + 8)};
        };
        for (size_t i = 0; i + 2 < d.indices.size(); i += 3)
            out.push_back({{at(d.indices[i]), at(d.indices[i + 1]), at(d.indices[i + 2])}});
    }
    return out;
}

// Edges near `centre` that are not shared by exactly two triangles running
// opposite ways: cracks, T-junctions or flipped triangles.
int badEdgesNear(const std::vector<Triangle>& tris, const Vec3& centre, float reach) {
    using Key = std::tuple<float, float, float>;
    std::map<Key, int> ids;
    auto id = [&](const Vec3& v) { return ids.emplace(Key{v.x, v.y, v.z}, int(ids.size())).first->second; };
    std::map<std::pair<int, int>, int> edges;  // +1 a->b, +100 b->a for a < b
    std::map<std::pair<int, int>, std::pair<Vec3, Vec3>> ends;
    for (const Triangle& t : tris) {
        if (t.p[0] == t.p[1] || t.p[1] == t.p[2] || t.p[2] == t.p[0]) continue;  // a sliver at a pole
        for (int k = 0; k < 3; ++k) {
            const Vec3 &a = t.p[k], &b = t.p[(k + 1) % 3];
            int ia = id(a), ib = id(b);
            if (ia == ib) continue;  // degenerate at a pole
            if (ia < ib) edges[{ia, ib}] += 1, ends[{ia, ib}] = {a, b};
            else edges[{ib, ia}] += 100, ends[{ib, ia}] = {b, a};
        }
    }
    int bad = 0;
    for (const auto& [key, count] : edges) {
        const auto& [a, b] = ends[key];
        if (math::length(a - centre) > reach || math::length(b - centre) > reach) continue;
        if (count != 101) ++bad;
    }
    return bad;
}

// Rough land whose pole rows, single points on the globe, have one height.
uint32_t poleSafe(int x, int y) { return (y == 0 || y == 2048) ? makeWord(0, 500) : testing::roughLand(x, y); }

struct Scene {
    explicit Scene(FakeElevation::Height height = testing::roughLand, int exaggeration = 1)
        : elevation(kWidth, 5, std::move(height)), renderer(elevation, &colour, 1, 1, 256u << 20, 5) {
        TerrainSettings s;
        s.altitudeExaggeration = exaggeration;
        s.options = kOptionShadeLand | kOptionColourLand | kOptionColourOcean;
        renderer.applySettings(s, kApplyColours);
        device.setCaptureGeometry(true);
        renderer.restore(device);
    }
    // Camera straight above a grid point at `altitude` scene units.
    void drawAbove(double column, double row, float altitude, const camera::ViewFrustum* frustum = nullptr) {
        nadir = gridDirection(column, row) * TerrainRenderer::kGlobeRadius;
        camera = gridDirection(column, row) * (TerrainRenderer::kGlobeRadius + altitude);
        draw(frustum);
    }
    void draw(const camera::ViewFrustum* frustum = nullptr) {
        device.clearRecord();
        TerrainFrame frame;
        frame.cameraPosition = camera;
        frame.frustum = frustum;
        frame.detailStartLevel =
            TerrainRenderer::detailStartLevel(renderer.patchLevelCount(), math::length(camera));
        renderer.draw(device, frame);
    }
    FakeElevation elevation;
    testing::CountingColour colour;
    TerrainRenderer renderer;
    gfx::RecordingDevice device;
    Vec3 camera, nadir;
};

TEST(TerrainRenderer, DerivedConstantsAndTables) {
    FakeElevation elevation(kWidth);
    TerrainRenderer r(elevation, nullptr, 1, 1, 256u << 20, 5);
    EXPECT_EQ(r.patchLevelCount(), 8);
    EXPECT_EQ(r.minimumError(1), 25);
    EXPECT_EQ(r.minimumError(2), 170);
    EXPECT_EQ(r.minimumError(4), 1270);
    EXPECT_EQ(r.minimumError(8), 0xFFFF);
    EXPECT_EQ(r.minimumError(20), 0xFFFF);
    // Each doubling of the height above the surface adds one.
    EXPECT_EQ(TerrainRenderer::detailStartLevel(8, 63.71f), -5);
    EXPECT_EQ(TerrainRenderer::detailStartLevel(8, 63.71f * 2), 2);
    EXPECT_EQ(TerrainRenderer::detailStartLevel(8, 63.71f + 200), 3);
    EXPECT_EQ(TerrainRenderer::detailStartLevel(8, 63.71f + 0.2f), -5);
    EXPECT_EQ(TerrainRenderer::ringSideForMemory(152000001), 13);
    EXPECT_EQ(TerrainRenderer::ringSideForMemory(32000000), 5);
    EXPECT_EQ(r.patchLevel(8)->rowCount(), 8);
    EXPECT_EQ(r.patchLevel(8)->columnCount(3), 16);
    EXPECT_EQ(r.patchLevel(8)->columnCount(0), 8);  // the polar rows use every second column
}

TEST(TerrainRenderer, SubmitsOneIndexedListPerPatchFromMemory) {
    Scene s;
    s.drawAbove(1000, 1000, 200);  // 20,000 km: the 16 x 8 patches alone
    const auto& draws = s.device.draws();
    ASSERT_FALSE(draws.empty());
    EXPECT_EQ(int(draws.size()), s.renderer.counters().patchesDrawn);
    EXPECT_LT(draws.size(), 112u);  // the far side is behind the horizon
    int tris = 0, verts = 0;
    for (const auto& d : draws) {
        EXPECT_EQ(d.type, gfx::PrimitiveType::TriangleList);
        EXPECT_EQ(d.stride, 44u);
        EXPECT_EQ(d.fvf, gfx::kFvfPosNormalDiffuseTex2);
        EXPECT_EQ(d.indexCount, d.primitiveCount * 3);
        EXPECT_LE(d.vertexCount, 16641u);
        EXPECT_NE(d.texture0, nullptr);
        for (uint16_t i : d.indices) ASSERT_LT(i, d.vertexCount);
        tris += int(d.primitiveCount);
        verts += int(d.vertexCount);
    }
    EXPECT_EQ(tris, s.renderer.counters().triangles);
    EXPECT_EQ(verts, s.renderer.counters().vertices);
    EXPECT_EQ(s.device.textureStageState(1, gfx::TextureStageState::ColorOp), uint32_t(gfx::kTopDisable));
    EXPECT_EQ(s.device.textureStageState(0, gfx::TextureStageState::AddressU), uint32_t(gfx::kTaddressClamp));
    EXPECT_EQ(s.device.renderState(gfx::RenderState::FogEnable), 0u);
    EXPECT_EQ(s.device.texture(0), nullptr);

    // A view frustum looking at the globe leaves out what is beside it.
    const size_t all = draws.size();
    s.drawAbove(1000, 1000, 20);
    const size_t unculled = s.device.draws().size();
    EXPECT_GT(unculled, all);  // closer: finer patches
    camera::ViewFrustum frustum(1280, 720, 0.8f);
    frustum.setView(math::matrixLookAtLH(s.camera, s.nadir, Vec3{0, 1, 0}));
    s.draw(&frustum);
    EXPECT_LT(s.device.draws().size(), unculled / 2);
    EXPECT_FALSE(s.device.draws().empty());
}

TEST(TerrainRenderer, VerticesSitAtTheExaggeratedElevation) {
    Scene s([](int, int) { return makeWord(0, 8848); });
    s.drawAbove(1500, 700, 20);
    for (const Triangle& t : triangles(s.device))
        for (const Vec3& p : t.p) ASSERT_NEAR(math::length(p), 63.71f + 0.08848f, 2e-4f);
    // Texture coordinates run from the first texel's centre to the last's,
    // so a tile's edge samples show its edge texels unblended with nothing.
    const float first = 0.5f / 128, last = 127.5f / 128;
    float lowest = 1, highest = 0;
    for (const auto& d : s.device.draws())
        for (size_t i = 0; i < d.vertexCount; ++i) {
            for (size_t at : {size_t(28), size_t(32)}) {
                const float c = io::loadF32(d.vertices.data() + i * 44 + at);
                ASSERT_GE(c, first - 1e-6f);
                ASSERT_LE(c, last + 1e-6f);
                lowest = std::min(lowest, c);
                highest = std::max(highest, c);
            }
        }
    EXPECT_NEAR(lowest, first, 1e-6f);
    EXPECT_NEAR(highest, last, 1e-6f);
}

TEST(TerrainRenderer, NoCracksWhereRowsChangeTheirColumnSpacing) {
    Scene s;
    // Sin(row angle) crosses 0.5 between rows 341 and 342: the columns halve there.
    s.drawAbove(1000, 341, 2);
    const auto tris = triangles(s.device);
    ASSERT_GT(tris.size(), 1000u);
    EXPECT_EQ(badEdgesNear(tris, s.nadir, 6.0f), 0);

    // Close to the pole several spacings meet (the pole row is one point).
    Scene polar(poleSafe);
    polar.drawAbove(1000, 60, 2);
    EXPECT_EQ(badEdgesNear(triangles(polar.device), polar.nadir, 6.0f), 0);

    // Over the equator, higher and with more relief.
    Scene tall(testing::roughLand, 20);
    tall.drawAbove(3000, 1024, 10);
    EXPECT_EQ(badEdgesNear(triangles(tall.device), tall.nadir, 20.0f), 0);
}

TEST(TerrainRenderer, CameraExactlyAboveAPole) {
    // Rows 0 and the last are single points: give them one height.
    Scene s(poleSafe);
    s.camera = Vec3{0, -(63.71f + 3.0f), 0};
    s.nadir = Vec3{0, -63.71f, 0};
    s.draw();
    EXPECT_EQ(s.renderer.centreRow(), 0);
    const auto tris = triangles(s.device);
    ASSERT_FALSE(tris.empty());
    for (const Triangle& t : tris)
        for (const Vec3& p : t.p) ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
    EXPECT_EQ(badEdgesNear(tris, s.nadir, 8.0f), 0);
    s.camera = Vec3{0, 63.71f + 3.0f, 0};
    s.draw();
    EXPECT_EQ(s.renderer.centreRow(), 2048);
    EXPECT_FALSE(s.device.draws().empty());
}

TEST(TerrainRenderer, CoarserDataFillsInWhereTheFinerIsNotResident) {
    Scene full;
    full.drawAbove(1000, 1000, 2);
    const int fineTriangles = full.renderer.counters().triangles;

    // No level-0 tiles at all: drawn from level 1, still closed around the view.
    Scene coarse;
    coarse.elevation.firstLevel = 1;
    coarse.drawAbove(1000, 1000, 2);
    const auto tris = triangles(coarse.device);
    ASSERT_FALSE(tris.empty());
    EXPECT_EQ(badEdgesNear(tris, coarse.nadir, 6.0f), 0);
    EXPECT_LE(coarse.renderer.counters().triangles, fineTriangles);
    for (const auto& d : coarse.device.draws()) EXPECT_NE(d.texture0, nullptr);

    // Some level-0 tiles unreadable next to readable ones.
    Scene holes;
    holes.elevation.missing = [](int level, int x, int) { return level == 0 && x < 1024; };
    holes.drawAbove(1024, 1000, 2);
    EXPECT_EQ(badEdgesNear(triangles(holes.device), holes.nadir, 6.0f), 0);
}

TEST(TerrainRenderer, DeviceResetAndSettingsChanges) {
    Scene s;
    s.drawAbove(2000, 900, 5);
    const size_t drawn = s.device.draws().size();
    s.renderer.release();
    s.drawAbove(2000, 900, 5);
    EXPECT_EQ(s.device.draws().size(), drawn);  // geometry without textures
    for (const auto& d : s.device.draws()) EXPECT_EQ(d.texture0, nullptr);
    s.renderer.restore(s.device);
    s.drawAbove(2000, 900, 5);
    for (const auto& d : s.device.draws()) EXPECT_NE(d.texture0, nullptr);

    // More exaggeration: more relief to resolve, the same view needs more triangles.
    const int before = s.renderer.counters().triangles;
    TerrainSettings settings;
    settings.altitudeExaggeration = 50;
    s.renderer.applySettings(settings, 0);
    EXPECT_FLOAT_EQ(s.renderer.exaggeration(), 0.0005f);
    s.drawAbove(2000, 900, 5);
    EXPECT_GT(s.renderer.counters().triangles, before);
}

}  // namespace
}  // namespace tnx::globe

namespace tnx::globe {
namespace {

// The city lights: a second, additive pass over the night side only.
TEST(TerrainRenderer, CityLightsOnTheNightSideOnly) {
    EXPECT_EQ(NightLightsPass::fade(0.0f), 0.0f);
    EXPECT_NEAR(NightLightsPass::fade(-6.0f * kTwoPi / 360), 0.5f, 1e-5f);
    EXPECT_EQ(NightLightsPass::fade(-12.0f * kTwoPi / 360), 1.0f);

    Scene s;
    testing::CountingColour lights;
    s.renderer.setNightLights(&lights, 1);
    s.renderer.restore(s.device);
    const Vec3 view = gridDirection(1000, 1000);
    const Vec3 sun = math::normalize(math::cross(view, Vec3{0, 1, 0}));  // the terminator across the view
    // The weights (diffuse level) and positions of the lights passes' corners.
    struct Corner {
        Vec3 at;
        uint32_t level;
    };
    auto draw = [&](const Vec3& toward, float brightness) {
        s.device.clearRecord();
        TerrainFrame frame;
        frame.cameraPosition = view * (TerrainRenderer::kGlobeRadius + 200);
        frame.detailStartLevel = TerrainRenderer::detailStartLevel(s.renderer.patchLevelCount(), 263.71f);
        frame.sunDirection = toward;
        frame.lightsBrightness = brightness;
        s.renderer.draw(s.device, frame);
        std::vector<std::array<Corner, 3>> out;
        for (const auto& d : s.device.draws()) {
            if (!(d.alphaBlend && d.srcBlend == gfx::kBlendOne && d.destBlend == gfx::kBlendOne)) continue;
            EXPECT_FALSE(d.lighting);
            for (size_t t = 0; t + 2 < d.indices.size(); t += 3) {
                out.emplace_back();
                for (int k = 0; k < 3; ++k) {
                    const uint8_t* v = d.vertices.data() + size_t(d.indices[t + k]) * d.stride;
                    EXPECT_TRUE(io::loadF32(v + 36) >= 0 && io::loadF32(v + 36) <= 1.01f);  // texture set 1
                    out.back()[size_t(k)] = {math::normalize(Vec3{io::loadF32(v), io::loadF32(v + 4), io::loadF32(v + 8)}),
                                             io::loadU32(v + 24) & 0xFF};
                }
            }
        }
        return out;
    };

    int night = 0, day = 0, between = 0;
    for (const auto& tri : draw(sun, 1.0f)) {
        int lit = 0;
        for (const Corner& c : tri) {
            const float sine = math::dot(c.at, sun);
            lit += c.level > 0;
            // On the terminator or beyond: none; full below -12 degrees; some between.
            const bool isDay = sine >= -1e-5f, isNight = sine <= std::sin(NightLightsPass::kFullElevation);
            day += isDay, night += isNight, between += !isDay && !isNight;
            EXPECT_TRUE(isDay ? c.level == 0 : isNight ? c.level == 255 : c.level > 0) << sine << ' ' << c.level;
        }
        EXPECT_GT(lit, 0) << "a triangle with no light at any corner is left out";
    }
    EXPECT_TRUE(night > 0 && day > 0 && between > 0);
    EXPECT_LT(s.renderer.counters().lightTriangles, s.renderer.counters().triangles);

    // The Sun behind the camera: lights only past the horizon (hidden
    // there); switched off, none; half as bright, half the weight.
    for (const auto& tri : draw(view, 1.0f))
        for (const Corner& c : tri)
            EXPECT_TRUE(!c.level || math::dot(c.at, view) < TerrainRenderer::kGlobeRadius / 263.71f);
    EXPECT_TRUE(draw(sun, 0.0f).empty());
    uint32_t brightest = 0;
    for (const auto& tri : draw(-view, 0.5f))
        for (const Corner& c : tri) brightest = std::max(brightest, c.level);
    EXPECT_EQ(brightest, 128u);
}

// Only triangles over cells with light are drawn again.
TEST(TerrainRenderer, CityLightsLeaveOutTheDark) {
    LightOccupancy cells;
    cells.rows[15] = uint16_t(1u << 15);  // the last cell only
    EXPECT_TRUE(cells.any(0.9f, 0.9f, 1.0f, 1.0f));
    EXPECT_TRUE(cells.any(0.0f, 0.95f, 1.0f, 0.96f));
    EXPECT_FALSE(cells.any(0.0f, 0.0f, 0.9f, 1.0f));
    EXPECT_FALSE(cells.any(0.0f, 0.0f, 1.0f, 0.93f));

}

}  // namespace
}  // namespace tnx::globe
