#include "space_backdrop.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace tnx::databuilder {

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
// The glow is smooth, so it is summed on a grid this many times coarser and
// interpolated up.
constexpr int kGridStep = 4;

struct Vec3 {
    double x, y, z;
};

Vec3 direction(double raRad, double decRad) {
    return {std::cos(decRad) * std::cos(raRad), std::sin(decRad), std::cos(decRad) * std::sin(raRad)};
}

// Ordered-dither offset in [-0.5, 0.5) so the dark gradients do not band.
double dither(int x, int y) {
    static constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return (kBayer[y & 3][x & 3] + 0.5) / 16.0 - 0.5;
}

}  // namespace

QImage SpaceBackdrop::render(std::span<const Star> stars, int width, int height) {
    if (width <= 0 || height <= 0) return {};
    const int gw = std::max(1, width / kGridStep);
    const int gh = std::max(1, height / kGridStep);

    // Cell centre directions: column i at ra = (i + 0.5) / gw turns, row j at
    // dec = 90 - (j + 0.5) / gh x 180 degrees.
    std::vector<double> cosRa(static_cast<size_t>(gw)), sinRa(static_cast<size_t>(gw));
    std::vector<double> cosDec(static_cast<size_t>(gh)), sinDec(static_cast<size_t>(gh));
    for (int i = 0; i < gw; ++i) {
        const double ra = (i + 0.5) / gw * 2.0 * std::numbers::pi;
        cosRa[size_t(i)] = std::cos(ra);
        sinRa[size_t(i)] = std::sin(ra);
    }
    for (int j = 0; j < gh; ++j) {
        const double dec = (90.0 - (j + 0.5) / gh * 180.0) * kDegree;
        cosDec[size_t(j)] = std::cos(dec);
        sinDec[size_t(j)] = std::sin(dec);
    }

    // Sum a Gaussian of the angular distance d around every faint star;
    // exp(-d^2 / 2s^2) with d^2 ~ 2 (1 - cos d).
    const double sigma = kGlowDegrees * kDegree;
    const double reach = 3.0 * sigma;
    const double cosReach = std::cos(reach);
    std::vector<double> density(size_t(gw) * size_t(gh), 0.0);
    size_t faint = 0;
    for (const Star& s : stars) {
        if (s.magnitude < kFaintMagnitude) continue;
        ++faint;
        const double ra = s.raDegrees * kDegree, dec = s.decDegrees * kDegree;
        const Vec3 d = direction(ra, dec);
        const int j0 = std::max(0, int(std::floor((90.0 * kDegree - dec - reach) / std::numbers::pi * gh)));
        const int j1 = std::min(gh - 1, int(std::ceil((90.0 * kDegree - dec + reach) / std::numbers::pi * gh)));
        // Columns within reach: the cap's extent in right ascension, or every
        // column when the cap holds a pole.
        const double sinReach = std::sin(reach);
        const bool wholeRows = std::cos(dec) <= sinReach;
        int i0 = 0, i1 = gw - 1;
        if (!wholeRows) {
            const double half = std::asin(sinReach / std::cos(dec));
            const double centre = ra / (2.0 * std::numbers::pi) * gw - 0.5;
            const double span = half / (2.0 * std::numbers::pi) * gw + 1.0;
            i0 = int(std::floor(centre - span));
            i1 = int(std::ceil(centre + span));
            if (i1 - i0 >= gw) { i0 = 0; i1 = gw - 1; }
        }
        for (int j = j0; j <= j1; ++j) {
            const double c = cosDec[size_t(j)];
            double* row = &density[size_t(j) * size_t(gw)];
            for (int ii = i0; ii <= i1; ++ii) {
                const int i = ((ii % gw) + gw) % gw;
                const double cosD = d.x * c * cosRa[size_t(i)] + d.y * sinDec[size_t(j)] + d.z * c * sinRa[size_t(i)];
                if (cosD < cosReach) continue;
                row[i] += std::exp(-(1.0 - cosD) / (sigma * sigma));
            }
        }
    }

    // The average over the sphere (rows weighted by their solid angle) maps
    // to kAverageLevel; denser parts rise more steeply, toward kMaxLevel.
    double sum = 0, weight = 0;
    for (int j = 0; j < gh; ++j)
        for (int i = 0; i < gw; ++i) {
            sum += density[size_t(j) * size_t(gw) + size_t(i)] * cosDec[size_t(j)];
            weight += cosDec[size_t(j)];
        }
    const double mean = faint > 0 && weight > 0 ? sum / weight : 0.0;
    std::vector<double> level(density.size(), kBaseLevel);
    if (mean > 0)
        for (size_t k = 0; k < density.size(); ++k) {
            const double rel = density[k] / mean;
            level[k] = std::min(kMaxLevel, kBaseLevel + (kAverageLevel - kBaseLevel) * std::pow(rel, kContrast));
        }

    // Bilinear interpolation up to the full size; columns wrap around the
    // sky, rows stop at the poles.
    static constexpr double kTint[3] = {0.88, 0.92, 1.0};
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        const double gy = std::clamp((y + 0.5) * gh / height - 0.5, 0.0, double(gh - 1));
        const int y0 = int(gy);
        const int y1 = std::min(gh - 1, y0 + 1);
        const double fy = gy - y0;
        uchar* out = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const double gx = (x + 0.5) * gw / width - 0.5;
            const int xf = int(std::floor(gx));
            const double fx = gx - xf;
            const int x0 = ((xf % gw) + gw) % gw;
            const int x1 = (x0 + 1) % gw;
            auto at = [&](int xx, int yy) { return level[size_t(yy) * size_t(gw) + size_t(xx)]; };
            const double v = (at(x0, y0) * (1 - fx) + at(x1, y0) * fx) * (1 - fy) +
                             (at(x0, y1) * (1 - fx) + at(x1, y1) * fx) * fy;
            const double dv = dither(x, y);
            for (int c = 0; c < 3; ++c)
                out[3 * x + c] = uchar(std::clamp(std::lround(v * kTint[c] + dv), 0L, 255L));
        }
    }
    return image;
}

}  // namespace tnx::databuilder
