// Tests of stunt scoring from scripted car states: a pass during a powerslide doubling both, points asked for
// before banking, a crash wiping the chain and the wrong-way rule. A ramp jump's air stunts through a race are
// tested in race_effects_test.
#include "vehicle/stunt_tracker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "vehicle/vehicle.h"

namespace {

using namespace vehicle;

// Steps the tracker with the same inputs for a time in 0.01 s steps.
void Hold(StuntTracker& tracker, const StuntInputs& in, float seconds) {
  const int steps = static_cast<int>(seconds / 0.01f + 0.5f);
  for (int i = 0; i < steps; ++i) tracker.Update(in, 0.01f);
}

StuntInputs OnGround(bool ground = true) {
  StuntInputs in;
  in.anyWheelOnGround = ground;
  in.speedMph = 30;
  in.racePosition = 4;
  return in;
}

int Rounded(float points) { return static_cast<int>(std::floor(points + 0.5f)); }

TEST(StuntTracker, PassDuringAPowerslideBanksBothDoubled) {
  StuntTracker tracker;
  StuntInputs slide = OnGround();
  slide.speedMph = 50;
  slide.anyWheelSkidding = true;
  slide.drivenSlipAngle = 0.2;  // about 11 degrees
  Hold(tracker, OnGround(), 2.1f);
  Hold(tracker, slide, 0.5f);
  EXPECT_TRUE(tracker.HasActiveEvent(kStuntPowerslide));
  slide.racePosition = 3;  // overtook someone
  Hold(tracker, slide, 0.01f);
  ASSERT_EQ(tracker.events.size(), 2u);
  EXPECT_EQ(tracker.events[1]->type, kStuntNicePass);
  const float passPoints = tracker.events[1]->points;
  Hold(tracker, slide, 0.49f);
  Hold(tracker, OnGround(), 0.01f);  // the slide ends
  const float slidePoints = tracker.events[0]->points;
  const int banked = Rounded(2 * slidePoints) + Rounded(2 * passPoints);
  EXPECT_EQ(tracker.CollectPoints(1), banked) << "asked for before it is banked";
  Hold(tracker, OnGround(), 2.1f);
  EXPECT_EQ(tracker.total, banked);
  EXPECT_EQ(tracker.CollectPoints(1), banked) << "asking again does not add again";
}

TEST(StuntTracker, CrashWipesTheChainAndWrongWayRaisesNothing) {
  StuntTracker tracker;
  std::vector<bool> sounds;
  tracker.playSound = [&](bool success) { sounds.push_back(success); };
  Hold(tracker, OnGround(), 2.1f);
  Hold(tracker, OnGround(false), 0.3f);
  tracker.Wipe();
  EXPECT_EQ(sounds, std::vector<bool>{false});
  Hold(tracker, OnGround(false), 0.5f);
  EXPECT_EQ(tracker.events.size(), 1u) << "no new Air within a second of the crash";
  Hold(tracker, OnGround(), 2.1f);
  EXPECT_TRUE(tracker.events.empty());
  EXPECT_EQ(tracker.total, 0);

  StuntInputs wrong = OnGround(false);
  wrong.wrongWay = true;
  Hold(tracker, wrong, 0.5f);
  EXPECT_TRUE(tracker.events.empty());
}


// The car's own step hands the tracker nothing: it reads its car. A car with no wheel on the ground is in the
// air, and the place the car holds is the one the tracker remembers.
TEST(StuntTracker, StepsWithItsCarsOwnStateAndNothingWithoutACar) {
  Vehicle car(nullptr, nullptr, "Player", false);
  car.racePosition = 3;
  StuntTracker& tracker = *car.stunts;
  for (int i = 0; i < 160; ++i) tracker.Update(0.01f);
  EXPECT_NEAR(tracker.airTime, 1.6f, 1e-3f);
  EXPECT_EQ(tracker.lastPosition, 3);
  EXPECT_TRUE(tracker.HasActiveEvent(kStuntAir) || tracker.HasActiveEvent(kStuntBigAir) ||
              tracker.HasActiveEvent(kStuntHugeAir))
      << "in the air long enough, and not just after a crash";

  StuntTracker alone;
  alone.Update(1.0f);
  EXPECT_EQ(alone.airTime, 0.0f);
  EXPECT_EQ(alone.lastPosition, -1);
  EXPECT_TRUE(alone.events.empty());
}

}  // namespace
