#include "ParticleModel.h"

#include <algorithm>
#include <cmath>

namespace quarvex::detail {

void EmitterData::Emit() {
    if (static_cast<int>(particles.size()) >= maxParticles) return;
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    glm::vec3 dir;
    do {
        dir = {unit(random), unit(random), unit(random)};
    } while (glm::dot(dir, dir) > 1.0f || glm::dot(dir, dir) < 1e-4f);
    dir = glm::normalize(dir);
    std::uniform_real_distribution<float> spread(0.35f, 1.0f);
    Particle p;
    // Power is the launch speed in units per frame, scaled down so that power 1..3 gives a
    // fireball a few dozen units across.
    p.velocity = dir * (0.25f * power * speed * spread(random));
    p.position = position + dir * (size * 0.2f);
    std::uniform_int_distribution<int> lifeJitter(std::max(1, lifetime / 2), std::max(1, lifetime));
    p.life = lifeJitter(random);
    particles.push_back(p);
}

void EmitterData::Update(uint64_t frame) {
    if (!created) return;
    const bool fresh = lastUpdateFrame == 0 || frame > lastUpdateFrame + 1;
    lastUpdateFrame = frame;
    drawFrame = frame;
    for (Particle& p : particles) {
        p.position += p.velocity;
        p.velocity *= 0.965f;                 // air drag
        p.velocity.y += 0.012f * size / 7.0f;  // hot gas rises
        ++p.age;
    }
    particles.erase(std::remove_if(particles.begin(), particles.end(),
                                   [](const Particle& p) { return p.age >= p.life; }),
                    particles.end());
    if (fresh) {
        // A new explosion starts with a burst of a third of the particles.
        for (int i = 0; i < maxParticles / 3; ++i) Emit();
    }
    pending += rate > 0.0f ? kFrameSeconds / rate : 1.0f;
    // A steady stream, but never so thin that the fire dies down between frames.
    pending = std::max(pending, 2.0f);
    while (pending >= 1.0f) {
        Emit();
        pending -= 1.0f;
    }
}

glm::vec4 EmitterData::ColorOf(const Particle& p) const {
    const float t = std::clamp(static_cast<float>(p.age) / static_cast<float>(p.life), 0.0f, 1.0f);
    const glm::vec3 rgb = glm::mix(glm::vec3(startColor), endColor, std::sqrt(t));
    const float fade = (1.0f - t) * std::min(1.0f, p.age / 3.0f + 0.3f);
    return {rgb, startColor.a * fade};
}

float EmitterData::OcclusionOf(const Particle& p) const {
    const float t = std::clamp(static_cast<float>(p.age) / static_cast<float>(p.life), 0.0f, 1.0f);
    return 0.55f + 0.4f * t;
}

float EmitterData::SizeOf(const Particle& p) const {
    const float t = static_cast<float>(p.age) / static_cast<float>(p.life);
    return size * (0.6f + 1.4f * t);
}

}  // namespace quarvex::detail
