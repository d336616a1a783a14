#include "modGameLoop.h"

#include "CameraFPS.h"
#include "clsStarShips.h"
#include "clsTanks.h"
#include "modInput.h"
#include "modScreens.h"
#include "modSubMain.h"
#include "routine_base.h"
#include "variabili_globali.h"

#include <Engine3D.h>
#include <dynamora/modMathAndPhysicsGlobal.h>
#include <qxsound/SoundDx8.h>

#include <cmath>
#include <string>

namespace orvane {

namespace {

constexpr float kEnemyStep = 0.9f;
constexpr float kPlayerStep = 0.95f;
constexpr float kLostPercent = 80.0f;  // more damage than this loses the craft
constexpr int32_t kKillsPerLevel = 10;
constexpr int32_t kKillsPerAlarm = 4;

void PlayLooped(GameSound which) {
    if (const auto& sound = Sound(which)) {
        sound->RepeatsOfLoopingPortion(-1);
        sound->Play();
    }
}

void PlayLevelMusic() {
    if (musLevel) musLevel->Play();
}

void StopLevelMusic() {
    if (musLevel) musLevel->Stop_();
}

// The craft is lost: the game-over screen, with its music, until the player leaves or restarts.
void LoseCraft() {
    engine->SetIdleMode(0);
    screenFade->FadeIn(4000);
    StopLevelMusic();
    musLevel.reset();
    StopEffectSounds();
    SharedTextureLoader().SetLoadMode(1);
    PlayLooped(GameSound::EndMusic);
    input->SetMousePosition(44, 475);
    menuDone = false;
    GameOverScreen();
}

}  // namespace

void StopEffectSounds(bool withAlarm) {
    for (GameSound sound : {GameSound::Explosion, GameSound::Launch, GameSound::Crash, GameSound::Crash1,
                            GameSound::Start, GameSound::Alarm, GameSound::Outside, GameSound::Bonus}) {
        if (sound != GameSound::Alarm || withAlarm) StopSound(sound);
    }
}

void RunGame() {
    do {
        BeginRun();
        while (isRunning && PlayingFrame()) {
        }
    } while (isRunning);
}

void BeginRun() {
    musLevel = CreateGameSound();
    levelEnding = false;
    CreatePlayer();
    NewGame();
    TitleScreens();
    screenFade->FadeIn(4000);
    if (musLevel) musLevel->RepeatsOfLoopingPortion(-1);
    PlayLevelMusic();
    PlaySound(GameSound::Start);
    bonusStation->SetPosition(1600, 100, 1400);
}

bool PlayingFrame() {
    framesPerSecond = static_cast<int32_t>(std::lrint(engine->GetFramesPerSecond()));  // ties to even
    quarvex::Engine3D::ProcessMessages();
    engine->Clear(false);
    mainScene->RenderSky();
    RenderTerrain();
    damagePercent = static_cast<float>(damagePoints.Value() * 0.2);
    DrawHud();
    if (damagePercent > kLostPercent) levelEnding = true;
    // Two hits may come between these tests (a shot and R+T): the level ends once ten are reached,
    // and the alarm comes once four are, rather than never.
    if (killsThisLevel >= kKillsPerLevel) levelEnding = true;
    tanks->Move(kEnemyStep);
    fleet->Move(kEnemyStep);
    if (killsThisLevel >= kKillsPerLevel) AdvanceLevel();
    mainScene->RenderAll();
    RequirePlayer().Move(kPlayerStep);
    CheckHazards();
    if (killsSinceAlarm >= kKillsPerAlarm) AlarmEvent();
    engine->Present();
    ReadInput();
    if (damagePercent > kLostPercent) {
        LoseCraft();
        return false;
    }
    return true;
}

void NewGame() {
    if (musLevel) musLevel->Load(ProgramFile("\\1.mid"));
    ResetGameVariables();
    PreloadNextLevelAssets();
    bonusStation->SetMeshFlag(true);
    menuDone = false;
    SharedTextureLoader().SetLoadMode(1);
    PlayLooped(GameSound::TitleMusic);
    input->SetMousePosition(119, 176);
    screenFade->FadeIn(4000);
}

void AdvanceLevel() {
    levelEnding = false;
    tanks->AddTanks(3);
    fleet->AddStarShips(3);
    fleet->AddFighters(4);
    StopLevelMusic();
    PlaySound(GameSound::LevelOk);
    level += 1;
    themeIndex = NextThemeIndex(themeIndex.Value());
    shipPoints1 += 300;
    shipPoints3 += 300;
    tankPoints += 300;
    killsThisLevel = 0;
    Checked<int32_t> levelBonus{"level bonus", level.Value()};
    levelBonus *= 25000;
    score += levelBonus;
    LoadLevelAssets();
    if (musLevel) musLevel->Load(ProgramFile("/" + std::to_string(themeIndex.Value()) + ".mid"));
    PlayLevelMusic();
}

void AlarmEvent() {
    damagePoints += 20;
    StopLevelMusic();
    StopEffectSounds(false);
    PlaySound(GameSound::Alarm);
    killsSinceAlarm = 0;
    PlayLevelMusic();
}

void CheckHazards() {
    using namespace dynamora;
    const CameraFPS& player = RequirePlayer();
    const Vector3 eye = player.GetCameraPosition();
    const Vector3 end = VectorAdd(eye, player.GetAimVector());
    const bool flame = flameBillboard->IntersectsSegment(eye, end, 3);
    const bool explosion = explosionBillboard->IntersectsSegment(eye, end, 3);
    if (flame || explosion) {
        PlaySound(GameSound::Crash1);
        if (damagePoints > 0) damagePoints += 5;
    }
}

}  // namespace orvane
