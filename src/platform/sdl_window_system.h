// The SDL2 desktop behind the window system: window creation settings shared with the OpenGL backend.
#pragma once

namespace platform {

// Asks SDL for the OpenGL context every game window needs: 3.3 core profile, double buffered, 24-bit depth and
// 8-bit stencil, 8 bits per colour channel. Affects windows and contexts created afterwards; safe to call again (the OpenGL
// backend calls it before recreating a context). Needs SDL video to be started.
void SetSdlGlAttributes();

}  // namespace platform
