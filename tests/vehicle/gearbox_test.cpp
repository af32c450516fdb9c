// Tests of the gearbox: shift timing, forced gears, the manual and the automatic rules.
#include "vehicle/gearbox.h"

#include <gtest/gtest.h>

namespace {

using namespace vehicle;

TEST(Gearbox, UpShiftsWaitTheDelayDownShiftsIntoForwardGearsDoNot) {
  Gearbox box;
  box.manual = 1;
  box.shiftRequest = kShiftUp;
  box.SelectGear(1000, 1000, 6750);
  EXPECT_TRUE(box.shifting);
  box.TickShift(0.2f);
  EXPECT_EQ(box.gear, kGearFirst);
  box.TickShift(0.05f);
  EXPECT_FALSE(box.shifting);
  EXPECT_EQ(box.gear, kGearFirst + 1);

  for (int expected : {kGearFirst, kGearNeutral, kGearNeutral}) {  // into reverse the full delay applies
    box.shiftRequest = kShiftDown;
    box.SelectGear(1000, 1000, 6750);
    box.TickShift(0.01f);
    EXPECT_EQ(box.gear, expected);
  }
  box.TickShift(0.25f);
  EXPECT_EQ(box.gear, kGearReverse);
}

TEST(Gearbox, ManualRequestStaysWhenAShiftCannotStart) {
  Gearbox box;
  box.manual = 1;
  box.shiftingAllowed = false;
  box.shiftRequest = kShiftUp;
  box.SelectGear(1000, 1000, 6750);
  EXPECT_FALSE(box.shifting);
  EXPECT_EQ(box.shiftRequest, kShiftUp);
  box.shiftingAllowed = true;
  box.gear = box.topGear;
  box.SelectGear(1000, 1000, 6750);
  EXPECT_FALSE(box.shifting);
}

TEST(Gearbox, AutomaticShiftsUpNearTheRedlineAndDownBelowThresholds) {
  Gearbox box;
  box.topGear = 6;
  box.SelectGear(6700, 1000, 6750);
  box.TickShift(0.3f);
  EXPECT_EQ(box.gear, kGearFirst + 1);
  box.SelectGear(2000, 1000, 6750);  // below downshiftRpm[3] = 3000
  box.TickShift(0.01f);
  EXPECT_EQ(box.gear, kGearFirst);
  // First gear never shifts down by itself, only on a down request at minimum rpm.
  box.shiftRequest = kShiftUp;
  box.SelectGear(500, 1000, 6750);
  EXPECT_EQ(box.gear, kGearFirst);
  EXPECT_FALSE(box.shifting);
  box.gear = 6;
  box.SelectGear(6749, 1000, 6750);
  EXPECT_FALSE(box.shifting) << "never past the top gear";
}

TEST(Gearbox, GearOutsideTheTablesFallsBackToNeutral) {
  Gearbox box;
  box.gear = 40;
  box.SelectGear(3000, 1000, 6750);
  EXPECT_EQ(box.gear, kGearNeutral);
  box.gear = -3;
  EXPECT_FLOAT_EQ(box.Ratio(), box.finalDrive[kGearNeutral] * box.gearRatio[kGearNeutral]);
}

}  // namespace
