#include "TestSupport.h"

#include <dynamora/modMathAndPhysicsGlobal.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <thread>

using namespace dynamora;
using namespace dynamora::testing;

TEST(VectorHelpers, ComponentAlongRewritesBothArgumentsAsUnitVectors) {
    Vector3 v1{2, 0, 0}, v2{0, 3, 0};
    EXPECT_EQ(VectorComponentAlong(v1, v2), (Vector3{0, 0, 0}));
    EXPECT_EQ(v1, (Vector3{1, 0, 0}));
    EXPECT_EQ(v2, (Vector3{0, 1, 0}));

    Vector3 a{0, 0, 4}, b{0, 3, 3};  // 45 degrees apart: (u1.u2) u1 = (0, 0, 0.7071)
    EXPECT_TRUE(VectorNear(VectorComponentAlong(a, b), Vector3{0, 0, std::sqrt(0.5f)}, kRounding));
    EXPECT_TRUE(VectorNear(b, Vector3{0, std::sqrt(0.5f), std::sqrt(0.5f)}, kRounding));
}

TEST(VectorHelpers, ComponentOrthogonalUsesUnitVectorsAndRewritesArguments) {
    Vector3 v1{1, 0, 0}, v2{1, 1, 0};
    const Vector3 orthogonal = VectorComponentOrthogonal(v1, v2);
    EXPECT_TRUE(VectorNear(orthogonal, Vector3{0, 0.7071f, 0}, kFourPlaces));
    EXPECT_FLOAT_EQ(orthogonal.y, std::sqrt(0.5f));
    EXPECT_EQ(v1, (Vector3{1, 0, 0}));
    EXPECT_TRUE(VectorNear(v2, Vector3{std::sqrt(0.5f), std::sqrt(0.5f), 0}, kRounding));
}

TEST(VectorHelpers, NormalizeGivesUnitVectorAndZeroForZero) {
    EXPECT_TRUE(VectorNear(Normalize(Vector3{0, -3, 4}), Vector3{0, -0.6f, 0.8f}, kRounding));
    EXPECT_EQ(Normalize(Vector3{0, 0, 0}), (Vector3{0, 0, 0}));
    EXPECT_FLOAT_EQ(VectorLength(Vector3{2, -3, 6}), 7.0f);
}

TEST(VectorHelpers, CrossProductFollowsTheRightHandRule) {
    EXPECT_EQ(VectorCross(Vector3{1, 0, 0}, Vector3{0, 1, 0}), (Vector3{0, 0, 1}));
    EXPECT_EQ(VectorCross(Vector3{1, 2, 3}, Vector3{4, 5, 6}), (Vector3{-3, 6, -3}));
    EXPECT_EQ(VectorSubtract(Vector3{1, 2, 3}, Vector3{4, 6, 8}), (Vector3{-3, -4, -5}));
    EXPECT_EQ(VectorScale(Vector3{1, -2, 3}, -2), (Vector3{-2, 4, -6}));
}

TEST(MatrixHelpers, ProductIsRowByColumnAndTransposeSwaps) {
    Matrix4 a, b;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            a(r, c) = static_cast<float>(r * 4 + c + 1);  // 1..16
            b(r, c) = static_cast<float>((r + 1) * (c % 2 == 0 ? 1 : -1));
        }
    const Matrix4 p = MatrixMultiply(a, b);
    // row 1 of a is (1, 2, 3, 4); column 1 of b is (1, 2, 3, 4), column 2 its negation
    EXPECT_EQ(p.m11, 30.0f);
    EXPECT_EQ(p.m12, -30.0f);
    EXPECT_EQ(p.m41, 13.0f * 1 + 14 * 2 + 15 * 3 + 16 * 4);
    const Matrix4 t = MatrixTranspose(a);
    EXPECT_EQ(t.m12, a.m21);
    EXPECT_EQ(t.m41, a.m14);
    EXPECT_EQ(MatrixMultiply(MatrixIdentity(), a), a);
    // a translation in row 4 moves a row vector (v x M)
    Matrix4 move = MatrixIdentity();
    move.m41 = 5;
    Matrix4 point;
    point.m11 = 1, point.m14 = 1;
    EXPECT_EQ(MatrixMultiply(point, move).m11, 6.0f);
}

TEST(MatrixHelpers, MultiplyConstantScalesRowsOneToThreeInPlace) {
    Matrix4 m = MatrixIdentity();
    m.m41 = 7, m.m14 = 3;
    const Matrix4 result = MatrixMultiplyConstant(2.0f, m);
    EXPECT_FALSE(LastMathError());
    Matrix4 expected = Diagonal(2, 2, 2, 1);
    expected.m41 = 7, expected.m14 = 6;
    EXPECT_EQ(result, expected);
    EXPECT_EQ(m, expected) << "the argument is scaled in place";
}

TEST(MatrixHelpers, MultiplyConstantStopsAtTheFirstFaultyElement) {
    Matrix4 m;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m(r, c) = 1.0f + r * 4 + c;
    m.m23 = 1e30f;  // element 7: 1e30 * 1e10 overflows
    const Matrix4 original = m;
    MathError error;
    EXPECT_EQ(MatrixMultiplyConstant(1e10f, m, error), Matrix4{});
    EXPECT_EQ(error.Code, ErrorCode::Overflow);
    EXPECT_EQ(error.Element, 7);
    EXPECT_STREQ(error.Operation, "MatrixMultiplyConstant");
    for (int i = 0; i < 16; ++i) {
        const int r = i / 4, c = i % 4;
        if (i < 6)
            EXPECT_EQ(m(r, c), original(r, c) * 1e10f) << "element " << i + 1 << " comes before the fault";
        else
            EXPECT_EQ(m(r, c), original(r, c)) << "element " << i + 1 << " is not reached";
    }
}

TEST(MatrixHelpers, MultiplyConstantUnderflowAndInvalidResultsFailButExactZerosDoNot) {
    Matrix4 tiny = MatrixIdentity();
    tiny.m12 = 1e-20f;
    MatrixMultiplyConstant(1e-20f, tiny);
    EXPECT_EQ(LastMathError().Code, ErrorCode::Underflow);
    EXPECT_EQ(LastMathError().Element, 2);
    EXPECT_EQ(tiny.m11, 1e-20f) << "m11 = 1 x 1e-20 comes before the fault";

    Matrix4 big = MatrixIdentity();
    big.m11 = 3e38f;
    MatrixMultiplyConstant(0.0f, big);  // 0 x anything finite is exactly 0: no underflow
    EXPECT_FALSE(LastMathError());
    EXPECT_EQ(big, Diagonal(0, 0, 0, 1));

    Matrix4 infinite = MatrixIdentity();
    infinite.m22 = INFINITY;
    MatrixMultiplyConstant(0.0f, infinite);
    EXPECT_EQ(LastMathError().Code, ErrorCode::InvalidOperation);
    EXPECT_EQ(LastMathError().Element, 6);
}

TEST(MatrixHelpers, SumIsCheckedAndALaterSuccessClearsTheLastError) {
    Matrix4 a = MatrixIdentity(), b = MatrixIdentity();
    a.m34 = 3e38f, b.m34 = 3e38f;
    EXPECT_EQ(MatrixSum(a, b), Matrix4{});
    EXPECT_EQ(LastMathError().Code, ErrorCode::Overflow);
    EXPECT_EQ(LastMathError().Element, 12);
    EXPECT_STREQ(LastMathError().Operation, "MatrixSum");

    Matrix4 c, d;
    c.m44 = FLT_MIN, d.m44 = -FLT_MIN / 2;  // subnormal, non-zero sum
    MathError error;
    MatrixSum(c, d, error);
    EXPECT_EQ(error.Code, ErrorCode::Underflow);
    EXPECT_EQ(error.Element, 16);

    c.m44 = 5e-30f, d.m44 = -5e-30f;  // exact cancellation is a plain zero
    EXPECT_EQ(MatrixSum(c, d), Matrix4{});
    EXPECT_FALSE(LastMathError());
    EXPECT_EQ(MatrixSum(MatrixIdentity(), MatrixIdentity()), Diagonal(2, 2, 2, 2));
}

TEST(MatrixHelpers, LastMathErrorIsPerThreadAndUntouchedByTheOutParameterForm) {
    Matrix4 m = MatrixIdentity();
    m.m11 = 3e38f;
    MatrixMultiplyConstant(10.0f, m);
    ASSERT_TRUE(LastMathError());
    MathError error;
    Matrix4 ok = MatrixIdentity();
    MatrixMultiplyConstant(2.0f, ok, error);
    EXPECT_FALSE(error);
    EXPECT_TRUE(LastMathError()) << "the out-parameter form must not reset the thread's record";
    EXPECT_STREQ(ErrorText(ErrorCode::Overflow), "overflow");

    MathError seenElsewhere{ErrorCode::Overflow, 0, nullptr};
    std::thread([&] { seenElsewhere = LastMathError(); }).join();
    EXPECT_FALSE(seenElsewhere) << "another thread has its own record";
    EXPECT_TRUE(LastMathError());
}

TEST(Reorthogonalize, OrthonormalMatrixIsUnchangedAndRowFourColumnFourAreLeftAlone) {
    const float c = std::cos(0.3f), s = std::sin(0.3f);
    Matrix4 m = Rows(Vector3{c, 0, -s}, Vector3{0, 1, 0}, Vector3{s, 0, c}, Vector3{4, 5, 6}, 1);
    m.m14 = 0.25f, m.m24 = -0.5f, m.m34 = 2;
    const Matrix4 original = m;
    const Matrix4 result = Reorthogonalize(m);
    EXPECT_TRUE(MatrixNear(result, original, kRounding));
    EXPECT_EQ(result, m);
    EXPECT_EQ(m.m14, 0.25f);
    EXPECT_EQ(m.m24, -0.5f);
    EXPECT_EQ(m.m34, 2.0f);
    EXPECT_EQ(m.m41, 4.0f);
    EXPECT_EQ(m.m44, 1.0f);
}

TEST(Reorthogonalize, SkewedAndScaledRowsBecomeTheIdentity) {
    Matrix4 m = Rows(Vector3{2, 0, 0}, Vector3{1, 1, 0}, Vector3{0, 0, 5}, Vector3{}, 1);
    Reorthogonalize(m);
    EXPECT_TRUE(MatrixNear(m, MatrixIdentity(), kRounding));
}

TEST(Reorthogonalize, GeneralRowsComeOutOrthonormalWithTheFirstRowKeptInDirection) {
    Matrix4 m = Rows(Vector3{1, 0.2f, 0.1f}, Vector3{0.3f, 1, -0.2f}, Vector3{0.1f, 0.4f, 1.2f}, Vector3{}, 1);
    const Vector3 first = Normalize(Vector3{m.m11, m.m12, m.m13});
    Reorthogonalize(m);
    const Vector3 r[3] = {{m.m11, m.m12, m.m13}, {m.m21, m.m22, m.m23}, {m.m31, m.m32, m.m33}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(VectorLength(r[i]), 1.0f, kRounding);
        for (int j = i + 1; j < 3; ++j)
            EXPECT_NEAR(r[i].x * r[j].x + r[i].y * r[j].y + r[i].z * r[j].z, 0.0f, kRounding);
    }
    EXPECT_TRUE(VectorNear(r[0], first, kRounding));
    const Vector3 normal = VectorCross(r[0], r[1]);
    EXPECT_NEAR(normal.x * r[2].x + normal.y * r[2].y + normal.z * r[2].z, 1.0f, kRounding) << "no reflection";
}
