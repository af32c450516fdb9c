// Tests of the race session with sample cars on a flat ground: the automatic reset of a player car that lies
// upside down or has left the world.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "../vehicle/vehicle_fixture.h"
#include "race/race_definition.h"
#include "race/race_session.h"

namespace {

using platform::Vec3;
using vehicle::Vehicle;

class RaceSessionCars : public ::testing::Test {
 protected:
  RaceSessionCars()
      : definition(0, "Flat", "TRACKS/FLAT/flat.scn", nullptr, race::kModeQuick, race::kRaceLap, 3, 0, 1, false),
        tree(vehicle_test::FlatWorld("PAVE", 20000)),
        session(nullptr, &definition, false) {
    session.World().SetCollision(tree.get());
    auto path = std::make_unique<geometry::Path>("AIPATH", true, Vec3{});
    for (int i = 0; i < 8; ++i) path->AddPoint({0, 0, -8000.0f + 2000.0f * i});
    session.World().AddAIPath(std::move(path));
  }

  Vehicle* AddCar(bool isPlayer, const Vec3& at) {
    auto car = vehicle_test::LoadCar(contentgen::SampleCars().front().name);
    vehicle_test::PlaceAt(*car, session.World(), at, {0, 0, 1});
    return session.AddRacer(std::move(car), isPlayer);
  }

  race::RaceDefinition definition;
  std::unique_ptr<geometry::CollisionTree> tree;
  race::RaceSession session;
  app::ScreenFlow flow;
};

TEST_F(RaceSessionCars, UpsideDownPlayerIsPutBackOnThePathAfterFourSeconds) {
  Vehicle* player = AddCar(true, {600, 0, 0});
  platform::Matrix4 flipped = platform::IdentityMatrix();
  flipped.m[0][0] = -1;
  flipped.m[1][1] = -1;
  player->SetTransform({600, 150, 0}, flipped);
  flow.state = app::game_state::kRacing;
  for (int i = 0; i < 60 && session.resetTimers.tippedTimer <= 2.0f; ++i) session.Step(flow, 0.05f);
  ASSERT_TRUE(player->IsTippedOver());
  EXPECT_GT(std::fabs(player->position.x), 300.0f);  // not yet moved
  for (int i = 0; i < 60 && std::fabs(player->position.x) > 50.0f; ++i) session.Step(flow, 0.05f);
  EXPECT_LT(std::fabs(player->position.x), 50.0f);  // respawned onto the path at x = 0
  EXPECT_GT(session.raceTime, race::AutoResetTimers::kTippedSeconds);
}

TEST_F(RaceSessionCars, PlayerOffTheWorldIsPutBackAfterOneSecond) {
  Vehicle* player = AddCar(true, {0, 0, 0});
  player->SetTransform({60000, 500, 0}, platform::IdentityMatrix());  // beyond the ground's edge
  flow.state = app::game_state::kRacing;
  float fallen = 0;
  for (int i = 0; i < 40 && std::fabs(player->position.x) > 50.0f; ++i) {
    session.Step(flow, 0.05f);
    fallen += 0.05f;
  }
  EXPECT_LT(std::fabs(player->position.x), 50.0f);
  EXPECT_GT(fallen, race::AutoResetTimers::kOffWorldSeconds);
}

}  // namespace
