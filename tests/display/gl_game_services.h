// The application services of a test that runs the real game on the display's OpenGL device: the test's window
// system and its GL graphics, an instance lock any number of copies may take, and frames that never wait. A test
// adds its own timer or other services to what this returns.
#pragma once

#include <memory>
#include <string>

#include "app/graphics_app.h"
#include "platform/gfx/graphics.h"
#include "platform/os.h"
#include "platform/window_system.h"

namespace display_test {

class FreeLock : public platform::InstanceLock {
 public:
  bool TryAcquire() override { return true; }
  void Release() override {}
};

inline app::GraphicsAppServices GlGameServices(platform::WindowSystem& desktop) {
  app::GraphicsAppServices services;
  services.windows = &desktop;
  services.createGraphics = [&desktop] { return platform::gfx::CreateGlGraphicsSystem(desktop); };
  services.createInstanceLock = [](const std::string&) { return std::make_unique<FreeLock>(); };
  services.sleep = [](int) {};  // a paused game's frames wait; a test does not
  return services;
}

}  // namespace display_test
