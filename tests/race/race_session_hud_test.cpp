// Tests of the race session driving the in-race HUD: the countdown releases the cars at 4 s and, after the
// finish, the results screen is asked for 5 s later with the result kept for it.
#include <gtest/gtest.h>

#include <memory>

#include "../vehicle/vehicle_fixture.h"
#include "hud/hud_test_support.h"
#include "race/race_session.h"

namespace {

class RaceSessionHud : public hud_test::HudFixture {
 protected:
  // Applies the flow's requests as the application does every frame, then steps the race.
  void Frame(race::RaceSession& session, app::ScreenFlow& flow, float dt) {
    flow.Update(dt);
    if (flow.state == app::game_state::kStartSignal) {
      flow.Request(app::game_state::kRacing, 0);  // the application moves on to racing...
      session.Step(flow, dt);                     // ...after the step that releases the cars
      return;
    }
    session.Step(flow, dt);
  }
};

TEST_F(RaceSessionHud, CountdownHoldsTheCarsAndReleasesThemAtFourSeconds) {
  race::RaceDefinition definition = Definition(race::kRaceLap, 1);
  auto tree = vehicle_test::FlatWorld("PAVE", 20000);
  race::RaceSession session(nullptr, &definition, false);
  session.World().SetCollision(tree.get());
  session.hud = &MakeHud(definition);
  auto car = vehicle_test::LoadCar(contentgen::SampleCars().front().name);
  vehicle_test::PlaceAt(*car, session.World(), {0, 0, 0}, {0, 0, 1});
  vehicle::Vehicle* player = session.AddRacer(std::move(car), true);

  app::ScreenFlow flow;
  flow.state = app::game_state::kRaceLoading;
  session.HoldRacersAtStart(flow);
  float clock = 0;
  bool released = false;
  float releasedAt = 0;
  for (int i = 0; i < 120 && !released; ++i) {
    Frame(session, flow, 0.05f);
    clock += 0.05f;
    if (flow.state == app::game_state::kCountdown) {
      EXPECT_EQ(player->engine->Gear(), race::kNeutralGear);
    }
    if (player->engine->Gear() == race::kFirstGear) {
      released = true;
      releasedAt = clock;
    }
  }
  ASSERT_TRUE(released);
  EXPECT_NEAR(releasedAt, 4.0f, 0.15f);
  EXPECT_TRUE(player->engine->gearbox.shiftingAllowed);
}

TEST_F(RaceSessionHud, FinishingGoesOnFiveSecondsThenAsksForTheResultsWithTheRecordKept) {
  race::RaceDefinition definition = Definition(race::kRaceLap, 1);
  race::RaceSession session(nullptr, &definition, false);
  session.hud = &MakeHud(definition);
  vehicle::Vehicle* player =
      session.AddRacer(std::make_unique<vehicle::Vehicle>(nullptr, nullptr, "Me", true), true);
  app::ScreenFlow flow;
  flow.state = app::game_state::kRacing;
  player->progress = 1.0f;
  session.Step(flow, 0.05f);
  ASSERT_NE(session.Result(), nullptr);
  ASSERT_EQ(flow.state, app::game_state::kAfterFinish);
  float waited = 0;
  while (flow.FrontState() != race::RaceHud::kStateResults && waited < 10) {
    session.Step(flow, 0.05f);
    waited += 0.05f;
  }
  EXPECT_NEAR(waited, 5.0f, 0.11f);
  EXPECT_EQ(flow.FrontScreen(), race::RaceHud::kResultsScreen);
  EXPECT_NE(session.Result(), nullptr);
}

}  // namespace
