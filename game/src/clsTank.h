// clsTank: a ground enemy on a rigid body, its mesh loaded from the tank model. Besides its own
// motion and hits, each tank's Move does three jobs for the whole game: it parks the player's
// projectile once it leaves the world cube 0..2000, places the flame and explosion billboards
// near the player, and repairs the craft when the player's line of sight meets the bonus station.
//
// Set up with SetTankMass, SetBoundingBoxMass, SetPosition, SetVelocity, SetSize, then Build.
#pragma once

#include <dynamora/clsMomentOfInertia.h>
#include <dynamora/clsRigidBody.h>

#include <cstdint>
#include <memory>

namespace quarvex {
class Mesh3D;
class Particles3D;
}  // namespace quarvex

namespace orvane {

using qxcommon::Vector3;

class clsTank {
public:
    clsTank();
    ~clsTank();
    clsTank(const clsTank&) = delete;
    clsTank& operator=(const clsTank&) = delete;

    void SetPosition(const Vector3& Vector);
    void SetVelocity(const Vector3& Vector);
    void SetTankMass(float Mass);
    void SetBoundingBoxMass(float Mass);
    void SetSize(float Length, float Width, float Height);
    // Creates the mesh (the tank model for type 0, no geometry otherwise), the inertia tensor of
    // the bounding box and the explosion emitter.
    void Build(int32_t TankType);
    void Move(float Time);
    // Loads the tank model (tankModelPath) into the mesh with the texture "0000".
    void BuildRealTank(quarvex::Mesh3D& Mesh);

    // Observers, for the game's tests and tools.
    const dynamora::clsRigidBody& GetBody() const { return *Body; }
    const std::shared_ptr<quarvex::Mesh3D>& GetMesh() const { return ShipMesh; }
    const std::shared_ptr<quarvex::Particles3D>& GetExplosion() const { return Explosion; }
    bool GetIsHit() const { return IsHit; }

private:
    void CheckHits();
    float GetAltitude() const;
    void BuildExplosion();
    void ParkProjectileOutsideWorld();
    void PlaceEffectBillboards();
    void PlaceBonusStation();

    std::shared_ptr<quarvex::Mesh3D> ShipMesh;
    std::shared_ptr<dynamora::clsRigidBody> Body;
    std::shared_ptr<quarvex::Particles3D> Explosion;
    Vector3 ExplosionOffset{};
    bool IsHit = false;
    float Length = 20.0f;
    float Width = 10.0f;
    float Height = 10.0f;
    float BoundingBoxMass = 100.0f;
    std::shared_ptr<dynamora::clsMomentOfInertia> Inertia;
};

}  // namespace orvane
