// The real game program started on SDL's offscreen display with the generated data: StartUp as
// the entry runs it, then scripted input through the engine. ExitGame and fatal errors throw
// instead of ending the process, so a test can run the menu and playing loops and observe the exit.
#pragma once

#include "variabili_globali.h"

#include <Engine3D.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace gametest {

// ExitGame's end of the process. Not a std::exception: no handler in the game takes it for a failure.
struct GameExit {
    int status;
};

struct FatalGameError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class GameProgram : public ::testing::Test {
protected:
    void SetUp() override { Start(ORVANE_DATA_DIR); }
    void TearDown() override;

public:

    // StartUp with the data of dataDir; frame pacing off, isRunning true as the entry sets it.
    void Start(const std::string& dataDir);
    // The run's set-up with X held, so that the title screen shows one frame and play starts.
    static void BeginPlay();
    // Plays frames until the first that ends the run (false), at most count; the frames played.
    static int PlayFrames(int count);

    // The status with which the call ended the game, or -1 when it returned.
    static int ExitStatusOf(const std::function<void()>& call);

    static void Hold(int32_t scanCode, bool down = true) { quarvex::Input3D::SimulateKey(scanCode, down); }
    // The pointer at (x, y) with the left button held.
    static void Click(int32_t x, int32_t y);
    static void ReleaseAll();

    // The drawings of the last presented frame showing the texture.
    static std::vector<quarvex::Draw2D> DrawingsOf(const std::shared_ptr<quarvex::Texture3D>& texture);
    // The texts of the last presented frame.
    static std::vector<quarvex::Draw2D> Texts();
    // Whether the sound was started and not stopped since (it may have ended already).
    static bool Sounded(orvane::GameSound sound);
    // Whether the last frame showed the screen image (title, help or game over) full screen.
    static bool Showed(const std::shared_ptr<quarvex::Texture3D>& screen);

private:
    orvane::FatalErrorHandler previousFatal_;
};

}  // namespace gametest
