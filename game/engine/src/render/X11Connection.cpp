#include "X11Connection.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace quarvex::detail {

namespace {
int DisplayLost(Display*) {
    std::fprintf(stderr, "%s: the connection to the X display was lost\n", program_invocation_short_name);
    std::_Exit(1);
}
}  // namespace

void EndProcessWhenTheDisplayIsLost(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) XSetIOErrorHandler(DisplayLost);
}

}  // namespace quarvex::detail
