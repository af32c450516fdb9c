// The process-wide timer on the platform's monotonic counter.
#include "app/app_timer.h"

#include <cstdint>

namespace app {
namespace {

struct TimerState {
  const platform::Clock* clock = nullptr;
  int64_t baseTime = 0;
  int64_t lastElapsedTime = 0;
  int64_t stopTime = 0;
  bool timerStopped = true;
};

TimerState& State() {
  static TimerState state;
  return state;
}

const platform::Clock& ActiveClock() {
  const TimerState& state = State();
  return state.clock != nullptr ? *state.clock : platform::SystemClock();
}

}  // namespace

void SetAppTimerClock(const platform::Clock* clock) {
  State() = TimerState{};
  State().clock = clock;
}

double AppTimer(int command) {
  TimerState& state = State();
  const platform::Clock& clock = ActiveClock();
  const double ticksPerSecond = static_cast<double>(clock.TicksPerSecond());

  // A stopped timer reads its stop time, except where the command needs the real clock.
  int64_t now = clock.Ticks();
  const bool readsRealClock = command == static_cast<int>(TimerCommand::Start) ||
                              command == static_cast<int>(TimerCommand::AbsoluteTime);
  if (state.stopTime != 0 && !readsRealClock) now = state.stopTime;

  switch (static_cast<TimerCommand>(command)) {
    case TimerCommand::Reset:
      state.baseTime = now;
      state.lastElapsedTime = now;
      state.stopTime = 0;
      state.timerStopped = false;
      return 0.0;
    case TimerCommand::Start:
      if (state.timerStopped) state.baseTime += now - state.stopTime;
      state.stopTime = 0;
      state.lastElapsedTime = now;
      state.timerStopped = false;
      return 0.0;
    case TimerCommand::Stop:
      state.stopTime = now;
      state.lastElapsedTime = now;
      state.timerStopped = true;
      return 0.0;
    case TimerCommand::Advance:
      state.stopTime += clock.TicksPerSecond() / 10;
      return 0.0;
    case TimerCommand::AbsoluteTime:
      return static_cast<double>(now) / ticksPerSecond;
    case TimerCommand::ApplicationTime:
      return static_cast<double>(now - state.baseTime) / ticksPerSecond;
    case TimerCommand::ElapsedTime: {
      const double elapsed = static_cast<double>(now - state.lastElapsedTime) / ticksPerSecond;
      state.lastElapsedTime = now;
      return elapsed;
    }
  }
  return -1.0;
}

}  // namespace app
