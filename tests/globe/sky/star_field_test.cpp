#include "globe/sky/star_field.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>

#include "globe/sky/scene_astronomy.h"
#include "platform/gfx/recording_device.h"
#include "platform/io/byte_io.h"

namespace tnx::globe {
namespace {

using Star = StarField::Star;

std::vector<uint8_t> catalogue(const std::vector<Star>& stars, int32_t declaredCount) {
    std::vector<uint8_t> out;
    io::ByteWriter w(out);
    w.i32(declaredCount);
    for (const Star& s : stars) {
        w.u16(s.azimuth);
        w.u16(s.polar);
        w.u16(s.brightness);
    }
    return out;
}
std::vector<uint8_t> catalogue(const std::vector<Star>& stars) { return catalogue(stars, int32_t(stars.size())); }

std::vector<Star> randomStars(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> az(0, 65535), polar(0, 32767), bright(0, 300);
    std::vector<Star> stars(n);
    for (Star& s : stars) s = {uint16_t(az(rng)), uint16_t(polar(rng)), uint16_t(bright(rng))};
    return stars;
}

// A view frustum built like the camera's: near and four side planes through
// the eye, normals pointing out; the far plane is not tested.
class TestFrustum {
public:
    TestFrustum(math::Vec3 eye, math::Vec3 dir, math::Vec3 up, float fov, float aspect) : eye_(eye) {
        dir_ = math::normalize(dir);
        right_ = math::normalize(math::cross(up, dir_));
        up_ = math::cross(dir_, right_);
        float s = std::tan(fov / 2) / aspect;
        float t = s / std::sqrt(s * s + 1);
        local_[0] = {0, 0, -1};
        local_[1] = {-std::cos(fov / 2), 0, -std::sin(fov / 2)};
        local_[2] = {0, std::sqrt(1 - t * t), -t};
        local_[3] = {std::cos(fov / 2), 0, -std::sin(fov / 2)};
        local_[4] = {0, -std::sqrt(1 - t * t), -t};
    }
    SphereVisibility test(const math::Vec3& c, float r) const {
        math::Vec3 rel = c - eye_;
        math::Vec3 p{math::dot(rel, right_), math::dot(rel, up_), math::dot(rel, dir_)};
        bool partial = false;
        for (const auto& n : local_) {
            float d = math::dot(n, p);
            if (d >= r) return SphereVisibility::Outside;
            if (d >= -r) partial = true;
        }
        return partial ? SphereVisibility::Partial : SphereVisibility::Inside;
    }
    bool contains(const math::Vec3& point) const { return test(point, 0) == SphereVisibility::Inside; }
    SphereTest sphereTest() const {
        return [this](const math::Vec3& c, float r) { return test(c, r); };
    }
    const math::Vec3& direction() const { return dir_; }

private:
    math::Vec3 eye_, dir_, right_, up_;
    math::Vec3 local_[5];
};

math::Vec3 centroid(const SkyVertex* v) {
    return {(v[0].x + v[1].x + v[2].x) / 3, (v[0].y + v[1].y + v[2].y) / 3, (v[0].z + v[1].z + v[2].z) / 3};
}

TEST(StarFieldLoad, ReadsRecordsAndKeepsThemAll) {
    std::vector<Star> stars = randomStars(500, 1);
    StarField field;
    EXPECT_EQ(field.load(catalogue(stars)), 500);
    EXPECT_EQ(field.starCount(), 500u);
    // Same multiset of stars, whatever the order.
    std::map<std::tuple<int, int, int>, int> want, got;
    for (const Star& s : stars) ++want[{s.azimuth, s.polar, s.brightness}];
    for (const Star& s : field.stars()) ++got[{s.azimuth, s.polar, s.brightness}];
    EXPECT_EQ(want, got);
}

TEST(StarFieldLoad, ShortOrCorruptFilesLoadOnlyValidStars) {
    std::vector<Star> stars = randomStars(10, 2);
    StarField field;
    EXPECT_EQ(field.load({}), 0);
    std::vector<uint8_t> headerOnly = catalogue({}, 10);
    EXPECT_EQ(field.load(headerOnly), 0);
    std::vector<uint8_t> threeBytes = {5, 0, 0};
    EXPECT_EQ(field.load(threeBytes), 0);
    // The count claims more than the file holds: whole records only.
    std::vector<uint8_t> bytes = catalogue(stars, 1000);
    EXPECT_EQ(field.load(bytes), 10);
    bytes.resize(bytes.size() - 1);  // the last record is cut short
    EXPECT_EQ(field.load(bytes), 9);
    // A negative count is no catalogue.
    EXPECT_EQ(field.load(catalogue(stars, -5)), 0);
    // A smaller count than the data ignores the rest.
    EXPECT_EQ(field.load(catalogue(stars, 4)), 4);
    // Reloading replaces, never appends.
    EXPECT_EQ(field.load(catalogue(stars)), 10);
    EXPECT_EQ(field.starCount(), 10u);
}

TEST(StarFieldLoad, PolarAnglesBeyondTheBucketRowsAreDropped) {
    std::vector<Star> stars = {{100, 32767, 5}, {100, 32768, 5}, {200, 65535, 5}, {300, 0, 5}, {400, 40000, 7}};
    StarField field;
    EXPECT_EQ(field.load(catalogue(stars)), 2);
    for (const Star& s : field.stars()) EXPECT_LT(s.polar, 32768);
}

TEST(StarFieldBuckets, AzimuthAndPolarEdges) {
    EXPECT_EQ(StarField::cellOf(65535, 0), 127);
    EXPECT_EQ(StarField::cellOf(0, 0), 0);
    EXPECT_EQ(StarField::cellOf(511, 511), 0);
    EXPECT_EQ(StarField::cellOf(512, 512), 1 + 128);
    EXPECT_EQ(StarField::cellOf(65535, 32767), 127 + 128 * 63);

    StarField field;
    field.load(catalogue({{65535, 0, 1}, {65535, 32767, 2}}));
    EXPECT_EQ(field.node(4, 127, 0).count, 1u);
    EXPECT_EQ(field.node(4, 127, 63).count, 1u);
    EXPECT_EQ(field.node(0, 7, 0).count, 1u);
    EXPECT_EQ(field.node(0, 7, 3).count, 1u);
    EXPECT_EQ(field.stars()[field.node(4, 127, 63).first].brightness, 2);
}

TEST(StarFieldBuckets, EveryNodeHoldsExactlyItsCellsInZOrder) {
    StarField field;
    std::vector<Star> stars = randomStars(6000, 3);
    // Crowd one corner so some cells hold many stars and some none.
    for (int i = 0; i < 500; ++i) stars.push_back({uint16_t(i * 3), uint16_t(30000 + i), 9});
    field.load(catalogue(stars));
    uint32_t largest = 0;
    for (int level = 0; level < StarField::kLevels; ++level) {
        int side = StarField::kTopSide >> level;
        for (int y = 0; y < (StarField::kTopRows << level); ++y) {
            for (int x = 0; x < (StarField::kTopColumns << level); ++x) {
                const StarField::Node& n = field.node(level, x, y);
                size_t expected = 0;
                for (const Star& s : stars) {
                    int cx = s.azimuth / 512, cy = s.polar / 512;
                    if (cx / side == x && cy / side == y) ++expected;
                }
                ASSERT_EQ(n.count, expected) << level << " " << x << " " << y;
                for (uint32_t i = 0; i < n.count; ++i) {
                    const Star& s = field.stars()[n.first + i];
                    ASSERT_EQ(s.azimuth / 512 / side, x);
                    ASSERT_EQ(s.polar / 512 / side, y);
                }
                if (level + 1 < StarField::kLevels) {
                    // Children follow one another inside the parent:
                    // (x, y), (x + 1, y), (x, y + 1), (x + 1, y + 1).
                    uint32_t at = n.first;
                    for (auto [dx, dy] : {std::pair{0, 0}, {1, 0}, {0, 1}, {1, 1}}) {
                        const StarField::Node& c = field.node(level + 1, 2 * x + dx, 2 * y + dy);
                        if (c.count) {
                            ASSERT_EQ(c.first, at);
                        }
                        at += c.count;
                    }
                    ASSERT_EQ(at, n.first + n.count);
                }
                if (level == 0) largest = std::max(largest, n.count);
            }
        }
    }
    EXPECT_EQ(field.largestTopNode(), largest);
}

TEST(StarSprite, BrightnessZeroAndTheMinimum) {
    const float minSize = StarField::minimumSize(800.0f);
    EXPECT_FLOAT_EQ(minSize, 300000.0f);
    // Brightness 0: minimum size, grey trunc(0.1 x 231.81818) = 23.
    EXPECT_EQ(StarField::spriteColor(0.0f, minSize), 0xFF171717u);
    // Exactly the minimum: white; just below: almost white grey.
    EXPECT_EQ(StarField::spriteColor(minSize, minSize), 0xFFFFFFFFu);
    EXPECT_EQ(StarField::spriteColor(minSize * 0.999f, minSize), 0xFFFEFEFEu);
    EXPECT_EQ(StarField::spriteColor(minSize * 0.5f, minSize), 0xFF8B8B8Bu);  // trunc(139.09)
    EXPECT_EQ(StarField::spriteColor(minSize * 3, minSize), 0xFFFFFFFFu);

    SkyVertex v[3];
    StarField::buildSprite({0, 16384, 0}, minSize, v);
    EXPECT_EQ(v[0].color, 0xFF171717u);
    // The triangle is sized by the minimum: its top sits one size above the
    // centre.
    math::Vec3 c = centroid(v);
    EXPECT_NEAR(math::length(math::Vec3{v[1].x, v[1].y, v[1].z} - c), minSize, 1.0f);
}

TEST(StarSprite, TriangleAroundTheTextureSquare) {
    const float minSize = StarField::minimumSize(1000.0f);
    for (Star s : {Star{0, 16384, 200}, Star{12345, 5000, 90}, Star{60000, 30000, 1000}}) {
        SkyVertex v[3];
        StarField::buildSprite(s, minSize, v);
        float size = std::max(float(s.brightness) * 3193.5483f, minSize);
        math::Vec3 p[3] = {{v[0].x, v[0].y, v[0].z}, {v[1].x, v[1].y, v[1].z}, {v[2].x, v[2].y, v[2].z}};
        // Centred on the star's direction at 8e7.
        math::Vec3 c = centroid(v);
        math::Vec3 d = StarField::direction(s.azimuth, s.polar);
        EXPECT_NEAR(math::length(c - d * 8e7f), 0.0f, 20.0f);
        // Equilateral with side sqrt(3) x size (0.866 rounds it slightly).
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(math::length(p[i] - p[(i + 1) % 3]), 1.732f * size, 0.002f * size);
        // Flat to the line of sight and wound to face the centre.
        math::Vec3 n = math::cross(p[1] - p[0], p[2] - p[0]);
        EXPECT_NEAR(std::abs(math::dot(math::normalize(n), d)), 1.0f, 1e-3f);
        EXPECT_LT(math::dot(n, p[0]), 0.0f);
        EXPECT_FLOAT_EQ(v[0].u, -0.366f);
        EXPECT_FLOAT_EQ(v[1].v, -0.5f);
        EXPECT_FLOAT_EQ(v[2].u, 1.366f);
        EXPECT_EQ(v[0].color, s.brightness * 3193.5483f >= minSize ? 0xFFFFFFFFu : v[0].color);
    }
}

struct CullResult {
    size_t emitted = 0;
    size_t emittedInside = 0;
    double worstOutsideAngle = 0;  // degrees beyond the view axis of any emitted star
};

CullResult cullAll(StarField& field, const TestFrustum& view, const math::Matrix& world, float focal) {
    CullResult r;
    SphereTest test = view.sphereTest();
    for (int row = 0; row < StarField::kTopRows; ++row)
        for (int col = 0; col < StarField::kTopColumns; ++col) {
            int n = field.buildTopNode(col, row, world, test, focal);
            auto sprites = field.sprites();
            EXPECT_EQ(sprites.size(), size_t(n) * 3);
            for (int i = 0; i < n; ++i) {
                math::Vec3 c = math::transformCoord(centroid(&sprites[size_t(i) * 3]), world);
                ++r.emitted;
                if (view.contains(c)) ++r.emittedInside;
                double ang = std::acos(std::clamp(double(math::dot(math::normalize(c), view.direction())), -1.0, 1.0));
                r.worstOutsideAngle = std::max(r.worstOutsideAngle, ang * 180 / 3.141592653589793);
            }
        }
    return r;
}

TEST(StarFieldCulling, PartOfTheSkyEmitsItsStarsAndLittleElse) {
    std::vector<Star> stars = randomStars(20000, 4);
    StarField field;
    field.load(catalogue(stars));
    const math::Matrix world = StarField::skyWorld(1.234f);
    const math::Vec3 views[] = {{1, 0.2f, 0.3f}, {0, 1, 0.01f}, {-0.3f, -0.9f, 0.2f}, {0.2f, 0.05f, -1}};
    for (const math::Vec3& dir : views) {
        TestFrustum view({3, -5, 2}, dir, {0, 1, 0}, 1.0f, 4.0f / 3.0f);
        size_t visible = 0;
        for (const Star& s : stars) {
            math::Vec3 p = math::transformCoord(StarField::direction(s.azimuth, s.polar) * 8e7f, world);
            if (view.contains(p)) ++visible;
        }
        CullResult r = cullAll(field, view, world, 1000.0f);
        // Every star in view is emitted, once; the rest come from cells the
        // view only touches.
        EXPECT_EQ(r.emittedInside, visible);
        EXPECT_GE(r.emitted, visible);
        EXPECT_LT(r.emitted, stars.size() / 3);
        EXPECT_LT(r.worstOutsideAngle, 75.0);
        EXPECT_GT(visible, 0u);
    }
}

TEST(StarFieldCulling, AllInsideOrAllOutside) {
    StarField field;
    field.load(catalogue(randomStars(3000, 5)));
    const math::Matrix world = StarField::skyWorld(0);
    size_t all = 0, none = 0;
    SphereTest inside = [](const math::Vec3&, float) { return SphereVisibility::Inside; };
    SphereTest outside = [](const math::Vec3&, float) { return SphereVisibility::Outside; };
    SphereTest partial = [](const math::Vec3&, float) { return SphereVisibility::Partial; };
    size_t allPartial = 0;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 8; ++col) {
            all += size_t(field.buildTopNode(col, row, world, inside, 900));
            none += size_t(field.buildTopNode(col, row, world, outside, 900));
            allPartial += size_t(field.buildTopNode(col, row, world, partial, 900));
        }
    EXPECT_EQ(all, 3000u);
    EXPECT_EQ(none, 0u);
    EXPECT_EQ(allPartial, 3000u);  // down to single cells, then emitted
    EXPECT_EQ(field.buildTopNode(8, 0, world, inside, 900), 0);
    EXPECT_EQ(field.buildTopNode(0, 0, world, SphereTest{}, 900), 0);
}

TEST(StarFieldSky, StarsStandWhereTheSunAndMoonAre) {
    // A star placed at the Sun's (or the Moon's) right ascension and
    // declination must appear in the Sun's (Moon's) scene direction.
    for (UtcTime when : {UtcTime{2000, 3, 20, 7, 35, 0, 0}, UtcTime{2013, 11, 3, 21, 0, 0, 0},
                         UtcTime{2024, 7, 1, 5, 30, 0, 0}}) {
        SceneAstronomy a = computeAstronomy(when);
        double jd = AstroClock::julianDay(when);
        SunPositionResult sun = AstroClock::sunPosition(jd);
        MoonPositionResult moonEcl = AstroClock::moonPosition(jd);
        EquatorialPosition moon = AstroClock::eclipticToEquatorial(jd, moonEcl.longitude, moonEcl.latitude);
        math::Matrix world = StarField::skyWorld(a.sunRightAscension);
        auto place = [&](double ra, double dec) {
            auto az = uint16_t(std::lround(ra / 360.0 * 65536.0) & 0xFFFF);
            auto polar = uint16_t(std::lround((dec + 90.0) / 360.0 * 65536.0));
            return math::transformNormal(StarField::direction(az, polar), world);
        };
        math::Vec3 sunStar = place(sun.rightAscension, sun.declination);
        EXPECT_GT(math::dot(sunStar, sunDirection(a)), std::cos(0.05f * 3.14159265f / 180));
        math::Vec3 moonStar = place(moon.rightAscension, moon.declination);
        EXPECT_GT(math::dot(moonStar, hourAngleDirection(a.moonHourAngle, a.moonDeclination)),
                  std::cos(0.05f * 3.14159265f / 180));
    }
}

TEST(StarFieldDraw, BackdropThenOneDrawPerLitTopNode) {
    StarField field;
    // Stars in three top nodes only.
    std::vector<Star> stars;
    for (int i = 0; i < 40; ++i) stars.push_back({uint16_t(100 + i), uint16_t(9000 + i), 50});   // top (0, 1)
    for (int i = 0; i < 25; ++i) stars.push_back({uint16_t(30000 + i), uint16_t(20000), 0});   // top (3, 2)
    for (int i = 0; i < 5; ++i) stars.push_back({uint16_t(65000), uint16_t(100 + i), 900});   // top (7, 0)
    field.load(catalogue(stars));
    gfx::Texture space(8, 8, 1, gfx::Format::A8R8G8B8, gfx::Pool::Managed);
    gfx::Texture star(8, 8, 1, gfx::Format::R5G6B5, gfx::Pool::Managed);
    field.restore(&space, &star);

    gfx::RecordingDevice device;
    device.setRenderState(gfx::RenderState::Lighting, 1);
    device.setRenderState(gfx::RenderState::AlphaBlendEnable, 1);
    device.setRenderState(gfx::RenderState::SrcBlend, gfx::kBlendSrcAlpha);
    device.setRenderState(gfx::RenderState::DestBlend, gfx::kBlendInvSrcAlpha);
    device.setCaptureGeometry(true);
    SphereTest everything = [](const math::Vec3&, float) { return SphereVisibility::Inside; };
    field.draw(device, 0.7f, everything, 1000.0f);

    const auto& draws = device.draws();
    ASSERT_EQ(draws.size(), 32u + 3u);
    const math::Matrix base = StarField::skyWorld(0.7f);
    for (int s = 0; s < 8; ++s) {
        for (int r = 0; r < 4; ++r) {
            const auto& d = draws[size_t(4 * s + r)];
            EXPECT_EQ(d.type, gfx::PrimitiveType::TriangleList);
            EXPECT_EQ(d.primitiveCount, 8u);
            EXPECT_EQ(d.vertexCount, 9u);
            EXPECT_EQ(d.stride, 24u);
            EXPECT_EQ(d.fvf, gfx::kFvfPosDiffuseTex1);
            EXPECT_EQ(d.texture0, &space);
            EXPECT_FALSE(d.lighting);
            EXPECT_FALSE(d.alphaBlend);  // opaque: nothing to blend with
            EXPECT_EQ(d.world, math::matrixRotationY(-float(s) * 2 * 3.14159265f / 8) * base);
            ASSERT_EQ(d.vertices.size(), 9u * 24u);
            for (int j = 0; j < 3; ++j)
                for (int k = 0; k < 3; ++k) {
                    const uint8_t* v = d.vertices.data() + (3 * j + k) * 24;
                    EXPECT_EQ(io::loadU32(v + 12), 0xFFF0F0F0u);
                    EXPECT_FLOAT_EQ(io::loadF32(v + 16), float(k) / 16 + float(s) / 8);
                    EXPECT_FLOAT_EQ(io::loadF32(v + 20), float(4 - r) / 4 - float(j) / 8);
                    math::Vec3 p{io::loadF32(v), io::loadF32(v + 4), io::loadF32(v + 8)};
                    EXPECT_NEAR(math::length(p), 0.9e8f, 50.0f);
                }
        }
    }
    // Top nodes row by row: (7, 0), then (0, 1), then (3, 2).
    uint32_t spriteTriangles[3] = {5, 40, 25};
    for (int i = 0; i < 3; ++i) {
        const auto& d = draws[size_t(32 + i)];
        EXPECT_EQ(d.primitiveCount, spriteTriangles[i]);
        EXPECT_EQ(d.vertexCount, 3 * spriteTriangles[i]);
        EXPECT_EQ(d.stride, 24u);
        EXPECT_EQ(d.fvf, gfx::kFvfPosDiffuseTex1);
        EXPECT_EQ(d.texture0, &star);
        EXPECT_EQ(d.world, base);
        EXPECT_FALSE(d.lighting);
        EXPECT_TRUE(d.alphaBlend);
        EXPECT_EQ(d.srcBlend, gfx::kBlendSrcColor);
        EXPECT_EQ(d.destBlend, gfx::kBlendOne);
    }
    EXPECT_EQ(device.renderState(gfx::RenderState::Lighting), 1u);
    EXPECT_EQ(device.renderState(gfx::RenderState::SrcBlend), uint32_t(gfx::kBlendSrcAlpha));
    EXPECT_EQ(device.renderState(gfx::RenderState::DestBlend), uint32_t(gfx::kBlendInvSrcAlpha));
    EXPECT_EQ(device.renderState(gfx::RenderState::AlphaBlendEnable), 1u);
}

TEST(StarFieldDraw, WithoutTexturesOrStarsOnlyTheBackdrop) {
    StarField field;
    gfx::RecordingDevice device;
    device.setCaptureGeometry(true);
    SphereTest everything = [](const math::Vec3&, float) { return SphereVisibility::Inside; };
    field.draw(device, 0.0f, everything, 1000.0f);
    ASSERT_EQ(device.draws().size(), 32u);
    for (const auto& d : device.draws()) {
        EXPECT_EQ(d.texture0, nullptr);
        // No space image: plain black space, still painted every frame.
        for (size_t v = 0; v < d.vertices.size(); v += 24) EXPECT_EQ(io::loadU32(&d.vertices[v + 12]), 0xFF000000u);
    }

    // Released textures draw untextured.
    field.load(catalogue(randomStars(50, 6)));
    gfx::Texture space(8, 8, 1, gfx::Format::A8R8G8B8, gfx::Pool::Managed);
    field.restore(&space, nullptr);
    field.release();
    device.clearRecord();
    field.draw(device, 0.0f, everything, 1000.0f);
    ASSERT_GT(device.draws().size(), 32u);
    for (const auto& d : device.draws()) EXPECT_EQ(d.texture0, nullptr);
}

TEST(SkyBackdrop, StripsCoverTheWholeSphereFromInside) {
    SkyBackdrop sky;
    ASSERT_EQ(sky.vertices().size(), 36u);
    ASSERT_EQ(sky.indices().size(), 24u);
    // Strip s covers azimuths s x 45 .. (s + 1) x 45 degrees once turned.
    for (int s = 0; s < 8; ++s) {
        math::Matrix w = math::matrixRotationY(-float(s) * 2 * 3.14159265f / 8);
        for (int r = 0; r < 4; ++r) {
            for (int k = 0; k < 3; ++k) {
                const SkyVertex& v = sky.vertices()[size_t(9 * r + 3 + k)];
                math::Vec3 p = math::transformCoord({v.x, v.y, v.z}, w);
                double az = std::atan2(p.z, p.x) * 180 / 3.141592653589793;
                double diff = std::fmod(az - (45.0 * s + 22.5 * k) + 540.0, 360.0) - 180.0;
                EXPECT_NEAR(diff, 0.0, 0.01) << s << " " << k;
            }
        }
    }
    // Seen from the centre every triangle of every patch is clockwise.
    for (int r = 0; r < 4; ++r) {
        const SkyVertex* patch = sky.vertices().data() + 9 * r;
        for (size_t t = 0; t < 24; t += 3) {
            const SkyVertex &a = patch[sky.indices()[t]], &b = patch[sky.indices()[t + 1]],
                            &c = patch[sky.indices()[t + 2]];
            math::Vec3 pa{a.x, a.y, a.z}, pb{b.x, b.y, b.z}, pc{c.x, c.y, c.z};
            math::Vec3 n = math::cross(pb - pa, pc - pa);
            // Degenerate only at the poles, where a row collapses to a point.
            if (math::length(n) > 1e12f) {
                EXPECT_LT(math::dot(n, pa + pb + pc), 0.0f) << r << " " << t;
            }
        }
    }
}

}  // namespace
}  // namespace tnx::globe
