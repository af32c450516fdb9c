// Tests of a wheel: falling onto the ground, suspension droop in the air, landing hardness, walls and their
// scrape, tyre keys with upgrade overrides; and the tyre model: slip ratio and angle, drive and brakes on the
// spin, the skid test, and bad curves that must never poison the velocity.
#include "vehicle/wheel.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/data_file.h"
#include "contentgen/curve_writer.h"
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

app::Curve Constant(float y) { return app::Curve::FromText(contentgen::CurveText({{0, y}})); }

// A wheel on flat pavement, axes aligned with the world, with constant curves given by value.
Wheel FlatWheel(float gain, float lateralRetention, float longitudinalRetention) {
  Wheel wheel;
  wheel.radius = 10;
  wheel.load = 0.5f;
  wheel.onGround = true;
  for (app::Curve* curve : {&wheel.slipCurve, &wheel.latSlipCurve, &wheel.slipAngleLatCurve,
                            &wheel.slipAngleLongCurve}) {
    *curve = Constant(gain);
  }
  wheel.slipAngleLatDamp = Constant(lateralRetention);
  wheel.slipAngleLongDamp = Constant(longitudinalRetention);
  return wheel;
}

TEST(TyreModel, SlipRatioAndAngleFollowTheirDefinitions) {
  Wheel wheel = FlatWheel(1, 0.5f, 0.5f);
  wheel.localVelocity = wheel.velocity = {0, 0, 100};
  wheel.ComputeSlipRatio();
  EXPECT_DOUBLE_EQ(wheel.slipRatio, 1.0);  // locked wheel moving forward
  wheel.spin = 20;                          // tyre at 200 in/s over ground at 100
  wheel.ComputeSlipRatio();
  EXPECT_DOUBLE_EQ(wheel.slipRatio, -1.0);
  wheel.velocity = {100, 0, 100};
  wheel.ComputeSlipAngle();
  EXPECT_NEAR(wheel.slipAngle, 3.14159265 / 4, 1e-5);
  wheel.velocity = {};
  wheel.ComputeSlipAngle();
  EXPECT_NEAR(wheel.slipAngle, 3.14159265 / 2, 1e-6);  // at rest
  wheel.onGround = false;
  wheel.ComputeSlipRatio();
  wheel.ComputeSlipAngle();
  EXPECT_EQ(wheel.slipRatio, 0.0);
  EXPECT_EQ(wheel.slipAngle, 0.0);
}

TEST(TyreModel, DriveMovesAStandingWheelForwardAndBrakesNeverReverseTheSpin) {
  Wheel wheel = FlatWheel(2, 0.99f, 0.99f);
  wheel.driven = true;
  wheel.driveTorque = 100;
  wheel.TireStep(0.01f);
  EXPECT_GT(wheel.velocity.z, 0);
  EXPECT_NEAR(wheel.velocity.x, 0, 1e-6f);
  wheel.spin = 3;
  wheel.brake = 1;
  wheel.brakingTorque = 500;
  wheel.ApplyBrake(0.01f);
  EXPECT_EQ(wheel.spin, 0.0f);
  wheel.spin = -3;
  wheel.ApplyHandbrake(0.01f);
  EXPECT_EQ(wheel.spin, -2.0f);
}

TEST(TyreModel, SkiddingNeedsSlipOrTorqueAgainstTheHandbrakeOrASlidingAngleAtSpeed) {
  struct Case {
    const char* label;
    double slipRatio, slipAngleDegrees;
    float torque, speed;
    bool handbrake, skidding;
  };
  const Case cases[] = {
      {"rolling", 0, 0, 0, 1000, false, false},
      {"spinning", 1.5, 0, 0, 0, false, true},
      {"driving against the handbrake", 0, 0, 30, 0, true, true},
      {"sliding angle at speed", 0, 11, 0, 1000, false, true},
      {"sliding angle too slow", 0, 11, 0, 500, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Wheel wheel;
    wheel.slipRatio = c.slipRatio;
    wheel.slipAngle = c.slipAngleDegrees / 57.295827;
    wheel.driveTorque = c.torque;
    wheel.handbrake = c.handbrake;
    wheel.velocity = {0, 0, c.speed};
    EXPECT_EQ(wheel.IsSkidding(), c.skidding);
  }
}

TEST(TyreModel, NonFiniteCurveValuesAndBadRetentionsNeverPoisonTheVelocity) {
  Wheel wheel = FlatWheel(1, -5, 7);
  wheel.velocity = {30, 0, 400};
  for (int i = 0; i < 10; ++i) wheel.TireStep(0.01f);
  EXPECT_TRUE(std::isfinite(wheel.velocity.x) && std::isfinite(wheel.velocity.z));
  EXPECT_TRUE(std::isfinite(wheel.spin));
}

// A car at rest on a slope rocks on its springs: its wheels move along the ground's normal, so their speed along
// the ground is zero and rounding can make it come out a hair below zero. Every retention built from that speed
// must stay a retention, for a coasting wheel and a handbraked one, or the car's position turns to NaN.
TEST(TyreModel, AWheelRockingOnASlopeAtRestKeepsAFiniteVelocity) {
  for (bool handbrake : {false, true}) {
    for (int tilt = 0; tilt <= 40; ++tilt) {
      for (float speed : {0.05f, 0.44f, 3.2f, 17.0f}) {
        SCOPED_TRACE(::testing::Message() << "handbrake " << handbrake << ", tilt " << tilt << ", speed " << speed);
        Wheel wheel = FlatWheel(1, 0.5f, 0.5f);
        const float angle = static_cast<float>(tilt) * 0.0137f;
        wheel.groundNormal = {std::sin(angle), std::cos(angle), 0.37f * std::sin(angle)};
        wheel.groundNormal = platform::Normalize(wheel.groundNormal);
        wheel.velocity = wheel.groundNormal * speed;
        wheel.handbrake = handbrake;
        wheel.TireStep(1.0f / 60);
        ASSERT_TRUE(std::isfinite(wheel.velocity.x) && std::isfinite(wheel.velocity.y) &&
                    std::isfinite(wheel.velocity.z));
        ASSERT_TRUE(std::isfinite(wheel.spin));
      }
    }
  }
}

}  // namespace
