// Starships, obstacles and fighters, frame by frame over the generated terrain.
#include "GameWorld.h"

#include "clsStarShips.h"

#include <EngineState.h>
#include <qxsound/SoundDx8.h>
#include <qxsound/SoundEngine8.h>
#include <qxsound/modGlobal.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace orvane;
using gametest::GameWorld;
using qxcommon::Vector3;

constexpr float kTol = 1e-3f;  // world units

class StarShipTest : public GameWorld {
protected:
    // The first ship of a fleet with one ship of the kind, placed at (x, 0, z).
    std::shared_ptr<clsStarShip> AddShip(void (clsStarShips::*add)(int16_t, std::string_view), float x, float z) {
        ((*fleet).*add)(1, "");
        auto ship = gametest::Last(*fleet);
        ship->SetPosition({x, 0.0f, z});
        return ship;
    }
    static Vector3 PositionOf(const clsStarShip& ship) { return ship.GetBody().Position(); }

    // The centre of the ship's first triangle, in the world. Obstacles and fighters are open
    // shapes whose planes hold their line of flight: a shot from behind meets them only where
    // it is aimed at their surface. The mesh shows where the body was a step ago, so the ship
    // is to have moved at least twice.
    static Vector3 FirstFaceCentre(const clsStarShip& ship) {
        const auto& p = ship.GetMesh()->Data()->triangles.at(0).p;
        const glm::vec3 centre = (p[0] + p[1] + p[2]) / 3.0f;
        return ship.GetMesh()->TransformPoint({centre.x, centre.y, centre.z});
    }

    // Moves the player across to the x of target, aims at it and fires.
    static void FireAt(const Vector3& target) {
        Player->SetPosition(target.x, Player->GetCameraPosition().z);
        Player->Move(0.95f);
        AimAt(target);
        Player->Fire();
    }

    // Fires at target and plays frames until the ship is hit; the number of frames played, or 0
    // when it was not hit within maxFrames.
    int ShootAt(const Vector3& target, const clsStarShip& ship, int maxFrames = 15) {
        FireAt(target);
        for (int frame = 1; frame <= maxFrames; ++frame) {
            Frame();
            if (ship.GetIsHit()) return frame;
        }
        return 0;
    }
};

// Local extents of a mesh's triangles.
struct Extents {
    Vector3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
};
Extents ExtentsOf(const quarvex::Mesh3D& mesh) {
    Extents e;
    for (const auto& t : mesh.Data()->triangles) {
        for (const auto& p : t.p) {
            e.lo = {std::min(e.lo.x, p.x), std::min(e.lo.y, p.y), std::min(e.lo.z, p.z)};
            e.hi = {std::max(e.hi.x, p.x), std::max(e.hi.y, p.y), std::max(e.hi.z, p.z)};
        }
    }
    return e;
}

void ExpectExtents(const quarvex::Mesh3D& mesh, Vector3 lo, Vector3 hi) {
    const Extents e = ExtentsOf(mesh);
    EXPECT_NEAR(e.lo.x, lo.x, kTol);
    EXPECT_NEAR(e.lo.y, lo.y, kTol);
    EXPECT_NEAR(e.lo.z, lo.z, kTol);
    EXPECT_NEAR(e.hi.x, hi.x, kTol);
    EXPECT_NEAR(e.hi.y, hi.y, kTol);
    EXPECT_NEAR(e.hi.z, hi.z, kTol);
}

TEST_F(StarShipTest, TheMeshesHaveTheirSizesAtLevelOne) {
    fleet->AddStarShips(1);
    fleet->AddBorg(1);
    fleet->AddFighters(1);
    auto it = fleet->begin();
    const auto starship = *it++, borg = *it++, fighter = *it;
    EXPECT_EQ(starship->GetShipType(), 1);
    EXPECT_EQ(starship->GetMesh()->TriangleCount(), 6);
    ExpectExtents(*starship->GetMesh(), {-30, -11, -30}, {30, 11, 60});  // nose twice as far as the stern
    EXPECT_EQ(borg->GetShipType(), 2);
    EXPECT_EQ(borg->GetMesh()->TriangleCount(), 2);
    ExpectExtents(*borg->GetMesh(), {-42, -40, -40}, {42, 40, 40});
    EXPECT_EQ(fighter->GetShipType(), 3);
    ExpectExtents(*fighter->GetMesh(), {-31.5f, -16, -21.5f}, {31.5f, 16, 21.5f});
    // The stern is the "fire" texture, the rest "starship".
    const auto& tris = starship->GetMesh()->Data()->triangles;
    EXPECT_EQ(starship->GetMesh()->Data()->GroupTexture(tris[5].group), quarvex::Globals3D::GetTexture("fire"));
    EXPECT_EQ(starship->GetMesh()->Data()->GroupTexture(tris[0].group), quarvex::Globals3D::GetTexture("starship"));
}

TEST_F(StarShipTest, LaterShipsAreBuiltLargerAndAnUnknownTypeHasNoGeometry) {
    themeIndex = 4;
    level = 3;
    fleet->AddStarShips(1);
    fleet->AddFighters(1);
    fleet->AddBorg(1);
    auto it = fleet->begin();
    const auto starship = *it++, fighter = *it++, borg = *it;
    ExpectExtents(*starship->GetMesh(), {-30, -14, -30}, {30, 14, 60});
    ExpectExtents(*fighter->GetMesh(), {-34.5f, -18, -24.5f}, {34.5f, 18, 24.5f});
    ExpectExtents(*borg->GetMesh(), {-46, -40, -40}, {46, 40, 40});

    clsStarShip odd;
    odd.Build(7);
    EXPECT_EQ(odd.GetShipType(), 0);
    EXPECT_EQ(odd.GetMesh()->TriangleCount(), 0);
    EXPECT_NE(odd.GetExplosion(), nullptr);
}

TEST_F(StarShipTest, UnhitShipsAdvanceAtTheirKindsSpeedAtTheirHoverHeight) {
    PlacePlayer(300, 100);  // far from the ships
    const auto starship = AddShip(&clsStarShips::AddStarShips, 700, 600);
    const auto fighter = AddShip(&clsStarShips::AddFighters, 1000, 600);
    const auto borg = AddShip(&clsStarShips::AddBorg, 1400, 600);
    for (int frame = 1; frame <= 5; ++frame) {
        Frame();
        EXPECT_NEAR(PositionOf(*starship).z, 600 + 0.9f * frame, kTol);
        EXPECT_NEAR(PositionOf(*fighter).z, 600 + 1.35f * frame, kTol);
        EXPECT_NEAR(PositionOf(*borg).z, 600 + 20.7f * frame, kTol);
    }
    for (const auto& ship : {starship, fighter, borg}) {
        const Vector3 p = PositionOf(*ship);
        EXPECT_NEAR(p.y, Ground(p.x, p.z) + 52, kTol);  // 50 + 2 x themeIndex 1
        EXPECT_FLOAT_EQ(p.x, ship == starship ? 700 : ship == fighter ? 1000 : 1400);
        EXPECT_FALSE(ship->GetIsHit());
    }
    themeIndex = 5;
    Frame();
    const Vector3 p = PositionOf(*starship);
    EXPECT_NEAR(p.y, Ground(p.x, p.z) + 60, kTol);
}

TEST_F(StarShipTest, AShipLeavingThePlayingAreaReentersAt500OnThatAxisOnly) {
    PlacePlayer(300, 100);
    const auto outsideX = AddShip(&clsStarShips::AddStarShips, 1995, 700);
    const auto leavingZ = AddShip(&clsStarShips::AddStarShips, 1200, 1989.5f);
    const auto belowX = AddShip(&clsStarShips::AddFighters, 15, 900);
    Frame();
    EXPECT_FLOAT_EQ(PositionOf(*outsideX).x, 500);
    EXPECT_NEAR(PositionOf(*outsideX).z, 700.9f, kTol);
    EXPECT_FLOAT_EQ(PositionOf(*leavingZ).z, 500);
    EXPECT_FLOAT_EQ(PositionOf(*leavingZ).x, 1200);
    EXPECT_FLOAT_EQ(PositionOf(*belowX).x, 500);
    EXPECT_NEAR(PositionOf(*belowX).z, 901.35f, kTol);
    // Inside the area nothing is replaced: 1989.5 + 0.9 left it, 1989.0 + 0.9 does not.
    const auto inside = AddShip(&clsStarShips::AddStarShips, 1600, 1989.0f);
    Frame();
    EXPECT_NEAR(PositionOf(*inside).z, 1989.9f, kTol);
}

TEST_F(StarShipTest, AShotAtTheMiddleOfAStarship300UnitsAheadHitsAndScoresTwice) {
    PlacePlayer(1000, 300);
    const auto ship = AddShip(&clsStarShips::AddStarShips, 1000, 300 + 300);
    Frame();  // the ship takes its hover height
    ASSERT_GT(ShootAt(PositionOf(*ship), *ship), 0) << "the shot flew through the ship";
    EXPECT_TRUE(ship->GetIsHit());
    EXPECT_EQ(score, 2 * 600);  // hit while its body is active
    EXPECT_EQ(killsTotal, 1);
    EXPECT_EQ(killsSinceAlarm, 1);
    EXPECT_EQ(killsThisLevel, 1);
    // The projectile is parked at the origin, hidden.
    EXPECT_EQ(Player->GetProjectilePosition(), Vector3{});
    EXPECT_EQ(Player->GetProjectileVelocity(), Vector3{});
    EXPECT_FALSE(Player->GetProjectileMesh()->IsShown());
    // The hit ship is pushed up and away and its explosion burns where it is.
    const float hoverY = PositionOf(*ship).y;
    for (int i = 0; i < 10; ++i) Frame();
    EXPECT_GT(PositionOf(*ship).y, hoverY + 5);
    EXPECT_GT(ship->GetExplosion()->ParticleCount(), 0);
    // One shot, one hit.
    EXPECT_EQ(killsTotal, 1);
}

TEST_F(StarShipTest, AFighterScoresBothPointValues) {
    shipPoints1 = 900;  // as in level 2
    shipPoints3 = 1200;
    PlacePlayer(800, 400);
    const auto fighter = AddShip(&clsStarShips::AddFighters, 800, 400 + 250);
    // Looking down on it: from its own height a shot from behind only grazes the planes of its
    // wings, and the terrain it follows lifts it off the shot's line.
    Player->SetCameraHeight(150);
    Frame();
    Frame();
    ASSERT_GT(ShootAt(FirstFaceCentre(*fighter), *fighter), 0);
    EXPECT_EQ(score, 900 + 1200);
}

TEST_F(StarShipTest, AnObstacleIgnoresTheProjectile) {
    PlacePlayer(1000, 300);
    const auto borg = AddShip(&clsStarShips::AddBorg, 1014, 300 + 200);
    borg->SetVelocity({0, 0, 0});  // held still, so that the shot crosses its surface
    Frame();
    Frame();
    // Aimed at the centre of its first triangle, the shot crosses its surface there.
    const Vector3 centre = FirstFaceCentre(*borg);
    FireAt(centre);
    bool crossed = false;
    for (int frame = 0; frame < 10; ++frame) {
        Frame();
        crossed = crossed || borg->GetMesh()->IntersectsSegment(Player->GetProjectilePreviousPosition(),
                                                                Player->GetProjectilePosition(), 3);
    }
    EXPECT_TRUE(crossed) << "the shot never crossed the obstacle";
    EXPECT_FALSE(borg->GetIsHit());
    EXPECT_EQ(score, 0);
    EXPECT_EQ(killsTotal, 0);
    EXPECT_GT(Player->GetProjectilePosition().z, centre.z + 100);  // flew on
}

class RammingTest : public StarShipTest {
protected:
    // A starship at rest just ahead of the eye, its stern half a unit away, the eye at its height.
    void SetUp() override {
        StarShipTest::SetUp();
        PlacePlayer(1000, 600);
        ship = AddShip(&clsStarShips::AddStarShips, 1000, 600);
        ship->SetVelocity({0, 0, 0});
        const Vector3 eye = Player->GetCameraPosition();
        ship->SetPosition({eye.x, 0, eye.z + 30.5f});
        fleet->Move(0.9f);
        const float carrierY = Player->GetCarrierMesh()->GetPosition().y;
        Player->SetCameraHeight(PositionOf(*ship).y - carrierY);
        Player->Move(0.95f);
        damagePoints = 1;
    }
    std::shared_ptr<clsStarShip> ship;
};

TEST_F(RammingTest, AShipInTheLineOfSightAdds3DamageEveryFrame) {
    for (int frame = 1; frame <= 4; ++frame) {
        Frame();
        EXPECT_EQ(damagePoints, 1 + 3 * frame);
    }
    EXPECT_EQ(score, 0);
    // A negative damage is left alone.
    damagePoints = -9;
    Frame();
    EXPECT_EQ(damagePoints, -9);
}

TEST_F(StarShipTest, WhileTheLevelEndsShipsAreLiftedAndLoseTheirHitState) {
    PlacePlayer(1000, 300);
    const auto ship = AddShip(&clsStarShips::AddStarShips, 1000, 600);
    Frame();
    ASSERT_GT(ShootAt(PositionOf(*ship), *ship), 0);
    levelEnding = true;
    Frame();
    EXPECT_FALSE(ship->GetIsHit());
    Frame();
    // Back in the unhit branch: held at its hover height, with the kick and the lift in its velocity.
    const Vector3 p = PositionOf(*ship);
    EXPECT_NEAR(p.y, Ground(p.x, p.z) + 52, kTol);
    EXPECT_GT(ship->GetBody().Velocity().x, 0);
    EXPECT_GT(ship->GetBody().Velocity().y, 0);
    EXPECT_EQ(killsTotal, 1);
}

TEST_F(StarShipTest, AHitPlaysTheExplosionSoundWhenThereIsASoundEngine) {
    try {
        soundEngine = std::make_shared<qxsound::SoundEngine8>();
    } catch (const std::exception& e) {
        GTEST_SKIP() << "no sound output: " << e.what();
    }
    auto& explosion = Sound(GameSound::Explosion);
    explosion = std::make_shared<qxsound::SoundDx8>();
    ASSERT_TRUE(explosion->Load(ProgramFile(kGameSoundFiles[static_cast<int>(GameSound::Explosion)])));
    PlacePlayer(1000, 300);
    const auto ship = AddShip(&clsStarShips::AddStarShips, 1000, 600);
    Frame();
    EXPECT_NE(explosion->PlayState(), qxsound::QX_PLAYSTATE_PLAYING);
    ASSERT_GT(ShootAt(PositionOf(*ship), *ship), 0);
    EXPECT_EQ(explosion->PlayState(), qxsound::QX_PLAYSTATE_PLAYING);
    explosion->Stop_();
    explosion.reset();
    soundEngine.reset();
    qxsound::EndLibraryContext();
}

}  // namespace
