// The display: an SDL2 desktop full-screen window with an OpenGL 3.3 core context, its events,
// the mapping of the 800 x 600 picture into it, and frame pacing.
#include "../EngineState.h"
#include "../FramePacer.h"
#include "RegionSwap.h"
#include "Renderer.h"
#include "X11Connection.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace quarvex::detail {

namespace {

class GlDisplay final : public Display {
public:
    GlDisplay(const std::string& title, int width, int height);
    ~GlDisplay() override;

    void Present(EngineState& state) override;
    Image ReadPicture() override { return renderer_->ReadPicture(); }
    void PumpEvents(InputState& input) override;
    void SetTitle(const std::string& title) override { SDL_SetWindowTitle(window_, title.c_str()); }
    void WarpMouse(float x, float y) override;
    void SetPointerCaptured(bool captured, float x, float y) override;
    void SetFramePacing(bool on) override;
    void PictureInWindow(float& x, float& y, float& scale) const override;

private:
    // Vsync for the refresh of the display the window is on (again when it moves to another).
    void ApplySwapInterval();
    // Holds the finished frame until it is due, then lets it be shown.
    void Pace(const EngineState& state);

    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    std::unique_ptr<Renderer> renderer_;
    int width_, height_;
    bool captured_ = false;
    // The offscreen driver shows nothing: the picture stays in the renderer (for screenshots)
    // and is not copied into a window nobody sees (slow on a software renderer).
    bool visible_ = true;
    bool pacing_ = true;
    FramePacer pacer_;
    // On a software renderer with the picture in the middle of a larger window, once the black
    // border has been shown in both buffers, only the picture is shown each frame.
    std::unique_ptr<RegionSwap> regionSwap_;
    int wholeFrames_ = kWholeFrames;  // whole buffers still to be shown before that
    static constexpr int kWholeFrames = 3;
};

[[noreturn]] void Fail(const std::string& what) {
    throw EngineError("Cannot open the game window: " + what + ": " + SDL_GetError());
}

GlDisplay::GlDisplay(const std::string& title, int width, int height) : width_(width), height_(height) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) Fail("no video driver");
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    // The window is made as large as the desktop from the start: without a window manager
    // (Xvfb) the full-screen request alone would leave an 800 x 600 window that SDL believes
    // covers the screen.
    SDL_Rect desktop{SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height};
    if (SDL_GetDisplayBounds(0, &desktop) != 0) {
        desktop = {SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height};
    }
    const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_ALLOW_HIGHDPI;
    window_ = SDL_CreateWindow(title.c_str(), desktop.x, desktop.y, desktop.w, desktop.h, flags);
    if (!window_) {
        // Some drivers have no full screen; a window of the picture's size does as well.
        window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   width, height, SDL_WINDOW_OPENGL);
    }
    if (!window_) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        Fail("no window");
    }
    context_ = SDL_GL_CreateContext(window_);
    if (!context_) {
        SDL_DestroyWindow(window_);
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        Fail("no OpenGL 3.3 core context");
    }
    SDL_GL_MakeCurrent(window_, context_);
    const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
    visible_ = driver != "offscreen" && driver != "dummy";
    SDL_ShowCursor(SDL_DISABLE);  // the game draws its own pointer
    try {
        renderer_ = std::make_unique<Renderer>(width, height);
    } catch (...) {
        SDL_GL_DeleteContext(context_);
        SDL_DestroyWindow(window_);
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        throw;
    }
    EndProcessWhenTheDisplayIsLost(window_);
    regionSwap_ = std::make_unique<RegionSwap>(window_);
    SetFramePacing(true);
}

GlDisplay::~GlDisplay() {
    renderer_.reset();
    SDL_SetRelativeMouseMode(SDL_FALSE);
    SDL_GL_DeleteContext(context_);
    SDL_DestroyWindow(window_);
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

void GlDisplay::SetFramePacing(bool on) {
    pacing_ = on;
    pacer_.Restart();
    ApplySwapInterval();
}

void GlDisplay::ApplySwapInterval() {
    int interval = 0;
    if (pacing_) {
        SDL_DisplayMode mode;
        const bool known = SDL_GetCurrentDisplayMode(SDL_GetWindowDisplayIndex(window_), &mode) == 0;
        interval = FramePacer::SwapInterval(known ? mode.refresh_rate : 0);
    }
    // Where the driver refuses a longer interval, every refresh with the clock pacing will do.
    if (SDL_GL_SetSwapInterval(interval) != 0 && interval > 1) SDL_GL_SetSwapInterval(1);
}

void GlDisplay::Pace(const EngineState& state) {
    const double wait = pacer_.WaitBefore(state.Now());
    if (wait > 0.0) std::this_thread::sleep_for(std::chrono::duration<double>(wait));
    pacer_.Shown(state.Now());
}

void GlDisplay::PictureInWindow(float& x, float& y, float& scale) const {
    int w = 0, h = 0, pixelsW = 0, pixelsH = 0;
    SDL_GetWindowSize(window_, &w, &h);
    SDL_GL_GetDrawableSize(window_, &pixelsW, &pixelsH);
    // The picture is placed in pixels; the window's coordinates may be coarser (high DPI).
    const PictureBox box = renderer_->Placement(pixelsW, pixelsH);
    const float toWindow = pixelsW > 0 ? static_cast<float>(w) / pixelsW : 1.0f;
    scale = box.width * toWindow / width_;
    if (!(scale > 0.0f)) scale = 1.0f;
    x = box.x * toWindow;
    y = box.y * toWindow;
}

void GlDisplay::Present(EngineState& state) {
    renderer_->DrawFrame(state);
    int w = 0, h = 0;
    PictureBox box{};
    bool region = false;
    if (visible_) {
        SDL_GL_GetDrawableSize(window_, &w, &h);
        box = renderer_->Placement(w, h);
        // Copying the whole window costs a software renderer several milliseconds a frame at
        // 1920 x 1080, most of it for the unchanging border. (It has no vsync, so no tearing.)
        region = wholeFrames_ == 0 && renderer_->Software() && regionSwap_->Available() &&
                 (box.width < w || box.height < h);
        renderer_->Blit(w, h, !region);
        if (wholeFrames_ > 0) --wholeFrames_;
    }
    // The frame is drawn before the wait (a software renderer draws at the flush), so the
    // wait is not added to the drawing.
    glFlush();
    // The clock holds frames to 60 a second also where vsync runs faster or does not block
    // (Xvfb, offscreen, a driver told to ignore it).
    if (pacing_) Pace(state);
    if (!visible_) return;
    if (region) {
        regionSwap_->Show(box.x, h - box.y - box.height, box.width, box.height);
    } else {
        SDL_GL_SwapWindow(window_);
    }
}

void GlDisplay::PumpEvents(InputState& input) {
    float boxX = 0, boxY = 0, scale = 1;
    PictureInWindow(boxX, boxY, scale);
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
        case SDL_QUIT:
            input.quitRequested = true;
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const int code = DirectInputFromSdl(e.key.keysym.scancode);
            if (code > 0) input.keys[code] = e.type == SDL_KEYDOWN;
            break;
        }
        case SDL_MOUSEMOTION:
            if (captured_) {
                // Relative motion in pixels of the picture, as the free pointer moves.
                input.AddMotion(e.motion.xrel / scale, e.motion.yrel / scale);
            } else {
                input.mouseX = std::clamp((e.motion.x - boxX) / scale, 0.0f, width_ - 1.0f);
                input.mouseY = std::clamp((e.motion.y - boxY) / scale, 0.0f, height_ - 1.0f);
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            const bool down = e.type == SDL_MOUSEBUTTONDOWN;
            if (e.button.button == SDL_BUTTON_LEFT) input.buttons[0] = down;
            if (e.button.button == SDL_BUTTON_RIGHT) input.buttons[1] = down;
            if (e.button.button == SDL_BUTTON_MIDDLE) input.buttons[2] = down;
            break;
        }
        case SDL_MOUSEWHEEL:
            input.wheel += e.wheel.y;
            break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) input.ReleaseAll();
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) input.quitRequested = true;
            if (e.window.event == SDL_WINDOWEVENT_DISPLAY_CHANGED) ApplySwapInterval();
            // The window's content may be lost or its size changed: show it whole again.
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SHOWN ||
                e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED || e.window.event == SDL_WINDOWEVENT_RESTORED ||
                e.window.event == SDL_WINDOWEVENT_DISPLAY_CHANGED) {
                wholeFrames_ = kWholeFrames;
            }
            break;
        default:
            break;
        }
    }
}

void GlDisplay::WarpMouse(float x, float y) {
    if (captured_) return;  // the pointer is virtual while captured
    float boxX = 0, boxY = 0, scale = 1;
    PictureInWindow(boxX, boxY, scale);
    SDL_WarpMouseInWindow(window_, static_cast<int>(std::lround(boxX + x * scale)),
                          static_cast<int>(std::lround(boxY + y * scale)));
}

void GlDisplay::SetPointerCaptured(bool captured, float x, float y) {
    if (captured == captured_) return;
    captured_ = captured;
    SDL_SetRelativeMouseMode(captured ? SDL_TRUE : SDL_FALSE);
    if (!captured) WarpMouse(x, y);
}

}  // namespace

std::unique_ptr<Display> CreateGlDisplay(const std::string& title, int width, int height) {
    return std::make_unique<GlDisplay>(title, width, height);
}

}  // namespace quarvex::detail
