// Keys and mouse during play: the key commands, firing, steering, and the edges of the play area.
#include "GameProgram.h"

#include "CameraFPS.h"
#include "modGameLoop.h"
#include "modInput.h"
#include "modScreens.h"

#include <qxsound/SoundDx8.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace {

using namespace orvane;
using gametest::GameExit;
using gametest::GameProgram;

constexpr int32_t kKeyZ = 44, kKeyE = 18, kKeyW = 17, kKeyR = 19, kKeyT = 20, kKeyLeftCtrl = 29;

class PlayInputTest : public GameProgram {
protected:
    void SetUp() override {
        GameProgram::SetUp();
        BeginPlay();
        PlayFrames(2);
    }
    // The craft's carrier at (x, z), followed by the camera.
    static void PlaceCraft(float x, float z) {
        Player->SetPosition(x, z);
        Player->Move(0.95f);
    }
    static Vector3 Carrier() { return Player->GetCarrierMesh()->GetPosition(); }
    // The craft's heading in radians (0 along +z, positive to the right).
    static float Heading() {
        const auto m = Player->GetCarrierMesh()->GetMatrix();
        return std::atan2(m.m31, m.m33);
    }
};

TEST_F(PlayInputTest, KeyPairsChangeKillsAndDamage) {
    damagePoints = 5;
    Hold(kKeyZ);
    Hold(kKeyX);
    ReadKeys();
    EXPECT_EQ(damagePoints, -5);
    ReadKeys();  // nothing below zero
    EXPECT_EQ(damagePoints, -5);
    ReleaseAll();
    Hold(kKeyE);
    Hold(kKeyW);
    ReadKeys();
    EXPECT_EQ(damagePoints, 5);
    ReleaseAll();
    Hold(kKeyR);  // R alone does nothing
    ReadKeys();
    EXPECT_EQ(killsThisLevel, 0);
    Hold(kKeyT);
    ReadKeys();
    ReadKeys();
    EXPECT_EQ(killsThisLevel, 2);
}

TEST_F(PlayInputTest, DamageOverflowEndsTheGame) {
    damagePoints = 32760;
    Hold(kKeyE);
    Hold(kKeyW);
    EXPECT_THROW(ReadKeys(), gametest::FatalGameError);
}

TEST_F(PlayInputTest, LeftCtrlWritesTheScreenshotIntoTheHomeDirectory) {
    const auto home = std::filesystem::temp_directory_path() / "orvane_screenshot_home";
    std::filesystem::create_directories(home);
    std::filesystem::remove(home / "00000.bmp");
    setenv("HOME", home.c_str(), 1);
    Hold(kKeyLeftCtrl);
    ReadKeys();
    EXPECT_GT(std::filesystem::file_size(home / "00000.bmp"), 800u * 600u * 3u);
}

TEST_F(PlayInputTest, TheCraftFliesForwardUnlessTheRightButtonIsHeld) {
    PlaceCraft(1000, 1000);
    ReadMouse();
    EXPECT_NEAR(Carrier().z, 1004.0f, 1e-3f);
    quarvex::Input3D::SimulateMouseButton(2, true);
    ReadMouse();
    EXPECT_NEAR(Carrier().z, 1004.0f, 1e-3f);
}

TEST_F(PlayInputTest, TheMouseTurnsAndTiltsInRadiansAHundredthOfItsMotion) {
    PlaceCraft(1000, 1000);
    const float before = Heading();
    ReadMouse();  // the first read captures the pointer; motion counts from the next frame on
    PlayingFrame();
    quarvex::Input3D::SimulateMouseMotion(30, 0);
    ReadMouse();
    EXPECT_NEAR(Heading() - before, 0.30f, 1e-3f);
}

TEST_F(PlayInputTest, TheLeftButtonFiresWithItsSound) {
    PlaceCraft(1000, 1000);
    quarvex::Input3D::SimulateMouseButton(1, true);
    ReadMouse();
    EXPECT_TRUE(Player->GetProjectileMesh()->IsShown());
    EXPECT_TRUE(Sounded(GameSound::Launch));
}

TEST_F(PlayInputTest, BeyondTheFarEdgeTheCraftIsTurnedAndPutBack) {
    PlaceCraft(1000, 1960);
    damagePoints = 10;
    ReadMouse();
    EXPECT_EQ(damagePoints, 10);  // at z 1960 still inside
    PlaceCraft(700, 1961);
    const float before = Heading();
    ReadMouse();
    EXPECT_EQ(damagePoints, 13);
    EXPECT_NEAR(Heading() - before, -0.45f, 1e-3f);
    // Put back at (1000, 100), then the frame's forward motion of 4 along the new heading.
    EXPECT_NEAR(Carrier().x, 1000.0f + 4.0f * std::sin(Heading()), 1e-2f);
    EXPECT_NEAR(Carrier().z, 100.0f + 4.0f * std::cos(Heading()), 1e-2f);
    EXPECT_TRUE(Sounded(GameSound::Alarm));
    // The explosion billboard stands on the ground under the camera.
    const Vector3 flash = explosionBillboard->GetPosition();
    EXPECT_NEAR(flash.x, 700.0f, 1e-3f);
    EXPECT_NEAR(flash.z, 1961.0f, 1e-3f);
    EXPECT_NEAR(flash.y, Land->GetHeight(700.0f, 1961.0f), 1e-3f);
}

TEST_F(PlayInputTest, BeyondTheLeftEdgeTheCraftTurnsEveryFrameUntilBackInside) {
    PlaceCraft(50, 1000);
    damagePoints = 0;
    const float before = Heading();
    ReadMouse();
    Player->Move(0.95f);
    ReadMouse();
    EXPECT_EQ(damagePoints, 6);
    EXPECT_NEAR(Heading() - before, 0.90f, 1e-3f);
    EXPECT_LT(Carrier().x, 60.0f);  // only turned, not put back
    // A craft with a count below zero takes no boundary damage.
    damagePoints = -4;
    PlaceCraft(40, 1000);
    ReadMouse();
    EXPECT_EQ(damagePoints, -4);
}

TEST_F(PlayInputTest, EscapeEndsTheGameWithoutTheGameOverScreen) {
    Hold(kKeyEscape);
    EXPECT_EQ(ExitStatusOf([] { ReadInput(); }), 0);
    EXPECT_FALSE(Showed(screenImages.gameOver));
}

}  // namespace
