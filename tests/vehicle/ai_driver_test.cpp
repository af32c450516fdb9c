// Tests of the computer driver on the test world's racing line: it follows the path the same way for the same
// seed, brakes for bends, avoids slower cars, and recovers when stuck, tipped or airborne.
#include "vehicle/ai_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "platform/math/math.h"
#include "vehicle_fixture.h"

namespace vehicle {
namespace {

using contentgen::test_world::CentreAt;

constexpr float kMph = 17.6f;

// A car that moves like a bicycle on flat ground: pedals change its speed, steering turns it (less at speed).
class KinematicCar final : public AICar {
 public:
  KinematicCar(Vec3 start, float headingRadians, float speed) : position(start), yaw(headingRadians), speed(speed) {}

  Vec3 Position() const override { return position; }
  Vec3 Velocity() const override { return Forward() * speed; }
  Vec3 ForwardAxis() const override { return Forward(); }
  float SpeedMph() const override { return std::fabs(speed) / kMph; }
  float BodyWidth() const override { return 72; }
  float BodyLength() const override { return 180; }
  int RacePosition() const override { return racePosition; }
  int GearIndex() const override { return speed > 1 ? 3 : 2; }
  bool WrongWay() const override { return wrongWay; }
  bool AnyWheelOnGround() const override { return grounded; }
  bool AllWheelsOnGround() const override { return grounded; }
  bool IsTippedOver() const override { return tippedOver; }
  bool HasBodyContact() const override { return false; }
  bool IsRespawning() const override { return false; }
  bool IsNitrousActive() const override { return false; }
  float SteeringRange() const override { return 30; }
  void SetControls(float newThrottle, float newBrake, bool, bool, float newSteering) override {
    throttle = newThrottle, brake = newBrake, steering = newSteering;
  }
  void Respawn(const geometry::Path* path) override {
    ++respawns;
    respawnPath = path;
    speed = 0;
  }
  void SavePreviousPosition() override { ++saves; }

  // Moves the car on by dt seconds under its controls (unless pinned against something).
  void Step(float dt) {
    if (pinned) return;
    speed = std::clamp(speed + (throttle * 500.0f - brake * 900.0f) * dt, 0.0f, 110.0f * kMph);
    yaw += speed * std::tan(steering * SteeringRange() / 57.29578f / (1.0f + speed / 200.0f)) / 110.0f * dt;
    position += Forward() * (speed * dt);
  }
  Vec3 Forward() const { return {std::sin(yaw), 0, std::cos(yaw)}; }

  Vec3 position;
  float yaw, speed;
  float throttle = 0, brake = 0, steering = 0;
  int racePosition = 3;
  bool wrongWay = false, grounded = true, tippedOver = false, pinned = false;
  int respawns = 0, saves = 0;
  const geometry::Path* respawnPath = nullptr;
};

class RaceWithPath final : public AIRace {
 public:
  explicit RaceWithPath(const geometry::Path* path) {
    if (path != nullptr) forward_.push_back(path);
  }
  const std::vector<const geometry::Path*>& AIPaths(bool reverse) const override {
    return reverse ? backward_ : forward_;
  }
  const geometry::Path* NearestAIPath(const Vec3&, bool reverse) const override {
    return AIPaths(reverse).empty() ? nullptr : AIPaths(reverse).front();
  }
  bool FindCarAhead(const AICar&, const Vec3& direction, float, float, float, CarAhead& out) const override {
    if (direction.z > 0 && front) return out = *front, true;
    if (direction.x < 0 && left) return out = *left, true;
    if (direction.x > 0 && right) return out = *right, true;
    return false;
  }
  bool IsOffWorld(const AICar&) const override { return false; }
  int CountCollidableCarsNear(const Vec3&, float) const override { return carsNear; }

  std::unique_ptr<CarAhead> front, left, right;
  int carsNear = 2;

 private:
  std::vector<const geometry::Path*> forward_, backward_;
};

// The city circuit's racing line.
const geometry::Path* Line() { return vehicle_test::CityTree().Paths()[0].get(); }

// A car on the centreline at a distance along the loop, heading along it.
KinematicCar CarAt(float distance, float speed) {
  Vec3 heading;
  const Vec3 centre = CentreAt(distance, &heading);
  return KinematicCar(centre, std::atan2(heading.x, heading.z), speed);
}

// A seeded copy of the game's generator, so runs can be repeated.
std::function<int()> Generator(uint32_t seed) {
  return [state = seed]() mutable {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7fff);
  };
}

// The same seed drives the same way: races replay alike. That the drivers lap every circuit is tested through
// the game's race start (tests/contentgen/sample_tracks_test).
TEST(AIDriver, SameSeedDrivesTheSameWay) {
  auto run = [] {
    KinematicCar car = CarAt(0, 0);
    RaceWithPath race(Line());
    AIDriver driver(&race, &car, false, Generator(7));
    std::vector<float> trace;
    for (int step = 0; step < 3000; ++step) {
      driver.Update(10, 0.01f);
      driver.ApplyControls();
      car.Step(0.01f);
      trace.insert(trace.end(), {driver.throttle, driver.brake, driver.steering, car.position.x, car.position.z});
    }
    return trace;
  };
  EXPECT_EQ(run(), run());
}

TEST(AIDriver, BrakesForBendsOnlyAtSpeed) {
  RaceWithPath race(Line());
  const float cornerStart = contentgen::test_world::kHalfWidthX - contentgen::test_world::kCornerRadius;
  struct Case {
    const char* label;
    float distance, mph;
    bool brakes;
  } const cases[] = {{"straight road ahead", contentgen::test_world::Perimeter() - 600, 100, false},
                     {"bend ahead", cornerStart - 300, 100, true},
                     {"slow enough for the bend", cornerStart - 300, 70, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    KinematicCar car = CarAt(c.distance, c.mph * kMph);
    AIDriver driver(&race, &car, false, Generator(1));
    driver.Update(10, 0.01f);
    if (!c.brakes) {
      EXPECT_EQ(driver.brake, 0.0f);
      continue;
    }
    geometry::PathProjection on;
    ASSERT_TRUE(Line()->ProjectPoint(car.position, on));
    const float bend = Line()->BendAngleBetween(on.distance + 100, on.distance + 2000);
    EXPECT_GT(bend, 30.0f);
    EXPECT_FLOAT_EQ(driver.brake, std::min((bend - 30) / 20, 1.0f));
  }
}

// Near the end of a lap the driver looks on across the finish onto the next lap: a car beside the line on the
// last stretch of the straight, wide of the line where the line swings out for the next bend, aims well down the
// road and runs on nearly straight, instead of turning sharply for a point on the line just in front of its nose.
TEST(AIDriver, LooksAheadAcrossTheFinishOntoTheNextLap) {
  RaceWithPath race(Line());
  const float lap = contentgen::test_world::Perimeter();
  for (const float before : {600.0f, 300.0f, 120.0f}) {
    SCOPED_TRACE(before);
    KinematicCar car = CarAt(lap - before, 100 * kMph);
    car.position -= contentgen::test_world::InwardAt(lap - before) * 250.0f;  // toward the outside wall
    AIDriver driver(&race, &car, false, Generator(1));
    driver.Update(10, 0.01f);
    EXPECT_LT(std::fabs(driver.steering), 0.3f);
  }
}

TEST(AIDriver, SlowerCarAheadBlocksAndSideCarsPushAway) {
  RaceWithPath race(Line());
  KinematicCar car = CarAt(0, 60 * kMph);
  AIDriver driver(&race, &car, false, Generator(1));
  race.front = std::make_unique<CarAhead>();
  race.front->relative = {-10, 0, 300};
  race.front->distance = 300;
  race.front->forwardSpeedMph = 40;
  driver.Update(10, 0.01f);
  EXPECT_TRUE(driver.blocked);
  EXPECT_EQ(driver.brake, 1.0f) << "in a high gear it brakes";
  EXPECT_FLOAT_EQ(driver.avoidOffset, 2 * 72.0f) << "passes on the side away from the other car";

  race.front->forwardSpeedMph = 80;
  race.left = std::make_unique<CarAhead>();
  race.left->distance = 90;
  driver.Update(10, 0.01f);
  EXPECT_FALSE(driver.blocked) << "a faster car ahead is no obstacle";
  EXPECT_FLOAT_EQ(driver.avoidOffset2, 3 * 72.0f * (1 - 90.0f / (2.5f * 72.0f)));
  race.right = std::make_unique<CarAhead>();
  const float kept = driver.avoidOffset2;
  driver.Update(10, 0.01f);
  EXPECT_FLOAT_EQ(driver.avoidOffset2, kept) << "boxed in on both sides: unchanged";
}

TEST(AIDriver, RecoversWhenStuckWrongWayTippedOrAirborneButNeverDuringTheCountdown) {
  RaceWithPath race(Line());
  // Moving the wrong way: three times the time while near where it was first seen, then twice: 1.5 s once away.
  const float near = AIDriverTuning::kStuckRadius / (60 * kMph);
  struct Case {
    const char* label;
    float mph;
    bool pinned, wrongWay, tipped, airborne;
    int raceState;
    float seconds;  // until the respawn, or -1 for never
  } const cases[] = {
      {"pinned against a wall", 0, true, false, false, false, 10, 3.0f},
      {"pinned the wrong way", 0, true, true, false, false, 10, 1.0f},
      {"driving the wrong way", 60, false, true, false, false, 10, near + (3.0f - 3.0f * near) / 2.0f},
      {"tipped over", 0, true, false, true, false, 10, 5.0f},
      {"airborne", 0, false, false, false, true, 10, 8.0f},
      {"tipped during the countdown", 0, true, false, true, false, kCountdownState, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    KinematicCar car = CarAt(0, c.mph * kMph);
    car.pinned = c.pinned;
    car.wrongWay = c.wrongWay;
    car.tippedOver = c.tipped;
    car.grounded = !c.airborne;
    AIDriver driver(&race, &car, false, Generator(1));
    float respawnedAt = -1;
    for (int step = 1; step <= 1200 && respawnedAt < 0; ++step) {
      driver.Update(c.raceState, 0.01f);
      driver.ApplyControls();
      car.Step(0.01f);
      if (car.respawns > 0) respawnedAt = static_cast<float>(step) * 0.01f;
    }
    EXPECT_NEAR(respawnedAt, c.seconds, 0.025f);
    if (c.seconds > 0) {
      EXPECT_EQ(car.respawnPath, Line());
    }
  }
}

}  // namespace
}  // namespace vehicle
