// Shows one rectangle of a window's back buffer and leaves the rest of the window as it is
// (GLX_MESA_copy_sub_buffer, offered by Mesa's software renderers on X11). Where it is not
// offered, Available() is false and the whole buffer is swapped as usual.
#pragma once

#include <SDL.h>

namespace quarvex::detail {

class RegionSwap {
public:
    // For the window whose OpenGL context is current.
    explicit RegionSwap(SDL_Window* window);
    bool Available() const { return copy_ != nullptr; }
    // The rectangle in pixels, rows counted from the window's bottom as OpenGL does.
    void Show(int x, int y, int width, int height) const;

private:
    // glXCopySubBufferMESA, the X display and the window (X11 types kept out of this header).
    void (*copy_)() = nullptr;
    void* display_ = nullptr;
    unsigned long drawable_ = 0;
};

}  // namespace quarvex::detail
