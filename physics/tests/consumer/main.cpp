// Moves a body with the installed library and checks the result.
#include <dynamora/clsMomentOfInertia.h>
#include <dynamora/clsRigidBody.h>
#include <dynamora/modMathAndPhysicsGlobal.h>

#include <cstdio>
#include <memory>

int main() {
    auto inertia = std::make_shared<dynamora::clsMomentOfInertia>();
    auto body = std::make_shared<dynamora::clsRigidBody>();
    body->Initialize(inertia->ComputeRectangle(12.0f, 1.0f, 2.0f, 3.0f));
    body->Velocity(dynamora::VectorMake(1.0f, 0.0f, 0.0f));
    body->ConstantForce(dynamora::VectorMake(0.0f, -1.0f, 0.0f));
    const dynamora::Matrix4 world = body->MoveLinear();
    body->Mass(0.0f);
    body->MoveLinear();
    const bool ok = world.m41 == 0.3f && world.m44 == 1.0f && body->Failed() &&
                    body->LastErrorCode() == dynamora::ErrorCode::DivisionByZero;
    std::printf("%s: m41 = %g, last error \"%s\"\n", ok ? "ok" : "FAILED", world.m41, body->LastError().c_str());
    return ok ? 0 : 1;
}
