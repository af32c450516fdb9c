// Tests of the staged track load over the generated city track: stages and progress, companion file names,
// start grid, AI paths and surfaces.
#include "race/track_loader.h"

#include <gtest/gtest.h>

#include <vector>

#include "../vehicle/vehicle_fixture.h"
#include "contentgen/test_world.h"
#include "race/race_definition.h"
#include "race/race_session.h"
#include "race_test_support.h"
#include "render/resources/resource_manager.h"

namespace {

TEST(TrackFiles, CompanionNamesComeFromTheTrackName) {
  EXPECT_EQ(race::CollisionFileOf("TRACKS/CITY/city.scn"), "TRACKS/CITY/city.COL");
  EXPECT_EQ(race::ReflectionFileOf("TRACKS/CITY/city.scn"), "TRACKS/CITY/cityreflect.SCN");
  EXPECT_EQ(race::CollisionFileOf("a.sc"), "");
  EXPECT_EQ(race::ReflectionFileOf(""), "");
}

class TrackLoading : public ::testing::Test {
 protected:
  TrackLoading() : resources(nullptr, scratch.Path()) { contentgen::WriteTestWorld(scratch.Path()); }

  race::RaceDefinition Definition(const std::string& path, bool reverse) const {
    return race::RaceDefinition(0, "City", path, nullptr, race::kModeQuick, race::kRaceLap, 2, 0, 3, reverse);
  }

  race_test::ScratchFolder scratch{"corsaire_track"};
  render::ResourceManager resources;
};

TEST_F(TrackLoading, ElevenCallsRunTheStagesAndReportProgressUpToTen) {
  auto definition = Definition("TRACKS/CITY/city.scn", false);
  race::RaceSession session(nullptr, &definition, false);
  std::vector<uint32_t> reported;
  auto report = [&reported](uint32_t stage) { reported.push_back(stage); };
  int calls = 0;
  while (!session.LoadTrack(&resources, report)) ++calls;
  EXPECT_EQ(calls + 1, 10);
  EXPECT_TRUE(session.LoadTrack(&resources, report));  // complete: nothing more happens
  EXPECT_EQ(reported, (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 10}));
  EXPECT_EQ(session.laps, 2);

  ASSERT_NE(session.Collision(), nullptr);
  EXPECT_FALSE(session.Collision()->Empty());
  EXPECT_EQ(session.World().MaterialSurfaces().size(), session.Collision()->MaterialNames().size());
  EXPECT_EQ(session.StartGrid().size(), 8u);
  ASSERT_EQ(session.World().AIPathCount(), 1u);
  const geometry::Path* path = session.World().AIPath(0);
  EXPECT_LE(path->PointCount(), race::kAIPathPoints);
  // The circuit's walls lie on both sides of the racing line within the sideways reach: measured, not open.
  EXPECT_NE(path->RightEdges()[0], 600.0f);
  EXPECT_GT(path->RightEdges()[0], 0.0f);
  EXPECT_LT(path->RightEdges()[0], 1000.0f);
  EXPECT_NE(path->LeftEdges()[0], -600.0f);
  EXPECT_LT(path->LeftEdges()[0], 0.0f);
  EXPECT_GT(path->LeftEdges()[0], -1000.0f);
  // The grid stands on the track: a cast down from above each slot hits the ground.
  for (const race::GridSlot& slot : session.StartGrid()) {
    race::SegmentHit hit;
    EXPECT_TRUE(session.World().CastSegmentFull(slot.position + platform::Vec3{0, 100, 0},
                                                slot.position - platform::Vec3{0, 100, 0}, false, hit));
  }
}

TEST_F(TrackLoading, AStageBeyondTheLastStartsOver) {
  auto definition = Definition("TRACKS/CITY/city.scn", false);
  race::RaceSession session(nullptr, &definition, false);
  session.loadStage = 42;
  uint32_t last = 99;
  session.LoadTrack(&resources, [&last](uint32_t stage) { last = stage; });
  EXPECT_EQ(last, 1u);
}

TEST_F(TrackLoading, AReversedRaceRunsItsPathsBackwards) {
  auto forward = Definition("TRACKS/CITY/city.scn", false);
  auto backward = Definition("TRACKS/CITY/city.scn", true);
  race::RaceSession a(nullptr, &forward, false), b(nullptr, &backward, false);
  while (!a.LoadTrack(&resources, {})) {}
  while (!b.LoadTrack(&resources, {})) {}
  ASSERT_EQ(b.World().AIPathCount(), 1u);
  const geometry::Path* there = a.World().AIPath(0);
  const geometry::Path* back = b.World().AIPath(0);
  ASSERT_EQ(there->PointCount(), back->PointCount());
  const platform::Vec3 first = there->GetPoint(0), last = back->GetPoint(back->PointCount() - 1);
  EXPECT_FLOAT_EQ(first.x, last.x);
  EXPECT_FLOAT_EQ(first.z, last.z);
}

TEST_F(TrackLoading, AMissingTrackLeavesAnEmptyWorldWithoutAGrid) {
  auto definition = Definition("TRACKS/NONE/none.scn", false);
  race::RaceSession session(nullptr, &definition, false);
  while (!session.LoadTrack(&resources, {})) {}
  EXPECT_TRUE(session.StartGrid().empty());
  EXPECT_EQ(session.World().AIPathCount(), 0u);
  race::SegmentHit hit;
  EXPECT_FALSE(session.World().CastSegmentFull({0, 100, 0}, {0, -100, 0}, false, hit));
}

}  // namespace

namespace {

TEST_F(TrackLoading, PlannedRacersStandOnTheirGridSlotsAndDrive) {
  auto definition = Definition("TRACKS/CITY/city.scn", false);
  race::RaceSession session(nullptr, &definition, false);
  while (!session.LoadTrack(&resources, {})) {}
  std::vector<race::RacerPlan> plans(4);
  for (size_t i = 0; i < plans.size(); ++i) plans[i].slot = i;
  plans[2].isPlayer = true;
  plans.push_back({});
  plans.back().slot = 40;  // beyond the grid: left out
  const auto factory = [](const race::RacerPlan&) {
    return vehicle_test::LoadCar(contentgen::SampleCars().front().name);
  };
  ASSERT_EQ(session.CreateRacers(plans, factory), 4u);
  ASSERT_NE(session.Player(), nullptr);
  EXPECT_EQ(session.DriverCount(), 3u);
  for (const vehicle::Vehicle* car : session.Racers()) {
    bool onSlot = false;
    for (const race::GridSlot& slot : session.StartGrid()) {
      const float dx = car->position.x - slot.position.x, dz = car->position.z - slot.position.z;
      onSlot = onSlot || dx * dx + dz * dz < 1.0f;
    }
    EXPECT_TRUE(onSlot) << car->position.x << " " << car->position.z;
  }
  app::ScreenFlow flow;
  flow.state = app::game_state::kStartSignal;
  session.Step(flow, 0.05f);
  flow.state = app::game_state::kRacing;
  for (int i = 0; i < 40; ++i) session.Step(flow, 0.05f);
  for (const vehicle::Vehicle* car : session.Racers()) {
    EXPECT_GT(car->position.y, -50.0f);  // still on the track
    EXPECT_GE(car->racePosition, 1);
    EXPECT_LE(car->racePosition, 4);
  }
}

}  // namespace
