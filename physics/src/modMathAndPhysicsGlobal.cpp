#include "dynamora/modMathAndPhysicsGlobal.h"

#include "MatrixKernels.h"

#include <cmath>

namespace dynamora {

namespace {
thread_local MathError lastMathError;
}  // namespace

const char* ErrorText(ErrorCode Code) noexcept {
    switch (Code) {
    case ErrorCode::None: return "no error";
    case ErrorCode::DivisionByZero: return "division by zero";
    case ErrorCode::Overflow: return "overflow";
    case ErrorCode::Underflow: return "underflow";
    case ErrorCode::InvalidOperation: return "invalid operation (result is not a number)";
    case ErrorCode::SingularMatrix: return "matrix cannot be inverted";
    }
    return "unknown error";
}

MathError LastMathError() noexcept { return lastMathError; }

Vector3 VectorMake(float x, float y, float z) noexcept { return Vector3{x, y, z}; }

Vector3 Normalize(const Vector3& Vector) noexcept {
    const float length = VectorLength(Vector);
    if (length == 0.0f) return Vector3{};
    return Vector3{Vector.x / length, Vector.y / length, Vector.z / length};
}

Vector3 VectorScale(const Vector3& Vector, float Amount) noexcept {
    return Vector3{Vector.x * Amount, Vector.y * Amount, Vector.z * Amount};
}

float VectorLength(const Vector3& Vector) noexcept {
    return std::sqrt(Vector.x * Vector.x + Vector.y * Vector.y + Vector.z * Vector.z);
}

Vector3 VectorAdd(const Vector3& Vector1, const Vector3& Vector2) noexcept {
    return Vector3{Vector1.x + Vector2.x, Vector1.y + Vector2.y, Vector1.z + Vector2.z};
}

Vector3 VectorSubtract(const Vector3& Vector1, const Vector3& Vector2) noexcept {
    return Vector3{Vector1.x - Vector2.x, Vector1.y - Vector2.y, Vector1.z - Vector2.z};
}

Vector3 VectorCross(const Vector3& Vector1, const Vector3& Vector2) noexcept {
    return Vector3{Vector1.y * Vector2.z - Vector1.z * Vector2.y, Vector1.z * Vector2.x - Vector1.x * Vector2.z,
                   Vector1.x * Vector2.y - Vector1.y * Vector2.x};
}

Vector3 VectorComponentAlong(Vector3& Vector1, Vector3& Vector2) noexcept {
    Vector1 = Normalize(Vector1);
    Vector2 = Normalize(Vector2);
    const float dot = Vector1.x * Vector2.x + Vector1.y * Vector2.y + Vector1.z * Vector2.z;
    return VectorScale(Vector1, dot);
}

Vector3 VectorComponentOrthogonal(Vector3& Vector1, Vector3& Vector2) noexcept {
    const Vector3 along = VectorComponentAlong(Vector1, Vector2);
    return VectorSubtract(Vector2, along);
}

Matrix4 Reorthogonalize(Matrix4& Matrix) noexcept {
    kernels::Rows rows = kernels::Load(Matrix);
    kernels::Reorthogonalize(rows);
    Matrix = kernels::Store(rows);
    return Matrix;
}

Matrix4 MatrixMultiply(const Matrix4& Matrix1, const Matrix4& Matrix2) noexcept {
    return kernels::Store(kernels::Multiply(kernels::Load(Matrix1), kernels::Load(Matrix2)));
}

Matrix4 MatrixTranspose(const Matrix4& Matrix) noexcept {
    Matrix4 t;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) t(r, c) = Matrix(c, r);
    return t;
}

Matrix4 MatrixIdentity() noexcept {
    Matrix4 m;
    m.m11 = m.m22 = m.m33 = m.m44 = 1.0f;
    return m;
}

Matrix4 MatrixSum(const Matrix4& Matrix1, const Matrix4& Matrix2, MathError& Error) noexcept {
    const kernels::Rows sum = kernels::Sum(kernels::Load(Matrix1), kernels::Load(Matrix2), Error);
    if (Error) return Matrix4{};
    return kernels::Store(sum);
}

Matrix4 MatrixSum(const Matrix4& Matrix1, const Matrix4& Matrix2) noexcept {
    return MatrixSum(Matrix1, Matrix2, lastMathError);
}

Matrix4 MatrixMultiplyConstant(float Value, Matrix4& Matrix, MathError& Error) noexcept {
    kernels::Rows rows = kernels::Load(Matrix);
    Error = kernels::ScaleRows123(Value, rows);
    Matrix = kernels::Store(rows);
    if (Error) return Matrix4{};
    return Matrix;
}

Matrix4 MatrixMultiplyConstant(float Value, Matrix4& Matrix) noexcept {
    return MatrixMultiplyConstant(Value, Matrix, lastMathError);
}

}  // namespace dynamora
