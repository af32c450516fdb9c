// Gear changes: shift timing, forced gears, and the automatic and manual rules.
#include "vehicle/gearbox.h"

namespace vehicle {

float Gearbox::Ratio() const {
  const int32_t g = (gear >= 0 && gear < kGearTableSize) ? gear : kGearNeutral;
  return finalDrive[g] * gearRatio[g];
}

bool Gearbox::StartShift(int32_t target) {
  if (!shiftingAllowed || shifting || target < 0 || target > topGear) return false;
  const bool up = target > gear;
  shiftDirection = up ? kShiftUp : kShiftDown;
  shiftRequest = kShiftNone;
  shifting = true;
  // A down shift into a forward gear or neutral completes at once; into reverse it waits the full delay.
  shiftTimer = (up || target == kGearReverse) ? 0.0f : shiftDelay;
  return true;
}

void Gearbox::SelectGear(float rpm, float minimumRpm, float redlineRpm) {
  // A gear set from outside the tables would read past them.
  if (gear < 0 || gear > kMaxGear) gear = kGearNeutral;
  if (manual != 0) {
    if (shiftRequest == kShiftDown) {
      StartShift(gear - 1);
    } else if (shiftRequest == kShiftUp) {
      StartShift(gear + 1);
    }
    return;
  }
  if (shifting) return;
  if (gear >= kGearFirst) {
    if (gear >= kGearFirst + 1 && rpm < downshiftRpm[gear]) StartShift(gear - 1);
    if (gear < topGear && rpm >= redlineRpm - 50) StartShift(gear + 1);
  }
  if ((rpm <= minimumRpm && gear == kGearFirst) || gear == kGearNeutral) {
    if (shiftRequest == kShiftDown) StartShift(gear - 1);
  }
  if ((rpm <= minimumRpm && gear == kGearReverse) || gear == kGearNeutral) {
    if (shiftRequest == kShiftUp) StartShift(gear + 1);
  }
}

void Gearbox::TickShift(float dt) {
  if (!shifting) return;
  shiftTimer += dt;
  if (shiftTimer < shiftDelay) return;
  shifting = false;
  if (shiftDirection == kShiftUp) {
    ++gear;
  } else if (shiftDirection == kShiftDown) {
    --gear;
  }
  if (gear < 0) gear = 0;
  if (gear > kMaxGear) gear = kMaxGear;
}

void Gearbox::ForceGear(int32_t g) {
  gear = (g >= 0 && g <= kMaxGear) ? g : kGearNeutral;
  shiftRequest = kShiftNone;
  shiftDirection = kShiftNone;
  shifting = true;
  shiftTimer = 0;
}

void Gearbox::Reset() {
  gear = kGearFirst;
  shifting = false;
  shiftTimer = 0;
}

}  // namespace vehicle
