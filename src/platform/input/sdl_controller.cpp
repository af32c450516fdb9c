// The controller on SDL2: the joystick API for axes and buttons, the haptic API for force-feedback effects.
#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <vector>

#include "platform/input/controller.h"
#include "platform/input/haptic_mapping.h"

namespace platform::input {
namespace {

constexpr int kDeadZone = kAxisRange / 100;  // 1% of the range, on the x axis only

Uint16 SdlType(HapticType type) {
  switch (type) {
    case HapticType::kConstant: return SDL_HAPTIC_CONSTANT;
    case HapticType::kRamp: return SDL_HAPTIC_RAMP;
    case HapticType::kSine: return SDL_HAPTIC_SINE;
    case HapticType::kTriangle: return SDL_HAPTIC_TRIANGLE;
    case HapticType::kSawtoothUp: return SDL_HAPTIC_SAWTOOTHUP;
    case HapticType::kSawtoothDown: return SDL_HAPTIC_SAWTOOTHDOWN;
    case HapticType::kSpring: return SDL_HAPTIC_SPRING;
    case HapticType::kDamper: return SDL_HAPTIC_DAMPER;
    case HapticType::kInertia: return SDL_HAPTIC_INERTIA;
    case HapticType::kFriction: return SDL_HAPTIC_FRICTION;
  }
  return 0;
}

// The effect as SDL plays it. False when the device does not offer its type.
bool ToSdlEffect(const ForceEffect& effect, int gain, unsigned int supported, SDL_HapticEffect& out) {
  HapticEffect haptic;
  if (!ToHapticEffect(effect, gain, haptic)) return false;
  const Uint16 type = SdlType(haptic.type);
  if ((supported & type) == 0) return false;
  out = SDL_HapticEffect{};
  SDL_HapticDirection direction{};
  direction.type = haptic.directionType == HapticDirection::kPolar       ? SDL_HAPTIC_POLAR
                   : haptic.directionType == HapticDirection::kSpherical ? SDL_HAPTIC_SPHERICAL
                                                                         : SDL_HAPTIC_CARTESIAN;
  for (int i = 0; i < 3; ++i) direction.dir[i] = haptic.direction[i];
  const Uint32 length = haptic.lengthMs == kHapticInfinity ? SDL_HAPTIC_INFINITY : haptic.lengthMs;
  auto common = [&](auto& target) {
    target.type = type;
    target.direction = direction;
    target.length = length;
    target.delay = haptic.delayMs;
    target.button = haptic.button;
    target.interval = haptic.intervalMs;
  };
  auto envelope = [&](auto& target) {
    target.attack_length = haptic.attackMs;
    target.attack_level = haptic.attackLevel;
    target.fade_length = haptic.fadeMs;
    target.fade_level = haptic.fadeLevel;
  };
  switch (haptic.type) {
    case HapticType::kConstant:
      common(out.constant);
      envelope(out.constant);
      out.constant.level = haptic.level;
      return true;
    case HapticType::kRamp:
      common(out.ramp);
      envelope(out.ramp);
      out.ramp.start = haptic.rampStart;
      out.ramp.end = haptic.rampEnd;
      return true;
    case HapticType::kSine:
    case HapticType::kTriangle:
    case HapticType::kSawtoothUp:
    case HapticType::kSawtoothDown:
      common(out.periodic);
      envelope(out.periodic);
      out.periodic.period = haptic.periodMs;
      out.periodic.magnitude = haptic.magnitude;
      out.periodic.offset = haptic.offset;
      out.periodic.phase = haptic.phase;
      return true;
    case HapticType::kSpring:
    case HapticType::kDamper:
    case HapticType::kInertia:
    case HapticType::kFriction:
      common(out.condition);
      for (int axis = 0; axis < 3; ++axis) {
        const HapticCondition& c = haptic.conditions[axis];
        out.condition.right_sat[axis] = c.rightSaturation;
        out.condition.left_sat[axis] = c.leftSaturation;
        out.condition.right_coeff[axis] = c.rightCoefficient;
        out.condition.left_coeff[axis] = c.leftCoefficient;
        out.condition.deadband[axis] = c.deadBand;
        out.condition.center[axis] = c.center;
      }
      return true;
  }
  return false;
}

class SdlController final : public Controller {
 public:
  SdlController(SDL_Joystick* joystick, SDL_Haptic* haptic) : joystick_(joystick), haptic_(haptic) {
    if (haptic_ != nullptr) supported_ = SDL_HapticQuery(haptic_);
    if (haptic_ != nullptr && (supported_ & SDL_HAPTIC_GAIN) != 0) SDL_HapticSetGain(haptic_, 100);
  }
  ~SdlController() override {
    if (haptic_ != nullptr) {
      for (const Slot& slot : slots_) {
        if (slot.sdlId >= 0) SDL_HapticDestroyEffect(haptic_, slot.sdlId);
      }
      SDL_HapticClose(haptic_);
    }
    SDL_JoystickClose(joystick_);
  }

  std::string Name() const override {
    const char* name = SDL_JoystickName(joystick_);
    return name != nullptr ? name : "";
  }
  bool IsWheel() const override { return SDL_JoystickGetType(joystick_) == SDL_JOYSTICK_TYPE_WHEEL; }
  bool HasForceFeedback() const override { return haptic_ != nullptr; }
  int AxisCount() const override { return std::min(SDL_JoystickNumAxes(joystick_), kAxisCount); }
  int ButtonCount() const override { return std::min(SDL_JoystickNumButtons(joystick_), kButtonCount); }

  HResult Acquire() override {
    if (!SDL_JoystickGetAttached(joystick_)) return kInputLost;
    acquired_ = true;
    return kOk;
  }
  void Unacquire() override { acquired_ = false; }
  HResult Poll() override {
    if (!acquired_) return kNotAcquired;
    SDL_JoystickUpdate();
    if (!SDL_JoystickGetAttached(joystick_)) {
      acquired_ = false;
      return kInputLost;
    }
    return kOk;
  }
  HResult GetState(ControllerState& state) override {
    if (!acquired_) return kNotAcquired;
    state = ControllerState{};
    const int axes = AxisCount();
    for (int i = 0; i < axes; ++i) {
      const int raw = SDL_JoystickGetAxis(joystick_, i);
      int value = raw * kAxisRange / 32767;
      value = std::clamp(value, -kAxisRange, kAxisRange);
      if (i == 0 && std::abs(value) < kDeadZone) value = 0;
      state.axes[i] = value;
    }
    const int buttons = ButtonCount();
    for (int i = 0; i < buttons; ++i) {
      state.buttons[i] = SDL_JoystickGetButton(joystick_, i) != 0 ? kButtonDown : 0;
    }
    return kOk;
  }

  int CreateEffect(const ForceEffect& effect) override {
    if (haptic_ == nullptr) return -1;
    SDL_HapticEffect sdlEffect;
    if (!ToSdlEffect(effect, static_cast<int>(effect.gain), supported_, sdlEffect)) return -1;
    const int id = SDL_HapticNewEffect(haptic_, &sdlEffect);
    if (id < 0) return -1;
    slots_.push_back({effect, id});
    return static_cast<int>(slots_.size()) - 1;
  }
  void ReleaseEffect(int effect) override {
    if (!Valid(effect)) return;
    SDL_HapticDestroyEffect(haptic_, slots_[effect].sdlId);
    slots_[effect].sdlId = -1;
  }
  bool StartEffect(int effect, int iterations) override {
    if (!Valid(effect)) return false;
    const Uint32 count = iterations < 0 ? SDL_HAPTIC_INFINITY : static_cast<Uint32>(iterations);
    return SDL_HapticRunEffect(haptic_, slots_[effect].sdlId, count) == 0;
  }
  bool StopEffect(int effect) override {
    if (!Valid(effect)) return false;
    return SDL_HapticStopEffect(haptic_, slots_[effect].sdlId) == 0;
  }
  bool SetEffectGain(int effect, int gain) override {
    if (!Valid(effect)) return false;
    SDL_HapticEffect sdlEffect;
    if (!ToSdlEffect(slots_[effect].effect, gain, supported_, sdlEffect)) return false;
    return SDL_HapticUpdateEffect(haptic_, slots_[effect].sdlId, &sdlEffect) >= 0;
  }

 private:
  struct Slot {
    ForceEffect effect;
    int sdlId = -1;
  };
  bool Valid(int effect) const {
    return haptic_ != nullptr && effect >= 0 && effect < static_cast<int>(slots_.size()) && slots_[effect].sdlId >= 0;
  }

  SDL_Joystick* joystick_;
  SDL_Haptic* haptic_;
  unsigned int supported_ = 0;
  bool acquired_ = false;
  std::vector<Slot> slots_;
};

bool InitJoysticks() {
  static const bool ready = [] {
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
      std::printf("input: no joystick support (%s)\n", SDL_GetError());
      return false;
    }
    SDL_InitSubSystem(SDL_INIT_HAPTIC);  // without it every controller is simply one without force feedback
    return true;
  }();
  return ready;
}

}  // namespace

std::unique_ptr<Controller> OpenFirstController(bool forceFeedbackOnly) {
  if (!InitJoysticks()) return nullptr;
  SDL_JoystickUpdate();
  const int count = SDL_NumJoysticks();
  for (int i = 0; i < count; ++i) {
    SDL_Joystick* joystick = SDL_JoystickOpen(i);
    if (joystick == nullptr) continue;  // this one failed: try the next
    SDL_Haptic* haptic = nullptr;
    if (SDL_WasInit(SDL_INIT_HAPTIC) != 0 && SDL_JoystickIsHaptic(joystick) == SDL_TRUE) {
      haptic = SDL_HapticOpenFromJoystick(joystick);
    }
    if (forceFeedbackOnly && haptic == nullptr) {
      SDL_JoystickClose(joystick);
      continue;
    }
    return std::make_unique<SdlController>(joystick, haptic);
  }
  return nullptr;
}

}  // namespace platform::input
