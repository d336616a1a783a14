// Four-lane forms of the vector and matrix helpers, for the library's hot paths.
//
// A matrix is held as four rows of four floats and a vector as (x, y, z, 0). Every lane does
// the same float operations, in the same order, as the scalar formula it stands for (a 4 x 4
// product row is a(i,1) b1 + a(i,2) b2 + a(i,3) b3 + a(i,4) b4, added left to right), so the
// results are bit for bit those of the plain helpers; the tests compare the two.
// The library is built with -ffp-contract=off so that no multiply-add is fused.
#pragma once

#include "dynamora/modMathAndPhysicsGlobal.h"

#include <cfloat>
#include <cmath>
#include <bit>

namespace dynamora::kernels {

using F4 = float __attribute__((vector_size(16)));
using I4 = int32_t __attribute__((vector_size(16)));

struct Rows {
    F4 r[4];
};
static_assert(sizeof(Matrix4) == sizeof(Rows), "Matrix4 must be sixteen packed floats");

inline Rows Load(const Matrix4& m) noexcept { return std::bit_cast<Rows>(m); }
inline Matrix4 Store(const Rows& rows) noexcept { return std::bit_cast<Matrix4>(rows); }

inline F4 Load(const Vector3& v) noexcept { return F4{v.x, v.y, v.z, 0.0f}; }
inline Vector3 Store3(F4 v) noexcept { return Vector3{v[0], v[1], v[2]}; }

inline bool Any(I4 mask) noexcept { return (mask[0] | mask[1] | mask[2] | mask[3]) != 0; }

// --- products -------------------------------------------------------------------------------

// a x b.
inline Rows Multiply(const Rows& a, const Rows& b) noexcept {
    Rows out;
    for (int i = 0; i < 4; ++i)
        out.r[i] = a.r[i][0] * b.r[0] + a.r[i][1] * b.r[1] + a.r[i][2] * b.r[2] + a.r[i][3] * b.r[3];
    return out;
}

// transpose(a) x b, without forming the transpose: row i sums a(k,i) x row k of b.
inline Rows MultiplyTransposed(const Rows& a, const Rows& b) noexcept {
    Rows out;
    for (int i = 0; i < 4; ++i)
        out.r[i] = a.r[0][i] * b.r[0] + a.r[1][i] * b.r[1] + a.r[2][i] * b.r[2] + a.r[3][i] * b.r[3];
    return out;
}

// o x S, where S is the skew matrix of w (w x v = v x S for row vectors) padded with a zero
// row and column 4.
inline Rows MultiplySkew(const Rows& o, const Vector3& w) noexcept {
    const Rows s{{F4{0.0f, -w.z, w.y, 0.0f}, F4{w.z, 0.0f, -w.x, 0.0f}, F4{-w.y, w.x, 0.0f, 0.0f},
                  F4{0.0f, 0.0f, 0.0f, 0.0f}}};
    return Multiply(o, s);
}

// --- vectors ----------------------------------------------------------------------------------

inline float Dot3(F4 a, F4 b) noexcept {
    const F4 p = a * b;
    return (p[0] + p[1]) + p[2];
}

// v / |v|, with |v| = sqrt(x*x + y*y + z*z); the zero vector stays zero.
inline F4 Normalize3(F4 v) noexcept {
    const float length = std::sqrt(Dot3(v, v));
    if (length == 0.0f) return F4{0.0f, 0.0f, 0.0f, 0.0f};
    return v / length;
}

// VectorComponentAlong: rewrites both arguments as unit vectors.
inline F4 ComponentAlong(F4& v1, F4& v2) noexcept {
    v1 = Normalize3(v1);
    v2 = Normalize3(v2);
    return v1 * Dot3(v1, v2);
}

// VectorComponentOrthogonal: rewrites both arguments as unit vectors.
inline F4 ComponentOrthogonal(F4& v1, F4& v2) noexcept {
    const F4 along = ComponentAlong(v1, v2);
    return v2 - along;
}

// Gram-Schmidt on the x, y, z parts of rows 1-3; row 4 and column 4 keep their values.
inline void Reorthogonalize(Rows& m) noexcept {
    const I4 xyz = {-1, -1, -1, 0};
    F4 a = (F4)((I4)m.r[0] & xyz);
    F4 r1 = (F4)((I4)m.r[1] & xyz);
    F4 r2 = (F4)((I4)m.r[2] & xyz);
    F4 b = ComponentOrthogonal(a, r1);        // a, r1 unit; b = r1 - (a.r1) a
    const F4 c1 = ComponentOrthogonal(a, r2); // r2 unit; c1 = r2 - (a.r2) a
    const F4 c2 = ComponentAlong(b, r2);      // b unit; c2 = (b.r2) b
    F4 c = c1 - c2;
    a = Normalize3(a);
    b = Normalize3(b);
    c = Normalize3(c);
    m.r[0] = (F4)(((I4)a & xyz) | ((I4)m.r[0] & ~xyz));
    m.r[1] = (F4)(((I4)b & xyz) | ((I4)m.r[1] & ~xyz));
    m.r[2] = (F4)(((I4)c & xyz) | ((I4)m.r[2] & ~xyz));
}

// --- checked arithmetic ----------------------------------------------------------------------
//
// A result fails when it is infinite or not a number, or when it underflows: the exact result
// is not zero but the rounded one is zero or subnormal. A sum of floats is zero only when it is
// exactly zero, so for sums underflow means a non-zero subnormal result; a product underflows
// when both factors are non-zero and the result is below the normal range.
// The fast paths test all lanes at once; only a failure is examined element by element.

inline F4 Abs(F4 v) noexcept { return (F4)((I4)v & 0x7fffffff); }

inline I4 BadSum(F4 sum) noexcept {
    const F4 a = Abs(sum);
    return ~(a <= FLT_MAX) | ((a < FLT_MIN) & (sum != 0.0f));
}

inline I4 BadProduct(F4 product, F4 factor, float value) noexcept {
    const F4 a = Abs(product);
    return ~(a <= FLT_MAX) | ((a < FLT_MIN) & (factor != 0.0f) & (value != 0.0f ? -1 : 0));
}

inline bool BadSum(float sum) noexcept {
    const float a = std::fabs(sum);
    return !(a <= FLT_MAX) || (a < FLT_MIN && sum != 0.0f);
}

inline bool BadProduct(float product, float factor, float value) noexcept {
    const float a = std::fabs(product);
    return !(a <= FLT_MAX) || (a < FLT_MIN && factor != 0.0f && value != 0.0f);
}

// Why a result failed the checks above.
inline ErrorCode Classify(float result) noexcept {
    if (std::isnan(result)) return ErrorCode::InvalidOperation;
    if (std::isinf(result)) return ErrorCode::Overflow;
    return ErrorCode::Underflow;
}

// Element by element, stopping at the first failure: what the fast paths redo when a lane failed.
inline MathError ScaleRows123Stepwise(float value, Rows& m) noexcept {
    for (int i = 0; i < 12; ++i) {
        const float x = m.r[i / 4][i % 4];
        const float product = value * x;
        if (BadProduct(product, x, value)) return MathError{Classify(product), i + 1, "MatrixMultiplyConstant"};
        m.r[i / 4][i % 4] = product;
    }
    return MathError{};
}

inline MathError SumStepwise(const Rows& a, const Rows& b, Rows& out) noexcept {
    for (int i = 0; i < 16; ++i) {
        const float sum = a.r[i / 4][i % 4] + b.r[i / 4][i % 4];
        if (BadSum(sum)) return MathError{Classify(sum), i + 1, "MatrixSum"};
        out.r[i / 4][i % 4] = sum;
    }
    return MathError{};
}

// MatrixMultiplyConstant: rows 1-3 of m times value, in place. On failure m holds the
// elements before the faulty one scaled and the others unchanged.
inline MathError ScaleRows123(float value, Rows& m) noexcept {
    const F4 s0 = value * m.r[0], s1 = value * m.r[1], s2 = value * m.r[2];
    const I4 bad = BadProduct(s0, m.r[0], value) | BadProduct(s1, m.r[1], value) | BadProduct(s2, m.r[2], value);
    if (__builtin_expect(Any(bad), 0)) return ScaleRows123Stepwise(value, m);
    m.r[0] = s0;
    m.r[1] = s1;
    m.r[2] = s2;
    return MathError{};
}

// MatrixSum: out = a + b. On failure out is left unchanged from the failing element on.
inline MathError Sum(const Rows& a, const Rows& b, Rows& out) noexcept {
    Rows s;
    I4 bad = {0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        s.r[i] = a.r[i] + b.r[i];
        bad |= BadSum(s.r[i]);
    }
    if (__builtin_expect(Any(bad), 0)) return SumStepwise(a, b, out);
    out = s;
    return MathError{};
}

// target += addend component by component (x, y, z), checked; on failure the components before
// the faulty one are already added. Operation is the name to report.
inline MathError AddChecked(Vector3& target, const Vector3& addend, const char* operation) noexcept {
    const F4 sum = Load(target) + Load(addend);
    if (__builtin_expect(!Any(BadSum(sum)), 1)) {
        target = Store3(sum);
        return MathError{};
    }
    float* const t[3] = {&target.x, &target.y, &target.z};
    const float a[3] = {addend.x, addend.y, addend.z};
    for (int i = 0; i < 3; ++i) {
        const float s = *t[i] + a[i];
        if (BadSum(s)) return MathError{Classify(s), i + 1, operation};
        *t[i] = s;
    }
    return MathError{};
}

// a / b for a scalar step, checked: a zero divisor fails before dividing.
inline MathError DivideChecked(float a, float b, float& quotient, const char* operation) noexcept {
    if (b == 0.0f) return MathError{ErrorCode::DivisionByZero, 0, operation};
    const float q = a / b;
    const float m = std::fabs(q);
    if (!(m <= FLT_MAX) || (m < FLT_MIN && a != 0.0f)) return MathError{Classify(q), 0, operation};
    quotient = q;
    return MathError{};
}

}  // namespace dynamora::kernels
