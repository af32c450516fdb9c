// The gearbox of a car's engine: gear tables, shift timing and the automatic and manual shifting rules.
#pragma once

#include <cstdint>

namespace vehicle {

// Gear indices: 0 reverse, 1 neutral, 2 first gear, ... up to kMaxGear.
constexpr int32_t kGearReverse = 0;
constexpr int32_t kGearNeutral = 1;
constexpr int32_t kGearFirst = 2;
constexpr int32_t kGearTableSize = 9;
constexpr int32_t kMaxGear = kGearTableSize - 1;
// Shift requests and directions.
constexpr int32_t kShiftDown = 0;
constexpr int32_t kShiftUp = 1;
constexpr int32_t kShiftNone = 2;

class Gearbox {
 public:
  int32_t shiftRequest = kShiftNone;
  int32_t shiftDirection = kShiftUp;
  int32_t gear = kGearFirst;
  bool shifting = false;
  float shiftTimer = 0;
  int32_t manual = 0;
  int32_t topGear = 7;
  bool shiftingAllowed = true;
  float shiftDelay = 0.25f;
  float gearRatio[kGearTableSize] = {4.17f, 1.0f, 4.17f, 2.62f, 1.97f, 1.605f, 1.335f, 1.083f, 0.5f};
  float gearEfficiency[kGearTableSize] = {0.4f, 1.0f, 0.7f, 0.65f, 0.55f, 0.6f, 0.65f, 0.7f, 0.7f};
  float downshiftRpm[kGearTableSize] = {0, 0, 0, 3000, 3200, 3400, 3500, 3500, 3500};
  float finalDrive[kGearTableSize] = {2.74f, 2.74f, 2.74f, 2.74f, 2.74f, 2.74f, 2.74f, 2.74f, 2.74f};

  // finalDrive × gearRatio of the current gear.
  float Ratio() const;
  // Starts a shift to gear target; false (request left as it was) when shifting is not allowed now.
  bool StartShift(int32_t target);
  // The shifting rule of this step: manual requests, or the automatic rule by target rpm.
  void SelectGear(float targetRpm, float minimumRpm, float redlineRpm);
  // Advances a shift under way; the gear changes once the delay has passed.
  void TickShift(float dt);
  // Sets the gear at once and holds the drive for one shift delay.
  void ForceGear(int32_t g);
  // First gear, no shift under way.
  void Reset();
};

}  // namespace vehicle
