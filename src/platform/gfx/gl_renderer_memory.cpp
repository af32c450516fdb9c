// Video memory as the Mesa drivers report it through GLX, kept apart from the rest of the GL backend because the
// X headers it needs define names the backend uses.
#include "platform/gfx/gl_renderer_memory.h"

#include <SDL.h>
#include <epoxy/glx.h>

#include <cstring>

namespace platform::gfx {

int RendererVideoMemoryMB() {
  // Only an X11 window's context is a GLX one; other drivers (Wayland, headless) leave the question unanswered.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || std::strcmp(driver, "x11") != 0) return 0;
  if (glXGetCurrentContext() == nullptr) return 0;
  Display* display = glXGetCurrentDisplay();
  if (display == nullptr) return 0;
  if (!epoxy_has_glx_extension(display, DefaultScreen(display), "GLX_MESA_query_renderer")) return 0;
  unsigned int megabytes = 0;
  if (!glXQueryCurrentRendererIntegerMESA(GLX_RENDERER_VIDEO_MEMORY_MESA, &megabytes)) return 0;
  return megabytes > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(megabytes);
}

}  // namespace platform::gfx
