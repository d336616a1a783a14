// Every image the game loads exists under its exact name, in the right format and size, and the
// colour-keyed images keep their key exact.
#include "ImageFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace orvane::assets::visual::test {
namespace {

enum class Format { Jpeg, Bmp24 };

struct Expected {
    std::string file;
    int width, height;  // 0 = any power of two
    Format format;
};

std::vector<Expected> AllImages() {
    std::vector<Expected> v = {
        {"intro.jpg", 800, 600, Format::Jpeg},      {"gameover.jpg", 800, 600, Format::Jpeg},
        {"help.jpg", 800, 600, Format::Jpeg},       {"manook.bmp", 120, 120, Format::Bmp24},
        {"facedx.bmp", 120, 170, Format::Bmp24},    {"sfondoenergia.bmp", 240, 158, Format::Bmp24},
        {"copertura.jpg", 0, 0, Format::Jpeg},      {"f2.jpg", 256, 256, Format::Jpeg},
        {"e1.jpg", 512, 512, Format::Jpeg},         {"sun.jpg", 0, 0, Format::Jpeg},
        {"iniziofuocook.jpg", 0, 0, Format::Jpeg},  {"copertura2.jpg", 0, 0, Format::Jpeg},
        {"fire.jpg", 0, 0, Format::Jpeg},           {"water.jpg", 0, 0, Format::Jpeg},
        {"f1.jpg", 256, 256, Format::Jpeg},         {"Back3.jpg", 512, 512, Format::Jpeg},
        {"Front3.jpg", 512, 512, Format::Jpeg},     {"Left3.jpg", 512, 512, Format::Jpeg},
        {"Right3.jpg", 512, 512, Format::Jpeg},     {"top3.jpg", 512, 512, Format::Jpeg},
        {"Down3.jpg", 512, 512, Format::Jpeg},      {"Wall.Bmp", 0, 0, Format::Bmp24},
        {"flare1.jpg", 0, 0, Format::Jpeg},         {"flare2.jpg", 0, 0, Format::Jpeg},
        {"flare3.jpg", 0, 0, Format::Jpeg},         {"flare4.jpg", 0, 0, Format::Jpeg},
        {"holo.jpg", 0, 0, Format::Jpeg},           {"tank.bmp", 0, 0, Format::Bmp24},
        {"facesx.bmp", 100, 150, Format::Bmp24},    {"a1.jpg", 256, 256, Format::Jpeg},
        {"snow.bmp", 0, 0, Format::Bmp24},          {"mirino2.bmp", 200, 100, Format::Bmp24},
        {"logon.bmp", 250, 100, Format::Bmp24},     {"land_map.jpg", 256, 256, Format::Jpeg},
    };
    for (int n = 2; n <= 11; ++n) {
        const std::string s = std::to_string(n);
        v.push_back({"c" + s + ".jpg", 512, 512, Format::Jpeg});
        v.push_back({"a" + s + ".jpg", 256, 256, Format::Jpeg});
        v.push_back({"b" + s + ".jpg", 256, 256, Format::Jpeg});
        v.push_back({"ab" + s + ".jpg", 256, 256, Format::Jpeg});
        v.push_back({"e" + s + ".jpg", 512, 512, Format::Jpeg});
        v.push_back({"f" + s + ".jpg", 256, 256, Format::Jpeg});
    }
    return v;
}

bool PowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

TEST(VisualImages, EveryNamedImageExistsWithItsFormatAndSize) {
    for (const Expected& e : AllImages()) {
        SCOPED_TRACE(e.file);
        const auto path = kDataDir / e.file;
        ASSERT_TRUE(std::filesystem::is_regular_file(path));
        const auto bytes = ReadBytes(path);
        ASSERT_GT(bytes.size(), 54u);
        if (e.format == Format::Jpeg) {
            EXPECT_EQ(bytes[0], 0xFF);
            EXPECT_EQ(bytes[1], 0xD8);
        } else {
            EXPECT_EQ(bytes[0], 'B');
            EXPECT_EQ(bytes[1], 'M');
            EXPECT_EQ(bytes[28] | (bytes[29] << 8), 24) << "BMP must be 24 bits per pixel";
        }
        const Decoded d = Decode(path);
        ASSERT_TRUE(d.Valid());
        if (e.width > 0) {
            EXPECT_EQ(d.width, e.width);
            EXPECT_EQ(d.height, e.height);
        } else {
            EXPECT_TRUE(PowerOfTwo(d.width) && PowerOfTwo(d.height)) << d.width << " x " << d.height;
        }
    }
}

TEST(VisualImages, NoLowerCaseTwinsOfMixedCaseNames) {
    // The game asks for "Wall.Bmp" and "Back3.jpg" exactly; a differently cased copy would hide a mistake.
    EXPECT_FALSE(std::filesystem::exists(kDataDir / "wall.bmp"));
    EXPECT_FALSE(std::filesystem::exists(kDataDir / "back3.jpg"));
    EXPECT_FALSE(std::filesystem::exists(kDataDir / "Top3.jpg"));
}

TEST(VisualImages, RedKeyedMenuScreensStayClearOfPureRed) {
    // The menus are loaded with a pure red key: no pixel may come near it, even after JPEG
    // decoding or a loader that keys with a tolerance.
    for (const char* file : {"intro.jpg", "help.jpg", "gameover.jpg"}) {
        const Decoded d = Decode(kDataDir / file);
        ASSERT_TRUE(d.Valid()) << file;
        int nearRed = 0;
        for (int y = 0; y < d.height; ++y)
            for (int x = 0; x < d.width; ++x) nearRed += Distance(d.At(x, y), Pixel{255, 0, 0}) < 48;
        EXPECT_EQ(nearRed, 0) << file;
    }
}

struct KeyedImage {
    const char* file;
    Pixel key;
    std::vector<std::pair<int, int>> transparent;  // points that must be exactly the key
    std::vector<std::pair<int, int>> opaque;       // points that must not be the key
    int minKeyedPercent = 10;
};

TEST(VisualImages, KeyedImagesUseTheExactKeyWhereTransparent) {
    const Pixel black{0, 0, 0}, white{255, 255, 255};
    const std::vector<KeyedImage> images = {
        // Pointer: the tip is the hot spot at the top-left corner.
        {"manook.bmp", black, {{119, 119}, {60, 10}, {10, 100}}, {{2, 6}, {8, 30}}},
        {"mirino2.bmp", white, {{0, 0}, {199, 99}, {60, 20}, {100, 80}}, {{100, 50}, {100, 32}, {6, 6}}},
        // Energy frame: the window over the energy bar stays see-through.
        {"facedx.bmp", black, {{0, 0}, {67, 60}, {30, 12}, {104, 108}}, {{15, 60}, {67, 145}}},
        {"sfondoenergia.bmp", black, {{0, 0}, {239, 157}, {3, 80}}, {{20, 80}, {220, 80}}},
        {"facesx.bmp", black, {{0, 0}, {99, 149}}, {{50, 58}, {50, 2}}, 0},
        {"logon.bmp", black, {{0, 0}, {249, 99}, {10, 90}}, {{125, 60}}},
    };
    for (const KeyedImage& k : images) {
        SCOPED_TRACE(k.file);
        const Decoded d = Decode(kDataDir / k.file);
        ASSERT_TRUE(d.Valid());
        for (auto [x, y] : k.transparent) EXPECT_EQ(d.At(x, y), k.key) << x << "," << y;
        for (auto [x, y] : k.opaque) EXPECT_NE(d.At(x, y), k.key) << x << "," << y;
        int keyed = 0;
        for (int y = 0; y < d.height; ++y)
            for (int x = 0; x < d.width; ++x) keyed += d.At(x, y) == k.key;
        const int total = d.width * d.height;
        EXPECT_GT(keyed, total * k.minKeyedPercent / 100);
        EXPECT_LT(keyed, total * 95 / 100);
    }
}

TEST(VisualImages, CrosshairHasNoPaleFringeAroundItsKey) {
    // A near-white pixel next to the white key would show as a light halo in play.
    const Decoded d = Decode(kDataDir / "mirino2.bmp");
    ASSERT_TRUE(d.Valid());
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) {
            const Pixel p = d.At(x, y);
            if (p == Pixel{255, 255, 255}) continue;
            ASSERT_LT(p.r + p.g + p.b, 3 * 200) << x << "," << y;
        }
}

double MeanColumnStep(const Decoded& d, int xa, int xb) {
    double sum = 0;
    for (int y = 0; y < d.height; ++y) {
        const Pixel a = d.At(xa, y), b = d.At(xb, y);
        sum += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
    }
    return sum / d.height;
}

double MeanRowStep(const Decoded& d, int ya, int yb) {
    double sum = 0;
    for (int x = 0; x < d.width; ++x) {
        const Pixel a = d.At(x, ya), b = d.At(x, yb);
        sum += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
    }
    return sum / d.width;
}

TEST(VisualImages, DetailTexturesTileSeamlessly) {
    for (int n = 1; n <= 11; ++n) {
        const std::string file = "f" + std::to_string(n) + ".jpg";
        SCOPED_TRACE(file);
        const Decoded d = Decode(kDataDir / file);
        ASSERT_TRUE(d.Valid());
        // Across the wrap the step is no larger than between neighbouring inner pixels.
        const double inner = (MeanColumnStep(d, 100, 101) + MeanRowStep(d, 100, 101)) / 2;
        EXPECT_LT(MeanColumnStep(d, d.width - 1, 0), inner * 2 + 4);
        EXPECT_LT(MeanRowStep(d, d.height - 1, 0), inner * 2 + 4);
    }
}

TEST(VisualImages, ThemeSkiesJoinLeftToRight) {
    // Every side of the box shows the same image, so its left edge meets its own right edge.
    for (int n = 2; n <= 11; ++n) {
        const std::string file = "c" + std::to_string(n) + ".jpg";
        const Decoded d = Decode(kDataDir / file);
        ASSERT_TRUE(d.Valid()) << file;
        EXPECT_LT(MeanColumnStep(d, d.width - 1, 0), MeanColumnStep(d, 200, 201) * 2 + 6) << file;
    }
}

TEST(VisualImages, FirstLevelSkyBoxFacesMeetAtTheirEdges) {
    // Side faces in order round the box (+z, +x, -z, -x in the left-handed world): each face's
    // right edge is the next face's left edge.
    const char* ring[] = {"Back3.jpg", "Left3.jpg", "Front3.jpg", "Right3.jpg"};
    for (int i = 0; i < 4; ++i) {
        const Decoded a = Decode(kDataDir / ring[i]), b = Decode(kDataDir / ring[(i + 1) % 4]);
        ASSERT_TRUE(a.Valid() && b.Valid());
        double sum = 0;
        for (int y = 0; y < a.height; ++y) {
            const Pixel p = a.At(a.width - 1, y), q = b.At(0, y);
            sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
        }
        EXPECT_LT(sum / a.height, 12.0) << ring[i] << " -> " << ring[(i + 1) % 4];
    }
    // The sun's glow stands on the face towards -x ("Right3.jpg", shown as "Left"), and the top
    // face's edge towards +z ("Down3.jpg", image top) meets the +z face's top edge.
    auto brightness = [](const Decoded& d) {
        double s = 0;
        for (int y = 0; y < d.height / 2; ++y)
            for (int x = 0; x < d.width; ++x) s += d.At(x, y).r + d.At(x, y).g;
        return s;
    };
    EXPECT_GT(brightness(Decode(kDataDir / "Right3.jpg")), brightness(Decode(kDataDir / "Left3.jpg")) * 1.05);
    const Decoded top = Decode(kDataDir / "Down3.jpg"), front = Decode(kDataDir / "Back3.jpg");
    ASSERT_TRUE(top.Valid() && front.Valid());
    double sum = 0;
    for (int x = 0; x < top.width; ++x) {
        const Pixel p = top.At(x, 0), q = front.At(x, 0);
        sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
    }
    EXPECT_LT(sum / top.width, 12.0);
}

TEST(VisualImages, HeightMapSpansTheRangeWithSmoothSlopes) {
    const Decoded d = Decode(kDataDir / "land_map.jpg");
    ASSERT_TRUE(d.Valid());
    int lo = 255, hi = 0, steepest = 0;
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) {
            const Pixel p = d.At(x, y);
            EXPECT_LE(std::abs(p.r - p.g) + std::abs(p.g - p.b), 4) << "height map is grey";
            lo = std::min(lo, p.r);
            hi = std::max(hi, p.r);
            if (x > 0) steepest = std::max(steepest, std::abs(p.r - d.At(x - 1, y).r));
            if (y > 0) steepest = std::max(steepest, std::abs(p.r - d.At(x, y - 1).r));
        }
    EXPECT_LT(lo, 30);
    EXPECT_GT(hi, 220);
    EXPECT_LT(steepest, 48) << "no cliffs between neighbouring samples";
    // The player starts at (x 1000, z 85): gentle ground there.
    const int sx = 1000 * d.width / 2048, sz = 85 * d.height / 2048;
    EXPECT_LT(std::abs(d.At(sx + 4, sz).r - d.At(sx - 4, sz).r), 40);
}

}  // namespace
}  // namespace orvane::assets::visual::test
