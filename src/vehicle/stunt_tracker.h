// Stunt awards of the player's car: air time, powerslides and passes raise events that grow while they last
// and are banked with a multiplier once the chain settles; a crash wipes the chain.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace vehicle {

class Vehicle;

enum StuntType : int32_t { kStuntAir, kStuntPowerslide, kStuntNicePass, kStuntTwoWheels, kStuntBigAir,
                           kStuntHugeAir, kStuntTypeCount };
// Names shown by the HUD, by type.
extern const char* const StuntNames[kStuntTypeCount];
extern const float kStuntStartingPoints[kStuntTypeCount];

struct StuntEvent {
  int32_t type = kStuntAir;
  bool active = true;
  float age = 0;
  float sinceEnded = 0;
  float points = 0;  // -1 once wiped: never scores
};

// The car state the tracker reads each step; Vehicle fills it from its wheels and race fields.
struct StuntInputs {
  bool anyWheelOnGround = false;
  bool anyWheelSkidding = false;
  bool wrongWay = false;
  float speedMph = 0;
  double drivenSlipAngle = -999.0;  // radians, -999 when no driven wheel is on the ground
  int32_t racePosition = 0;
  uint8_t raceFlag = 0;
};

class StuntTracker {
 public:
  // sound plays "success" (true) when a chain is banked and "wipe" (false) when a chain with points is lost.
  using SoundHook = std::function<void(bool success)>;

  StuntTracker() = default;
  explicit StuntTracker(const Vehicle* car) : vehicle_(car) {}

  // One step with the owning car's state, as the car's own step runs it (nothing moves without a car to read).
  void Update(float dt);
  // The same with the state given.
  void Update(const StuntInputs& inputs, float dt);
  void Wipe();
  bool HasActiveEvent(int32_t type) const;
  int CountScoringEvents() const;
  // Banked points, plus (when raceFlag is 1) the pending scoring events with their multiplier; the pending
  // chain is not banked by this, so repeated calls give the same value.
  int32_t CollectPoints(uint8_t raceFlag) const;
  // The same with the owning car's raceFlag.
  int32_t CollectPoints() const;
  void ClearEvents() { events.clear(); }

  int32_t total = 0;
  int32_t lastPosition = -1;
  float rate = 1.0f;
  float sinceCrash = 0;
  float sinceType[kStuntTypeCount] = {};
  float airTime = 0;
  std::vector<std::unique_ptr<StuntEvent>> events;
  SoundHook playSound;

 private:
  void DetectStunts(const StuntInputs& in);
  void UpdateEvents(const StuntInputs& in, float dt);
  void AddEvent(int32_t type);

  const Vehicle* vehicle_ = nullptr;
};

}  // namespace vehicle
