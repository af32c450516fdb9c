// "Select Car" screen before a practice race: steps through the catalogue and the profile's own cars, shows the
// displayed car's name, class and stat bars, and picks automatic or manual transmission.
#pragma once

#include <string>
#include <vector>

#include "frontend/menu_screen.h"

namespace platform {
class Clipboard;
}

namespace screens {

inline constexpr uintptr_t kKeyF9 = 120;

class VehicleClassScreen : public frontend::MenuScreen {
 public:
  enum ButtonId : int32_t { kNext = 0, kBack = 1, kRightArrow = 2, kLeftArrow = 3, kFullScreen = 4, kClose = 5,
                            kAutomatic = 6, kManual = 7 };

  explicit VehicleClassScreen(const frontend::ScreenServices& services) : MenuScreen(services) {}
  ~VehicleClassScreen() override;

  void OnEnter() override;
  void Init(platform::gfx::Device* device) override;
  void Render(platform::gfx::Device* device) override;
  int32_t HandleInput(const frontend::ScreenWindow& window) override;

  // Steps the choice (wrapping at both ends) and applies it: VEHICLE names the car, and the profile's current
  // selection becomes the owned car's stored upgrades or, for a catalogue car, empty.
  void CycleCar(int32_t step);
  void BuildTransmissionButtons(platform::gfx::Device* device);
  void BuildStatBars(platform::gfx::Device* device);
  // One bar at (x, y) in virtual pixels filled to value (0..1).
  void AddStatBar(platform::gfx::Device* device, float x, float y, float value, float valueAgain);
  void ClearStatBars();
  // ":" and the id of every installed upgrade of the displayed car, in list order; empty without a car.
  std::string UpgradeInfoText() const;

  frontend::ScreenSkin skin;
  frontend::TextLabel* nameLabel = nullptr;
  frontend::TextLabel* classLabel = nullptr;
  frontend::MenuButton* automaticButton = nullptr;
  frontend::MenuButton* manualButton = nullptr;
  frontend::Sprite* statsPanel = nullptr;
  std::vector<frontend::Sprite*> statBars;
  std::vector<int32_t> choices;
  std::vector<bool> ownCar;
  int32_t position = 0;
  // Where F9 shows the upgrade information; the game sets its window system (none: the text is only kept).
  platform::WindowSystem* messageWindows = nullptr;
  // Where F9 copies the upgrade information; the game sets the desktop's clipboard (none: not copied).
  platform::Clipboard* clipboard = nullptr;
  // The text F9 last built.
  std::string upgradeInfo;

 private:
  void BuildChoices();
};

}  // namespace screens
