// The process-wide timer driven by a hand-moved clock.
#include "app/app_timer.h"

#include <gtest/gtest.h>

namespace {

class ManualClock : public platform::Clock {
 public:
  int64_t Ticks() const override { return ticks; }
  int64_t TicksPerSecond() const override { return 1000; }
  int64_t ticks = 0;
};

class AppTimerTest : public ::testing::Test {
 protected:
  void SetUp() override { app::SetAppTimerClock(&clock); }
  void TearDown() override { app::SetAppTimerClock(nullptr); }
  ManualClock clock;
};

using app::AppTimer;
using app::TimerCommand;

TEST_F(AppTimerTest, FirstStartTakesTheCurrentTimeAsBase) {
  clock.ticks = 5000;
  // Before any start, application time counts from the clock's zero.
  EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::ApplicationTime), 5.0);
  AppTimer(TimerCommand::Start);
  clock.ticks = 7500;
  EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::ApplicationTime), 2.5);
  EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::AbsoluteTime), 7.5);
}

TEST_F(AppTimerTest, ElapsedTimeMeasuresFromThePreviousReading) {
  AppTimer(TimerCommand::Reset);
  clock.ticks = 40;
  EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::ElapsedTime), 0.04);
  EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::ElapsedTime), 0.0);
  clock.ticks = 1040;
  EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::ElapsedTime), 1.0);
}

TEST_F(AppTimerTest, StoppedTimerStandsStillUntilStartedAndDropsTheStoppedInterval) {
  clock.ticks = 1000;
  AppTimer(TimerCommand::Start);
  clock.ticks = 2000;
  AppTimer(TimerCommand::Stop);
  clock.ticks = 9000;
  EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::ApplicationTime), 1.0);
  EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::ElapsedTime), 0.0);
  // The absolute reading always sees the real clock.
  EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::AbsoluteTime), 9.0);

  // Single steps move a stopped timer by a tenth of a second.
  AppTimer(TimerCommand::Advance);
  EXPECT_NEAR(AppTimer(TimerCommand::ApplicationTime), 1.1, 1e-12);

  AppTimer(TimerCommand::Start);
  clock.ticks = 9500;
  // 1.0 s ran before the stop and the step stays counted; the stopped seconds are gone; 0.5 s since the start.
  EXPECT_NEAR(AppTimer(TimerCommand::ApplicationTime), 1.0 + 0.1 + 0.5, 1e-12);
  EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::ElapsedTime), 0.5);
}

TEST_F(AppTimerTest, ResetRestartsApplicationTimeAndUnknownCommandsReturnMinusOne) {
  clock.ticks = 3000;
  AppTimer(TimerCommand::Reset);
  clock.ticks = 3250;
  EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::ApplicationTime), 0.25);
  EXPECT_DOUBLE_EQ(AppTimer(7), -1.0);
  EXPECT_DOUBLE_EQ(AppTimer(-1), -1.0);
}

}  // namespace
