// Effect-file effects in haptic-device units: levels scaled by gain, times in milliseconds, kinds and axes.
#include <gtest/gtest.h>

#include "platform/input/haptic_mapping.h"

namespace {

using namespace platform::input;

TEST(HapticMapping, ConstantForceScalesByGainAndKeepsItsTimes) {
  ForceEffect effect;
  effect.kind = ForceEffectKind::kConstant;
  effect.magnitude = 10000;
  effect.duration = 150000;
  effect.startDelay = 20500;
  effect.triggerButton = 2;
  effect.hasEnvelope = true;
  effect.envelope = {10000, 5000, 5000, 100000};
  HapticEffect haptic;
  ASSERT_TRUE(ToHapticEffect(effect, 10000, haptic));
  EXPECT_EQ(haptic.level, 32767);
  EXPECT_EQ(haptic.lengthMs, 150u);
  EXPECT_EQ(haptic.delayMs, 20);
  EXPECT_EQ(haptic.button, 3) << "button numbers start at 1; 0 means none";
  EXPECT_EQ(haptic.fadeMs, 100);

  ASSERT_TRUE(ToHapticEffect(effect, 5000, haptic));
  EXPECT_EQ(haptic.level, 16383) << "half the gain, half the force";
  ASSERT_TRUE(ToHapticEffect(effect, 99999, haptic));
  EXPECT_EQ(haptic.level, 32767) << "gains above 10000 count as 10000";

  effect.magnitude = -10000;
  effect.duration = kInfiniteDuration;
  effect.triggerButton = kNoTriggerButton;
  ASSERT_TRUE(ToHapticEffect(effect, 10000, haptic));
  EXPECT_EQ(haptic.level, -32767);
  EXPECT_EQ(haptic.lengthMs, kHapticInfinity);
  EXPECT_EQ(haptic.button, 0);
}

TEST(HapticMapping, ASquareWaveBecomesASineAndAnEndlessRampGetsAnEnd) {
  ForceEffect wave;
  wave.kind = ForceEffectKind::kSquare;
  wave.periodicMagnitude = 5000;
  wave.phase = 45000;
  wave.flags = force_flags::kCartesian;
  HapticEffect haptic;
  ASSERT_TRUE(ToHapticEffect(wave, 10000, haptic));
  EXPECT_EQ(haptic.type, HapticType::kSine) << "no square wave on the device: the sine stands in";
  EXPECT_EQ(haptic.magnitude, 16383);
  EXPECT_EQ(haptic.phase, 9000) << "phase wraps at 360 degrees";
  EXPECT_EQ(haptic.direction[0], 1) << "no direction given: along x";
  ForceEffect ramp;
  ramp.kind = ForceEffectKind::kRamp;
  ramp.rampEnd = -5000;
  ASSERT_TRUE(ToHapticEffect(ramp, 10000, haptic));
  EXPECT_EQ(haptic.rampEnd, -16383);
  EXPECT_EQ(haptic.lengthMs, kEndlessRampMilliseconds);
}

TEST(HapticMapping, ConditionsFillEveryAxis) {
  ForceEffect spring;
  spring.kind = ForceEffectKind::kSpring;
  HapticEffect haptic;
  EXPECT_FALSE(ToHapticEffect(spring, 10000, haptic)) << "a condition effect needs its conditions";

  spring.conditions = {{1000, 10000, -10000, 10000, 5000, 100}};
  ASSERT_TRUE(ToHapticEffect(spring, 10000, haptic));
  for (const HapticCondition& axis : haptic.conditions) {
    EXPECT_EQ(axis.rightCoefficient, 32767);
    EXPECT_EQ(axis.rightSaturation, 65535);
    EXPECT_EQ(axis.deadBand, 655);
    EXPECT_EQ(axis.center, 3276);
  }

  ForceEffect friction;
  friction.kind = ForceEffectKind::kFriction;
  friction.conditions = {{0, 100, 100, 0, 0, 0}, {0, 200, 200, 0, 0, -50}};
  ASSERT_TRUE(ToHapticEffect(friction, 10000, haptic));
  EXPECT_EQ(haptic.conditions[1].rightCoefficient, 655);
  EXPECT_EQ(haptic.conditions[2].rightCoefficient, 655) << "the last condition serves the remaining axes";
  EXPECT_EQ(haptic.conditions[1].deadBand, 0) << "a negative dead band is none";
}

}  // namespace
