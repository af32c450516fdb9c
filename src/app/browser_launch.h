// A page handed to the desktop's browser, followed frame by frame: its launcher may fail at once, fail a moment
// later (no browser on the machine), hand the page over and end, or go on running as the browser itself.
#pragma once

#include <cstdint>
#include <string>

#include "platform/desktop.h"

namespace app {

// How long the browser's launcher may run before the game takes the browser as started (seconds of frame time);
// a launcher that fails does so well within it.
inline constexpr float kBrowserStartGrace = 1.5f;

class BrowserLaunch {
 public:
  enum class Step { kIdle, kWaiting, kOpened, kFailed };

  // Not launched: Follow answers kIdle.
  BrowserLaunch() = default;
  // Opens address with the desktop's handler through the launcher, without a shell and without waiting.
  static BrowserLaunch Open(platform::ProcessLauncher& launcher, const std::string& address);

  // Asked once a frame. kWaiting while the launcher runs within the grace; kOpened once it has succeeded or has
  // run for the grace; kFailed when nothing could be started or it ended in failure. kOpened and kFailed are told
  // once, after which the launch is no longer followed and Follow answers kIdle.
  Step Follow(float frameTime);
  // Launched, and neither kOpened nor kFailed told yet.
  bool Waiting() const { return launcher_ != nullptr; }

 private:
  platform::ProcessLauncher* launcher_ = nullptr;
  int64_t id_ = 0;  // 0: nothing could be started
  float elapsed_ = 0.0f;
};

}  // namespace app
