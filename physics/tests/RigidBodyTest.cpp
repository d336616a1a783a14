#include "TestSupport.h"

#include <dynamora/clsMomentOfInertia.h>
#include <dynamora/clsRigidBody.h>

#include <gtest/gtest.h>

#include <memory>

using namespace dynamora;
using namespace dynamora::testing;

namespace {

std::shared_ptr<clsRigidBody> InitializedBody() {
    auto body = std::make_shared<clsRigidBody>();
    body->Initialize(MatrixIdentity());
    return body;
}

}  // namespace

TEST(RigidBody, NewBodyDefaults) {
    const auto body = std::make_shared<clsRigidBody>();
    EXPECT_EQ(body->Mass(), 1.0f);
    EXPECT_TRUE(body->Active());
    EXPECT_EQ(body->Speed(), 0.0f);
    EXPECT_EQ(body->Index(), 0);
    EXPECT_FALSE(body->Failed());
    EXPECT_EQ(body->GetMatrix(), Matrix4{}) << "no orientation before Initialize";
}

TEST(RigidBody, GetMatrixBeforeInitializeHasZeroAxesAndThePosition) {
    clsRigidBody body;
    body.Position(Vector3{1, 2, 3});
    Matrix4 expected;
    expected.m41 = 1, expected.m42 = 2, expected.m43 = 3;
    EXPECT_EQ(body.MoveLinear(0.0f), expected);
    body.Torque(Vector3{0, 5, 0});
    EXPECT_EQ(body.Move(0.5f), expected) << "a full step keeps the zero axes";
    EXPECT_EQ(body.Move(0.5f), expected);
    EXPECT_FALSE(body.Failed());
    body.Velocity(Vector3{3, 4, 0});
    EXPECT_FLOAT_EQ(body.Speed(), 5.0f);
}

TEST(RigidBody, MoveLinearUsesTheOldVelocityForThePosition) {
    clsRigidBody body;
    body.Initialize(MatrixIdentity());
    body.Velocity(Vector3{1, 0, 0});
    body.ConstantForce(Vector3{0, -1, 0});
    const Matrix4 world = body.MoveLinear();
    EXPECT_TRUE(VectorNear(body.Position(), Vector3{0.3f, 0, 0}, kRounding));
    EXPECT_TRUE(VectorNear(body.Velocity(), Vector3{1, -0.3f, 0}, kRounding));
    EXPECT_EQ(body.Force(), Vector3{});
    EXPECT_EQ(world.m41, body.Position().x);
    EXPECT_EQ(world.m44, 1.0f);
    EXPECT_EQ(body.ConstantForce(), (Vector3{0, -1, 0})) << "the constant force stays";
}

TEST(RigidBody, InactiveBodyKeepsItsStateReturnsItsMatrixAndClearsForce) {
    for (const bool linear : {false, true}) {
        auto body = InitializedBody();
        body->Position(Vector3{1, 2, 3});
        body->Velocity(Vector3{1, 1, 1});
        body->Torque(Vector3{0, 4, 0});
        body->SetForce(5, 0, 0);
        body->Active(false);
        const Matrix4 world = linear ? body->MoveLinear(0.5f) : body->Move(0.5f);
        Matrix4 expected = MatrixIdentity();
        expected.m41 = 1, expected.m42 = 2, expected.m43 = 3;
        EXPECT_EQ(world, expected);
        EXPECT_EQ(body->Position(), (Vector3{1, 2, 3}));
        EXPECT_EQ(body->Velocity(), (Vector3{1, 1, 1}));
        EXPECT_EQ(body->Torque(), (Vector3{0, 4, 0}));
        EXPECT_EQ(body->Force(), Vector3{});
        EXPECT_FALSE(body->Failed());
    }
}

TEST(RigidBody, ThrustsFollowTheBodyAxes) {
    auto body = InitializedBody();
    body->ThrustRight(2);
    body->ThrustLeft(0.5f);
    EXPECT_EQ(body->Force(), (Vector3{1.5f, 0, 0}));
    body->ThrustUp(3);
    body->ThrustDown(1);
    body->ThrustForward(4);
    body->ThrustBack(1);
    EXPECT_EQ(body->Force(), (Vector3{1.5f, 2, 3}));

    // Turned 90 degrees about y by a large torque step: forward now points along world -x.
    auto turned = InitializedBody();
    turned->Torque(Vector3{0, 1e6f, 0});
    turned->Move(1);
    turned->Move(1);
    ASSERT_TRUE(VectorNear(turned->GetForward(), Vector3{-1, 0, 0}, 1e-5f));
    turned->ThrustForward(2);
    turned->ThrustUp(1);
    EXPECT_TRUE(VectorNear(turned->Force(), Vector3{-2, 1, 0}, 1e-5f));
    EXPECT_TRUE(VectorNear(turned->GetSide(), Vector3{0, 0, 1}, 1e-5f));
    EXPECT_EQ(turned->GetUp(), (Vector3{0, 1, 0}));
}

TEST(RigidBody, SetForceAtPointReplacesTorqueAndRewritesTheForceVector) {
    auto body = InitializedBody();
    body->Torque(Vector3{7, 7, 7});
    Vector3 force{0, 0, 10};
    body->SetForceAtPoint(force, Vector3{1, 0, 0});
    EXPECT_EQ(body->Torque(), (Vector3{0, 10, 0}));
    EXPECT_EQ(body->Force(), Vector3{}) << "a force perpendicular to the lever adds no linear force";
    EXPECT_EQ(force, (Vector3{0, 0, 1}));

    // Oblique: the unit force direction times the cosine to the point-to-body direction.
    body->Position(Vector3{1, 1, 0});
    Vector3 oblique{-3, 4, 0};
    body->SetForceAtPoint(oblique, Vector3{2, 1, 0});
    EXPECT_EQ(body->Torque(), (Vector3{0, 0, -4}));
    EXPECT_TRUE(VectorNear(body->Force(), Vector3{-0.36f, 0.48f, 0}, kRounding));
    EXPECT_TRUE(VectorNear(oblique, Vector3{-0.6f, 0.8f, 0}, kRounding));
}

TEST(RigidBody, MoveScalesTheStoredTorqueByTime) {
    auto body = InitializedBody();
    body->Torque(Vector3{2, -4, 6});
    body->Move(0.5f);
    EXPECT_EQ(body->Torque(), (Vector3{1, -2, 3}));
    body->MoveLinear(0.5f);
    EXPECT_EQ(body->Torque(), (Vector3{1, -2, 3})) << "MoveLinear leaves torque alone";
}

TEST(RigidBody, RotationLagsOneStepBehindTorque) {
    auto body = InitializedBody();
    body->Torque(Vector3{0, 10, 0});
    body->Move(0.5f);
    EXPECT_EQ(body->GetMatrix(), MatrixIdentity()) << "first step: angular momentum was still zero";
    EXPECT_EQ(body->AngularVelocity(), Vector3{});

    body->Move(0.5f);
    EXPECT_EQ(body->AngularVelocity(), (Vector3{0, 5, 0})) << "momentum (0, 5, 0) from the first step";
    const Matrix4 expected =
        Rows(Vector3{0.3714f, 0, 0.9285f}, Vector3{0, 1, 0}, Vector3{-0.9285f, 0, 0.3714f}, Vector3{}, 1);
    EXPECT_TRUE(MatrixNear(body->GetMatrix(), expected, kFourPlaces));
    EXPECT_EQ(body->MomentOfInertia(), MatrixIdentity()) << "world inverse tensor of the unturned body";

    body->Move(0.0f);  // momentum after the second step shows as the next angular velocity
    EXPECT_TRUE(VectorNear(body->AngularVelocity(), Vector3{0, 7.5f, 0}, 1e-5f));
}

TEST(RigidBody, PropertiesOverwrittenByMoveHaveNoEffect) {
    auto body = InitializedBody();
    body->AngularVelocity(Vector3{0, 100, 0});
    body->MomentOfInertia(Diagonal(9, 9, 9, 9));
    body->Move(0.5f);
    EXPECT_EQ(body->GetMatrix(), MatrixIdentity());
    EXPECT_EQ(body->AngularVelocity(), Vector3{});
    EXPECT_EQ(body->MomentOfInertia(), MatrixIdentity());
}

TEST(RigidBody, ZeroMassMoveFailsAfterMovingThePosition) {
    auto body = InitializedBody();
    body->Mass(0);
    body->Position(Vector3{1, 0, 0});
    body->Velocity(Vector3{2, 0, 0});
    body->ConstantForce(Vector3{0, -1, 0});
    body->Torque(Vector3{0, 4, 0});
    body->SetForce(1, 0, 0);
    EXPECT_EQ(body->Move(0.5f), Matrix4{});
    EXPECT_TRUE(body->Failed());
    EXPECT_EQ(body->LastErrorCode(), ErrorCode::DivisionByZero);
    EXPECT_EQ(body->LastError(), "Move: division by zero in NewVelocity");
    EXPECT_EQ(body->Position(), (Vector3{2, 0, 0})) << "the position step comes before the velocity step";
    EXPECT_EQ(body->Velocity(), (Vector3{2, 0, 0}));
    EXPECT_EQ(body->Force(), (Vector3{1, -1, 0})) << "Force keeps the constant force and is not cleared";
    EXPECT_EQ(body->Torque(), (Vector3{0, 4, 0})) << "the torque step is skipped";
    EXPECT_EQ(body->GetSide(), (Vector3{1, 0, 0}));

    body->Mass(2);
    body->Force(Vector3{});
    EXPECT_NE(body->Move(0.5f), Matrix4{});
    EXPECT_FALSE(body->Failed()) << "a successful call clears the failure";
    EXPECT_EQ(body->LastError(), "");
}

TEST(RigidBody, ZeroMassMoveLinearFailsTheSameWay) {
    clsRigidBody body;
    body.Mass(0);
    body.Velocity(Vector3{0, 0, 1});
    body.SetForce(0, 3, 0);
    EXPECT_EQ(body.MoveLinear(1), Matrix4{});
    EXPECT_EQ(body.LastError(), "MoveLinear: division by zero in NewVelocity");
    EXPECT_EQ(body.Position(), (Vector3{0, 0, 1}));
    EXPECT_EQ(body.Force(), (Vector3{0, 3, 0}));
}

TEST(RigidBody, ForceAdditionsAreCheckedComponentByComponent) {
    auto body = InitializedBody();
    body->Force(Vector3{0, 3e38f, 0});
    body->SetForce(5, 3e38f, 7);
    EXPECT_TRUE(body->Failed());
    EXPECT_EQ(body->LastErrorCode(), ErrorCode::Overflow);
    EXPECT_EQ(body->LastError(), "SetForce: overflow in Force at y");
    EXPECT_EQ(body->Force(), (Vector3{5, 3e38f, 0})) << "x was added before y failed; z was not reached";

    body->Force(Vector3{3e38f, 0, 0});
    body->ThrustRight(3e38f);
    EXPECT_EQ(body->LastError(), "ThrustRight: overflow in Force at x");
    body->SetForceByVector(Vector3{-1e38f, 0, 0});
    EXPECT_FALSE(body->Failed());
    EXPECT_EQ(body->Force(), (Vector3{3e38f + -1e38f, 0, 0}));

    body->Force(Vector3{});
    body->ConstantForce(Vector3{0, 0, 1e-39f});  // a subnormal sum is an underflow
    EXPECT_EQ(body->Move(1), Matrix4{});
    EXPECT_EQ(body->LastErrorCode(), ErrorCode::Underflow);
    EXPECT_EQ(body->LastError(), "Move: underflow in Force at z");
}

TEST(RigidBody, MoveReportsAnOverflowInTheOrientationStep) {
    auto body = InitializedBody();
    body->Torque(Vector3{0, 1e30f, 0});
    body->Move(1);  // angular momentum (0, 1e30, 0)
    body->Velocity(Vector3{1, 0, 0});
    EXPECT_EQ(body->Move(1e10f), Matrix4{});
    EXPECT_EQ(body->LastError(), "Move: overflow in MatrixMultiplyConstant at m13");
    EXPECT_EQ(body->Position(), (Vector3{1e10f, 0, 0}));
    EXPECT_EQ(body->GetMatrix().m11, 1.0f) << "orientation unchanged";
}

TEST(RigidBody, InitializeInvertsAGeneralTensor) {
    Matrix4 tensor = Diagonal(4, 5, 6, 1);
    tensor.m12 = tensor.m21 = -1;
    tensor.m13 = tensor.m31 = 0.5f;
    tensor.m23 = tensor.m32 = -2;
    auto body = std::make_shared<clsRigidBody>();
    body->Initialize(tensor);
    ASSERT_FALSE(body->Failed());
    body->Move(0.0f);  // the world inverse tensor of an unturned body is the inverse itself
    EXPECT_TRUE(MatrixNear(MatrixMultiply(tensor, body->MomentOfInertia()), MatrixIdentity(), 1e-6f));
    EXPECT_EQ(body->GetMatrix(), MatrixIdentity());
}

TEST(RigidBody, SingularTensorFailsAndLeavesABodyThatDoesNotTurn) {
    clsMomentOfInertia inertia;
    auto body = std::make_shared<clsRigidBody>();
    body->Initialize(inertia.ComputeRectangle(1, 0, 0, 0));  // diag(0, 0, 0, 1)
    EXPECT_TRUE(body->Failed());
    EXPECT_EQ(body->LastErrorCode(), ErrorCode::SingularMatrix);
    EXPECT_EQ(body->LastError(), "Initialize: matrix cannot be inverted");
    EXPECT_EQ(body->GetMatrix(), MatrixIdentity()) << "the orientation is set before the inverse";
    body->Torque(Vector3{1, 2, 3});
    body->Move(0.5f);
    body->Move(0.5f);
    EXPECT_FALSE(body->Failed());
    EXPECT_EQ(body->GetMatrix(), MatrixIdentity());
    EXPECT_EQ(body->MomentOfInertia(), Matrix4{});
}
