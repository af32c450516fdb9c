// Menu screen 12: the picture shown while a track loads, with "Loading" and four dots per finished stage.
#pragma once

#include <string>

#include "frontend/menu_screen.h"

namespace frontend {

inline constexpr char kLoadingPicture[] = "MENUS\\loading.png";
inline constexpr char kLoadingPictureAlpha[] = "MENUS\\loading_alpha.png";

// "Loading" followed by four full stops per stage.
std::string LoadingText(uint32_t step);

class LoadingScreen : public MenuScreen {
 public:
  explicit LoadingScreen(const ScreenServices& services) : MenuScreen(services) {}
  ~LoadingScreen() override;

  void Init(platform::gfx::Device* device) override;
  void SetLoadingProgress(platform::gfx::Device* device, uint32_t step) override;
  int32_t HandleInput(const ScreenWindow& window) override;

  render::ImageResource* picture = nullptr;
  ScreenSkin skin;
  TextLabel* progressLabel = nullptr;  // owned through the text list
};

}  // namespace frontend
