// Tanks: their motion and hits, and their jobs for the whole game: parking a projectile that left
// the world, placing the effect billboards, and the bonus station's repair.
#include "GameWorld.h"

#include "clsStarShips.h"
#include "clsTanks.h"

#include <EngineState.h>

#include <gtest/gtest.h>

namespace {

using namespace orvane;
using gametest::GameWorld;
using qxcommon::Vector3;

constexpr float kTol = 1e-3f;  // world units

class TankTest : public GameWorld {
protected:
    std::shared_ptr<clsTank> AddTank(float x, float z) {
        tanks->AddTanks(1);
        auto tank = gametest::Last(*tanks);
        tank->SetPosition({x, 0.0f, z});
        return tank;
    }
    static Vector3 PositionOf(const clsTank& tank) { return tank.GetBody().Position(); }
};

TEST_F(TankTest, TanksAreBuiltFromTheModelNearTheStartAndRollAtTheirHeight) {
    tanks->AddTanks(6);
    ASSERT_EQ(tanks->Count(), 6);
    for (const auto& tank : *tanks) {
        const Vector3 p = PositionOf(*tank);
        EXPECT_TRUE(p.x >= 250 && p.x < 1250 && p.z >= 30 && p.z < 380) << p.x << ", " << p.z;
        EXPECT_NEAR(p.y, Ground(p.x, p.z) + 60, kTol);
        EXPECT_GT(tank->GetMesh()->TriangleCount(), 0);
        EXPECT_EQ(tank->GetMesh()->Data()->GroupTexture(0), quarvex::Globals3D::GetTexture("0000"));
    }
    PlacePlayer(1800, 1800);
    level = 4;
    const auto tank = *tanks->begin();
    const float z = PositionOf(*tank).z;
    Frame();
    Frame();
    const Vector3 p = PositionOf(*tank);
    EXPECT_NEAR(p.z, z + 2 * 0.9f, kTol);
    EXPECT_NEAR(p.y, Ground(p.x, p.z) + 64, kTol);  // 60 + level

    // Any type other than 0 has no geometry, yet moves.
    clsTank bare;
    bare.SetVelocity({0, 0, 1});
    bare.Build(1);
    EXPECT_EQ(bare.GetMesh()->TriangleCount(), 0);
    bare.Move(0.9f);
    EXPECT_NEAR(bare.GetBody().Position().z, 500.9f, kTol);
}

TEST_F(TankTest, AProjectileLeavingTheWorldIsParkedInTheSameFrameWhenATankExists) {
    PlacePlayer(1000, 1900);
    Player->Fire();  // along +z, out of the world within a few frames
    int frames = 0;
    while (Player->GetProjectileMesh()->IsShown() && frames < 10) {
        Frame();
        ++frames;
    }
    // Without tanks nobody parks it.
    EXPECT_EQ(frames, 10);
    EXPECT_GT(Player->GetProjectilePosition().z, 2000);

    AddTank(600, 200);
    Frame();
    EXPECT_EQ(Player->GetProjectilePosition(), Vector3{});
    EXPECT_FALSE(Player->GetProjectileMesh()->IsShown());

    // Below 0 on any axis too.
    Player->Rotate(314.159f);  // turned round, firing towards -z
    PlacePlayer(1000, 60);
    Player->Fire();
    for (int i = 0; i < 4 && Player->GetProjectileMesh()->IsShown(); ++i) Frame();
    EXPECT_FALSE(Player->GetProjectileMesh()->IsShown());
    EXPECT_EQ(killsTotal, 0);
}

TEST_F(TankTest, AHitTankScoresOnceAndExplodesUntilItIsRammed) {
    tankPoints = 800;
    PlacePlayer(1000, 300);
    const auto tank = AddTank(1000, 500);
    tank->SetVelocity({0, 0, 0});
    Frame();
    AimAt(PositionOf(*tank));
    Player->Fire();
    for (int frame = 0; frame < 10 && !tank->GetIsHit(); ++frame) Frame();
    ASSERT_TRUE(tank->GetIsHit());
    EXPECT_EQ(score, 800);
    EXPECT_EQ(killsTotal, 1);
    EXPECT_EQ(killsSinceAlarm, 1);
    EXPECT_EQ(killsThisLevel, 1);
    EXPECT_EQ(Player->GetProjectilePosition(), Vector3{});
    const float hitY = PositionOf(*tank).y;
    for (int i = 0; i < 5; ++i) Frame();
    EXPECT_GT(PositionOf(*tank).y, hitY);  // lifted by (50, 200, 0)
    EXPECT_GT(tank->GetExplosion()->ParticleCount(), 0);
    EXPECT_EQ(score, 800);

    // Rammed: 3 damage, and it rolls on. It is put where the sight touches it after its next
    // step, worked out on a copy of its body (it spins from the hit).
    tank->SetVelocity({0, 0, 0});
    ASSERT_TRUE(PlaceOnLineOfSight(*tank->GetMesh(), [&](const Vector3& p) {
        tank->SetPosition(p);
        dynamora::clsRigidBody next = tank->GetBody();
        tank->GetMesh()->SetMatrix(next.Move(0.9f));
    }));
    damagePoints = 7;
    Frame();
    EXPECT_EQ(damagePoints, 10);
    EXPECT_FALSE(tank->GetIsHit());
    Frame();
    const Vector3 rolling = PositionOf(*tank);
    EXPECT_NEAR(rolling.y, Ground(rolling.x, rolling.z) + 61, kTol);
}

TEST_F(TankTest, TheLastTankPlacesTheEffectBillboardsNearThePlayer) {
    PlacePlayer(900, 700);
    AddTank(400, 300);
    const auto last = AddTank(700, 200);
    Frame();
    const Vector3 eye = Player->GetCameraPosition();
    const float y = Ground(eye.x, eye.z) + 20;
    const float z = PositionOf(*last).z;
    const Vector3 flame = flameBillboard->GetPosition();
    EXPECT_FLOAT_EQ(flame.x, eye.x);
    EXPECT_NEAR(flame.y, y, kTol);
    EXPECT_NEAR(flame.z, 3 * z, kTol);
    const Vector3 explosion = explosionBillboard->GetPosition();
    EXPECT_FLOAT_EQ(explosion.x, eye.x - 50);
    EXPECT_NEAR(explosion.y, y, kTol);
    EXPECT_NEAR(explosion.z, z + 800, kTol);
}

TEST_F(TankTest, TheExplosionBillboardPlaysAgainOnceItHasEnded) {
    quarvex::Scene3D().LoadShaderFile("common.shader");
    explosionBillboard->SetEffectTexture(quarvex::Globals3D::GetEffectTexture("Explosion"), true);
    auto& board = *explosionBillboard->Data();
    ASSERT_FALSE(board.effect->Loops());
    PlacePlayer(900, 700);
    AddTank(400, 300);
    const double now = quarvex::detail::State().Now();
    // Ended a minute ago: the tank that moves the billboard in the next frame starts it again.
    board.effectStart = now - 60.0;
    Frame();
    EXPECT_GE(board.effectStart, now);
}

TEST_F(TankTest, TheBonusStationRepairsTheCraftAndMovesAway) {
    PlacePlayer(1000, 600);
    AddTank(400, 300);
    for (int16_t damage : {int16_t{250}, int16_t{-30}}) {
        damagePoints = damage;
        ASSERT_TRUE(PlaceOnLineOfSight(*bonusStation, [](const Vector3& p) { bonusStation->SetPosition(p.x, p.y, p.z); }));
        Frame();
        EXPECT_EQ(damagePoints, 5);
        const Vector3 placed = bonusStation->GetPosition();
        EXPECT_FLOAT_EQ(placed.x, static_cast<float>(bonusX + 100));
        EXPECT_FLOAT_EQ(placed.z, static_cast<float>(bonusZ + 100));
        EXPECT_TRUE(bonusX >= 230 && bonusX <= 1630) << bonusX.Value();
        EXPECT_TRUE(bonusZ >= 0 && bonusZ <= 1700) << bonusZ.Value();
        EXPECT_NEAR(placed.y, Ground(placed.x, placed.z) + 40, kTol);
    }
    // Away from the sight nothing happens; a missing station is made on first use.
    damagePoints = 250;
    Frame();
    EXPECT_EQ(damagePoints, 250);
    bonusStation.reset();
    Frame();
    EXPECT_NE(bonusStation, nullptr);
}

}  // namespace
