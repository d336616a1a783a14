// The 2D queue, projection to the screen, frames without a display, screenshots and fades.
#include "EngineState.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace quarvex;
using enginetest::ScratchDir;

namespace {

class Overlay2DTest : public ::testing::Test {
protected:
    void SetUp() override { Engine3D::Reset(); }
    void TearDown() override { Engine3D::Reset(); }

    Engine3D engine;
    Scene3D scene;
    Screen2D screen;
};

TEST_F(Overlay2DTest, AFramesDrawingsAreQueuedInOrderAndKeptAfterPresent) {
    Screen2D text;  // every Screen2D draws into the same queue
    engine.Clear(false);
    screen.DrawTexture(nullptr, 680, 430, 765, 530, Globals3D::RGBA(1, 1, 1, 0.8f), 0);
    text.DrawText("Level: 1", 20, 10, Globals3D::RGBA(1, 1, 1, 1), "VOZezazivad");
    scene.RenderAll();  // 3D requested after the 2D: the queue is unaffected
    screen.DrawTexture(nullptr, 5, 440, 105, 590, 0xFFFFFFFF, 0xFF000000);
    engine.Present();

    const auto& frame = Engine3D::LastFrame2D();
    ASSERT_EQ(frame.size(), 3u);
    EXPECT_EQ(frame[0].kind, Draw2D::Kind::Texture);
    EXPECT_EQ(frame[0].x2, 765.0f);
    EXPECT_EQ(frame[0].color, 0xCCFFFFFFu);
    EXPECT_EQ(frame[0].color2, 0xCCFFFFFFu);  // 0 = the same colour
    EXPECT_EQ(frame[1].kind, Draw2D::Kind::Text);
    EXPECT_EQ(frame[1].text, "Level: 1");
    EXPECT_EQ(frame[1].font, "VOZezazivad");
    EXPECT_EQ(frame[1].x1, 20.0f);
    EXPECT_EQ(frame[2].color2, 0xFF000000u);

    engine.Clear(false);
    engine.Present();
    EXPECT_TRUE(Engine3D::LastFrame2D().empty());
}

TEST_F(Overlay2DTest, TheSunAndItsFlaresJoinTheQueueWhereTheTerrainIsRendered) {
    Landscape3D land;
    land.SetSun(nullptr, Globals3D::MakeVector(-1800, 500, 0), 2.0f);
    for (int i = 1; i <= 4; ++i) land.SetLensFlare(i, 2.0f, nullptr, 10.0f * i, 0xFFFFFFFF, 0x80FFFFFF);
    engine.Clear(false);
    screen.DrawTexture(nullptr, 0, 0, 10, 10);
    land.Render(true, true);
    screen.DrawText("HUD", 0, 0);
    engine.Present();
    const auto& frame = Engine3D::LastFrame2D();
    ASSERT_EQ(frame.size(), 7u);
    EXPECT_EQ(frame[1].kind, Draw2D::Kind::Sun);
    for (int i = 2; i <= 5; ++i) EXPECT_EQ(frame[i].kind, Draw2D::Kind::LensFlare);
    EXPECT_EQ(frame[6].kind, Draw2D::Kind::Text);
}

TEST_F(Overlay2DTest, ProjectToScreenUsesThe800By600Picture) {
    scene.SetCamera(0, 10, 0, 0, 10, 100);
    float x = -1, y = -1;
    ASSERT_TRUE(screen.ProjectToScreen({0, 10, 100}, x, y));
    EXPECT_NEAR(x, 400.0f, 1e-3f);
    EXPECT_NEAR(y, 300.0f, 1e-3f);
    ASSERT_TRUE(screen.ProjectToScreen({10, 20, 100}, x, y));
    EXPECT_GT(x, 400.0f);  // +x is to the right when looking along +z
    EXPECT_LT(y, 300.0f);  // up is up the screen
    const float rightX = x;
    ASSERT_TRUE(screen.ProjectToScreen({20, 20, 200}, x, y));
    EXPECT_NEAR(x, rightX, 1e-3f);  // twice as far, twice as wide: same place
    x = y = -1;
    EXPECT_FALSE(screen.ProjectToScreen({0, 10, -50}, x, y));
    EXPECT_EQ(x, -1.0f);
    // The muzzle point 5 units ahead of the eye lands on the centre.
    scene.SetCamera(500, 80, 500, 900, 60, 800);
    const float d = std::sqrt(400.0f * 400 + 20 * 20 + 300 * 300);
    ASSERT_TRUE(screen.ProjectToScreen({500 + 5 * 400 / d, 80 - 5 * 20 / d, 500 + 5 * 300 / d}, x, y));
    EXPECT_NEAR(x, 400.0f, 0.01f);
    EXPECT_NEAR(y, 300.0f, 0.01f);
}

TEST_F(Overlay2DTest, HeadlessFramesCountAndScreenshotsAreWritten) {
    EXPECT_FALSE(Engine3D::HasDisplay());
    EXPECT_EQ(engine.GetFramesPerSecond(), 0.0f);
    for (int i = 0; i < 5; ++i) {
        engine.Clear(false);
        engine.Present();
    }
    EXPECT_GT(engine.GetFramesPerSecond(), 0.0f);

    ScratchDir dir;
    scene.SetBackgroundColor(0.4f, 0.6f, 0.9f);
    engine.SaveScreenshot(dir.File("shot.bmp"));
    const auto picture = enginetest::ReadBmp(dir.File("shot.bmp"));
    EXPECT_EQ(picture.width, 800);
    EXPECT_EQ(picture.height, 600);
    const uint32_t pixel = picture.At(10, 10);
    EXPECT_NEAR(static_cast<int>(pixel >> 16), 102, 1);
    EXPECT_NEAR(static_cast<int>((pixel >> 8) & 0xFF), 153, 1);
    EXPECT_NEAR(static_cast<int>(pixel & 0xFF), 230, 1);

    // A Windows drive path writes into the home directory.
    const char* oldHome = std::getenv("HOME");
    const std::string saved = oldHome ? oldHome : "";
    setenv("HOME", dir.Path().c_str(), 1);
    engine.SaveScreenshot("c:\\00000.bmp");
    if (oldHome) setenv("HOME", saved.c_str(), 1); else unsetenv("HOME");
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "00000.bmp"));

    EXPECT_THROW(engine.SaveScreenshot(dir.File("no/such/folder/shot.bmp")), EngineError);
}

TEST_F(Overlay2DTest, FadesCoverThePictureOverTheirTime) {
    detail::FadeState fade{true, true, 10.0, 4.0};
    EXPECT_FLOAT_EQ(fade.Cover(10.0), 1.0f);  // fade in: black at first
    EXPECT_FLOAT_EQ(fade.Cover(12.0), 0.5f);
    EXPECT_FLOAT_EQ(fade.Cover(20.0), 0.0f);
    fade.fadeIn = false;
    EXPECT_FLOAT_EQ(fade.Cover(11.0), 0.25f);
    EXPECT_FLOAT_EQ(fade.Cover(30.0), 1.0f);  // fade out: stays black
    ScreenFade3D screenFade;
    screenFade.FadeIn(0);
    EXPECT_FLOAT_EQ(detail::State().fade.Cover(detail::State().Now()), 0.0f);
}

}  // namespace
