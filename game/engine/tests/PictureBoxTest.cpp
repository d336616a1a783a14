// The 800 x 600 picture's place in full-screen windows of several sizes.
#include "PictureBox.h"

#include <gtest/gtest.h>

using quarvex::detail::PictureBox;
using quarvex::detail::PlacePicture;

namespace {

void ExpectBox(const PictureBox& box, int x, int y, int width, int height) {
    EXPECT_EQ(box.x, x);
    EXPECT_EQ(box.y, y);
    EXPECT_EQ(box.width, width);
    EXPECT_EQ(box.height, height);
}

TEST(PictureBoxTest, ScaledToFitWithBarsWhereTheShapesDiffer) {
    ExpectBox(PlacePicture(800, 600, 1920, 1080, true), 240, 0, 1440, 1080);
    ExpectBox(PlacePicture(800, 600, 1600, 1200, true), 0, 0, 1600, 1200);
    ExpectBox(PlacePicture(800, 600, 1280, 1024, true), 0, 32, 1280, 960);
    ExpectBox(PlacePicture(800, 600, 800, 600, true), 0, 0, 800, 600);
    ExpectBox(PlacePicture(800, 600, 640, 480, true), 0, 0, 640, 480);
}

TEST(PictureBoxTest, UnscaledInTheMiddleAndScaledDownOnlyWhereTheWindowIsSmaller) {
    ExpectBox(PlacePicture(800, 600, 1920, 1080, false), 560, 240, 800, 600);
    ExpectBox(PlacePicture(800, 600, 1025, 769, false), 112, 84, 800, 600);
    ExpectBox(PlacePicture(800, 600, 800, 600, false), 0, 0, 800, 600);
    ExpectBox(PlacePicture(800, 600, 1024, 500, false), 178, 0, 667, 500);
    ExpectBox(PlacePicture(800, 600, 0, 0, false), 0, 0, 0, 0);  // a window not there yet
}

}  // namespace
