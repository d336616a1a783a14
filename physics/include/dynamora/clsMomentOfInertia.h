// Inertia tensors of simple solids, to pass to clsRigidBody::Initialize.
//
// Each result is the identity with the first three diagonal elements replaced. The squares are
// formed in double precision and each diagonal value is rounded to float once. A value out of
// float range fails (Failed(), LastErrorCode(), LastError() tell why) and gives the all-zero
// matrix. No operation throws.
#pragma once

#include "dynamora/modMathAndPhysicsGlobal.h"

#include <string>

namespace dynamora {

class DYNAMORA_API clsMomentOfInertia {
public:
    // k = Radius^2 * (Mass * 2) / 5: diag(k, k, k, 1).
    Matrix4 ComputeSphere(float Mass, float Radius) noexcept;
    // k = Side^2 * Mass / 6: diag(k, k, k, 1).
    Matrix4 ComputeCube(float Mass, float Side) noexcept;
    // A box w along x, h along y, l along z:
    // diag((l^2 + h^2) Mass / 12, (w^2 + l^2) Mass / 12, (w^2 + h^2) Mass / 12, 1).
    Matrix4 ComputeRectangle(float Mass, float l, float w, float h) noexcept;

    bool Failed() const noexcept;  // whether the latest Compute call failed
    ErrorCode LastErrorCode() const noexcept;
    const std::string& LastError() const noexcept;  // "" after a success

private:
    Matrix4 Finish(const char* operation, const double (&diagonal)[3], bool scaleIdentity) noexcept;

    ErrorCode lastErrorCode_ = ErrorCode::None;
    std::string lastError_;
};

}  // namespace dynamora
