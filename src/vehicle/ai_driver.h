// The computer driver: follows an AI path of the track, looks ahead along its velocity, keeps inside the road
// edges, brakes for bends, steers around slower cars, fires nitrous now and then, and puts its car back on
// the path when it is stuck, on its roof or airborne for too long.
#pragma once

#include <functional>
#include <vector>

#include "geometry/path.h"
#include "platform/math/types.h"

namespace vehicle {

using platform::Vec3;

class Vehicle;

// The driven car as the driver sees it. Lengths in inches, speeds in in/s unless named mph.
class AICar {
 public:
  virtual ~AICar() = default;
  virtual Vec3 Position() const = 0;
  virtual Vec3 Velocity() const = 0;
  virtual Vec3 ForwardAxis() const = 0;
  virtual float SpeedMph() const = 0;
  virtual float BodyWidth() const = 0;
  virtual float BodyLength() const = 0;
  virtual int RacePosition() const = 0;  // 1 for the leader
  virtual int GearIndex() const = 0;     // 0 reverse, 1 neutral, 2 first gear...
  virtual bool WrongWay() const = 0;
  virtual bool AnyWheelOnGround() const = 0;
  virtual bool AllWheelsOnGround() const = 0;
  virtual bool IsTippedOver() const = 0;
  virtual bool HasBodyContact() const = 0;  // two or more wheels touch with the body
  virtual bool IsRespawning() const = 0;
  virtual bool IsNitrousActive() const = 0;
  virtual float SteeringRange() const = 0;  // full lock, degrees
  virtual void SetControls(float throttle, float brake, bool handbrake, bool nitrous, float steering) = 0;
  virtual void Respawn(const geometry::Path* path) = 0;
  virtual void SavePreviousPosition() = 0;
  // The simulated car behind this view, when there is one (the race's queries key on it).
  virtual const Vehicle* GetVehicle() const { return nullptr; }
};

// The nearest other racer found by a box query in a car's frame.
struct CarAhead {
  Vec3 relative;              // its position in the asking car's space
  float distance = 0;         // along the query direction
  float speedMph = 0;         // its speed
  float forwardSpeedMph = 0;  // its speed along the asking car's forward axis
};

// What the driver asks of the race.
class AIRace {
 public:
  virtual ~AIRace() = default;
  // The AI paths (the second set runs the track the other way round).
  virtual const std::vector<const geometry::Path*>& AIPaths(bool reverse) const = 0;
  // The path whose nearest node is closest to the point, or null.
  virtual const geometry::Path* NearestAIPath(const Vec3& point, bool reverse) const = 0;
  // Another racer beyond minDistance and before maxDistance along the car-space direction, within halfWidth
  // across it; the nearest one's details in out.
  virtual bool FindCarAhead(const AICar& car, const Vec3& direction, float maxDistance, float minDistance,
                            float halfWidth, CarAhead& out) const = 0;
  virtual bool IsOffWorld(const AICar& car) const = 0;
  // Collidable racers within a horizontal distance of the point.
  virtual int CountCollidableCarsNear(const Vec3& point, float radius) const = 0;
};

// Race state numbers the driver tells apart.
constexpr int kCountdownState = 11;

// Tuning of the driver, inches, seconds, mph and degrees.
struct AIDriverTuning {
  static constexpr float kMinLookAhead = 1000.0f;
  static constexpr float kMaxLookAhead = 3000.0f;
  static constexpr float kLookAheadTime = 1.2f;
  static constexpr float kProjectionLead = 100.0f;
  static constexpr float kEdgeLimit = 1000.0f;
  static constexpr float kBendWindow = 2000.0f;
  static constexpr float kBendThreshold = 30.0f;
  static constexpr float kBendBrakeSpeed = 80.0f;
  static constexpr float kHandbrakeAngle = 40.0f;
  static constexpr float kHandbrakeSpeed = 90.0f;
  static constexpr float kNitrousSpeed = 60.0f;
  static constexpr float kNitrousCompanyRadius = 2000.0f;
  static constexpr int kNitrousChance = 25;  // in 1000 per update
  static constexpr float kAirborneLimit = 8.0f;
  static constexpr float kTippedLimit = 5.0f;
  static constexpr float kStuckLimit = 3.0f;
  static constexpr float kStuckRadius = 200.0f;
};

class AIDriver {
 public:
  // random: the game's one generator (0..32767); the C-runtime one when empty.
  AIDriver(AIRace* race, AICar* car, bool disabled, std::function<int()> random = {});

  void Update(int raceState, float dt);
  // Hands pedals and steering to the car (nothing when disabled).
  void ApplyControls();
  void ResetProgress() { path = nullptr; }
  // min(1 + 0.5 × level, 1): negative levels slow the driver, none speeds it beyond 1.
  void SetSpeedFactor(float level);
  // The rubber band: throttle × factor.
  void ScaleFirstValue(float factor) { throttle *= factor; }
  void SnapToNearestPath();
  void ChooseRandomPath();

  float throttle = 0, brake = 0, steering = 0;
  float speedFactor = 1.0f;
  bool blocked = false;
  bool handbrake = false;
  bool nitrous = false;
  const geometry::Path* path = nullptr;
  float airTimer = 0;
  float tipTimer = 0;
  bool tipped = false;
  float avoidOffset2 = 0, avoidOffset = 0;
  float stuckTimer = 0;
  bool reversePaths = false;
  bool disabled = false;
  Vec3 anchor;
  // Respawns performed by this driver (stuck, tipped or airborne), for the race's statistics and tests.
  int recoveries = 0;

 private:
  void RecoverIfStuck(float dt);
  void Steer(float dt);
  void Avoid();
  void CheckProgress(float dt, bool wrongWay);
  void ResetAndRespawn();
  int Random();

  AIRace* race_;
  AICar* car_;
  std::function<int()> random_;
};

}  // namespace vehicle
