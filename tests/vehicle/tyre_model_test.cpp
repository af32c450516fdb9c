// Tests of the tyre force model: slip ratio and angle, grip gains by speed band, damping by surface, wheelspin
// reduction, the skid test and the velocity helpers.
#include <gtest/gtest.h>

#include <cmath>

#include "contentgen/curve_writer.h"
#include "vehicle/wheel.h"

namespace {

using platform::Vec3;
using vehicle::Wheel;

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
  wheel.localVelocity = {0, 0, 100};
  wheel.velocity = {0, 0, 100};
  wheel.spin = 0;
  wheel.ComputeSlipRatio();
  EXPECT_DOUBLE_EQ(wheel.slipRatio, 1.0);  // locked wheel moving forward
  wheel.spin = 20;                          // tyre at 200 in/s: spinning faster than the ground
  wheel.ComputeSlipRatio();
  EXPECT_DOUBLE_EQ(wheel.slipRatio, -1.0);
  wheel.ComputeSlipAngle();
  EXPECT_NEAR(wheel.slipAngle, 0.0, 1e-6);
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

TEST(TyreModel, SpinningWheelPushesAStandingWheelAlongItsForwardAxis) {
  Wheel wheel = FlatWheel(2, 0.99f, 0.99f);
  wheel.driven = true;
  wheel.driveTorque = 100;
  wheel.TireStep(0.01f);
  // Spin 1 rad/s after the drive; at rest the whole rolling velocity (10 in/s) is the lateral part: gain 2 ×
  // load 0.5 × dt.
  EXPECT_GT(wheel.velocity.z, 0);
  EXPECT_NEAR(wheel.velocity.x, 0, 1e-6f);
}

TEST(TyreModel, FreeWheelRollsAtGroundSpeedAndBrakesMoveSpinTowardZero) {
  Wheel wheel = FlatWheel(0, 0.99f, 0.99f);
  wheel.velocity = {0, 0, 500};
  wheel.TireStep(0.01f);
  // The grip step sets spin to vLong / R; the damping step then takes the surface and rolling retention.
  EXPECT_NEAR(wheel.spin, 50 * std::pow(0.98f, 0.01f) * std::pow(0.9f, 0.01f), 1e-3f);
  wheel.spin = 3;
  wheel.brake = 1;
  wheel.brakingTorque = 500;
  wheel.ApplyBrake(0.01f);
  EXPECT_EQ(wheel.spin, 0.0f);  // stops at zero, never reverses
  wheel.spin = -3;
  wheel.ApplyHandbrake(0.01f);
  EXPECT_EQ(wheel.spin, -2.0f);
}

TEST(TyreModel, SlowWheelspinLosesItsExcessAtThreeTenthsPerSecond) {
  Wheel wheel = FlatWheel(0, 0.99f, 0.99f);
  wheel.driven = true;
  wheel.driveTorque = 0.001f;  // not coasting
  wheel.velocity = {0, 0, 100};
  wheel.localVelocity = {0, 0, 100};
  wheel.spin = 60;  // tyre at 600 in/s over ground at 100
  wheel.ComputeSlipRatio();
  ASSERT_LT(wheel.slipRatio, 0);
  wheel.DampAlongNormal({0, 1, 0}, 1);  // no change; exercises the helper's identity
  const float l = 10;                   // ground speed / R
  const float before = wheel.spin;
  wheel.ReduceSpinExcess(std::pow(0.3f, 1.0f), l);
  EXPECT_NEAR(wheel.spin, (before - l) * 0.3f + l, 1e-4f);
}

TEST(TyreModel, VelocityHelpersTouchOnlyTheirComponents) {
  Wheel wheel;
  wheel.velocity = {10, 5, 20};
  wheel.DampLateral(0.5f);
  EXPECT_EQ(wheel.velocity, (Vec3{5, 5, 20}));
  wheel.DampLongitudinal(2.0f);  // factors above 1 are capped
  EXPECT_EQ(wheel.velocity, (Vec3{5, 5, 20}));
  wheel.DampAlongNormal({0, 1, 0}, 0);
  EXPECT_EQ(wheel.velocity, (Vec3{0, 5, 0}));
  wheel.velocity = {0, 0, 100};
  wheel.PullLongitudinal(0.5f, 40);
  EXPECT_FLOAT_EQ(wheel.velocity.z, 70);
  wheel.PullLongitudinal(0.5f, 200);  // below the target: left alone
  EXPECT_FLOAT_EQ(wheel.velocity.z, 70);
}

TEST(TyreModel, SkiddingNeedsSlipOrTorqueAgainstBrakesOrASlidingAngle) {
  Wheel wheel;
  EXPECT_FALSE(wheel.IsSkidding());
  wheel.slipRatio = 1.5;
  EXPECT_TRUE(wheel.IsSkidding());
  wheel.slipRatio = 0;
  wheel.driveTorque = 30;
  wheel.handbrake = true;
  EXPECT_TRUE(wheel.IsSkidding());
  wheel.handbrake = false;
  wheel.driveTorque = 0;
  wheel.velocity = {0, 0, 1000};
  wheel.slipAngle = 11 / 57.295827;
  EXPECT_TRUE(wheel.IsSkidding());
  wheel.velocity = {0, 0, 500};
  EXPECT_FALSE(wheel.IsSkidding());
}

TEST(TyreModel, NonFiniteCurveValuesAndBadRetentionsNeverPoisonTheVelocity) {
  Wheel wheel = FlatWheel(1, -5, 7);
  wheel.velocity = {30, 0, 400};
  for (int i = 0; i < 10; ++i) wheel.TireStep(0.01f);
  EXPECT_TRUE(std::isfinite(wheel.velocity.x) && std::isfinite(wheel.velocity.z));
  EXPECT_TRUE(std::isfinite(wheel.spin));
}

}  // namespace
