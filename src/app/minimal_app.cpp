// The stand-in application: starts the timer and clears the screen each frame.
#include "app/minimal_app.h"

#include "app/app_timer.h"

namespace app {

MinimalApp::MinimalApp(const GraphicsAppServices& services, const std::string& commandLine)
    : GraphicsApp(services), commandLine_(commandLine) {
  SetWindowTitle(kGameName);
}

platform::HResult MinimalApp::OneTimeInit() {
  services.timer(static_cast<int>(TimerCommand::Start));
  return platform::kOk;
}

platform::HResult MinimalApp::Render() {
  if (device == nullptr) return platform::kInvalidCall;
  platform::HResult result = device->BeginScene();
  if (platform::Failed(result)) return result;
  result = device->Clear(platform::gfx::clear_flags::kTarget | platform::gfx::clear_flags::kZBuffer, kClearColor,
                         1.0f, 0);
  device->EndScene();
  if (platform::Succeeded(result)) ++framesRendered_;
  return result;
}

}  // namespace app
