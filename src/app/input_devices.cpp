// Controller discovery, polling and force-feedback effects.
#include "app/input_devices.h"

#include "platform/input/ffe_reader.h"

namespace app {

namespace input = platform::input;

InputDevices::InputDevices(platform::WindowHandle windowHandle) : InputDevices(windowHandle, input::OpenFirstController) {}

InputDevices::InputDevices(platform::WindowHandle windowHandle, input::ControllerOpener opener)
    : window(windowHandle), opener_(std::move(opener)) {
  present = platform::Succeeded(CreateDevice(windowHandle));
  if (!present) forceFeedback = false;
}

InputDevices::~InputDevices() { Shutdown(); }

platform::HResult InputDevices::CreateDevice(platform::WindowHandle windowHandle) {
  window = windowHandle;
  if (!opener_) return platform::kFail;
  device_ = opener_(true);
  forceFeedback = device_ != nullptr;
  if (device_ == nullptr) device_ = opener_(false);
  if (device_ == nullptr) return platform::kFail;
  isWheel = device_->IsWheel();
  // Not acquired here: the first poll acquires it.
  return platform::kOk;
}

void InputDevices::Poll() {
  if (!present || device_ == nullptr) return;
  if (platform::Failed(device_->Poll())) {
    // Take the device again (a bounded number of times while it reports itself lost) and read next frame.
    for (int attempt = 0; attempt < kMaxAcquireAttempts; ++attempt) {
      if (device_->Acquire() != input::kInputLost) break;
    }
    return;
  }
  input::ControllerState state;
  if (platform::Failed(device_->GetState(state))) return;
  previousAxes = axes;
  for (int i = 0; i < input::kAxisCount; ++i) axes[i] = static_cast<float>(state.axes[i]) / 1000.0f;
  for (int i = 0; i < input::kButtonCount; ++i) {
    if ((state.buttons[i] & input::kButtonDown) != 0) {
      buttonPressed[i] = buttonHeld[i] == 0 ? 1 : 0;
      buttonHeld[i] = 1;
    } else {
      buttonPressed[i] = 0;
      buttonHeld[i] = 0;
    }
  }
}

float InputDevices::GetJoystickAxis(int axis) const {
  return axis >= 0 && axis < input::kAxisCount ? axes[axis] : 0.0f;
}

float InputDevices::GetJoystickAxisDelta(int axis) const {
  return axis >= 0 && axis < input::kAxisCount ? axes[axis] - previousAxes[axis] : 0.0f;
}

bool InputDevices::GetJoystickButton(int button) const {
  return button >= 0 && button < input::kButtonCount && buttonHeld[button] != 0;
}

bool InputDevices::GetJoystickButtonPressed(int button) const {
  return button >= 0 && button < input::kButtonCount && buttonPressed[button] != 0;
}

int InputDevices::GetJoystickAxisCount() const { return present && device_ ? device_->AxisCount() : 0; }

int InputDevices::GetJoystickButtonCount() const { return present && device_ ? device_->ButtonCount() : 0; }

void InputDevices::ReleaseEffects() {
  if (device_ != nullptr) {
    for (int id : effects_) device_->ReleaseEffect(id);
  }
  effects_.clear();
  effectCount = 0;
}

platform::HResult InputDevices::LoadForceEffects(const std::string& path) {
  if (!present || !forceFeedback || device_ == nullptr) return platform::kFail;
  ReleaseEffects();
  effectsLoaded = false;
  std::vector<input::ForceEffect> effects;
  if (!input::LoadForceEffectFile(path, effects)) return platform::kFail;
  for (const input::ForceEffect& effect : effects) {
    if (effectCount >= kMaxForceEffects) break;
    const int id = device_->CreateEffect(effect);
    if (id < 0) continue;  // an effect this controller cannot play is skipped; the rest move up
    effects_.push_back(id);
    effectCount = static_cast<int>(effects_.size());
  }
  effectsLoaded = true;
  return platform::kOk;
}

bool InputDevices::EffectUsable(int effect) const {
  return present && forceFeedback && effectsLoaded && device_ != nullptr && effect >= 0 && effect < effectCount;
}

void InputDevices::PlayForceEffect(int effect, int iterations) {
  if (EffectUsable(effect)) device_->StartEffect(effects_[effect], iterations);
}

void InputDevices::StopForceEffect(int effect) {
  if (EffectUsable(effect)) device_->StopEffect(effects_[effect]);
}

void InputDevices::SetForceEffectGain(int effect, int gain) {
  if (EffectUsable(effect)) device_->SetEffectGain(effects_[effect], gain);
}

void InputDevices::StopAllForceEffects() {
  if (!present || !forceFeedback || !effectsLoaded || effectCount <= 0 || device_ == nullptr) return;
  for (int id : effects_) device_->StopEffect(id);
}

void InputDevices::Shutdown() {
  present = false;
  forceFeedback = false;
  ReleaseEffects();
  effectsLoaded = false;
  if (device_ != nullptr) {
    device_->Unacquire();
    device_.reset();
  }
}

}  // namespace app
