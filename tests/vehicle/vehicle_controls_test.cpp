// Tests of how drivers control a car and what the race reads back: pedals and the automatic gearbox, laps and
// wrong-way on a path, a respawned car waiting for a clear spot and where it lands on a path numbered either way.
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

TEST(VehicleControls, LapsCountForwardAndBackwardsOverTheLineAndWrongWayIsBeyond120Degrees) {
  auto car = LoadCar("COUPE");
  const geometry::Path loop = SquareLoop();
  car->position = {-1500, 0, -2000};
  car->UpdatePathProgress(loop);
  EXPECT_EQ(car->lapCount, 0);
  // Backwards over the start: −1.
  car->position = {-2000, 0, -1900};
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

  // Wrong way beyond 120 degrees off the path's direction.
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
}

// A respawn searches the path from a little behind the car's place on the race path. A car put back on a
// copy of the path numbered the other way round (a chicken opponent) has its own stretch elsewhere in that
// numbering; it still lands on its own stretch, facing the way its path runs. A car whose hinted stretch is
// near keeps that stretch.
TEST(VehicleControls, RespawnLandsOnTheCarsOwnStretchOfAPathNumberedEitherWay) {
  auto tree = FlatWorld("PAVE_TEST", 20000);
  vehicle::TrackWorld world(*tree);
  auto car = LoadCar("COUPE");
  world.AddCar(car.get());
  const geometry::Path forward = SquareLoop();
  geometry::Path reversed = SquareLoop();
  reversed.Reverse();
  const struct {
    const char* what;
    const geometry::Path* path;
    uint32_t pathIndex;  // the car's place on the race path (numbered forward)
    Vec3 from;
    Vec3 lands;
    float within;  // inches
    Vec3 facing;
  } cases[] = {
      // On the west side (forward points 120-159, running -z), three quarters round the race path.
      {"reversed path, late in the lap", &reversed, 130, {-2100, 30, 1000}, {-2000, 0, 1000}, 2, {0, 0, 1}},
      {"forward path, late in the lap", &forward, 130, {-2100, 30, 1000}, {-2000, 0, 1000}, 2, {0, 0, -1}},
      {"reversed path, early in the lap", &reversed, 30, {1000, 30, -2100}, {1000, 0, -2000}, 2, {-1, 0, 0}},
      // The east side runs +z. The hinted search starts about 800 beyond the car (z = -200): near enough to
      // keep; starting about 1400 beyond it (z = 400), the nearest point of the whole path wins.
      {"hinted stretch near", &forward, 98, {2100, 30, -1000}, {2000, 0, -150}, 60, {0, 0, 1}},
      {"hinted stretch far", &forward, 104, {2100, 30, -1000}, {2000, 0, -1000}, 2, {0, 0, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    car->position = c.from;
    car->pathIndex = c.pathIndex;
    car->Respawn(world, c.path);
    EXPECT_NEAR(car->position.x, c.lands.x, c.within);
    EXPECT_NEAR(car->position.z, c.lands.z, c.within);
    EXPECT_GT(platform::Dot(car->forwardAxis, c.facing), 0.99f);
  }
}

}  // namespace
