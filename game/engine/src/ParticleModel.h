// Particle emitters of the scene model: a burst and then a steady stream of fire and smoke at the
// emitter's position, advanced one frame per update.
#pragma once

#include "Engine3D.h"

#include <glm/glm.hpp>

#include <random>
#include <vector>

namespace quarvex::detail {

struct Particle {
    glm::vec3 position;
    glm::vec3 velocity;
    int age = 0;
    int life = 1;
};

struct EmitterData {
    static constexpr float kFrameSeconds = 1.0f / 60.0f;

    bool created = false;
    int maxParticles = 300;
    int lifetime = 100;   // frames
    float size = 7.0f;    // world units
    float speed = 1.0f;
    float power = 1.0f;
    float rate = 0.02f;   // seconds per particle
    TexturePtr texture;
    glm::vec3 position{0.0f};
    glm::vec4 startColor{1.0f, 0.9f, 0.6f, 1.0f};
    glm::vec3 endColor{0.6f, 0.08f, 0.02f};

    std::vector<Particle> particles;
    float pending = 0.0f;           // particles owed by the rate
    uint64_t lastUpdateFrame = 0;   // engine frame of the last update (0 = never)
    uint64_t drawFrame = 0;         // engine frame in which it is drawn
    std::mt19937 random{12345u};

    // Advances one frame; frame is the engine's frame number (a gap starts a new burst).
    void Update(uint64_t frame);
    // Colour and size of a particle now (alpha fades out over its life).
    glm::vec4 ColorOf(const Particle& p) const;
    float SizeOf(const Particle& p) const;
    // How much a particle hides what is behind it: none while hot, more as it cools to smoke.
    float OcclusionOf(const Particle& p) const;

private:
    void Emit();
};

}  // namespace quarvex::detail
