// The globe's outline on screen, as the strips of a window region: used to
// shape the transparent window around the globe.
#pragma once

#include <vector>

#include "camera/camera_host.h"
#include "platform/math/d3d_math.h"

namespace tnx::camera {

constexpr int kSilhouettePoints = 128;

// Fills `strips` with one strip per pixel row the outline covers, from the
// leftmost to the rightmost crossing. A camera inside the sphere sees it
// everywhere (one strip over the whole view); a globe wholly behind the
// camera gives no strips.
void silhouetteRegion(const math::Matrix& view, const math::Matrix& projection, const math::Vec3& cameraPosition,
                      float radius, float halfWidth, float halfHeight, std::vector<RegionRect>& strips);

}  // namespace tnx::camera
