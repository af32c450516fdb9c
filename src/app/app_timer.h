// The one process-wide high-resolution timer: reset, start, stop, single-step and the three time readings.
#pragma once

#include "platform/os.h"

namespace app {

enum class TimerCommand : int {
  Reset = 0,            // base and last-elapsed time = now, running
  Start = 1,            // resumes; the stopped interval is taken out of application time
  Stop = 2,             // freezes "now" at the current time
  Advance = 3,          // moves a stopped timer on by 0.1 s
  AbsoluteTime = 4,     // seconds on the clock, always the real clock
  ApplicationTime = 5,  // seconds since the base time
  ElapsedTime = 6,      // seconds since the previous elapsed reading
};

// Runs one timer command and returns its value in seconds (0 for commands without one, -1.0 for an
// unknown command). While stopped, "now" is the stop time for every command but Start and AbsoluteTime.
double AppTimer(int command);
inline double AppTimer(TimerCommand command) { return AppTimer(static_cast<int>(command)); }

// Replaces the clock the timer reads and puts the timer back in its start-of-process state (stopped, all
// times 0). Null selects the system clock. Tests use it to drive time by hand.
void SetAppTimerClock(const platform::Clock* clock);

}  // namespace app
