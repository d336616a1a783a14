// Vector and matrix helpers of Dynamora, shared by the library and its hosts.
//
// Vectors are row vectors (v x M); in an orientation matrix rows 1-3 are the side, up and
// forward axes and row 4 the position. All arithmetic is float.
//
// Helpers documented as "rewriting" an argument take it by non-const reference and leave the
// new value there for the caller.
//
// Failures. Only MatrixSum and MatrixMultiplyConstant check their arithmetic. A result that
// overflows, divides by zero, is not a number, or underflows (a non-zero exact result that
// comes out zero or subnormal; exact zeros such as 0 * x are fine) stops the helper at that
// element. Each has two forms: one reports through an out-parameter, the other records the
// outcome of its latest call on the calling thread, readable with LastMathError(). Nothing
// in the library throws.
#pragma once

#include <qxcommon/Matrix4.h>
#include <qxcommon/Vector3.h>

#include <cstdint>

#define DYNAMORA_API __attribute__((visibility("default")))

namespace dynamora {

using qxcommon::Matrix4;
using qxcommon::Vector3;

// Why an operation failed.
enum class ErrorCode : int32_t {
    None = 0,
    DivisionByZero = 1,
    Overflow = 2,
    Underflow = 3,
    InvalidOperation = 4,  // a result that is not a number (for example 0 x infinity)
    SingularMatrix = 5,    // a matrix that has no inverse
};

// Outcome of a checked helper. Element is the failing element: 1..16 for m11..m44 in row
// order, 1..3 for x, y, z of a vector, 0 for a scalar. Operation names the helper that failed
// (a static string, nullptr on success).
struct MathError {
    ErrorCode Code = ErrorCode::None;
    int32_t Element = 0;
    const char* Operation = nullptr;

    explicit operator bool() const noexcept { return Code != ErrorCode::None; }
};

// Short English description: "division by zero", "overflow", ...; "no error" for None.
DYNAMORA_API const char* ErrorText(ErrorCode Code) noexcept;

// Outcome of the latest MatrixSum / MatrixMultiplyConstant (without out-parameter) called on
// this thread; a successful call resets it.
DYNAMORA_API MathError LastMathError() noexcept;

DYNAMORA_API Vector3 VectorMake(float x, float y, float z) noexcept;
// Unit vector of Vector; the zero vector (length 0) gives (0, 0, 0).
DYNAMORA_API Vector3 Normalize(const Vector3& Vector) noexcept;
DYNAMORA_API Vector3 VectorScale(const Vector3& Vector, float Amount) noexcept;
DYNAMORA_API float VectorLength(const Vector3& Vector) noexcept;
DYNAMORA_API Vector3 VectorAdd(const Vector3& Vector1, const Vector3& Vector2) noexcept;
DYNAMORA_API Vector3 VectorSubtract(const Vector3& Vector1, const Vector3& Vector2) noexcept;
DYNAMORA_API Vector3 VectorCross(const Vector3& Vector1, const Vector3& Vector2) noexcept;
// (u1 . u2) u1 with u1, u2 the unit vectors of the arguments; rewrites both arguments as
// their unit vectors.
DYNAMORA_API Vector3 VectorComponentAlong(Vector3& Vector1, Vector3& Vector2) noexcept;
// u2 - (u1 . u2) u1; rewrites both arguments as their unit vectors.
DYNAMORA_API Vector3 VectorComponentOrthogonal(Vector3& Vector1, Vector3& Vector2) noexcept;
// Gram-Schmidt on the x, y, z parts of rows 1-3 (row 4 and column 4 untouched); writes the
// result into Matrix and returns it.
DYNAMORA_API Matrix4 Reorthogonalize(Matrix4& Matrix) noexcept;
DYNAMORA_API Matrix4 MatrixMultiply(const Matrix4& Matrix1, const Matrix4& Matrix2) noexcept;
DYNAMORA_API Matrix4 MatrixTranspose(const Matrix4& Matrix) noexcept;
DYNAMORA_API Matrix4 MatrixIdentity() noexcept;

// Element-wise sum of all sixteen elements, checked in the order m11, m12, ... On failure
// the result is the all-zero matrix.
DYNAMORA_API Matrix4 MatrixSum(const Matrix4& Matrix1, const Matrix4& Matrix2) noexcept;
DYNAMORA_API Matrix4 MatrixSum(const Matrix4& Matrix1, const Matrix4& Matrix2, MathError& Error) noexcept;

// Scales rows 1-3 of Matrix in place (row 4 is left alone) and returns a copy, checked in
// the order m11, m12, ... On failure the elements before the faulty one stay scaled, the
// rest keep their values, and the result is the all-zero matrix.
DYNAMORA_API Matrix4 MatrixMultiplyConstant(float Value, Matrix4& Matrix) noexcept;
DYNAMORA_API Matrix4 MatrixMultiplyConstant(float Value, Matrix4& Matrix, MathError& Error) noexcept;

}  // namespace dynamora
