// The view frustum used for culling: five planes through the camera (near and
// the four sides) and a far plane, kept in world space and refreshed from the
// view matrix every frame.
#pragma once

#include <array>

#include "platform/math/d3d_math.h"

namespace tnx::camera {

enum class FrustumTest : int { Outside = 0, Intersecting = 1, Inside = 2 };

class ViewFrustum {
public:
    static constexpr float kFarDistance = 1e9f;
    // Positions beyond this on any axis leave the planes as they were.
    static constexpr float kPositionLimit = 1e11f;
    enum PlaneIndex { kNear = 0, kLeft, kTop, kRight, kBottom, kFar, kPlaneCount };

    ViewFrustum(int width, int height, float fov) { rebuild(width, height, fov); }

    // New viewport: recomputes the camera-space planes.
    void rebuild(int width, int height, float fov);
    // Carries the planes to world space through the inverse of the view matrix.
    void setView(const math::Matrix& view);
    // The same when the camera matrix (the view's inverse) is at hand.
    void setCameraMatrix(const math::Matrix& camera);

    // Sphere against the near and side planes (the far plane is not tested).
    FrustumTest testSphere(const math::Vec3& centre, float radius) const;

    // Plane i as (normal, d) with signed distance normal . p + d, positive outside.
    const math::Plane& plane(int i) const { return world_[size_t(i)]; }
    const math::Plane& cameraSpacePlane(int i) const { return local_[size_t(i)]; }
    // max(10000 - camera y, 3000) * 0.0001, refreshed with the planes.
    float heightFactor() const { return heightFactor_; }

private:
    std::array<math::Plane, kPlaneCount> local_;
    std::array<math::Plane, kPlaneCount> world_;
    float heightFactor_ = 1.0f;
};

}  // namespace tnx::camera
