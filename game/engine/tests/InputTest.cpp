// Keys by DirectInput scan code and the mouse in 800 x 600 pixels.
#include "Engine3D.h"
#include "InputState.h"

#include <SDL_scancode.h>
#include <gtest/gtest.h>

#include <set>
#include <utility>

using namespace quarvex;

namespace {

TEST(InputTest, SdlScanCodesMapToDirectInputCodes) {
    struct Pair {
        SDL_Scancode sdl;
        int dik;
    };
    // The keys the game reads, and a few from each block of the keyboard.
    const Pair pairs[] = {
        {SDL_SCANCODE_ESCAPE, 1}, {SDL_SCANCODE_W, 17},    {SDL_SCANCODE_E, 18},
        {SDL_SCANCODE_R, 19},     {SDL_SCANCODE_T, 20},    {SDL_SCANCODE_LCTRL, 29},
        {SDL_SCANCODE_H, 35},     {SDL_SCANCODE_Z, 44},    {SDL_SCANCODE_X, 45},
        {SDL_SCANCODE_1, 2},      {SDL_SCANCODE_0, 11},    {SDL_SCANCODE_SPACE, 57},
        {SDL_SCANCODE_F1, 59},    {SDL_SCANCODE_F12, 88},  {SDL_SCANCODE_KP_0, 82},
        {SDL_SCANCODE_UP, 200},   {SDL_SCANCODE_DOWN, 208}, {SDL_SCANCODE_RCTRL, 157},
    };
    for (const Pair& p : pairs) EXPECT_EQ(Input3D::ScanCodeFromSdl(p.sdl), p.dik) << p.sdl;
    EXPECT_EQ(Input3D::ScanCodeFromSdl(SDL_SCANCODE_UNKNOWN), 0);
    EXPECT_EQ(Input3D::ScanCodeFromSdl(SDL_SCANCODE_AUDIOPLAY), 0);

    // No two SDL keys share a DirectInput code.
    std::set<int> seen;
    for (int code = 0; code < SDL_NUM_SCANCODES; ++code) {
        const int dik = Input3D::ScanCodeFromSdl(code);
        if (dik == 0) continue;
        EXPECT_TRUE(seen.insert(dik).second) << "DirectInput code " << dik << " twice";
        EXPECT_LT(dik, 256);
    }
    EXPECT_GE(seen.size(), 100u);
}

class InputStateTest : public ::testing::Test {
protected:
    void SetUp() override { Engine3D::Reset(); }
    void TearDown() override { Engine3D::Reset(); }

    // One frame of a menu: drawn and presented without reading relative motion.
    void MenuFrame() {
        engine.Clear(false);
        engine.Present();
    }
    // One playing frame: reads relative motion (returned) and presents.
    std::pair<int32_t, int32_t> PlayFrame() {
        int32_t dx = 0, dy = 0;
        engine.Clear(false);
        input.GetMouseMovement(dx, dy);
        engine.Present();
        return {dx, dy};
    }

    Engine3D engine;
    Input3D input;
};

TEST_F(InputStateTest, KeysAreHeldUntilReleased) {
    EXPECT_FALSE(input.IsKeyPressed(45));
    Input3D::SimulateKey(45, true);
    Input3D::SimulateKey(44, true);
    EXPECT_TRUE(input.IsKeyPressed(45));
    EXPECT_TRUE(input.IsKeyPressed(44));
    Input3D::SimulateKey(45, false);
    EXPECT_FALSE(input.IsKeyPressed(45));
    EXPECT_FALSE(input.IsKeyPressed(-1));
    EXPECT_FALSE(input.IsKeyPressed(256));
    Input3D::SimulateKey(999, true);  // ignored
}

TEST_F(InputStateTest, MousePositionButtonsAndMotion) {
    input.SetMousePosition(119, 176);
    int32_t x = 0, y = 0;
    bool b1 = true, b2 = true;
    input.GetMouseState(x, y, b1, b2);
    EXPECT_EQ(x, 119);
    EXPECT_EQ(y, 176);
    EXPECT_FALSE(b1);
    EXPECT_FALSE(b2);

    PlayFrame();  // relative motion counts from the frame after the first that reads it
    Input3D::SimulateMouseButton(1, true);
    Input3D::SimulateMouseMotion(10, -6);
    Input3D::SimulateMouseMotion(5, 0);
    input.GetMouseState(x, y, b1, b2);
    EXPECT_EQ(x, 134);
    EXPECT_EQ(y, 170);
    EXPECT_TRUE(b1);

    int32_t dx = 0, dy = 0, wheel = 0;
    bool b3 = true;
    input.GetMouseMovement(dx, dy, b1, b2, b3, wheel);
    EXPECT_EQ(dx, 15);
    EXPECT_EQ(dy, -6);
    EXPECT_TRUE(b1);
    EXPECT_FALSE(b3);
    input.GetMouseMovement(dx, dy);  // motion is consumed by reading it
    EXPECT_EQ(dx, 0);
    EXPECT_EQ(dy, 0);

    // The pointer stays inside the picture; motion keeps counting past the edge.
    Input3D::SimulateMouseMotion(5000, 5000);
    input.GetMouseState(x, y, b1, b2);
    EXPECT_EQ(x, 799);
    EXPECT_EQ(y, 599);
    input.GetMouseMovement(dx, dy);
    EXPECT_EQ(dx, 5000);
    input.SetMousePosition(-20, 900);
    input.GetMouseState(x, y, b1, b2);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 599);
}

TEST_F(InputStateTest, MotionOfTheFreePointerNeverReachesPlay) {
    using Motion = std::pair<int32_t, int32_t>;
    int32_t x = 0, y = 0;
    bool b1 = false, b2 = false;
    // Title screen: the pointer is placed, then moved about over several frames.
    input.SetMousePosition(119, 176);
    for (int frame = 0; frame < 5; ++frame) {
        Input3D::SimulateMouseMotion(60, -24);
        MenuFrame();
    }
    input.GetMouseState(x, y, b1, b2);
    EXPECT_EQ(x, 419);  // the menu pointer follows the motion
    EXPECT_EQ(y, 56);
    Input3D::SimulateMouseMotion(30, 30);  // after the last menu frame, before play reads

    // The first playing frame turns nothing; from the next one motion counts.
    EXPECT_EQ(PlayFrame(), Motion(0, 0));
    Input3D::SimulateMouseMotion(7, -3);
    EXPECT_EQ(PlayFrame(), Motion(7, -3));
    EXPECT_EQ(PlayFrame(), Motion(0, 0));

    // Game over, then a restart: the same again, also for motion gathered by a warp.
    input.SetMousePosition(44, 475);
    Input3D::SimulateMouseMotion(-40, 10);
    MenuFrame();
    input.SetMousePosition(119, 176);
    EXPECT_EQ(PlayFrame(), Motion(0, 0));
    Input3D::SimulateMouseMotion(5, 5);
    EXPECT_EQ(PlayFrame(), Motion(5, 5));

    // A warp during play drops the motion gathered before it.
    Input3D::SimulateMouseMotion(12, 0);
    input.SetMousePosition(400, 300);
    EXPECT_EQ(PlayFrame(), Motion(0, 0));
}

TEST(InputMotionTest, FractionsOfAPixelAddUpAcrossReads) {
    // Motion scaled into picture pixels arrives in fractions; none is lost or rounded up.
    detail::InputState input;
    input.captured = true;
    int dx = 0, dy = 0;
    input.AddMotion(0.6f, -1.5f);
    input.TakeMotion(dx, dy);
    EXPECT_EQ(dx, 0);
    EXPECT_EQ(dy, -1);
    input.AddMotion(0.6f, -0.5f);
    input.TakeMotion(dx, dy);
    EXPECT_EQ(dx, 1);
    EXPECT_EQ(dy, -1);
    EXPECT_NEAR(input.motionX, 0.2f, 1e-5f);
    EXPECT_NEAR(input.motionY, 0.0f, 1e-5f);
}

}  // namespace
