// Tests of the body on its wheels: roll from the wheel heights, weight transfer within its limits, tilt limits,
// non-finite accelerations and the coupled spins of a driven pair.
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
  EXPECT_NEAR(car->position.y, 100.0f, 1e-3f);
  car->wheels[vehicle::kFrontRight]->position.y += 10;
  car->wheels[vehicle::kRearRight]->position.y += 10;
  car->PlaceBodyOnWheels();
  EXPECT_LT(car->upAxis.x, -0.1f);  // the right side up: the up axis leans left
  EXPECT_NEAR(car->rightAxis.y, 10 / std::sqrt(60.0f * 60 + 100), 1e-3f);
}

TEST(BodyDynamics, BrakingMovesLoadForwardWithinItsLimitsAndNonFiniteAccelerationIsIgnored) {
  auto car = Assembled();
  car->localAcceleration = {0, 0, -5000};  // hard braking
  car->ApplyWeightTransfer(0.01f);
  EXPECT_FLOAT_EQ(car->wheels[vehicle::kRearLeft]->load, 0.1f);
  EXPECT_FLOAT_EQ(car->wheels[vehicle::kFrontRight]->load, 1.0f);
  car->localAcceleration = {0, 0, 0.0001f};  // no transfer at the threshold
  car->ApplyWeightTransfer(0.01f);
  EXPECT_FLOAT_EQ(car->frontLoad, std::min(2 * car->frontShare, 1.0f));

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
  EXPECT_NEAR(car->tilt.m[1][1], 1, 1e-5f);
}

TEST(BodyDynamics, PairsTakeTheirSlowerSpinAndTheRearDrivesTheFront) {
  auto car = Assembled();
  const float spins[4] = {5, 8, 30, 20};  // front left, front right, rear left, rear right
  for (int i = 0; i < 4; ++i) car->wheels[i]->spin = spins[i];
  car->CoupleWheelSpins();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(car->wheels[i]->spin, 20) << i;
}

}  // namespace
