// The controller on SDL2: the joystick API for axes and buttons, the haptic API for force-feedback effects.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/input/controller.h"

namespace platform::input {
namespace {

constexpr int kDeadZone = kAxisRange / 100;  // 1% of the range, on the x axis only

Sint16 ToLevel(int64_t value) { return static_cast<Sint16>(std::clamp<int64_t>(value * 32767 / kMaxForceMagnitude, -32767, 32767)); }
Uint16 ToUnsignedLevel(int64_t value) { return static_cast<Uint16>(std::clamp<int64_t>(value * 65535 / kMaxForceMagnitude, 0, 65535)); }
Uint32 ToMilliseconds(uint32_t microseconds) {
  return microseconds == kInfiniteDuration ? SDL_HAPTIC_INFINITY : microseconds / 1000;
}
Uint16 ToShortMilliseconds(uint32_t microseconds) { return static_cast<Uint16>(std::min<uint32_t>(microseconds / 1000, 65535)); }

SDL_HapticDirection ToDirection(const ForceEffect& effect) {
  SDL_HapticDirection direction{};
  if ((effect.flags & force_flags::kPolar) != 0 && !effect.directions.empty()) {
    direction.type = SDL_HAPTIC_POLAR;
    direction.dir[0] = effect.directions[0];
  } else if ((effect.flags & force_flags::kSpherical) != 0 && !effect.directions.empty()) {
    direction.type = SDL_HAPTIC_SPHERICAL;
    for (size_t i = 0; i < effect.directions.size() && i < 3; ++i) direction.dir[i] = effect.directions[i];
  } else {
    direction.type = SDL_HAPTIC_CARTESIAN;
    for (size_t i = 0; i < effect.directions.size() && i < 3; ++i) direction.dir[i] = effect.directions[i];
    if (effect.directions.empty()) direction.dir[0] = 1;
  }
  return direction;
}

// The effect as SDL plays it, magnitudes scaled by gain / 10000. False when SDL has no matching effect type.
bool ToHapticEffect(const ForceEffect& effect, int gain, unsigned int supported, SDL_HapticEffect& out) {
  out = SDL_HapticEffect{};
  const int64_t scale = std::clamp(gain, 0, kMaxForceGain);
  auto scaled = [scale](int64_t value) { return value * scale / kMaxForceGain; };
  const Uint32 length = ToMilliseconds(effect.duration);
  const Uint16 delay = ToShortMilliseconds(effect.startDelay);
  const Uint16 button = effect.triggerButton == kNoTriggerButton ? 0 : static_cast<Uint16>(effect.triggerButton + 1);
  const Uint16 interval = ToShortMilliseconds(effect.triggerRepeatInterval);
  auto envelope = [&](auto& target) {
    if (!effect.hasEnvelope) return;
    target.attack_length = ToShortMilliseconds(effect.envelope.attackTime);
    target.attack_level = ToUnsignedLevel(scaled(effect.envelope.attackLevel)) / 2;
    target.fade_length = ToShortMilliseconds(effect.envelope.fadeTime);
    target.fade_level = ToUnsignedLevel(scaled(effect.envelope.fadeLevel)) / 2;
  };
  switch (effect.kind) {
    case ForceEffectKind::kConstant: {
      if ((supported & SDL_HAPTIC_CONSTANT) == 0) return false;
      SDL_HapticConstant& c = out.constant;
      c.type = SDL_HAPTIC_CONSTANT;
      c.direction = ToDirection(effect);
      c.length = length;
      c.delay = delay;
      c.button = button;
      c.interval = interval;
      c.level = ToLevel(scaled(effect.magnitude));
      envelope(c);
      return true;
    }
    case ForceEffectKind::kRamp: {
      if ((supported & SDL_HAPTIC_RAMP) == 0) return false;
      SDL_HapticRamp& r = out.ramp;
      r.type = SDL_HAPTIC_RAMP;
      r.direction = ToDirection(effect);
      r.length = length == SDL_HAPTIC_INFINITY ? 1000 : length;  // a ramp needs an end
      r.delay = delay;
      r.button = button;
      r.interval = interval;
      r.start = ToLevel(scaled(effect.rampStart));
      r.end = ToLevel(scaled(effect.rampEnd));
      envelope(r);
      return true;
    }
    case ForceEffectKind::kSquare:  // SDL2 has no square wave: the sine is the nearest
    case ForceEffectKind::kSine:
    case ForceEffectKind::kTriangle:
    case ForceEffectKind::kSawtoothUp:
    case ForceEffectKind::kSawtoothDown: {
      Uint16 type = SDL_HAPTIC_SINE;
      if (effect.kind == ForceEffectKind::kTriangle) type = SDL_HAPTIC_TRIANGLE;
      if (effect.kind == ForceEffectKind::kSawtoothUp) type = SDL_HAPTIC_SAWTOOTHUP;
      if (effect.kind == ForceEffectKind::kSawtoothDown) type = SDL_HAPTIC_SAWTOOTHDOWN;
      if ((supported & type) == 0) return false;
      SDL_HapticPeriodic& p = out.periodic;
      p.type = type;
      p.direction = ToDirection(effect);
      p.length = length;
      p.delay = delay;
      p.button = button;
      p.interval = interval;
      p.period = ToShortMilliseconds(effect.period);
      p.magnitude = ToLevel(scaled(effect.periodicMagnitude));
      p.offset = ToLevel(scaled(effect.periodicOffset));
      p.phase = static_cast<Uint16>(effect.phase % 36000);
      envelope(p);
      return true;
    }
    case ForceEffectKind::kSpring:
    case ForceEffectKind::kDamper:
    case ForceEffectKind::kInertia:
    case ForceEffectKind::kFriction: {
      Uint16 type = SDL_HAPTIC_SPRING;
      if (effect.kind == ForceEffectKind::kDamper) type = SDL_HAPTIC_DAMPER;
      if (effect.kind == ForceEffectKind::kInertia) type = SDL_HAPTIC_INERTIA;
      if (effect.kind == ForceEffectKind::kFriction) type = SDL_HAPTIC_FRICTION;
      if ((supported & type) == 0 || effect.conditions.empty()) return false;
      SDL_HapticCondition& c = out.condition;
      c.type = type;
      c.direction = ToDirection(effect);
      c.length = length;
      c.delay = delay;
      c.button = button;
      c.interval = interval;
      for (size_t axis = 0; axis < 3; ++axis) {
        const ForceCondition& source = effect.conditions[std::min(axis, effect.conditions.size() - 1)];
        c.right_sat[axis] = ToUnsignedLevel(scaled(source.positiveSaturation));
        c.left_sat[axis] = ToUnsignedLevel(scaled(source.negativeSaturation));
        c.right_coeff[axis] = ToLevel(scaled(source.positiveCoefficient));
        c.left_coeff[axis] = ToLevel(scaled(source.negativeCoefficient));
        c.deadband[axis] = ToUnsignedLevel(source.deadBand);
        c.center[axis] = ToLevel(source.offset);
      }
      return true;
    }
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
    if (!ToHapticEffect(effect, static_cast<int>(effect.gain), supported_, sdlEffect)) return -1;
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
    if (!ToHapticEffect(slots_[effect].effect, gain, supported_, sdlEffect)) return false;
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
