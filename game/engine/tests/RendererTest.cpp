// One frame through the OpenGL renderer (SDL's offscreen driver): sky box, fogged terrain, a lit
// textured mesh, an animated billboard, particles, sun and flares, text and a 2D image.
#include "Engine3D.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

using namespace quarvex;
using enginetest::ScratchDir;
using enginetest::WriteImage;

namespace {

uint32_t Rgb(float r, float g, float b) {
    auto c = [](float v) { return static_cast<uint32_t>(std::clamp(v, 0.0f, 255.0f)); };
    return 0xFF000000u | (c(r) << 16) | (c(g) << 8) | c(b);
}

// Smooth value noise in 0..1, for textures that look like something.
float Noise(float x, float y) {
    auto hash = [](int i, int j) {
        uint32_t h = static_cast<uint32_t>(i) * 374761393u + static_cast<uint32_t>(j) * 668265263u;
        h = (h ^ (h >> 13)) * 1274126177u;
        return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
    };
    float sum = 0, amplitude = 0.5f, total = 0;
    for (int octave = 0; octave < 4; ++octave) {
        const int i = static_cast<int>(std::floor(x)), j = static_cast<int>(std::floor(y));
        const float fx = x - i, fy = y - j;
        const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
        const float top = hash(i, j) * (1 - sx) + hash(i + 1, j) * sx;
        const float bottom = hash(i, j + 1) * (1 - sx) + hash(i + 1, j + 1) * sx;
        sum += amplitude * (top * (1 - sy) + bottom * sy);
        total += amplitude;
        amplitude *= 0.5f;
        x *= 2.03f;
        y *= 2.03f;
    }
    return sum / total;
}

// Sky face: deep blue overhead fading to a pale horizon, with soft clouds.
uint32_t SkySide(int x, int y) {
    const float t = y / 255.0f;
    // Clouds repeat across the face's width, so that neighbouring faces meet without a seam.
    const float a = x / 256.0f * 6.2831853f;
    const float n = Noise(7 + 3 * std::cos(a), y / 18.0f + 3 * std::sin(a));
    const float cloud = std::max(0.0f, n - 0.55f) * 2.2f * (1 - t);
    const float r = 20 + 130 * t, g = 50 + 140 * t, b = 140 + 90 * t;
    return Rgb(r + (255 - r) * cloud, g + (255 - g) * cloud, b + (255 - b) * cloud);
}

// How the green channel changes along row y from x = begin to end - 1: its range, and its
// largest step from one pixel to the next.
struct RowChange {
    int range = 0, largestStep = 0;
};
RowChange ChangeAlongRow(const enginetest::Picture& picture, int y, int begin, int end) {
    auto green = [&](int x) { return static_cast<int>((picture.At(x, y) >> 8) & 0xFF); };
    int lowest = 255, highest = 0;
    RowChange change;
    for (int x = begin; x < end; ++x) {
        lowest = std::min(lowest, green(x));
        highest = std::max(highest, green(x));
        if (x > begin) change.largestStep = std::max(change.largestStep, std::abs(green(x) - green(x - 1)));
    }
    change.range = highest - lowest;
    return change;
}

class RendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);  // headless unless told otherwise
        Engine3D::Reset();
        engine.SetSearchDirectory(dir.Path().string());
        WriteImage(dir.File("side.bmp"), 256, 256, SkySide);
        WriteImage(dir.File("top.bmp"), 64, 64, [](int, int) { return Rgb(20, 50, 140); });
        WriteImage(dir.File("down.bmp"), 64, 64, [](int, int) { return Rgb(102, 153, 230); });
        WriteImage(dir.File("land_map.bmp"), 128, 128, [](int x, int y) {
            const float h = 0.5f + 0.25f * std::sin(x / 9.0f) * std::cos(y / 13.0f) +
                            0.35f * (Noise(x / 20.0f, y / 20.0f) - 0.5f);
            const int v = static_cast<int>(std::clamp(h, 0.0f, 1.0f) * 255);
            return Rgb(v, v, v);
        });
        WriteImage(dir.File("e1.bmp"), 256, 256, [](int x, int y) {
            const float n = Noise(x / 16.0f, y / 16.0f), m = Noise(x / 5.0f + 50, y / 5.0f);
            return Rgb(70 + 60 * n + 30 * m, 105 + 50 * n + 20 * m, 40 + 25 * n);
        });
        WriteImage(dir.File("f1.bmp"), 64, 64, [](int x, int y) {
            const float n = Noise(x / 3.0f, y / 3.0f);
            return Rgb(90 + 80 * n, 90 + 80 * n, 90 + 80 * n);
        });
        WriteImage(dir.File("hull.bmp"), 64, 64, [](int x, int y) {
            const bool plate = (x % 32 == 0) || (y % 32 == 0);
            return plate ? Rgb(120, 60, 20) : Rgb(230, 120, 30);
        });
        WriteImage(dir.File("sun.png"), 64, 64, [](int x, int y) {
            const float r = std::hypot(x - 31.5f, y - 31.5f) / 32.0f;
            const float a = std::clamp(1.3f - r * 1.3f, 0.0f, 1.0f);
            return Rgb(255 * a, 240 * a, 200 * a);
        });
        WriteImage(dir.File("flare.png"), 64, 64, [](int x, int y) {
            const float r = std::hypot(x - 31.5f, y - 31.5f) / 32.0f;
            const float ring = std::exp(-std::pow((r - 0.7f) * 8.0f, 2.0f)) + 0.25f * std::max(0.0f, 1 - r);
            return Rgb(200 * ring, 220 * ring, 255 * ring);
        });
        for (int i = 0; i < 4; ++i) {
            WriteImage(dir.File("flame_0" + std::to_string(i) + ".png"), 32, 64, [i](int x, int y) {
                const float dx = (x - 15.5f) / 16.0f, dy = (y - 40.0f - 2 * i) / 24.0f;
                const float r = std::sqrt(dx * dx * 2.5f + dy * dy);
                const float a = std::clamp(1.0f - r, 0.0f, 1.0f);
                const uint32_t alpha = static_cast<uint32_t>(a * 255);
                return (alpha << 24) | (Rgb(255, 120 + 130 * a, 40 * a) & 0xFFFFFF);
            });
        }
        WriteImage(dir.File("panel.png"), 32, 8, [](int, int) { return 0xFFC03080u; });
        enginetest::WriteText(dir.File("common.shader"),
                              "Flame1 {\n blend alpha\n rate 8\n frame flame_00.png\n"
                              " frame flame_01.png\n frame flame_02.png\n frame flame_03.png\n}\n");
    }
    void TearDown() override { Engine3D::Reset(); }

    // Opens the 800 x 600 picture; false, with a failure recorded, where there is no display.
    bool Open() {
        try {
            engine.InitFullScreen(800, 600, 24, true, 0);
        } catch (const EngineError& e) {
            ADD_FAILURE() << "no display: " << e.what();
            return false;
        }
        engine.SetDisplayOption(DISPLAY_FRAME_PACING, false);
        return true;
    }

    // Presents the frame and reads back its screenshot, saved as `name` in the scratch folder.
    enginetest::Picture PresentAndRead(const std::string& name) {
        engine.Present();
        engine.SaveScreenshot(dir.File(name));
        return enginetest::ReadBmp(dir.File(name));
    }

    ScratchDir dir;
    Engine3D engine;
};

TEST_F(RendererTest, AFrameShowsSkyTerrainMeshBillboardTextAndImages) {
    engine.SetWindowTitle("Orvane 2020 the Sun");
    if (!Open()) return;
    ASSERT_TRUE(Engine3D::HasDisplay());

    TextureFactory3D factory;
    for (const char* name : {"Front", "Back", "Left", "Right"}) factory.LoadTexture("side.bmp", name);
    factory.LoadTexture("top.bmp", "Top");
    factory.LoadTexture("down.bmp", "Down");
    factory.LoadTexture("e1.bmp", "Terrain");
    factory.LoadTexture("f1.bmp", "detail");
    factory.LoadTexture("hull.bmp", "starship");
    factory.LoadTexture("sun.png", "Sun");
    factory.LoadTexture("flare.png", "Flare1");
    auto panel = factory.LoadTexture("panel.png", "", -1, -1, 0, true);

    Scene3D scene;
    scene.SetViewRange(100);
    scene.SetBackgroundColor(0.4f, 0.6f, 0.9f);
    scene.SetSkyBox(Globals3D::GetTexture("Front"), Globals3D::GetTexture("Back"),
                    Globals3D::GetTexture("Left"), Globals3D::GetTexture("Right"),
                    Globals3D::GetTexture("Top"), Globals3D::GetTexture("Down"), 1500);
    scene.LoadShaderFile("common.shader");

    Landscape3D land;
    land.SetLandscapeFactor(0.4f);
    land.GenerateFromHeightMap("land_map.bmp", 32, 8, 8, 0, 0, true);
    land.SetBaseTexture(Globals3D::GetTexture("terrain"));
    land.SetTerrainTextureScale(1, 1, true);
    land.SetDetailTexture(Globals3D::GetTexture("detail"));
    land.SetDetailTextureScale(4, 4, true);
    land.SetSun(Globals3D::GetTexture("sun"), Globals3D::MakeVector(-1800, 500, 0), 2.0f);
    land.SetLensFlare(1, 10.0f, Globals3D::GetTexture("Flare1"), 40.0f, Globals3D::RGBA(0.5f, 0.5f, 0.5f, 0.5f), Globals3D::RGBA(1, 1, 1, 0.5f));
    land.SetLensFlare(2, 2.0f, Globals3D::GetTexture("Flare1"), 18.0f, Globals3D::RGBA(1, 1, 1, 0.5f), Globals3D::RGBA(1, 1, 1, 0.5f));
    land.SetLensFlare(3, 3.6f, Globals3D::GetTexture("Flare1"), 15.0f, Globals3D::RGBA(1, 1, 1, 0.5f), Globals3D::RGBA(0.7f, 1, 1, 0.5f));
    land.SetLensFlare(4, 2.0f, Globals3D::GetTexture("Flare1"), 6.0f, Globals3D::RGBA(1, 0.1f, 0, 0.5f), Globals3D::RGBA(0.5f, 1, 1, 0.5f));

    // The eye over the terrain, looking west towards the low sun.
    const float ex = 1500, ez = 1150;
    const float eyeY = land.GetHeight(ex, ez) + 45;
    const float tx = 1100, tz = 1000;
    scene.SetCamera(ex, eyeY, ez, tx, land.GetHeight(tx, tz) + 40, tz);

    // A starship-like wedge 90 units ahead, lit by the sun.
    auto ship = scene.CreateMesh("ship");
    const float l = 30, w = 30, h = 12;
    auto tex = Globals3D::GetTexture("starship");
    ship->AddTriangle(tex, 0, -h / 2, -l / 2, -w / 2, h / 2, -l / 2, 0, h / 2, l, 1, 1, -1, 0);
    ship->AddTriangle(tex, 0, -h / 2, -l / 2, 0, h / 2, l, w / 2, h / 2, -l / 2, 1, 1, -1, 0);
    ship->AddTriangle(tex, w / 2, h / 2, -l / 2, -w / 2, h / 2, -l / 2, 0, h / 2, l, 1, 1, -1, 0);
    ship->AddTriangle(tex, 0, h, -l / 2, -w / 2, -h, -l / 2, 0, -h, l, 1, 1, -1, 0);
    ship->AddTriangle(tex, 0, h, -l / 2, 0, -h, l, w / 2, -h, -l / 2, 1, 1, -1, 0);
    ship->AddTriangle(tex, 0, -h / 2, -l / 2, w / 2, h / 2, -l / 2, -w / 2, h / 2, -l / 2, 1, 1, -1, 0);
    ship->FinishGeometry();
    const float sx = 1420, sz = 1110;
    ship->SetPosition(sx, land.GetHeight(sx, sz) + 48, sz);
    ship->RotateY(-2.2f);

    // The flame billboard with its animated effect, and an explosion beside it.
    auto flame = scene.CreateBillboard(nullptr, 1390, land.GetHeight(1390, 1060) + 20, 1060, 20, 40, "", 0, 0, 0, true);
    flame->SetEffectTexture(Globals3D::GetEffectTexture("Flame1"), true);
    Particles3D explosion;
    explosion.CreateEmitter(300, 100, 7.0f, Globals3D::MakeVector(0, 0, 0), 1.0f, nullptr);
    explosion.SetEmitterPower(3.0f);
    explosion.SetEmitterRate(0.02f);
    explosion.SetEmitterColors(0, -1, -1, -1, 1, 1, -1, 2, -1, 2, 2, 2);
    explosion.SetEmitterPosition({1370, land.GetHeight(1370, 1160) + 30, 1160});

    Screen2D screen, text;
    screen.CreateFont("VOZezazivad", "Arial", 20, false, false, false);
    for (int frame = 0; frame < 3; ++frame) {
        engine.Clear(false);
        // 2D first, 3D afterwards: the 2D must still come out on top.
        screen.DrawTexture(panel, 20, 500, 260, 580, 0xFFFFFFFF, 0);
        text.DrawText("Score: 125000", 40, 525, Globals3D::RGBA(1, 1, 1, 1), "VOZezazivad");
        text.DrawText("Level: 3", 20, 10, Globals3D::RGBA(1, 1, 1, 1), "VOZezazivad");
        scene.RenderSky();
        land.Update();
        land.Render(true, true);
        for (int i = 0; i < 10; ++i) explosion.UpdateParticles();
        scene.RenderAll();
        engine.Present();
    }
    const std::string shot = dir.File("frame.bmp");
    engine.SaveScreenshot(shot);
    enginetest::SaveAsPng(shot, "renderer_frame.png");  // for a person to look at
    const auto picture = enginetest::ReadBmp(shot);
    ASSERT_EQ(picture.width, 800);
    ASSERT_EQ(picture.height, 600);

    // The 2D image covers the 3D scene under it.
    EXPECT_EQ(picture.At(25, 505), 0xC03080u);
    EXPECT_EQ(picture.At(250, 575), 0xC03080u);
    // The text is there: bright pixels inside the panel's rectangle, where the image has none.
    int bright = 0;
    for (int y = 520; y < 555; ++y) {
        for (int x = 40; x < 220; ++x) {
            const uint32_t p = picture.At(x, y);
            if ((p >> 16) > 220 && ((p >> 8) & 0xFF) > 220 && (p & 0xFF) > 220) ++bright;
        }
    }
    EXPECT_GT(bright, 60);
    // Sky above the terrain: the sky box's deep blue, not the background colour.
    const uint32_t sky = picture.At(700, 5);
    const int r = sky >> 16, b = sky & 0xFF;
    EXPECT_GT(b, r + 40);
    EXPECT_LT(r, 90) << std::hex << sky;
    // Terrain at the bottom: green-brown, fogged at most partly.
    const uint32_t ground = picture.At(600, 590);
    EXPECT_GT((ground >> 8) & 0xFF, ground & 0xFF) << std::hex << ground;
    // The ship in the middle of the picture, orange and lit.
    float px = 0, py = 0;
    Screen2D().ProjectToScreen(ship->GetPosition(), px, py);
    const uint32_t hull = picture.At(static_cast<int>(px), static_cast<int>(py));
    EXPECT_GT(static_cast<int>(hull >> 16), static_cast<int>(hull & 0xFF) + 50) << std::hex << hull;
    // Not a black picture.
    int dark = 0;
    for (uint32_t p : picture.pixels) {
        if ((p >> 16) < 12 && ((p >> 8) & 0xFF) < 12 && (p & 0xFF) < 12) ++dark;
    }
    EXPECT_LT(dark, 800 * 600 / 50);
}

// The sky's textures are magnified many times on screen: they must look filtered, not blocky.
TEST_F(RendererTest, ASkyTextureMagnifiedOnScreenChangesSmoothlyFromPixelToPixel) {
    if (!Open()) return;
    // Eight texels across: black and white columns, each about a hundred pixels wide on screen.
    WriteImage(dir.File("stripes.bmp"), 8, 8, [](int x, int) { return x % 2 ? Rgb(255, 255, 255) : Rgb(0, 0, 0); });
    TextureFactory3D factory;
    const TexturePtr stripes = factory.LoadTexture("stripes.bmp", "stripes");
    Scene3D scene;
    scene.SetSkyBox(stripes, stripes, stripes, stripes, stripes, stripes, 1500);
    scene.SetCamera(0, 0, 0, 0, 0, 100);
    // The first frames show the texture filtered, later ones a magnified copy made meanwhile.
    for (int frame = 0; frame < 20; ++frame) {
        engine.Clear(false);
        scene.RenderSky();
        scene.RenderAll();
        const auto picture = PresentAndRead("stripes_shot.bmp");
        // A row well above the horizon haze.
        const RowChange row = ChangeAlongRow(picture, 80, 100, 700);
        EXPECT_GT(row.range, 150) << "frame " << frame;      // the stripes are there
        EXPECT_LT(row.largestStep, 16) << "frame " << frame;  // and blend from one into the next
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// New heights are built while the old ones are still drawn: no frame without terrain, and the
// new ones shown within a few frames.
TEST_F(RendererTest, ChangedHeightsAreShownSoonWithTerrainInEveryFrameMeanwhile) {
    if (!Open()) return;
    // The same hills, steeper: a second map of twice the brightness where the first is dark.
    WriteImage(dir.File("steeper_map.bmp"), 128, 128, [](int x, int y) {
        const float h = 0.5f + 0.25f * std::sin(x / 9.0f) * std::cos(y / 13.0f);
        const int v = static_cast<int>(std::clamp(h * h, 0.0f, 1.0f) * 255);
        return Rgb(v, v, v);
    });
    TextureFactory3D factory;
    Scene3D scene;
    scene.SetViewRange(100);
    scene.SetBackgroundColor(1, 0, 1);  // magenta: wherever no terrain is drawn
    Landscape3D land;
    land.SetLandscapeFactor(0.4f);
    land.GenerateFromHeightMap("land_map.bmp", 32, 8, 8, 0, 0, true);
    land.SetBaseTexture(factory.LoadTexture("e1.bmp", "Terrain"));
    scene.SetCamera(1000, 260, 1000, 1400, 0, 1400);  // looking down over the hills
    auto frame = [&] {
        engine.Clear(false);
        land.Render(true, true);
        scene.RenderAll();
        return PresentAndRead("heights.bmp");
    };
    // Pixels of the lower half that differ from `before`, and those showing no terrain.
    struct Count {
        int changed = 0, background = 0;
    };
    auto compare = [&](const enginetest::Picture& picture, const enginetest::Picture& before) {
        Count count;
        for (int y = 300; y < 600; y += 4) {
            for (int x = 0; x < 800; x += 4) {
                count.changed += picture.At(x, y) != before.At(x, y);
                count.background += (picture.At(x, y) & 0xFFFFFF) == 0xFF00FF;
            }
        }
        return count;
    };
    const auto first = frame();
    ASSERT_EQ(compare(first, first).background, 0);
    constexpr int kQuarter = 75 * 200 / 4;  // a quarter of the lower half

    // A new landscape factor scales the heights: shown in the very next frame.
    land.SetLandscapeFactor(12.0f);
    const auto scaled = frame();
    Count count = compare(scaled, first);
    EXPECT_EQ(count.background, 0);
    EXPECT_GT(count.changed, kQuarter);

    // A new height map is built meanwhile; however busy the machine, shown within seven frames.
    land.GenerateFromHeightMap("steeper_map.bmp", 32, 8, 8, 0, 0, true);
    bool shown = false;
    for (int i = 0; i < 7 && !shown; ++i) {
        count = compare(frame(), scaled);
        EXPECT_EQ(count.background, 0) << "frame " << i;
        shown = count.changed > kQuarter;
    }
    EXPECT_TRUE(shown) << count.changed;

    // Geometry drawn scaled looks as geometry built at that scale: the first map, built at the
    // factor 12 it was scaled to above.
    land.GenerateFromHeightMap("land_map.bmp", 32, 8, 8, 0, 0, true);
    enginetest::Picture built = frame();
    for (int i = 0; i < 7; ++i) built = frame();
    count = compare(built, scaled);
    EXPECT_EQ(count.background, 0);
    EXPECT_LT(count.changed, 75 * 200 / 100) << "more than 1 % of the pixels differ";
}

// Pictures loaded anew under names already shown are uploaded a few a frame: meanwhile each
// place shows the picture before, never an empty or white texture, and soon the new one.
TEST_F(RendererTest, NewPicturesOfShownTexturesAreUploadedOverAFewFrames) {
    if (!Open()) return;
    constexpr int kCount = 4;  // 512 x 512: one a frame's share
    auto write = [&](int i, uint32_t color) {
        WriteImage(dir.File("panel" + std::to_string(i) + ".bmp"), 512, 512, [=](int, int) { return color; });
    };
    TextureFactory3D factory;
    std::vector<TexturePtr> panels;
    for (int i = 0; i < kCount; ++i) {
        write(i, Rgb(200, 0, 0));
        panels.push_back(factory.LoadTexture("panel" + std::to_string(i) + ".bmp", "panel" + std::to_string(i)));
    }
    Screen2D screen;
    // The colour at the middle of each panel.
    auto frame = [&] {
        engine.Clear(false);
        for (int i = 0; i < kCount; ++i) screen.DrawTexture(panels[i], 20 + i * 190, 200, 190 + i * 190, 400, 0xFFFFFFFF, 0);
        const auto picture = PresentAndRead("panels.bmp");
        std::vector<uint32_t> colors;
        for (int i = 0; i < kCount; ++i) colors.push_back(picture.At(105 + i * 190, 300) & 0xFFFFFF);
        return colors;
    };
    for (const uint32_t color : frame()) ASSERT_EQ(color, 0xC80000u);
    for (int i = 0; i < kCount; ++i) {
        write(i, Rgb(0, 0, 200));
        factory.LoadTexture("panel" + std::to_string(i) + ".bmp", "panel" + std::to_string(i));
    }
    int newInFirst = -1;
    for (int f = 0; f < 7; ++f) {
        int shownNew = 0;
        for (const uint32_t color : frame()) {
            EXPECT_TRUE(color == 0xC80000u || color == 0x0000C8u) << std::hex << color << " in frame " << f;
            shownNew += color == 0x0000C8u;
        }
        if (f == 0) newInFirst = shownNew;
        if (shownNew == kCount) break;
        EXPECT_LT(f, 6) << "still not all new";
    }
    EXPECT_GE(newInFirst, 1);       // one at least in the first frame
    EXPECT_LT(newInFirst, kCount);  // but not all four at once
}

// The terrain's detail texture tiles many times and is magnified near the eye: its grain must
// be there, blend smoothly, and tile without a seam.
TEST_F(RendererTest, TheTerrainDetailNearTheEyeChangesSmoothlyFromPixelToPixel) {
    if (!Open()) return;
    WriteImage(dir.File("flat.bmp"), 64, 64, [](int, int) { return Rgb(128, 128, 128); });
    WriteImage(dir.File("grey.bmp"), 16, 16, [](int, int) { return Rgb(110, 110, 110); });
    // Eight texels across, tiled eight times a chunk: dark and bright columns 4 units wide on the
    // ground, tiles 32 units wide.
    WriteImage(dir.File("grain.bmp"), 8, 8, [](int x, int) { return x % 2 ? Rgb(200, 200, 200) : Rgb(40, 40, 40); });
    TextureFactory3D factory;
    Scene3D scene;
    scene.SetViewRange(100);
    Landscape3D land;
    land.GenerateFromHeightMap("flat.bmp", 32, 8, 8, 0, 0, true);
    land.SetBaseTexture(factory.LoadTexture("grey.bmp", "grey"));
    land.SetDetailTexture(factory.LoadTexture("grain.bmp", "grain"));
    land.SetDetailTextureScale(8, 8, true);
    // Looking steeply down from 20 units up, so the ground near the eye fills the picture.
    const float x = 1024, z = 1024, ground = land.GetHeight(x, z);
    scene.SetCamera(x, ground + 20, z, x, ground, z + 12);
    // The first frames show the original grain filtered, later ones a magnified copy made
    // meanwhile: both alike.
    for (int frame = 0; frame < 20; ++frame) {
        engine.Clear(false);
        land.Render(true, true);
        scene.RenderAll();
        const auto picture = PresentAndRead("grain_shot.bmp");
        // A row across the middle, over several seams where one tile meets the next.
        const RowChange row = ChangeAlongRow(picture, 300, 0, 800);
        EXPECT_GT(row.range, 60) << "frame " << frame;       // the grain is there
        EXPECT_LT(row.largestStep, 8) << "frame " << frame;  // blended, with no seam where the tiles meet
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

TEST_F(RendererTest, AMeshDrawnBeforeItsTextureIsLoadedAgainShowsTheNewPicture) {
    if (!Open()) return;
    WriteImage(dir.File("red.bmp"), 16, 16, [](int, int) { return Rgb(220, 30, 30); });
    WriteImage(dir.File("green.bmp"), 16, 16, [](int, int) { return Rgb(30, 220, 30); });
    TextureFactory3D factory;
    factory.LoadTexture("red.bmp", "starship");
    Scene3D scene;
    scene.SetCamera(0, 0, 0, 0, 0, 100);
    // A square facing the eye, filling the middle of the picture.
    auto square = scene.CreateMesh("square");
    const auto tex = Globals3D::GetTexture("starship");
    square->AddTriangle(tex, -30, -30, 0, 30, -30, 0, 30, 30, 0, 1, 1, -1, 0);
    square->AddTriangle(tex, -30, -30, 0, 30, 30, 0, -30, 30, 0, 1, 1, -1, 0);
    square->FinishGeometry();
    square->SetPosition(0, 0, 50);
    const auto middle = [&](const std::string& name) {
        engine.Clear(false);
        scene.RenderAll();
        return PresentAndRead(name).At(400, 300);
    };
    const uint32_t before = middle("before.bmp");
    EXPECT_GT((before >> 16) & 0xFF, 2 * ((before >> 8) & 0xFF)) << std::hex << before;
    factory.LoadTexture("green.bmp", "STARSHIP");
    const uint32_t after = middle("after.bmp");
    EXPECT_GT((after >> 8) & 0xFF, 2 * ((after >> 16) & 0xFF)) << std::hex << after;
}

TEST_F(RendererTest, AScreenshotAfterAFadeOutIsBlack) {
    if (!Open()) return;
    Scene3D scene;
    scene.SetBackgroundColor(1, 1, 1);
    ScreenFade3D fade;
    fade.FadeOut(0);
    engine.Clear(false);
    scene.RenderAll();
    EXPECT_EQ(PresentAndRead("black.bmp").At(400, 300), 0u);
    fade.FadeIn(0);
    engine.Clear(false);
    EXPECT_EQ(PresentAndRead("white.bmp").At(400, 300), 0xFFFFFFu);
}

}  // namespace
