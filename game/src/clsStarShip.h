// clsStarShip: one enemy craft over the terrain: a starship (type 1), an obstacle hulk that
// cannot be shot (type 2) or a fighter (type 3). It owns a rigid body for its motion, a mesh
// built from a few textured triangles, and an explosion emitter.
//
// Set up with SetShipMass, SetBoundingBoxMass, SetPosition, SetVelocity, SetSize, then Build.
// Move, once per frame: integrate (obstacles twice, the second time with step 6), hold an unhit
// ship at its hover height inside the playing area 20..1990 (re-entering at 500), show a hit
// ship's explosion, stop a ship below the ground, then test the hits.
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

class clsStarShip {
public:
    clsStarShip();
    ~clsStarShip();
    clsStarShip(const clsStarShip&) = delete;
    clsStarShip& operator=(const clsStarShip&) = delete;

    void SetPosition(const Vector3& Vector);
    void SetVelocity(const Vector3& Vector);
    void SetShipMass(float Mass);
    void SetBoundingBoxMass(float Mass);
    void SetSize(float Length, float Width, float Height);
    // Creates the mesh and, for types 1, 2 and 3, its geometry; then the inertia tensor of the
    // bounding box and the explosion emitter. Other types give a mesh without geometry.
    void Build(int32_t ShipType);
    void Move(float Time);
    // Geometry of a starship: a wedge with its nose at z = l and its stern at z = -l/2, taller
    // by themeIndex.
    void BuildShipMesh(float l, float w, float h, quarvex::Mesh3D& Mesh);
    // Geometry of an obstacle: two triangles, wider by 4 x level.
    void BuildBorgMesh(float l, float w, float h, quarvex::Mesh3D& Mesh);
    // Geometry of a fighter: two triangles, enlarged with the level.
    void BuildFighterMesh(float l, float w, float h, quarvex::Mesh3D& Mesh);

    // Observers, for the game's tests and tools.
    const dynamora::clsRigidBody& GetBody() const { return *Body; }
    const std::shared_ptr<quarvex::Mesh3D>& GetMesh() const { return ShipMesh; }
    const std::shared_ptr<quarvex::Particles3D>& GetExplosion() const { return Explosion; }
    bool GetIsHit() const { return IsHit; }
    int32_t GetShipType() const { return ShipType; }

private:
    void CheckHits();
    float GetAltitude() const;
    void BuildExplosion();

    std::shared_ptr<quarvex::Mesh3D> ShipMesh;
    std::shared_ptr<dynamora::clsRigidBody> Body;
    std::shared_ptr<quarvex::Particles3D> Explosion;
    Vector3 ExplosionOffset{};
    bool IsHit = false;
    float Length = 20.0f;
    float Width = 10.0f;
    float Height = 10.0f;
    int32_t ShipType = 0;
    float BoundingBoxMass = 100.0f;
    std::shared_ptr<dynamora::clsMomentOfInertia> Inertia;
};

}  // namespace orvane
