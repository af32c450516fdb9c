// Menu screen 10: shown over a paused race; resume, restart or leave it.
#pragma once

#include "frontend/menu_screen.h"

namespace app {
class InputDevices;
}

namespace frontend {

// The input action that pauses and resumes a race.
inline constexpr int kPauseAction = 11;
// Controller buttons above this number are never read.
inline constexpr int kHighestJoystickButton = 127;

class PauseMenuScreen : public MenuScreen {
 public:
  PauseMenuScreen(const ScreenServices& services, app::InputDevices* inputDevices)
      : MenuScreen(services), inputDevices(inputDevices) {}
  ~PauseMenuScreen() override;

  void Init(platform::gfx::Device* device) override;
  // Clears the rebuild flag, then draws as the base does.
  void Render(platform::gfx::Device* device) override;
  int32_t HandleInput(const ScreenWindow& window) override;

  ScreenSkin skin;
  app::InputDevices* inputDevices = nullptr;
};

}  // namespace frontend
