// The step formulas of rigid-body motion (explicit Euler over a time step), private to the
// library. Stateless; defined here so that clsRigidBody::Move inlines them.
//
// Each operation comes in two forms with one implementation: on Vector3 / Matrix4, and on
// lanes (kernels::F4 vectors as (x, y, z, 0), kernels::Rows), which the rigid body uses on
// its hot path. Operations that can fail (NewVelocity, NewOrientation) report through Error
// and then return a zero result; the others cannot fail.
#pragma once

#include "MatrixKernels.h"
#include "dynamora/modMathAndPhysicsGlobal.h"

namespace dynamora {

class clsMathAndPhysics {
public:
    using F4 = kernels::F4;
    using Rows = kernels::Rows;

    // CurrentVelocity + Force * (Time / Mass); the quotient is formed first and checked, so a
    // zero Mass fails with a division by zero.
    F4 NewVelocity(F4 CurrentVelocity, F4 Force, float Mass, float Time, MathError& Error) const noexcept {
        float timeOverMass = 0.0f;
        Error = kernels::DivideChecked(Time, Mass, timeOverMass, "NewVelocity");
        if (Error) return F4{};
        return CurrentVelocity + Force * timeOverMass;
    }

    // CurrentPosition + Velocity * Time.
    F4 NewPosition(F4 CurrentPosition, F4 Velocity, float Time) const noexcept { return CurrentPosition + Velocity * Time; }

    // transpose(Orientation) x InverseInertiaTensor x Orientation: the inverse inertia tensor in
    // world axes.
    Rows NewMomentOfInertia(const Rows& Orientation, const Rows& InverseInertiaTensor) const noexcept {
        return kernels::Multiply(kernels::MultiplyTransposed(Orientation, InverseInertiaTensor), Orientation);
    }

    // w = L x I^-1: the row vector times the upper-left 3 x 3 block,
    // w.x = L.x m11 + L.y m21 + L.z m31, and so on.
    F4 NewAngularVelocity(F4 AngularMomentum, const Rows& MomentOfInertia) const noexcept {
        const F4 w = kernels::Broadcast<0>(AngularMomentum) * MomentOfInertia.r[0] +
                     kernels::Broadcast<1>(AngularMomentum) * MomentOfInertia.r[1] +
                     kernels::Broadcast<2>(AngularMomentum) * MomentOfInertia.r[2];
        return (F4)((kernels::I4)w & kernels::I4{-1, -1, -1, 0});
    }

    // CurrentAngularMomentum + Torque * Time; Torque is rewritten as Torque * Time.
    F4 NewAngularMomentum(F4 CurrentAngularMomentum, F4& Torque, float Time) const noexcept {
        Torque = Torque * Time;
        return CurrentAngularMomentum + Torque;
    }

    // O + Time * (O x S(w)): one Euler step of dO/dt = O S(w). Not re-orthonormalised here.
    Rows NewOrientation(const Rows& CurrentOrientation, F4 AngularVelocity, float Time, MathError& Error) const noexcept {
        Rows p = kernels::MultiplySkew(CurrentOrientation, AngularVelocity);
        Error = kernels::ScaleRows123(Time, p);
        if (Error) return Rows{};
        const Rows sum = kernels::Sum(CurrentOrientation, p, Error);
        if (Error) return Rows{};
        return sum;
    }

    // --- the same on Vector3 / Matrix4 ---

    Vector3 NewVelocity(const Vector3& CurrentVelocity, const Vector3& Force, float Mass, float Time,
                        MathError& Error) const noexcept {
        return kernels::Store3(NewVelocity(kernels::Load(CurrentVelocity), kernels::Load(Force), Mass, Time, Error));
    }
    Vector3 NewPosition(const Vector3& CurrentPosition, const Vector3& Velocity, float Time) const noexcept {
        return kernels::Store3(NewPosition(kernels::Load(CurrentPosition), kernels::Load(Velocity), Time));
    }
    Matrix4 NewMomentOfInertia(const Matrix4& Orientation, const Matrix4& InverseInertiaTensor) const noexcept {
        return kernels::Store(NewMomentOfInertia(kernels::Load(Orientation), kernels::Load(InverseInertiaTensor)));
    }
    Vector3 NewAngularVelocity(const Vector3& AngularMomentum, const Matrix4& MomentOfInertia) const noexcept {
        return kernels::Store3(NewAngularVelocity(kernels::Load(AngularMomentum), kernels::Load(MomentOfInertia)));
    }
    Vector3 NewAngularMomentum(const Vector3& CurrentAngularMomentum, Vector3& Torque, float Time) const noexcept {
        F4 torque = kernels::Load(Torque);
        const F4 result = NewAngularMomentum(kernels::Load(CurrentAngularMomentum), torque, Time);
        Torque = kernels::Store3(torque);
        return kernels::Store3(result);
    }
    Matrix4 NewOrientation(const Matrix4& CurrentOrientation, const Vector3& AngularVelocity, float Time,
                           MathError& Error) const noexcept {
        return kernels::Store(NewOrientation(kernels::Load(CurrentOrientation), kernels::Load(AngularVelocity), Time, Error));
    }
};

}  // namespace dynamora
