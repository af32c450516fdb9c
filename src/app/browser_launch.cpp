// Following a page handed to the desktop's browser until it is known to have opened or failed.
#include "app/browser_launch.h"

namespace app {

BrowserLaunch BrowserLaunch::Open(platform::ProcessLauncher& launcher, const std::string& address) {
  BrowserLaunch launch;
  launch.launcher_ = &launcher;
  launch.id_ = launcher.Start(address, {});
  return launch;
}

BrowserLaunch::Step BrowserLaunch::Follow(float frameTime) {
  if (launcher_ == nullptr) return Step::kIdle;
  const platform::ProgramOutcome outcome =
      id_ != 0 ? launcher_->Outcome(id_) : platform::ProgramOutcome::kFailed;
  if (outcome == platform::ProgramOutcome::kFailed) {
    launcher_ = nullptr;
    return Step::kFailed;
  }
  elapsed_ += frameTime;
  if (outcome == platform::ProgramOutcome::kRunning && elapsed_ < kBrowserStartGrace) return Step::kWaiting;
  launcher_ = nullptr;
  return Step::kOpened;
}

}  // namespace app
