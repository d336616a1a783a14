// The start-up as the entry runs it: what it creates, where the data is found, and a game that
// runs without its sound files.
#include "GameProgram.h"
#include "TestData.h"

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

namespace fs = std::filesystem;
using namespace orvane;
using gametest::GameProgram;

using StartUpTest = GameProgram;

TEST_F(StartUpTest, CreatesTheWindowTheSoundsTheEffectsAndTheFirstEnemies) {
    EXPECT_TRUE(quarvex::Engine3D::HasDisplay());
    EXPECT_EQ(quarvex::detail::State().title, "Orvane 2020 the Sun");
    EXPECT_TRUE(soundEngine);
    for (const auto& sound : sounds) ASSERT_TRUE(sound);
    EXPECT_EQ(screenImages.title->Width(), 800);
    EXPECT_EQ(screenImages.face->Width(), 120);
    EXPECT_EQ(screenImages.face->Height(), 170);
    EXPECT_EQ(screenImages.energyBar->Width(), 240);
    EXPECT_GT(bonusStation->TriangleCount(), 0);
    EXPECT_TRUE(flameBillboard->Data()->effect);
    EXPECT_TRUE(explosionBillboard->Data()->effect);
    EXPECT_EQ(tankModelPath, ProgramFile("2.3ds"));
    // 1 borg, 3 starships, 4 fighters, in this order, and 3 tanks.
    std::vector<int32_t> types;
    for (const auto& ship : *fleet) types.push_back(ship->GetShipType());
    EXPECT_EQ(types, (std::vector<int32_t>{2, 1, 1, 1, 3, 3, 3, 3}));
    EXPECT_EQ(tanks->Count(), 3);
}

TEST_F(StartUpTest, TheDataIsFoundBesideTheProgram) {
    // The test program lives where the game's data was generated.
    EXPECT_EQ(fs::path(FindProgramDirectory()), fs::path(ORVANE_DATA_DIR).lexically_normal());
}

TEST_F(StartUpTest, AMissingDataFileIsNamedInTheError) {
    ReleaseGame();
    const fs::path dir = gametest::DataWithout("orvane_missing_help", ORVANE_DATA_DIR,
                                               [](const fs::path& file) { return file.filename() == "help.jpg"; });
    try {
        Start(dir.string());
        FAIL() << "the start-up did not fail";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("help.jpg"), std::string::npos) << e.what();
    }
}

// The data without any sound file: the game starts and plays silently.
class SilentStartUpTest : public GameProgram {
protected:
    void SetUp() override {
        Start(gametest::DataWithout("orvane_without_sounds", ORVANE_DATA_DIR, [](const fs::path& file) {
                  return file.extension() == ".wav" || file.extension() == ".mid";
              }).string());
    }
};

TEST_F(SilentStartUpTest, TheGameStartsAndPlaysWithoutItsSoundFiles) {
    BeginPlay();
    killsSinceAlarm = 4;
    killsThisLevel = 10;
    EXPECT_EQ(PlayFrames(30), 30);
    EXPECT_EQ(level, 2);
    quarvex::Input3D::SimulateMouseButton(1, true);
    EXPECT_EQ(PlayFrames(5), 5);
    ReleaseAll();
    damagePoints = 401;
    Hold(kKeyX);
    EXPECT_EQ(PlayFrames(1), 1);  // lost, and restarted on the game-over screen
    for (const auto& sound : sounds) EXPECT_FALSE(sound->Play());  // nothing loaded: silent
}

}  // namespace
