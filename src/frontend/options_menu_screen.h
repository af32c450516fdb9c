// Menu screen 6: the hub to the control, audio and video settings screens, with Back, full-screen and quit.
#pragma once

#include "frontend/menu_screen.h"

namespace frontend {

class OptionsMenuScreen : public MenuScreen {
 public:
  explicit OptionsMenuScreen(const ScreenServices& services) : MenuScreen(services) {}
  ~OptionsMenuScreen() override;

  void Init(platform::gfx::Device* device) override;
  int32_t HandleInput(const ScreenWindow& window) override;

  ScreenSkin skin;
};

}  // namespace frontend
