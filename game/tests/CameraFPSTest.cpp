// The player craft and its projectile over the generated terrain.
#include "GameWorld.h"

#include <dynamora/modMathAndPhysicsGlobal.h>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace orvane;
using gametest::GameWorld;
using qxcommon::Vector3;

constexpr float kTol = 1e-3f;  // world units

float Distance(const Vector3& a, const Vector3& b) {
    return dynamora::VectorLength(dynamora::VectorSubtract(a, b));
}

using CameraFPSTest = GameWorld;

TEST_F(CameraFPSTest, AMoveGluesTheCarrierToTheTerrainAndPutsTheEyeAboveIt) {
    Player->SetPosition(700, 900);
    // The carrier keeps its height until the next Move.
    const Vector3 before = Player->GetCarrierMesh()->GetPosition();
    EXPECT_FLOAT_EQ(before.x, 700);
    EXPECT_FLOAT_EQ(before.z, 900);
    EXPECT_FLOAT_EQ(before.y, 5.0f);  // where construction put it
    Player->Move(0.95f);
    const float ground = Ground(700, 900);
    EXPECT_NEAR(Player->GetCarrierMesh()->GetPosition().y, ground + 10, kTol);
    const Vector3 eye = Player->GetCameraPosition();
    EXPECT_NEAR(eye.y, ground + 10 + 35, kTol);  // CreatePlayer's camera height
    EXPECT_FLOAT_EQ(eye.x, 700);
    EXPECT_FLOAT_EQ(eye.z, 900);
    // The look-at target was taken from the carrier's old height, 5.
    EXPECT_NEAR(Player->GetAimVector().y / Player->GetAimVector().z, (5 + 2 - eye.y) / 400, 1e-3f);
    // From the next Move on: ahead (+z), down towards the target 2 above the carrier, 400 away.
    Player->Move(0.95f);
    const Vector3 aim = Player->GetAimVector();
    EXPECT_NEAR(dynamora::VectorLength(aim), 1.0f, 1e-5f);
    EXPECT_NEAR(aim.y / aim.z, -33.0f / 400.0f, 1e-3f);
    EXPECT_NEAR(aim.x, 0.0f, 1e-5f);
}

TEST_F(CameraFPSTest, TheCrosshairIsDrawnEveryFrameCentredOnTheMuzzlePoint) {
    PlacePlayer(1000, 400);
    engine.Present();  // a frame of its own for the placing Move
    engine.Clear(false);
    Player->Move(0.95f);
    engine.Present();
    const auto& drawn = quarvex::Engine3D::LastFrame2D();
    ASSERT_EQ(drawn.size(), 1u);
    const quarvex::Draw2D& cross = drawn[0];
    EXPECT_EQ(cross.texture, quarvex::Globals3D::GetTexture("Cross"));
    EXPECT_FLOAT_EQ(cross.x2 - cross.x1, 200.0f);
    EXPECT_FLOAT_EQ(cross.y2 - cross.y1, 100.0f);
    EXPECT_FLOAT_EQ((cross.x1 + cross.x2) / 2, Player->Px);
    EXPECT_FLOAT_EQ((cross.y1 + cross.y2) / 2, Player->Py);
    // The muzzle point lies on the line of sight: the centre of the picture.
    EXPECT_NEAR(Player->Px, 400.0f, 0.5f);
    EXPECT_NEAR(Player->Py, 300.0f, 0.5f);
}

TEST_F(CameraFPSTest, TurningAndTiltingChangeTheAim) {
    PlacePlayer(1000, 1000);
    Player->Rotate(50);  // 0.5 rad to the right
    Player->Move(0.95f);
    Vector3 aim = Player->GetAimVector();
    EXPECT_NEAR(std::atan2(aim.x, aim.z), 0.5f, 1e-3f);
    // TiltUpDown has no limit: the view keeps pitching up.
    float previous = aim.y;
    for (int i = 0; i < 5; ++i) {
        Player->TiltUpDown(500);
        Player->Move(0.95f);
        aim = Player->GetAimVector();
        EXPECT_GT(aim.y, previous);
        previous = aim.y;
    }
    EXPECT_GT(aim.y, 0.98f);
}

TEST_F(CameraFPSTest, TheProjectileIsAnOpenTwoUnitBoxParkedHiddenAtTheOrigin) {
    const auto& mesh = Player->GetProjectileMesh();
    EXPECT_EQ(mesh->Name(), "Projectile");
    EXPECT_EQ(mesh->TriangleCount(), 8);
    EXPECT_FALSE(mesh->IsShown());
    EXPECT_EQ(Player->GetProjectilePosition(), Vector3{});
    EXPECT_EQ(Player->GetProjectileVelocity(), Vector3{});
    EXPECT_FLOAT_EQ(Player->GetProjectileMass(), 10.0f);
    // Sides at x = +-1 and z = +-1; no top or bottom: a vertical line through the middle
    // passes, a line along z meets the two end faces.
    mesh->SetPosition(500, 500, 500);
    EXPECT_FALSE(mesh->IntersectsSegment({500, 490, 500}, {500, 510, 500}, 3));
    EXPECT_TRUE(mesh->IntersectsSegment({500, 500, 490}, {500, 500, 510}, 3));
    EXPECT_TRUE(mesh->IntersectsSegment({490, 500.9f, 500}, {510, 500.9f, 500}, 3));
    EXPECT_FALSE(mesh->IntersectsSegment({490, 501.1f, 500}, {510, 501.1f, 500}, 3));
}

TEST_F(CameraFPSTest, AFiredProjectileFlies42UnitsAFrameAlongTheAim) {
    PlacePlayer(1000, 300);
    const Vector3 eye = Player->GetCameraPosition();
    const Vector3 aim = Player->GetAimVector();
    Player->Fire();
    const Vector3 muzzle = Player->GetProjectilePosition();
    EXPECT_NEAR(Distance(muzzle, dynamora::VectorAdd(eye, dynamora::VectorScale(aim, 5))), 0.0f, kTol);
    EXPECT_TRUE(Player->GetProjectileMesh()->IsShown());
    EXPECT_NEAR(dynamora::VectorLength(Player->GetProjectileVelocity()), 140.0f, 1e-3f);
    EXPECT_EQ(Player->GetProjectilePreviousPosition(), muzzle);  // no path flown yet

    Vector3 last = muzzle;
    for (int frame = 1; frame <= 3; ++frame) {
        Player->Move(0.95f);
        const Vector3 now = Player->GetProjectilePosition();
        EXPECT_NEAR(Distance(now, last), 42.0f, 1e-3f) << "frame " << frame;
        EXPECT_EQ(Player->GetProjectilePreviousPosition(), last);
        EXPECT_NEAR(Distance(Player->GetProjectileMesh()->GetPosition(), now), 0.0f, kTol);
        last = now;
    }
    // Firing again restarts the shot from the muzzle; the earlier one ceases to exist.
    Player->Fire();
    EXPECT_NEAR(Distance(Player->GetProjectilePosition(), muzzle), 0.0f, kTol);
    EXPECT_EQ(Player->GetProjectilePreviousPosition(), Player->GetProjectilePosition());
    // A reset parks it hidden at the origin, at rest.
    Player->ResetProjectile();
    EXPECT_EQ(Player->GetProjectilePosition(), Vector3{});
    EXPECT_EQ(Player->GetProjectilePreviousPosition(), Vector3{});
    EXPECT_EQ(Player->GetProjectileVelocity(), Vector3{});
    EXPECT_FALSE(Player->GetProjectileMesh()->IsShown());
    Player->Move(0.95f);
    EXPECT_EQ(Player->GetProjectilePosition(), Vector3{});
}

TEST_F(CameraFPSTest, ActorsNeedTheWorldFirst) {
    Player.reset();
    EXPECT_THROW(orvane::RequirePlayer(), std::logic_error);
    auto craft = std::make_shared<CameraFPS>();
    Land.reset();
    EXPECT_THROW(craft->Move(0.95f), std::logic_error);
}

}  // namespace
