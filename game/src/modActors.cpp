#include "modActors.h"

#include "CameraFPS.h"
#include "variabili_globali.h"

#include <Engine3D.h>
#include <dynamora/modMathAndPhysicsGlobal.h>

#include <chrono>
#include <random>

namespace orvane {

using namespace dynamora;

bool ReenterPlayingArea(Vector3& position) {
    bool replaced = false;
    if (position.x < kAreaMin || position.x > kAreaMax) {
        position.x = kReentry;
        replaced = true;
    }
    if (position.z < kAreaMin || position.z > kAreaMax) {
        position.z = kReentry;
        replaced = true;
    }
    return replaced;
}

float AltitudeOf(const clsRigidBody& body) {
    const Vector3 p = body.Position();
    return p.y - RequireLand().GetHeight(p.x, p.z);
}

void ApplyLevelEndKick(clsRigidBody& body) {
    body.SetForce(80.0f, 100.0f, 80.0f);
    body.ConstantForce(Vector3{0.0f, 500.0f, 0.0f});
}

namespace {
std::mt19937_64& Generator() {
    static std::mt19937_64 generator;
    return generator;
}
}  // namespace

void ReseedFromClock() {
    static uint64_t reseeds = 0;
    const auto ticks = static_cast<uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    ++reseeds;
    std::seed_seq seed{static_cast<uint32_t>(ticks), static_cast<uint32_t>(ticks >> 32),
                       static_cast<uint32_t>(reseeds)};
    Generator().seed(seed);
}

float RandomDraw() {
    // The top 24 bits: every float in [0, 1) they give is exact, and 1 cannot come out.
    return static_cast<float>(Generator()() >> 40) * 0x1p-24f;
}

std::shared_ptr<quarvex::Particles3D> BuildExplosion(const ExplosionSettings& s) {
    using quarvex::Globals3D;
    auto explosion = std::make_shared<quarvex::Particles3D>();
    explosion->CreateEmitter(s.maxParticles, s.lifetime, s.size, Vector3{}, 1.0f,
                             Globals3D::GetTexture("ParticleTexture"));
    explosion->SetEmitterShape(1, 2, 2);
    explosion->SetEmitterPower(s.power);
    explosion->SetEmitterTexture(Globals3D::GetTexture("ParticleTexture"), -1);
    explosion->SetEmitterRate(s.rate);
    explosion->SetEmitterColors(0, -1, -1, -1, 1, 1, -1, 2, -1, 2, 2, 2);
    return explosion;
}

void UpdateExplosion(quarvex::Particles3D& explosion, const Vector3& point) {
    explosion.SetEmitterPosition(point);
    explosion.SetEmitterMode(8);
    explosion.UpdateParticles();
}

bool ProjectileTouches(const quarvex::Mesh3D& mesh, float endOffset) {
    const CameraFPS& player = RequirePlayer();
    const Vector3 d = VectorScale(Normalize(player.GetProjectileVelocity()), endOffset);
    const Vector3 end = VectorAdd(player.GetProjectilePosition(), d);
    return mesh.IntersectsSegment(player.GetProjectilePreviousPosition(), end, kSegmentLevel);
}

bool TouchesLineOfSight(const quarvex::Mesh3D& mesh) {
    const CameraFPS& player = RequirePlayer();
    const Vector3 eye = player.GetCameraPosition();
    return mesh.IntersectsSegment(eye, VectorAdd(eye, player.GetAimVector()), kSegmentLevel);
}

}  // namespace orvane
