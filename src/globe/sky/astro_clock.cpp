#include "globe/sky/astro_clock.h"

#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>

namespace tnx::globe {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegToRad = kPi / 180.0;
constexpr double kRadToDeg = 180.0 / kPi;

double reduceDegrees(double deg) {
    double r = std::fmod(deg, 360.0);
    if (r < 0) r += 360.0;
    // fmod of a tiny negative value can round up to exactly 360
    return r >= 360.0 ? 0.0 : r;
}

double reduceRadians(double rad) {
    double r = std::fmod(rad, 2 * kPi);
    return r < 0 ? r + 2 * kPi : r;
}

// Periodic terms of the truncated lunar theory: multiples of D, M, M', F and
// the coefficients of sin (longitude, 1e-6 degree) and cos (distance, m).
struct LongitudeDistanceTerm {
    int8_t d, m, mp, f;
    int32_t longitude, distance;
};
struct LatitudeTerm {
    int8_t d, m, mp, f;
    int32_t latitude;
};

constexpr std::array<LongitudeDistanceTerm, 60> kLongitudeDistanceTerms{{
    {0, 0, 1, 0, 6288774, -20905355},
    {2, 0, -1, 0, 1274027, -3699111},
    {2, 0, 0, 0, 658314, -2955968},
    {0, 0, 2, 0, 213618, -569925},
    {0, 1, 0, 0, -185116, 48888},
    {0, 0, 0, 2, -114332, -3149},
    {2, 0, -2, 0, 58793, 246158},
    {2, -1, -1, 0, 57066, -152138},
    {2, 0, 1, 0, 53322, -170733},
    {2, -1, 0, 0, 45758, -204586},
    {0, 1, -1, 0, -40923, -129620},
    {1, 0, 0, 0, -34720, 108743},
    {0, 1, 1, 0, -30383, 104755},
    {2, 0, 0, -2, 15327, 10321},
    {0, 0, 1, 2, -12528, 0},
    {0, 0, 1, -2, 10980, 79661},
    {4, 0, -1, 0, 10675, -34782},
    {0, 0, 3, 0, 10034, -23210},
    {4, 0, -2, 0, 8548, -21636},
    {2, 1, -1, 0, -7888, 24208},
    {2, 1, 0, 0, -6766, 30824},
    {1, 0, -1, 0, -5163, -8379},
    {1, 1, 0, 0, 4987, -16675},
    {2, -1, 1, 0, 4036, -12831},
    {2, 0, 2, 0, 3994, -10445},
    {4, 0, 0, 0, 3861, -11650},
    {2, 0, -3, 0, 3665, 14403},
    {0, 1, -2, 0, -2689, -7003},
    {2, 0, -1, 2, -2602, 0},
    {2, -1, -2, 0, 2390, 10056},
    {1, 0, 1, 0, -2348, 6322},
    {2, -2, 0, 0, 2236, -9884},
    {0, 1, 2, 0, -2120, 5751},
    {0, 2, 0, 0, -2069, 0},
    {2, -2, -1, 0, 2048, -4950},
    {2, 0, 1, -2, -1773, 4130},
    {2, 0, 0, 2, -1595, 0},
    {4, -1, -1, 0, 1215, -3958},
    {0, 0, 2, 2, -1110, 0},
    {3, 0, -1, 0, -892, 3258},
    {2, 1, 1, 0, -810, 2616},
    {4, -1, -2, 0, 759, -1897},
    {0, 2, -1, 0, -713, -2117},
    {2, 2, -1, 0, -700, 2354},
    {2, 1, -2, 0, 691, 0},
    {2, -1, 0, -2, 596, 0},
    {4, 0, 1, 0, 549, -1423},
    {0, 0, 4, 0, 537, -1117},
    {4, -1, 0, 0, 520, -1571},
    {1, 0, -2, 0, -487, -1739},
    {2, 1, 0, -2, -399, 0},
    {0, 0, 2, -2, -381, -4421},
    {1, 1, 1, 0, 351, 0},
    {3, 0, -2, 0, -340, 0},
    {4, 0, -3, 0, 330, 0},
    {2, -1, 2, 0, 327, 0},
    {0, 2, 1, 0, -323, 1165},
    {1, 1, -1, 0, 299, 0},
    {2, 0, 3, 0, 294, 0},
    {2, 0, -1, -2, 0, 8752},
}};

constexpr std::array<LatitudeTerm, 60> kLatitudeTerms{{
    {0, 0, 0, 1, 5128122},
    {0, 0, 1, 1, 280602},
    {0, 0, 1, -1, 277693},
    {2, 0, 0, -1, 173237},
    {2, 0, -1, 1, 55413},
    {2, 0, -1, -1, 46271},
    {2, 0, 0, 1, 32573},
    {0, 0, 2, 1, 17198},
    {2, 0, 1, -1, 9266},
    {0, 0, 2, -1, 8822},
    {2, -1, 0, -1, 8216},
    {2, 0, -2, -1, 4324},
    {2, 0, 1, 1, 4200},
    {2, 1, 0, -1, -3359},
    {2, -1, -1, 1, 2463},
    {2, -1, 0, 1, 2211},
    {2, -1, -1, -1, 2065},
    {0, 1, -1, -1, -1870},
    {4, 0, -1, -1, 1828},
    {0, 1, 0, 1, -1794},
    {0, 0, 0, 3, -1749},
    {0, 1, -1, 1, -1565},
    {1, 0, 0, 1, -1491},
    {0, 1, 1, 1, -1475},
    {0, 1, 1, -1, -1410},
    {0, 1, 0, -1, -1344},
    {1, 0, 0, -1, -1335},
    {0, 0, 3, 1, 1107},
    {4, 0, 0, -1, 1021},
    {4, 0, -1, 1, 833},
    {0, 0, 1, -3, 777},
    {4, 0, -2, 1, 671},
    {2, 0, 0, -3, 607},
    {2, 0, 2, -1, 596},
    {2, -1, 1, -1, 491},
    {2, 0, -2, 1, -451},
    {0, 0, 3, -1, 439},
    {2, 0, 2, 1, 422},
    {2, 0, -3, -1, 421},
    {2, 1, -1, 1, -366},
    {2, 1, 0, 1, -351},
    {4, 0, 0, 1, 331},
    {2, -1, 1, 1, 315},
    {2, -2, 0, -1, 302},
    {0, 0, 1, 3, -283},
    {2, 1, 1, -1, -229},
    {1, 1, 0, -1, 223},
    {1, 1, 0, 1, 223},
    {0, 1, -2, -1, -220},
    {2, 1, -1, -1, -220},
    {1, 0, 1, 1, -185},
    {2, -1, -2, -1, 181},
    {0, 1, 2, 1, -177},
    {4, 0, -2, -1, 176},
    {4, -1, -1, -1, 166},
    {1, 0, 1, -1, -164},
    {4, 0, 1, -1, 132},
    {1, 0, -1, -1, -119},
    {4, -1, 0, -1, 115},
    {2, -2, 0, 1, 107},
}};

// Terms in the Sun's mean anomaly shrink with the Earth's eccentricity.
double eccentricityFactor(int m, double e) {
    switch (std::abs(m)) {
        case 1: return e;
        case 2: return e * e;
        default: return 1.0;
    }
}

bool parseInt(std::string_view& s, size_t digits, int& out) {
    if (s.size() < digits) return false;
    int v = 0;
    for (size_t i = 0; i < digits; ++i) {
        char c = s[i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    out = v;
    s.remove_prefix(digits);
    return true;
}

bool take(std::string_view& s, char c) {
    if (s.empty() || s.front() != c) return false;
    s.remove_prefix(1);
    return true;
}

}  // namespace

UtcTime AstroClock::now() const { return fixed_ ? *fixed_ : systemUtc(); }

UtcTime AstroClock::systemUtc() {
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    return fromUnixMilliseconds(ms);
}

UtcTime AstroClock::fromUnixMilliseconds(int64_t ms) {
    using namespace std::chrono;
    sys_time<milliseconds> tp{milliseconds{ms}};
    auto dayStart = floor<days>(tp);
    year_month_day ymd{dayStart};
    hh_mm_ss<milliseconds> hms{tp - dayStart};
    UtcTime t;
    t.year = int(ymd.year());
    t.month = int(unsigned(ymd.month()));
    t.day = int(unsigned(ymd.day()));
    t.hour = int(hms.hours().count());
    t.minute = int(hms.minutes().count());
    t.second = int(hms.seconds().count());
    t.millisecond = int(hms.subseconds().count());
    return t;
}

int64_t AstroClock::toUnixMilliseconds(const UtcTime& t) {
    using namespace std::chrono;
    const sys_days day{year{t.year} / month{unsigned(t.month)} / std::chrono::day{unsigned(t.day)}};
    return duration_cast<milliseconds>(day.time_since_epoch()).count() +
           ((int64_t(t.hour) * 60 + t.minute) * 60 + t.second) * 1000 + t.millisecond;
}

std::optional<UtcTime> AstroClock::parse(std::string_view s) {
    UtcTime t;
    t.hour = 0;
    if (!parseInt(s, 4, t.year) || !take(s, '-') || !parseInt(s, 2, t.month) || !take(s, '-') ||
        !parseInt(s, 2, t.day))
        return std::nullopt;
    if (!s.empty() && (s.front() == 'T' || s.front() == ' ')) {
        s.remove_prefix(1);
        if (!parseInt(s, 2, t.hour) || !take(s, ':') || !parseInt(s, 2, t.minute)) return std::nullopt;
        if (take(s, ':')) {
            if (!parseInt(s, 2, t.second)) return std::nullopt;
            if (take(s, '.')) {
                if (!parseInt(s, 3, t.millisecond)) return std::nullopt;
            }
        }
    }
    take(s, 'Z');
    if (!s.empty()) return std::nullopt;
    using namespace std::chrono;
    year_month_day ymd{year{t.year}, month{unsigned(t.month)}, day{unsigned(t.day)}};
    if (!ymd.ok() || t.hour > 23 || t.minute > 59 || t.second > 59) return std::nullopt;
    return t;
}

double AstroClock::julianDay(int year, int month, int day, int hour, int minute, int second) {
    if (month <= 2) {
        year -= 1;
        month += 12;
    }
    // The Gregorian reform: 1582-10-04 was followed by 1582-10-15.
    bool julian = year < 1582 || (year == 1582 && (month < 10 || (month == 10 && day < 5)));
    int b = 0;
    if (!julian) {
        int a = year / 100;
        b = 2 - a + a / 4;
    }
    return std::trunc(365.25 * (year + 4716)) + std::trunc(30.6001 * (month + 1)) + day + b - 1524.5 +
           (second + 60.0 * minute + 3600.0 * hour) / 86400.0;
}

double AstroClock::julianDay(const UtcTime& t) {
    return julianDay(t.year, t.month, t.day, t.hour, t.minute, t.second) + t.millisecond * 1.1574074e-8;
}

double AstroClock::siderealTime(double jd) {
    double j0 = std::floor(jd + 0.5) - 0.5;
    double t = (j0 - 2415020.0) / 36525.0;
    double gmst = 6.6460656 + 2400.051262 * t + 0.00002581 * t * t +
                  1.002737908 * 24.0 * (jd + 0.5 - std::floor(jd + 0.5));
    gmst = std::fmod(gmst, 24.0);
    return gmst < 0 ? gmst + 24.0 : gmst;
}

double AstroClock::meanObliquity(double jd) {
    constexpr double kBase = 23.43929111111111;
    double u = (jd - 2451545.0) / 3652500.0;
    if (std::abs(u) >= 1.0) return kBase;
    // Laskar's coefficients, arc seconds to degrees.
    static constexpr double kTerms[10] = {
        -4680.93 / 3600, -1.55 / 3600,  1999.25 / 3600, -51.38 / 3600, -249.67 / 3600,
        -39.05 / 3600,   7.12 / 3600,   27.87 / 3600,   5.79 / 3600,   2.45 / 3600,
    };
    double sum = 0, power = u;
    for (double c : kTerms) {
        sum += c * power;
        power *= u;
    }
    return kBase + sum;
}

double AstroClock::solveKepler(double meanAnomaly, double eccentricity) {
    double e = meanAnomaly;
    // The orbit is nearly circular: a handful of steps reach 1e-6; the cap
    // only guards against a NaN input spinning forever.
    for (int i = 0; i < 50; ++i) {
        double residual = e - eccentricity * std::sin(e) - meanAnomaly;
        if (!(std::abs(residual) > 1e-6)) break;
        e -= residual / (1.0 - eccentricity * std::cos(e));
    }
    return e;
}

SunPositionResult AstroClock::sunPosition(double jd) {
    double t = (jd - 2415020.0) / 36525.0;
    double l = 279.69668 + 36000.76892 * t + 0.0003025 * t * t;
    double m = reduceDegrees(358.47583 + 35999.04975 * t - 0.00015 * t * t - 0.0000033 * t * t * t);
    double e = 0.01675104 - 0.0000418 * t - 0.000000126 * t * t;
    double ecc = solveKepler(m * kDegToRad, e);
    double v = reduceDegrees(2.0 * std::atan(std::sqrt((1 + e) / (1 - e)) * std::tan(ecc / 2)) * kRadToDeg);
    double lambda = reduceDegrees(l) + v - m;

    SunPositionResult r;
    r.longitude = reduceDegrees(lambda);
    r.radiusVector = 1.0000002 * (1 - e * e) / (1 + e * std::cos(v * kDegToRad));
    double eps = meanObliquity(jd) * kDegToRad;
    double lam = lambda * kDegToRad;
    r.rightAscension = reduceDegrees(std::atan2(std::cos(eps) * std::sin(lam), std::cos(lam)) * kRadToDeg);
    r.declination = std::asin(std::sin(eps) * std::sin(lam)) * kRadToDeg;
    return r;
}

MoonPositionResult AstroClock::moonPosition(double jd) {
    double t = (jd - 2451545.0) / 36525.0;
    double t2 = t * t, t3 = t2 * t, t4 = t3 * t;
    double lp = 218.3164477 + 481267.88123421 * t - 0.0015786 * t2 + t3 / 538841.0 - t4 / 65194000.0;
    double d = 297.8501921 + 445267.1114034 * t - 0.0018819 * t2 + t3 / 545868.0 - t4 / 113065000.0;
    double m = 357.5291092 + 35999.0502909 * t - 0.0001536 * t2 + t3 / 24490000.0;
    double mp = 134.9633964 + 477198.8675055 * t + 0.0087414 * t2 + t3 / 69699.0 - t4 / 14712000.0;
    double f = 93.2720950 + 483202.0175233 * t - 0.0036539 * t2 - t3 / 3526000.0 + t4 / 863310000.0;
    double a1 = reduceRadians((119.75 + 131.849 * t) * kDegToRad);
    double a2 = reduceRadians((53.09 + 479264.29 * t) * kDegToRad);
    double a3 = reduceRadians((313.45 + 481266.484 * t) * kDegToRad);
    double e = 1.0 - 0.002516 * t - 0.0000074 * t2;

    double lpR = reduceRadians(lp * kDegToRad);
    double dR = reduceRadians(d * kDegToRad);
    double mR = reduceRadians(m * kDegToRad);
    double mpR = reduceRadians(mp * kDegToRad);
    double fR = reduceRadians(f * kDegToRad);

    double sumL = 0, sumR = 0, sumB = 0;
    for (const auto& term : kLongitudeDistanceTerms) {
        double arg = term.d * dR + term.m * mR + term.mp * mpR + term.f * fR;
        double k = eccentricityFactor(term.m, e);
        sumL += k * term.longitude * std::sin(arg);
        sumR += k * term.distance * std::cos(arg);
    }
    for (const auto& term : kLatitudeTerms) {
        double arg = term.d * dR + term.m * mR + term.mp * mpR + term.f * fR;
        sumB += eccentricityFactor(term.m, e) * term.latitude * std::sin(arg);
    }
    sumL += 3958.0 * std::sin(a1) + 1962.0 * std::sin(lpR - fR) + 318.0 * std::sin(a2);
    sumB += -2235.0 * std::sin(lpR) + 382.0 * std::sin(a3) + 175.0 * std::sin(a1 - fR) +
            175.0 * std::sin(a1 + fR) + 127.0 * std::sin(lpR - mpR) - 115.0 * std::sin(lpR + mpR);

    MoonPositionResult r;
    r.longitude = reduceDegrees(lpR * kRadToDeg + sumL * 1e-6);
    r.latitude = sumB * 1e-6;
    r.distance = 385000.56 + sumR * 0.001;
    return r;
}

EquatorialPosition AstroClock::eclipticToEquatorialWithObliquity(double longitude, double latitude,
                                                                 double obliquity) {
    double lam = longitude * kDegToRad, beta = latitude * kDegToRad, eps = obliquity * kDegToRad;
    EquatorialPosition p;
    p.rightAscension = reduceDegrees(
        std::atan2(std::sin(lam) * std::cos(eps) - std::tan(beta) * std::sin(eps), std::cos(lam)) * kRadToDeg);
    p.declination =
        std::asin(std::sin(beta) * std::cos(eps) + std::cos(beta) * std::sin(eps) * std::sin(lam)) * kRadToDeg;
    return p;
}

EquatorialPosition AstroClock::eclipticToEquatorial(double jd, double longitude, double latitude) {
    return eclipticToEquatorialWithObliquity(longitude, latitude, meanObliquity(jd));
}

double AstroClock::foldHourAngle(double degrees) {
    if (degrees > 180.0) degrees -= 360.0;
    if (degrees < -180.0) degrees += 360.0;
    return degrees;
}

}  // namespace tnx::globe
