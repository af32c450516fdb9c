// Sub-step planning and the automatic-reset clocks.
#include "race/race_timing.h"

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
