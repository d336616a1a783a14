#include "TestSupport.h"

#include <dynamora/clsMomentOfInertia.h>

#include <gtest/gtest.h>

using namespace dynamora;
using namespace dynamora::testing;

TEST(MomentOfInertia, TensorsOfTheThreeSolids) {
    clsMomentOfInertia inertia;
    EXPECT_EQ(inertia.ComputeSphere(5, 2), Diagonal(8, 8, 8, 1));
    EXPECT_EQ(inertia.ComputeCube(6, 1), Diagonal(1, 1, 1, 1));
    // w along x, h along y, l along z
    EXPECT_EQ(inertia.ComputeRectangle(12, 1, 2, 3), Diagonal(10, 5, 13, 1));
    EXPECT_FALSE(inertia.Failed());
    EXPECT_EQ(inertia.LastError(), "");
}

TEST(MomentOfInertia, SquaresAreFormedInDoublePrecision) {
    clsMomentOfInertia inertia;
    // 4097^2 + 1 = 16785410 is a float; in float arithmetic 4097^2 rounds to 16785408 and the
    // added 1 is lost again.
    const Matrix4 box = inertia.ComputeRectangle(12, 4097, 1, 1);
    EXPECT_EQ(box.m11, 16785410.0f);
    EXPECT_EQ(box.m22, 16785410.0f);
    EXPECT_EQ(box.m33, 2.0f);
}

TEST(MomentOfInertia, OutOfRangeValuesFailWithAZeroMatrixAndALaterSuccessClears) {
    clsMomentOfInertia inertia;
    EXPECT_EQ(inertia.ComputeSphere(1e38f, 1e10f), Matrix4{});
    EXPECT_TRUE(inertia.Failed());
    EXPECT_EQ(inertia.LastErrorCode(), ErrorCode::Overflow);
    EXPECT_EQ(inertia.LastError(), "ComputeSphere: overflow at m11");

    EXPECT_EQ(inertia.ComputeRectangle(1e-30f, 1e-10f, 1, 1e-10f), Matrix4{});  // m11 underflows
    EXPECT_EQ(inertia.LastErrorCode(), ErrorCode::Underflow);
    EXPECT_EQ(inertia.LastError(), "ComputeRectangle: underflow at m11");

    EXPECT_EQ(inertia.ComputeCube(0, 3), Diagonal(0, 0, 0, 1)) << "a massless cube is exactly zero";
    EXPECT_FALSE(inertia.Failed());
    EXPECT_EQ(inertia.LastError(), "");
}
