// The astronomical clock: UTC instants, Julian days, sidereal time and the
// low-precision positions of the Sun and the Moon the scene is lit and laid
// out by. Angles in and out of the position routines are degrees.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tnx::globe {

// A UTC calendar instant (month 1..12).
struct UtcTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 12;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    bool operator==(const UtcTime&) const = default;
};

struct EquatorialPosition {
    double rightAscension = 0;  // degrees, [0, 360)
    double declination = 0;     // degrees
};

struct SunPositionResult {
    double rightAscension = 0;  // degrees, [0, 360)
    double declination = 0;     // degrees
    double radiusVector = 1;    // astronomical units
    double longitude = 0;       // true ecliptic longitude, degrees
};

struct MoonPositionResult {
    double longitude = 0;  // ecliptic, degrees, [0, 360)
    double latitude = 0;   // ecliptic, degrees
    double distance = 0;   // km, centre to centre
};

class AstroClock {
public:
    // --- the instant ---
    // The instant now() answers: the system clock's UTC, unless a fixed
    // instant was set (a command-line override, or a test).
    void setFixedTime(std::optional<UtcTime> fixed) { fixed_ = fixed; }
    const std::optional<UtcTime>& fixedTime() const { return fixed_; }
    UtcTime now() const;

    static UtcTime systemUtc();
    static UtcTime fromUnixMilliseconds(int64_t ms);
    static int64_t toUnixMilliseconds(const UtcTime& t);
    // "YYYY-MM-DD", "YYYY-MM-DDTHH:MM", "YYYY-MM-DDTHH:MM:SS[.mmm]", with a
    // space allowed for the T and an optional trailing Z. Empty on anything
    // malformed or out of range.
    static std::optional<UtcTime> parse(std::string_view text);

    // --- the algorithms ---
    // Julian day at the given UT; the Gregorian reform applies from
    // 1582-10-05 on (earlier dates use the Julian calendar).
    static double julianDay(int year, int month, int day, int hour, int minute, int second);
    // julianDay plus the milliseconds.
    static double julianDay(const UtcTime& t);
    // Greenwich mean sidereal time in hours, [0, 24).
    static double siderealTime(double jd);
    // Mean obliquity of the ecliptic in degrees (Laskar; the constant term
    // alone outside ±10,000 years of J2000).
    static double meanObliquity(double jd);
    static SunPositionResult sunPosition(double jd);
    static MoonPositionResult moonPosition(double jd);
    static EquatorialPosition eclipticToEquatorial(double jd, double longitude, double latitude);
    // The same with the obliquity given (degrees).
    static EquatorialPosition eclipticToEquatorialWithObliquity(double longitude, double latitude,
                                                                double obliquity);
    // Solves E - e sin E = M (radians) by Newton's method from E = M.
    static double solveKepler(double meanAnomaly, double eccentricity);
    // Folds an hour angle in degrees into (-180, 180]: only values above 180
    // (or below -180) move.
    static double foldHourAngle(double degrees);

private:
    std::optional<UtcTime> fixed_;
};

}  // namespace tnx::globe
