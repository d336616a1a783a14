#include "TestWorld.h"

#include "CameraFPS.h"
#include "clsStarShips.h"
#include "clsTanks.h"
#include "modTextureFactory.h"
#include "routine_base.h"
#include "variabili_globali.h"

namespace gametest {

using namespace orvane;

void BuildWorld(quarvex::Engine3D& engine) {
    quarvex::Engine3D::Reset();
    programDirectory = ORVANE_DATA_DIR;
    engine.SetSearchDirectory(programDirectory);
    tankModelPath = ProgramFile("\\2.3ds");
    ResetGameVariables();
    levelEnding = false;
    LoadTextures();
    CreateScene();
    BuildTerrain();
    quarvex::Scene3D effects;
    flameBillboard = effects.CreateBillboard(nullptr, 1000, 15, 20, 20, 40, "", 0, 0, 0, true);
    explosionBillboard = effects.CreateBillboard(nullptr, 1150, 50, 0, 40, 40, "", 0, 0, 0, true);
    bonusStation = effects.CreateMesh("");
    bonusStation->Load3DS("fermo00.3ds", true);
    bonusStation->FinishGeometry();
    bonusStation->SetPosition(1600, 100, 1400);
    CreatePlayer();
    fleet = std::make_shared<clsStarShips>();
    tanks = std::make_shared<clsTanks>();
}

void DropWorld() {
    fleet.reset();
    tanks.reset();
    Player.reset();
    Land.reset();
    mainScene.reset();
    levelTextures.reset();
    bonusStation.reset();
    flameBillboard.reset();
    explosionBillboard.reset();
    sounds = {};
    soundEngine.reset();
    quarvex::Engine3D::Reset();
}

}  // namespace gametest
