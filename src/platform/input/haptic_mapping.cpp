// Effect-file units to haptic-device units.
#include "platform/input/haptic_mapping.h"

#include <algorithm>

namespace platform::input {
namespace {

int16_t ToLevel(int64_t value) {
  return static_cast<int16_t>(std::clamp<int64_t>(value * 32767 / kMaxForceMagnitude, -32767, 32767));
}
uint16_t ToUnsignedLevel(int64_t value) {
  return static_cast<uint16_t>(std::clamp<int64_t>(value * 65535 / kMaxForceMagnitude, 0, 65535));
}
uint16_t ToShortMilliseconds(uint32_t microseconds) { return static_cast<uint16_t>(std::min<uint32_t>(microseconds / 1000, 65535)); }

}  // namespace

bool ToHapticEffect(const ForceEffect& effect, int gain, HapticEffect& out) {
  out = HapticEffect{};
  const int64_t scale = std::clamp(gain, 0, kMaxForceGain);
  auto scaled = [scale](int64_t value) { return value * scale / kMaxForceGain; };

  if ((effect.flags & force_flags::kPolar) != 0 && !effect.directions.empty()) {
    out.directionType = HapticDirection::kPolar;
  } else if ((effect.flags & force_flags::kSpherical) != 0 && !effect.directions.empty()) {
    out.directionType = HapticDirection::kSpherical;
  }
  for (size_t i = 0; i < effect.directions.size() && i < out.direction.size(); ++i) out.direction[i] = effect.directions[i];
  if (out.directionType == HapticDirection::kPolar) out.direction[1] = out.direction[2] = 0;
  if (effect.directions.empty()) out.direction[0] = 1;  // a push along x

  out.lengthMs = effect.duration == kInfiniteDuration ? kHapticInfinity : effect.duration / 1000;
  out.delayMs = ToShortMilliseconds(effect.startDelay);
  out.button = effect.triggerButton == kNoTriggerButton ? 0 : static_cast<uint16_t>(std::min<uint32_t>(effect.triggerButton + 1, 65535));
  out.intervalMs = ToShortMilliseconds(effect.triggerRepeatInterval);
  if (effect.hasEnvelope) {
    // Envelope levels are 0..10000 like magnitudes; the device takes 0..32767.
    out.attackMs = ToShortMilliseconds(effect.envelope.attackTime);
    out.attackLevel = static_cast<uint16_t>(ToLevel(scaled(std::min<uint32_t>(effect.envelope.attackLevel, kMaxForceMagnitude))));
    out.fadeMs = ToShortMilliseconds(effect.envelope.fadeTime);
    out.fadeLevel = static_cast<uint16_t>(ToLevel(scaled(std::min<uint32_t>(effect.envelope.fadeLevel, kMaxForceMagnitude))));
  }

  switch (effect.kind) {
    case ForceEffectKind::kConstant:
      out.type = HapticType::kConstant;
      out.level = ToLevel(scaled(effect.magnitude));
      return true;
    case ForceEffectKind::kRamp:
      out.type = HapticType::kRamp;
      if (out.lengthMs == kHapticInfinity) out.lengthMs = kEndlessRampMilliseconds;
      out.rampStart = ToLevel(scaled(effect.rampStart));
      out.rampEnd = ToLevel(scaled(effect.rampEnd));
      return true;
    case ForceEffectKind::kSquare:
    case ForceEffectKind::kSine:
    case ForceEffectKind::kTriangle:
    case ForceEffectKind::kSawtoothUp:
    case ForceEffectKind::kSawtoothDown:
      out.type = effect.kind == ForceEffectKind::kTriangle       ? HapticType::kTriangle
                 : effect.kind == ForceEffectKind::kSawtoothUp   ? HapticType::kSawtoothUp
                 : effect.kind == ForceEffectKind::kSawtoothDown ? HapticType::kSawtoothDown
                                                                 : HapticType::kSine;
      out.periodMs = ToShortMilliseconds(effect.period);
      out.magnitude = ToLevel(scaled(std::min<uint32_t>(effect.periodicMagnitude, kMaxForceMagnitude)));
      out.offset = ToLevel(scaled(effect.periodicOffset));
      out.phase = static_cast<uint16_t>(effect.phase % 36000);
      return true;
    case ForceEffectKind::kSpring:
    case ForceEffectKind::kDamper:
    case ForceEffectKind::kInertia:
    case ForceEffectKind::kFriction:
      if (effect.conditions.empty()) return false;
      out.type = effect.kind == ForceEffectKind::kSpring   ? HapticType::kSpring
                 : effect.kind == ForceEffectKind::kDamper ? HapticType::kDamper
                 : effect.kind == ForceEffectKind::kInertia ? HapticType::kInertia
                                                            : HapticType::kFriction;
      // One condition serves every axis; otherwise each axis takes its own, the last repeated.
      for (size_t axis = 0; axis < out.conditions.size(); ++axis) {
        const ForceCondition& source = effect.conditions[std::min(axis, effect.conditions.size() - 1)];
        HapticCondition& target = out.conditions[axis];
        target.rightSaturation = ToUnsignedLevel(scaled(source.positiveSaturation));
        target.leftSaturation = ToUnsignedLevel(scaled(source.negativeSaturation));
        target.rightCoefficient = ToLevel(scaled(source.positiveCoefficient));
        target.leftCoefficient = ToLevel(scaled(source.negativeCoefficient));
        target.deadBand = ToUnsignedLevel(std::max(source.deadBand, 0));
        target.center = ToLevel(source.offset);
      }
      return true;
  }
  return false;
}

}  // namespace platform::input
