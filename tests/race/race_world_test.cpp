// Tests of the race's world queries: surfaces of hits, casts against track and cars, the nearest path, the
// measured path edges and the car ahead.
#include "race/race_world.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "../vehicle/vehicle_fixture.h"
#include "platform/math/math.h"
#include "vehicle/ai_vehicle_car.h"
#include "vehicle/vehicle.h"

namespace {

using platform::Vec3;

std::unique_ptr<geometry::Path> StraightPath(const std::string& name, float x) {
  auto path = std::make_unique<geometry::Path>(name, false, Vec3{});
  for (int i = 0; i < 5; ++i) path->AddPoint({x, 10, -1000.0f + 500.0f * i});
  return path;
}

TEST(RaceWorld, HitsReportTheSurfaceOfTheirMaterialAndUnknownSurfacesReadAsPavement) {
  race::RaceWorld world;
  race::SegmentHit hit;
  vehicle::SphereHit sphere;
  EXPECT_FALSE(world.CastSegmentFull({0, 100, 0}, {0, -100, 0}, true, hit)) << "no track, no hit";
  EXPECT_FALSE(world.CastSphere({0, 100, 0}, {0, -100, 0}, 5, true, sphere));
  // A grass ground with a wall across +x at x = 1000.
  auto tree = vehicle_test::FlatWorld("GRASSY_VERGE", 5000, 1000);
  world.SetCollision(tree.get());
  EXPECT_EQ(world.MaterialSurfaces(), (std::vector<uint32_t>{vehicle::kSurfaceGrass, vehicle::kSurfaceNoDrive}));
  ASSERT_TRUE(world.CastSegmentFull({900, 50, 0}, {1100, 50, 0}, false, hit));
  EXPECT_EQ(hit.surface, vehicle::kSurfaceNoDrive);
  EXPECT_NEAR(hit.point.x, 1000, 1e-3);
  world.QueryWorldBox({50, -10, -10}, {150, 10, 10});
  ASSERT_TRUE(world.CastSegment({100, 100, 0}, {100, -100, 0}, false, hit));
  EXPECT_EQ(hit.surface, vehicle::kSurfaceGrass);
  ASSERT_TRUE(world.CastSphere({100, 100, 0}, {100, -100, 0}, 10, false, sphere));
  EXPECT_EQ(sphere.surface, vehicle::kSurfaceGrass);
  // Surface ids above the car's, and materials past the table, read as pavement.
  world.SetMaterialSurfaces({1, 13, 14, 200});
  const int32_t expected[] = {vehicle::kSurfaceDirt, vehicle::kSurfaceVehicle, vehicle::kSurfacePave,
                               vehicle::kSurfacePave, vehicle::kSurfacePave};
  for (uint32_t material = 0; material < 5; ++material) {
    EXPECT_EQ(world.SurfaceOfMaterial(material), expected[material]) << material;
  }
}

// Casts pass over cars their path cannot reach without asking them; the answer must be the one asking every car
// gives: turned cars of different sizes, casts through, beside and far from them, of several radii.
TEST(RaceWorld, SphereCastsAnswerAsAskingEveryCar) {
  race::RaceWorld world;
  std::vector<std::unique_ptr<vehicle::Vehicle>> cars;
  std::mt19937 random(5);
  std::uniform_real_distribution<float> spread(-600, 600), unit(-1, 1), angle(-3.2f, 3.2f), size(20, 120);
  for (int i = 0; i < 6; ++i) {
    auto car = std::make_unique<vehicle::Vehicle>(nullptr, nullptr, "car", false);
    car->position = {spread(random), spread(random) * 0.1f, spread(random)};
    car->rotation = platform::RotationAxisMatrix({unit(random), unit(random), unit(random)}, angle(random));
    car->collisionMin = {-size(random) * 0.5f, -size(random) * 0.2f, -size(random)};
    car->collisionMax = {size(random) * 0.5f, size(random) * 0.5f, size(random)};
    world.Cars().push_back(car.get());
    cars.push_back(std::move(car));
  }
  int carHits = 0;
  for (int i = 0; i < 20000; ++i) {
    const Vec3 start{spread(random), spread(random) * 0.2f, spread(random)};
    const Vec3 end = i % 3 == 0 ? cars[static_cast<size_t>(i) % cars.size()]->position
                                : start + Vec3{spread(random), spread(random), spread(random)} * 0.3f;
    const float radius = static_cast<float>(i % 4) * 12.0f;
    vehicle::SphereHit fast;
    const bool found = world.CastSphere(start, end, radius, true, fast);
    float best = 99999.0f;
    vehicle::SphereHit expected;
    for (const auto& car : cars) {
      Vec3 centre, point, normal;
      if (!car->HitTestSweptSphere(start, end, radius, centre, point, normal)) continue;
      const float distance = platform::Length(centre - start);
      if (distance < best) {
        best = distance;
        expected = {centre, point, normal, vehicle::kSurfaceVehicle, {1, 1, 1}, car.get()};
      }
    }
    ASSERT_EQ(found, expected.car != nullptr) << i;
    if (!found) continue;
    ++carHits;
    ASSERT_EQ(fast.car, expected.car) << i;
    ASSERT_TRUE(fast.centre == expected.centre && fast.contact == expected.contact && fast.normal == expected.normal)
        << i;
  }
  EXPECT_GT(carHits, 5000);
}

// The cars a segment or a moving sphere meets: the nearest collidable one along the way, its hull's face and the
// car itself; a car respawning lets both through, and a miss leaves the answer untouched.
TEST(RaceWorld, CarHitsFindTheNearestCollidableCarAlongTheWay) {
  race::RaceWorld world;
  std::vector<std::unique_ptr<vehicle::Vehicle>> cars;
  for (float x : {150.0f, 300.0f, 600.0f}) {
    auto car = std::make_unique<vehicle::Vehicle>(nullptr, nullptr, "car", false);
    car->position = {x, 0, 0};
    car->collisionMin = {-36, 0, -90};
    car->collisionMax = {36, 50, 90};
    world.Cars().push_back(car.get());
    cars.push_back(std::move(car));
  }
  cars[0]->collidable = false;  // respawning
  const struct {
    const char* what;
    Vec3 start, end;
    float radius;
    int car;       // index of the car hit, -1 for none
    float faceX;   // where the segment or the sphere's centre stops
  } cases[] = {
      {"eastward: the first collidable car", {0, 20, 0}, {1000, 20, 0}, 0, 1, 264},
      {"westward: the far one", {1000, 20, 0}, {0, 20, 0}, 0, 2, 636},
      {"a sphere stops its radius short", {0, 20, 0}, {1000, 20, 0}, 10, 1, 254},
      {"over the roofs", {0, 100, 0}, {1000, 100, 0}, 0, -1, 0},
      {"a sphere clear of the roofs", {0, 100, 0}, {1000, 100, 0}, 20, -1, 0},
      {"only past the respawning car", {0, 20, 0}, {200, 20, 0}, 0, -1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    vehicle::Vehicle* const expected = c.car >= 0 ? cars[static_cast<size_t>(c.car)].get() : nullptr;
    if (c.radius == 0) {
      race::SegmentHit hit;
      hit.point = {-1, -1, -1};
      ASSERT_EQ(world.HitCarsPoint(c.start, c.end, hit), expected != nullptr);
      if (expected == nullptr) {
        EXPECT_EQ(hit.point, (Vec3{-1, -1, -1}));
        continue;
      }
      EXPECT_EQ(hit.car, expected);
      EXPECT_EQ(hit.surface, vehicle::kSurfaceVehicle);
      EXPECT_NEAR(hit.point.x, c.faceX, 1e-3f);
      EXPECT_NEAR(std::fabs(hit.normal.x), 1, 1e-5f);
    } else {
      vehicle::SphereHit hit;
      hit.centre = {-1, -1, -1};
      ASSERT_EQ(world.HitCarsSegment(c.start, c.end, c.radius, hit), expected != nullptr);
      if (expected == nullptr) {
        EXPECT_EQ(hit.centre, (Vec3{-1, -1, -1}));
        continue;
      }
      EXPECT_EQ(hit.car, expected);
      EXPECT_NEAR(hit.centre.x, c.faceX, 1e-3f);
      EXPECT_NEAR(hit.contact.x, c.faceX + c.radius, 1e-3f);
    }
  }
}

TEST(RaceWorld, NearestPathIsTheHorizontallyClosestAndTheFirstOfEquals) {
  race::RaceWorld world;
  EXPECT_EQ(world.FindNearestPath({0, 0, 0}), nullptr);
  world.AddAIPath(StraightPath("AIPATH1", -300));
  world.AddAIPath(StraightPath("AIPATH2", 200));
  world.AddAIPath(StraightPath("AIPATH3", -200));
  ASSERT_EQ(world.AIPathCount(), 3u);
  EXPECT_EQ(world.FindNearestPath({150, 900, 0}), world.AIPath(1));
  EXPECT_EQ(world.FindNearestPath({0, 0, 0}), world.AIPath(1));  // equal distance: the first wins
  EXPECT_EQ(world.FindNearestPath({-260, 0, 0}), world.AIPath(0));
  const geometry::Path* reversed = world.FindNearestPath({150, 0, 0}, true);
  ASSERT_NE(reversed, nullptr);
  EXPECT_EQ(reversed, world.AIPaths(true)[1]);
  EXPECT_EQ(reversed->GetPoint(0).z, world.AIPath(1)->GetPoint(4).z);
}

TEST(RaceWorld, PathEdgesAreMeasuredAgainstWallsOrLeftOpen) {
  auto tree = vehicle_test::FlatWorld("PAVE", 5000, 1000);
  race::RaceWorld world;
  world.SetCollision(tree.get());
  // Runs along +z at x = 700: the wall at x = 1000 lies 300 to the left of the direction of travel.
  world.AddAIPath(StraightPath("AIPATH", 700));
  world.MeasurePathEdges();
  const geometry::Path* measured = world.AIPath(0);
  for (size_t i = 0; i < measured->PointCount(); ++i) {
    EXPECT_NEAR(measured->LeftEdges()[i], -300, 1) << i;
    EXPECT_FLOAT_EQ(measured->RightEdges()[i], 600) << i << ": open";
  }
}

TEST(RaceWorld, CarAheadIsTheNearestWithinTheWindowInTheAskingCarsFrame) {
  race::RaceWorld world;
  vehicle::Vehicle self(nullptr, nullptr, "self", true), near(nullptr, nullptr, "near", true),
      far(nullptr, nullptr, "far", true), aside(nullptr, nullptr, "aside", true), behind(nullptr, nullptr, "behind", true);
  self.worldMatrix = platform::IdentityMatrix();  // heading +z from the origin
  near.position = {10, 0, 300};
  near.speedMph = 40;
  near.velocity = {0, 0, 500};
  far.position = {0, 0, 900};
  aside.position = {400, 0, 200};
  behind.position = {0, 0, -100};
  world.Cars() = {&self, &far, &aside, &behind, &near};
  vehicle::VehicleAICar view(self, world);
  vehicle::CarAhead found;
  ASSERT_TRUE(world.FindCarAhead(view, {0, 0, 1}, 1000, 50, 100, found));
  EXPECT_FLOAT_EQ(found.distance, 300);
  EXPECT_FLOAT_EQ(found.relative.x, 10);
  EXPECT_FLOAT_EQ(found.speedMph, 40);
  EXPECT_FLOAT_EQ(found.forwardSpeedMph, 40);  // moving along the asking car's heading
  EXPECT_FALSE(world.FindCarAhead(view, {0, 0, 1}, 250, 50, 100, found));   // nearest is beyond the reach
  EXPECT_FALSE(world.FindCarAhead(view, {0, 0, 1}, 1000, 950, 100, found)); // everything nearer than minimum
}

}  // namespace
