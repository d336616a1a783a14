// Where the game's picture goes in the full-screen window. Plain arithmetic, no display needed.
#pragma once

namespace quarvex::detail {

// A rectangle of the window in its pixels, from the top left.
struct PictureBox {
    int x = 0, y = 0, width = 0, height = 0;
};

// The picture centred in the window: scaled to fit it (letter-boxed) when `scale` is true,
// otherwise shown pixel for pixel with a border, and scaled down only where the window is the
// smaller.
PictureBox PlacePicture(int pictureWidth, int pictureHeight, int windowWidth, int windowHeight, bool scale);

}  // namespace quarvex::detail
