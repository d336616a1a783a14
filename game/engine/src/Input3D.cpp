// Input3D: keyboard and mouse state, by DirectInput scan code, in 800 x 600 pixels.
#include "EngineState.h"

#include <algorithm>
#include <cmath>

namespace quarvex {

using detail::State;

bool Input3D::IsKeyPressed(int32_t scanCode) {
    if (scanCode < 0 || scanCode > 255) return false;
    return State().input.keys[scanCode];
}

void Input3D::GetMouseState(int32_t& x, int32_t& y, bool& button1, bool& button2) {
    const auto& input = State().input;
    x = static_cast<int32_t>(std::lround(input.mouseX));
    y = static_cast<int32_t>(std::lround(input.mouseY));
    button1 = input.buttons[0];
    button2 = input.buttons[1];
}

void Input3D::GetMouseMovement(int32_t& dx, int32_t& dy, bool& button1, bool& button2,
                               bool& button3, int32_t& wheel) {
    auto& input = State().input;
    input.TakeMotion(dx, dy);
    button1 = input.buttons[0];
    button2 = input.buttons[1];
    button3 = input.buttons[2];
    wheel = input.wheel;
    input.wheel = 0;
    input.motionReadThisFrame = true;
}

void Input3D::GetMouseMovement(int32_t& dx, int32_t& dy) {
    bool b1, b2, b3;
    int32_t wheel;
    GetMouseMovement(dx, dy, b1, b2, b3, wheel);
}

void Input3D::SetMousePosition(int32_t x, int32_t y) {
    auto& state = State();
    state.input.mouseX = std::clamp(static_cast<float>(x), 0.0f, 799.0f);
    state.input.mouseY = std::clamp(static_cast<float>(y), 0.0f, 599.0f);
    state.input.DropMotion();
    if (state.display) state.display->WarpMouse(state.input.mouseX, state.input.mouseY);
}

void Input3D::SimulateKey(int32_t scanCode, bool down) {
    if (scanCode >= 0 && scanCode <= 255) State().input.keys[scanCode] = down;
}

void Input3D::SimulateMouseButton(int32_t button, bool down) {
    if (button >= 1 && button <= 3) State().input.buttons[button - 1] = down;
}

void Input3D::SimulateMouseMotion(int32_t dx, int32_t dy) {
    State().input.AddMotion(static_cast<float>(dx), static_cast<float>(dy));
}

void Input3D::SimulateQuit() { State().input.quitRequested = true; }

int32_t Input3D::ScanCodeFromSdl(int32_t sdlScancode) {
    return detail::DirectInputFromSdl(sdlScancode);
}

}  // namespace quarvex
