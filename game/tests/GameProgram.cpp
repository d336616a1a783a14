#include "GameProgram.h"

#include "modGameLoop.h"
#include "modScreens.h"
#include "modSubMain.h"

#include <qxsound/SoundDx8.h>

#include <cstdlib>

namespace gametest {

using namespace orvane;
using quarvex::Draw2D;

void GameProgram::Start(const std::string& dataDir) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("ALSOFT_DRIVERS", "null", 0);
    quarvex::Engine3D::Reset();
    previousFatal_ = SetFatalErrorHandler([](const std::string& message) { throw FatalGameError(message); });
    SetExitHandler([](int status) { throw GameExit{status}; });
    programDirectory = dataDir;
    StartUp();
    engine->SetDisplayOption(quarvex::DISPLAY_FRAME_PACING, false);
    isRunning = true;
}

void GameProgram::TearDown() {
    ReleaseGame();
    SetExitHandler(nullptr);
    SetFatalErrorHandler(previousFatal_);
    quarvex::Engine3D::Reset();
}

void GameProgram::BeginPlay() {
    Hold(kKeyX);
    orvane::BeginRun();
    Hold(kKeyX, false);
}

int GameProgram::PlayFrames(int count) {
    for (int frame = 1; frame <= count; ++frame) {
        if (!PlayingFrame()) return frame;
    }
    return count;
}

int GameProgram::ExitStatusOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const GameExit& exit) {
        return exit.status;
    }
    return -1;
}

void GameProgram::Click(int32_t x, int32_t y) {
    input->SetMousePosition(x, y);
    quarvex::Input3D::SimulateMouseButton(1, true);
}

void GameProgram::ReleaseAll() {
    for (int32_t key = 0; key < 256; ++key) Hold(key, false);
    for (int32_t button = 1; button <= 3; ++button) quarvex::Input3D::SimulateMouseButton(button, false);
}

std::vector<Draw2D> GameProgram::DrawingsOf(const std::shared_ptr<quarvex::Texture3D>& texture) {
    std::vector<Draw2D> found;
    for (const Draw2D& d : quarvex::Engine3D::LastFrame2D()) {
        if (d.kind == Draw2D::Kind::Texture && d.texture == texture) found.push_back(d);
    }
    return found;
}

std::vector<Draw2D> GameProgram::Texts() {
    std::vector<Draw2D> found;
    for (const Draw2D& d : quarvex::Engine3D::LastFrame2D()) {
        if (d.kind == Draw2D::Kind::Text) found.push_back(d);
    }
    return found;
}

bool GameProgram::Sounded(GameSound sound) {
    const auto state = Sound(sound)->PlayState();
    return state == qxsound::QX_PLAYSTATE_PLAYING || state == qxsound::QX_PLAYSTATE_ENDED;
}

bool GameProgram::Showed(const std::shared_ptr<quarvex::Texture3D>& screen) {
    for (const Draw2D& d : DrawingsOf(screen)) {
        if (d.x1 == 0 && d.y1 == 0 && d.x2 == 800 && d.y2 == 600) return true;
    }
    return false;
}

}  // namespace gametest
