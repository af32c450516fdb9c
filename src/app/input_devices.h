// The one game controller the program uses (wheel, gamepad or joystick): its eight axes and 128 buttons read
// once per frame, and the force-feedback effects loaded from an effect file.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/input/controller.h"
#include "platform/result.h"
#include "platform/window_system.h"

namespace app {

constexpr int kMaxForceEffects = 99;
// Acquire attempts in one poll while the device reports it is lost.
constexpr int kMaxAcquireAttempts = 5;

class InputDevices {
 public:
  // Opens the first controller with force feedback, else the first controller at all.
  explicit InputDevices(platform::WindowHandle window);
  // The same with another way of opening controllers (scripted ones in tests).
  InputDevices(platform::WindowHandle window, platform::input::ControllerOpener opener);
  ~InputDevices();
  InputDevices(const InputDevices&) = delete;
  InputDevices& operator=(const InputDevices&) = delete;

  // kOk with a controller; kFail without one.
  platform::HResult CreateDevice(platform::WindowHandle window);
  // Reads the controller once: axes to −1..1 (previous ones kept for the deltas), buttons held and pressed.
  // A controller that cannot be read leaves the state as it was.
  void Poll();

  float GetJoystickAxis(int axis) const;
  float GetJoystickAxisDelta(int axis) const;
  bool GetJoystickButton(int button) const;
  bool GetJoystickButtonPressed(int button) const;
  int GetJoystickAxisCount() const;
  int GetJoystickButtonCount() const;
  bool AreForceEffectsLoaded() const { return present && forceFeedback && effectsLoaded; }
  // The effect file for this controller, under the executable's folder: the wheel set for a wheel.
  const char* ForceEffectFileName() const { return isWheel ? "FF\\wheeleffects.ffe" : "FF\\effects.ffe"; }

  // With a force-feedback controller: replaces the loaded effects by those of the file (the first 99 the
  // controller accepts, in file order) and returns kOk; kFail without one; a file that cannot be read returns
  // kFileNotFound or kFail and leaves no effects.
  platform::HResult LoadForceEffects(const std::string& path);
  // The effect operations do nothing without a controller, force feedback, loaded effects and a valid index.
  void PlayForceEffect(int effect, int iterations);
  void StopForceEffect(int effect);
  void SetForceEffectGain(int effect, int gain);
  void StopAllForceEffects();
  void Shutdown();

  platform::WindowHandle window = 0;
  int effectCount = 0;
  std::array<float, platform::input::kAxisCount> axes{};
  std::array<float, platform::input::kAxisCount> previousAxes{};
  std::array<uint8_t, platform::input::kButtonCount> buttonHeld{};
  std::array<uint8_t, platform::input::kButtonCount> buttonPressed{};
  bool present = false;
  bool forceFeedback = false;
  bool effectsLoaded = false;
  bool isWheel = false;

 private:
  bool EffectUsable(int effect) const;
  void ReleaseEffects();

  platform::input::ControllerOpener opener_;
  std::unique_ptr<platform::input::Controller> device_;
  std::vector<int> effects_;  // controller effect ids by effect number
};

}  // namespace app
