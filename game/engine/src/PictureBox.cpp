#include "PictureBox.h"

#include <algorithm>
#include <cmath>

namespace quarvex::detail {

PictureBox PlacePicture(int pictureWidth, int pictureHeight, int windowWidth, int windowHeight, bool scale) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || windowWidth <= 0 || windowHeight <= 0) return {};
    float factor = std::min(static_cast<float>(windowWidth) / pictureWidth,
                            static_cast<float>(windowHeight) / pictureHeight);
    if (!scale) factor = std::min(factor, 1.0f);
    PictureBox box;
    box.width = std::min(windowWidth, static_cast<int>(std::lround(pictureWidth * factor)));
    box.height = std::min(windowHeight, static_cast<int>(std::lround(pictureHeight * factor)));
    box.x = (windowWidth - box.width) / 2;
    box.y = (windowHeight - box.height) / 2;
    return box;
}

}  // namespace quarvex::detail
