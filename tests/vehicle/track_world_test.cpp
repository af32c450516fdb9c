// Tests of the bare world for cars: material names to surfaces, casts against cars and track, nearby cars.
#include "vehicle/track_world.h"

#include <gtest/gtest.h>

#include "vehicle_fixture.h"

namespace {

using namespace vehicle_test;

TEST(TrackWorld, MaterialNamesMapToSurfacesByTheirLeadingWord) {
  EXPECT_EQ(vehicle::SurfaceOfMaterial("PAVE_ASPHALT"), vehicle::kSurfacePave);
  EXPECT_EQ(vehicle::SurfaceOfMaterial("roughpave_old"), vehicle::kSurfaceRoughPave);
  EXPECT_EQ(vehicle::SurfaceOfMaterial("NODRIVE_WALL"), vehicle::kSurfaceNoDrive);
  EXPECT_EQ(vehicle::SurfaceOfMaterial("WATER_POND"), vehicle::kSurfaceWater);
  EXPECT_EQ(vehicle::SurfaceOfMaterial("CHEESE"), vehicle::kSurfacePave);
  EXPECT_EQ(vehicle::SurfaceOfMaterial("VEHICLE_ROOF"), vehicle::kSurfacePave);  // cars are never track
}

TEST(TrackWorld, CarsAreHitBeforeTheTrackAndOnlyWhileCollidable) {
  auto tree = FlatWorld("DIRT_TEST", 20000);
  vehicle::TrackWorld world(*tree);
  auto car = LoadCar("COUPE");
  world.AddCar(car.get());
  PlaceAt(*car, world, {0, 30, 0});
  world.QueryWorldBox({-1000, -1000, -1000}, {1000, 1000, 1000});
  vehicle::SphereHit hit;
  ASSERT_TRUE(world.CastSphere({0, 300, 0}, {0, -50, 0}, 2, true, hit));
  EXPECT_EQ(hit.surface, vehicle::kSurfaceVehicle);
  EXPECT_EQ(hit.car, car.get());
  EXPECT_GT(hit.centre.y, 40);
  ASSERT_TRUE(world.CastSphere({0, 300, 0}, {0, -50, 0}, 2, false, hit));
  EXPECT_EQ(hit.surface, vehicle::kSurfaceDirt);
  EXPECT_NEAR(hit.centre.y, 2, 1e-3f);
  EXPECT_EQ(world.CountCarsNear({100, 0, 0}, 150), 1);
  EXPECT_EQ(world.CountCarsNear({100, 900, 0}, 99), 0);
  car->collidable = false;
  ASSERT_TRUE(world.CastSphere({0, 300, 0}, {0, -50, 0}, 2, true, hit));
  EXPECT_EQ(hit.surface, vehicle::kSurfaceDirt);
  EXPECT_EQ(world.CountCarsNear({0, 0, 0}, 150), 0);
}

}  // namespace
