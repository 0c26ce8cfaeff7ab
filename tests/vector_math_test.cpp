// Vector math: the one-step reciprocal square root and the operations built on it.
#include <gtest/gtest.h>

#include <cmath>

#include "core/vector_math.h"

TEST(FastInvSqrt, IsLowByTheOneNewtonStepError) {
    EXPECT_NEAR(fastInvSqrt(1.0f), 0.998307f, 1e-6);
    EXPECT_NEAR(fastInvSqrt(2.0f), 0.706930f, 1e-6);
    EXPECT_NEAR(fastInvSqrt(4.0f), 0.499154f, 1e-6);
}

TEST(FastInvSqrt, StaysWithinItsErrorBoundOverManyMagnitudes) {
    for (float x = 1e-6f; x < 1e7f; x *= 1.37f) {
        const double exact = 1.0 / std::sqrt(static_cast<double>(x));
        const double estimate = fastInvSqrt(x);
        EXPECT_LE(estimate, exact * (1 + 1e-6)) << x;
        EXPECT_GE(estimate, exact * 0.998) << x;
    }
}

TEST(Normalize, ShortensByTheEstimateNotToExactUnitLength) {
    const Vector3 n = normalized(Vector3(3, 0, 4));
    EXPECT_NEAR(n.x, 0.5991f, 5e-5);
    EXPECT_EQ(n.y, 0.0f);
    EXPECT_NEAR(n.z, 0.7988f, 5e-5);
}

TEST(Normalize, NormalizedIsNormalizeOnACopyAndTheZeroVectorStaysZero) {
    Vector3 a(3, -2, 4);
    const Vector3 n = normalized(a);
    a.normalize();
    EXPECT_EQ(n.x, a.x);
    EXPECT_EQ(n.y, a.y);
    EXPECT_EQ(n.z, a.z);
    Vector3 zero(0, 0, 0);
    zero.normalize();
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    EXPECT_EQ(zero.z, 0.0f);
}

TEST(Dot, KeepsWorkingPrecision) {
    // 16777217 is not a float; the sum of the two float products is.
    const Vector3 a(16777216.0f, 1.0f, 0.0f);
    const Vector3 b(1.0f, 1.0f, 0.0f);
    EXPECT_EQ(dot(a, b), 16777217.0);
}

TEST(TransformPoint, AppliesRotationThenTranslation) {
    const Vector3 p(1, 2, 3);
    const Vector3 same = transformPoint(p, AffineMatrix::identity());
    EXPECT_EQ(same.x, 1.0f);
    EXPECT_EQ(same.y, 2.0f);
    EXPECT_EQ(same.z, 3.0f);

    AffineMatrix m = AffineMatrix::identity();
    m.m[0][3] = 10;
    m.m[1][3] = -20;
    m.m[2][3] = 0.5f;
    const Vector3 moved = transformPoint(p, m);
    EXPECT_EQ(moved.x, 11.0f);
    EXPECT_EQ(moved.y, -18.0f);
    EXPECT_EQ(moved.z, 3.5f);

    // A quarter turn about z: x goes to y.
    AffineMatrix turn = {{{0, -1, 0, 0}, {1, 0, 0, 0}, {0, 0, 1, 0}}};
    const Vector3 turned = transformPoint(Vector3(1, 0, 0), turn);
    EXPECT_EQ(turned.x, 0.0f);
    EXPECT_EQ(turned.y, 1.0f);
}

TEST(SetColumns, WritesColumnsAndKeepsTranslation) {
    AffineMatrix m = AffineMatrix::identity();
    m.m[0][3] = 7;
    m.m[1][3] = 8;
    m.m[2][3] = 9;
    m.setColumns(Vector3(1, 2, 3), Vector3(4, 5, 6), Vector3(7, 8, 9));
    EXPECT_EQ(m.m[0][0], 1.0f);
    EXPECT_EQ(m.m[1][0], 2.0f);
    EXPECT_EQ(m.m[2][0], 3.0f);
    EXPECT_EQ(m.m[0][1], 4.0f);
    EXPECT_EQ(m.m[2][2], 9.0f);
    EXPECT_EQ(m.m[0][3], 7.0f);
    EXPECT_EQ(m.m[1][3], 8.0f);
    EXPECT_EQ(m.m[2][3], 9.0f);
}
