// Menu screen 8: binds each driving action to a key and, with a game controller, to a button or an axis half.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/settings.h"
#include "frontend/menu_screen.h"

namespace app {
class InputDevices;
}

namespace frontend {

// Names of the virtual-key codes 0-225; "NA" marks a code that cannot be bound.
inline constexpr int kKeyNameCount = 226;
extern const std::array<const char*, kKeyNameCount> KeyNameTable;
// The name of a key code, "NA" outside the table.
const char* KeyName(int key);

// Smallest movement of an axis within one poll that binds it (a resting axis never does).
inline constexpr float kAxisCaptureThreshold = 0.03f;
// The controller buttons and axes a binding can capture.
inline constexpr int kCaptureButtonCount = 32;
inline constexpr int kCaptureAxisCount = 8;

class ControlMenuScreen : public MenuScreen {
 public:
  // inputDevices may be null: no controller is then present.
  ControlMenuScreen(const ScreenServices& services, app::InputDevices* inputDevices);
  ~ControlMenuScreen() override;

  void OnEnter() override;
  void Init(platform::gfx::Device* device) override;
  void Update(const ScreenWindow& window, float frameTime) override { UpdateUnscaled(window, frameTime); }
  void Render(platform::gfx::Device* device) override;
  int32_t HandleInput(const ScreenWindow& window) override;

  void TakeSnapshot();
  // Puts back every binding and every setting but the full-screen flag; no validation.
  void RestoreSnapshot();
  // n is the button id minus 5: 0 the controller switch, 500 + a a key button, 1000 + a a controller button.
  void OnBindingButton(int32_t n);
  // Binds this frame's first named key, newly pressed controller button or moving axis to the waiting action.
  void CaptureBinding();
  void RebuildRows(platform::gfx::Device* device);

  // The controller column's text of an action's binding.
  std::string ControllerBindingText(int action) const;

  ScreenSkin skin;
  std::vector<MenuButton*> dynamicButtons;
  app::InputDevices* inputDevices = nullptr;
  int32_t keyWait = -1;
  int32_t controllerWait = -1;
  std::array<int32_t, app::kIntSettingCount> settingsSnapshot{};
  std::array<int32_t, app::kActionSlots> keySnapshot{};
  std::array<int32_t, app::kActionSlots> buttonSnapshot{};
  std::array<int32_t, app::kActionSlots> axisSnapshot{};
  std::array<int32_t, app::kActionSlots> directionSnapshot{};
};

}  // namespace frontend
