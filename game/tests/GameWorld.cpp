#include "GameWorld.h"

#include "clsStarShips.h"
#include "clsTanks.h"
#include "modTextureFactory.h"
#include "routine_base.h"

#include <dynamora/modMathAndPhysicsGlobal.h>

namespace gametest {

using namespace orvane;

void GameWorld::SetUp() {
    quarvex::Engine3D::Reset();
    previousHandler = SetFatalErrorHandler([](const std::string& message) { throw GameFatalError(message); });
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

void GameWorld::TearDown() {
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
    SetFatalErrorHandler(previousHandler);
    quarvex::Engine3D::Reset();
}

void GameWorld::Frame() {
    engine.Clear(false);
    tanks->Move(0.9f);
    fleet->Move(0.9f);
    Player->Move(0.95f);
    engine.Present();
}

void GameWorld::PlacePlayer(float x, float z) {
    Player->SetPosition(x, z);
    // The look-at target is taken before the carrier follows the ground: after the second Move
    // it is in front of the carrier's new height too.
    Player->Move(0.95f);
    Player->Move(0.95f);
}

void GameWorld::AimAt(const Vector3& target) {
    // The look-at target is (0, LookHeight, 400) in the carrier's frame, the eye e above the
    // carrier: the aim passes through target when LookHeight = e + (target.y - eye.y) x 400 / d.
    const Vector3 eye = Player->GetCameraPosition();
    const float e = eye.y - Player->GetCarrierMesh()->GetPosition().y;
    const float d = target.z - eye.z;
    const float lookHeight = e + (target.y - eye.y) * 400.0f / d;
    Player->TiltUpDown(lookHeight - 2.0f);
    Player->Move(0.95f);
}

float GameWorld::Ground(float x, float z) { return Land->GetHeight(x, z); }

bool GameWorld::PlaceOnLineOfSight(const quarvex::Mesh3D& mesh, const std::function<void(const Vector3&)>& place) {
    using namespace dynamora;
    const Vector3 eye = Player->GetCameraPosition();
    const Vector3 aim = Player->GetAimVector();
    for (float d = -40.0f; d <= 40.0f; d += 0.1f) {
        place(VectorAdd(eye, VectorScale(aim, d)));
        if (mesh.IntersectsSegment(eye, VectorAdd(eye, aim), 3)) return true;
    }
    return false;
}

}  // namespace gametest
