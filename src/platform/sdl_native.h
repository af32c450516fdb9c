// The SDL window behind a window handle, for the OpenGL backend. Only platform code includes this.
#pragma once

#include "platform/window_system.h"

struct SDL_Window;

namespace platform {

// The SDL window of a window created by the SDL window system; null for any other system or handle.
SDL_Window* SdlNativeWindow(WindowSystem& windows, WindowHandle window);

}  // namespace platform
