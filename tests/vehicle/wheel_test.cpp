// Tests of a wheel against the world: falling onto the ground, suspension droop in the air, landing hardness,
// walls and their scrape, tyre keys with upgrade overrides.
#include "vehicle/wheel.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/data_file.h"
#include "vehicle/upgrades.h"
#include "vehicle_fixture.h"

namespace {

using platform::Vec3;
using vehicle::Wheel;

class WheelOnFlatGround : public ::testing::Test {
 protected:
  void SetUp() override { world_.QueryWorldBox({-20000, -3000, -20000}, {20000, 20000, 20000}); }
  // A free wheel of radius 12 whose centre starts at a point, upright and facing +z.
  Wheel At(const Vec3& centre) {
    Wheel wheel;
    wheel.radius = 12;
    wheel.UpdateMount(platform::TranslationMatrix(centre));
    wheel.Reset();
    return wheel;
  }
  std::unique_ptr<geometry::CollisionTree> tree_ = vehicle_test::FlatWorld("PAVE_TEST", 20000, 1000);
  vehicle::TrackWorld world_{*tree_};
};

TEST_F(WheelOnFlatGround, FallingWheelRestsOnTheGroundAndAWheelInTheAirDroopsToItsTravel) {
  Wheel wheel = At({0, 60, 0});
  for (int i = 0; i < 200; ++i) wheel.Step(world_, 0.01f);
  EXPECT_TRUE(wheel.onGround);
  EXPECT_NEAR(wheel.position.y, 12.0f, 0.5f);
  EXPECT_LT(std::fabs(wheel.velocity.y), 5.0f);
  EXPECT_EQ(wheel.surface, vehicle::kSurfacePave);

  Wheel high = At({0, 5000, 0});
  high.Step(world_, 0.1f);
  EXPECT_NEAR(high.suspensionOffset, -2.0f, 1e-4f);  // 20 inches per second
  for (int i = 0; i < 10; ++i) high.Step(world_, 0.1f);
  EXPECT_FLOAT_EQ(high.suspensionOffset, -8.0f);
  EXPECT_FALSE(high.onGround);
}

TEST_F(WheelOnFlatGround, FastLandingIsClampedToAMediumImpact) {
  Wheel wheel = At({0, 14, 0});
  wheel.velocity = {0, -300, 0};
  wheel.previousPosition = wheel.position + Vec3{0, 3, 0};
  wheel.Step(world_, 0.01f);
  EXPECT_TRUE(wheel.onGround);
  EXPECT_EQ(wheel.landing, 2);
  EXPECT_GE(wheel.velocity.y, -300 + 150 - 10.0f);
}

TEST_F(WheelOnFlatGround, WallIsNeverGroundAndScrapesInProportionToSpeed) {
  Wheel wheel = At({1000 - 13, 40, 0});  // drifting into the wall at x = 1000 at 45 mph
  wheel.velocity = {200, 0, 45 * 17.6f};
  wheel.previousPosition = wheel.position;
  float scrape = 0;
  for (int i = 0; i < 10 && scrape == 0; ++i) {
    wheel.Step(world_, 0.01f);
    scrape = wheel.wallScrape;
  }
  EXPECT_NEAR(scrape, 0.5f, 0.02f);
  EXPECT_LE(wheel.position.x, 1000 - 11.9f);
  EXPECT_LT(wheel.velocity.x, 200);
}

TEST(Wheel, UpgradesOverrideOnlyTyreKeysTheFileHas) {
  vehicle::UpgradeList upgrades;
  upgrades.LoadFromText("[UPGRADE]\n<ID>,4\n<TIRE_BOUNCINESS>,0.3\n<SHOCK_LENGTH>,3\n[/UPGRADE]\n");
  upgrades.Upgrades()[0]->installed = true;
  const auto file = app::DataFile::FromText("<BOUNCINESS>,0\n<BRAKING_TORQUE>,55\n", "/nowhere/car.dat");
  Wheel upgraded(file, &upgrades);
  EXPECT_FLOAT_EQ(upgraded.bounce, 1.3f);
  EXPECT_FLOAT_EQ(upgraded.brakingTorque, 55);
  EXPECT_FLOAT_EQ(upgraded.shockLength, 8.0f);  // no SHOCK_LENGTH in the file
}

}  // namespace
