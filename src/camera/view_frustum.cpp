#include "camera/view_frustum.h"

#include <algorithm>
#include <cmath>

namespace tnx::camera {

using math::Vec3;

void ViewFrustum::rebuild(int width, int height, float fov) {
    float half = fov / 2;
    float s = width > 0 ? std::tan(half) * float(height) / float(width) : std::tan(half);
    float t = s / std::sqrt(s * s + 1);  // sine of the vertical half-angle
    float ct = std::sqrt(std::max(0.0f, 1 - t * t));
    local_[kNear] = {0, 0, -1, 0};
    local_[kLeft] = {-std::cos(half), 0, -std::sin(half), 0};
    local_[kTop] = {0, ct, -t, 0};
    local_[kRight] = {std::cos(half), 0, -std::sin(half), 0};
    local_[kBottom] = {0, -ct, -t, 0};
    local_[kFar] = {0, 0, 1, -kFarDistance};
    world_ = local_;
    heightFactor_ = 1.0f;
}

void ViewFrustum::setView(const math::Matrix& view) {
    if (auto inv = math::matrixInverse(view)) setCameraMatrix(*inv);
}

void ViewFrustum::setCameraMatrix(const math::Matrix& cam) {
    Vec3 pos{cam.m[3][0], cam.m[3][1], cam.m[3][2]};
    if (!(std::fabs(pos.x) <= kPositionLimit && std::fabs(pos.y) <= kPositionLimit &&
          std::fabs(pos.z) <= kPositionLimit))
        return;
    Vec3 ahead{cam.m[2][0], cam.m[2][1], cam.m[2][2]};
    Vec3 farPoint = pos + ahead * kFarDistance;
    for (int i = 0; i < kPlaneCount; ++i) {
        const math::Plane& p = local_[size_t(i)];
        Vec3 n = math::transformNormal({p.a, p.b, p.c}, cam);
        const Vec3& through = i == kFar ? farPoint : pos;
        world_[size_t(i)] = {n.x, n.y, n.z, -math::dot(n, through)};
    }
    heightFactor_ = std::max(10000.0f - pos.y, 3000.0f) * 0.0001f;
}

FrustumTest ViewFrustum::testSphere(const Vec3& c, float radius) const {
    bool straddles = false;
    for (int i = kNear; i <= kBottom; ++i) {
        float d = math::planeDotCoord(world_[size_t(i)], c);
        if (d >= radius) return FrustumTest::Outside;
        if (d >= -radius) straddles = true;
    }
    return straddles ? FrustumTest::Intersecting : FrustumTest::Inside;
}

}  // namespace tnx::camera
