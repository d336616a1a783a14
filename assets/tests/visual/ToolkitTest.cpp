// The painting toolkit's building blocks: tiling noise, keyed 8-bit output, shape distances and
// the button drawn over a click rectangle.
#include "visual/Noise.h"
#include "visual/Raster.h"
#include "visual/Ui.h"

#include <gtest/gtest.h>

namespace orvane::assets::visual {
namespace {

TEST(Toolkit, PeriodicNoiseRepeatsExactlyAndPlainNoiseDoesNot) {
    const Fbm fbm{5, 2.0f, 0.5f};
    for (float x : {0.1f, 1.7f, 3.33f})
        for (float y : {0.25f, 2.9f}) {
            EXPECT_NEAR(Perlin(x, y, 7u, 4, 4), Perlin(x + 4.0f, y, 7u, 4, 4), 1e-5f);
            EXPECT_NEAR(Perlin(x, y, 7u, 4, 4), Perlin(x, y - 4.0f, 7u, 4, 4), 1e-5f);
            EXPECT_NEAR(fbm(x, y, 9u, 8, 8), fbm(x + 8.0f, y + 8.0f, 9u, 8, 8), 1e-5f);
        }
    int differing = 0;
    for (int i = 0; i < 10; ++i) differing += Perlin(0.3f + i, 0.6f, 7u) != Perlin(4.3f + i, 0.6f, 7u);
    EXPECT_GT(differing, 5);
    // Lattice points are zero and values stay in range.
    EXPECT_FLOAT_EQ(Perlin(3.0f, 5.0f, 1u), 0.0f);
    for (int i = 0; i < 200; ++i) {
        const float v = fbm(i * 0.173f, i * 0.291f, 3u);
        EXPECT_GE(v, -1.01f);
        EXPECT_LE(v, 1.01f);
    }
}

TEST(Toolkit, RandomIsSeededAndStaysInItsRanges) {
    Random a(5), b(5), c(6);
    bool allSame = true;
    for (int i = 0; i < 50; ++i) {
        const float ua = a.Unit();
        EXPECT_EQ(ua, b.Unit());
        allSame = allSame && ua == c.Unit();
        EXPECT_GE(ua, 0.0f);
        EXPECT_LT(ua, 1.0f);
        const int k = a.Int(-2, 2);
        b.Int(-2, 2);
        EXPECT_GE(k, -2);
        EXPECT_LE(k, 2);
    }
    EXPECT_FALSE(allSame);
}

TEST(Toolkit, KeyedOutputKeepsTheKeyOnlyWhereTransparent) {
    Image img(3, 1);
    img.FillAlpha(0.0f);
    img.At(1, 0) = {0, 0, 0};  // drawn, but exactly the key colour
    img.AlphaRef(1, 0) = 1.0f;
    img.At(2, 0) = {0.5f, 0.25f, 1.0f};
    img.AlphaRef(2, 0) = 0.5f;  // half-covered edge, blended towards the black key
    const auto rgb = ToKeyedRgb8(img, {0, 0, 0}, 0.04f, true);
    EXPECT_EQ((std::vector<uint8_t>(rgb.begin(), rgb.begin() + 3)), (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_NE((std::vector<uint8_t>(rgb.begin() + 3, rgb.begin() + 6)), (std::vector<uint8_t>{0, 0, 0}))
        << "a drawn pixel never turns transparent";
    EXPECT_EQ(rgb[6], 64);
    EXPECT_EQ(rgb[7], 32);
    EXPECT_EQ(rgb[8], 128);
    // A white key with hard edges: the half-covered pixel is kept at full colour.
    const auto hard = ToKeyedRgb8(img, {1, 1, 1}, 0.5f, false);
    EXPECT_EQ((std::vector<uint8_t>(hard.begin(), hard.begin() + 3)), (std::vector<uint8_t>{255, 255, 255}));
    EXPECT_EQ(hard[6], 128);
}

TEST(Toolkit, PolygonDistanceIsNegativeInsideAndPositiveOutside) {
    const std::vector<Vec2> square = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    EXPECT_NEAR(SdPolygon(5, 5, square), -5.0f, 1e-4f);
    EXPECT_NEAR(SdPolygon(13, 5, square), 3.0f, 1e-4f);
    EXPECT_NEAR(SdPolygon(13, 14, square), 5.0f, 1e-4f);
    EXPECT_NEAR(SdRoundBox(5, 5, 0, 0, 10, 10, 0), -5.0f, 1e-4f);
    EXPECT_NEAR(SdRoundBox(12, 5, 0, 0, 10, 10, 2), 2.0f, 1e-4f);
}

TEST(Toolkit, ButtonCoversExactlyTheInsideOfItsClickRectangle) {
    Image img(200, 80, {0, 0, 0});
    DrawButton(img, {10, 5, 170, 65}, "GO", "X");
    // Open bounds: rows and columns 10, 170, 5 and 65 stay background; the next ones inside are border.
    for (int y = 12; y < 58; ++y) {
        EXPECT_FLOAT_EQ(img.At(10, y).g, 0.0f) << y;
        EXPECT_FLOAT_EQ(img.At(170, y).g, 0.0f) << y;
        EXPECT_NEAR(img.At(11, y).g, kButtonBorder.g, 0.02f) << y;
        EXPECT_NEAR(img.At(169, y).g, kButtonBorder.g, 0.02f) << y;
    }
    for (int x = 18; x < 162; ++x) {
        EXPECT_FLOAT_EQ(img.At(x, 5).g, 0.0f) << x;
        EXPECT_FLOAT_EQ(img.At(x, 65).g, 0.0f) << x;
        EXPECT_NEAR(img.At(x, 6).g, kButtonBorder.g, 0.02f) << x;
        EXPECT_NEAR(img.At(x, 64).g, kButtonBorder.g, 0.02f) << x;
    }
}

}  // namespace
}  // namespace orvane::assets::visual
