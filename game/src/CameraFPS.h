// CameraFPS: the player. An invisible carrier mesh that the controls move over the terrain, the
// engine camera looking out of it, the crosshair, and the player's single projectile on its
// rigid body.
//
// Move, once per frame: look-at target, terrain following (10 above the ground), camera, muzzle
// point, crosshair, projectile step. Fire restarts the projectile from the muzzle point along the
// aim; ResetProjectile parks it hidden at the origin. The craft itself is moved directly on its
// mesh, not by the physics library.
#pragma once

#include <dynamora/clsRigidBody.h>

#include <memory>

namespace quarvex {
class Camera3D;
class Mesh3D;
}  // namespace quarvex

namespace orvane {

using qxcommon::Vector3;

class CameraFPS {
public:
    CameraFPS();
    ~CameraFPS();
    CameraFPS(const CameraFPS&) = delete;
    CameraFPS& operator=(const CameraFPS&) = delete;

    float Px = 0.0f;  // crosshair centre on the screen, recomputed by every Move
    float Py = 0.0f;

    void SetProjectileSpeed(float Speed);
    void SetProjectileMass(float Mass);
    void SetConstantForce(const Vector3& Vector);
    Vector3 GetProjectileVelocity() const;
    Vector3 GetProjectilePosition() const;
    float GetProjectileMass() const;
    // Places the carrier at (x, its current height, Z); the next Move puts it on the terrain.
    void SetPosition(float x, float Z);
    Vector3 GetCameraPosition() const;  // the eye
    void SetCameraHeight(float Height);
    void StrafeLeft(float Speed);
    void StrafeRight(float Speed);
    void MoveForward(float Speed);
    void MoveBack(float Speed);
    void TiltUpDown(float Speed);  // raises the look-at target, without limit
    void Rotate(float Speed);      // turns the carrier by Speed / 100
    void Move(float Time);
    // Unit vector from the eye towards the muzzle point of the last Move.
    Vector3 GetAimVector() const;
    void ResetProjectile();
    void Fire();
    void BuildProjectileMesh(float l, float w, float h);

    // Where the projectile was before its latest step; after Fire or ResetProjectile, where it
    // is now. With GetProjectilePosition it spans the path flown in the last frame, which the
    // targets test, so that a shot 42 units a frame cannot pass through a ship unseen.
    Vector3 GetProjectilePreviousPosition() const;

    // The carrier and the projectile's meshes (for the game's own tests and tools).
    const std::shared_ptr<quarvex::Mesh3D>& GetCarrierMesh() const { return CameraMesh; }
    const std::shared_ptr<quarvex::Mesh3D>& GetProjectileMesh() const { return ProjectileMesh; }

private:
    void MoveProjectile(float Time);
    void UpdateMuzzlePoint();
    void CreateCameraMesh();

    std::shared_ptr<quarvex::Camera3D> Camera;
    std::shared_ptr<quarvex::Mesh3D> CameraMesh;
    float CameraHeight = 5.0f;
    float LookHeight = 2.0f;
    Vector3 MuzzlePoint{};
    std::shared_ptr<quarvex::Mesh3D> ProjectileMesh;
    std::shared_ptr<dynamora::clsRigidBody> ProjectileBody;
    float ProjectileSpeed = 75.0f;
    Vector3 LookAtPoint{};
    Vector3 ProjectilePreviousPosition{};
};

}  // namespace orvane
