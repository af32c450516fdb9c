// A force-feedback effect as an effect file describes it: kind, timing, axes and directions, envelope and the
// kind's own parameters, in the file's units (microseconds, magnitudes -10000..10000, gains 0..10000).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform::input {

enum class ForceEffectKind {
  kConstant,
  kRamp,
  kSquare,
  kSine,
  kTriangle,
  kSawtoothUp,
  kSawtoothDown,
  kSpring,
  kDamper,
  kInertia,
  kFriction,
};

constexpr uint32_t kInfiniteDuration = 0xFFFFFFFFu;
constexpr uint32_t kNoTriggerButton = 0xFFFFFFFFu;
constexpr int kMaxForceGain = 10000;
constexpr int kMaxForceMagnitude = 10000;

// How the directions are given.
namespace force_flags {
constexpr uint32_t kCartesian = 0x10;
constexpr uint32_t kPolar = 0x20;
constexpr uint32_t kSpherical = 0x40;
}  // namespace force_flags

struct ForceEnvelope {
  uint32_t attackLevel = 0;  // 0..10000
  uint32_t attackTime = 0;   // microseconds
  uint32_t fadeLevel = 0;
  uint32_t fadeTime = 0;
};

// One axis of a spring, damper, inertia or friction effect.
struct ForceCondition {
  int32_t offset = 0;
  int32_t positiveCoefficient = 0;
  int32_t negativeCoefficient = 0;
  uint32_t positiveSaturation = 0;
  uint32_t negativeSaturation = 0;
  int32_t deadBand = 0;
};

struct ForceEffect {
  std::string name;
  ForceEffectKind kind = ForceEffectKind::kConstant;
  uint32_t flags = force_flags::kCartesian;
  uint32_t duration = kInfiniteDuration;  // microseconds
  uint32_t samplePeriod = 0;
  uint32_t gain = kMaxForceGain;
  uint32_t triggerButton = kNoTriggerButton;
  uint32_t triggerRepeatInterval = 0;
  uint32_t startDelay = 0;
  std::vector<uint32_t> axes;      // axis object ids
  std::vector<int32_t> directions;  // one per axis
  bool hasEnvelope = false;
  ForceEnvelope envelope;
  // Constant force.
  int32_t magnitude = 0;
  // Ramp.
  int32_t rampStart = 0;
  int32_t rampEnd = 0;
  // Periodic: magnitude 0..10000, offset, phase in hundredths of a degree, period in microseconds.
  uint32_t periodicMagnitude = 0;
  int32_t periodicOffset = 0;
  uint32_t phase = 0;
  uint32_t period = 0;
  // Conditions: one per axis, or one for all.
  std::vector<ForceCondition> conditions;

  bool IsPeriodic() const {
    return kind == ForceEffectKind::kSquare || kind == ForceEffectKind::kSine || kind == ForceEffectKind::kTriangle ||
           kind == ForceEffectKind::kSawtoothUp || kind == ForceEffectKind::kSawtoothDown;
  }
  bool IsCondition() const {
    return kind == ForceEffectKind::kSpring || kind == ForceEffectKind::kDamper || kind == ForceEffectKind::kInertia ||
           kind == ForceEffectKind::kFriction;
  }
};

}  // namespace platform::input
