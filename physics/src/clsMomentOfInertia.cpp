#include "dynamora/clsMomentOfInertia.h"

#include "ErrorMessage.h"

#include <cfloat>
#include <cmath>

namespace dynamora {

namespace {

double Square(float value) { return static_cast<double>(value) * static_cast<double>(value); }

// Rounds an exact diagonal value to float, failing when it leaves float's normal range.
MathError Narrow(double value, int element, float& out) {
    const double magnitude = std::fabs(value);
    if (std::isnan(value)) return MathError{ErrorCode::InvalidOperation, element, nullptr};
    if (!(magnitude <= FLT_MAX)) return MathError{ErrorCode::Overflow, element, nullptr};
    if (magnitude != 0.0 && magnitude < FLT_MIN) return MathError{ErrorCode::Underflow, element, nullptr};
    out = static_cast<float>(value);
    return MathError{};
}

}  // namespace

Matrix4 clsMomentOfInertia::ComputeSphere(float Mass, float Radius) noexcept {
    const double k = Square(Radius) * (static_cast<double>(Mass) * 2.0) / 5.0;
    const double diagonal[3] = {k, k, k};
    return Finish("ComputeSphere", diagonal, true);
}

Matrix4 clsMomentOfInertia::ComputeCube(float Mass, float Side) noexcept {
    const double k = Square(Side) * Mass / 6.0;
    const double diagonal[3] = {k, k, k};
    return Finish("ComputeCube", diagonal, false);
}

Matrix4 clsMomentOfInertia::ComputeRectangle(float Mass, float l, float w, float h) noexcept {
    const double diagonal[3] = {
        (Square(l) + Square(h)) * Mass / 12.0,
        (Square(w) + Square(l)) * Mass / 12.0,
        (Square(w) + Square(h)) * Mass / 12.0,
    };
    return Finish("ComputeRectangle", diagonal, false);
}

// The sphere scales the identity by k (MatrixMultiplyConstant, which leaves m44 at 1); the
// others write the diagonal directly. Both give diag(k1, k2, k3, 1).
Matrix4 clsMomentOfInertia::Finish(const char* operation, const double (&diagonal)[3], bool scaleIdentity) noexcept {
    float values[3] = {};
    MathError error;
    for (int i = 0; i < 3 && !error; ++i) error = Narrow(diagonal[i], i * 5 + 1, values[i]);
    Matrix4 result = MatrixIdentity();
    if (!error) {
        if (scaleIdentity) {
            MatrixMultiplyConstant(values[0], result, error);
        } else {
            result.m11 = values[0];
            result.m22 = values[1];
            result.m33 = values[2];
        }
    }
    if (!error) {
        if (lastErrorCode_ != ErrorCode::None) {
            lastErrorCode_ = ErrorCode::None;
            lastError_.clear();
        }
        return result;
    }
    lastErrorCode_ = error.Code;
    try {
        lastError_ = ErrorMessage(operation, error);
    } catch (...) {
        lastError_.clear();
    }
    return Matrix4{};
}

bool clsMomentOfInertia::Failed() const noexcept { return lastErrorCode_ != ErrorCode::None; }
ErrorCode clsMomentOfInertia::LastErrorCode() const noexcept { return lastErrorCode_; }
const std::string& clsMomentOfInertia::LastError() const noexcept { return lastError_; }

}  // namespace dynamora
