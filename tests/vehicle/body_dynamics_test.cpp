// Tests of the body placed on its wheels: axle shares, level and rolled frames, weight transfer with its
// limits, body tilt limits and its return, and the rest height.
#include <gtest/gtest.h>

#include <cmath>

#include "vehicle/vehicle.h"
#include "vehicle_fixture.h"

namespace {

using namespace vehicle_test;

// A coupe assembled but not placed, with its wheels put where a test wants them.
std::unique_ptr<Vehicle> Assembled() {
  auto car = LoadCar("COUPE");
  car->SetTransform({0, 100, 0}, platform::IdentityMatrix());
  return car;
}

TEST(BodyDynamics, LevelWheelsGiveALevelBodyAndRaisedRightWheelsRollIt) {
  auto car = Assembled();
  car->PlaceBodyOnWheels();
  EXPECT_NEAR(car->upAxis.y, 1.0f, 1e-5f);
  EXPECT_NEAR(car->forwardAxis.z, 1.0f, 1e-5f);
  EXPECT_NEAR(car->position.y, 100.0f, 1e-3f);
  car->wheels[vehicle::kFrontRight]->position.y += 10;
  car->wheels[vehicle::kRearRight]->position.y += 10;
  car->PlaceBodyOnWheels();
  // The right side up: the up axis leans to the left (-x).
  EXPECT_LT(car->upAxis.x, -0.1f);
  EXPECT_NEAR(car->rightAxis.y, 10 / std::sqrt(60.0f * 60 + 100), 1e-3f);
}

TEST(BodyDynamics, StandingLoadsAreTwiceTheSharesAndBrakingMovesLoadForward) {
  auto car = Assembled();
  car->localAcceleration = {};
  car->ApplyWeightTransfer(0.01f);
  EXPECT_FLOAT_EQ(car->frontLoad, std::min(2 * car->frontShare, 1.0f));
  EXPECT_FLOAT_EQ(car->rearLoad, std::min(2 * car->rearShare, 1.0f));
  car->localAcceleration = {0, 0, -5000};  // hard braking
  car->ApplyWeightTransfer(0.01f);
  EXPECT_FLOAT_EQ(car->rearLoad, 0.1f);
  EXPECT_FLOAT_EQ(car->frontLoad, 1.0f);
  EXPECT_FLOAT_EQ(car->wheels[vehicle::kRearLeft]->load, 0.1f);
  EXPECT_FLOAT_EQ(car->wheels[vehicle::kFrontRight]->load, 1.0f);
  car->localAcceleration = {0, 0, 0.0001f};  // no transfer at the threshold
  car->ApplyWeightTransfer(0.01f);
  EXPECT_FLOAT_EQ(car->frontLoad, std::min(2 * car->frontShare, 1.0f));
}

TEST(BodyDynamics, AccelerationIgnoresNonFiniteDifferences) {
  auto car = Assembled();
  car->previousLocalVelocity = {0, 0, 0};
  car->localVelocity = {NAN, 1, INFINITY};
  car->UpdateLocalAcceleration(0.01f);
  EXPECT_EQ(car->localAcceleration.x, 0.0f);
  EXPECT_FLOAT_EQ(car->localAcceleration.y, 100.0f);
  EXPECT_EQ(car->localAcceleration.z, 0.0f);
}

TEST(BodyDynamics, TiltStaysWithinItsLimitsAndLevelsOutAgain) {
  auto car = Assembled();
  car->localAcceleration = {3000, 0, -3000};
  for (int i = 0; i < 200; ++i) car->UpdateBodyTilt(0.01f);
  const float pitch = std::asin(std::fabs(car->tilt.m[2][1])) * 57.2958f;
  EXPECT_LE(pitch, car->maxBodyPitch + 0.01f);
  EXPECT_GT(pitch, car->maxBodyPitch * 0.9f);
  car->localAcceleration = {};
  for (int i = 0; i < 200; ++i) car->UpdateBodyTilt(0.01f);
  EXPECT_TRUE(platform::IsIdentity(car->tilt) || std::fabs(car->tilt.m[1][1] - 1) < 1e-5f);
}

TEST(BodyDynamics, WheelSpinsOfAPairAreCoupledAndRestHeightIsTyreAboveMounts) {
  auto car = Assembled();
  car->wheels[vehicle::kRearLeft]->spin = 30;
  car->wheels[vehicle::kRearRight]->spin = 20;
  car->wheels[vehicle::kFrontLeft]->spin = 5;
  car->wheels[vehicle::kFrontRight]->spin = 8;
  car->CoupleWheelSpins();
  // Both pairs take their smaller spin; the rear-driven coupe's front then follows the faster rear.
  EXPECT_EQ(car->wheels[vehicle::kRearLeft]->spin, 20);
  EXPECT_EQ(car->wheels[vehicle::kFrontLeft]->spin, 20);
  EXPECT_EQ(car->wheels[vehicle::kFrontRight]->spin, 20);
  EXPECT_FLOAT_EQ(car->GetRestHeight(), car->wheels[0]->radius + car->wheelCentreOffset.y);
}

}  // namespace
