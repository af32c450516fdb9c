// Display-mode changes while the game runs: window/full-screen switch, new resolution, and a changed window size.
#include "app/fatal_errors.h"
#include "app/graphics_app.h"

namespace app {

using platform::HResult;
namespace gfx = platform::gfx;

HResult GraphicsApp::RebuildDevice(uint32_t previousAdapter, gfx::DeviceType previousType) {
  const FormatCombo* combo = deviceSettings.Current().formatCombo;
  if (device != nullptr && combo != nullptr && combo->adapterOrdinal == previousAdapter &&
      combo->deviceType == previousType) {
    // Same adapter and device type: keep the device, reset it with new parameters.
    const HResult result = ChooseInitialSettings();
    if (platform::Failed(result)) return result;
    // A new resolution may choose another display mode.
    if (!windowed) ApplyFullscreenMode();
    BuildPresentParameters();
    return Reset3DEnvironment();
  }
  const HResult result = Cleanup3DEnvironment();
  if (platform::Failed(result)) return result;
  return Initialize3DEnvironment();
}

HResult GraphicsApp::FailDisplayChange(HResult result) {
  if (result != platform::kOutOfVideoMemory) result = app_error::kResetFailed;
  ignoreSizeChange = false;
  if (!windowed) {
    windowed = true;
    deviceSettings.isWindowed = true;
    ApplyWindowStyle();
    if (window != 0) windows.SetWindowPos(window, windowRect, true);
  }
  return ShowFatalError(result, 1);
}

void GraphicsApp::PlaceWindowForWindowedMode(bool readWindow) {
  const platform::Rect outer = windows.AdjustWindowRect(platform::Rect{0, 0, width, height}, windowedStyle);
  windowedStyle = windows.GetWindowStyle(window);
  if (readWindow) {
    windowRect = windows.GetWindowRect(window);
    clientRect = windows.GetClientRect(window);
  }
  clientRect.right = clientRect.left + width;
  clientRect.bottom = clientRect.top + height;
  windowRect.right = windowRect.left + outer.Width();
  windowRect.bottom = windowRect.top + outer.Height();
}

HResult GraphicsApp::ToggleFullscreen() {
  const FormatCombo* before = deviceSettings.Current().formatCombo;
  const uint32_t previousAdapter = before != nullptr ? before->adapterOrdinal : 0;
  const gfx::DeviceType previousType = before != nullptr ? before->deviceType : gfx::DeviceType::Hal;

  // Leaving the window: remember where it is, so coming back puts it in the same place. In full screen the
  // window covers the display and its own rectangle says nothing about the windowed one.
  if (windowed && window != 0) {
    windowRect = windows.GetWindowRect(window);
    clientRect = windows.GetClientRect(window);
  }

  windowed = !windowed;
  deviceSettings.isWindowed = windowed;
  startFullscreen = !windowed;
  ready = false;
  ignoreSizeChange = true;

  ApplyWindowStyle();
  // Back in a window: the client area of the wanted size where the window was, worked out before the device is
  // rebuilt so that its back buffer has that size too.
  if (windowed) PlaceWindowForWindowedMode(false);

  const HResult result = RebuildDevice(previousAdapter, previousType);
  if (platform::Failed(result)) return FailDisplayChange(result);

  ignoreSizeChange = false;
  if (windowed) windows.SetWindowPos(window, windowRect, true);
  windows.SetFocus(window);
  ready = true;
  return platform::kOk;
}

HResult GraphicsApp::ChangeResolution(int newWidth, int newHeight) {
  const FormatCombo* before = deviceSettings.Current().formatCombo;
  const uint32_t previousAdapter = before != nullptr ? before->adapterOrdinal : 0;
  const gfx::DeviceType previousType = before != nullptr ? before->deviceType : gfx::DeviceType::Hal;

  width = newWidth;
  height = newHeight;
  if (windowed) PlaceWindowForWindowedMode(true);
  ApplyWindowStyle();

  const HResult result = RebuildDevice(previousAdapter, previousType);
  if (platform::Failed(result)) return FailDisplayChange(result);

  if (windowed) windows.SetWindowPos(window, windowRect, true);
  windows.SetFocus(window);
  const HResult sizeResult = HandlePossibleSizeChange();
  return platform::Failed(sizeResult) ? sizeResult : platform::kOk;
}

HResult GraphicsApp::HandlePossibleSizeChange() {
  // A switch under way resets the device itself; in full screen the back buffer follows the display mode,
  // not the window, and the remembered windowed rectangle must survive.
  if (ignoreSizeChange || !windowed || window == 0) return platform::kOk;

  const platform::Rect previousClient = clientRect;
  windowRect = windows.GetWindowRect(window);
  clientRect = windows.GetClientRect(window);
  if (clientRect.Width() == previousClient.Width() && clientRect.Height() == previousClient.Height()) {
    return platform::kOk;
  }

  presentParameters.backBufferWidth = static_cast<uint32_t>(clientRect.Width() > 0 ? clientRect.Width() : 0);
  presentParameters.backBufferHeight = static_cast<uint32_t>(clientRect.Height() > 0 ? clientRect.Height() : 0);
  ready = false;

  HResult result = platform::kOk;
  if (device != nullptr) {
    result = Reset3DEnvironment();
    if (platform::Failed(result)) {
      if (result != platform::kOutOfVideoMemory) result = app_error::kResetFailed;
      ShowFatalError(result, 1);
      ready = true;
      return result;
    }
  }
  ready = true;
  return result;
}

}  // namespace app
