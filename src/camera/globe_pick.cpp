#include "camera/globe_pick.h"

#include <cmath>

namespace tnx::camera {

GlobePick pickGlobe(const math::Vec3& origin, const math::Vec3& ray, float radius, float spin) {
    GlobePick pick;
    float a = math::dot(ray, ray);
    float b = 2 * math::dot(origin, ray);
    float c = math::dot(origin, origin) - radius * radius;
    if (a <= 0 || c < 0) return pick;  // no direction, or the camera is inside
    float disc = b * b - 4 * a * c;
    if (disc < 0) return pick;
    float t = (-b - std::sqrt(disc)) / (2 * a);
    if (t < 0) return pick;  // the sphere lies behind
    pick.hit = true;
    pick.point = origin + ray * t;
    const math::Vec3& p = pick.point;
    // Fold into [-pi, pi] whatever number of turns the spin holds.
    pick.longitude = float(std::remainder(double(std::atan2(p.z, p.x)) - double(spin), 2 * 3.14159265358979323846));
    float r = math::length(p);
    // asin loses precision near the poles; use the horizontal distance there.
    if (std::fabs(p.y) > 0.9f * r) {
        float horizontal = std::sqrt(p.x * p.x + p.z * p.z);
        pick.latitude = std::copysign(std::acos(std::fmin(horizontal / r, 1.0f)), p.y);
    } else {
        pick.latitude = std::asin(p.y / r);
    }
    return pick;
}

}  // namespace tnx::camera
