#include "space_backdrop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace tnx::databuilder {
namespace {

constexpr int kW = 256, kH = 128;

std::vector<Star> cluster(double ra, double dec, int count = 40, double mag = 7.0) {
    return std::vector<Star>(size_t(count), Star{ra, dec, mag});
}

int blue(const QImage& img, int x, int y) { return qBlue(img.pixel(x, y)); }

// The centre of the pixels at least half as bright as the brightest (the
// glow's top may be flat where it reaches the maximum level).
QPointF brightest(const QImage& img) {
    int peak = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) peak = std::max(peak, blue(img, x, y));
    double sx = 0, sy = 0, n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (blue(img, x, y) * 2 >= peak + SpaceBackdrop::kBaseLevel) {
                sx += x + 0.5;
                sy += y + 0.5;
                ++n;
            }
    return n > 0 ? QPointF(sx / n, sy / n) : QPointF(-1, -1);
}

TEST(SpaceBackdrop, PlacesRightAscensionLeftToRightAndNorthAtTheTop) {
    // u = ra / 360, v = (90 - dec) / 180.
    const QImage a = SpaceBackdrop::render(cluster(90.0, 30.0), kW, kH);
    ASSERT_EQ(a.size(), QSize(kW, kH));
    const QPointF pa = brightest(a);
    EXPECT_NEAR(pa.x(), 64.0, 1.5);
    EXPECT_NEAR(pa.y(), 42.7, 1.5);

    const QImage b = SpaceBackdrop::render(cluster(300.0, -60.0), kW, kH);
    const QPointF pb = brightest(b);
    EXPECT_NEAR(pb.x(), 213.3, 1.5);
    EXPECT_NEAR(pb.y(), 106.7, 1.5);
}

TEST(SpaceBackdrop, WithoutFaintStarsTheSkyIsPlainAndDark) {
    // Stars brighter than the glow's limit are drawn as sprites, not here.
    const QImage bright = SpaceBackdrop::render(cluster(90.0, 30.0, 40, 2.0), kW, kH);
    const QImage none = SpaceBackdrop::render({}, kW, kH);
    EXPECT_EQ(bright, none);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            ASSERT_NEAR(blue(none, x, y), SpaceBackdrop::kBaseLevel, 1.0);
}

TEST(SpaceBackdrop, GlowWrapsAcrossTheZeroHourLine) {
    const QImage img = SpaceBackdrop::render(cluster(0.2, 0.0), kW, kH);
    const int row = kH / 2;
    const int left = blue(img, 0, row), right = blue(img, kW - 1, row);
    EXPECT_GT(left, 20);
    EXPECT_NEAR(left, right, 3);
    EXPECT_LE(blue(img, kW / 2, row), SpaceBackdrop::kBaseLevel + 1);
}

TEST(SpaceBackdrop, GlowAroundAPoleCoversEveryColumn) {
    const QImage img = SpaceBackdrop::render(cluster(45.0, 89.5), kW, kH);
    int lo = 255, hi = 0;
    for (int x = 0; x < kW; ++x) {
        lo = std::min(lo, blue(img, x, 0));
        hi = std::max(hi, blue(img, x, 0));
    }
    EXPECT_GT(lo, 20);
    EXPECT_LE(hi - lo, 3);
    EXPECT_LE(blue(img, 0, kH - 1), SpaceBackdrop::kBaseLevel + 1);
}

TEST(SpaceBackdrop, StaysFaintOverAFullSky) {
    // An even spread of faint stars with one dense patch.
    std::vector<Star> stars;
    uint32_t seed = 12345;
    auto next = [&] { seed = seed * 1664525u + 1013904223u; return (seed >> 8) / double(1u << 24); };
    for (int i = 0; i < 6000; ++i)
        stars.push_back({next() * 360.0, std::asin(2.0 * next() - 1.0) * 180.0 / M_PI, 6.0 + 2.0 * next()});
    for (const Star& s : cluster(200.0, -10.0, 600)) stars.push_back(s);
    const QImage img = SpaceBackdrop::render(stars, kW, kH);
    double sum = 0;
    int peak = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            sum += blue(img, x, y);
            peak = std::max(peak, blue(img, x, y));
        }
    EXPECT_LT(sum / (kW * kH), 2.0 * SpaceBackdrop::kAverageLevel);
    EXPECT_GT(sum / (kW * kH), SpaceBackdrop::kBaseLevel);
    EXPECT_LE(peak, SpaceBackdrop::kMaxLevel + 1);
    EXPECT_NEAR(brightest(img).x(), 142.2, 3.0);
    EXPECT_NEAR(brightest(img).y(), 71.1, 3.0);
}

}  // namespace
}  // namespace tnx::databuilder
