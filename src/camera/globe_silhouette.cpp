#include "camera/globe_silhouette.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tnx::camera {

using math::Vec3;
using math::Vec4;

namespace {

constexpr float kMinW = 1e-4f;

Vec4 lerp(const Vec4& a, const Vec4& b, float t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t, a.w + (b.w - a.w) * t};
}

}  // namespace

void silhouetteRegion(const math::Matrix& view, const math::Matrix& projection, const Vec3& pos, float radius,
                      float halfWidth, float halfHeight, std::vector<RegionRect>& strips) {
    strips.clear();
    const int width = int(std::lround(halfWidth * 2));
    const int height = int(std::lround(halfHeight * 2));
    if (width <= 0 || height <= 0) return;
    float d = math::length(pos);
    if (d <= radius) {
        strips.push_back({0, 0, width, height});
        return;
    }

    // The circle where lines of sight touch the sphere.
    Vec3 u = pos / d;
    Vec3 centre = u * (radius * radius / d);
    float r = radius * std::sqrt(d * d - radius * radius) / d;
    Vec3 other = std::fabs(u.y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
    Vec3 e1 = math::normalize(math::cross(u, other));
    Vec3 e2 = math::cross(u, e1);
    math::Matrix vp = view * projection;

    std::array<Vec4, kSilhouettePoints> ring;
    for (int k = 0; k < kSilhouettePoints; ++k) {
        float a = float(k) * (2 * math::kPi / kSilhouettePoints);
        ring[size_t(k)] = math::transform(centre + e1 * (r * std::cos(a)) + e2 * (r * std::sin(a)), vp);
    }

    // Clip against a plane just in front of the eye so points behind the
    // camera do not fold over the screen.
    std::array<math::Vec2, kSilhouettePoints * 2> poly;
    int n = 0;
    for (int k = 0; k < kSilhouettePoints; ++k) {
        const Vec4& a = ring[size_t(k)];
        const Vec4& b = ring[size_t((k + 1) % kSilhouettePoints)];
        bool ina = a.w >= kMinW, inb = b.w >= kMinW;
        auto emit = [&](const Vec4& p) {
            poly[size_t(n++)] = {(p.x / p.w + 1) * halfWidth, (1 - p.y / p.w) * halfHeight};
        };
        if (ina != inb) emit(lerp(a, b, (kMinW - a.w) / (b.w - a.w)));
        if (inb) emit(b);
    }
    if (n < 3) return;

    // Walk each edge over the pixel rows whose centres it crosses, keeping
    // the leftmost and rightmost crossing per row.
    thread_local std::vector<float> lo, hi;
    lo.assign(size_t(height), 1e30f);
    hi.assign(size_t(height), -1e30f);
    int rowFirst = height, rowLast = -1;
    for (int i = 0; i < n; ++i) {
        math::Vec2 a = poly[size_t(i)];
        math::Vec2 b = poly[size_t((i + 1) % n)];
        if (a.y == b.y) continue;
        if (a.y > b.y) std::swap(a, b);
        // Rows whose centre row + 0.5 lies in [a.y, b.y).
        int first = std::max(0, int(std::ceil(a.y - 0.5f)));
        int last = std::min(height - 1, int(std::ceil(b.y - 0.5f)) - 1);
        float slope = (b.x - a.x) / (b.y - a.y);
        for (int row = first; row <= last; ++row) {
            float x = a.x + (float(row) + 0.5f - a.y) * slope;
            lo[size_t(row)] = std::min(lo[size_t(row)], x);
            hi[size_t(row)] = std::max(hi[size_t(row)], x);
        }
        if (first <= last) {
            rowFirst = std::min(rowFirst, first);
            rowLast = std::max(rowLast, last);
        }
    }
    for (int row = rowFirst; row <= rowLast; ++row) {
        if (lo[size_t(row)] > hi[size_t(row)]) continue;
        int left = std::clamp(int(std::lround(lo[size_t(row)])), 0, width);
        int right = std::clamp(int(std::lround(hi[size_t(row)])), 0, width);
        if (right > left) strips.push_back({left, row, right, row + 1});
    }
}

}  // namespace tnx::camera
