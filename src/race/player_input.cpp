// Race keys and keyboard driving controls.
#include "race/player_input.h"

#include <algorithm>

namespace race {

namespace {
bool Held(const app::KeyboardState& keys, const app::Settings& settings, int action) {
  const int key = settings.GetKey(action);
  return key >= 0 && keys.IsKeyHeld(static_cast<uintptr_t>(key));
}
bool Pressed(const app::KeyboardState& keys, const app::Settings& settings, int action) {
  const int key = settings.GetKey(action);
  return key >= 0 && keys.IsKeyPressed(static_cast<uintptr_t>(key));
}

// A bound action's reading on the controller, 0..1; the previous reading when previous is set.
float ControllerValue(const app::InputDevices& input, const app::Settings& settings, int action, bool previous) {
  const int direction = settings.GetJoyAxisDir(action);
  if (direction != 0) {
    const int axis = settings.GetJoyAxis(action);
    float value = input.GetJoystickAxis(axis);
    if (previous) value -= input.GetJoystickAxisDelta(axis);
    return std::clamp(direction > 0 ? value : -value, 0.0f, 1.0f);
  }
  const int button = settings.GetJoyButton(action);
  const bool down = previous ? input.GetJoystickButton(button) && !input.GetJoystickButtonPressed(button)
                             : input.GetJoystickButton(button);
  return down ? 1.0f : 0.0f;
}

constexpr float kControllerHeld = 0.5f;

bool ControllerHeld(const app::InputDevices& input, const app::Settings& settings, int action) {
  return ControllerValue(input, settings, action, false) > kControllerHeld;
}
bool ControllerPressed(const app::InputDevices& input, const app::Settings& settings, int action) {
  return ControllerHeld(input, settings, action) && ControllerValue(input, settings, action, true) <= kControllerHeld;
}
}  // namespace

RaceKey ReadRaceKey(const app::KeyboardState& keys, bool racing) {
  if (racing && keys.IsKeyPressed(kKeyPause)) return RaceKey::kPause;
  if (keys.IsKeyPressed(kKeyFullScreen)) return RaceKey::kFullScreen;
  if (keys.IsKeyPressed(kKeyReloadCurves)) return RaceKey::kReloadCurves;
  return RaceKey::kNone;
}

PlayerControls ReadKeyboardControls(const app::KeyboardState& keys, const app::Settings& settings) {
  PlayerControls controls;
  if (Held(keys, settings, kActionAccelerate)) controls.throttle = 1.0f;
  if (Held(keys, settings, kActionBrake)) controls.brake = 1.0f;
  const bool left = Held(keys, settings, kActionLeft), right = Held(keys, settings, kActionRight);
  if (left != right) controls.steering = right ? 1.0f : -1.0f;
  controls.handbrake = Held(keys, settings, kActionHandbrake);
  controls.shiftUp = Pressed(keys, settings, kActionShiftUp);
  controls.shiftDown = !controls.shiftUp && Pressed(keys, settings, kActionShiftDown);
  controls.lookBack = Held(keys, settings, kActionLookBack);
  controls.reset = Pressed(keys, settings, kActionReset);
  controls.headlights = Pressed(keys, settings, kActionHeadlights);
  controls.camera = Pressed(keys, settings, kActionCamera);
  controls.pause = Pressed(keys, settings, kActionPause);
  return controls;
}

PlayerControls ReadControllerControls(const app::InputDevices& input, const app::Settings& settings) {
  PlayerControls controls;
  controls.throttle = ControllerValue(input, settings, kActionAccelerate, false);
  controls.brake = ControllerValue(input, settings, kActionBrake, false);
  controls.steering = ControllerValue(input, settings, kActionRight, false);
  const float left = ControllerValue(input, settings, kActionLeft, false);
  if (left > 0.0f) {
    controls.steering = -left;
  } else if (controls.steering < 0.0f) {
    controls.steering = 0.0f;
  }
  controls.handbrake = ControllerHeld(input, settings, kActionHandbrake);
  controls.lookBack = ControllerHeld(input, settings, kActionLookBack);
  controls.shiftUp = ControllerPressed(input, settings, kActionShiftUp);
  controls.shiftDown = !controls.shiftUp && ControllerPressed(input, settings, kActionShiftDown);
  controls.headlights = ControllerPressed(input, settings, kActionHeadlights);
  controls.camera = ControllerPressed(input, settings, kActionCamera);
  controls.reset = ControllerPressed(input, settings, kActionReset);
  controls.pause = ControllerPressed(input, settings, kActionPause);
  return controls;
}

PlayerControls ReadPlayerControls(const app::KeyboardState& keys, const app::InputDevices* input,
                                  const app::Settings& settings) {
  const PlayerControls keyboard = ReadKeyboardControls(keys, settings);
  if (input == nullptr || !input->present || settings.GetInt(app::SettingId::JOYSTICK) == 0) return keyboard;
  PlayerControls controls = ReadControllerControls(*input, settings);
  controls.reset = controls.reset || keyboard.reset;
  controls.headlights = controls.headlights || keyboard.headlights;
  controls.camera = controls.camera || keyboard.camera;
  controls.lookBack = controls.lookBack || keyboard.lookBack;
  controls.pause = controls.pause || keyboard.pause;
  return controls;
}

}  // namespace race
