// Force-feedback effects turned into haptic-device terms: milliseconds, 16-bit levels and per-axis conditions,
// with the effect's gain applied to its magnitudes.
#pragma once

#include <array>
#include <cstdint>

#include "platform/input/force_effect.h"

namespace platform::input {

enum class HapticType { kConstant, kRamp, kSine, kTriangle, kSawtoothUp, kSawtoothDown, kSpring, kDamper, kInertia, kFriction };
enum class HapticDirection { kCartesian, kPolar, kSpherical };

constexpr uint32_t kHapticInfinity = 0xFFFFFFFFu;
// A ramp needs an end: an endless ramp lasts this long.
constexpr uint32_t kEndlessRampMilliseconds = 1000;

struct HapticCondition {
  uint16_t rightSaturation = 0;
  uint16_t leftSaturation = 0;
  int16_t rightCoefficient = 0;
  int16_t leftCoefficient = 0;
  uint16_t deadBand = 0;
  int16_t center = 0;
};

struct HapticEffect {
  HapticType type = HapticType::kConstant;
  HapticDirection directionType = HapticDirection::kCartesian;
  std::array<int32_t, 3> direction{};
  uint32_t lengthMs = 0;  // kHapticInfinity for an endless effect
  uint16_t delayMs = 0;
  uint16_t button = 0;  // 0 none, else button number + 1
  uint16_t intervalMs = 0;
  int16_t level = 0;  // constant
  int16_t rampStart = 0;
  int16_t rampEnd = 0;
  uint16_t periodMs = 0;
  int16_t magnitude = 0;  // periodic
  int16_t offset = 0;
  uint16_t phase = 0;  // hundredths of a degree
  uint16_t attackMs = 0;
  uint16_t attackLevel = 0;
  uint16_t fadeMs = 0;
  uint16_t fadeLevel = 0;
  std::array<HapticCondition, 3> conditions{};
};

// Magnitudes ±10000 become ±32767 after scaling by gain / 10000 (clamped to 0-10000); microseconds become
// milliseconds; a square wave becomes a sine (haptic devices here offer no square). False for a condition
// effect without conditions.
bool ToHapticEffect(const ForceEffect& effect, int gain, HapticEffect& out);

}  // namespace platform::input
