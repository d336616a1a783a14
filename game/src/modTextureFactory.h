// modTextureFactory: the named textures of the world, loaded by a per-level loader.
#pragma once

namespace orvane {

// Creates a new per-level loader (levelTextures, dropping the previous one) and loads the
// world's 27 named textures from the search directory. The sky faces are crossed over: "Front"
// shows "Back3.jpg", "Back" "Front3.jpg", "Right" "Left3.jpg", "Left" "Right3.jpg", "Down"
// "top3.jpg" and "Top" "Down3.jpg". A texture name loaded again keeps its handle, so meshes built
// earlier show the new picture.
void LoadTextures();

}  // namespace orvane
