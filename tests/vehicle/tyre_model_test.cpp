// Tests of the tyre force model: slip ratio and angle, drive and brakes on the spin, the skid test, and bad
// curves that must never poison the velocity.
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

}  // namespace
