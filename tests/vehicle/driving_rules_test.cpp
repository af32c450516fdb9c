// Tests of the rules of driving that hold whatever a car is tuned to: when the gearbox refuses a shift and
// which gear a bad value falls to, how air time grows into bigger stunts and what ends a slide or counts as a
// pass, which upgrade categories each dressing rule may pick from, and which side of the path a computer driver
// steers across.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "geometry/path.h"
#include "vehicle/ai_driver.h"
#include "vehicle/gearbox.h"
#include "vehicle/random_upgrades.h"
#include "vehicle/stunt_tracker.h"
#include "vehicle/upgrades.h"

namespace {

using namespace vehicle;

TEST(GearboxRules, AShiftIsRefusedWhileHeldWhileShiftingAndOutsideTheGears) {
  struct Case {
    const char* what;
    bool allowed;
    bool shifting;
    int32_t from, target;
    bool started;
  } const cases[] = {
      {"up a gear", true, false, kGearFirst, kGearFirst + 1, true},
      {"held at the start", false, false, kGearFirst, kGearFirst + 1, false},
      {"already shifting", true, true, kGearFirst, kGearFirst + 1, false},
      {"below reverse", true, false, kGearReverse, kGearReverse - 1, false},
      {"past the top gear", true, false, 7, 8, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Gearbox box;
    box.topGear = 7;
    box.shiftingAllowed = c.allowed;
    box.shifting = c.shifting;
    box.gear = c.from;
    box.shiftRequest = kShiftUp;
    EXPECT_EQ(box.StartShift(c.target), c.started);
    EXPECT_EQ(box.shiftRequest, c.started ? kShiftNone : kShiftUp) << "a refused shift keeps its request";
  }
}

// Up shifts and a shift into reverse take the whole delay; a down shift into a forward gear is in at once.
TEST(GearboxRules, DownShiftsAreImmediateExceptIntoReverse) {
  struct Case {
    int32_t from, target;
    bool inAfterOneTick;
  } const cases[] = {{kGearFirst + 2, kGearFirst + 1, true},
                     {kGearFirst, kGearFirst + 1, false},
                     {kGearNeutral, kGearReverse, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from * 10 + c.target);
    Gearbox box;
    box.gear = c.from;
    ASSERT_TRUE(box.StartShift(c.target));
    box.TickShift(box.shiftDelay * 0.1f);
    EXPECT_EQ(box.gear, c.inAfterOneTick ? c.target : c.from);
    box.TickShift(box.shiftDelay);
    EXPECT_EQ(box.gear, c.target);
    EXPECT_FALSE(box.shifting);
  }
}

TEST(GearboxRules, AGearOutsideTheTablesFallsToNeutral) {
  for (int32_t bad : {-1, kGearTableSize, 99}) {
    SCOPED_TRACE(bad);
    Gearbox box;
    Gearbox neutral;
    neutral.gear = kGearNeutral;
    box.gear = bad;
    EXPECT_FLOAT_EQ(box.Ratio(), neutral.Ratio());
    box.ForceGear(bad);
    EXPECT_EQ(box.gear, kGearNeutral);
    box.gear = bad;
    box.SelectGear(0, 1000, 6000);
    EXPECT_EQ(box.gear, kGearNeutral);
  }
  // A top gear set past the tables still never shifts the gear beyond them.
  Gearbox box;
  box.topGear = kGearTableSize + 2;
  box.gear = kMaxGear;
  ASSERT_TRUE(box.StartShift(kMaxGear + 1));
  box.TickShift(box.shiftDelay);
  EXPECT_EQ(box.gear, kMaxGear);
}

TEST(GearboxRules, ManualRequestsShiftOneGearAndTheAutomaticLeavesNeutralOnlyWhenAsked) {
  struct Case {
    const char* what;
    int32_t manual;
    int32_t gear;
    int32_t request;
    float rpm;
    int32_t after;
  } const cases[] = {
      {"manual down", 1, 4, kShiftDown, 3000, 3},
      {"manual up", 1, 4, kShiftUp, 3000, 5},
      {"manual, nothing asked", 1, 4, kShiftNone, 9000, 4},
      {"automatic neutral, back asked", 0, kGearNeutral, kShiftDown, 500, kGearReverse},
      {"automatic neutral, forward asked", 0, kGearNeutral, kShiftUp, 500, kGearFirst},
      {"automatic neutral, nothing asked", 0, kGearNeutral, kShiftNone, 500, kGearNeutral},
      {"automatic reverse at rest, forward asked", 0, kGearReverse, kShiftUp, 500, kGearNeutral},
      {"automatic reverse moving, forward asked", 0, kGearReverse, kShiftUp, 3000, kGearReverse},
      {"automatic first at rest, back asked", 0, kGearFirst, kShiftDown, 500, kGearNeutral},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Gearbox box;
    box.manual = c.manual;
    box.gear = c.gear;
    box.shiftRequest = c.request;
    box.SelectGear(c.rpm, 1000, 6000);
    box.TickShift(box.shiftDelay);
    EXPECT_EQ(box.gear, c.after);
  }
}

// Steps the tracker with the same inputs for a time in 0.01 s steps.
void Hold(StuntTracker& tracker, const StuntInputs& in, float seconds) {
  const int steps = static_cast<int>(seconds / 0.01f + 0.5f);
  for (int i = 0; i < steps; ++i) tracker.Update(in, 0.01f);
}

StuntInputs Driving(float mph, bool ground = true) {
  StuntInputs in;
  in.anyWheelOnGround = ground;
  in.speedMph = mph;
  in.racePosition = 4;
  return in;
}

TEST(StuntRules, LongerAirTurnsIntoBigAndHugeAirAndLandingBanksIt) {
  struct Case {
    float air;
    int32_t type;
  } const cases[] = {{0.5f, kStuntAir}, {1.0f, kStuntBigAir}, {1.8f, kStuntHugeAir}};
  std::vector<int32_t> banked;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.air);
    StuntTracker tracker;
    std::vector<bool> sounds;
    tracker.playSound = [&](bool success) { sounds.push_back(success); };
    Hold(tracker, Driving(60), 2.1f);
    Hold(tracker, Driving(60, false), c.air);
    ASSERT_EQ(tracker.events.size(), 1u);
    EXPECT_EQ(tracker.events[0]->type, c.type);
    EXPECT_TRUE(tracker.events[0]->active);
    EXPECT_EQ(tracker.CollectPoints(0), 0) << "outside a race the pending chain is not counted";
    Hold(tracker, Driving(60), 0.01f);
    EXPECT_FALSE(tracker.events[0]->active) << "landing ends it";
    Hold(tracker, Driving(60), 2.1f);
    EXPECT_TRUE(tracker.events.empty());
    EXPECT_EQ(sounds, std::vector<bool>{true});
    banked.push_back(tracker.total);
  }
  EXPECT_LT(banked[0], banked[1]);
  EXPECT_LT(banked[1], banked[2]);
}

TEST(StuntRules, ANewJumpCountsOnlyAfterTheLastHasRested) {
  StuntTracker tracker;
  Hold(tracker, Driving(60), 2.1f);
  Hold(tracker, Driving(60, false), 1.8f);
  Hold(tracker, Driving(60), 0.5f);
  Hold(tracker, Driving(60, false), 0.5f);
  ASSERT_EQ(tracker.events.size(), 1u) << "a hop right after a huge jump is no new stunt";
  EXPECT_EQ(tracker.events[0]->type, kStuntHugeAir);
  Hold(tracker, Driving(60), 3.0f);
  Hold(tracker, Driving(60, false), 0.5f);
  ASSERT_EQ(tracker.events.size(), 1u);
  EXPECT_EQ(tracker.events[0]->type, kStuntAir);
}

TEST(StuntRules, SlidesEndBelowTwentyAndOnlyFastOvertakesArePasses) {
  StuntTracker tracker;
  Hold(tracker, Driving(30), 2.1f);
  StuntInputs slide = Driving(50);
  slide.anyWheelSkidding = true;
  slide.drivenSlipAngle = 0.2;
  Hold(tracker, slide, 0.5f);
  ASSERT_TRUE(tracker.HasActiveEvent(kStuntPowerslide));
  slide.speedMph = 25;
  Hold(tracker, slide, 0.2f);
  EXPECT_TRUE(tracker.HasActiveEvent(kStuntPowerslide)) << "still sliding above twenty";
  slide.speedMph = 15;
  Hold(tracker, slide, 0.01f);
  EXPECT_FALSE(tracker.HasActiveEvent(kStuntPowerslide));

  StuntInputs slow = Driving(30);
  slow.racePosition = 3;
  Hold(tracker, slow, 0.01f);
  EXPECT_FALSE(tracker.HasActiveEvent(kStuntNicePass)) << "overtaking at thirty is no stunt";
  StuntInputs fast = Driving(45);
  fast.racePosition = 2;
  Hold(tracker, fast, 0.01f);
  EXPECT_EQ(tracker.events.back()->type, kStuntNicePass);

  StuntTracker fresh;
  Hold(fresh, Driving(30), 2.1f);
  fresh.lastPosition = -1;  // nobody's place known yet: the first place read is no overtake
  StuntInputs first = Driving(45);
  first.racePosition = 1;
  Hold(fresh, first, 0.01f);
  EXPECT_TRUE(fresh.events.empty());
}

TEST(StuntRules, AWipeWithoutPointsPlaysNoSound) {
  StuntTracker tracker;
  int sounds = 0;
  tracker.playSound = [&](bool) { ++sounds; };
  tracker.Wipe();
  Hold(tracker, Driving(60), 2.1f);
  Hold(tracker, Driving(60, false), 0.3f);
  tracker.Wipe();
  tracker.Wipe();
  EXPECT_EQ(sounds, 1) << "the second crash finds the chain already lost";
}

TEST(UpgradeRules, EachDressingRuleCoversItsOwnCategories) {
  const std::vector<uint32_t> performance = {kCategoryEngine, kCategoryFastTurbo, kCategoryTransmission,
                                             kCategoryTires, kCategoryLongBurnTurbo};
  const std::vector<uint32_t> dressing = {kCategoryColor, kCategoryVinyl, kCategoryNeon, kCategorySpoiler,
                                          kCategoryScoop};
  auto in = [](const std::vector<uint32_t>& list, uint32_t c) {
    return std::find(list.begin(), list.end(), c) != list.end();
  };
  for (uint32_t c = 0; c < kUpgradeCategoryCount; ++c) {
    SCOPED_TRACE(UpgradeCategoryNames[c]);
    EXPECT_TRUE(RuleCoversCategory(UpgradeRule::kFull, c));
    EXPECT_EQ(RuleCoversCategory(UpgradeRule::kCosmetic, c), !in(performance, c));
    EXPECT_EQ(RuleCoversCategory(UpgradeRule::kDressed, c), in(dressing, c));
  }
  for (UpgradeRule rule : {UpgradeRule::kFull, UpgradeRule::kCosmetic, UpgradeRule::kDressed}) {
    EXPECT_FALSE(RuleCoversCategory(rule, kUpgradeCategoryCount));
  }
  EXPECT_FALSE(RuleCoversCategory(static_cast<UpgradeRule>(7), kCategoryColor));
}

TEST(UpgradeRules, RandomPicksFollowTheirRule) {
  const std::string catalogue =
      "[UPGRADE]\n<ID>,1\n<CATEGORY>,Color\n[/UPGRADE]\n[UPGRADE]\n<ID>,2\n<CATEGORY>,Color\n[/UPGRADE]\n"
      "[UPGRADE]\n<ID>,3\n<CATEGORY>,Neon\n[/UPGRADE]\n"
      "[UPGRADE]\n<ID>,4\n<CATEGORY>,Vinyl Graphics\n[/UPGRADE]\n[UPGRADE]\n<ID>,5\n<CATEGORY>,Vinyl Graphics\n"
      "[/UPGRADE]\n[UPGRADE]\n<ID>,6\n<CATEGORY>,Engine\n[/UPGRADE]\n[UPGRADE]\n<ID>,7\n<CATEGORY>,Rims\n"
      "[/UPGRADE]\n";
  auto installed = [&](UpgradeRule rule, int draw) {
    UpgradeList list;
    list.LoadFromText(catalogue);
    ChooseRandomUpgrades(list, rule, [draw] { return draw; });
    std::vector<uint32_t> ids;
    for (const auto& u : list.Upgrades()) {
      if (u->installed) ids.push_back(u->id);
    }
    return ids;
  };
  EXPECT_EQ(installed(UpgradeRule::kDressed, 1), (std::vector<uint32_t>{2, 3, 4, 5}))
      << "one colour by the draw, the neon, every vinyl, nothing else";
  EXPECT_EQ(installed(UpgradeRule::kFull, 0), (std::vector<uint32_t>{1, 3, 4, 6, 7}));
  EXPECT_EQ(installed(UpgradeRule::kCosmetic, 0), (std::vector<uint32_t>{1, 3, 4, 7}));
  EXPECT_EQ(installed(UpgradeRule::kFull, 999), std::vector<uint32_t>{}) << "no draw under the chance, no model";
}

// The side a computer driver steers across at a path point: at the end of an open road the last stretch's side,
// on a circuit the stretch back to the start; nothing where the path has no stretch to measure.
TEST(DrivingLineRules, ThePathsSideAtEachPointFollowsTheStretchLeavingIt) {
  auto path = [](bool closed, std::vector<platform::Vec3> points) {
    geometry::Path p("AIPATH", closed, platform::Vec3{});
    for (const auto& point : points) p.AddPoint(point);
    return p;
  };
  const geometry::Path road = path(false, {{0, 0, 0}, {0, 0, 100}, {100, 0, 100}});
  const geometry::Path circuit = path(true, {{0, 0, 0}, {0, 0, 100}, {100, 0, 100}});
  const float r = std::sqrt(0.5f);
  const struct {
    const char* what;
    const geometry::Path* on;
    size_t point;
    platform::Vec3 side;
  } cases[] = {
      {"the first stretch", &road, 0, {1, 0, 0}},
      {"the end of a road", &road, 2, {0, 0, -1}},
      {"the end of a circuit", &circuit, 2, {-r, 0, r}},
      {"past the last point", &road, 3, {0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const platform::Vec3 side = c.on->SideVector(c.point);
    EXPECT_NEAR(side.x, c.side.x, 1e-5f);
    EXPECT_NEAR(side.y, c.side.y, 1e-5f);
    EXPECT_NEAR(side.z, c.side.z, 1e-5f);
  }
  const geometry::Path lone = path(false, {{5, 0, 5}});
  EXPECT_EQ(lone.SideVector(0), (platform::Vec3{})) << "one point has no stretch";
  const geometry::Path standing = path(false, {{5, 0, 5}, {5, 0, 5}});
  EXPECT_EQ(standing.SideVector(0), (platform::Vec3{})) << "a stretch of no length has no side";
}

}  // namespace
