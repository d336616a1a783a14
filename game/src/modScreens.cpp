#include "modScreens.h"

#include "CameraFPS.h"
#include "clsStarShips.h"
#include "clsTanks.h"
#include "modSubMain.h"
#include "modTextureFactory.h"
#include "routine_base.h"
#include "variabili_globali.h"

#include <Engine3D.h>
#include <qxsound/SoundDx8.h>
#include <qxsound/Enums8.h>
#include <qxsound/Error.h>

#include <string>
#include <utility>

namespace orvane {

using quarvex::Engine3D;
using quarvex::Globals3D;

namespace {

constexpr quarvex::Color kOpaqueWhite = 0xFFFFFFFF;
constexpr int32_t kPointerSize = 120;

MenuFrameHook& Hook() {
    static MenuFrameHook hook;
    return hook;
}

quarvex::Color White() { return Globals3D::RGBA(1, 1, 1, 1); }

// One pass of a menu: messages, the background, the game-over texts when asked for, the pointer,
// the scene, shown. Returns the pointer as drawn.
Pointer MenuPass(const std::shared_ptr<quarvex::Texture3D>& background, bool withScores) {
    if (Hook()) Hook()();
    Engine3D::ProcessMessages();
    engine->Clear(false);
    Shared2D().DrawTexture(background, 0, 0, 800, 600, kOpaqueWhite, 0);
    if (withScores) {
        screenText->DrawText("Level: " + std::to_string(level.Value()), 20, 10, White(), kFontName);
        screenText->DrawText("Score: " + std::to_string(score.Value()), 580, 10, White(), kFontName);
    }
    int32_t x = 0, y = 0;
    bool button1 = false, button2 = false;
    input->GetMouseState(x, y, button1, button2);
    const Pointer pointer = ClampPointer(x, y, button1);
    Shared2D().DrawTexture(screenImages.pointer, pointer.x, pointer.y, pointer.x + kPointerSize,
                           pointer.y + kPointerSize, kOpaqueWhite, 0);
    mainScene->RenderAll();
    engine->Present();
    return pointer;
}

bool Chosen(int32_t key, const ClickArea& area, const Pointer& pointer) {
    return input->IsKeyPressed(key) || (pointer.button1 && area.Contains(pointer.x, pointer.y));
}

// Exit: Escape, the area, or the window's close button.
bool ExitChosen(const ClickArea& area, const Pointer& pointer) {
    return Chosen(kKeyEscape, area, pointer) || Engine3D::QuitRequested();
}

void StartChosen() {
    menuDone = true;
    StopSound(GameSound::TitleMusic);
}

// The game-over sting sounds on the game-over screen: started again whenever it has ended, not
// restarted on every pass (that would only ever play its first instant).
void SoundGameOverSting() {
    const auto& sting = Sound(GameSound::GameOver);
    if (!sting) return;
    bool playing = false;
    try {
        playing = sting->PlayState() == qxsound::QX_PLAYSTATE_PLAYING;
    } catch (const qxsound::Error&) {
        // no segment loaded: Play does nothing
    }
    if (!playing) sting->Play();
}

// A new game after the craft was lost: the world's first-level look, a new craft, more enemies.
void Restart() {
    StopSound(GameSound::GameOver);
    StopSound(GameSound::EndMusic);
    menuDone = true;
    damagePercent = 0;
    score = 0;
    damagePoints = 1;
    isRunning = true;
    LoadTextures();
    CreateScene();
    CreateHudScreen();
    ResetLandscape();
    CreatePlayer();
    CreateMenuFont();
    LoadTitleImage();
    StopSound(GameSound::EndMusic);
    fleet->AddStarShips(3);
    fleet->AddFighters(4);
    fleet->AddBorg(1);
    tanks->AddTanks(3);
}

}  // namespace

MenuFrameHook SetMenuFrameHook(MenuFrameHook hook) { return std::exchange(Hook(), std::move(hook)); }

void CreateMenuFont() { Shared2D().CreateFont(kFontName, "Arial", 20, false, false, false); }

void DrawHud() {
    Shared2D().DrawTexture(screenImages.energyBar, 680, 430, 765 - damagePercent, 530, Globals3D::RGBA(1, 1, 1, 0.8f),
                           0);
    Shared2D().DrawTexture(screenImages.face, 650, 420, 780, 590, White(), 0);
    screenText->DrawText("Level: " + std::to_string(level.Value()), 20, 10, White(), kFontName);
    Checked<int32_t> speed{"speed", framesPerSecond};
    speed *= 10;
    screenText->DrawText("Speed: " + std::to_string(speed.Value()) + "Km/h", 580, 10, White(), kFontName);
    screenText->DrawText("Score: " + std::to_string(score.Value()), 360, 560, White(), kFontName);
    hudScreen->DrawTexture(Globals3D::GetTexture("vita"), 5, 440, 105, 590, kOpaqueWhite, 0);
    hudScreen->DrawTexture(Globals3D::GetTexture("logos"), 275, 10, 525, 110, kOpaqueWhite, 0);
}

void TitleScreens() {
    if (menuDone) return;
    Pointer pointer;
    for (bool toHelp = false; !toHelp;) {
        pointer = MenuPass(screenImages.title, false);
        if (Chosen(kKeyX, kTitleStart, pointer)) StartChosen();
        if (ExitChosen(kTitleExit, pointer)) {
            isRunning = false;
            screenFade->FadeOut(4000);
            ExitGame();
        }
        toHelp = Chosen(kKeyH, kTitleHelp, pointer);
        if (menuDone) return;
    }
    // A click that opened the help screen is not also a click on it: while that button stays
    // held, it does not count.
    bool openingClickHeld = pointer.button1;
    for (;;) {
        pointer = MenuPass(screenImages.help, false);
        openingClickHeld = openingClickHeld && pointer.button1;
        if (openingClickHeld) pointer.button1 = false;
        if (Chosen(kKeyX, kHelpStart, pointer)) StartChosen();
        if (ExitChosen(kHelpExit, pointer)) {
            menuDone = false;
            isRunning = false;
            screenFade->FadeOut(4000);
            ExitGame();
        }
        if (menuDone) return;
    }
}

void GameOverScreen() {
    while (!menuDone) {
        const Pointer pointer = MenuPass(screenImages.gameOver, true);
        SoundGameOverSting();
        if (ExitChosen(kGameOverExit, pointer)) {
            menuDone = true;
            isRunning = false;
            screenFade->FadeOut(5000);
            ExitGame();
        }
        if (Chosen(kKeyX, kGameOverRestart, pointer)) Restart();
    }
}

}  // namespace orvane
