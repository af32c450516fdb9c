// The desktop services that go through SDL: the clipboard, and letting go of the mouse before another program's
// dialog opens.
#include <SDL.h>

#include <cstdio>

#include "platform/desktop.h"

namespace platform {

namespace {

class SdlClipboardService final : public Clipboard {
 public:
  bool SetText(const std::string& text) override {
    // SDL keeps the clipboard in its video subsystem; without it there is no desktop to hand the text to.
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
    if (SDL_SetClipboardText(text.c_str()) != 0) {
      std::fprintf(stderr, "clipboard: %s\n", SDL_GetError());
      return false;
    }
    return true;
  }
};

}  // namespace

Clipboard& SdlClipboard() {
  static SdlClipboardService clipboard;
  return clipboard;
}

void ReleaseMouseCapture() {
  // SDL holds the pointer while a button is down over the window and lets go when it reads the release; a dialog
  // opened on the press would otherwise get no mouse input while the game waits for it.
  // The menus need no drags past the window's edge, so SDL stops taking the pointer on a press from now on.
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
  SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
  SDL_CaptureMouse(SDL_FALSE);
}

}  // namespace platform
