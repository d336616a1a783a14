// The playing loop over the real start-up: the frame's order, level completion, the alarm, the
// loss of the craft with the game-over screen and its restart, and the ways out.
#include "GameProgram.h"

#include "CameraFPS.h"
#include "clsStarShips.h"
#include "clsTanks.h"
#include "modGameLoop.h"
#include "modScreens.h"
#include "modSubMain.h"

#include <EngineState.h>
#include <qxsound/SoundDx8.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace orvane;
using gametest::GameExit;
using gametest::GameProgram;
using quarvex::Globals3D;

std::string FileOf(const char* texture) {
    return std::filesystem::path(Globals3D::GetTexture(texture)->FileName()).filename().string();
}

// The right edge of the energy bar in the last frame.
float EnergyBarRight() {
    const auto bars = GameProgram::DrawingsOf(screenImages.energyBar);
    return bars.size() == 1 ? bars[0].x2 : -1.0f;
}

class GameLoopTest : public GameProgram {
protected:
    void SetUp() override {
        GameProgram::SetUp();
        BeginPlay();
    }
};

TEST_F(GameLoopTest, PlayStartsWithTheFirstLevelSetAndTheStationPlaced) {
    EXPECT_EQ(level, 1);
    EXPECT_EQ(themeIndex, 1);
    EXPECT_EQ(score, 0);
    EXPECT_EQ(damagePoints, 1);
    EXPECT_TRUE(menuDone);
    EXPECT_EQ(fleet->Count(), 8);  // 1 borg, 3 starships, 4 fighters
    EXPECT_EQ(tanks->Count(), 3);
    const Vector3 station = bonusStation->GetPosition();
    EXPECT_EQ(station.x, 1600);
    EXPECT_EQ(station.z, 1400);
    EXPECT_TRUE(Showed(screenImages.title));  // the one title frame before play
    EXPECT_TRUE(Sounded(GameSound::Start));
    EXPECT_EQ(Sound(GameSound::TitleMusic)->PlayState(), qxsound::QX_PLAYSTATE_STOPPED);
    ASSERT_TRUE(musLevel);
    EXPECT_EQ(musLevel->PlayState(), qxsound::QX_PLAYSTATE_PLAYING);
    EXPECT_EQ(quarvex::detail::State().title, "Orvane 2020 the Sun");
}

TEST_F(GameLoopTest, TheHudShowsTheDamageOfTheFramesStart) {
    damagePoints = 100;   // 20 percent
    killsSinceAlarm = 4;  // the alarm adds 20 points late in the frame
    ASSERT_TRUE(PlayingFrame());
    EXPECT_FLOAT_EQ(EnergyBarRight(), 745.0f);
    const int32_t after = damagePoints;  // an enemy may have rammed the craft too
    EXPECT_GE(after, 120);
    EXPECT_FLOAT_EQ(damagePercent, 20.0f);
    ASSERT_TRUE(PlayingFrame());
    EXPECT_FLOAT_EQ(EnergyBarRight(), 765.0f - static_cast<float>(after * 0.2));
}

TEST_F(GameLoopTest, TheCraftIsLostAboveEightyPercent) {
    damagePoints = 400;  // exactly 80 percent
    ASSERT_TRUE(PlayingFrame());
    EXPECT_FALSE(Showed(screenImages.gameOver));

    damagePoints = 401;
    Hold(kKeyX);  // restart at once on the game-over screen
    EXPECT_FALSE(PlayingFrame());
    EXPECT_TRUE(Showed(screenImages.gameOver));
    EXPECT_TRUE(levelEnding);
    EXPECT_FALSE(musLevel);
    EXPECT_EQ(damagePoints, 1);
    EXPECT_EQ(score, 0);
    EXPECT_TRUE(isRunning);
}

TEST_F(GameLoopTest, CompletedLevelsAddPointsEnemiesAndTheNextLook) {
    killsThisLevel = 10;
    ASSERT_TRUE(PlayingFrame());
    EXPECT_EQ(level, 2);
    EXPECT_EQ(themeIndex, 2);
    EXPECT_GE(score, 50000);
    EXPECT_EQ(killsThisLevel, 0);
    EXPECT_EQ(shipPoints1, 900);
    EXPECT_EQ(shipPoints3, 1200);
    EXPECT_EQ(tankPoints, 800);
    EXPECT_EQ(fleet->Count(), 15);
    EXPECT_EQ(tanks->Count(), 6);
    EXPECT_EQ(FileOf("Front"), "c2.jpg");
    EXPECT_EQ(FileOf("Top"), "c2.jpg");
    EXPECT_EQ(FileOf("Terrain2"), "e2.jpg");
    EXPECT_FLOAT_EQ(Land->GetLandscapeFactor(), 3.0f);
    EXPECT_TRUE(Sounded(GameSound::LevelOk));

    score = 0;
    AdvanceLevel();
    EXPECT_EQ(score, 75000);
    EXPECT_EQ(level, 3);
}

TEST_F(GameLoopTest, ALevelWhoseCountPassesTenInOneFrameStillEnds) {
    killsThisLevel = 11;
    killsSinceAlarm = 5;
    ASSERT_TRUE(PlayingFrame());
    EXPECT_EQ(level, 2);
    EXPECT_EQ(killsThisLevel, 0);
    EXPECT_EQ(killsSinceAlarm, 0);
}

TEST_F(GameLoopTest, ThemesRunFromElevenBackToTwoWhileLevelsCountOn) {
    level = 11;
    themeIndex = 11;
    AdvanceLevel();
    EXPECT_EQ(level, 12);
    EXPECT_EQ(themeIndex, 2);
    EXPECT_EQ(FileOf("Back"), "c2.jpg");
    EXPECT_EQ(score, 12 * 25000);
}

TEST_F(GameLoopTest, TheLevelEndsBeforeTheCraftIsLostInTheSameFrame) {
    killsThisLevel = 10;
    damagePoints = 401;
    Hold(kKeyX);
    EXPECT_FALSE(PlayingFrame());
    EXPECT_EQ(level, 2);  // the restart's NewGame sets it back later
    EXPECT_TRUE(Showed(screenImages.gameOver));
}

TEST_F(GameLoopTest, TheFourthHitRaisesTheAlarm) {
    killsSinceAlarm = 3;
    damagePoints = 50;
    ASSERT_TRUE(PlayingFrame());
    EXPECT_EQ(killsSinceAlarm, 3);
    killsSinceAlarm += 1;
    ASSERT_TRUE(PlayingFrame());
    EXPECT_EQ(killsSinceAlarm, 0);
    EXPECT_GE(damagePoints, 70);
    EXPECT_TRUE(Sounded(GameSound::Alarm));
    EXPECT_EQ(musLevel->PlayState(), qxsound::QX_PLAYSTATE_PLAYING);
}

TEST_F(GameLoopTest, TheHazardBillboardsCostFivePointsOnceAFrame) {
    PlayFrames(2);
    const Vector3 eye = Player->GetCameraPosition();
    const Vector3 aim = Player->GetAimVector();
    const Vector3 at{eye.x + aim.x * 0.5f, eye.y + aim.y * 0.5f, eye.z + aim.z * 0.5f};
    flameBillboard->SetPosition(at.x, at.y, at.z);
    explosionBillboard->SetPosition(at.x, at.y, at.z);
    damagePoints = 10;
    CheckHazards();
    EXPECT_EQ(damagePoints, 15);
    EXPECT_TRUE(Sounded(GameSound::Crash1));
    damagePoints = 0;  // no damage is added to an undamaged craft
    CheckHazards();
    EXPECT_EQ(damagePoints, 0);
}

TEST_F(GameLoopTest, EscapeEndsThePlayWithStatusZero) {
    Hold(kKeyEscape);
    EXPECT_EQ(ExitStatusOf([] { PlayingFrame(); }), 0);
    EXPECT_FALSE(isRunning);
    EXPECT_FALSE(engine);  // released before the end
}

TEST_F(GameLoopTest, TheCloseButtonLeavesLikeEscape) {
    quarvex::Input3D::SimulateQuit();
    EXPECT_EQ(ExitStatusOf([] { PlayingFrame(); }), 0);
}

TEST_F(GameLoopTest, ARestartReturnsToTheTitleWithTheFirstLevelsLook) {
    AdvanceLevel();
    AdvanceLevel();
    ASSERT_EQ(FileOf("Front"), "c3.jpg");
    damagePoints = 401;
    Hold(kKeyX);
    ASSERT_FALSE(PlayingFrame());
    Hold(kKeyX, false);
    // The title screen again: it waits for a choice, so choose Start by its key after one frame.
    ReleaseAll();
    Hold(kKeyX);
    BeginRun();
    EXPECT_TRUE(Showed(screenImages.title));
    EXPECT_EQ(level, 1);
    EXPECT_EQ(themeIndex, 1);
    EXPECT_EQ(FileOf("Front"), "Back3.jpg");
    EXPECT_EQ(FileOf("Down"), "top3.jpg");
    const auto& state = quarvex::detail::State();
    EXPECT_EQ(state.sky[0], Globals3D::GetTexture("Front"));
    for (const auto& chunk : state.terrain.chunkTextures) EXPECT_EQ(chunk, Globals3D::GetTexture("terrain"));
    EXPECT_EQ(FileOf("terrain"), "e1.jpg");
    EXPECT_FLOAT_EQ(Land->GetLandscapeFactor(), 0.4f);
    // The lost game's enemies stay and a new first-level set joins them.
    EXPECT_EQ(fleet->Count(), 8 + 2 * 7 + 8);
    EXPECT_EQ(tanks->Count(), 3 + 2 * 3 + 3);
}

TEST_F(GameLoopTest, RestartsLeaveNoMeshesOfEarlierCraftsBehind) {
    const auto meshesBesidesEnemies = [] {
        return mainScene->MeshCount() - fleet->Count() - tanks->Count();
    };
    PlayFrames(1);
    const int32_t first = meshesBesidesEnemies();
    for (int restart = 0; restart < 10; ++restart) {
        damagePoints = 401;
        Hold(kKeyX);
        ASSERT_FALSE(PlayingFrame());
        BeginPlay();
        PlayFrames(1);
        EXPECT_EQ(meshesBesidesEnemies(), first) << "after restart " << restart + 1;
    }
}

}  // namespace
