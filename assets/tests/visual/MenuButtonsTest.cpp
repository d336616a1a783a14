// The menu buttons are drawn exactly over the click rectangles: the border just inside every
// edge, the background on the rectangle's bounds (which do not click) and beyond.
#include "ImageFile.h"
#include "visual/Screens.h"

#include <gtest/gtest.h>

#include <cmath>

namespace orvane::assets::visual::test {
namespace {

Pixel Px(Color c) {
    return {static_cast<int>(std::lround(c.r * 255)), static_cast<int>(std::lround(c.g * 255)),
            static_cast<int>(std::lround(c.b * 255))};
}

struct Button {
    const char* screen;
    ClickRect r;
};

// Mean distance to the border colour along one edge line, skipping the rounded corners.
double EdgeDistance(const Decoded& d, bool vertical, int fixed, int from, int to) {
    const Pixel border = Px(kButtonBorder);
    double sum = 0;
    int n = 0;
    for (int i = from + 10; i <= to - 10; ++i) {
        const int x = vertical ? fixed : i, y = vertical ? i : fixed;
        if (x < 0 || y < 0 || x >= d.width || y >= d.height) continue;
        sum += Distance(d.At(x, y), border);
        ++n;
    }
    return n ? sum / n : -1;
}

TEST(MenuButtons, BordersLieJustInsideTheClickRectangles) {
    const Button buttons[] = {
        {"intro.jpg", kTitleStart},       {"intro.jpg", kTitleHelp},         {"intro.jpg", kTitleExit},
        {"help.jpg", kHelpStart},         {"help.jpg", kHelpExit},           {"gameover.jpg", kGameOverRestart},
        {"gameover.jpg", kGameOverExit},
    };
    for (const Button& b : buttons) {
        SCOPED_TRACE(std::string(b.screen) + " button at " + std::to_string(b.r.x1) + "," + std::to_string(b.r.y1));
        const Decoded d = Decode(kDataDir / b.screen);
        ASSERT_TRUE(d.Valid());
        const ClickRect r = b.r;
        // Inside: the border's middle pixel row/column (JPEG keeps it within a small distance).
        EXPECT_LT(EdgeDistance(d, true, r.x1 + 2, r.y1, r.y2), 40);
        EXPECT_LT(EdgeDistance(d, true, r.x2 - 2, r.y1, r.y2), 40);
        EXPECT_LT(EdgeDistance(d, false, r.y1 + 2, r.x1, r.x2), 40);
        if (r.y2 < d.height) {
            EXPECT_LT(EdgeDistance(d, false, r.y2 - 2, r.x1, r.x2), 40);
        }
        // On the bounds and just outside: background, clearly unlike the border.
        for (int off : {0, 2}) {
            EXPECT_GT(EdgeDistance(d, true, r.x1 - off, r.y1, r.y2), 90) << "left, offset " << off;
            EXPECT_GT(EdgeDistance(d, true, r.x2 + off, r.y1, r.y2), 90) << "right, offset " << off;
            EXPECT_GT(EdgeDistance(d, false, r.y1 - off, r.x1, r.x2), 90) << "top, offset " << off;
            if (r.y2 + off < d.height) {
                EXPECT_GT(EdgeDistance(d, false, r.y2 + off, r.x1, r.x2), 90) << "bottom, offset " << off;
            }
        }
        // Between border and label: the button's dark blue face.
        const Pixel face = d.At(r.x1 + 7, (r.y1 + r.y2) / 2);
        EXPECT_GT(face.b, face.r + 15);
        EXPECT_LT(face.r + face.g + face.b, 3 * 140);
    }
}

TEST(MenuButtons, ButtonLookIsDistinctFromEveryBackground) {
    // The border colour must stand out from the screens' own colours near the buttons, or the
    // edge checks above could pass by accident.
    const Pixel border = Px(kButtonBorder);
    for (const char* screen : {"intro.jpg", "help.jpg", "gameover.jpg"}) {
        const Decoded d = Decode(kDataDir / screen);
        ASSERT_TRUE(d.Valid());
        EXPECT_GT(Distance(d.At(5, 300), border), 90) << screen;
        EXPECT_GT(Distance(d.At(795, 5), border), 90) << screen;
    }
}

}  // namespace
}  // namespace orvane::assets::visual::test
