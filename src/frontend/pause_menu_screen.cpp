// Pause menu: Resume (also Esc, the pause key and the pause button), Restart and Exit Race.
#include "frontend/pause_menu_screen.h"

#include "app/input_devices.h"
#include "app/screen_flow.h"
#include "app/settings.h"
#include "frontend/screen_ids.h"

namespace frontend {

namespace {
enum ButtonId : int32_t { kResume = 0, kRestart = 1, kExit = 2 };
}

PauseMenuScreen::~PauseMenuScreen() { skin.Release(resourceManager); }

void PauseMenuScreen::Init(platform::gfx::Device* device) {
  skin.Load(resourceManager, device);
  AddText(new TextLabel(device, skin.fontImage, skin.font, "Pause Menu", 330, 160, 1.0f, true, kAlignLeft,
                        kVirtualWidth, kVirtualHeight));
  AddAtlasImage(device, skin.buttonImage, 245, 160, 20, 306, 3, 204, 21, 509);
  AddAtlasImage(device, skin.buttonImage, 265, 160, 270, 306, 22, 204, 25, 509);
  AddAtlasImage(device, skin.buttonImage, 535, 160, 20, 306, 36, 204, 55, 509);
  const struct {
    int32_t id;
    const char* text;
    float y;
  } entries[] = {{kResume, "Resume Race", 280}, {kRestart, "Restart Race", 340}, {kExit, "Exit Race", 400}};
  for (const auto& entry : entries) {
    MenuButton* button =
        AddAtlasButton(device, skin.buttonImage, 400, entry.y, 200, 40, kBlankButtonNormal, kWideHighlight, 1, entry.id);
    AddButtonLabels(device, button, entry.text, skin.fontImage, skin.font, 0, -10, 1.0f, false, kAlignCentre);
  }
}

void PauseMenuScreen::Render(platform::gfx::Device* device) {
  rebuild = false;
  MenuScreen::Render(device);
}

int32_t PauseMenuScreen::HandleInput(const ScreenWindow& window) {
  const int32_t id = MenuScreen::HandleInput(window);
  switch (id) {
    case kResume: screenFlow->Request(app::game_state::kResumeRace, 0.0f); break;
    case kRestart: screenFlow->Request(app::game_state::kRestartRace, 0.0f); break;
    case kExit: screenFlow->RequestBack(screen_index::kMainMenu, 0.0f); break;
    default: break;
  }
  if (settings != nullptr && settings->GetInt(app::SettingId::JOYSTICK) != 0 && inputDevices != nullptr) {
    const int button = settings->GetJoyButton(kPauseAction);
    if (button >= 0 && button <= kHighestJoystickButton && inputDevices->GetJoystickButtonPressed(button)) {
      screenFlow->Request(app::game_state::kResumeRace, 0.0f);
    }
  }
  const int pauseKey = settings != nullptr ? settings->GetKey(kPauseAction) : -1;
  const bool pauseKeyPressed = pauseKey >= 0 && keyboard.IsKeyPressed(static_cast<uintptr_t>(pauseKey));
  if (keyboard.IsKeyPressed(kKeyEscape) || pauseKeyPressed) {
    screenFlow->Request(app::game_state::kResumeRace, 0.0f);
    return id;
  }
  if (keyboard.IsKeyPressed(kKeyF)) ToggleFullScreen();
  return id;
}

}  // namespace frontend
