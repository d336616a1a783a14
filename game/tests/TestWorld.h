// The game's world as the start-up builds it, from the generated data in ORVANE_DATA_DIR over the
// engine's scene model: the named textures, the main scene, the terrain, the two effect
// billboards, the bonus station at its start, the player, and empty enemy collections. Shared by
// the game's tests and benchmark.
#pragma once

#include <Engine3D.h>

namespace gametest {

// Resets the engine and the game variables, then builds the world.
void BuildWorld(quarvex::Engine3D& engine);
// Drops every game-wide object and resets the engine.
void DropWorld();

}  // namespace gametest
