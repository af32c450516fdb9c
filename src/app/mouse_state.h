// Per-frame mouse input built from button messages, and the cursor in client and virtual-screen coordinates.
#pragma once

#include <cstdint>

#include "platform/window_system.h"

namespace app {

struct CursorPosition {
  int32_t x = 0;
  int32_t y = 0;
};

class MouseState {
 public:
  MouseState() { ResetMouseButtons(); }

  // Left and right button down/up messages; a down sets clicked only when the button was not already held, an up
  // clears held and leaves the click until ClearMouseClicks. Double clicks and other messages change nothing.
  void HandleMouseMessage(uint32_t message);
  void ClearMouseClicks() {
    leftClicked = 0;
    rightClicked = 0;
  }
  void ResetMouseButtons() { leftClicked = rightClicked = leftHeld = rightHeld = 0; }
  // Button 0 (left) or 1 (right) clicked since the last clear.
  bool IsKeyPressed(int button) const { return button == 0 ? leftClicked == 1 : button == 1 && rightClicked == 1; }

  // cursor = the pointer's screen position converted to the window's client coordinates.
  void GetCursorClientPos(const platform::WindowSystem& windows, platform::WindowHandle window);
  // scaledCursor = cursor × (virtual size / window size), each product truncated toward zero; uses the cursor
  // of the last GetCursorClientPos. A window size of 0 gives 0.
  CursorPosition ScaleMouseToScreen(float windowWidth, float windowHeight, float virtualWidth, float virtualHeight);

  uint8_t leftClicked;
  uint8_t rightClicked;
  uint8_t leftHeld;
  uint8_t rightHeld;
  CursorPosition cursor;
  CursorPosition scaledCursor;
};

}  // namespace app
