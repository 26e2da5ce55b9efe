#include "globe/sky/scene_astronomy.h"

#include <cmath>

namespace tnx::globe {

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kDegToRad = kPi / 180.0;
}  // namespace

void computeAstronomy(const UtcTime& when, SceneAstronomy& out) {
    double jd = AstroClock::julianDay(when);
    double gmstDegrees = 15.0 * AstroClock::siderealTime(jd);

    SunPositionResult sun = AstroClock::sunPosition(jd);
    double sunHour = AstroClock::foldHourAngle(gmstDegrees - sun.rightAscension);

    MoonPositionResult moonEcliptic = AstroClock::moonPosition(jd);
    EquatorialPosition moon = AstroClock::eclipticToEquatorial(jd, moonEcliptic.longitude, moonEcliptic.latitude);
    double moonHour = AstroClock::foldHourAngle(gmstDegrees - moon.rightAscension);

    double spin = kPi + sunHour * kDegToRad;
    out.sunHourAngle = float(kPi);
    out.spinAngle = float(spin);
    out.sunDeclination = float(sun.declination * kDegToRad);
    out.moonHourAngle = float(spin - moonHour * kDegToRad);
    out.moonDeclination = float(moon.declination * kDegToRad);
    out.sunRightAscension = float(sun.rightAscension * 2 * kPi / 360.0);
    double dayFraction = jd - std::trunc(jd) - 0.5;
    if (dayFraction < 0) dayFraction += 1.0;
    out.dayAngle = float(dayFraction * 2 * kPi);
    out.julianDay = jd;
}

math::Vec3 hourAngleDirection(float hourAngle, float declination) {
    float c = std::cos(declination);
    return {c * std::cos(hourAngle), std::sin(declination), c * std::sin(hourAngle)};
}

math::Vec3 sunDirection(const SceneAstronomy& a) { return hourAngleDirection(a.sunHourAngle, a.sunDeclination); }

}  // namespace tnx::globe
