// The display's life and events through SDL's offscreen video driver: who closes it, how the game
// learns of the close button, where the pointer is in the picture, relative motion in picture
// pixels, frame pacing, the end of the process on a fatal error, and the memory of released
// meshes.
#include "Engine3D.h"
#include "EngineState.h"
#include "TestFiles.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <malloc.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>

using namespace quarvex;

namespace {

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        Engine3D::Reset();
    }
    void TearDown() override { Engine3D::Reset(); }

    // Opens the 800 x 600 picture on `engine`; false, with a failure recorded, without a display.
    static bool Open(Engine3D& engine) {
        try {
            engine.InitFullScreen(800, 600, 24, true, 0);
        } catch (const EngineError& e) {
            ADD_FAILURE() << "no display: " << e.what();
            return false;
        }
        engine.SetDisplayOption(DISPLAY_FRAME_PACING, false);
        return true;
    }

    // A playing frame in the game's order: presents, then reads relative motion (returned).
    std::pair<int32_t, int32_t> PlayFrame(Engine3D& engine) {
        int32_t dx = 0, dy = 0;
        engine.Clear(false);
        engine.Present();
        input.GetMouseMovement(dx, dy);
        return {dx, dy};
    }

    // Pointer motion by (xrel, yrel) to (x, y) of the window.
    static void PushMotion(int xrel, int yrel, int x = 10, int y = 10) {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
        e.motion.xrel = xrel;
        e.motion.yrel = yrel;
        e.motion.x = x;
        e.motion.y = y;
        SDL_PushEvent(&e);
    }

    // The picture's top left corner in the window and the window units per picture pixel.
    static void PictureInWindow(float& x, float& y, float& scale) {
        detail::State().display->PictureInWindow(x, y, scale);
    }

    Input3D input;
};

TEST_F(DisplayTest, OnlyTheEngineThatOpenedTheDisplayClosesIt) {
    auto owner = std::make_unique<Engine3D>();
    if (!Open(*owner)) return;
    { Engine3D other; }  // a second handle made and dropped elsewhere in the game
    EXPECT_TRUE(Engine3D::HasDisplay());
    owner.reset();
    EXPECT_FALSE(Engine3D::HasDisplay());
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);  // window and context gone with it
}

TEST_F(DisplayTest, TheCloseButtonAndQuitAreReportedToTheGame) {
    Engine3D engine;
    if (!Open(engine)) return;
    Engine3D::ProcessMessages();
    EXPECT_FALSE(Engine3D::QuitRequested());
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
    SDL_PushEvent(&close);
    Engine3D::ProcessMessages();
    EXPECT_TRUE(Engine3D::QuitRequested());
    engine.Present();
    EXPECT_TRUE(Engine3D::QuitRequested());  // it stays until the game has left

    Engine3D::Reset();
    Engine3D again;
    if (!Open(again)) return;
    EXPECT_FALSE(Engine3D::QuitRequested());
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    again.Present();
    EXPECT_TRUE(Engine3D::QuitRequested());
}

TEST_F(DisplayTest, RelativeMotionIsCountedInPicturePixelsAndOnlyWhileCaptured) {
    Engine3D engine;
    if (!Open(engine)) return;
    float x = 0, y = 0, scale = 1;
    PictureInWindow(x, y, scale);

    PushMotion(300, 300);  // the free pointer on a menu
    engine.Clear(false);
    engine.Present();
    PushMotion(50, 50);
    // The first frames of play, until the pointer is captured: nothing.
    EXPECT_EQ(PlayFrame(engine), std::make_pair(0, 0));
    PushMotion(50, 50);
    EXPECT_EQ(PlayFrame(engine), std::make_pair(0, 0));
    // Captured: 100 picture pixels of motion, whatever the window's scale.
    PushMotion(static_cast<int>(std::lround(100 * scale)), static_cast<int>(std::lround(-50 * scale)));
    const auto [dx, dy] = PlayFrame(engine);
    EXPECT_NEAR(dx, 100, 1);
    EXPECT_NEAR(dy, -50, 1);
}

TEST_F(DisplayTest, ThePointerIsMappedIntoThePictureWhereverItIsShown) {
    Engine3D engine;
    if (!Open(engine)) return;
    float x = 0, y = 0, scale = 1;
    PictureInWindow(x, y, scale);
    int w = 0, h = 0;
    SDL_GetWindowSize(SDL_GL_GetCurrentWindow(), &w, &h);
    const std::string renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (renderer.find("llvmpipe") != std::string::npos && w >= 800 && h >= 600) {
        // Drawn in software, the picture is not scaled: pixel for pixel in the middle.
        EXPECT_FLOAT_EQ(scale, 1.0f);
        EXPECT_FLOAT_EQ(x, static_cast<float>((w - 800) / 2));
        EXPECT_FLOAT_EQ(y, static_cast<float>((h - 600) / 2));
    }
    int32_t px = 0, py = 0;
    bool b1 = false, b2 = false;
    PushMotion(1, 1, static_cast<int>(std::lround(x + 100 * scale)), static_cast<int>(std::lround(y + 50 * scale)));
    Engine3D::ProcessMessages();
    input.GetMouseState(px, py, b1, b2);
    EXPECT_NEAR(px, 100, 1);
    EXPECT_NEAR(py, 50, 1);
    PushMotion(-1, -1, 0, 0);  // on the border: the picture's corner
    Engine3D::ProcessMessages();
    input.GetMouseState(px, py, b1, b2);
    EXPECT_EQ(px, 0);
    EXPECT_EQ(py, 0);
}

TEST_F(DisplayTest, AFatalErrorReleasesTheEngineThenPrintsOneLineAndExitsWithStatus1) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Engine3D engine;
            if (Open(engine)) {
                PlayFrame(engine);
                PlayFrame(engine);  // the pointer is captured now
                std::atexit([] {
                    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) std::fputs("display still open\n", stderr);
                });
                Engine3D::EndProcessWithError("Cannot load the texture \"x.jpg\":\nthe file is missing");
            }
        },
        ::testing::ExitedWithCode(1),
        "^engine_tests: Cannot load the texture \"x\\.jpg\": the file is missing\n$");
}

TEST_F(DisplayTest, EndProcessReleasesTheEngineAndExitsWithTheStatus) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Engine3D engine;
            if (Open(engine)) {
                std::atexit([] {
                    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) std::fputs("display still open\n", stderr);
                });
                Engine3D::EndProcess(0);
            }
        },
        ::testing::ExitedWithCode(0), "^$");
}

TEST_F(DisplayTest, PacedFramesAreShownNoFasterThanSixtyASecond) {
    Engine3D engine;
    if (!Open(engine)) return;
    engine.SetDisplayOption(DISPLAY_FRAME_PACING, true);
    // Empty frames take a fraction of a 60th of a second to draw: only the pacing holds them.
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame <= 30; ++frame) {
        engine.Clear(false);
        engine.Present();
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed.count(), 30 / 60.0);
}

// The craft's meshes are made and released at every restart: with the renderer drawing them, the
// memory stays flat (the buffers of a released mesh go with it).
TEST_F(DisplayTest, MeshesMadeAndReleasedAHundredTimesKeepTheMemoryFlat) {
    Engine3D engine;
    if (!Open(engine)) return;
    Scene3D scene;
    scene.SetCamera(0, 0, 0, 0, 0, 100);
    auto cycle = [&] {
        // More triangles than a batched mesh has, so the mesh gets buffers of its own.
        auto mesh = scene.CreateMesh("Camera");
        for (int i = 0; i < 200; ++i) {
            const float y = -20 + i * 0.2f;
            mesh->AddTriangle(nullptr, -10, y, 100, 10, y, 100, 10, y + 0.2f, 100, 1, 1, -1, 0);
        }
        mesh->FinishGeometry();
        auto projectile = scene.CreateMesh("Projectile");
        projectile->AddTriangle(nullptr, -1, -1, 50, 1, -1, 50, 1, 1, 50, 1, 1, -1, 0);
        projectile->FinishGeometry();
        for (int frame = 0; frame < 2; ++frame) {
            engine.Clear(false);
            scene.RenderAll();
            engine.Present();
        }
    };
    // The driver's own pools grow over the first hundred frames or so.
    for (int i = 0; i < 80; ++i) cycle();
    const size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 100; ++i) cycle();
    const size_t after = mallinfo2().uordblks;
    EXPECT_EQ(scene.MeshCount(), 0);
    // Kept, the hundred meshes would hold about 2 MB (vertices on both sides of the driver).
    EXPECT_LT(after, before + 256 * 1024) << "grew by " << (after - before) << " bytes";
}

}  // namespace
