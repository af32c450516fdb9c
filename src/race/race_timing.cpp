// Sub-step planning and the automatic-reset clocks.
#include "race/race_timing.h"

#include <algorithm>
#include <cmath>

namespace race {

SubStepPlan PlanSubSteps(float dt) {
  SubStepPlan plan;
  if (!(dt > 0)) return plan;
  // A small tolerance keeps 0.05 at five steps despite float rounding of dt / 0.01.
  const double exact = static_cast<double>(dt) / kSubStepSeconds;
  uint32_t count = static_cast<uint32_t>(std::ceil(exact - 1e-4));
  if (count < 1) count = 1;
  if (count > kMaxSubSteps) count = kMaxSubSteps;
  plan.count = count;
  plan.step = dt / static_cast<float>(count);
  return plan;
}

float MotionBlurAlpha(float framesPerSecond, bool nitrousActive) {
  constexpr float kFastestRate = 75.0f, kSlowRate = 25.0f, kMinimumAlpha = 0.25f, kNitrousShare = 0.25f;
  const float rate = std::min(framesPerSecond, kFastestRate);
  float alpha = ((rate - kSlowRate) / 100.0f) * 1.33f * -0.75f + 1.0f;
  alpha = std::clamp(alpha, kMinimumAlpha, 1.0f);
  return nitrousActive ? alpha * kNitrousShare : alpha;
}

ResetDecision AutoResetTimers::Update(float dt, bool offWorld, bool allWheelsDown, bool tipped) {
  ResetDecision decision;
  if (offWorld) {
    offWorldTimer += dt;
    if (offWorldTimer > kOffWorldSeconds) {
      offWorldTimer = 0;
      decision.respawn = true;
    }
  } else {
    if (allWheelsDown) decision.savePosition = true;
    offWorldTimer = 0;
  }
  if (tipped) {
    tippedTimer += dt;
    if (tippedTimer > kTippedSeconds) {
      tippedTimer = 0;
      decision.savePosition = true;
      decision.respawn = true;
    }
  } else {
    tippedTimer = 0;
  }
  return decision;
}

}  // namespace race
