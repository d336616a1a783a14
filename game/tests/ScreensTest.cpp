// The HUD of a playing frame and the menus: their drawings, click areas, keys and pointer.
#include "GameProgram.h"

#include "modGameLoop.h"
#include "modScreens.h"
#include "modSubMain.h"

#include <qxsound/SoundDx8.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace orvane;
using gametest::GameExit;
using gametest::GameProgram;
using quarvex::Draw2D;
using quarvex::Globals3D;

using ScreensTest = GameProgram;

TEST(ClickAreaTest, TheMenuAreasAreOpen) {
    struct Case {
        ClickArea area;
        int32_t left, top, right, bottom;
    };
    const Case cases[] = {{kTitleStart, 190, 155, 455, 236},    {kTitleExit, 465, 465, 690, 542},
                          {kTitleHelp, 465, 357, 690, 427},     {kHelpStart, 509, 398, 649, 451},
                          {kHelpExit, 506, 468, 658, 600},      {kGameOverExit, 431, 443, 660, 497},
                          {kGameOverRestart, 29, 443, 285, 497}};
    for (const Case& c : cases) {
        const int32_t midX = (c.left + c.right) / 2, midY = (c.top + c.bottom) / 2;
        EXPECT_TRUE(c.area.Contains(c.left + 1, c.top + 1)) << c.left;
        EXPECT_TRUE(c.area.Contains(c.right - 1, c.bottom - 1)) << c.left;
        EXPECT_FALSE(c.area.Contains(c.left, midY)) << c.left;
        EXPECT_FALSE(c.area.Contains(c.right, midY)) << c.left;
        EXPECT_FALSE(c.area.Contains(midX, c.top)) << c.left;
        EXPECT_FALSE(c.area.Contains(midX, c.bottom)) << c.left;
    }
}

TEST(ClickAreaTest, ThePointerStaysMostlyOnTheScreen) {
    const Pointer corner = ClampPointer(790, 590, true);
    EXPECT_EQ(corner.x, 704);
    EXPECT_EQ(corner.y, 501);
    EXPECT_TRUE(corner.button1);
    const Pointer inside = ClampPointer(704, 12, false);
    EXPECT_EQ(inside.x, 704);
    EXPECT_EQ(inside.y, 12);
}

TEST_F(ScreensTest, TheHudDrawsItsSevenDrawingsInOrder) {
    BeginPlay();
    damagePercent = 0;
    framesPerSecond = 60;
    level = 7;
    score = -1200;
    engine->Clear(false);
    DrawHud();
    engine->Present();
    const auto& frame = quarvex::Engine3D::LastFrame2D();
    ASSERT_EQ(frame.size(), 7u);
    const auto white = Globals3D::RGBA(1, 1, 1, 1);
    const Draw2D& bar = frame[0];
    EXPECT_EQ(bar.texture, screenImages.energyBar);
    EXPECT_EQ(bar.x1, 680);
    EXPECT_EQ(bar.y1, 430);
    EXPECT_EQ(bar.x2, 765);
    EXPECT_EQ(bar.y2, 530);
    EXPECT_EQ(bar.color, Globals3D::RGBA(1, 1, 1, 0.8f));
    EXPECT_EQ(frame[1].texture, screenImages.face);
    EXPECT_EQ(frame[1].x1, 650);
    EXPECT_EQ(frame[1].y2, 590);
    const struct {
        const char* text;
        float x, y;
    } texts[] = {{"Level: 7", 20, 10}, {"Speed: 600Km/h", 580, 10}, {"Score: -1200", 360, 560}};
    for (int i = 0; i < 3; ++i) {
        const Draw2D& d = frame[2 + i];
        EXPECT_EQ(d.text, texts[i].text);
        EXPECT_EQ(d.x1, texts[i].x);
        EXPECT_EQ(d.y1, texts[i].y);
        EXPECT_EQ(d.color, white);
        EXPECT_EQ(d.font, kFontName);
    }
    EXPECT_EQ(frame[5].texture, Globals3D::GetTexture("vita"));
    EXPECT_EQ(frame[5].x1, 5);
    EXPECT_EQ(frame[5].y1, 440);
    EXPECT_EQ(frame[6].texture, Globals3D::GetTexture("logos"));
    EXPECT_EQ(frame[6].x2, 525);
    EXPECT_EQ(frame[6].color, 0xFFFFFFFFu);

    damagePercent = 50;
    engine->Clear(false);
    DrawHud();
    engine->Present();
    EXPECT_EQ(quarvex::Engine3D::LastFrame2D()[0].x2, 715);
}

TEST_F(ScreensTest, AnOverflowingSpeedEndsTheGame) {
    BeginPlay();
    framesPerSecond = 300000000;
    EXPECT_THROW(DrawHud(), gametest::FatalGameError);
}

TEST_F(ScreensTest, TheTitleStartsPlayByItsButtonAndDrawsThePointer) {
    Click(300, 200);
    NewGame();
    input->SetMousePosition(300, 200);  // NewGame puts the pointer at (119, 176)
    TitleScreens();
    EXPECT_TRUE(menuDone);
    EXPECT_TRUE(Showed(screenImages.title));
    const auto pointer = DrawingsOf(screenImages.pointer);
    ASSERT_EQ(pointer.size(), 1u);
    EXPECT_EQ(pointer[0].x1, 300);
    EXPECT_EQ(pointer[0].x2, 420);
    EXPECT_EQ(pointer[0].y2, 320);
    EXPECT_EQ(Sound(GameSound::TitleMusic)->PlayState(), qxsound::QX_PLAYSTATE_STOPPED);
    // Once menuDone is set, the title screens return at once.
    ReleaseAll();
    TitleScreens();
}

TEST_F(ScreensTest, ThePointerIsClampedOnTheMenus) {
    NewGame();
    input->SetMousePosition(790, 590);
    Hold(kKeyX);
    TitleScreens();
    const auto pointer = DrawingsOf(screenImages.pointer);
    ASSERT_EQ(pointer.size(), 1u);
    EXPECT_EQ(pointer[0].x1, 704);
    EXPECT_EQ(pointer[0].y1, 501);
    EXPECT_EQ(pointer[0].x2, 824);
    EXPECT_EQ(pointer[0].y2, 621);
}

// Input that changes from one menu frame to the next: script(frame) as each frame begins (1, 2, ...).
class ScriptedMenus : public GameProgram {
protected:
    void Script(std::function<void(int frame)> script) {
        SetMenuFrameHook([this, script] { script(++frames); });
    }
    void TearDown() override {
        SetMenuFrameHook(nullptr);
        GameProgram::TearDown();
    }
    int frames = 0;
};

TEST_F(ScriptedMenus, TheHelpButtonOpensTheHelpScreenWhoseStartButtonPlays) {
    NewGame();
    bool helpShownWhileHeld = false;
    Script([&](int frame) {
        if (frame == 1) Click(600, 420);  // the title's Help; the help screen's Start lies under it too
        if (frame == 3) helpShownWhileHeld = Showed(screenImages.help) && !menuDone;
        if (frame == 3) ReleaseAll();
        if (frame == 4) Click(600, 420);
    });
    TitleScreens();
    EXPECT_TRUE(helpShownWhileHeld);  // the click that opened it did not also start play
    EXPECT_EQ(frames, 4);
    EXPECT_TRUE(menuDone);
    EXPECT_TRUE(Showed(screenImages.help));
}

TEST_F(ScriptedMenus, HelpByItsKeyAndStartByX) {
    NewGame();
    Script([&](int frame) {
        if (frame == 1) Hold(kKeyH);
        if (frame == 2) Hold(kKeyH, false);
        if (frame == 5) Hold(kKeyX);
    });
    TitleScreens();
    EXPECT_EQ(frames, 5);
    EXPECT_TRUE(Showed(screenImages.help));
}

TEST_F(ScriptedMenus, TheHelpScreensExitButtonEndsTheGame) {
    NewGame();
    Script([&](int frame) {
        if (frame == 1) Hold(kKeyH);
        if (frame == 2) Click(520, 590);
    });
    EXPECT_EQ(ExitStatusOf([] { TitleScreens(); }), 0);
    EXPECT_FALSE(menuDone);
    EXPECT_FALSE(isRunning);
}

TEST_F(ScriptedMenus, TheGameOverScreenWaitsForAChoice) {
    BeginPlay();
    menuDone = false;
    Script([&](int frame) {
        if (frame == 1) Click(300, 470);  // between Restart and Exit: nothing
        if (frame == 3) Hold(kKeyX);
    });
    GameOverScreen();
    EXPECT_EQ(frames, 3);
}

TEST_F(ScreensTest, EscapeOnTheTitleEndsTheGameWithStatusZero) {
    NewGame();
    Hold(kKeyEscape);
    EXPECT_EQ(ExitStatusOf([] { TitleScreens(); }), 0);
    EXPECT_FALSE(isRunning);
}

TEST_F(ScreensTest, TheExitButtonsEndTheGame) {
    NewGame();
    Click(600, 500);
    EXPECT_EQ(ExitStatusOf([] { TitleScreens(); }), 0);
}

TEST_F(ScreensTest, TheGameOverScreenShowsLevelAndScoreAndRestartsByItsButton) {
    BeginPlay();
    level = 4;
    score = 123456;
    menuDone = false;
    Click(100, 470);
    GameOverScreen();
    EXPECT_TRUE(menuDone);
    EXPECT_TRUE(Showed(screenImages.gameOver));
    const auto texts = Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "Level: 4");
    EXPECT_EQ(texts[0].x1, 20);
    EXPECT_EQ(texts[1].text, "Score: 123456");
    EXPECT_EQ(texts[1].x1, 580);
    EXPECT_EQ(texts[1].y1, 10);
    EXPECT_EQ(score, 0);
    EXPECT_EQ(damagePoints, 1);
}

TEST_F(ScreensTest, TheGameOverExitButtonEndsTheGame) {
    BeginPlay();
    menuDone = false;
    Click(500, 470);
    EXPECT_EQ(ExitStatusOf([] { GameOverScreen(); }), 0);
    EXPECT_TRUE(menuDone);
}

}  // namespace
