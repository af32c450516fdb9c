// Tests of stunt detection and scoring from scripted car states: air phases, passes, powerslides, chains with
// multipliers, wipes and the wrong-way rule.
#include "vehicle/stunt_tracker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using namespace vehicle;

// Steps the tracker with the same inputs for a time in 0.01 s steps.
void Hold(StuntTracker& tracker, const StuntInputs& in, float seconds) {
  const int steps = static_cast<int>(seconds / 0.01f + 0.5f);
  for (int i = 0; i < steps; ++i) tracker.Update(in, 0.01f);
}

StuntInputs OnGround() {
  StuntInputs in;
  in.anyWheelOnGround = true;
  in.speedMph = 30;
  in.racePosition = 4;
  return in;
}

StuntInputs InAir() {
  StuntInputs in = OnGround();
  in.anyWheelOnGround = false;
  return in;
}

TEST(StuntTracker, LongJumpGrowsThroughAirBigAirAndHugeAirThenBanksOnce) {
  StuntTracker tracker;
  std::vector<bool> sounds;
  tracker.playSound = [&](bool success) { sounds.push_back(success); };
  Hold(tracker, OnGround(), 2.1f);  // nothing starts in the first seconds
  Hold(tracker, InAir(), 0.2f);
  ASSERT_EQ(tracker.events.size(), 1u);
  EXPECT_TRUE(tracker.HasActiveEvent(kStuntAir));
  Hold(tracker, InAir(), 0.7f);
  EXPECT_TRUE(tracker.HasActiveEvent(kStuntBigAir));
  Hold(tracker, InAir(), 0.7f);
  EXPECT_TRUE(tracker.HasActiveEvent(kStuntHugeAir));
  Hold(tracker, OnGround(), 0.01f);
  EXPECT_FALSE(tracker.events[0]->active);
  const float points = tracker.events[0]->points;
  // 100 to start, then about 0.65 s at 100, 0.75 s at 400 and 0.1 s at 800 points per second.
  EXPECT_NEAR(points, 100 + 0.66f * 100 + 0.75f * 400 + 0.1f * 800, 15);
  Hold(tracker, OnGround(), 1.9f);
  EXPECT_EQ(tracker.total, 0);
  Hold(tracker, OnGround(), 0.2f);
  EXPECT_TRUE(tracker.events.empty());
  EXPECT_EQ(tracker.total, static_cast<int>(std::floor(points + 0.5f)));
  EXPECT_EQ(sounds, std::vector<bool>{true});
}

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
  EXPECT_FALSE(tracker.HasActiveEvent(kStuntPowerslide));
  const float slidePoints = tracker.events[0]->points;
  Hold(tracker, OnGround(), 2.1f);
  EXPECT_EQ(tracker.total, static_cast<int>(std::floor(2 * slidePoints + 0.5f)) +
                               static_cast<int>(std::floor(2 * passPoints + 0.5f)));
}

TEST(StuntTracker, CrashWipesTheChainAndBlocksNewStuntsForASecond) {
  StuntTracker tracker;
  std::vector<bool> sounds;
  tracker.playSound = [&](bool success) { sounds.push_back(success); };
  Hold(tracker, OnGround(), 2.1f);
  Hold(tracker, InAir(), 0.3f);
  tracker.Wipe();
  EXPECT_EQ(sounds, std::vector<bool>{false});
  EXPECT_EQ(tracker.events[0]->points, -1.0f);
  Hold(tracker, InAir(), 0.5f);
  EXPECT_EQ(tracker.events.size(), 1u);  // no new Air within a second of the crash
  Hold(tracker, OnGround(), 2.1f);
  EXPECT_TRUE(tracker.events.empty());
  EXPECT_EQ(tracker.total, 0);
}

TEST(StuntTracker, WrongWayRaisesNothingAndFreezesGrowth) {
  StuntTracker tracker;
  Hold(tracker, OnGround(), 2.1f);
  StuntInputs wrong = InAir();
  wrong.wrongWay = true;
  Hold(tracker, wrong, 0.5f);
  EXPECT_TRUE(tracker.events.empty());
  Hold(tracker, InAir(), 0.2f);
  ASSERT_EQ(tracker.events.size(), 1u);
  const float points = tracker.events[0]->points;
  Hold(tracker, wrong, 0.1f);
  EXPECT_EQ(tracker.events[0]->points, points);
}

TEST(StuntTracker, FirstUpdateCannotRaiseANicePass) {
  StuntTracker tracker;
  tracker.sinceCrash = 5;
  StuntInputs fast = OnGround();
  fast.speedMph = 60;
  fast.racePosition = 1;
  tracker.Update(fast, 0.01f);
  EXPECT_TRUE(tracker.events.empty());
  EXPECT_EQ(tracker.lastPosition, 1);
}

TEST(StuntTracker, CollectPointsAddsThePendingChainWithoutBankingIt) {
  StuntTracker tracker;
  tracker.total = 500;
  Hold(tracker, OnGround(), 2.1f);
  Hold(tracker, InAir(), 0.2f);
  const float points = tracker.events[0]->points;
  EXPECT_EQ(tracker.CollectPoints(0), 500);
  const int expected = 500 + static_cast<int>(std::floor(points + 0.5f));
  EXPECT_EQ(tracker.CollectPoints(1), expected);
  EXPECT_EQ(tracker.CollectPoints(1), expected);  // asking again does not add again
}

}  // namespace
