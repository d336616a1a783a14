#include "modSubMain.h"

#include "CameraFPS.h"
#include "clsStarShips.h"
#include "clsTanks.h"
#include "modGameLoop.h"
#include "modScreens.h"
#include "modTextureFactory.h"
#include "routine_base.h"
#include "variabili_globali.h"

#include <Engine3D.h>
#include <qxsound/SoundDx8.h>
#include <qxsound/SoundEngine8.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <utility>

#ifndef ORVANE_DATA_FROM_BIN
#define ORVANE_DATA_FROM_BIN "../share/orvane"
#endif

namespace orvane {

namespace fs = std::filesystem;
using quarvex::Globals3D;

namespace {

constexpr const char* kWindowTitle = "Orvane 2020 the Sun";
constexpr const char* kDataMarker = "land_map.jpg";

ExitHandler& ExitHandlerSlot() {
    static ExitHandler handler;
    return handler;
}

// The sound engine and the twelve sounds. Without an audio device the engine cannot be made:
// the game then says so once and runs silently.
void CreateSounds() {
    try {
        soundEngine = std::make_shared<qxsound::SoundEngine8>();
    } catch (const qxsound::Error& e) {
        std::fprintf(stderr, "orvane: no sound: %s\n", e.what());
        return;
    }
    for (auto& sound : sounds) sound = std::make_shared<qxsound::SoundDx8>();
    for (size_t i = 0; i < sounds.size(); ++i) sounds[i]->Load(ProgramFile(kGameSoundFiles[i]));
}

std::shared_ptr<quarvex::Texture3D> LoadScreenImage(const char* file, int32_t width, int32_t height,
                                                     quarvex::Color colorKey) {
    return SharedTextureLoader().LoadTexture(file, "", width, height, colorKey, true);
}

// The flame and explosion billboards, the shader file and the bonus station.
void CreateEffects() {
    effectsScene = std::make_shared<quarvex::Scene3D>();
    flameBillboard = effectsScene->CreateBillboard(nullptr, 1000, 15, 20, 20, 40, "", 0, 0, 0, true);
    explosionBillboard = effectsScene->CreateBillboard(nullptr, 1150, 50, 0, 40, 40, "", 0, 0, 0, true);
    effectsScene->LoadShaderFile("common.shader");
    stationTexture = quarvex::TextureFactory3D().LoadTexture("copertura.jpg", "", -1, -1, 0, true);
    bonusStation = effectsScene->CreateMesh("");
    bonusStation->Load3DS("fermo00.3ds", true);
    bonusStation->SetTexture(stationTexture, -1);
    bonusStation->SetScale(1, 1, 1);
    bonusStation->SetMeshOption(true, 1);
    bonusStation->SetMeshMode(530);
    bonusStation->FinishGeometry();
}

}  // namespace

std::string FindProgramDirectory() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    const fs::path dir = error ? fs::current_path() : executable.parent_path();
    const fs::path installed = (dir / ORVANE_DATA_FROM_BIN).lexically_normal();
    for (const fs::path& candidate : {dir, installed}) {
        if (fs::exists(candidate / kDataMarker, error)) return candidate.string();
    }
    throw std::runtime_error("the game's data files (" + std::string(kDataMarker) + " and the others) are in neither " +
                             dir.string() + " nor " + installed.string());
}

void Main() {
    try {
        programDirectory = FindProgramDirectory();
        StartUp();
        isRunning = true;
        RunGame();
        ExitGame();
    } catch (const std::exception& e) {
        FatalError(e.what());
    }
}

void StartUp() {
    CreateSounds();
    isRunning = false;

    engine = std::make_shared<quarvex::Engine3D>();
    engine->SetStartupFlag(true);
    engine->SetWindowTitle(kWindowTitle);
    engine->InitFullScreen(800, 600, 24, true);
    engine->SetDisplayOption(0, true);
    screenText = std::make_shared<quarvex::Screen2D>();

    engine->SetSearchDirectory(programDirectory);
    SharedTextureLoader().SetLoadMode(1);
    LoadTitleImage();
    screenImages.gameOver = LoadScreenImage("gameover.jpg", 800, 600, 0xFFFF0000);
    screenImages.help = LoadScreenImage("help.jpg", 800, 600, 0xFFFF0000);
    screenImages.pointer = LoadScreenImage("manook.bmp", -1, -1, 0xFF000000);
    screenImages.face = LoadScreenImage("facedx.bmp", 120, 170, 0xFF000000);
    screenImages.energyBar = LoadScreenImage("sfondoenergia.bmp", 240, 158, 0xFF000000);
    CreateMenuFont();

    CreateEffects();
    tankModelPath = ProgramFile("\\2.3ds");
    BuildWorld();
    flameBillboard->SetEffectTexture(Globals3D::GetEffectTexture("Flame1"), true);
    explosionBillboard->SetEffectTexture(Globals3D::GetEffectTexture("Explosion"), true);
    CreateFleet();
    CreateTanks();
}

void LoadTitleImage() { screenImages.title = LoadScreenImage("intro.jpg", 800, 600, 0xFFFF0000); }

void BuildWorld() {
    LoadTextures();
    CreateScene();
    BuildTerrain();
    CreateHudScreen();
    CreateInput();
    screenFade = std::make_shared<quarvex::ScreenFade3D>();
}

void CreateFleet() {
    fleet.reset();
    fleet = std::make_shared<clsStarShips>();
    fleet->AddBorg(1);
    fleet->AddStarShips(3);
    fleet->AddFighters(4);
}

void CreateTanks() {
    tanks.reset();
    tanks = std::make_shared<clsTanks>();
    tanks->AddTanks(3);
}

void CreateHudScreen() {
    hudScreen.reset();
    hudScreen = std::make_shared<quarvex::Screen2D>();
}

std::shared_ptr<qxsound::SoundDx8> CreateGameSound() {
    return soundEngine ? std::make_shared<qxsound::SoundDx8>() : nullptr;
}

ExitHandler SetExitHandler(ExitHandler handler) { return std::exchange(ExitHandlerSlot(), std::move(handler)); }

void ReleaseGame() {
    levelTextures.reset();
    screenFade.reset();
    Land.reset();
    mainScene.reset();
    hudScreen.reset();
    input.reset();
    Player.reset();
    engine.reset();  // closes the window
    musLevel.reset();
    sounds = {};
    soundEngine.reset();
    // What the list above leaves: the enemies, the effects and the screen images.
    fleet.reset();
    tanks.reset();
    flameBillboard.reset();
    explosionBillboard.reset();
    bonusStation.reset();
    effectsScene.reset();
    stationTexture.reset();
    screenImages = {};
    screenText.reset();
}

void ExitGame() {
    ReleaseGame();
    if (const ExitHandler& handler = ExitHandlerSlot()) {
        handler(0);
        std::fputs("orvane: the exit handler returned\n", stderr);
        std::abort();
    }
    quarvex::Engine3D::EndProcess(0);
}

}  // namespace orvane
