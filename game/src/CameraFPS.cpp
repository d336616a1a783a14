#include "CameraFPS.h"

#include "variabili_globali.h"

#include <Engine3D.h>
#include <dynamora/modMathAndPhysicsGlobal.h>

namespace orvane {

using namespace dynamora;
using quarvex::Globals3D;

namespace {
constexpr float kLookDistance = 400.0f;    // local z of the look-at target
constexpr float kTerrainClearance = 10.0f; // carrier height above the ground after every Move
constexpr float kMuzzleDistance = 5.0f;    // muzzle point ahead of the eye
constexpr float kCrossHalfWidth = 100.0f;  // pixels
constexpr float kCrossHalfHeight = 50.0f;
constexpr float kTurnDivisor = 100.0f;
constexpr int32_t kMeshMode = 530;
constexpr float kProjectileStep = 0.3f;    // the projectile's time step, whatever the frame's
constexpr float kDefaultProjectileMass = 10.0f;
}  // namespace

CameraFPS::CameraFPS() {
    CreateCameraMesh();
    BuildProjectileMesh(2.0f, 2.0f, 2.0f);
    Camera = std::make_shared<quarvex::Camera3D>();
    LookHeight = 2.0f;
    CameraHeight = 5.0f;
    CameraMesh->SetPosition(0.0f, CameraHeight, 0.0f);
    ProjectileMesh->ShowMesh(false);
    ProjectileBody = std::make_shared<clsRigidBody>();
    ProjectileBody->Initialize(MatrixIdentity());
    ProjectileSpeed = 75.0f;
    ProjectileBody->Mass(kDefaultProjectileMass);
}

CameraFPS::~CameraFPS() {
    // The meshes stay in the scene; only the references go, in this order.
    Camera.reset();
    CameraMesh.reset();
    ProjectileMesh.reset();
    ProjectileBody.reset();
}

void CameraFPS::SetProjectileSpeed(float Speed) { ProjectileSpeed = Speed; }
void CameraFPS::SetProjectileMass(float Mass) { ProjectileBody->Mass(Mass); }
void CameraFPS::SetConstantForce(const Vector3& Vector) { ProjectileBody->ConstantForce(Vector); }
Vector3 CameraFPS::GetProjectileVelocity() const { return ProjectileBody->Velocity(); }
Vector3 CameraFPS::GetProjectilePosition() const { return ProjectileBody->Position(); }
float CameraFPS::GetProjectileMass() const { return ProjectileBody->Mass(); }
Vector3 CameraFPS::GetProjectilePreviousPosition() const { return ProjectilePreviousPosition; }

void CameraFPS::SetPosition(float x, float Z) {
    const Vector3 p = CameraMesh->GetPosition();
    CameraMesh->SetPosition(x, p.y, Z);
}

Vector3 CameraFPS::GetCameraPosition() const { return Camera->GetPosition(); }
void CameraFPS::SetCameraHeight(float Height) { CameraHeight = Height; }
void CameraFPS::StrafeLeft(float Speed) { CameraMesh->MoveRelative(0.0f, 0.0f, -Speed); }
void CameraFPS::StrafeRight(float Speed) { CameraMesh->MoveRelative(0.0f, 0.0f, Speed); }
void CameraFPS::MoveForward(float Speed) { CameraMesh->MoveRelative(Speed, 0.0f, 0.0f); }
void CameraFPS::MoveBack(float Speed) { CameraMesh->MoveRelative(-Speed, 0.0f, 0.0f); }
void CameraFPS::TiltUpDown(float Speed) { LookHeight += Speed; }
void CameraFPS::Rotate(float Speed) { CameraMesh->RotateY(Speed / kTurnDivisor); }

void CameraFPS::Move(float) {
    // 1. The look-at target ahead of the carrier, from where it is before following the ground.
    LookAtPoint = CameraMesh->TransformPoint(Globals3D::MakeVector(0.0f, LookHeight, kLookDistance));
    // 2. Terrain following.
    Vector3 p = CameraMesh->GetPosition();
    const float ground = RequireLand().GetHeight(p.x, p.z);
    CameraMesh->SetPosition(p.x, ground + kTerrainClearance, p.z);
    // 3. The camera above the carrier.
    p = CameraMesh->GetPosition();
    quarvex::Scene3D().SetCamera(p.x, p.y + CameraHeight, p.z, LookAtPoint.x, LookAtPoint.y, LookAtPoint.z);
    // 4-6. Muzzle point and the crosshair centred on it.
    UpdateMuzzlePoint();
    quarvex::Screen2D screen;
    screen.ProjectToScreen(MuzzlePoint, Px, Py);
    screen.DrawTexture(Globals3D::GetTexture("Cross"), Px - kCrossHalfWidth, Py - kCrossHalfHeight,
                       Px + kCrossHalfWidth, Py + kCrossHalfHeight, static_cast<quarvex::Color>(-1),
                       static_cast<quarvex::Color>(-1));
    // 7. The projectile.
    MoveProjectile(kProjectileStep);
}

Vector3 CameraFPS::GetAimVector() const {
    return Normalize(VectorSubtract(MuzzlePoint, Camera->GetPosition()));
}

void CameraFPS::ResetProjectile() {
    ProjectileMesh->SetPosition(0.0f, 0.0f, 0.0f);
    ProjectileBody->Position(Vector3{});
    ProjectileBody->Velocity(Vector3{});
    ProjectileMesh->ShowMesh(false);
    ProjectilePreviousPosition = Vector3{};
}

void CameraFPS::Fire() {
    ResetProjectile();
    ProjectileMesh->ShowMesh(true);
    const Vector3 aim = GetAimVector();
    ProjectileBody->Velocity(VectorScale(aim, ProjectileSpeed));
    ProjectileBody->Position(MuzzlePoint);
    ProjectilePreviousPosition = MuzzlePoint;
}

void CameraFPS::BuildProjectileMesh(float l, float w, float h) {
    ProjectileMesh = quarvex::Scene3D().CreateMesh("Projectile");
    ProjectileMesh->SetMeshMode(kMeshMode);
    const float a = w / 2, b = h / 2, c = l / 2;
    // Four sides of a box, open at top and bottom: width along x, height along y, length along z.
    const float corners[8][9] = {
        {a, b, c, a, -b, c, a, -b, -c},      {a, -b, -c, a, b, -c, a, b, c},      // x = +a
        {-a, b, c, -a, -b, c, a, -b, c},     {a, -b, c, a, b, c, -a, b, c},       // z = +c
        {-a, b, -c, -a, -b, -c, -a, -b, c},  {-a, -b, c, -a, b, c, -a, b, -c},    // x = -a
        {a, b, -c, a, -b, -c, -a, -b, -c},   {-a, -b, -c, -a, b, -c, a, b, -c}};  // z = -c
    for (const auto& t : corners) {
        ProjectileMesh->AddTriangle(Globals3D::GetTexture("sparo"), t[0], t[1], t[2], t[3], t[4], t[5], t[6],
                                    t[7], t[8], 1.0f, 1.0f, -1, 0);
    }
    ProjectileMesh->FinishGeometry();
}

void CameraFPS::MoveProjectile(float Time) {
    ProjectilePreviousPosition = ProjectileBody->Position();
    ProjectileMesh->SetMatrix(ProjectileBody->MoveLinear(Time));
}

void CameraFPS::UpdateMuzzlePoint() {
    const Vector3 eye = Camera->GetPosition();
    const Vector3 d = VectorScale(Normalize(VectorSubtract(LookAtPoint, eye)), kMuzzleDistance);
    MuzzlePoint = VectorAdd(Camera->GetPosition(), d);
}

void CameraFPS::CreateCameraMesh() {
    CameraMesh = quarvex::Scene3D().CreateMesh("Camera");
    CameraMesh->SetMeshMode(kMeshMode);
    // One point-sized triangle: the carrier has no visible size.
    CameraMesh->AddTriangle(Globals3D::GetTexture("holo"), 0, 0, 0, 0, 0, 0, 0, 0, 0, 1.0f, 1.0f, -1, 0);
}

}  // namespace orvane
