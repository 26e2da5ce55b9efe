// The viewer's zone test, for checking boundary data: whether a point (file
// units: x = longitude, y = -latitude, hundredths of a degree) lies inside
// a region, by counting the crossings of a horizontal ray with the
// region's segments. The ray runs east from the point to the region's
// eastern edge, or, for a region reaching past 179.94 degrees, from its
// western edge to the point.
#pragma once

#include <algorithm>
#include <vector>

namespace tnx::test {

struct RayPoint {
    int x = 0, y = 0;
};
using RayLine = std::vector<RayPoint>;

inline bool zoneContains(const std::vector<RayLine>& lines, const std::vector<int>& region, int px, int py) {
    int minX = 18000, maxX = -18000, minY = 9000, maxY = -9000, count = 0;
    for (int i : region)
        for (const RayPoint& p : lines[size_t(i)])
            minX = std::min(minX, p.x), maxX = std::max(maxX, p.x), minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    if (!(minX < px && px < maxX && minY < py && py < maxY)) return false;
    const int a = maxX > 17994 ? minX : px, b = maxX > 17994 ? px : maxX;
    for (int i : region)
        for (size_t k = 0; k + 1 < lines[size_t(i)].size(); ++k) {
            const RayPoint p = lines[size_t(i)][k], q = lines[size_t(i)][k + 1];
            if ((p.y >= py) == (q.y >= py) || !(p.x > a || q.x > a) || !(p.x <= b || q.x <= b)) continue;
            const int x = p.x + (q.x - p.x) * (py - p.y) / (q.y - p.y);  // p.y != q.y here
            count += a < x && x <= b;
        }
    return count % 2 == 1;
}

}  // namespace tnx::test
