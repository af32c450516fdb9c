// Tests of the race session's step: sub-steps and race time, the countdown's hold and release, a knocked-out
// player and the automatic reset of a fallen player car; and how each racer of the field is made.
#include "race/race_session.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "../vehicle/vehicle_fixture.h"
#include "race_test_support.h"
#include "race/race_definition.h"
#include "race/race_timing.h"
#include "vehicle/vehicle.h"

namespace {

namespace gs = app::game_state;
using platform::Vec3;
using vehicle::Vehicle;

race::RaceDefinition MakeDefinition(uint32_t type, int32_t laps) {
  return race::RaceDefinition(0, "Test", "TRACKS/CITY/city.scn", nullptr, race::kModeCareer, type, laps, 0, 3,
                              false);
}
std::unique_ptr<Vehicle> Car(const char* name) { return std::make_unique<Vehicle>(nullptr, nullptr, name, true); }

TEST(RaceSession, AFrameRunsUpToFiveEqualSubStepsAndTheClockRunsOnlyWhileRacing) {
  auto definition = MakeDefinition(race::kRaceLap, 3);
  race::RaceSession session(nullptr, &definition, false);
  std::vector<float> steps;
  session.afterSubStep = [&steps](float h) { steps.push_back(h); };
  app::ScreenFlow flow;
  flow.state = gs::kRacing;
  const struct {
    float frame;
    size_t count;
    float step;
  } cases[] = {{0.05f, 5, 0.01f}, {0.015f, 2, 0.0075f}, {0.2f, 5, 0.04f}, {0.004f, 1, 0.004f}, {0, 0, 0}};
  for (const auto& c : cases) {
    steps.clear();
    session.Step(flow, c.frame);
    ASSERT_EQ(steps.size(), c.count) << c.frame;
    for (float h : steps) EXPECT_FLOAT_EQ(h, c.step) << c.frame;
  }
  EXPECT_FLOAT_EQ(session.raceTime, 0.269f);
  for (app::GameState state : {gs::kCountdown, gs::kAfterFinish}) {
    flow.state = state;
    session.Step(flow, 0.05f);
  }
  EXPECT_FLOAT_EQ(session.raceTime, 0.269f);
}

class RaceSessionHud : public race_test::HudFixture {
 protected:
  // Applies the flow's requests as the application does every frame, then steps the race; the application moves
  // on to racing after the step that releases the cars.
  static void Frame(race::RaceSession& session, app::ScreenFlow& flow, float dt) {
    flow.Update(dt);
    const bool released = flow.state == gs::kStartSignal;
    if (released) flow.Request(gs::kRacing, 0);
    session.Step(flow, dt);
  }
};

TEST_F(RaceSessionHud, TheCountdownHoldsTheCarsInNeutralAndReleasesThemAtFourSeconds) {
  race::RaceDefinition definition = Definition(race::kRaceLap, 1);
  auto tree = vehicle_test::FlatWorld("PAVE", 20000);
  race::RaceSession session(nullptr, &definition, false);
  session.World().SetCollision(tree.get());
  session.hud = &MakeHud(definition);
  auto car = vehicle_test::LoadCar(contentgen::SampleCars().front().name);
  vehicle_test::PlaceAt(*car, session.World(), {0, 0, 0}, {0, 0, 1});
  Vehicle* player = session.AddRacer(std::move(car), true);
  app::ScreenFlow flow;
  flow.state = gs::kRaceLoading;
  session.HoldRacersAtStart(flow);
  float clock = 0;
  for (int i = 0; i < 120 && player->engine->Gear() != race::kFirstGear; ++i) {
    Frame(session, flow, 0.05f);
    clock += 0.05f;
    if (flow.state == gs::kCountdown) {
      EXPECT_EQ(player->engine->Gear(), race::kNeutralGear);
    }
  }
  EXPECT_NEAR(clock, 4.0f, 0.15f);
  EXPECT_TRUE(player->engine->gearbox.shiftingAllowed);
}

TEST(RaceSession, KnockingOutThePlayerEndsTheRaceInLastPlace) {
  auto definition = MakeDefinition(race::kRaceKnockout, 3);
  race::RaceSession session(nullptr, &definition, false);
  Vehicle* player = session.AddRacer(Car("Me"), true);
  Vehicle* rival = session.AddRacer(Car("Rival"), false);
  rival->progress = 1.5f;
  rival->bestLap = 1;
  player->progress = 0.5f;
  app::ScreenFlow flow;
  flow.state = gs::kRacing;
  session.Step(flow, 0.01f);
  ASSERT_NE(session.Result(), nullptr);
  EXPECT_EQ(session.Result()->place, 2u);
  EXPECT_EQ(session.Result()->names, (std::vector<std::string>{"Rival", "Me"}));
  EXPECT_EQ(flow.state, gs::kAfterFinish);
}

// A player car upside down is put back on the path after four seconds, one off the world after one second.
TEST(RaceSession, AFallenPlayerCarIsPutBackOnThePathAfterItsWait) {
  const struct {
    Vec3 at;
    bool flipped;
    float wait;
  } cases[] = {{{600, 150, 0}, true, race::AutoResetTimers::kTippedSeconds},
               {{60000, 500, 0}, false, race::AutoResetTimers::kOffWorldSeconds}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.wait);
    auto definition = MakeDefinition(race::kRaceLap, 3);
    auto tree = vehicle_test::FlatWorld("PAVE", 20000);
    race::RaceSession session(nullptr, &definition, false);
    session.World().SetCollision(tree.get());
    auto path = std::make_unique<geometry::Path>("AIPATH", true, Vec3{});
    for (int i = 0; i < 8; ++i) path->AddPoint({0, 0, -8000.0f + 2000.0f * i});
    session.World().AddAIPath(std::move(path));
    auto car = vehicle_test::LoadCar(contentgen::SampleCars().front().name);
    vehicle_test::PlaceAt(*car, session.World(), {600, 0, 0}, {0, 0, 1});
    Vehicle* player = session.AddRacer(std::move(car), true);
    platform::Matrix4 turn = platform::IdentityMatrix();
    if (c.flipped) turn.m[0][0] = turn.m[1][1] = -1;
    player->SetTransform(c.at, turn);
    app::ScreenFlow flow;
    flow.state = gs::kRacing;
    float waited = 0;
    for (; waited < 10 && std::fabs(player->position.x) > 50.0f; waited += 0.05f) session.Step(flow, 0.05f);
    EXPECT_LT(std::fabs(player->position.x), 50.0f) << "put back onto the path at x = 0";
    EXPECT_GT(waited, c.wait);
    EXPECT_LT(waited, c.wait + 1.0f);
  }
}

// The session's nearest-path searches: none without paths; the forward search answers a path as loaded, the Alt
// search that path's reversed copy, which starts where the loaded one ends.
TEST(RaceSession, NearestPathSearchesTheLoadedPathsOrTheirReversedCopies) {
  auto definition = MakeDefinition(race::kRaceLap, 3);
  race::RaceSession session(nullptr, &definition, false);
  EXPECT_EQ(session.FindNearestPath({0, 0, 0}), nullptr);
  EXPECT_EQ(session.FindNearestPathAlt({0, 0, 0}), nullptr);
  for (float x : {0.0f, 1000.0f}) {
    auto path = std::make_unique<geometry::Path>("AIPATH", true, Vec3{});
    for (int i = 0; i < 4; ++i) path->AddPoint({x, 0, 2000.0f * i});
    session.World().AddAIPath(std::move(path));
  }
  const geometry::Path* forward = session.FindNearestPath({900, 0, 3000});
  ASSERT_EQ(forward, session.World().AIPath(1));
  const geometry::Path* reversed = session.FindNearestPathAlt({900, 0, 3000});
  ASSERT_NE(reversed, nullptr);
  EXPECT_NE(reversed, forward);
  EXPECT_EQ(reversed, session.World().AIPaths(true)[1]);
  EXPECT_FLOAT_EQ(reversed->GetPoint(0).z, forward->GetPoint(forward->PointCount() - 1).z);
  EXPECT_EQ(session.FindNearestPath({100, 0, 0}), session.World().AIPath(0));
}

TEST(RaceTiming, RightingTheCarOrLandingClearsItsResetClock) {
  race::AutoResetTimers timers;
  timers.Update(3.9f, false, false, true);
  timers.Update(0.01f, false, true, false);
  EXPECT_FALSE(timers.Update(3.9f, false, false, true).respawn);
  timers.Update(0.9f, true, false, false);
  EXPECT_TRUE(timers.Update(0.01f, false, true, false).savePosition);
  EXPECT_FALSE(timers.Update(0.9f, true, false, false).respawn);
}


// A chicken race's field one racer at a time on the city's grid: the player on its slot facing round the circuit,
// an opponent halfway round facing the other way with a driver; a slot the grid lacks or a car that cannot be
// built adds nothing.
class RaceSessionField : public race_test::SampleRace {};

TEST_F(RaceSessionField, EachRacerIsPlacedOnItsSlotAndOnlyComputerRacersAreDriven) {
  definition.type = race::kRaceChicken;
  race::RaceSession& race = Load(nullptr);
  const std::vector<race::GridSlot>& grid = race.StartGrid();
  const geometry::Path* line = race.World().AIPath(0);
  ASSERT_GE(grid.size(), 2u);
  ASSERT_NE(line, nullptr);
  ASSERT_TRUE(race.Racers().empty()) << "without a content list the load builds no field";
  int built = 0;
  const race::RaceSession::CarFactory factory = [&built](const race::RacerPlan& plan) -> std::unique_ptr<Vehicle> {
    ++built;
    return plan.name == "Nobody" ? nullptr : vehicle_test::LoadCar("COUPE");
  };
  race::RacerPlan player;
  player.name = "Ann";
  player.slot = 1;
  player.isPlayer = true;
  race::RacerPlan rival;
  rival.name = "Bea";
  rival.slot = 0;
  rival.pathFraction = 0.5f;
  race::RacerPlan offGrid = rival;
  offGrid.slot = grid.size();
  race::RacerPlan unbuilt = rival;
  unbuilt.name = "Nobody";

  EXPECT_EQ(race.CreateRacer(offGrid, factory), nullptr);
  EXPECT_EQ(built, 0) << "no slot, no car built";
  EXPECT_EQ(race.CreateRacer(unbuilt, factory), nullptr);
  EXPECT_TRUE(race.Racers().empty());

  // Which way the circuit runs where a car stands.
  auto along = [line](const Vec3& at) {
    geometry::PathProjection here;
    EXPECT_TRUE(line->ProjectPoint(at, here));
    return platform::Normalize(line->PointAt(here.distance + 100) - here.point);
  };
  Vehicle* me = race.CreateRacer(player, factory);
  ASSERT_NE(me, nullptr);
  EXPECT_EQ(race.Player(), me);
  EXPECT_TRUE(me->isPlayer);
  EXPECT_EQ(race.DriverCount(), 0u);
  EXPECT_NEAR(me->position.x, grid[1].position.x, 5.0f);
  EXPECT_NEAR(me->position.z, grid[1].position.z, 5.0f);
  EXPECT_GT(platform::Dot(me->forwardAxis, along(me->position)), 0.9f);

  Vehicle* other = race.CreateRacer(rival, factory);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(race.Racers().front(), other) << "the newest racer first";
  EXPECT_EQ(race.DriverCount(), 1u);
  EXPECT_TRUE(race.IsDriven(other));
  EXPECT_FALSE(race.IsDriven(me));
  const Vec3 halfway = line->PointAt(line->TotalLength() * 0.5f);
  EXPECT_NEAR(other->position.x, halfway.x, 5.0f);
  EXPECT_NEAR(other->position.z, halfway.z, 5.0f);
  EXPECT_LT(platform::Dot(other->forwardAxis, along(other->position)), -0.9f) << "head-on to the player";
}

}  // namespace
