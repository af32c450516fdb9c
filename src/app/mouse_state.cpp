// Mouse button messages into click and held flags; cursor scaling to the menus' virtual screen.
#include "app/mouse_state.h"

#include <cmath>

namespace app {

void MouseState::HandleMouseMessage(uint32_t message) {
  switch (message) {
    case platform::wm::kLButtonDown:
      if (leftHeld == 0) leftClicked = 1;
      leftHeld = 1;
      break;
    // A release leaves the click for ClearMouseClicks: a quick tap between two frames still clicks once.
    case platform::wm::kLButtonUp:
      leftHeld = 0;
      break;
    case platform::wm::kRButtonDown:
      if (rightHeld == 0) rightClicked = 1;
      rightHeld = 1;
      break;
    case platform::wm::kRButtonUp:
      rightHeld = 0;
      break;
    default:
      break;
  }
}

void MouseState::GetCursorClientPos(const platform::WindowSystem& windows, platform::WindowHandle window) {
  const platform::Point client = windows.ScreenToClient(window, windows.GetCursorPos());
  cursor = {client.x, client.y};
}

CursorPosition MouseState::ScaleMouseToScreen(float windowWidth, float windowHeight, float virtualWidth,
                                              float virtualHeight) {
  // The ratios are taken first, as 32-bit floats, so the products truncate the way the menus expect.
  const float ratioX = windowWidth != 0.0f ? virtualWidth / windowWidth : 0.0f;
  const float ratioY = windowHeight != 0.0f ? virtualHeight / windowHeight : 0.0f;
  const float x = static_cast<float>(cursor.x) * ratioX;
  const float y = static_cast<float>(cursor.y) * ratioY;
  auto toInt = [](float value) {
    if (!std::isfinite(value)) return 0;
    return static_cast<int32_t>(std::fmax(std::fmin(value, 2147483520.0f), -2147483520.0f));
  };
  scaledCursor = {toInt(x), toInt(y)};
  return scaledCursor;
}

}  // namespace app
