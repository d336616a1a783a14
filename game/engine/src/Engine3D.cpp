// Engine3D, ScreenFade3D and Globals3D: thin handles onto the engine state.
#include "EngineState.h"
#include "Paths.h"

#include <SDL.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace quarvex {

using detail::State;

Engine3D::Engine3D() { State(); }

Engine3D::~Engine3D() {
    auto* state = detail::ExistingState();
    if (state && state->displayOwner == this) {
        state->display.reset();
        state->displayOwner = nullptr;
    }
}

void Engine3D::SetStartupFlag(bool) {}

void Engine3D::SetWindowTitle(std::string_view title) {
    auto& state = State();
    state.title = std::string(title);
    if (state.display) state.display->SetTitle(state.title);
}

void Engine3D::InitFullScreen(int32_t width, int32_t height, int32_t, bool, int32_t) {
    auto& state = State();
    if (width <= 0 || height <= 0) {
        throw EngineError("InitFullScreen: the picture size " + std::to_string(width) + " x " +
                          std::to_string(height) + " is not valid");
    }
    state.display.reset();
    state.displayOwner = nullptr;
    state.display = detail::CreateGlDisplay(state.title, width, height);
    state.displayOwner = this;
    state.display->SetFramePacing(state.framePacing);
}

void Engine3D::SetDisplayOption(int32_t option, bool value) {
    auto& state = State();
    if (option == DISPLAY_FRAME_PACING) {
        state.framePacing = value;
        if (state.display) state.display->SetFramePacing(value);
    }
}

void Engine3D::SetSearchDirectory(std::string_view directory) {
    std::string dir(directory);
    std::replace(dir.begin(), dir.end(), '\\', '/');
    State().searchDir = dir;
}

void Engine3D::Clear(bool) {
    // A frame starts with nothing to show; 2D drawn since the last Present stays queued.
    State().frame = detail::FrameRequest{};
}

void Engine3D::Present() {
    auto& state = State();
    auto& input = state.input;
    // The pointer is captured while the game reads relative motion every frame.
    const bool capture = input.motionReadThisFrame;
    const bool newlyCaptured = capture && !input.captured;
    input.captured = capture;
    input.motionReadThisFrame = false;
    if (state.display) {
        state.display->SetPointerCaptured(capture, input.mouseX, input.mouseY);
        state.display->Present(state);
    }
    state.EndFrame();
    ProcessMessages();
    // What arrives with the switch to relative mode may still be the free pointer's motion.
    if (newlyCaptured) input.DropMotion();
}

float Engine3D::GetFramesPerSecond() const {
    const auto& times = State().presentTimes;
    if (times.size() < 2) return 0.0f;
    const double span = times.back() - times.front();
    return span > 0.0 ? static_cast<float>((times.size() - 1) / span) : 0.0f;
}

void Engine3D::SetIdleMode(int32_t) {}

void Engine3D::SaveScreenshot(std::string_view path) {
    auto& state = State();
    const std::string file = detail::ResolveOutputPath(path, state.searchDir);
    detail::Image picture;
    if (state.display) {
        picture = state.display->ReadPicture();
    } else {
        picture.width = 800;
        picture.height = 600;
        picture.rgba.resize(800 * 600 * 4);
        for (size_t i = 0; i < picture.rgba.size(); i += 4) {
            picture.rgba[i] = static_cast<uint8_t>(std::lround(state.background.r * 255));
            picture.rgba[i + 1] = static_cast<uint8_t>(std::lround(state.background.g * 255));
            picture.rgba[i + 2] = static_cast<uint8_t>(std::lround(state.background.b * 255));
            picture.rgba[i + 3] = 255;
        }
    }
    detail::SaveBmp(picture, file);
}

void Engine3D::ProcessMessages() {
    auto& state = State();
    if (state.display) state.display->PumpEvents(state.input);
}

bool Engine3D::QuitRequested() { return State().input.quitRequested; }

bool Engine3D::HasDisplay() { return State().display != nullptr; }

const std::vector<Draw2D>& Engine3D::LastFrame2D() { return State().lastQueue; }

void Engine3D::Reset() { detail::ResetState(); }

void Engine3D::EndProcess(int status) {
    detail::ResetState();
    std::fflush(nullptr);
    std::exit(status);
}

void Engine3D::EndProcessWithError(std::string_view message) {
    detail::ResetState();
    std::string line(message);
    std::replace_if(line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    if (line.empty()) line = "unknown error";
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, line.c_str());
    std::fflush(nullptr);
    std::exit(1);
}

void ScreenFade3D::FadeIn(int32_t milliseconds) {
    auto& state = State();
    state.fade = {true, true, state.Now(), std::max(0, milliseconds) / 1000.0};
}

void ScreenFade3D::FadeOut(int32_t milliseconds) {
    auto& state = State();
    state.fade = {true, false, state.Now(), std::max(0, milliseconds) / 1000.0};
}

TexturePtr Globals3D::GetTexture(std::string_view name) { return State().textures.Find(name); }

EffectTexturePtr Globals3D::GetEffectTexture(std::string_view name) {
    return State().textures.FindEffect(name);
}

Color Globals3D::RGBA(float r, float g, float b, float a) {
    auto byte = [](float v) -> uint32_t {
        if (!(v > 0.0f)) return 0;  // also NaN
        return static_cast<uint32_t>(std::lround(std::min(v, 1.0f) * 255.0f));
    };
    return (byte(a) << 24) | (byte(r) << 16) | (byte(g) << 8) | byte(b);
}

Vector3 Globals3D::MakeVector(float x, float y, float z) { return Vector3{x, y, z}; }

}  // namespace quarvex
