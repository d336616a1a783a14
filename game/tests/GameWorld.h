// The game's world built from the generated data over the engine's scene model, as the start-up
// builds it: textures, scene, terrain, player, billboards, bonus station. Overflow errors are
// turned into GameFatalError exceptions, so a test can observe them.
#pragma once

#include "CameraFPS.h"
#include "variabili_globali.h"

#include <Engine3D.h>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

namespace gametest {

using qxcommon::Vector3;

struct GameFatalError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The last entry of a collection (its iterators go forwards only).
template <typename Collection>
auto Last(const Collection& collection) {
    auto last = collection.begin();
    for (auto it = collection.begin(); it != collection.end(); ++it) last = it;
    return *last;
}

class GameWorld : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // One playing frame of the actors at the game's steps: tanks and fleet (0.9), then the
    // player (0.95), then the frame is presented (its 2D queue becomes LastFrame2D).
    void Frame();
    // Places the player's carrier at (x, z) and moves it there until camera, aim and muzzle follow.
    static void PlacePlayer(float x, float z);
    // Tilts the player's view so that the aim passes through target, as seen from the eye after
    // the next Move; the carrier keeps facing +z. Once per player: it tilts from LookHeight 2.
    static void AimAt(const Vector3& target);
    static float Ground(float x, float z);
    // Places a mesh (through place) at points along the player's line of sight until the
    // sight's first unit, the segment the actors test, touches it; false when it never does.
    static bool PlaceOnLineOfSight(const quarvex::Mesh3D& mesh, const std::function<void(const Vector3&)>& place);

    quarvex::Engine3D engine;
    orvane::FatalErrorHandler previousHandler;
};

}  // namespace gametest
