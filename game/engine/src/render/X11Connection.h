// What becomes of the game when its X display goes away.
#pragma once

#include <SDL.h>

namespace quarvex::detail {

// Where the window is on X11: if the connection to the X server is lost (the server ends), the
// process ends at once with status 1 after one line saying so. Xlib's own handler calls exit(),
// whose clean-up then closes the window and waits for the server forever.
void EndProcessWhenTheDisplayIsLost(SDL_Window* window);

}  // namespace quarvex::detail
