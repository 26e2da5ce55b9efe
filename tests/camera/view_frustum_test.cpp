// The view frustum's planes and sphere test, and the off-centre projection.
#include "camera/view_frustum.h"

#include <gtest/gtest.h>

#include <cmath>

#include "camera/projection_provider.h"

namespace tnx::camera {
namespace {

using math::Vec3;

// A camera at `eye` looking along +z turned by `yaw` about y.
math::Matrix cameraMatrix(const Vec3& eye, float yaw) {
    math::Matrix m = math::matrixRotationY(yaw);
    m.m[3][0] = eye.x;
    m.m[3][1] = eye.y;
    m.m[3][2] = eye.z;
    return m;
}

TEST(ViewFrustumTest, SpheresAreOutsideIntersectingOrInside) {
    ViewFrustum f(800, 600, 1.0f);
    f.setCameraMatrix(cameraMatrix({0, 0, 0}, 0));
    EXPECT_EQ(f.testSphere({0, 0, 100}, 1), FrustumTest::Inside);
    EXPECT_EQ(f.testSphere({0, 0, -100}, 1), FrustumTest::Outside);   // behind
    EXPECT_EQ(f.testSphere({0, 0, 0}, 1), FrustumTest::Intersecting);  // around the eye
    // Beside the left edge (half-angle 0.5 rad): just inside, across, outside.
    float edge = std::tan(0.5f) * 100;
    EXPECT_EQ(f.testSphere({-(edge - 5), 0, 100}, 1), FrustumTest::Inside);
    EXPECT_EQ(f.testSphere({-edge, 0, 100}, 1), FrustumTest::Intersecting);
    EXPECT_EQ(f.testSphere({-(edge + 5), 0, 100}, 1), FrustumTest::Outside);
    // Vertically the view is narrower: tan(v) = tan(0.5) * 600 / 800.
    float top = std::tan(0.5f) * 0.75f * 100;
    EXPECT_EQ(f.testSphere({0, top - 3, 100}, 1), FrustumTest::Inside);
    EXPECT_EQ(f.testSphere({0, top + 3, 100}, 1), FrustumTest::Outside);
    EXPECT_EQ(f.testSphere({0, -(top + 3), 100}, 1), FrustumTest::Outside);
    // The far plane is not part of the test.
    EXPECT_EQ(f.testSphere({0, 0, 5e9f}, 1), FrustumTest::Inside);
}

TEST(ViewFrustumTest, PlanesFollowTheCameraIntoWorldSpace) {
    ViewFrustum f(640, 480, 0.8f);
    const Vec3 eye{10, 20, 30};
    const float yaw = 1.2f;  // now looking along (sin 1.2, 0, cos 1.2)
    math::Matrix cam = cameraMatrix(eye, yaw);
    f.setView(*math::matrixInverse(cam));
    Vec3 ahead{std::sin(yaw), 0, std::cos(yaw)};
    EXPECT_EQ(f.testSphere(eye + ahead * 50, 2), FrustumTest::Inside);
    EXPECT_EQ(f.testSphere(eye - ahead * 50, 2), FrustumTest::Outside);
    // Side planes pass through the eye; the far plane lies 1e9 ahead.
    for (int i = ViewFrustum::kNear; i <= ViewFrustum::kBottom; ++i)
        EXPECT_NEAR(math::planeDotCoord(f.plane(i), eye), 0, 1e-3) << i;
    EXPECT_NEAR(math::planeDotCoord(f.plane(ViewFrustum::kFar), eye + ahead * 1e9f) / 1e9f, 0, 1e-6);
    EXPECT_FLOAT_EQ(f.heightFactor(), (10000 - 20) * 0.0001f);
    f.setCameraMatrix(cameraMatrix({0, 9000, 0}, 0));
    EXPECT_FLOAT_EQ(f.heightFactor(), 0.3f);
}

TEST(ViewFrustumTest, ACameraBeyondTheLimitLeavesThePlanes) {
    ViewFrustum f(800, 600, 1.0f);
    f.setCameraMatrix(cameraMatrix({0, 0, 0}, 0));
    f.setCameraMatrix(cameraMatrix({2e11f, 0, 0}, 0));
    EXPECT_EQ(f.testSphere({0, 0, 100}, 1), FrustumTest::Inside);
}

TEST(ViewFrustumTest, RebuildTakesTheNewViewport) {
    ViewFrustum f(800, 600, 1.0f);
    f.rebuild(600, 800, 1.0f);  // portrait: the vertical half-angle is wider
    float top = std::tan(0.5f) * (800.0f / 600.0f) * 100;
    EXPECT_EQ(f.testSphere({0, top - 3, 100}, 1), FrustumTest::Inside);
}

TEST(ProjectionTest, SingleViewUsesAHorizontalFieldOfView) {
    SingleViewProjection single(800, 400);
    math::Matrix p = single.projection(1, 10000, 1.0f);
    float xs = 1 / std::tan(0.5f);
    EXPECT_NEAR(p.m[0][0], xs, 1e-5);
    EXPECT_NEAR(p.m[1][1], xs * 2, 1e-5);  // same scale vertically: twice for half the height
    EXPECT_NEAR(p.m[2][0], 0, 1e-6);
    EXPECT_NEAR(p.m[2][1], 0, 1e-6);
    // Depth maps near to 0 and far to 1.
    math::Vec3 nearPoint = math::transformCoord({0, 0, 1}, p);
    math::Vec3 farPoint = math::transformCoord({0, 0, 10000}, p);
    EXPECT_NEAR(nearPoint.z, 0, 1e-5);
    EXPECT_NEAR(farPoint.z, 1, 1e-5);
}

TEST(ProjectionTest, SpannedScreensShowTheirSliceOfOnePicture) {
    ProjectionGeometry left{{0, 0, 800, 600}, {0, 0, 1600, 600}, false};
    ProjectionGeometry right{{800, 0, 1600, 600}, {0, 0, 1600, 600}, false};
    math::Matrix pl = projectionFor(left, 1, 100, 1.0f);
    math::Matrix pr = projectionFor(right, 1, 100, 1.0f);
    // The direction straight ahead lies on the shared edge of both screens.
    EXPECT_NEAR(math::transformCoord({0, 0, 10}, pl).x, 1, 1e-5);
    EXPECT_NEAR(math::transformCoord({0, 0, 10}, pr).x, -1, 1e-5);
    // The outer edges are the whole picture's half field of view.
    float t = std::tan(0.5f) * 10;
    EXPECT_NEAR(math::transformCoord({-t, 0, 10}, pl).x, -1, 1e-4);
    EXPECT_NEAR(math::transformCoord({t, 0, 10}, pr).x, 1, 1e-4);

    // Stacked screens: the upper one looks up.
    ProjectionGeometry upper{{0, 0, 800, 600}, {0, 0, 800, 1200}, false};
    math::Matrix pu = projectionFor(upper, 1, 100, 1.0f);
    EXPECT_NEAR(math::transformCoord({0, 0, 10}, pu).y, -1, 1e-5);  // ahead is its bottom edge

    // "AllScreensSame": each screen shows the whole picture.
    right.allScreensSame = true;
    math::Matrix same = projectionFor(right, 1, 100, 1.0f);
    EXPECT_NEAR(math::transformCoord({0, 0, 10}, same).x, 0, 1e-6);
}

}  // namespace
}  // namespace tnx::camera
