#include "modInput.h"

#include "CameraFPS.h"
#include "modGameLoop.h"
#include "modScreens.h"
#include "modSubMain.h"
#include "variabili_globali.h"

#include <Engine3D.h>

#include <cstdint>

namespace orvane {

namespace {

constexpr int32_t kKeyLeftCtrl = 29;
constexpr int32_t kKeyR = 19, kKeyT = 20;
constexpr int32_t kKeyZ = 44;
constexpr int32_t kKeyE = 18, kKeyW = 17;

constexpr float kAreaMinX = 60.0f, kAreaMaxX = 1960.0f;
constexpr float kAreaMinZ = 80.0f, kAreaMaxZ = 1960.0f;
constexpr float kTurnBack = 45.0f;
constexpr float kReturnX = 1000.0f, kReturnZ = 100.0f;
constexpr float kForwardSpeed = 4.0f;

bool Held(int32_t key) { return input->IsKeyPressed(key); }
bool Held(int32_t key1, int32_t key2) { return Held(key1) && Held(key2); }

Vector3 Eye() { return RequirePlayer().GetCameraPosition(); }

}  // namespace

void ReadInput() {
    ReadKeys();
    ReadMouse();
}

void ReadKeys() {
    if (Held(kKeyLeftCtrl)) engine->SaveScreenshot("c:\\00000.bmp");
    if (Held(kKeyR, kKeyT)) killsThisLevel += 1;
    if (Held(kKeyZ, kKeyX) && damagePoints > 0) damagePoints -= 10;
    if (Held(kKeyE, kKeyW)) damagePoints += 10;
    if (Held(kKeyEscape) || quarvex::Engine3D::QuitRequested()) {
        isRunning = false;
        screenFade->FadeOut(3000);
        ExitGame();
    }
}

void ReadMouse() {
    int32_t x = 0, y = 0;
    bool button1 = false, button2 = false;
    input->GetMouseState(x, y, button1, button2);
    CameraFPS& player = RequirePlayer();
    if (button1) {
        PlaySound(GameSound::Launch);
        player.Fire();
    }
    if (Eye().z > kAreaMaxZ) {
        BoundaryHit();
        player.Rotate(-kTurnBack);
        player.SetPosition(kReturnX, kReturnZ);
    }
    if (Eye().z < kAreaMinZ) {
        BoundaryHit();
        player.Rotate(kTurnBack);
        player.SetPosition(kReturnX, kReturnZ);
    }
    if (Eye().x > kAreaMaxX) {
        BoundaryHit();
        player.Rotate(-kTurnBack);
    }
    if (Eye().x < kAreaMinX) {
        BoundaryHit();
        player.Rotate(kTurnBack);
    }
    if (!button2) player.MoveForward(kForwardSpeed);
    int32_t dx = 0, dy = 0;
    input->GetMouseMovement(dx, dy);
    player.Rotate(static_cast<float>(dx));
    player.TiltUpDown(-static_cast<float>(dy));
}

void BoundaryHit() {
    StopEffectSounds();
    PlaySound(GameSound::Alarm);
    if (damagePoints >= 0) damagePoints += 3;
    const Vector3 p = Eye();
    explosionBillboard->SetPosition(p.x, RequireLand().GetHeight(p.x, p.z), p.z);
}

}  // namespace orvane
