#include "clsStarShip.h"

#include "CameraFPS.h"
#include "modActors.h"
#include "variabili_globali.h"

#include <Engine3D.h>
#include <dynamora/modMathAndPhysicsGlobal.h>

namespace orvane {

using namespace dynamora;
using quarvex::Globals3D;

namespace {
constexpr int32_t kStarship = 1, kObstacle = 2, kFighter = 3;
constexpr float kHoverBase = 50.0f;          // + 2 x themeIndex above the terrain
constexpr float kObstacleStep = 6.0f;        // the obstacle's second step per frame
constexpr float kHitSegment = 1.0f;          // projectile test, along the flight direction
constexpr float kGroundContact = 0.0f;       // altitude below which the body stops, own move
constexpr float kRammedGroundContact = 10.0f;
constexpr int16_t kRammingDamage = 3;
constexpr int32_t kMeshMode = 530;
constexpr ExplosionSettings kExplosion{300, 100, 7.0f, 3.0f, 0.02f};

// One triangle with the texture of that name, tiled once.
void AddFace(quarvex::Mesh3D& mesh, const char* texture, Vector3 a, Vector3 b, Vector3 c) {
    mesh.AddTriangle(Globals3D::GetTexture(texture), a.x, a.y, a.z, b.x, b.y, b.z, c.x, c.y, c.z, 1.0f, 1.0f, -1,
                     0);
}

// The two-triangle shape of obstacles and fighters: meeting along the lower centre line.
void AddDartFaces(quarvex::Mesh3D& mesh, const char* texture, float l, float w, float h) {
    AddFace(mesh, texture, {0, -h / 2, -l / 2}, {-w / 2, h / 2, -l / 2}, {0, -h / 2, l / 2});
    AddFace(mesh, texture, {0, -h / 2, -l / 2}, {0, -h / 2, l / 2}, {w / 2, h / 2, -l / 2});
}
}  // namespace

clsStarShip::clsStarShip() : Body(std::make_shared<clsRigidBody>()), Inertia(std::make_shared<clsMomentOfInertia>()) {
    SetPosition(Vector3{});
    SetVelocity(Vector3{});
    SetShipMass(50.0f);
}

clsStarShip::~clsStarShip() {
    Inertia.reset();
    Body.reset();
    ShipMesh.reset();
    Explosion.reset();
}

void clsStarShip::SetPosition(const Vector3& Vector) { Body->Position(Vector); }
void clsStarShip::SetVelocity(const Vector3& Vector) { Body->Velocity(Vector); }
void clsStarShip::SetShipMass(float Mass) { Body->Mass(Mass); }
void clsStarShip::SetBoundingBoxMass(float Mass) { BoundingBoxMass = Mass; }

void clsStarShip::SetSize(float Length, float Width, float Height) {
    this->Length = Length;
    this->Width = Width;
    this->Height = Height;
}

void clsStarShip::Build(int32_t Type) {
    ShipMesh = quarvex::Scene3D().CreateMesh("");
    switch (Type) {
    case kStarship: BuildShipMesh(Length, Width, Height, *ShipMesh); break;
    case kObstacle: BuildBorgMesh(Length, Width, Height, *ShipMesh); break;
    case kFighter: BuildFighterMesh(Length, Width, Height, *ShipMesh); break;
    default: break;
    }
    if (Type == kStarship || Type == kObstacle || Type == kFighter) ShipType = Type;
    Body->Initialize(Inertia->ComputeRectangle(BoundingBoxMass, Length, Width, Height));
    IsHit = false;
    BuildExplosion();
}

void clsStarShip::BuildExplosion() {
    Explosion = orvane::BuildExplosion(kExplosion);
    IsHit = false;
}

float clsStarShip::GetAltitude() const { return AltitudeOf(*Body); }

void clsStarShip::Move(float Time) {
    ShipMesh->SetMatrix(Body->Move(Time));
    if (ShipType == kObstacle) ShipMesh->SetMatrix(Body->Move(kObstacleStep));
    if (IsHit) {
        UpdateExplosion(*Explosion, ShipMesh->TransformPoint(ExplosionOffset));
    } else {
        Vector3 p = Body->Position();
        ReenterPlayingArea(p);
        p.y = RequireLand().GetHeight(p.x, p.z) + kHoverBase + 2.0f * static_cast<float>(themeIndex.Value());
        Body->Position(p);
    }
    if (GetAltitude() < kGroundContact) Body->Active(false);
    Vector3 p = Body->Position();
    if (ReenterPlayingArea(p)) Body->Position(p);
    CheckHits();
}

void clsStarShip::CheckHits() {
    CameraFPS& player = RequirePlayer();
    if (levelEnding) {
        ApplyLevelEndKick(*Body);
        IsHit = false;
    }
    if (ShipType != kObstacle && ProjectileTouches(*ShipMesh, kHitSegment)) {
        IsHit = true;
        killsTotal += 1;
        killsSinceAlarm += 1;
        PlaySound(GameSound::Explosion);
        score += shipPoints1;
        const Vector3 v = player.GetProjectileVelocity();
        Body->SetForce(1.5f * v.x, 100.0f, 1.1f * v.z);
        Vector3 momentum = VectorScale(player.GetProjectileVelocity(), player.GetProjectileMass());
        Body->SetForceAtPoint(momentum, player.GetProjectilePosition());
        Body->ConstantForce(Vector3{0.0f, 100.0f, 0.0f});
        player.ResetProjectile();
        killsThisLevel += 1;
        if (Body->Active()) {
            if (ShipType == kStarship) score += shipPoints1;
            if (ShipType == kFighter) score += shipPoints3;
        }
    }
    if (TouchesLineOfSight(*ShipMesh)) {
        PlaySound(GameSound::Explosion);
        if (damagePoints >= 0) damagePoints += kRammingDamage;
        if (GetAltitude() < kRammedGroundContact) Body->Active(false);
    }
}

void clsStarShip::BuildShipMesh(float l, float w, float h, quarvex::Mesh3D& Mesh) {
    Mesh.ClearGeometry();
    Mesh.SetMeshMode(kMeshMode);
    Mesh.SetMeshOption2(1);
    const float H = h + static_cast<float>(themeIndex.Value());
    // Upper wedge: two flanks and the flat deck at y = H/2.
    AddFace(Mesh, "starship", {0, -H / 2, -l / 2}, {-w / 2, H / 2, -l / 2}, {0, H / 2, l});
    AddFace(Mesh, "starship", {0, -H / 2, -l / 2}, {0, H / 2, l}, {w / 2, H / 2, -l / 2});
    AddFace(Mesh, "starship", {w / 2, H / 2, -l / 2}, {-w / 2, H / 2, -l / 2}, {0, H / 2, l});
    // Keel, twice as tall.
    AddFace(Mesh, "starship", {0, H, -l / 2}, {-w / 2, -H, -l / 2}, {0, -H, l});
    AddFace(Mesh, "starship", {0, H, -l / 2}, {0, -H, l}, {w / 2, -H, -l / 2});
    // The stern, burning.
    AddFace(Mesh, "fire", {0, -H / 2, -l / 2}, {w / 2, H / 2, -l / 2}, {-w / 2, H / 2, -l / 2});
    Mesh.FinishGeometry();
}

void clsStarShip::BuildBorgMesh(float l, float w, float h, quarvex::Mesh3D& Mesh) {
    Mesh.ClearGeometry();
    Mesh.SetMeshMode(kMeshMode);
    AddDartFaces(Mesh, "ostacolo", l, w + 4.0f * static_cast<float>(level.Value()), h);
    Mesh.FinishGeometry();
    Mesh.SetMeshFlag(true);
}

void clsStarShip::BuildFighterMesh(float l, float w, float h, quarvex::Mesh3D& Mesh) {
    Mesh.ClearGeometry();
    Mesh.SetMeshMode(kMeshMode);
    const float grow = static_cast<float>(level.Value());
    AddDartFaces(Mesh, "fighter", l + 3.0f * grow, w + 3.0f * grow, h + 2.0f * grow);
    Mesh.FinishGeometry();
}

}  // namespace orvane
