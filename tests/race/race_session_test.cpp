// Tests of the race session's step: sub-steps, start hold and release, race time, finish and knock-out.
#include "race/race_session.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "race/content_database.h"
#include "race/player_profile.h"
#include "race/race_definition.h"
#include "vehicle/vehicle.h"

namespace {

using vehicle::Vehicle;

race::RaceDefinition MakeDefinition(uint32_t type, int32_t laps) {
  return race::RaceDefinition(0, "Test", "TRACKS/CITY/city.scn", nullptr, race::kModeCareer, type, laps, 0, 3,
                              false);
}

std::unique_ptr<Vehicle> Car(const char* name) { return std::make_unique<Vehicle>(nullptr, nullptr, name, true); }

TEST(RaceSession, FrameRunsItsSubStepsWithTheirLength) {
  auto definition = MakeDefinition(race::kRaceLap, 3);
  race::RaceSession session(nullptr, &definition, false);
  std::vector<float> steps;
  session.afterSubStep = [&steps](float h) { steps.push_back(h); };
  app::ScreenFlow flow;
  flow.state = app::game_state::kRacing;
  session.Step(flow, 0.05f);
  ASSERT_EQ(steps.size(), 5u);
  for (float h : steps) EXPECT_FLOAT_EQ(h, 0.01f);
  steps.clear();
  session.Step(flow, 0.015f);
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_FLOAT_EQ(steps[0], 0.0075f);
  steps.clear();
  session.Step(flow, 0.2f);
  ASSERT_EQ(steps.size(), 5u);
  EXPECT_FLOAT_EQ(steps[0], 0.04f);
  steps.clear();
  session.Step(flow, 0);
  EXPECT_TRUE(steps.empty());
  EXPECT_FLOAT_EQ(session.raceTime, 0.265f);
}

TEST(RaceSession, RaceTimeRunsOnlyWhileRacing) {
  auto definition = MakeDefinition(race::kRaceLap, 3);
  race::RaceSession session(nullptr, &definition, false);
  app::ScreenFlow flow;
  flow.state = app::game_state::kCountdown;
  session.Step(flow, 0.05f);
  flow.state = app::game_state::kAfterFinish;
  session.Step(flow, 0.05f);
  EXPECT_FLOAT_EQ(session.raceTime, 0);
}

TEST(RaceSession, RubberBandClockStopsAtFiveSecondsAndIsClearedAtTheRelease) {
  auto definition = MakeDefinition(race::kRaceLap, 3);
  race::RaceSession session(nullptr, &definition, true);
  app::ScreenFlow flow;
  flow.state = app::game_state::kRacing;
  for (int i = 0; i < 200; ++i) session.Step(flow, 0.05f);
  EXPECT_FLOAT_EQ(session.rubberBandTimer, race::kRubberBandDelay);
  flow.state = app::game_state::kStartSignal;
  session.Step(flow, 0);
  EXPECT_FLOAT_EQ(session.rubberBandTimer, 0);

  race::RaceSession without(nullptr, &definition, false);
  flow.state = app::game_state::kRacing;
  for (int i = 0; i < 200; ++i) without.Step(flow, 0.05f);
  EXPECT_FLOAT_EQ(without.rubberBandTimer, 0);
}

TEST(RaceSession, NewRacersGoToTheFrontAndComputerRacersGetDrivers) {
  auto definition = MakeDefinition(race::kRaceLap, 3);
  race::RaceSession session(nullptr, &definition, false);
  Vehicle* player = session.AddRacer(Car("Me"), true);
  Vehicle* rival = session.AddRacer(Car("Rival"), false);
  ASSERT_EQ(session.Racers().size(), 2u);
  EXPECT_EQ(session.Racers()[0], rival);
  EXPECT_EQ(session.Player(), player);
  EXPECT_TRUE(player->isPlayer);
  EXPECT_EQ(session.DriverCount(), 1u);
  EXPECT_TRUE(session.IsDriven(rival));
  EXPECT_FALSE(session.IsDriven(player));
}

TEST(RaceSession, ReachingTheLapCountFinishesOnceAndHandsOverTheResult) {
  auto definition = MakeDefinition(race::kRaceLap, 2);
  definition.classRestriction = race::kClassC;
  race::ContentDatabase database(nullptr, "no_such_manifest.dat");
  race::PlayerProfile profile(&database);
  profile.careerProgress = race::kClassC;
  race::RaceSession session(&profile, &definition, false);
  Vehicle* rival = session.AddRacer(Car("Rival"), false);
  Vehicle* player = session.AddRacer(Car("Me"), true);
  rival->progress = 1.5f;
  player->progress = 1.9f;
  app::ScreenFlow flow;
  flow.state = app::game_state::kRacing;
  session.Step(flow, 0.05f);
  EXPECT_EQ(session.Result(), nullptr);

  player->progress = 2.0f;  // exactly the lap count finishes
  session.Step(flow, 0.05f);
  ASSERT_NE(session.Result(), nullptr);
  EXPECT_EQ(flow.state, app::game_state::kAfterFinish);
  EXPECT_EQ(session.Result()->place, 1u);
  EXPECT_EQ(session.Result()->names, (std::vector<std::string>{"Me", "Rival"}));
  EXPECT_FLOAT_EQ(session.Result()->raceTime, 0.1f);
  EXPECT_EQ(profile.careerProgress, static_cast<uint32_t>(race::kClassC) + 1);
  EXPECT_TRUE(session.IsDriven(player));  // the computer drives on

  // After the finish the clock and the order stand still and no second record is made.
  const race::RaceResult* first = session.Result();
  const size_t drivers = session.DriverCount();
  session.Step(flow, 0.05f);
  session.FinishRacer(flow);
  EXPECT_EQ(session.Result(), first);
  EXPECT_EQ(session.DriverCount(), drivers);
  EXPECT_FLOAT_EQ(session.raceTime, 0.1f);
  EXPECT_EQ(profile.careerProgress, static_cast<uint32_t>(race::kClassC) + 1);
  auto taken = session.TakeResult();
  EXPECT_EQ(taken.get(), first);
}

TEST(RaceSession, WinningAnOlderTierOrLosingLeavesCareerProgress) {
  auto definition = MakeDefinition(race::kRaceLap, 1);
  definition.classRestriction = race::kClassOpen;
  race::ContentDatabase database(nullptr, "no_such_manifest.dat");
  race::PlayerProfile profile(&database);
  profile.careerProgress = 2;
  race::RaceSession session(&profile, &definition, false);
  session.AddRacer(Car("Me"), true)->progress = 1.0f;
  app::ScreenFlow flow;
  flow.state = app::game_state::kRacing;
  session.Step(flow, 0.01f);
  ASSERT_NE(session.Result(), nullptr);
  EXPECT_EQ(profile.careerProgress, 2u);
}

TEST(RaceSession, KnockOutDropsTheLastComputerCarAndItsDriver) {
  auto definition = MakeDefinition(race::kRaceKnockout, 3);
  race::RaceSession session(nullptr, &definition, false);
  Vehicle* last = session.AddRacer(Car("Last"), false);
  Vehicle* middle = session.AddRacer(Car("Middle"), false);
  Vehicle* player = session.AddRacer(Car("Me"), true);
  player->progress = 1.5f;
  player->bestLap = 1;
  middle->progress = 1.2f;
  middle->bestLap = 1;
  last->progress = 0.8f;
  app::ScreenFlow flow;
  flow.state = app::game_state::kRacing;
  session.Step(flow, 0.01f);
  ASSERT_EQ(session.Racers().size(), 2u);
  EXPECT_EQ(session.DriverCount(), 1u);
  EXPECT_FALSE(session.IsDriven(last));
  EXPECT_EQ(session.Result(), nullptr);
}

TEST(RaceSession, KnockingOutThePlayerEndsTheRaceLikeAFinish) {
  auto definition = MakeDefinition(race::kRaceKnockout, 3);
  race::RaceSession session(nullptr, &definition, false);
  Vehicle* player = session.AddRacer(Car("Me"), true);
  Vehicle* rival = session.AddRacer(Car("Rival"), false);
  rival->progress = 1.5f;
  rival->bestLap = 1;
  player->progress = 0.5f;
  app::ScreenFlow flow;
  flow.state = app::game_state::kRacing;
  session.Step(flow, 0.01f);
  ASSERT_NE(session.Result(), nullptr);
  EXPECT_EQ(session.Result()->place, 2u);
  EXPECT_EQ(session.Result()->names, (std::vector<std::string>{"Rival", "Me"}));
  EXPECT_EQ(flow.state, app::game_state::kAfterFinish);
}

}  // namespace
