#include "globe/sky/scene_astronomy.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tnx::globe {
namespace {

constexpr double kPi = 3.14159265358979323846;

double angleBetween(const math::Vec3& a, const math::Vec3& b) {
    double c = math::dot(a, b) / (math::length(a) * math::length(b));
    return std::acos(std::fmin(1.0, std::fmax(-1.0, c)));
}

// Azimuth about +Y of a geographic longitude on the spun globe.
math::Vec3 surfacePoint(double longitude, double latitude, double spin) {
    return {float(std::cos(latitude) * std::cos(longitude + spin)), float(std::sin(latitude)),
            float(std::cos(latitude) * std::sin(longitude + spin))};
}

TEST(SceneAstronomy, SunSlotIsFixedAndFieldsAreFinite) {
    SceneAstronomy a = computeAstronomy(UtcTime{2021, 7, 4, 9, 30, 15, 250});
    EXPECT_FLOAT_EQ(a.sunHourAngle, float(kPi));
    for (float v : {a.sunDeclination, a.spinAngle, a.moonHourAngle, a.moonDeclination, a.sunRightAscension,
                    a.dayAngle})
        EXPECT_TRUE(std::isfinite(v));
    // The spin stays within half a turn of pi (the hour angle is folded).
    EXPECT_GT(a.spinAngle, 0.0f);
    EXPECT_LE(a.spinAngle, float(2 * kPi) + 1e-6f);
}

TEST(SceneAstronomy, SubSolarPointFacesTheSun) {
    // 2000 March 20 near the equinox: the Sun crosses Greenwich about 12:07:30
    // UT (the equation of time is about -7.5 min), over the equator.
    SceneAstronomy a = computeAstronomy(UtcTime{2000, 3, 20, 12, 7, 30, 0});
    math::Vec3 greenwichEquator = surfacePoint(0, 0, a.spinAngle);
    EXPECT_LT(angleBetween(greenwichEquator, sunDirection(a)), 0.25 * kPi / 180);
    // At the equinox itself (07:35 UT) the terminator runs through both
    // poles: the Sun lies in the equatorial plane.
    SceneAstronomy e = computeAstronomy(UtcTime{2000, 3, 20, 7, 35, 0, 0});
    EXPECT_NEAR(sunDirection(e).y, 0.0, std::sin(0.01 * kPi / 180));
    math::Vec3 northPole{0, 1, 0};
    EXPECT_NEAR(angleBetween(northPole, sunDirection(e)), kPi / 2, 0.01 * kPi / 180);
}

TEST(SceneAstronomy, SolsticeSunOverTheTropic) {
    SceneAstronomy a = computeAstronomy(UtcTime{2000, 6, 21, 1, 48, 0, 0});
    EXPECT_NEAR(a.sunDeclination, 23.4393 * kPi / 180, 0.01 * kPi / 180);
    EXPECT_NEAR(a.sunRightAscension, kPi / 2, 0.02 * kPi / 180);
    // Six months later the other tropic and the opposite right ascension.
    SceneAstronomy b = computeAstronomy(UtcTime{2000, 12, 21, 13, 37, 0, 0});
    EXPECT_NEAR(b.sunDeclination, -23.4393 * kPi / 180, 0.01 * kPi / 180);
    EXPECT_NEAR(b.sunRightAscension, 1.5 * kPi, 0.02 * kPi / 180);
}

TEST(SceneAstronomy, TotalLunarEclipsePutsTheMoonOppositeTheSun) {
    // Greatest eclipse 2000 January 21, 04:44 UT.
    SceneAstronomy a = computeAstronomy(UtcTime{2000, 1, 21, 4, 44, 0, 0});
    math::Vec3 moon = hourAngleDirection(a.moonHourAngle, a.moonDeclination);
    EXPECT_LT(angleBetween(moon, -sunDirection(a)), 1.0 * kPi / 180);
}

TEST(SceneAstronomy, SolarEclipsePutsTheMoonBeforeTheSun) {
    // Total solar eclipse 1999 August 11, greatest at 11:03 UT. Seen from the
    // Earth's centre the Moon is within its parallax (about a degree).
    SceneAstronomy a = computeAstronomy(UtcTime{1999, 8, 11, 11, 3, 0, 0});
    math::Vec3 moon = hourAngleDirection(a.moonHourAngle, a.moonDeclination);
    EXPECT_LT(angleBetween(moon, sunDirection(a)), 1.2 * kPi / 180);
    // Before noon at Greenwich the Sun stands over the east: with the equation
    // of time at about -5.3 min the sub-solar point is near 15.6 E, 15.2 N.
    math::Vec3 subSolar = surfacePoint(15.6 * kPi / 180, 15.2 * kPi / 180, a.spinAngle);
    EXPECT_LT(angleBetween(subSolar, sunDirection(a)), 0.5 * kPi / 180);
}

TEST(SceneAstronomy, DayAngleFollowsUniversalTime) {
    EXPECT_NEAR(computeAstronomy(UtcTime{2010, 5, 5, 0, 0, 0, 0}).dayAngle, 0.0, 1e-5);
    EXPECT_NEAR(computeAstronomy(UtcTime{2010, 5, 5, 6, 0, 0, 0}).dayAngle, 0.5 * kPi, 1e-5);
    EXPECT_NEAR(computeAstronomy(UtcTime{2010, 5, 5, 12, 0, 0, 0}).dayAngle, kPi, 1e-5);
    EXPECT_NEAR(computeAstronomy(UtcTime{2010, 5, 5, 18, 0, 0, 0}).dayAngle, 1.5 * kPi, 1e-5);
}

TEST(SceneAstronomy, GlobeTurnsOnceADayEastward) {
    // An hour later the spin grows by about 15 degrees (a solar day of
    // spin against the fixed Sun).
    SceneAstronomy a = computeAstronomy(UtcTime{2010, 5, 5, 3, 0, 0, 0});
    SceneAstronomy b = computeAstronomy(UtcTime{2010, 5, 5, 4, 0, 0, 0});
    EXPECT_NEAR(b.spinAngle - a.spinAngle, 15.0 * kPi / 180, 0.01 * kPi / 180);
    // Milliseconds count.
    SceneAstronomy c = computeAstronomy(UtcTime{2010, 5, 5, 3, 0, 0, 900});
    EXPECT_GT(c.spinAngle, a.spinAngle);
}

}  // namespace
}  // namespace tnx::globe
