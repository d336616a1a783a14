// routine_base: the world the player flies over: the main scene with its sky box, the terrain
// with its sun and lens flares, the player craft, and each level's look.
#pragma once

namespace orvane {

// The main scene (mainScene): view range, background colour and the sky box of the textures
// "Front", "Back", "Left", "Right", "Top", "Down". Needs LoadTextures first.
void CreateScene();
// The terrain (Land) from "land_map.jpg", with its textures, the sun and four lens flares.
void BuildTerrain();
// Once per playing frame: the terrain, the sun and the flares are shown in this frame.
void RenderTerrain();
// A new player craft (Player), 35 above its carrier, at x 1000, z 85, firing at speed 140.
void CreatePlayer();
// The look of the level of the current themeIndex N: sky c<N>.jpg on all six faces, tanks and
// fighters a<N>.jpg, starships b<N>.jpg, obstacles ab<N>.jpg, terrain e<N>.jpg with landscape
// factor N + 1, detail f<N>.jpg. Enemies already built take the new textures too.
// Then decodes the next level's files ahead (PreloadNextLevelAssets).
void LoadLevelAssets();
// Has the files of the level after the current themeIndex decoded in the background, so that
// its LoadLevelAssets does not wait for them.
void PreloadNextLevelAssets();
// Back to the first level's terrain look after a restart (after LoadTextures and CreateScene).
void ResetLandscape();

}  // namespace orvane
