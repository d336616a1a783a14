// modActors: what the enemy actors (clsStarShip, clsTank) share: the playing area, the random
// placement draws, the explosion emitter (UpdateExplosion), and the hit tests against the
// player's projectile and line of sight.
#pragma once

#include <dynamora/clsRigidBody.h>

#include <cstdint>
#include <memory>

namespace quarvex {
class Mesh3D;
class Particles3D;
}  // namespace quarvex

namespace orvane {

using qxcommon::Vector3;

// The playing area on x and z; a coordinate that leaves it is replaced by the re-entry value.
inline constexpr float kAreaMin = 20.0f;
inline constexpr float kAreaMax = 1990.0f;
inline constexpr float kReentry = 500.0f;
inline constexpr int32_t kSegmentLevel = 3;  // passed to the engine's segment test

// Replaces an x or z outside the playing area by 500; true when one was replaced.
bool ReenterPlayingArea(Vector3& position);

// Height of the body above the terrain under it.
float AltitudeOf(const dynamora::clsRigidBody& body);

// While the level ends every enemy gets a kick of (80, 100, 80) for its next step and a lasting
// lift of 500.
void ApplyLevelEndKick(dynamora::clsRigidBody& body);

// Reseeds the placement generator from a high-resolution clock, mixed with a count of reseeds, so
// that reseeds in quick succession still give different draws.
void ReseedFromClock();
// A uniform draw from [0, 1).
float RandomDraw();

// The explosion emitter of an enemy, on the texture "ParticleTexture".
struct ExplosionSettings {
    int32_t maxParticles;
    int32_t lifetime;
    float size;
    float power;
    float rate;
};
std::shared_ptr<quarvex::Particles3D> BuildExplosion(const ExplosionSettings& settings);
// Shows the explosion at a world point in this frame.
void UpdateExplosion(quarvex::Particles3D& explosion, const Vector3& point);

// Whether the projectile's path of the last frame touches the mesh: the segment from where the
// projectile was a frame ago to its position plus endOffset along its flight direction.
bool ProjectileTouches(const quarvex::Mesh3D& mesh, float endOffset);
// Whether the mesh touches the first unit of the player's line of sight.
bool TouchesLineOfSight(const quarvex::Mesh3D& mesh);

}  // namespace orvane
