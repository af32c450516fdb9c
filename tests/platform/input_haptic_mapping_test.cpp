// Effect-file effects in haptic-device units: levels scaled by gain, times in milliseconds, kinds and axes.
#include <gtest/gtest.h>

#include "platform/input/haptic_mapping.h"

namespace {

using namespace platform::input;

TEST(HapticMapping, ConstantForceScalesByGainAndKeepsItsTimes) {
  ForceEffect effect;
  effect.kind = ForceEffectKind::kConstant;
  effect.duration = 150000;
  effect.startDelay = 20500;
  effect.triggerButton = 2;
  effect.hasEnvelope = true;
  effect.envelope = {10000, 5000, 5000, 100000};
  const struct {
    int32_t magnitude, gain, level;
  } levels[] = {{10000, 10000, 32767}, {10000, 5000, 16383}, {10000, 99999, 32767}, {-10000, 10000, -32767}};
  HapticEffect haptic;
  for (const auto& c : levels) {
    effect.magnitude = c.magnitude;
    ASSERT_TRUE(ToHapticEffect(effect, c.gain, haptic));
    EXPECT_EQ(haptic.level, c.level) << c.magnitude << " at gain " << c.gain;
  }
  EXPECT_EQ(haptic.lengthMs, 150u);
  EXPECT_EQ(haptic.delayMs, 20);
  EXPECT_EQ(haptic.button, 3) << "button numbers start at 1; 0 means none";
  EXPECT_EQ(haptic.fadeMs, 100);
  effect.duration = kInfiniteDuration;
  effect.triggerButton = kNoTriggerButton;
  ASSERT_TRUE(ToHapticEffect(effect, 10000, haptic));
  EXPECT_EQ(haptic.lengthMs, kHapticInfinity);
  EXPECT_EQ(haptic.button, 0);
}

TEST(HapticMapping, ASquareWaveBecomesASineAndAnEndlessRampGetsAnEnd) {
  ForceEffect wave;
  wave.kind = ForceEffectKind::kSquare;
  wave.periodicMagnitude = 5000;
  wave.phase = 45000;
  HapticEffect haptic;
  ASSERT_TRUE(ToHapticEffect(wave, 10000, haptic));
  EXPECT_EQ(haptic.type, HapticType::kSine) << "no square wave on the device: the sine stands in";
  EXPECT_EQ(haptic.phase, 9000) << "phase wraps at 360 degrees";
  ForceEffect ramp;
  ramp.kind = ForceEffectKind::kRamp;
  ASSERT_TRUE(ToHapticEffect(ramp, 10000, haptic));
  EXPECT_EQ(haptic.lengthMs, kEndlessRampMilliseconds);
}

TEST(HapticMapping, ConditionsFillEveryAxis) {
  ForceEffect friction;
  friction.kind = ForceEffectKind::kFriction;
  HapticEffect haptic;
  EXPECT_FALSE(ToHapticEffect(friction, 10000, haptic)) << "a condition effect needs its conditions";
  friction.conditions = {{0, 100, 100, 0, 0, 0}, {0, 200, 200, 0, 0, -50}};
  ASSERT_TRUE(ToHapticEffect(friction, 10000, haptic));
  EXPECT_EQ(haptic.conditions[2].rightCoefficient, 655) << "the last condition serves the remaining axes";
  EXPECT_EQ(haptic.conditions[1].deadBand, 0) << "a negative dead band is none";
}

}  // namespace
