// Tests of sub-step planning and the automatic-reset clocks.
#include "race/race_timing.h"

#include <gtest/gtest.h>

namespace {

TEST(SubSteps, FrameTimeSplitsIntoAtMostFiveEqualSteps) {
  race::SubStepPlan plan = race::PlanSubSteps(0.05f);
  EXPECT_EQ(plan.count, 5u);
  EXPECT_FLOAT_EQ(plan.step, 0.01f);
  plan = race::PlanSubSteps(0.015f);
  EXPECT_EQ(plan.count, 2u);
  EXPECT_FLOAT_EQ(plan.step, 0.0075f);
  plan = race::PlanSubSteps(0.2f);
  EXPECT_EQ(plan.count, 5u);
  EXPECT_FLOAT_EQ(plan.step, 0.04f);
  plan = race::PlanSubSteps(0.004f);
  EXPECT_EQ(plan.count, 1u);
  EXPECT_FLOAT_EQ(plan.step, 0.004f);
}

TEST(SubSteps, ZeroOrNegativeFrameRunsNone) {
  EXPECT_EQ(race::PlanSubSteps(0).count, 0u);
  EXPECT_EQ(race::PlanSubSteps(-0.1f).count, 0u);
}

TEST(MotionBlur, AlphaFallsWithTheFrameRateAndNitrousQuartersIt) {
  EXPECT_FLOAT_EQ(race::MotionBlurAlpha(10, false), 1.0f);
  EXPECT_FLOAT_EQ(race::MotionBlurAlpha(25, false), 1.0f);
  EXPECT_NEAR(race::MotionBlurAlpha(75, false), 1.0f - 0.5f * 1.33f * 0.75f, 1e-5);
  EXPECT_FLOAT_EQ(race::MotionBlurAlpha(200, false), race::MotionBlurAlpha(75, false));
  EXPECT_NEAR(race::MotionBlurAlpha(75, true), race::MotionBlurAlpha(75, false) * 0.25f, 1e-6);
  EXPECT_GT(race::MotionBlurAlpha(50, false), race::MotionBlurAlpha(60, false));
}

TEST(AutoReset, OffWorldResetsOnlyAfterExceedingOneSecond) {
  race::AutoResetTimers timers;
  EXPECT_FALSE(timers.Update(0.5f, true, false, false).respawn);
  EXPECT_FALSE(timers.Update(0.5f, true, false, false).respawn);  // exactly 1.0 s: not yet
  const race::ResetDecision decision = timers.Update(0.01f, true, false, false);
  EXPECT_TRUE(decision.respawn);
  EXPECT_FALSE(decision.savePosition);
  EXPECT_FLOAT_EQ(timers.offWorldTimer, 0);
}

TEST(AutoReset, BackOnTheGroundClearsTheClockAndSavesThePosition) {
  race::AutoResetTimers timers;
  timers.Update(0.9f, true, false, false);
  const race::ResetDecision decision = timers.Update(0.01f, false, true, false);
  EXPECT_TRUE(decision.savePosition);
  EXPECT_FALSE(decision.respawn);
  EXPECT_FLOAT_EQ(timers.offWorldTimer, 0);
  EXPECT_FALSE(timers.Update(0.9f, true, false, false).respawn);
}

TEST(AutoReset, TippedOverResetsAfterFourSecondsAndSavesFirst) {
  race::AutoResetTimers timers;
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(timers.Update(1.0f, false, false, true).respawn);
  const race::ResetDecision decision = timers.Update(0.05f, false, false, true);
  EXPECT_TRUE(decision.respawn);
  EXPECT_TRUE(decision.savePosition);
  EXPECT_FLOAT_EQ(timers.tippedTimer, 0);
}

TEST(AutoReset, RightingTheCarClearsTheTippedClock) {
  race::AutoResetTimers timers;
  timers.Update(3.9f, false, false, true);
  timers.Update(0.01f, false, true, false);
  EXPECT_FLOAT_EQ(timers.tippedTimer, 0);
  EXPECT_FALSE(timers.Update(3.9f, false, false, true).respawn);
}

}  // namespace
