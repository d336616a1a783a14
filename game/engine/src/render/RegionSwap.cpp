#include "RegionSwap.h"

#include <GL/glx.h>
#include <SDL_syswm.h>

#include <cstring>

namespace quarvex::detail {

namespace {
using CopySubBuffer = void (*)(Display*, GLXDrawable, int, int, int, int);
}

RegionSwap::RegionSwap(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    if (!glXGetCurrentContext()) return;  // the context is not GLX's (EGL)
    Display* display = info.info.x11.display;
    const char* extensions = glXQueryExtensionsString(display, DefaultScreen(display));
    if (!extensions || !std::strstr(extensions, "GLX_MESA_copy_sub_buffer")) return;
    copy_ = glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXCopySubBufferMESA"));
    display_ = display;
    drawable_ = info.info.x11.window;
}

void RegionSwap::Show(int x, int y, int width, int height) const {
    reinterpret_cast<CopySubBuffer>(copy_)(static_cast<Display*>(display_), drawable_, x, y, width, height);
}

}  // namespace quarvex::detail
