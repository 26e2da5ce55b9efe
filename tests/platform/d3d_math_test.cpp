#include <gtest/gtest.h>

#include "platform/math/d3d_math.h"

using namespace tnx::math;

namespace {
void expectNear(const Vec3& a, const Vec3& b, float eps = 1e-5f) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}
}  // namespace

TEST(D3dMath, RotationsAreLeftHandedRowVector) {
    // A quarter turn about Y takes +X to -Z (left-handed, row vectors).
    expectNear(transformCoord({1, 0, 0}, matrixRotationY(kPi / 2)), {0, 0, -1});
    expectNear(transformCoord({0, 1, 0}, matrixRotationX(kPi / 2)), {0, 0, 1});
    expectNear(transformCoord({1, 0, 0}, matrixRotationZ(kPi / 2)), {0, 1, 0});
    // The axis form agrees with the named axes.
    Matrix a = matrixRotationAxis({0, 2, 0}, 0.7f), b = matrixRotationY(0.7f);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.data()[i], b.data()[i], 1e-6f);
}

TEST(D3dMath, CompositionAppliesLeftFirst) {
    Matrix m = matrixTranslation(1, 0, 0) * matrixRotationY(kPi / 2);
    expectNear(transformCoord({0, 0, 0}, m), {0, 0, -1});
    Matrix ypr = matrixRotationYawPitchRoll(0.3f, 0.2f, 0.1f);
    Matrix manual = matrixRotationZ(0.1f) * matrixRotationX(0.2f) * matrixRotationY(0.3f);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(ypr.data()[i], manual.data()[i], 1e-6f);
}

TEST(D3dMath, InverseUndoesAndSingularIsRefused) {
    Matrix m = matrixRotationYawPitchRoll(0.4f, -0.3f, 1.1f) * matrixTranslation(3, -2, 5) *
               matrixScaling(2, 2, 2);
    auto inv = matrixInverse(m);
    ASSERT_TRUE(inv.has_value());
    expectNear(transformCoord(transformCoord({1, 2, 3}, m), *inv), {1, 2, 3}, 1e-4f);
    EXPECT_FALSE(matrixInverse(matrixScaling(1, 0, 1)).has_value());
}

TEST(D3dMath, PerspectiveMapsNearAndFarToZeroAndOne) {
    Matrix p = matrixPerspectiveFovLH(kPi / 4, 4.0f / 3.0f, 100, 1e8f);
    EXPECT_NEAR(transformCoord({0, 0, 100}, p).z, 0.0f, 1e-6f);
    EXPECT_NEAR(transformCoord({0, 0, 1e8f}, p).z, 1.0f, 1e-6f);
    // A point on the top edge of the field of view lands at y = 1.
    EXPECT_NEAR(transformCoord({0, std::tan(kPi / 8) * 1000, 1000}, p).y, 1.0f, 1e-5f);
}

TEST(D3dMath, LookAtPutsTargetOnPlusZ) {
    Matrix v = matrixLookAtLH({0, 0, -10}, {0, 0, 0}, {0, 1, 0});
    expectNear(transformCoord({0, 0, 0}, v), {0, 0, 10});
    expectNear(transformCoord({1, 0, 0}, v), {1, 0, 10});
    EXPECT_EQ(normalize(Vec3{0, 0, 0}), (Vec3{0, 0, 0}));
}
