// Facts about the X desktop under an SDL window that SDL does not tell.
#pragma once

struct SDL_Window;

namespace platform {

// Whether a window manager looks after the window's screen (it places windows and makes them full screen). True
// on desktops other than X, whose compositor always does.
bool HasWindowManager(SDL_Window* window);

}  // namespace platform
