#include "TestSupport.h"
#include "clsMathAndPhysics.h"

#include <gtest/gtest.h>

using namespace dynamora;
using namespace dynamora::testing;

namespace {
const clsMathAndPhysics math;
}

TEST(StepFormulas, NewVelocityFormsTimeOverMassFirst) {
    MathError error;
    EXPECT_EQ(math.NewVelocity(Vector3{0, 0, 0}, Vector3{10, 0, 0}, 2, 0.5f, error), (Vector3{2.5f, 0, 0}));
    EXPECT_FALSE(error);
    // (Force * Time) / Mass would overflow here; Force * (Time / Mass) does not.
    EXPECT_EQ(math.NewVelocity(Vector3{1, 0, 0}, Vector3{3e38f, 0, 0}, 4, 2, error), (Vector3{1.5e38f, 0, 0}));
    EXPECT_FALSE(error);
}

TEST(StepFormulas, NewVelocityFailsOnZeroMassAndOnAnUnderflowingQuotient) {
    MathError error;
    EXPECT_EQ(math.NewVelocity(Vector3{1, 2, 3}, Vector3{10, 0, 0}, 0, 0.5f, error), Vector3{});
    EXPECT_EQ(error.Code, ErrorCode::DivisionByZero);
    EXPECT_STREQ(error.Operation, "NewVelocity");
    math.NewVelocity(Vector3{}, Vector3{1, 0, 0}, 1e30f, 1e-30f, error);
    EXPECT_EQ(error.Code, ErrorCode::Underflow);
    math.NewVelocity(Vector3{}, Vector3{1, 0, 0}, 1e-30f, 1e30f, error);
    EXPECT_EQ(error.Code, ErrorCode::Overflow);
    EXPECT_EQ(math.NewVelocity(Vector3{1, 2, 3}, Vector3{1, 0, 0}, 5, 0, error), (Vector3{1, 2, 3}));
    EXPECT_FALSE(error) << "a zero time step is an exact zero, not an underflow";
}

TEST(StepFormulas, NewPositionUsesTheGivenVelocity) {
    EXPECT_EQ(math.NewPosition(Vector3{1, 2, 3}, Vector3{2, 0, 0}, 0.5f), (Vector3{2, 2, 3}));
}

TEST(StepFormulas, NewAngularMomentumRewritesTheTorque) {
    Vector3 torque{0, 0, 4};
    EXPECT_EQ(math.NewAngularMomentum(Vector3{1, 0, 0}, torque, 0.5f), (Vector3{1, 0, 2}));
    EXPECT_EQ(torque, (Vector3{0, 0, 2}));
}

TEST(StepFormulas, NewOrientationIsOnePlainEulerStep) {
    MathError error;
    const Matrix4 o = math.NewOrientation(MatrixIdentity(), Vector3{0, 0, 1}, 0.1f, error);
    ASSERT_FALSE(error);
    Matrix4 expected = MatrixIdentity();
    expected.m12 = -0.1f;
    expected.m21 = 0.1f;
    EXPECT_EQ(o, expected) << "not re-orthonormalised";
}

TEST(StepFormulas, NewOrientationReportsTheFailingHelper) {
    MathError error;
    EXPECT_EQ(math.NewOrientation(MatrixIdentity(), Vector3{0, 1e30f, 0}, 1e10f, error), Matrix4{});
    EXPECT_EQ(error.Code, ErrorCode::Overflow);
    EXPECT_STREQ(error.Operation, "MatrixMultiplyConstant");
    EXPECT_EQ(error.Element, 3);  // m13 = wy
    Matrix4 big = MatrixIdentity();
    big.m11 = 3e38f;
    math.NewOrientation(big, Vector3{0, 0, 1}, 1e-30f, error);  // m12 = 3e38 x -1 x 1e-30: in range
    EXPECT_FALSE(error);
    math.NewOrientation(big, Vector3{0, 0, -1}, 1e38f, error);  // m11 + ... fine, m12 = 3e38 x 1e38 overflows
    EXPECT_EQ(error.Code, ErrorCode::Overflow);
    EXPECT_EQ(error.Element, 2);
}

TEST(StepFormulas, NewMomentOfInertiaTurnsTheTensorIntoWorldAxes) {
    // A body turned 90 degrees about y: its forward axis (inertia 3) points along world x.
    const Matrix4 o = Rows(Vector3{0, 0, -1}, Vector3{0, 1, 0}, Vector3{1, 0, 0}, Vector3{}, 1);
    EXPECT_EQ(math.NewMomentOfInertia(o, Diagonal(1, 2, 3, 1)), Diagonal(3, 2, 1, 1));
}

TEST(StepFormulas, NewAngularVelocityMultipliesTheRowVectorByTheUpperLeftBlock) {
    Matrix4 m;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m(r, c) = static_cast<float>(r * 4 + c + 1);
    // (1, 2, 3) x rows (1 2 3), (5 6 7), (9 10 11); row and column 4 play no part
    EXPECT_EQ(math.NewAngularVelocity(Vector3{1, 2, 3}, m), (Vector3{38, 44, 50}));
}
