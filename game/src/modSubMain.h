// modSubMain: the program's entry, the start-up that creates every long-lived object, and the exit.
//
// The entry runs StartUp, then RunGame (modGameLoop), and never returns: the process ends in
// ExitGame (Escape, the Exit buttons, the window's close button: status 0) or in FatalError (a
// failure: one line on standard error, status 1).
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace qxsound {
class SoundDx8;
}

namespace orvane {

// The directory of the game's data: next to the executable in a build, the installed data
// directory (<prefix>/share/orvane beside <prefix>/bin) for an installed game.
std::string FindProgramDirectory();

// The entry procedure: finds the data, StartUp, RunGame; ends the process.
[[noreturn]] void Main();

// The start-up sequence, once per process: sounds, display, screen images, font, billboards,
// shader file, bonus station, world, fade, fleet and tanks. Needs programDirectory.
void StartUp();
// LoadTextures, CreateScene, BuildTerrain, CreateHudScreen, CreateInput, then the screen fade.
void BuildWorld();
// A new fleet of 1 borg, 3 starships and 4 fighters; a new collection of 3 tanks.
void CreateFleet();
void CreateTanks();
// A new HUD Screen2D (hudScreen), dropping the previous one.
void CreateHudScreen();
// Loads the title screen's image ("intro.jpg"); the start-up does, and again a restart.
void LoadTitleImage();

// A new music segment sound, or an empty one when the game runs without sound (no audio device).
std::shared_ptr<qxsound::SoundDx8> CreateGameSound();

// Drops the game's objects in their fixed order: the per-level loader, the screen fade, the
// landscape, the main scene, the HUD screen, the input, the player, the engine (closing the
// window), the level music, the sounds and the sound engine; then the enemies, the effects and the
// screen images.
void ReleaseGame();
// ReleaseGame, then the process ends with status 0.
[[noreturn]] void ExitGame();

// How ExitGame ends the process once everything is released. The default releases the engine
// and exits; tests install a handler that throws, to observe the exit. A handler must not return.
using ExitHandler = std::function<void(int status)>;
ExitHandler SetExitHandler(ExitHandler handler);

}  // namespace orvane
