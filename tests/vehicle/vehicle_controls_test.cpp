// Tests of how drivers control a car and what the race reads back: pedals and the automatic gearbox, manual
// shifts, handbrake and nitrous, laps and wrong-way on a path, the respawn timer and respawning.
#include <gtest/gtest.h>

#include <cmath>

#include "geometry/path.h"
#include "vehicle/vehicle.h"
#include "vehicle_fixture.h"

namespace {

using namespace vehicle_test;

// A closed square loop of side 4000 around the origin, counter-clockwise seen from above, points every 100.
geometry::Path SquareLoop() {
  geometry::Path path("LOOP", true, {});
  const Vec3 corners[4] = {{-2000, 0, -2000}, {2000, 0, -2000}, {2000, 0, 2000}, {-2000, 0, 2000}};
  for (int side = 0; side < 4; ++side) {
    for (int i = 0; i < 40; ++i) path.AddPoint(corners[side] + (corners[(side + 1) % 4] - corners[side]) * (i / 40.0f));
  }
  path.UpdateClosingSegment();
  return path;
}

TEST(VehicleControls, AutomaticPedalsChooseTheDirectionAndSwapInReverse) {
  auto car = LoadCar("COUPE");
  car->SetControls(0.3f, 0.5f, false, false, 0, false, false);
  EXPECT_EQ(car->engine->gearbox.shiftRequest, vehicle::kShiftDown);
  car->SetControls(0.2f, 0, false, false, 0, false, false);
  EXPECT_EQ(car->engine->gearbox.shiftRequest, vehicle::kShiftUp);
  car->SetControls(0.4f, 0.4f, false, false, 0, false, false);
  EXPECT_EQ(car->engine->gearbox.shiftRequest, vehicle::kShiftUp);
  car->engine->gearbox.gear = vehicle::kGearReverse;
  car->SetControls(0, 0.7f, false, false, 0, false, false);
  EXPECT_FLOAT_EQ(car->engine->throttle, 0.7f);  // the brake pedal drives backwards
  for (const auto& wheel : car->wheels) EXPECT_EQ(wheel->brake, 0.0f);
  car->SetControls(0.6f, 0, false, false, 0, false, false);
  EXPECT_EQ(car->engine->throttle, 0.0f);
  for (const auto& wheel : car->wheels) EXPECT_FLOAT_EQ(wheel->brake, 0.6f);
}

TEST(VehicleControls, ManualShiftsHandbrakeNitrousAndSteering) {
  auto car = LoadCar("ROADSTER");
  car->engine->gearbox.manual = 1;
  car->SetControls(0, 0, false, false, 0, true, false);
  EXPECT_EQ(car->engine->gearbox.shiftRequest, vehicle::kShiftUp);
  car->engine->gearbox.shiftRequest = vehicle::kShiftNone;
  car->SetControls(0, 0, false, false, 0, false, false);
  EXPECT_EQ(car->engine->gearbox.shiftRequest, vehicle::kShiftNone);
  car->SetControls(0, 0, false, false, 0, false, true);
  EXPECT_EQ(car->engine->gearbox.shiftRequest, vehicle::kShiftDown);
  car->SetControls(0, 0, true, true, -2, false, false);
  EXPECT_FALSE(car->wheels[vehicle::kFrontLeft]->handbrake);
  EXPECT_TRUE(car->wheels[vehicle::kRearRight]->handbrake);
  EXPECT_TRUE(car->IsHandbrakeOn());
  EXPECT_TRUE(car->engine->IsNitrousActive());
  EXPECT_FLOAT_EQ(car->steering->target, -car->steering->range);
  car->SetControls(0, 0, false, false, 0, false, false);
  EXPECT_FALSE(car->engine->IsNitrousActive());
}

TEST(VehicleControls, LapsCountForwardAndBackwardsOverTheLine) {
  auto car = LoadCar("COUPE");
  const geometry::Path loop = SquareLoop();
  car->position = {-1500, 0, -2000};
  car->UpdatePathProgress(loop);
  EXPECT_EQ(car->lapCount, 0);
  // Backwards over the start: −1, and no lower on a second backward crossing.
  car->position = {-2000, 0, -1900};
  car->UpdatePathProgress(loop);
  EXPECT_EQ(car->lapCount, -1);
  car->position = {-1500, 0, -2000};
  car->UpdatePathProgress(loop);
  EXPECT_EQ(car->lapCount, 0);
  car->position = {-2000, 0, -1900};
  car->UpdatePathProgress(loop);
  car->pathIndex = 0;
  car->pathDistance = 0.1f * loop.TotalLength();
  car->lapCount = -1;
  car->position = {-2000, 0, -1800};
  car->UpdatePathProgress(loop);
  EXPECT_EQ(car->lapCount, -1);
  // Forward all the way round: a lap more.
  car->lapCount = 0;
  car->bestLap = 0;
  car->pathDistance = 0.9f * loop.TotalLength();
  car->position = {-1800, 0, -2000};
  car->UpdatePathProgress(loop);
  EXPECT_EQ(car->lapCount, 1);
  EXPECT_EQ(car->bestLap, 1);
  EXPECT_GE(car->progress, 1.0f);
  EXPECT_LT(car->progress, 1.02f);
}

TEST(VehicleControls, WrongWayBeyondOneHundredTwentyDegrees) {
  auto car = LoadCar("COUPE");
  const geometry::Path loop = SquareLoop();
  car->position = {0, 0, -2000};  // the first side runs +x
  const float degrees = 3.14159265f / 180;
  car->forwardAxis = {std::cos(119 * degrees), 0, std::sin(119 * degrees)};
  car->UpdatePathProgress(loop);
  EXPECT_FALSE(car->wrongWay);
  car->forwardAxis = {std::cos(121 * degrees), 0, std::sin(121 * degrees)};
  car->UpdatePathProgress(loop);
  EXPECT_TRUE(car->wrongWay);
}

TEST(VehicleControls, RespawnedCarWaitsForAClearSpotAndBlinks) {
  auto tree = FlatWorld("PAVE_TEST", 20000);
  vehicle::TrackWorld world(*tree);
  auto car = LoadCar("COUPE");
  auto other = LoadCar("PICKUP");
  world.AddCar(car.get());
  world.AddCar(other.get());
  PlaceAt(*other, world, {0, 30, 0});
  PlaceAt(*car, world, {100, 30, 0});
  const geometry::Path loop = SquareLoop();
  car->position = {100, 30, -2000};
  car->pathIndex = 30;  // 40 or less: searched from the first point
  car->Respawn(world, &loop);
  EXPECT_TRUE(car->respawning);
  EXPECT_FALSE(car->collidable);
  EXPECT_NEAR(car->position.z, -2000, 1.0f);
  other->position = car->position;  // parked on the spot
  other->collidable = true;
  bool blinked = false;
  for (int i = 0; i < 400; ++i) {
    car->Update(world, 0.01f);
    blinked = blinked || !car->respawnVisible;
    EXPECT_FALSE(car->collidable);
  }
  EXPECT_TRUE(blinked);
  EXPECT_TRUE(car->respawning);
  for (const auto& wheel : car->wheels) EXPECT_TRUE(wheel->ignoreVehicles);
  other->position = {5000, 30, 5000};
  car->Update(world, 0.01f);
  EXPECT_FALSE(car->respawning);
  EXPECT_TRUE(car->collidable);

  const Vec3 before = car->position;
  car->Respawn(world, nullptr);
  EXPECT_EQ(car->position, before);
  EXPECT_FALSE(car->respawning);
}

TEST(VehicleControls, QueriesReadTheWheels) {
  auto tree = FlatWorld("PAVE_TEST", 20000);
  vehicle::TrackWorld world(*tree);
  auto car = LoadCar("BERLINE");
  car->SetTransform({0, 3000, 0}, platform::IdentityMatrix());
  car->Update(world, 0.01f);
  EXPECT_FALSE(car->AnyWheelOnGround());
  EXPECT_EQ(car->GetDrivenSlipAngle(), -999.0);
  PlaceAt(*car, world, {0, 30, 0});
  Drive(*car, world, 0.2f, 0, 0);
  EXPECT_TRUE(car->AllWheelsOnGround());
  EXPECT_NE(car->GetDrivenSlipAngle(), -999.0);
  car->SetPlayerFlag(true);
  car->DistanceTo(car->position + Vec3{0, 0, 250});
  for (const auto& wheel : car->wheels) {
    EXPECT_TRUE(wheel->audible);
    EXPECT_FLOAT_EQ(wheel->listenerDistance, 250);
  }
  car->SavePreviousPosition();
  EXPECT_EQ(car->safePosition, car->position);
}

}  // namespace
