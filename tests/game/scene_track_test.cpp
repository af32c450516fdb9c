// A track that ships without a collision file, raced through the game's own race start: the race reads its
// surfaces from the scene's materials, its racing line, grid, flares, sky boxes and sound from the scene's
// records, and its cars drive the line on the scene's own triangles.
#include <gtest/gtest.h>

#include <string>

#include "contentgen/plaza_track.h"
#include "game/headless_race.h"
#include "game_test_support.h"
#include "race/race_definition.h"
#include "vehicle/vehicle.h"
#include "vehicle/vehicle_fixture.h"
#include "vehicle/vehicle_world.h"

namespace game {
namespace {

using platform::Vec3;

constexpr int kDemoPlaza = 1;
constexpr float kFrame = 1.0f / 60.0f;

class SceneTrack : public ::testing::Test {
 protected:
  void SetUp() override {
    race_ = std::make_unique<HeadlessRace>(game_test::SampleGameFolder(), 1);
    std::string error;
    ASSERT_TRUE(race_->Load("DEMO", kDemoPlaza, error)) << error;
    ASSERT_EQ(race_->Definition()->path, contentgen::kPlazaTrackScene);
  }
  std::unique_ptr<HeadlessRace> race_;
};

TEST_F(SceneTrack, TheGridPathFlaresSkyAndSoundComeFromTheScenesRecords) {
  race::RaceSession& session = *race_->Session();
  EXPECT_EQ(session.Collision(), nullptr) << "the track has no collision file";
  EXPECT_EQ(session.StartGrid().size(), 8u);
  EXPECT_EQ(session.Racers().size(), 4u) << "the player and three opponents, each on a grid slot";
  ASSERT_EQ(session.World().AIPathCount(), 1u);
  // Its edges were measured against the scene's walls, not left open.
  const geometry::Path& path = *session.World().AIPath(0);
  EXPECT_TRUE(path.RightEdges()[0] > 0 && path.RightEdges()[0] < 1000 && path.RightEdges()[0] != 600);

  race::RaceScenery& scenery = session.Scenery();
  EXPECT_NE(scenery.skyBox, nullptr);
  EXPECT_NE(scenery.glowSkyBox, nullptr);
  uint32_t flares = 0;
  for (int32_t colour = 0; colour < render::kGlowColourCount; ++colour) {
    if (const render::GlowBatch* batch = scenery.glows->Batch(colour, 0)) flares += batch->Count();
  }
  EXPECT_EQ(flares, 8u) << "the street lamps' flares";
  ASSERT_EQ(scenery.sounds->Emitters().size(), 1u);
  EXPECT_EQ(scenery.sounds->Emitters().front().maxVolume, 220u);
}

TEST_F(SceneTrack, SurfacesComeFromTheScenesMaterials) {
  const contentgen::TrackDesign plaza = contentgen::BuildPlazaTrack();
  const contentgen::TrackLoop& loop = plaza.builder.Loop();
  const auto straights = loop.Straights();
  ASSERT_EQ(straights.size(), 4u);
  auto middle = [&straights](size_t s) { return (straights[s].from + straights[s].to) * 0.5f; };
  const float bend = (straights[0].to + straights[1].from) * 0.5f;
  const float road = plaza.builder.Widths().road;
  const struct {
    const char* where;
    float distance;
    float aside;  // to the left of the centreline
    int32_t surface;
  } places[] = {
      {"home straight", middle(0), 0, vehicle::kSurfacePave},
      {"east straight", middle(1), 0, vehicle::kSurfaceCobble},
      {"back straight", middle(2), 0, vehicle::kSurfaceDirt},
      {"beside the back straight", middle(2), road + 100, vehicle::kSurfaceGravel},
      {"inside a bend", bend, road + 150, vehicle::kSurfaceGrass},
  };
  race::RaceWorld& world = race_->Session()->World();
  for (const auto& place : places) {
    const Vec3 p = loop.CentreAt(place.distance) + loop.LeftAt(place.distance) * place.aside;
    race::SegmentHit hit;
    ASSERT_TRUE(world.CastSegmentFull(p + Vec3{0, 500, 0}, p - Vec3{0, 500, 0}, false, hit)) << place.where;
    EXPECT_EQ(hit.surface, place.surface) << place.where;
    // The cars' own road: a box query, then a cast among its candidates.
    world.QueryWorldBox(p - Vec3{200, 600, 200}, p + Vec3{200, 600, 200});
    race::SegmentHit near;
    ASSERT_TRUE(world.CastSegment(p + Vec3{0, 500, 0}, p - Vec3{0, 500, 0}, false, near)) << place.where;
    EXPECT_EQ(near.surface, place.surface) << place.where;
    EXPECT_FLOAT_EQ(near.point.y, hit.point.y) << place.where;
  }
  // Far from the last box query the candidates hold nothing there.
  const Vec3 away = loop.CentreAt(middle(0));
  world.QueryWorldBox(away + Vec3{5000, -100, 5000}, away + Vec3{5100, 100, 5100});
  race::SegmentHit none;
  EXPECT_FALSE(world.CastSegment(away + Vec3{0, 500, 0}, away - Vec3{0, 500, 0}, false, none));
}

// A collision file, where there is one, comes first: its materials name the surfaces and its triangles are the
// track; without it the scene's are again.
TEST_F(SceneTrack, ACollisionFileTakesPrecedenceOverTheScene) {
  race::RaceWorld& world = race_->Session()->World();
  const std::vector<uint32_t> sceneSurfaces = world.MaterialSurfaces();
  auto tree = vehicle_test::FlatWorld("GRASS_FIELD", 20000);
  world.SetCollision(tree.get());
  EXPECT_EQ(world.MaterialSurfaces(), (std::vector<uint32_t>{vehicle::kSurfaceGrass, vehicle::kSurfaceNoDrive}));
  const Vec3 road = contentgen::BuildPlazaTrack().builder.Loop().CentreAt(0);
  race::SegmentHit hit;
  ASSERT_TRUE(world.CastSegmentFull(road + Vec3{0, 500, 0}, road - Vec3{0, 500, 0}, false, hit));
  EXPECT_EQ(hit.surface, vehicle::kSurfaceGrass) << "the tree's ground, not the scene's road";
  world.SetCollision(nullptr);
  EXPECT_EQ(world.MaterialSurfaces(), sceneSurfaces);
  ASSERT_TRUE(world.CastSegmentFull(road + Vec3{0, 500, 0}, road - Vec3{0, 500, 0}, false, hit));
  EXPECT_EQ(hit.surface, vehicle::kSurfacePave);
}

TEST_F(SceneTrack, ComputerDriversLapTheSceneOnItsOwnTriangles) {
  race::RaceSession& session = *race_->Session();
  race_->DriveEveryCar();
  for (float t = 0; t < 40.0f; t += kFrame) race_->Frame(kFrame);
  ASSERT_EQ(session.Racers().size(), 4u);
  for (const vehicle::Vehicle* car : session.Racers()) {
    EXPECT_GT(car->progress, 0.75f) << car->driverName << " drives the racing line";
    EXPECT_GT(car->position.y, -20.0f) << car->driverName << " stays on the track";
    EXPECT_TRUE(car->AnyWheelOnGround()) << car->driverName;
  }
}

}  // namespace
}  // namespace game
