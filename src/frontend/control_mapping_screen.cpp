// Control mapping: key and controller bindings captured from the next input, with defaults, Accept and Back.
#include "frontend/control_mapping_screen.h"

#include "app/input_devices.h"
#include "app/screen_flow.h"
#include "frontend/options_panel.h"
#include "frontend/screen_ids.h"

namespace frontend {

namespace {
using app::SettingId;

constexpr std::array<const char*, kKeyNameCount> MakeKeyNames() {
  std::array<const char*, kKeyNameCount> names{};
  for (auto& name : names) name = "NA";
  const char* const digits[10] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
  const char* const numpad[10] = {"NUM 0", "NUM 1", "NUM 2", "NUM 3", "NUM 4",
                                  "NUM 5", "NUM 6", "NUM 7", "NUM 8", "NUM 9"};
  const char* const letters[26] = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m",
                                   "n", "o", "p", "q", "r", "s", "t", "u", "v", "w", "x", "y", "z"};
  names[8] = "backspace";
  names[12] = "center";
  names[13] = "enter";
  names[16] = "shift";
  names[17] = "ctrl";
  names[18] = "alt";
  names[19] = "tab";
  names[32] = "space";
  names[33] = "pgup";
  names[34] = "pgdn";
  names[35] = "end";
  names[36] = "home";
  names[37] = "left arrow";
  names[38] = "up arrow";
  names[39] = "right arrow";
  names[40] = "down arrow";
  names[41] = ")";
  names[42] = "*";
  names[43] = "+";
  names[44] = ",";
  names[45] = "ins";
  names[46] = "del";
  names[47] = "/";
  for (int i = 0; i < 10; ++i) names[48 + i] = digits[i];
  names[58] = ":";
  names[59] = ";";
  names[60] = "<";
  names[61] = "=";
  names[62] = ">";
  names[63] = "?";
  names[64] = "@";
  for (int i = 0; i < 26; ++i) names[65 + i] = letters[i];
  // F toggles full screen and Q is left free, so neither can be bound.
  names[70] = "NA";
  names[81] = "NA";
  names[91] = "[";
  names[92] = "\\";
  names[93] = "]";
  names[94] = "^";
  names[95] = "_";
  for (int i = 0; i < 10; ++i) names[96 + i] = numpad[i];
  names[106] = "*";
  names[107] = "big plus";
  names[109] = "big minus";
  names[111] = "/";
  names[123] = "{";
  names[124] = "|";
  names[125] = "}";
  names[126] = "~";
  names[127] = ";";
  names[128] = "=";
  names[129] = ".";
  names[130] = "-";
  names[131] = ",";
  names[132] = "/";
  names[133] = "`";
  names[134] = "[";
  names[135] = "\\";
  names[136] = "]";
  names[137] = "'";
  names[186] = ";";
  names[187] = "=";
  names[188] = ",";
  names[189] = "-";
  names[190] = ".";
  names[191] = "/";
  names[192] = "`";
  names[219] = "[";
  names[220] = "\\";
  names[221] = "]";
  names[222] = "'";
  return names;
}

enum ButtonId : int32_t {
  kAccept = 0,
  kBack = 1,
  kQuitIcon = 2,
  kFullScreenIcon = 3,
  kSetToDefault = 4,
  kFirstBinding = 5,
};
static_assert(kAccept == options_panel::kAcceptId && kBack == options_panel::kBackId &&
              kQuitIcon == options_panel::kQuitIconId && kFullScreenIcon == options_panel::kFullScreenIconId);
constexpr int32_t kKeyButtonBase = 500;
constexpr int32_t kControllerButtonBase = 1000;
// Keys 0-224 are examined for a capture.
constexpr int kCaptureKeyLimit = 225;
constexpr float kRowNormal[4] = {10, 88, 11, 89};
constexpr float kRowHighlight[4] = {3, 2, 200, 39};
constexpr float kCellHighlight[4] = {3, 2, 4, 39};

bool IsNamed(int key) { return std::string_view(KeyName(key)) != "NA"; }
}  // namespace

const std::array<const char*, kKeyNameCount> KeyNameTable = MakeKeyNames();

const char* KeyName(int key) { return key >= 0 && key < kKeyNameCount ? KeyNameTable[key] : "NA"; }

ControlMenuScreen::ControlMenuScreen(const ScreenServices& services, app::InputDevices* inputDevices)
    : MenuScreen(services), inputDevices(inputDevices) {}

ControlMenuScreen::~ControlMenuScreen() {
  ClearListButtons(dynamicButtons);
  skin.Release(resourceManager);
}

void ControlMenuScreen::Init(platform::gfx::Device* device) {
  skin.Load(resourceManager, device);
  auto text = [&](const std::string& words, float x, float y, float scale, bool alternate, int32_t align) {
    AddText(new TextLabel(device, skin.fontImage, skin.font, words, x, y, scale, alternate, align, kVirtualWidth,
                          kVirtualHeight));
  };
  text("Control Menu", 735, 135, 1.25f, false, kAlignRight);
  text("keyboard", 500, 175, 0.75f, true, kAlignCentre);
  text("gamepad/wheel", 660, 175, 0.75f, true, kAlignCentre);
  for (int a = 0; a < app::kInputActionCount; ++a) {
    text(app::InputActionNames[a], 415, 200.0f + 24.0f * static_cast<float>(a), 0.75f, true, kAlignRight);
  }
  options_panel::AddFrame(*this, device, skin.buttonImage);
  MenuButton* defaults =
      AddAtlasButton(device, skin.buttonImage, 12, 475, 256, 38, kRowNormal, kRowHighlight, 0, kSetToDefault);
  AddButtonLabels(device, defaults, "Set To Default", skin.fontImage, skin.font, 5, 8, 0.75f, true, kAlignLeft);
  options_panel::AddButtons(*this, device, skin, 567);
}

void ControlMenuScreen::OnEnter() {
  MenuScreen::OnEnter();
  keyWait = -1;
  controllerWait = -1;
  TakeSnapshot();
  rebuild = true;
}

void ControlMenuScreen::TakeSnapshot() {
  for (int a = 0; a < app::kActionSlots; ++a) {
    keySnapshot[a] = settings->GetKey(a);
    buttonSnapshot[a] = settings->GetJoyButton(a);
    axisSnapshot[a] = settings->GetJoyAxis(a);
    directionSnapshot[a] = settings->GetJoyAxisDir(a);
  }
  for (int i = 0; i < app::kIntSettingCount; ++i) settingsSnapshot[i] = settings->GetInt(static_cast<SettingId>(i));
}

void ControlMenuScreen::RestoreSnapshot() {
  for (int a = 0; a < app::kActionSlots; ++a) {
    settings->BindKey(a, keySnapshot[a]);
    settings->SetJoyAxisRaw(a, axisSnapshot[a], directionSnapshot[a]);
    settings->SetJoyButtonRaw(a, buttonSnapshot[a]);
  }
  for (int i = 0; i < app::kIntSettingCount; ++i) {
    const auto id = static_cast<SettingId>(i);
    if (id != SettingId::FULLSCREEN) settings->SetInt(id, settingsSnapshot[i]);
  }
}

void ControlMenuScreen::Render(platform::gfx::Device* device) {
  if (rebuild) {
    rebuild = false;
    RebuildRows(device);
  }
  MenuScreen::Render(device);
}

std::string ControlMenuScreen::ControllerBindingText(int action) const {
  if (action == controllerWait) return "press button";
  const int direction = settings->GetJoyAxisDir(action);
  const std::string axisNumber = std::to_string(settings->GetJoyAxis(action) + 1);
  if (direction > 0) return "+ axis " + axisNumber;
  if (direction < 0) return "- axis " + axisNumber;
  const int button = settings->GetJoyButton(action);
  if (button >= 0) return "button " + std::to_string(button + 1);
  return "none";
}

void ControlMenuScreen::RebuildRows(platform::gfx::Device* device) {
  ClearListButtons(dynamicButtons);
  const bool controller = settings->GetInt(SettingId::JOYSTICK) != 0;
  std::string controllerText = "Controller : Keyboard";
  if (controller) {
    const bool wheel = inputDevices != nullptr && inputDevices->isWheel;
    controllerText = wheel ? "Controller : Wheel" : "Controller : Gamepad";
  }
  MenuButton* choice =
      AddAtlasButton(device, skin.buttonImage, 12, 200, 256, 38, kRowNormal, kRowHighlight, 0, kFirstBinding);
  AddButtonLabels(device, choice, controllerText, skin.fontImage, skin.font, 5, 8, 0.75f, true, kAlignLeft);
  dynamicButtons.push_back(choice);

  auto cell = [&](int32_t id, float x, float y, bool waiting, const std::string& text) {
    const float* normal = waiting ? kCellHighlight : kRowNormal;
    const float* highlight = waiting ? kRowNormal : kCellHighlight;
    MenuButton* button = AddAtlasButton(device, skin.buttonImage, x, y, 150, 23, normal, highlight, 0, id);
    AddButtonLabels(device, button, text, skin.fontImage, skin.font, 75, 0, 0.75f, true, kAlignCentre);
    dynamicButtons.push_back(button);
  };
  for (int a = 0; a < app::kInputActionCount; ++a) {
    const float y = 200.0f + 24.0f * static_cast<float>(a);
    const int key = settings->GetKey(a);
    // A stored code outside the name table shows as unnamed rather than reading past it.
    const std::string keyText = a == keyWait ? "press a key" : key >= 0 ? KeyName(key) : "none";
    cell(kFirstBinding + kKeyButtonBase + a, 425, y, a == keyWait, keyText);
  }
  if (!controller) return;
  for (int a = 0; a < app::kInputActionCount; ++a) {
    const float y = 200.0f + 24.0f * static_cast<float>(a);
    cell(kFirstBinding + kControllerButtonBase + a, 585, y, a == controllerWait, ControllerBindingText(a));
  }
}

int32_t ControlMenuScreen::HandleInput(const ScreenWindow& window) {
  const int32_t id = MenuScreen::HandleInput(window);
  switch (id) {
    case kNoButton: break;
    case kAccept: screenFlow->RequestBack(screen_index::kOptionsMenu, 0.0f); break;
    case kBack:
      RestoreSnapshot();
      screenFlow->RequestBack(screen_index::kOptionsMenu, 0.0f);
      break;
    case kQuitIcon: screenFlow->Request(app::game_state::kQuit, 0.0f); break;
    case kFullScreenIcon:
      ToggleFullScreen();
      mouse.ResetMouseButtons();
      break;
    case kSetToDefault:
      keyWait = -1;
      controllerWait = -1;
      settings->DefaultKeys();
      settings->DefaultJoystick();
      rebuild = true;
      break;
    default:
      if (id >= kFirstBinding) OnBindingButton(id - kFirstBinding);
      break;
  }
  if (keyboard.IsKeyPressed(kKeyEscape)) {
    screenFlow->RequestBack(screen_index::kOptionsMenu, 0.0f);
    CaptureBinding();
    return id;
  }
  if (keyboard.IsKeyPressed(kKeyF)) ToggleFullScreen();
  CaptureBinding();
  return id;
}

void ControlMenuScreen::OnBindingButton(int32_t n) {
  if (n == 0) {
    const bool present = inputDevices != nullptr && inputDevices->present;
    const int joystick = settings->GetInt(SettingId::JOYSTICK);
    settings->SetInt(SettingId::JOYSTICK, present ? (joystick == 0 ? 1 : 0) : 0);
  } else if (n >= kControllerButtonBase) {
    controllerWait = n - kControllerButtonBase;
    keyWait = -1;
  } else if (n >= kKeyButtonBase) {
    keyWait = n - kKeyButtonBase;
    controllerWait = -1;
  }
  settings->Validate();
  rebuild = true;
}

void ControlMenuScreen::CaptureBinding() {
  if (keyWait != -1) {
    for (int key = 0; key < kCaptureKeyLimit; ++key) {
      if (!keyboard.IsKeyPressed(static_cast<uintptr_t>(key)) || !IsNamed(key)) continue;
      settings->UnbindKey(key);
      settings->BindKey(keyWait, key);
      keyWait = -1;
      rebuild = true;
      return;
    }
  }
  if (controllerWait == -1 || inputDevices == nullptr) return;
  for (int button = 0; button < kCaptureButtonCount; ++button) {
    if (!inputDevices->GetJoystickButtonPressed(button)) continue;
    settings->UnbindJoyButton(button);
    settings->BindJoyButton(controllerWait, button);
    controllerWait = -1;
    rebuild = true;
    return;
  }
  for (int axis = 0; axis < kCaptureAxisCount; ++axis) {
    const float delta = inputDevices->GetJoystickAxisDelta(axis);
    int direction = 0;
    if (delta < -kAxisCaptureThreshold) {
      direction = -1;
    } else if (delta > kAxisCaptureThreshold) {
      direction = 1;
    } else {
      continue;
    }
    settings->UnbindJoyAxis(axis, direction);
    settings->BindJoyAxis(controllerWait, axis, direction);
    controllerWait = -1;
    rebuild = true;
    return;
  }
}

}  // namespace frontend
