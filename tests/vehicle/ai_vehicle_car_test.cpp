// Tests of the simulated car seen through the computer driver's view: readings and controls pass through.
#include "vehicle/ai_vehicle_car.h"

#include <gtest/gtest.h>

namespace vehicle {
namespace {

class EmptyWorld final : public VehicleWorld {
 public:
  void QueryWorldBox(const Vec3&, const Vec3&) override {}
  bool CastSphere(const Vec3&, const Vec3&, float, bool, SphereHit&) override { return false; }
  int CountCarsNear(const Vec3&, float) const override { return 0; }
};

TEST(VehicleAICar, ReadsTheCarAndHandsControlsToIt) {
  Vehicle car(nullptr, nullptr, "Computer", false);
  ChassisLayout layout;
  layout.tyrePositions[0] = {-30, 0, 60};
  layout.tyrePositions[1] = {30, 0, 60};
  layout.tyrePositions[2] = {-30, 0, -60};
  layout.tyrePositions[3] = {30, 0, -60};
  car.AssembleChassis(layout);
  EmptyWorld world;
  VehicleAICar view(car, world);

  car.position = {1, 2, 3};
  car.velocity = {0, 0, 880};
  car.speedMph = 50;
  car.racePosition = 4;
  car.wrongWay = true;
  EXPECT_EQ(view.Position(), (Vec3{1, 2, 3}));
  EXPECT_EQ(view.Velocity(), (Vec3{0, 0, 880}));
  EXPECT_FLOAT_EQ(view.SpeedMph(), 50.0f);
  EXPECT_FLOAT_EQ(view.BodyWidth(), car.bodyWidth);
  EXPECT_EQ(view.RacePosition(), 4);
  EXPECT_TRUE(view.WrongWay());
  EXPECT_EQ(view.GearIndex(), 1) << "no engine: neutral";
  EXPECT_FALSE(view.IsNitrousActive());
  EXPECT_FLOAT_EQ(view.SteeringRange(), 30.0f);
  EXPECT_EQ(view.GetVehicle(), &car);

  car.wheels[0]->onGround = true;
  EXPECT_TRUE(view.AnyWheelOnGround());
  EXPECT_FALSE(view.AllWheelsOnGround());

  view.SetControls(1.0f, 0.75f, true, false, 0.5f);
  EXPECT_FLOAT_EQ(car.wheels[0]->brake, 0.75f);
  EXPECT_TRUE(car.wheels[kRearLeft]->handbrake);
  EXPECT_FALSE(car.wheels[kFrontLeft]->handbrake);

  view.Respawn(nullptr);  // no path: the car stays where it is
  EXPECT_EQ(car.position, (Vec3{1, 2, 3}));
  EXPECT_FALSE(car.respawning);
}

}  // namespace
}  // namespace vehicle
