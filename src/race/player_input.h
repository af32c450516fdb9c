// The player's keyboard and game controller in a race: the race's own keys (pause, full screen, curve reload)
// and the bound driving actions turned into one frame's controls.
#pragma once

#include <cstdint>

#include "app/input_devices.h"
#include "app/keyboard_state.h"
#include "app/settings.h"

namespace race {

// Action indices of the key bindings.
enum InputAction : int {
  kActionLeft, kActionRight, kActionAccelerate, kActionBrake, kActionHandbrake, kActionShiftUp, kActionShiftDown,
  kActionHeadlights, kActionLookBack, kActionCamera, kActionReset, kActionPause, kActionCount
};

// Fixed race keys.
constexpr uintptr_t kKeyPause = 0x1B;        // Esc
constexpr uintptr_t kKeyFullScreen = 0x46;   // 'F'
constexpr uintptr_t kKeyReloadCurves = 0x74; // F5
// The pause screen's kind asked for from a race.
constexpr int32_t kRacePauseKind = 10;

enum class RaceKey { kNone, kPause, kFullScreen, kReloadCurves };

// One frame's controls; everything zero when nothing is held or pressed.
struct PlayerControls {
  float throttle = 0;   // 0..1
  float brake = 0;      // 0..1
  float steering = 0;   // -1 left .. +1 right
  bool handbrake = false;
  bool shiftUp = false;
  bool shiftDown = false;
  bool lookBack = false;
  bool reset = false;       // pressed this frame
  bool headlights = false;  // pressed this frame
  bool camera = false;      // pressed this frame
  bool pause = false;       // pressed this frame
};

// The first race key pressed this frame: Esc only counts while racing, otherwise 'F', then F5.
RaceKey ReadRaceKey(const app::KeyboardState& keys, bool racing);

// The driving actions from their key bindings. Both steering keys held steer straight; shift up wins over
// shift down. An unbound action (a binding outside the key table) is never active.
PlayerControls ReadKeyboardControls(const app::KeyboardState& keys, const app::Settings& settings);

// The actions from the controller's bindings: an action bound to an axis half reads the axis beyond the centre
// in that direction (0..1), one bound to a button reads 1 while it is held. Left overrides right. Actions that
// are held or pressed (handbrake, look back, shifts, headlights, camera, reset, pause) count beyond half travel.
PlayerControls ReadControllerControls(const app::InputDevices& input, const app::Settings& settings);

// One frame's controls of the player: with JOYSTICK on and a controller, the driving comes from the controller's
// bindings, otherwise from the keys; reset, headlights, camera, look back and pause work from both.
PlayerControls ReadPlayerControls(const app::KeyboardState& keys, const app::InputDevices* input,
                                  const app::Settings& settings);

}  // namespace race
