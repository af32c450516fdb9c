// Tests of the steering angle: acceleration from the centre, full lock without overshoot, self-centring,
// reversal through the centre, the same feel either way, input clamping and the speed curve.
#include "vehicle/steering.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/data_file.h"
#include "contentgen/curve_writer.h"
#include "vehicle_fixture.h"

namespace {

using vehicle::Steering;

TEST(Steering, FullInputAcceleratesToFullLockWithoutOvershoot) {
  Steering steering;
  steering.SetInput(1);
  steering.Update(0.01f);
  EXPECT_NEAR(steering.angle, 1400 * 0.01f * 0.01f, 1e-5f);
  for (int i = 0; i < 200; ++i) {
    steering.Update(0.01f);
    ASSERT_LE(steering.angle, 30.0f);
  }
  EXPECT_FLOAT_EQ(steering.angle, 30.0f);
}

TEST(Steering, ReversalStopsAtTheCentreThenTurnsTheOtherWay) {
  Steering steering;
  steering.SetInput(1);
  for (int i = 0; i < 100; ++i) steering.Update(0.01f);
  steering.SetInput(-1);
  bool stoppedAtZero = false;
  for (int i = 0; i < 300; ++i) {
    steering.Update(0.01f);
    stoppedAtZero = stoppedAtZero || steering.angle == 0.0f;
  }
  EXPECT_TRUE(stoppedAtZero);
  EXPECT_FLOAT_EQ(steering.angle, -30.0f);
}

// Input held for a time, in 0.01 s steps.
struct Hold {
  float input;
  int steps;
};

TEST(Steering, LeftAndRightMirrorEachOther) {
  const std::vector<std::vector<Hold>> drives = {
      {{0, 100}, {1, 30}},             // a first turn after driving straight
      {{1, 100}, {0, 100}, {1, 20}},   // full lock held, let go, turned again
      {{0.5f, 50}, {-0.5f, 80}},       // half lock one way, then the other
  };
  for (size_t d = 0; d < drives.size(); ++d) {
    Steering right, left;
    int step = 0;
    for (const Hold& hold : drives[d]) {
      right.SetInput(hold.input);
      left.SetInput(-hold.input);
      for (int i = 0; i < hold.steps; ++i, ++step) {
        right.Update(0.01f);
        left.Update(0.01f);
        ASSERT_FLOAT_EQ(left.angle, -right.angle) << "drive " << d << ", step " << step;
      }
    }
  }
}

TEST(Steering, InputIsClampedAndTheCurveNarrowsTheAngleAtSpeed) {
  const std::string folder = vehicle_test::ScratchFolder("steering");
  contentgen::WriteCurve(folder + "range.crv", {{0, 1}, {1000, 0.5f}});
  Steering steering(app::DataFile::FromText("<STEERING_RANGE_CURVE>,range.crv\n<STEERING_RANGE>,20\n",
                                            folder + "car.dat"));
  steering.SetInput(5);
  EXPECT_FLOAT_EQ(steering.target, 20);
  steering.angle = 10;
  steering.SetSpeed(1000);
  EXPECT_FLOAT_EQ(steering.GetAngle(), 5);
  // A missing curve keeps the full angle rather than locking the wheels straight.
  Steering bare;
  bare.angle = 10;
  EXPECT_FLOAT_EQ(bare.GetAngle(), 10);
}

}  // namespace
