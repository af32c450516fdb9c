// Tests of the race's world queries: surfaces of hits, casts against track and cars, nearby cars, nearest
// path and the measured path edges.
#include "race/race_world.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "contentgen/test_world.h"
#include "platform/math/math.h"
#include "vehicle/ai_vehicle_car.h"
#include "vehicle/vehicle.h"

namespace {

using platform::Vec3;

// A flat ground (y = 0) of one material split into two halves by x (x < 0: first name, x >= 0: second) and a
// wall across +z at z = 1000 (facing -z) of a third material.
std::unique_ptr<geometry::CollisionTree> TwoSurfaceWorld(const std::vector<std::string>& names) {
  contentgen::ColFile file;
  file.materialNames = names;
  contentgen::ColMeshBlock block;
  auto quad = [&block](int16_t material, Vec3 a, Vec3 b, Vec3 c, Vec3 d, Vec3 facing) {
    const int32_t base = static_cast<int32_t>(block.vertices.size());
    for (const Vec3& v : {a, b, c, d}) {
      block.cornerVertices.push_back(static_cast<int32_t>(block.vertices.size()));
      block.vertices.push_back(v);
    }
    auto add = [&](int32_t i, int32_t j, int32_t k) {
      const Vec3 n = platform::Cross(block.vertices[j] - block.vertices[i], block.vertices[k] - block.vertices[i]);
      if (platform::Dot(n, facing) < 0) std::swap(j, k);
      for (auto& group : block.groups) {
        if (group.material == material) {
          group.triangles.push_back({i, j, k});
          return;
        }
      }
      block.groups.push_back({material, {{i, j, k}}});
    };
    add(base, base + 1, base + 2);
    add(base, base + 2, base + 3);
  };
  quad(0, {-5000, 0, -5000}, {0, 0, -5000}, {0, 0, 5000}, {-5000, 0, 5000}, {0, 1, 0});
  quad(1, {0, 0, -5000}, {5000, 0, -5000}, {5000, 0, 5000}, {0, 0, 5000}, {0, 1, 0});
  quad(2, {-5000, 0, 1000}, {5000, 0, 1000}, {5000, 300, 1000}, {-5000, 300, 1000}, {0, 0, -1});
  file.blocks.push_back(std::move(block));
  const auto bytes = contentgen::EncodeCollisionFile(file);
  auto tree = std::make_unique<geometry::CollisionTree>();
  EXPECT_TRUE(tree->LoadFromMemory(bytes.data(), bytes.size(), "two.COL", true));
  return tree;
}

std::unique_ptr<geometry::Path> StraightPath(const std::string& name, float x) {
  auto path = std::make_unique<geometry::Path>(name, false, Vec3{});
  for (int i = 0; i < 5; ++i) path->AddPoint({x, 10, -2000.0f + 500.0f * i});
  return path;
}

TEST(RaceWorld, HitsReportTheSurfaceOfTheirMaterialAndUnknownSurfacesReadAsPavement) {
  race::RaceWorld world;
  race::SegmentHit hit;
  vehicle::SphereHit sphere;
  EXPECT_FALSE(world.CastSegmentFull({0, 100, 0}, {0, -100, 0}, true, hit)) << "no track, no hit";
  EXPECT_FALSE(world.CastSphere({0, 100, 0}, {0, -100, 0}, 5, true, sphere));
  auto tree = TwoSurfaceWorld({"PAVE_ROAD", "GRASSY_VERGE", "NODRIVE_WALL"});
  world.SetCollision(tree.get());
  EXPECT_EQ(world.MaterialSurfaces(), (std::vector<uint32_t>{0, 3, 12}));
  ASSERT_TRUE(world.CastSegmentFull({-100, 100, 0}, {-100, -100, 0}, false, hit));
  EXPECT_EQ(hit.surface, vehicle::kSurfacePave);
  EXPECT_NEAR(hit.point.y, 0, 1e-3);
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
  auto tree = TwoSurfaceWorld({"PAVE", "PAVE", "NODRIVE"});
  race::RaceWorld world;
  world.SetCollision(tree.get());
  // Runs along +x at z = 700: the wall at z = 1000 lies 300 to the left of the direction of travel.
  auto path = std::make_unique<geometry::Path>("AIPATH", false, Vec3{});
  for (int i = 0; i < 4; ++i) path->AddPoint({-1500.0f + 1000.0f * i, 10, 700});
  world.AddAIPath(std::move(path));
  world.MeasurePathEdges();
  const geometry::Path* measured = world.AIPath(0);
  for (size_t i = 0; i < measured->PointCount(); ++i) {
    const float left = measured->LeftEdges()[i], right = measured->RightEdges()[i];
    // One side meets the wall 300 away, the other side is open.
    const bool wallOnLeft = std::fabs(left + 300) < 1;
    const bool wallOnRight = std::fabs(right - 300) < 1;
    EXPECT_TRUE(wallOnLeft != wallOnRight) << i << ": " << left << " " << right;
    if (wallOnLeft) {
      EXPECT_FLOAT_EQ(right, 600);
    }
    if (wallOnRight) {
      EXPECT_FLOAT_EQ(left, -600);
    }
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
