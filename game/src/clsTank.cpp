#include "clsTank.h"

#include "CameraFPS.h"
#include "modActors.h"
#include "variabili_globali.h"

#include <Engine3D.h>
#include <dynamora/modMathAndPhysicsGlobal.h>

#include <cmath>

namespace orvane {

using namespace dynamora;
using quarvex::Globals3D;

namespace {
constexpr float kHoverBase = 60.0f;       // + level above the terrain
constexpr float kGroundContact = 20.0f;   // altitude below which the body stops
constexpr float kHitSegment = -0.1f;      // projectile test, backwards along the flight direction
constexpr float kWorldMin = 0.0f;         // the projectile's world cube on every axis
constexpr float kWorldMax = 2000.0f;
constexpr int16_t kRammingDamage = 3;
constexpr int16_t kRepairedDamage = 5;    // damagePoints after touching the bonus station
constexpr int32_t kMeshMode = 530;
constexpr float kBillboardHeight = 20.0f; // above the ground under the eye
constexpr ExplosionSettings kExplosion{300, 50, 7.0f, 1.0f, 0.01f};

// The integer nearest to value, an exact half going to the even neighbour.
int32_t RoundHalfEven(float value) { return static_cast<int32_t>(std::nearbyint(value)); }
}  // namespace

clsTank::clsTank() : Body(std::make_shared<clsRigidBody>()), Inertia(std::make_shared<clsMomentOfInertia>()) {
    SetPosition(Vector3{800.0f, 200.0f, 500.0f});
    SetVelocity(Vector3{});
    SetTankMass(50.0f);
}

clsTank::~clsTank() {
    Inertia.reset();
    Body.reset();
    ShipMesh.reset();
    Explosion.reset();
}

void clsTank::SetPosition(const Vector3& Vector) { Body->Position(Vector); }
void clsTank::SetVelocity(const Vector3& Vector) { Body->Velocity(Vector); }
void clsTank::SetTankMass(float Mass) { Body->Mass(Mass); }
void clsTank::SetBoundingBoxMass(float Mass) { BoundingBoxMass = Mass; }

void clsTank::SetSize(float Length, float Width, float Height) {
    this->Length = Length;
    this->Width = Width;
    this->Height = Height;
}

void clsTank::Build(int32_t TankType) {
    ShipMesh = quarvex::Scene3D().CreateMesh("");
    if (TankType == 0) BuildRealTank(*ShipMesh);
    ShipMesh->SetMeshFlag(true);
    Body->Initialize(Inertia->ComputeRectangle(BoundingBoxMass, Length, Width, Height));
    IsHit = false;
    BuildExplosion();
}

void clsTank::BuildRealTank(quarvex::Mesh3D& Mesh) {
    Mesh.ClearGeometry();
    Mesh.Load3DS(tankModelPath, true);
    Mesh.SetScale(1.0f, 1.0f, 1.0f);
    Mesh.SetTexture(Globals3D::GetTexture("0000"), -1);
    Mesh.SetMeshOption(true, 1);
    Mesh.SetMeshMode(kMeshMode);
    Mesh.FinishGeometry();
}

void clsTank::BuildExplosion() {
    Explosion = orvane::BuildExplosion(kExplosion);
    IsHit = false;
}

float clsTank::GetAltitude() const { return AltitudeOf(*Body); }

void clsTank::Move(float Time) {
    ParkProjectileOutsideWorld();
    ShipMesh->SetMatrix(Body->Move(Time));
    if (IsHit) {
        UpdateExplosion(*Explosion, ShipMesh->TransformPoint(ExplosionOffset));
    } else {
        Vector3 p = Body->Position();
        ReenterPlayingArea(p);
        p.y = RequireLand().GetHeight(p.x, p.z) + kHoverBase + static_cast<float>(level.Value());
        Body->Position(p);
    }
    if (GetAltitude() < kGroundContact) Body->Active(false);
    PlaceEffectBillboards();
    CheckHits();
}

// The only place where a shot that missed everything is parked.
void clsTank::ParkProjectileOutsideWorld() {
    CameraFPS& player = RequirePlayer();
    Vector3 p = player.GetProjectilePosition();
    if (p.x > kWorldMax || p.y > kWorldMax || p.z > kWorldMax) player.ResetProjectile();
    p = player.GetProjectilePosition();
    if (p.x < kWorldMin || p.y < kWorldMin || p.z < kWorldMin) player.ResetProjectile();
}

// Every tank places them in turn, so the last tank of the collection decides where they stand.
void clsTank::PlaceEffectBillboards() {
    const Vector3 eye = RequirePlayer().GetCameraPosition();
    const float y = RequireLand().GetHeight(eye.x, eye.z) + kBillboardHeight;
    const Vector3 b = Body->Position();
    if (flameBillboard) flameBillboard->SetPosition(eye.x, y, 3.0f * b.z);
    if (explosionBillboard) explosionBillboard->SetPosition(eye.x - 50.0f, y, b.z + 800.0f);
}

void clsTank::CheckHits() {
    CameraFPS& player = RequirePlayer();
    if (levelEnding) {
        ApplyLevelEndKick(*Body);
        IsHit = false;
    }
    if (ProjectileTouches(*ShipMesh, kHitSegment)) {
        IsHit = true;
        PlaySound(GameSound::Explosion);
        killsTotal += 1;
        killsSinceAlarm += 1;
        killsThisLevel += 1;
        score += tankPoints;
        Vector3 momentum = VectorScale(player.GetProjectileVelocity(), player.GetProjectileMass());
        Body->SetForceAtPoint(momentum, player.GetProjectilePosition());
        Body->ConstantForce(Vector3{50.0f, 200.0f, 0.0f});
        player.ResetProjectile();
    }
    if (TouchesLineOfSight(*ShipMesh)) {
        PlaySound(GameSound::Explosion);
        if (damagePoints >= 0) damagePoints += kRammingDamage;
        IsHit = false;  // a rammed tank rolls on
    }
    if (!bonusStation) bonusStation = quarvex::Scene3D().CreateMesh("");
    if (TouchesLineOfSight(*bonusStation)) {
        PlaySound(GameSound::Bonus);
        damagePoints = kRepairedDamage;
        PlaceBonusStation();
    }
}

// Somewhere new at random, 40 above the ground.
void clsTank::PlaceBonusStation() {
    ReseedFromClock();
    bonusX = RoundHalfEven(1400.0f * RandomDraw() + 230.0f);
    ReseedFromClock();
    bonusZ = RoundHalfEven(1700.0f * RandomDraw());
    const float x = static_cast<float>(bonusX + 100), z = static_cast<float>(bonusZ + 100);
    bonusStation->SetPosition(x, RequireLand().GetHeight(x, z) + 40.0f, z);
}

}  // namespace orvane
