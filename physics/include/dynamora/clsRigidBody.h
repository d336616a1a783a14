// A rigid body: mass, linear and angular state, accumulated forces, and one integration step
// per frame (Move for all six degrees of freedom, MoveLinear for translation only) that
// returns the body's world matrix.
//
// Failures. No operation throws. An operation that can fail (the thrusts, the SetForce family,
// Move, MoveLinear, Initialize) records its outcome: Failed() tells whether the latest such call
// failed, LastErrorCode() and LastError() say why. Work done before the failure stays done; a
// failed Move or MoveLinear skips its remaining steps, leaves Force uncleared and returns the
// all-zero matrix. Property accessors leave the recorded outcome alone.
#pragma once

#include "dynamora/modMathAndPhysicsGlobal.h"

#include <cstdint>
#include <string>

namespace dynamora {

class DYNAMORA_API clsRigidBody {
public:
    // Mass 1, Active, everything else zero; the orientation is the zero matrix until Initialize.
    clsRigidBody() noexcept;

    int16_t Index() const noexcept;  // free tag for the host
    void Index(int16_t value) noexcept;
    bool Active() const noexcept;  // when false, Move / MoveLinear do not integrate
    void Active(bool value) noexcept;
    float Mass() const noexcept;
    void Mass(float value) noexcept;

    Vector3 Position() const noexcept;
    void Position(const Vector3& value) noexcept;
    Vector3 Velocity() const noexcept;
    void Velocity(const Vector3& value) noexcept;
    Vector3 Acceleration() const noexcept;  // kept for the host; no operation reads it
    void Acceleration(const Vector3& value) noexcept;
    Vector3 Force() const noexcept;  // accumulated since the last step
    void Force(const Vector3& value) noexcept;
    Vector3 ConstantForce() const noexcept;  // added to Force at every step of an active body
    void ConstantForce(const Vector3& value) noexcept;
    Vector3 AngularVelocity() const noexcept;  // recomputed from the angular momentum by Move
    void AngularVelocity(const Vector3& value) noexcept;
    Vector3 AngularAcceleration() const noexcept;  // kept for the host; no operation reads it
    void AngularAcceleration(const Vector3& value) noexcept;
    Matrix4 MomentOfInertia() const noexcept;  // after Move: the world-axis inverse inertia tensor
    void MomentOfInertia(const Matrix4& value) noexcept;
    Vector3 Torque() const noexcept;  // replaced by SetForceAtPoint, scaled by Time at each Move
    void Torque(const Vector3& value) noexcept;

    float Speed() const noexcept;  // length of Velocity

    // Add the body's side (right +, left -), up (up +, down -) or forward (forward +, back -)
    // axis times Force to the accumulated force.
    void ThrustRight(float Force) noexcept;
    void ThrustLeft(float Force) noexcept;
    void ThrustUp(float Force) noexcept;
    void ThrustDown(float Force) noexcept;
    void ThrustForward(float Force) noexcept;
    void ThrustBack(float Force) noexcept;

    // Torque = ForceVector x (Point - Position), replacing the stored torque; adds to Force the
    // unit force direction times the cosine between the force and the direction from Point to
    // the body's position. Rewrites ForceVector as its unit vector.
    void SetForceAtPoint(Vector3& ForceVector, const Vector3& Point) noexcept;
    void SetForceByVector(const Vector3& ForceVector) noexcept;  // Force += ForceVector
    void SetForce(float x, float Y, float Z) noexcept;           // Force += (x, Y, Z)

    // One step of Time: force, inertia, velocities, position, orientation (rotation follows the
    // torque one step later), then the world matrix is returned and Force cleared.
    Matrix4 Move(float Time = 0.3f) noexcept;
    // Translation only: orientation, torque and angular quantities are untouched.
    Matrix4 MoveLinear(float Time = 0.3f) noexcept;

    Vector3 GetForward() const noexcept;  // orientation row 3
    Vector3 GetSide() const noexcept;     // orientation row 1
    Vector3 GetUp() const noexcept;       // orientation row 2

    // Orientation = identity; the inverse inertia tensor = the inverse of InertiaTensor.
    // A tensor without an inverse (or whose inverse is out of float range) fails and leaves
    // the all-zero inverse tensor, so the body then does not rotate.
    void Initialize(const Matrix4& InertiaTensor) noexcept;

    // The world matrix: the orientation with Position in m41, m42, m43 (used by Move and MoveLinear).
    Matrix4 GetMatrix() const noexcept;

    bool Failed() const noexcept;
    ErrorCode LastErrorCode() const noexcept;
    const std::string& LastError() const noexcept;  // "Move: division by zero in NewVelocity", "" after success

private:
    void Succeeded() noexcept;
    void Fail(const char* operation, MathError error) noexcept;
    void AddToForce(const Vector3& addend, const char* operation) noexcept;
    Matrix4 Failure(const char* operation, MathError error) noexcept;
    void Thrust(const Vector3& axis, float magnitude, const char* operation) noexcept;

    // Simulation state first, grouped by use: MoveLinear touches only the first two cache lines.
    // world_ is the world matrix GetMatrix returns: the orientation (rows 1-3 the side, up and
    // forward axes; m44) with Position in m41, m42, m43, where the orientation itself always
    // holds +0. Vectors are kept as x, y, z and a fourth element that stays +0, so that the step
    // code handles each as one 16-byte value.
    alignas(64) Matrix4 world_{};
    alignas(16) float velocity_[4] = {};
    alignas(16) float force_[4] = {};
    alignas(16) float constantForce_[4] = {};
    float mass_ = 1.0f;
    bool active_ = true;
    int16_t index_ = 0;
    ErrorCode lastErrorCode_ = ErrorCode::None;
    alignas(16) float angularVelocity_[4] = {};
    alignas(16) float angularMomentum_[4] = {};
    alignas(16) float torque_[4] = {};
    alignas(16) Matrix4 inverseInertiaTensor_{};  // body axes
    alignas(16) Matrix4 momentOfInertia_{};
    Vector3 acceleration_{};
    Vector3 angularAcceleration_{};

    std::string lastError_;
};

}  // namespace dynamora
