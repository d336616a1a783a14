// Particles3D: one emitter of the scene.
#include "EngineState.h"

#include <algorithm>

namespace quarvex {

using detail::State;

Particles3D::Particles3D() : data_(std::make_shared<detail::EmitterData>()) {
    State().emitters.push_back(data_);
}

Particles3D::~Particles3D() = default;

void Particles3D::CreateEmitter(int32_t maxParticles, int32_t lifetime, float size,
                                const Vector3& position, float speed, const TexturePtr& texture) {
    auto& e = *data_;
    e.created = true;
    e.maxParticles = std::clamp(maxParticles, 1, 20000);
    e.lifetime = std::max(1, lifetime);
    e.size = size > 0.0f ? size : 1.0f;
    e.position = {position.x, position.y, position.z};
    e.speed = speed;
    e.texture = texture;
    e.particles.clear();
    e.particles.reserve(e.maxParticles);
}

void Particles3D::SetEmitterShape(int32_t, int32_t, int32_t) {}
void Particles3D::SetEmitterPower(float power) { data_->power = power; }
void Particles3D::SetEmitterTexture(const TexturePtr& texture, int32_t) { data_->texture = texture; }
void Particles3D::SetEmitterRate(float seconds) { data_->rate = seconds; }

void Particles3D::SetEmitterColors(int32_t, float r1, float g1, float b1, float a1, float r2,
                                   float g2, float b2, float, float, float, float) {
    auto pick = [](float value, float fallback) {
        return value >= 0.0f && value <= 1.0f ? value : fallback;
    };
    auto& e = *data_;
    e.startColor = {pick(r1, 1.0f), pick(g1, 0.9f), pick(b1, 0.6f), pick(a1, 1.0f)};
    e.endColor = {pick(r2, 0.6f), pick(g2, 0.08f), pick(b2, 0.02f)};
}

void Particles3D::SetEmitterPosition(const Vector3& position) {
    data_->position = {position.x, position.y, position.z};
}

void Particles3D::SetEmitterMode(int32_t) {}

void Particles3D::UpdateParticles() {
    auto& state = State();
    data_->Update(state.frameNumber);
}

int32_t Particles3D::ParticleCount() const { return static_cast<int32_t>(data_->particles.size()); }

}  // namespace quarvex
