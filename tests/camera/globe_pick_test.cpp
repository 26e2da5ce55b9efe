#include "camera/globe_pick.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tnx::camera {
namespace {

using math::Vec3;
constexpr float kR = 63.71f;

TEST(GlobePickTest, HitsTheNearSideAndReportsLongitudeLatitude) {
    GlobePick p = pickGlobe({300, 0, 0}, {-1, 0, 0}, kR, 0);
    ASSERT_TRUE(p.hit);
    EXPECT_NEAR(p.point.x, kR, 1e-3);
    EXPECT_NEAR(p.longitude, 0, 1e-6);
    EXPECT_NEAR(p.latitude, 0, 1e-6);

    // A point at longitude 1, latitude 0.5 on a globe turned by 0.4.
    const float lon = 1.0f, lat = 0.5f, spin = 0.4f;
    Vec3 dir{std::cos(lat) * std::cos(lon + spin), std::sin(lat), std::cos(lat) * std::sin(lon + spin)};
    p = pickGlobe(dir * 500, -dir, kR, spin);
    ASSERT_TRUE(p.hit);
    EXPECT_NEAR(p.longitude, lon, 1e-4);
    EXPECT_NEAR(p.latitude, lat, 1e-4);
}

TEST(GlobePickTest, LongitudeIsFoldedIntoOneTurn) {
    // Hit at azimuth pi - 0.1 on a globe spun by -0.3: longitude pi + 0.2 folds to -pi + 0.2.
    float az = math::kPi - 0.1f;
    Vec3 dir{std::cos(az), 0, std::sin(az)};
    GlobePick p = pickGlobe(dir * 200, -dir, kR, -0.3f);
    ASSERT_TRUE(p.hit);
    EXPECT_NEAR(p.longitude, -math::kPi + 0.2f, 1e-4);
    p = pickGlobe(dir * 200, -dir, kR, 7 * 2 * math::kPi + 0.1f);  // many turns
    EXPECT_NEAR(p.longitude, az - 0.1f, 1e-3);
}

TEST(GlobePickTest, NearThePolesLatitudeStaysAccurate) {
    float lat = 1.55f;
    Vec3 dir{std::cos(lat), std::sin(lat), 0};
    GlobePick p = pickGlobe(dir * 100, -dir, kR, 0);
    ASSERT_TRUE(p.hit);
    EXPECT_NEAR(p.latitude, lat, 1e-4);
    p = pickGlobe(-dir * 100, dir, kR, 0);
    EXPECT_NEAR(p.latitude, -lat, 1e-4);
}

TEST(GlobePickTest, MissesPastTheEdgeBehindTheCameraAndFromInside) {
    EXPECT_FALSE(pickGlobe({300, 0, 0}, {-1, 0.3f, 0}, kR, 0).hit);  // passes above
    EXPECT_FALSE(pickGlobe({300, 0, 0}, {1, 0, 0}, kR, 0).hit);      // looking away
    EXPECT_FALSE(pickGlobe({0, 0, -30}, {0, 0, 1}, kR, 0).hit);      // camera inside the globe
    EXPECT_FALSE(pickGlobe({300, 0, 0}, {0, 0, 0}, kR, 0).hit);      // no ray
    // Grazing the rim still hits.
    EXPECT_TRUE(pickGlobe({300, kR - 0.01f, 0}, {-1, 0, 0}, kR, 0).hit);
}

}  // namespace
}  // namespace tnx::camera
