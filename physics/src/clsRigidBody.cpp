#include "dynamora/clsRigidBody.h"

#include "ErrorMessage.h"
#include "MatrixKernels.h"
#include "clsMathAndPhysics.h"

#include <cfloat>
#include <cmath>

namespace dynamora {

namespace {

// The general 4 x 4 inverse by cofactors (2 x 2 sub-determinants), in double precision and
// rounded to float once at the end.
MathError Invert(const Matrix4& m, Matrix4& inverse) {
    double a[4][4];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            if (!std::isfinite(m(r, c))) return MathError{ErrorCode::InvalidOperation, r * 4 + c + 1, nullptr};
            a[r][c] = m(r, c);
        }
    const double s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1];
    const double s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
    const double s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3];
    const double s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
    const double s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3];
    const double s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
    const double c5 = a[2][2] * a[3][3] - a[3][2] * a[2][3];
    const double c4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
    const double c3 = a[2][1] * a[3][2] - a[3][1] * a[2][2];
    const double c2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
    const double c1 = a[2][0] * a[3][2] - a[3][0] * a[2][2];
    const double c0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];
    const double det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    if (det == 0.0 || !std::isfinite(det)) return MathError{ErrorCode::SingularMatrix, 0, nullptr};

    const double adjugate[4][4] = {
        {a[1][1] * c5 - a[1][2] * c4 + a[1][3] * c3, -a[0][1] * c5 + a[0][2] * c4 - a[0][3] * c3,
         a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3, -a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3},
        {-a[1][0] * c5 + a[1][2] * c2 - a[1][3] * c1, a[0][0] * c5 - a[0][2] * c2 + a[0][3] * c1,
         -a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1, a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1},
        {a[1][0] * c4 - a[1][1] * c2 + a[1][3] * c0, -a[0][0] * c4 + a[0][1] * c2 - a[0][3] * c0,
         a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0, -a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0},
        {-a[1][0] * c3 + a[1][1] * c1 - a[1][2] * c0, a[0][0] * c3 - a[0][1] * c1 + a[0][2] * c0,
         -a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0, a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0},
    };
    Matrix4 result;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            const double exact = adjugate[r][c] / det;
            const double magnitude = std::fabs(exact);
            if (!(magnitude <= FLT_MAX)) return MathError{ErrorCode::Overflow, r * 4 + c + 1, nullptr};
            if (magnitude != 0.0 && magnitude < FLT_MIN) return MathError{ErrorCode::Underflow, r * 4 + c + 1, nullptr};
            result(r, c) = static_cast<float>(exact);
        }
    inverse = result;
    return MathError{};
}

using kernels::F4;

// The padded vector members as lanes and back.
F4 Lanes(const float (&v)[4]) { return kernels::LoadF4(v); }
void Put(float (&v)[4], F4 lanes) { kernels::StoreF4(v, lanes); }
Vector3 Get(const float (&v)[4]) { return Vector3{v[0], v[1], v[2]}; }
void Put(float (&v)[4], const Vector3& value) { Put(v, kernels::Load(value)); }

const kernels::I4 kXyz = {-1, -1, -1, 0};

// The orientation: the world matrix with +0 in m41, m42, m43.
kernels::Rows OrientationOf(kernels::Rows world) {
    world.r[3] = (F4)((kernels::I4)world.r[3] & ~kXyz);
    return world;
}

}  // namespace

clsRigidBody::clsRigidBody() noexcept = default;

int16_t clsRigidBody::Index() const noexcept { return index_; }
void clsRigidBody::Index(int16_t value) noexcept { index_ = value; }
bool clsRigidBody::Active() const noexcept { return active_; }
void clsRigidBody::Active(bool value) noexcept { active_ = value; }
float clsRigidBody::Mass() const noexcept { return mass_; }
void clsRigidBody::Mass(float value) noexcept { mass_ = value; }

Vector3 clsRigidBody::Position() const noexcept { return Vector3{world_.m41, world_.m42, world_.m43}; }
void clsRigidBody::Position(const Vector3& value) noexcept {
    world_.m41 = value.x;
    world_.m42 = value.y;
    world_.m43 = value.z;
}
Vector3 clsRigidBody::Velocity() const noexcept { return Get(velocity_); }
void clsRigidBody::Velocity(const Vector3& value) noexcept { Put(velocity_, value); }
Vector3 clsRigidBody::Acceleration() const noexcept { return acceleration_; }
void clsRigidBody::Acceleration(const Vector3& value) noexcept { acceleration_ = value; }
Vector3 clsRigidBody::Force() const noexcept { return Get(force_); }
void clsRigidBody::Force(const Vector3& value) noexcept { Put(force_, value); }
Vector3 clsRigidBody::ConstantForce() const noexcept { return Get(constantForce_); }
void clsRigidBody::ConstantForce(const Vector3& value) noexcept { Put(constantForce_, value); }
Vector3 clsRigidBody::AngularVelocity() const noexcept { return Get(angularVelocity_); }
void clsRigidBody::AngularVelocity(const Vector3& value) noexcept { Put(angularVelocity_, value); }
Vector3 clsRigidBody::AngularAcceleration() const noexcept { return angularAcceleration_; }
void clsRigidBody::AngularAcceleration(const Vector3& value) noexcept { angularAcceleration_ = value; }
Matrix4 clsRigidBody::MomentOfInertia() const noexcept { return momentOfInertia_; }
void clsRigidBody::MomentOfInertia(const Matrix4& value) noexcept { momentOfInertia_ = value; }
Vector3 clsRigidBody::Torque() const noexcept { return Get(torque_); }
void clsRigidBody::Torque(const Vector3& value) noexcept { Put(torque_, value); }

float clsRigidBody::Speed() const noexcept { return VectorLength(Get(velocity_)); }

void clsRigidBody::ThrustRight(float magnitude) noexcept { Thrust(GetSide(), magnitude, "ThrustRight"); }
void clsRigidBody::ThrustLeft(float magnitude) noexcept { Thrust(GetSide(), -magnitude, "ThrustLeft"); }
void clsRigidBody::ThrustUp(float magnitude) noexcept { Thrust(GetUp(), magnitude, "ThrustUp"); }
void clsRigidBody::ThrustDown(float magnitude) noexcept { Thrust(GetUp(), -magnitude, "ThrustDown"); }
void clsRigidBody::ThrustForward(float magnitude) noexcept { Thrust(GetForward(), magnitude, "ThrustForward"); }
void clsRigidBody::ThrustBack(float magnitude) noexcept { Thrust(GetForward(), -magnitude, "ThrustBack"); }

void clsRigidBody::Thrust(const Vector3& axis, float magnitude, const char* operation) noexcept {
    AddToForce(VectorScale(axis, magnitude), operation);
}

void clsRigidBody::SetForceAtPoint(Vector3& ForceVector, const Vector3& Point) noexcept {
    const Vector3 lever = VectorSubtract(Point, Position());
    Put(torque_, VectorCross(ForceVector, lever));
    Vector3 towardsBody = VectorScale(lever, -1.0f);
    const Vector3 linear = VectorComponentAlong(ForceVector, towardsBody);
    AddToForce(linear, "SetForceAtPoint");
}

void clsRigidBody::SetForceByVector(const Vector3& ForceVector) noexcept { AddToForce(ForceVector, "SetForceByVector"); }

void clsRigidBody::SetForce(float x, float Y, float Z) noexcept { AddToForce(Vector3{x, Y, Z}, "SetForce"); }

void clsRigidBody::AddToForce(const Vector3& addend, const char* operation) noexcept {
    F4 force = Lanes(force_);
    const MathError error = kernels::AddChecked(force, kernels::Load(addend), "Force");
    Put(force_, force);  // with a failure: the components before the faulty one
    if (error)
        Fail(operation, error);
    else
        Succeeded();
}

Matrix4 clsRigidBody::Failure(const char* operation, MathError error) noexcept {
    Fail(operation, error);
    return Matrix4{};
}

Matrix4 clsRigidBody::Move(float Time) noexcept {
    Succeeded();
    if (active_) {
        const clsMathAndPhysics math;
        F4 force = Lanes(force_);
        MathError error = kernels::AddChecked(force, Lanes(constantForce_), "Force");  // F += constant force
        Put(force_, force);
        if (error) return Failure("Move", error);
        // I^-1 in world axes and w = L I^-1, from the orientation and momentum of before this
        // step: a torque applied now turns the body from the next step on.
        const kernels::Rows world = kernels::Load(world_);
        const kernels::Rows orientation = OrientationOf(world);
        const kernels::Rows momentOfInertia = math.NewMomentOfInertia(orientation, kernels::Load(inverseInertiaTensor_));
        momentOfInertia_ = kernels::Store(momentOfInertia);
        const F4 angularVelocity = math.NewAngularVelocity(Lanes(angularMomentum_), momentOfInertia);
        Put(angularVelocity_, angularVelocity);
        const F4 velocity = Lanes(velocity_);
        const F4 position = math.NewPosition(world.r[3], velocity, Time);  // x += v dt, with the old v
        kernels::StoreRow(world_, 3, kernels::Select(kXyz, position, world.r[3]));
        const F4 newVelocity = math.NewVelocity(velocity, force, mass_, Time, error);  // v += F dt / m
        if (error) return Failure("Move", error);
        Put(velocity_, newVelocity);
        kernels::Rows newOrientation = math.NewOrientation(orientation, angularVelocity, Time, error);  // O += dt O S(w)
        if (error) return Failure("Move", error);
        F4 torque = Lanes(torque_);
        Put(angularMomentum_, math.NewAngularMomentum(Lanes(angularMomentum_), torque, Time));  // L += T dt; T *= dt
        Put(torque_, torque);
        kernels::Reorthogonalize(newOrientation);
        newOrientation.r[3] = kernels::Select(kXyz, position, newOrientation.r[3]);
        world_ = kernels::Store(newOrientation);
    }
    Put(force_, F4{});
    return GetMatrix();
}

Matrix4 clsRigidBody::MoveLinear(float Time) noexcept {
    Succeeded();
    if (active_) {
        const clsMathAndPhysics math;
        F4 force = Lanes(force_);
        MathError error = kernels::AddChecked(force, Lanes(constantForce_), "Force");
        Put(force_, force);
        if (error) return Failure("MoveLinear", error);
        const F4 velocity = Lanes(velocity_);
        const F4 row4 = kernels::LoadRow(world_, 3);
        kernels::StoreRow(world_, 3, kernels::Select(kXyz, math.NewPosition(row4, velocity, Time), row4));
        const F4 newVelocity = math.NewVelocity(velocity, force, mass_, Time, error);
        if (error) return Failure("MoveLinear", error);
        Put(velocity_, newVelocity);
    }
    Put(force_, F4{});
    return GetMatrix();
}

Vector3 clsRigidBody::GetForward() const noexcept { return Vector3{world_.m31, world_.m32, world_.m33}; }
Vector3 clsRigidBody::GetSide() const noexcept { return Vector3{world_.m11, world_.m12, world_.m13}; }
Vector3 clsRigidBody::GetUp() const noexcept { return Vector3{world_.m21, world_.m22, world_.m23}; }

void clsRigidBody::Initialize(const Matrix4& InertiaTensor) noexcept {
    const Vector3 position = Position();
    world_ = MatrixIdentity();
    Position(position);
    Matrix4 inverse;
    const MathError error = Invert(InertiaTensor, inverse);
    inverseInertiaTensor_ = inverse;  // all zero when the tensor has no inverse
    if (error)
        Fail("Initialize", error);
    else
        Succeeded();
}

Matrix4 clsRigidBody::GetMatrix() const noexcept { return world_; }

bool clsRigidBody::Failed() const noexcept { return lastErrorCode_ != ErrorCode::None; }
ErrorCode clsRigidBody::LastErrorCode() const noexcept { return lastErrorCode_; }
const std::string& clsRigidBody::LastError() const noexcept { return lastError_; }

void clsRigidBody::Succeeded() noexcept {
    if (__builtin_expect(lastErrorCode_ != ErrorCode::None, 0)) {
        lastErrorCode_ = ErrorCode::None;
        lastError_.clear();
    }
}

void clsRigidBody::Fail(const char* operation, MathError error) noexcept {
    lastErrorCode_ = error.Code;
    try {
        lastError_ = ErrorMessage(operation, error);
    } catch (...) {
        lastError_.clear();  // out of memory for the text; the code still tells what failed
    }
}

}  // namespace dynamora
