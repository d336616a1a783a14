// Keyboard and mouse state in DirectInput terms, fed by the window's events or by a script.
#pragma once

#include <array>
#include <cstdint>

namespace quarvex::detail {

struct InputState {
    std::array<bool, 256> keys{};  // by DirectInput scan code
    std::array<bool, 3> buttons{};  // left, right, middle
    float mouseX = 400.0f, mouseY = 300.0f;  // 800 x 600 pixels
    float motionX = 0.0f, motionY = 0.0f;    // relative motion not yet read, in picture pixels
    int wheel = 0;
    bool quitRequested = false;
    bool motionReadThisFrame = false;  // the game reads relative motion: capture the pointer
    bool captured = false;             // the pointer is captured in the frame being built

    // Pointer motion: while captured it is relative motion and moves the (virtual) pointer; a
    // free pointer only moves.
    void AddMotion(float dx, float dy);
    void DropMotion() { motionX = motionY = 0.0f; }
    // Whole pixels of relative motion, taken out of what is gathered (the fraction stays).
    void TakeMotion(int& dx, int& dy);
    void ReleaseAll() { keys.fill(false); buttons.fill(false); }
};

// DirectInput scan code of an SDL scan code; 0 when there is none.
int DirectInputFromSdl(int sdlScancode);

}  // namespace quarvex::detail
