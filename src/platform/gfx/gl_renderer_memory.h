// What the OpenGL driver says of the adapter's memory where it has a way to say it.
#pragma once

namespace platform::gfx {

// Video memory in MB from the Mesa renderer query (GLX_MESA_query_renderer) of the current context; 0 when the
// driver does not answer it.
int RendererVideoMemoryMB();

}  // namespace platform::gfx
