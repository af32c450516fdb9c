// The process-wide timer driven by a hand-moved clock.
#include "app/app_timer.h"

#include <gtest/gtest.h>

namespace {

using app::AppTimer;
using app::TimerCommand;

class ManualClock : public platform::Clock {
 public:
  int64_t Ticks() const override { return ticks; }
  int64_t TicksPerSecond() const override { return 1000; }
  int64_t ticks = 0;
};

TEST(AppTimer, StoppedTimeIsDroppedAndStepsMoveAStoppedTimer) {
  ManualClock clock;
  app::SetAppTimerClock(&clock);
  clock.ticks = 1000;
  AppTimer(TimerCommand::Start);
  clock.ticks = 2000;
  EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::ElapsedTime), 1.0);
  AppTimer(TimerCommand::Stop);
  clock.ticks = 9000;
  EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::ApplicationTime), 1.0);
  EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::ElapsedTime), 0.0);
  EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::AbsoluteTime), 9.0);
  AppTimer(TimerCommand::Advance);  // a tenth of a second
  AppTimer(TimerCommand::Start);
  clock.ticks = 9500;
  EXPECT_NEAR(AppTimer(TimerCommand::ApplicationTime), 1.0 + 0.1 + 0.5, 1e-12);
  EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::ElapsedTime), 0.5);
  AppTimer(TimerCommand::Reset);
  clock.ticks = 9750;
  EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::ApplicationTime), 0.25);
  EXPECT_DOUBLE_EQ(AppTimer(7), -1.0);
  app::SetAppTimerClock(nullptr);
}

}  // namespace
