// Particle emitters: an explosion at the last position given, while updated every frame.
#include "EngineState.h"

#include <gtest/gtest.h>

using namespace quarvex;

namespace {

class ParticlesTest : public ::testing::Test {
protected:
    void SetUp() override { Engine3D::Reset(); }
    void TearDown() override { Engine3D::Reset(); }

    // The starship's explosion emitter, set up with the game's values.
    void Build(Particles3D& p) {
        p.CreateEmitter(300, 100, 7.0f, Globals3D::MakeVector(0, 0, 0), 1.0f, nullptr);
        p.SetEmitterShape(1, 2, 2);
        p.SetEmitterPower(3.0f);
        p.SetEmitterTexture(nullptr, -1);
        p.SetEmitterRate(0.02f);
        p.SetEmitterColors(0, -1, -1, -1, 1, 1, -1, 2, -1, 2, 2, 2);
    }

    Engine3D engine;
};

TEST_F(ParticlesTest, AnUpdatedEmitterShowsFireAtItsPosition) {
    Particles3D explosion;
    Build(explosion);
    EXPECT_EQ(explosion.ParticleCount(), 0);
    explosion.SetEmitterPosition({500, 80, 700});
    explosion.SetEmitterMode(8);
    explosion.UpdateParticles();
    const int burst = explosion.ParticleCount();
    EXPECT_GE(burst, 100);  // a burst at once
    for (int frame = 0; frame < 200; ++frame) {
        engine.Clear(false);
        explosion.UpdateParticles();
        EXPECT_LE(explosion.ParticleCount(), 300);
        EXPECT_GT(explosion.ParticleCount(), 0);
        engine.Present();
    }
    // Everything alive is near the emitter and glows.
    const auto& state = detail::State();
    const auto emitter = state.emitters.back().lock();
    ASSERT_NE(emitter, nullptr);
    for (const auto& p : emitter->particles) {
        EXPECT_LT(glm::length(p.position - glm::vec3(500, 80, 700)), 120.0f);
        const glm::vec4 color = emitter->ColorOf(p);
        EXPECT_GE(color.r, color.b);  // fire colours: never bluer than red
    }
}

TEST_F(ParticlesTest, DrawnOnlyInFramesThatUpdateIt) {
    Particles3D explosion;
    Build(explosion);
    auto& state = detail::State();
    const auto emitter = state.emitters.back().lock();
    engine.Clear(false);
    explosion.UpdateParticles();
    EXPECT_EQ(emitter->drawFrame, state.frameNumber);
    engine.Present();
    EXPECT_NE(emitter->drawFrame, state.frameNumber);  // not updated in the new frame

    // Moved: new particles start at the new place.
    explosion.SetEmitterPosition({1500, 40, 100});
    for (int i = 0; i < 150; ++i) explosion.UpdateParticles();
    for (const auto& p : emitter->particles) {
        EXPECT_LT(glm::length(p.position - glm::vec3(1500, 40, 100)), 120.0f);
    }
}

TEST_F(ParticlesTest, AnEmitterLeavesTheSceneWithItsObject) {
    {
        Particles3D explosion;
        Build(explosion);
        explosion.UpdateParticles();
    }
    for (const auto& weak : detail::State().emitters) EXPECT_TRUE(weak.expired());
    Particles3D never;  // not created: updates do nothing
    never.UpdateParticles();
    EXPECT_EQ(never.ParticleCount(), 0);
}

}  // namespace
