// Keyboard and mouse state in DirectInput terms, fed by the window's events or by a script.
#pragma once

#include <array>
#include <cstdint>

namespace quarvex::detail {

struct InputState {
    std::array<bool, 256> keys{};  // by DirectInput scan code
    std::array<bool, 3> buttons{};  // left, right, middle
    float mouseX = 400.0f, mouseY = 300.0f;  // 800 x 600 pixels
    int motionX = 0, motionY = 0;            // since the last GetMouseMovement
    int wheel = 0;
    bool quitRequested = false;
    bool motionReadThisFrame = false;  // the game reads relative motion: capture the pointer

    void AddMotion(int dx, int dy, bool movePointer);
    void ReleaseAll() { keys.fill(false); buttons.fill(false); }
};

// DirectInput scan code of an SDL scan code; 0 when there is none.
int DirectInputFromSdl(int sdlScancode);

}  // namespace quarvex::detail
