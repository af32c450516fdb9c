// The race's clocks: how a frame is cut into simulation sub-steps, and the timers that put a stuck player car
// back on the track.
#pragma once

#include <cstdint>

namespace race {

// Longest sub-step at ordinary frame times, and the most sub-steps a frame runs.
constexpr float kSubStepSeconds = 0.01f;
constexpr uint32_t kMaxSubSteps = 5;

struct SubStepPlan {
  uint32_t count = 0;  // none for a zero or negative frame time
  float step = 0;      // seconds each
};

// ceil(dt / 0.01) sub-steps, at most 5, each dt / count long: a long frame gets longer sub-steps, not more.
SubStepPlan PlanSubSteps(float dt);

// Alpha of the motion-blur overlay at a measured frame rate: 1.0 at 25 frames per second or fewer, falling to
// about 0.5 at 75 and more, never below 0.25; a quarter of that while the player's nitrous burns.
float MotionBlurAlpha(float framesPerSecond, bool nitrousActive);

// What the automatic reset asks of the step: put the car back, and whether to save its position first.
struct ResetDecision {
  bool respawn = false;
  bool savePosition = false;
};

// Off-world and tipped-over clocks of the player's car; each resets the car once it exceeds its limit
// (exactly at the limit is not yet a reset).
class AutoResetTimers {
 public:
  static constexpr float kOffWorldSeconds = 1.0f;
  static constexpr float kTippedSeconds = 4.0f;

  // One racing frame: offWorld and tipped describe the car now, allWheelsDown whether it stands on all four.
  ResetDecision Update(float dt, bool offWorld, bool allWheelsDown, bool tipped);

  float offWorldTimer = 0;
  float tippedTimer = 0;
};

}  // namespace race
