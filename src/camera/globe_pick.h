// The point of the globe under the pointer: the camera's pointer ray against
// the sphere, turned into longitude and latitude on the spinning globe.
#pragma once

#include "platform/math/d3d_math.h"

namespace tnx::camera {

struct GlobePick {
    bool hit = false;
    math::Vec3 point;       // world position of the hit
    float longitude = 0;    // radians, east positive, in [-pi, pi]
    float latitude = 0;     // radians, north positive
};

// Nearer intersection of origin + t * ray (t >= 0) with the sphere of
// `radius` about the origin. A ray from inside the sphere is a miss.
GlobePick pickGlobe(const math::Vec3& origin, const math::Vec3& ray, float radius, float spin);

}  // namespace tnx::camera
