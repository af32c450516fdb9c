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
  void SetUp() override {
    tree_ = vehicle_test::FlatWorld("PAVE_TEST", 20000, 1000);
    world_ = std::make_unique<vehicle::TrackWorld>(*tree_);
    world_->QueryWorldBox({-20000, -3000, -20000}, {20000, 20000, 20000});
  }
  // A free wheel of radius 12 whose centre starts at a point, upright and facing +z.
  Wheel At(const Vec3& centre) {
    Wheel wheel;
    wheel.radius = 12;
    wheel.UpdateMount(platform::TranslationMatrix(centre));
    wheel.Reset();
    return wheel;
  }
  std::unique_ptr<geometry::CollisionTree> tree_;
  std::unique_ptr<vehicle::TrackWorld> world_;
};

TEST_F(WheelOnFlatGround, FallingWheelComesToRestOnTheGround) {
  Wheel wheel = At({0, 60, 0});
  for (int i = 0; i < 200; ++i) wheel.Step(*world_, 0.01f);
  EXPECT_TRUE(wheel.onGround);
  EXPECT_NEAR(wheel.position.y, 12.0f, 0.5f);
  EXPECT_LT(std::fabs(wheel.velocity.y), 5.0f);
  EXPECT_EQ(wheel.surface, vehicle::kSurfacePave);
  EXPECT_NEAR(wheel.groundNormal.y, 1.0f, 1e-4f);
  EXPECT_EQ(wheel.suspensionOffset, 0.0f);
}

TEST_F(WheelOnFlatGround, SuspensionDroopsAtTwentyInchesPerSecondToItsTravel) {
  Wheel wheel = At({0, 5000, 0});
  wheel.Step(*world_, 0.1f);
  EXPECT_NEAR(wheel.suspensionOffset, -2.0f, 1e-4f);
  for (int i = 0; i < 10; ++i) wheel.Step(*world_, 0.1f);
  EXPECT_FLOAT_EQ(wheel.suspensionOffset, -8.0f);
  EXPECT_FALSE(wheel.onGround);
  EXPECT_EQ(wheel.groundNormal, wheel.up);
}

TEST_F(WheelOnFlatGround, FastLandingIsClampedToAMediumImpact) {
  Wheel wheel = At({0, 14, 0});
  wheel.velocity = {0, -300, 0};
  wheel.previousPosition = wheel.position + Vec3{0, 3, 0};
  wheel.Step(*world_, 0.01f);
  EXPECT_TRUE(wheel.onGround);
  EXPECT_EQ(wheel.landing, 2);  // medium: the clamped -150
  EXPECT_EQ(wheel.impact, 0.0f);
  EXPECT_GE(wheel.velocity.y, -300 + 150 - 10.0f);
}

TEST_F(WheelOnFlatGround, WallIsNeverGroundAndScrapesInProportionToSpeed) {
  // Just above the ground at 45 mph, drifting into the wall at x = 1000.
  Wheel wheel = At({1000 - 13, 40, 0});
  wheel.velocity = {200, 0, 45 * 17.6f};
  wheel.previousPosition = wheel.position;
  float scrape = 0;
  for (int i = 0; i < 10 && scrape == 0; ++i) {
    wheel.Step(*world_, 0.01f);
    scrape = wheel.wallScrape;
  }
  EXPECT_NEAR(scrape, 0.5f, 0.02f);
  EXPECT_LE(wheel.position.x, 1000 - 11.9f);
  EXPECT_LT(wheel.velocity.x, 200);
}

TEST(Wheel, TyreKeysReadWithUpgradeOverridesOnlyForKeysInTheFile) {
  vehicle::UpgradeList upgrades;
  upgrades.LoadFromText("[UPGRADE]\n<ID>,4\n<TIRE_BOUNCINESS>,0.3\n<SHOCK_LENGTH>,3\n[/UPGRADE]\n");
  upgrades.Upgrades()[0]->installed = true;
  const auto file = app::DataFile::FromText("<BOUNCINESS>,0\n<BRAKING_TORQUE>,55\n", "/nowhere/car.dat");
  Wheel plain(file, nullptr);
  EXPECT_FLOAT_EQ(plain.bounce, 1.0f);
  EXPECT_FLOAT_EQ(plain.brakingTorque, 55);
  Wheel upgraded(file, &upgrades);
  EXPECT_FLOAT_EQ(upgraded.bounce, 1.3f);
  EXPECT_FLOAT_EQ(upgraded.shockLength, 8.0f);  // no SHOCK_LENGTH in the file
  Wheel defaults(app::DataFile::FromText("", "/nowhere/car.dat"), nullptr);
  EXPECT_FLOAT_EQ(defaults.bounce, 1.1f);
  EXPECT_FLOAT_EQ(defaults.rollingResistance, 0.9f);
}

}  // namespace
