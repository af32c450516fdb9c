// Key messages into the keyboard's held and pressed flags.
#include "app/keyboard_state.h"

#include "platform/window_system.h"

namespace app {

void KeyboardState::HandleKeyMessage(uint32_t message, uintptr_t key) {
  if (key >= kKeyCount) return;
  if (message == platform::wm::kKeyDown) {
    if (keyHeld[key] == 0) keyPressed[key] = 1;
    keyHeld[key] = 1;
  } else if (message == platform::wm::kKeyUp) {
    // The press stays until the frame has seen it: a tap that goes down and up between two frames counts once.
    keyHeld[key] = 0;
  }
}

}  // namespace app
