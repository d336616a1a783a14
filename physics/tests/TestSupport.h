// Comparison helpers shared by the Dynamora tests.
#pragma once

#include <dynamora/modMathAndPhysicsGlobal.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace dynamora::testing {

// Tolerance for values the behaviour states to four decimal places.
inline constexpr float kFourPlaces = 0.5e-4f;
// Tolerance for results that are exact up to float rounding.
inline constexpr float kRounding = 1e-6f;

inline ::testing::AssertionResult VectorNear(const Vector3& actual, const Vector3& expected, float tolerance) {
    if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance &&
        std::fabs(actual.z - expected.z) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z << ") is not within "
                                         << tolerance << " of (" << expected.x << ", " << expected.y << ", " << expected.z << ")";
}

inline ::testing::AssertionResult MatrixNear(const Matrix4& actual, const Matrix4& expected, float tolerance) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!(std::fabs(actual(r, c) - expected(r, c)) <= tolerance))
                return ::testing::AssertionFailure() << "m" << r + 1 << c + 1 << " is " << actual(r, c) << ", expected "
                                                     << expected(r, c) << " within " << tolerance;
    return ::testing::AssertionSuccess();
}

// Same bits, so +0 and -0 differ and NaNs must match exactly.
template <typename T>
::testing::AssertionResult SameBits(const T& actual, const T& expected) {
    if (std::memcmp(&actual, &expected, sizeof(T)) == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "bit patterns differ";
}

inline Matrix4 Diagonal(float a, float b, float c, float d) {
    Matrix4 m;
    m.m11 = a;
    m.m22 = b;
    m.m33 = c;
    m.m44 = d;
    return m;
}

inline Matrix4 Rows(const Vector3& r1, const Vector3& r2, const Vector3& r3, const Vector3& r4, float m44) {
    Matrix4 m;
    m.m11 = r1.x, m.m12 = r1.y, m.m13 = r1.z;
    m.m21 = r2.x, m.m22 = r2.y, m.m23 = r2.z;
    m.m31 = r3.x, m.m32 = r3.y, m.m33 = r3.z;
    m.m41 = r4.x, m.m42 = r4.y, m.m43 = r4.z;
    m.m44 = m44;
    return m;
}

}  // namespace dynamora::testing
