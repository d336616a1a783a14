#include "GameWorld.h"

#include "TestWorld.h"
#include "clsStarShips.h"
#include "clsTanks.h"

#include <dynamora/modMathAndPhysicsGlobal.h>

namespace gametest {

using namespace orvane;

void GameWorld::SetUp() {
    previousHandler = SetFatalErrorHandler([](const std::string& message) { throw GameFatalError(message); });
    BuildWorld(engine);
}

void GameWorld::TearDown() {
    DropWorld();
    SetFatalErrorHandler(previousHandler);
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
