// Virtual controllers on SDL's virtual joystick API.
#include "platform/input/virtual_controller.h"

#include <SDL.h>

namespace platform::input {

std::unique_ptr<VirtualController> VirtualController::Attach(bool wheel, int axes, int buttons) {
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return nullptr;
  const int index = SDL_JoystickAttachVirtual(wheel ? SDL_JOYSTICK_TYPE_WHEEL : SDL_JOYSTICK_TYPE_GAMECONTROLLER,
                                              axes, buttons, 0);
  if (index < 0) {
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    return nullptr;
  }
  std::unique_ptr<VirtualController> controller(new VirtualController());
  controller->deviceIndex_ = index;
  controller->joystick_ = SDL_JoystickOpen(index);
  return controller;
}

VirtualController::~VirtualController() {
  if (joystick_ != nullptr) SDL_JoystickClose(static_cast<SDL_Joystick*>(joystick_));
  if (deviceIndex_ >= 0) {
    SDL_JoystickDetachVirtual(deviceIndex_);
  }
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

void VirtualController::SetAxis(int axis, int16_t value) {
  if (joystick_ != nullptr) SDL_JoystickSetVirtualAxis(static_cast<SDL_Joystick*>(joystick_), axis, value);
}

void VirtualController::SetButton(int button, bool down) {
  if (joystick_ != nullptr) SDL_JoystickSetVirtualButton(static_cast<SDL_Joystick*>(joystick_), button, down ? 1 : 0);
}

}  // namespace platform::input
