// Race keys and keyboard driving controls.
#include "race/player_input.h"

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

}  // namespace race
