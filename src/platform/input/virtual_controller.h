// A controller made in software through SDL's virtual joystick API, so tests and demos can drive the real
// controller backend without hardware.
#pragma once

#include <cstdint>
#include <memory>

namespace platform::input {

class VirtualController {
 public:
  // Attaches a virtual wheel or gamepad; null when the joystick subsystem cannot start.
  static std::unique_ptr<VirtualController> Attach(bool wheel, int axes, int buttons);
  ~VirtualController();
  VirtualController(const VirtualController&) = delete;
  VirtualController& operator=(const VirtualController&) = delete;

  // Raw SDL axis value -32768..32767.
  void SetAxis(int axis, int16_t value);
  void SetButton(int button, bool down);

 private:
  VirtualController() = default;
  int deviceIndex_ = -1;
  void* joystick_ = nullptr;  // the SDL joystick kept open to feed values
};

}  // namespace platform::input
