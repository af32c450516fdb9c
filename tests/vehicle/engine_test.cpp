// Tests of the engine and gearbox: torque from the curve through the gears, rpm limits, nitrous and turbo, the
// upgrade overrides of the engine keys, gear tables, shift timing and the manual and automatic rules.
#include "vehicle/engine.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/data_file.h"
#include "contentgen/curve_writer.h"
#include "vehicle/gearbox.h"
#include "vehicle/upgrades.h"
#include "vehicle_fixture.h"

namespace {

using vehicle::Engine;

// An engine file in a scratch folder with a flat 200 lb-ft torque curve and a rising turbo curve beside it.
app::DataFile EngineFile(const std::string& keys) {
  const std::string folder = vehicle_test::ScratchFolder("engine");
  contentgen::WriteCurve(folder + "flat.crv", {{0, 200}, {10000, 200}});
  contentgen::WriteCurve(folder + "turbo.crv", {{0, 0}, {3000, 0}, {6000, 60}});
  return app::DataFile::FromText("<TORQUE_CURVE>,flat.crv\n<SOUNDS_FOLDER>,SOUNDS\n" + keys, folder + "engine.dat");
}

TEST(Engine, TorqueComesFromTheCurveThroughGearAndEfficiency) {
  Engine engine(EngineFile(""), 0, nullptr);
  engine.throttle = 1.0f;
  engine.Update(0.01f);
  // 200 lb-ft in newton-metres, times first gear (4.17 × 2.74), its efficiency 0.7, over 20.
  const float expected = 200 / 0.7374f * 4.17f * 2.74f * 0.7f / 20;
  EXPECT_NEAR(engine.wheelTorque, expected, expected * 1e-4f);
  engine.throttle = 0.5f;
  engine.Update(0.01f);
  EXPECT_NEAR(engine.wheelTorque, expected / 2, expected * 1e-4f);
}

TEST(Engine, ReverseGivesNegativeTorqueAndNeutralOrShiftingNone) {
  Engine engine(EngineFile(""), 1, nullptr);
  engine.throttle = 1;
  engine.gearbox.gear = vehicle::kGearReverse;
  engine.Update(0.01f);
  EXPECT_LT(engine.wheelTorque, 0);
  engine.ForceGear(vehicle::kGearNeutral);
  engine.Update(0.01f);
  EXPECT_EQ(engine.wheelTorque, 0);
  EXPECT_EQ(engine.MaxWheelSpeed(), 10000.0f);
}

TEST(Engine, RpmNeverBelowMinimumAndClampedAtRedline) {
  Engine engine(EngineFile("<REDLINE_RPM>,6000\n<MINIMUM_RPM>,900\n"), 1, nullptr);
  EXPECT_FLOAT_EQ(engine.TargetRpm(), 900);
  // A wheel far beyond the redline speed: the driveshaft is held at the redline of first gear.
  engine.UpdateDriveshaft(1000.0f, 0.01f);
  EXPECT_NEAR(engine.TargetRpm(), 6000, 0.5f);
  // A slower wheel lets the driveshaft fall by at most a factor ten per second.
  const float before = engine.driveshaftRpm;
  engine.UpdateDriveshaft(0.0f, 0.01f);
  EXPECT_NEAR(engine.driveshaftRpm, before * std::pow(0.1f, 0.01f), 1e-2f);
}

TEST(Engine, NitrousAddsTorqueOnlyWhileEngagedWithAReserve) {
  Engine engine(EngineFile("<NITROUS>,100,80\n"), 1, nullptr);
  engine.throttle = 1;
  engine.Update(0.01f);
  const float plain = engine.wheelTorque;
  engine.EngageNitrous();
  EXPECT_TRUE(engine.nitrousEngageEvent);
  EXPECT_TRUE(engine.IsNitrousActive());
  engine.Update(0.01f);
  EXPECT_NEAR(engine.wheelTorque / plain, 280.0f / 200.0f, 1e-4f);
  EXPECT_EQ(engine.nitrousRemaining, 100.0f);

  Engine empty(EngineFile(""), 1, nullptr);
  empty.EngageNitrous();
  EXPECT_FALSE(empty.IsNitrousActive());
}

TEST(Engine, ExcessGearValuesAndCountsStayWithinTheTables) {
  Engine engine(EngineFile("<GEAR_RATIOS>,3.5,9.9,3.2,2.1,1,1,1,1,1,7,7,7\n<GEARS>,5\n"), 0, nullptr);
  EXPECT_FLOAT_EQ(engine.gearbox.gearRatio[vehicle::kGearNeutral], 3.2f);  // first gear's ratio
  EXPECT_FLOAT_EQ(engine.gearbox.gearRatio[vehicle::kMaxGear], 1.0f);
  EXPECT_EQ(engine.gearbox.topGear, 6);
  Engine many(EngineFile("<GEARS>,40\n"), 0, nullptr);
  EXPECT_EQ(many.gearbox.topGear, vehicle::kMaxGear);
}

TEST(Gearbox, UpShiftsWaitTheDelayDownShiftsIntoForwardGearsDoNot) {
  vehicle::Gearbox box;
  box.manual = 1;
  box.shiftRequest = vehicle::kShiftUp;
  box.SelectGear(1000, 1000, 6750);
  EXPECT_TRUE(box.shifting);
  box.TickShift(0.2f);
  EXPECT_EQ(box.gear, vehicle::kGearFirst);
  box.TickShift(0.05f);
  EXPECT_FALSE(box.shifting);
  EXPECT_EQ(box.gear, vehicle::kGearFirst + 1);

  for (int expected : {vehicle::kGearFirst, vehicle::kGearNeutral, vehicle::kGearNeutral}) {  // into reverse the full delay applies
    box.shiftRequest = vehicle::kShiftDown;
    box.SelectGear(1000, 1000, 6750);
    box.TickShift(0.01f);
    EXPECT_EQ(box.gear, expected);
  }
  box.TickShift(0.25f);
  EXPECT_EQ(box.gear, vehicle::kGearReverse);
}

TEST(Gearbox, AutomaticShiftsUpNearTheRedlineAndDownBelowThresholds) {
  vehicle::Gearbox box;
  box.topGear = 6;
  box.SelectGear(6700, 1000, 6750);
  box.TickShift(0.3f);
  EXPECT_EQ(box.gear, vehicle::kGearFirst + 1);
  box.SelectGear(2000, 1000, 6750);  // below downshiftRpm[3] = 3000
  box.TickShift(0.01f);
  EXPECT_EQ(box.gear, vehicle::kGearFirst);
  // First gear never shifts down by itself, only on a down request at minimum rpm.
  box.shiftRequest = vehicle::kShiftUp;
  box.SelectGear(500, 1000, 6750);
  EXPECT_EQ(box.gear, vehicle::kGearFirst);
  EXPECT_FALSE(box.shifting);
  box.gear = 6;
  box.SelectGear(6749, 1000, 6750);
  EXPECT_FALSE(box.shifting) << "never past the top gear";
}

TEST(Gearbox, GearOutsideTheTablesFallsBackToNeutral) {
  vehicle::Gearbox box;
  box.gear = 40;
  box.SelectGear(3000, 1000, 6750);
  EXPECT_EQ(box.gear, vehicle::kGearNeutral);
  box.gear = -3;
  EXPECT_FLOAT_EQ(box.Ratio(), box.finalDrive[vehicle::kGearNeutral] * box.gearRatio[vehicle::kGearNeutral]);
}

}  // namespace
