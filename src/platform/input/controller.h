// The game controller seen by the game: a wheel, gamepad or joystick with eight axes, 128 buttons and optional
// force-feedback effects. The real backend is SDL2's joystick and haptic API; a scripted one serves the tests.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/input/force_effect.h"
#include "platform/result.h"

namespace platform::input {

constexpr int kAxisCount = 8;
constexpr int kButtonCount = 128;
constexpr int kAxisRange = 1000;  // axes read -1000..1000
constexpr uint8_t kButtonDown = 0x80;

// Poll and GetState results besides kOk.
constexpr HResult kInputLost = static_cast<HResult>(0x8007001Eu);
constexpr HResult kNotAcquired = static_cast<HResult>(0x8007000Cu);

// One reading: x, y, z, x rotation, y rotation, z rotation, slider 0, slider 1; buttons with kButtonDown set
// when held.
struct ControllerState {
  std::array<int32_t, kAxisCount> axes{};
  std::array<uint8_t, kButtonCount> buttons{};
};

class Controller {
 public:
  virtual ~Controller() = default;

  virtual std::string Name() const = 0;
  virtual bool IsWheel() const = 0;
  virtual bool HasForceFeedback() const = 0;
  virtual int AxisCount() const = 0;
  virtual int ButtonCount() const = 0;

  // Takes the device for reading; kInputLost while it is unplugged.
  virtual HResult Acquire() = 0;
  // Releases it (reads then fail with kNotAcquired until the next Acquire).
  virtual void Unacquire() = 0;
  // Refreshes the device; kNotAcquired before Acquire, kInputLost when it went away.
  virtual HResult Poll() = 0;
  // The state after the last Poll: axes scaled to ±kAxisRange with a 1% dead zone on the x axis.
  virtual HResult GetState(ControllerState& state) = 0;

  // Force feedback. CreateEffect returns a non-negative effect id, or -1 when the device cannot play it.
  virtual int CreateEffect(const ForceEffect& effect) = 0;
  virtual void ReleaseEffect(int effect) = 0;
  // iterations -1 repeats until stopped.
  virtual bool StartEffect(int effect, int iterations) = 0;
  virtual bool StopEffect(int effect) = 0;
  // Scales the effect's magnitudes by gain / 10000.
  virtual bool SetEffectGain(int effect, int gain) = 0;
};

// Opens the first attached controller; with forceFeedbackOnly, the first one that has force feedback.
// Null when there is none (or no joystick support at all).
using ControllerOpener = std::function<std::unique_ptr<Controller>(bool forceFeedbackOnly)>;
std::unique_ptr<Controller> OpenFirstController(bool forceFeedbackOnly);

}  // namespace platform::input
