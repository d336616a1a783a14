// The step formulas of rigid-body motion (explicit Euler over a time step), private to the
// library. Stateless; defined here so that clsRigidBody::Move inlines them.
//
// Operations that can fail (NewVelocity, NewOrientation) report through Error and then return
// a zero result; the others cannot fail.
#pragma once

#include "MatrixKernels.h"
#include "dynamora/modMathAndPhysicsGlobal.h"

namespace dynamora {

class clsMathAndPhysics {
public:
    // CurrentVelocity + Force * (Time / Mass); the quotient is formed first and checked, so a
    // zero Mass fails with a division by zero.
    Vector3 NewVelocity(const Vector3& CurrentVelocity, const Vector3& Force, float Mass, float Time,
                        MathError& Error) const noexcept {
        float timeOverMass = 0.0f;
        Error = kernels::DivideChecked(Time, Mass, timeOverMass, "NewVelocity");
        if (Error) return Vector3{};
        return kernels::Store3(kernels::Load(CurrentVelocity) + kernels::Load(Force) * timeOverMass);
    }

    // CurrentPosition + Velocity * Time.
    Vector3 NewPosition(const Vector3& CurrentPosition, const Vector3& Velocity, float Time) const noexcept {
        return kernels::Store3(kernels::Load(CurrentPosition) + kernels::Load(Velocity) * Time);
    }

    // transpose(Orientation) x InverseInertiaTensor x Orientation: the inverse inertia tensor in
    // world axes.
    Matrix4 NewMomentOfInertia(const Matrix4& Orientation, const Matrix4& InverseInertiaTensor) const noexcept {
        const kernels::Rows o = kernels::Load(Orientation);
        return kernels::Store(kernels::Multiply(kernels::MultiplyTransposed(o, kernels::Load(InverseInertiaTensor)), o));
    }

    // w = L x I^-1 (row vector times the upper-left 3 x 3 block).
    Vector3 NewAngularVelocity(const Vector3& AngularMomentum, const Matrix4& MomentOfInertia) const noexcept {
        const Vector3& l = AngularMomentum;
        const Matrix4& m = MomentOfInertia;
        return Vector3{l.x * m.m11 + l.y * m.m21 + l.z * m.m31, l.x * m.m12 + l.y * m.m22 + l.z * m.m32,
                       l.x * m.m13 + l.y * m.m23 + l.z * m.m33};
    }

    // CurrentAngularMomentum + Torque * Time; Torque is rewritten as Torque * Time.
    Vector3 NewAngularMomentum(const Vector3& CurrentAngularMomentum, Vector3& Torque, float Time) const noexcept {
        const kernels::F4 t = kernels::Load(Torque) * Time;
        Torque = kernels::Store3(t);
        return kernels::Store3(kernels::Load(CurrentAngularMomentum) + t);
    }

    // O + Time * (O x S(w)): one Euler step of dO/dt = O S(w). Not re-orthonormalised here.
    Matrix4 NewOrientation(const Matrix4& CurrentOrientation, const Vector3& AngularVelocity, float Time,
                           MathError& Error) const noexcept {
        const kernels::Rows o = kernels::Load(CurrentOrientation);
        kernels::Rows p = kernels::MultiplySkew(o, AngularVelocity);
        Error = kernels::ScaleRows123(Time, p);
        if (Error) return Matrix4{};
        kernels::Rows sum = p;
        Error = kernels::Sum(o, p, sum);
        if (Error) return Matrix4{};
        return kernels::Store(sum);
    }
};

}  // namespace dynamora
