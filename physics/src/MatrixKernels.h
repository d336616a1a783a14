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
#include <cstdint>

#include <cstring>

#if defined(__SSE__)
#include <emmintrin.h>
#endif

namespace dynamora::kernels {

using F4 = float __attribute__((vector_size(16)));
using I4 = int32_t __attribute__((vector_size(16)));

struct Rows {
    F4 r[4];
};
static_assert(sizeof(Matrix4) == sizeof(Rows), "Matrix4 must be sixteen packed floats");

// Unaligned 16-byte access to float storage (may_alias: the storage is declared as floats).
using F4Storage = float __attribute__((vector_size(16), may_alias, aligned(4)));

inline F4 LoadF4(const void* p) noexcept { return *static_cast<const F4Storage*>(p); }
inline void StoreF4(void* p, F4 v) noexcept { *static_cast<F4Storage*>(p) = v; }

// Row by row, so that the rows can live in registers.
inline F4 LoadRow(const Matrix4& m, int row) noexcept { return LoadF4(reinterpret_cast<const char*>(&m) + sizeof(F4) * row); }

inline void StoreRow(Matrix4& m, int row, F4 r) noexcept { StoreF4(reinterpret_cast<char*>(&m) + sizeof(F4) * row, r); }

inline Rows Load(const Matrix4& m) noexcept { return Rows{{LoadRow(m, 0), LoadRow(m, 1), LoadRow(m, 2), LoadRow(m, 3)}}; }

inline Matrix4 Store(const Rows& rows) noexcept {
    Matrix4 m;
    StoreRow(m, 0, rows.r[0]);
    StoreRow(m, 1, rows.r[1]);
    StoreRow(m, 2, rows.r[2]);
    StoreRow(m, 3, rows.r[3]);
    return m;
}

inline F4 Load(const Vector3& v) noexcept { return F4{v.x, v.y, v.z, 0.0f}; }
inline Vector3 Store3(F4 v) noexcept { return Vector3{v[0], v[1], v[2]}; }

// Lane i of v in all four lanes.
template <int i>
inline F4 Broadcast(F4 v) noexcept {
#if defined(__SSE2__)
    // pshufd copies and shuffles in one instruction (shufps needs a copy first).
    return (F4)_mm_shuffle_epi32((__m128i)v, i * 0x55);
#elif defined(__clang__)
    return __builtin_shufflevector(v, v, i, i, i, i);
#else
    return __builtin_shuffle(v, I4{i, i, i, i});
#endif
}

// Lanes picked from a (0-3) and b (4-7).
template <int i0, int i1, int i2, int i3>
inline F4 Shuffle(F4 a, F4 b) noexcept {
#if defined(__clang__)
    return __builtin_shufflevector(a, b, i0, i1, i2, i3);
#else
    return __builtin_shuffle(a, b, I4{i0, i1, i2, i3});
#endif
}

// Lanes of b where mask is set, of a elsewhere.
inline F4 Select(I4 mask, F4 b, F4 a) noexcept { return (F4)(((I4)b & mask) | ((I4)a & ~mask)); }

inline bool Any(I4 mask) noexcept {
#if defined(__SSE__)
    return _mm_movemask_ps((__m128)mask) != 0;
#else
    return (mask[0] | mask[1] | mask[2] | mask[3]) != 0;
#endif
}

// --- products -------------------------------------------------------------------------------

// Row vector a times b: a1 b1 + a2 b2 + a3 b3 + a4 b4 over the rows bk of b, added left to right.
inline F4 RowTimes(F4 a, const Rows& b) noexcept {
    return Broadcast<0>(a) * b.r[0] + Broadcast<1>(a) * b.r[1] + Broadcast<2>(a) * b.r[2] + Broadcast<3>(a) * b.r[3];
}

// a x b.
inline Rows Multiply(const Rows& a, const Rows& b) noexcept {
    return Rows{{RowTimes(a.r[0], b), RowTimes(a.r[1], b), RowTimes(a.r[2], b), RowTimes(a.r[3], b)}};
}

// Row i of transpose(a) x b: column i of a times b.
template <int i>
inline F4 ColumnTimes(const Rows& a, const Rows& b) noexcept {
    return Broadcast<i>(a.r[0]) * b.r[0] + Broadcast<i>(a.r[1]) * b.r[1] + Broadcast<i>(a.r[2]) * b.r[2] +
           Broadcast<i>(a.r[3]) * b.r[3];
}

// transpose(a) x b.
inline Rows MultiplyTransposed(const Rows& a, const Rows& b) noexcept {
    return Rows{{ColumnTimes<0>(a, b), ColumnTimes<1>(a, b), ColumnTimes<2>(a, b), ColumnTimes<3>(a, b)}};
}

// o x S, where S is the skew matrix of w = (x, y, z, +0), padded with a zero row and column 4
// (for a row vector v, v x S is the cross product v x w):
//   ( 0  -z   y  0)
//   ( z   0  -x  0)
//   (-y   x   0  0)
//   ( 0   0   0  0)
inline Rows MultiplySkew(const Rows& o, F4 w) noexcept {
    const F4 n = -w;  // lanes 4-7 below; lane 3 of w is the +0 of the padding
    const Rows s{{Shuffle<3, 6, 1, 3>(w, n), Shuffle<2, 3, 4, 3>(w, n), Shuffle<5, 0, 3, 3>(w, n), F4{}}};
    return Multiply(o, s);
}

// --- vectors ----------------------------------------------------------------------------------

// (a.b) in every lane, added as (x + y) + z.
inline F4 DotSplat(F4 a, F4 b) noexcept {
    const F4 p = a * b;
    return (Broadcast<0>(p) + Broadcast<1>(p)) + Broadcast<2>(p);
}

inline F4 Sqrt(F4 v) noexcept {
#if defined(__SSE__)
    return _mm_sqrt_ps(v);
#else
    return F4{std::sqrt(v[0]), std::sqrt(v[1]), std::sqrt(v[2]), std::sqrt(v[3])};
#endif
}

// v / |v|, with |v| = sqrt((x*x + y*y) + z*z); the zero vector stays zero.
inline F4 Normalize3(F4 v) noexcept {
    const F4 length = Sqrt(DotSplat(v, v));
    if (length[0] == 0.0f) return F4{};
    return v / length;
}

// VectorComponentAlong: rewrites both arguments as unit vectors.
inline F4 ComponentAlong(F4& v1, F4& v2) noexcept {
    v1 = Normalize3(v1);
    v2 = Normalize3(v2);
    return v1 * DotSplat(v1, v2);
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
    F4 b = ComponentOrthogonal(a, r1);         // a, r1 unit; b = r1 - (a.r1) a
    const F4 c1 = ComponentOrthogonal(a, r2);  // r2 unit; c1 = r2 - (a.r2) a
    const F4 c2 = ComponentAlong(b, r2);       // b unit; c2 = (b.r2) b
    const F4 c = c1 - c2;
    m.r[0] = Select(xyz, Normalize3(a), m.r[0]);
    m.r[1] = Select(xyz, Normalize3(b), m.r[1]);
    m.r[2] = Select(xyz, Normalize3(c), m.r[2]);
}

// --- checked arithmetic ----------------------------------------------------------------------
//
// A result fails when it is infinite or not a number, or when it underflows: the exact result
// is not zero but the rounded one is zero or subnormal. A sum of floats is zero only when it is
// exactly zero, so for sums underflow means a non-zero subnormal result; a product underflows
// when both factors are non-zero and the result is below the normal range.
// The fast paths test all lanes at once; only a failure is examined element by element.

using U4 = uint32_t __attribute__((vector_size(16)));

// |v| as bits: the sign cleared.
inline I4 AbsBits(F4 v) noexcept { return (I4)v & 0x7fffffff; }

// Lanes outside the normal range: zero, subnormal, infinite or not a number. Adding
// 0x7f800000 to the magnitude bits (wrapping) maps the normal magnitudes 0x00800000 ..
// 0x7f7fffff onto the lowest signed values, INT_MIN .. -0x1000001, and everything else above.
inline I4 NotNormal(I4 absBits) noexcept { return (I4)((U4)absBits + 0x7f800000u) > -0x1000001; }

// A sum fails when it is not normal and not zero.
inline I4 BadSum(F4 sum) noexcept {
    const I4 a = AbsBits(sum);
    return NotNormal(a) & ~(a == 0);
}

// A product fails when it is not normal and not an exact zero: zero is exact when a factor is
// zero (nonZeroValue is all ones when the scalar factor is not zero).
inline I4 BadProduct(F4 product, F4 factor, I4 nonZeroValue) noexcept {
    const I4 a = AbsBits(product);
    return NotNormal(a) & ~((a | (AbsBits(factor) & nonZeroValue)) == 0);
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
// Kept out of line so that the fast paths hold their matrices in registers.
[[gnu::noinline, gnu::cold]] inline Rows ScaleRows123Stepwise(float value, Rows m, MathError& error) noexcept {
    error = MathError{};
    for (int i = 0; i < 12; ++i) {
        const float x = m.r[i / 4][i % 4];
        const float product = value * x;
        if (BadProduct(product, x, value)) {
            error = MathError{Classify(product), i + 1, "MatrixMultiplyConstant"};
            break;
        }
        m.r[i / 4][i % 4] = product;
    }
    return m;
}

[[gnu::noinline, gnu::cold]] inline MathError SumStepwise(Rows a, Rows b) noexcept {
    for (int i = 0; i < 16; ++i) {
        const float sum = a.r[i / 4][i % 4] + b.r[i / 4][i % 4];
        if (BadSum(sum)) return MathError{Classify(sum), i + 1, "MatrixSum"};
    }
    return MathError{};
}

// MatrixMultiplyConstant: rows 1-3 of m times value, in place. On failure m holds the
// elements before the faulty one scaled and the others unchanged.
inline MathError ScaleRows123(float value, Rows& m) noexcept {
    const F4 s0 = value * m.r[0], s1 = value * m.r[1], s2 = value * m.r[2];
    const I4 nonZeroValue = I4{} - (value != 0.0f ? 1 : 0);
    const I4 bad = BadProduct(s0, m.r[0], nonZeroValue) | BadProduct(s1, m.r[1], nonZeroValue) |
                   BadProduct(s2, m.r[2], nonZeroValue);
    if (__builtin_expect(Any(bad), 0)) {
        MathError error;
        m = ScaleRows123Stepwise(value, m, error);
        return error;
    }
    m.r[0] = s0;
    m.r[1] = s1;
    m.r[2] = s2;
    return MathError{};
}

// MatrixSum: a + b. On failure error tells where and the result is the zero matrix.
inline Rows Sum(const Rows& a, const Rows& b, MathError& error) noexcept {
    const Rows s{{a.r[0] + b.r[0], a.r[1] + b.r[1], a.r[2] + b.r[2], a.r[3] + b.r[3]}};
    const I4 bad = BadSum(s.r[0]) | BadSum(s.r[1]) | BadSum(s.r[2]) | BadSum(s.r[3]);
    if (__builtin_expect(Any(bad), 0)) {
        error = SumStepwise(a, b);
        return Rows{};
    }
    error = MathError{};
    return s;
}

// target += addend component by component (x, y, z), checked; on failure the components before
// the faulty one are already added. Lane 3 of both is the +0 padding. Operation is the name to
// report.
inline MathError AddChecked(F4& target, F4 addend, const char* operation) noexcept {
    const F4 sum = target + addend;
    if (__builtin_expect(!Any(BadSum(sum)), 1)) {
        target = sum;
        return MathError{};
    }
    for (int i = 0; i < 3; ++i) {
        const float s = target[i] + addend[i];
        if (BadSum(s)) return MathError{Classify(s), i + 1, operation};
        target[i] = s;
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
