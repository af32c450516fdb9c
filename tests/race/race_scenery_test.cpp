// Tests of the race's track and scenery over the generated city, cars and content list on a null device: the
// staged load, the start grid and AI paths, the render passes and their settings, the camera keys, track sounds
// and the unload.
#include "race/race_scenery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "../vehicle/null_device_fixture.h"
#include "../vehicle/vehicle_fixture.h"
#include "app/data_file.h"
#include "contentgen/race_content.h"
#include "contentgen/test_world.h"
#include "contentgen/track_scene.h"
#include "contentgen/vehicle_content.h"
#include "platform/audio/mixer.h"
#include "platform/math/math.h"
#include "platform/window_system.h"
#include "race/content_database.h"
#include "race/player_input.h"
#include "race/race_definition.h"
#include "race/race_session.h"
#include "race/track_loader.h"
#include "race_test_support.h"
#include "render/resources/resource_manager.h"
#include "vehicle/vehicle.h"

namespace {

namespace gs = app::game_state;
using app::SettingId;
using platform::Vec3;

TEST(TrackTexts, SoundNodesAndCompanionFileNames) {
  const struct {
    const char* text;
    const char* path;
    float radius;
    uint32_t volume;
  } nodes[] = {
      {"PATH=fountain.wav\nRADIUS=400\nVOLUME=200", "fountain.wav", 400, 200},
      {"PATH\tbirds.wav\r\n", "birds.wav", 100, 255},
      {"PATH=a.wav # VOLUME=3\nradius=50", "a.wav", 50, 255},  // a comment runs to the end of its line
      {"PATH", "", 100, 255},
      {"VOLUME=9999", "", 100, 255},
      {"VOLUME=-4", "", 100, 0},
      {"RADIUS=nan", "", 100, 255},
      {"RADIUS=444444444444444444444444444444444444444444444444444", "", 100, 255},
  };
  for (const auto& node : nodes) {
    const race::TrackSound sound = race::ParseSoundNode(node.text);
    EXPECT_EQ(sound.path, node.path) << node.text;
    EXPECT_EQ(sound.radius, node.radius) << node.text;
    EXPECT_EQ(sound.volume, node.volume) << node.text;
  }
  EXPECT_EQ(race::CollisionFileOf("TRACKS/CITY/city.scn"), "TRACKS/CITY/city.COL");
  EXPECT_EQ(race::ReflectionFileOf("TRACKS/CITY/city.scn"), "TRACKS/CITY/cityreflect.SCN");
  EXPECT_EQ(race::CollisionFileOf("a.sc"), "");
  EXPECT_EQ(race::ReflectionFileOf(""), "");
}

class RaceScenery : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new std::string(
        (std::filesystem::temp_directory_path() / ("corsaire_scenery_" + std::to_string(std::random_device{}())))
            .string() + "/");
    ASSERT_TRUE(contentgen::WriteRaceContent(*folder_) && contentgen::WriteTestWorld(*folder_) &&
                contentgen::WriteTrackScene(*folder_) && contentgen::WriteVehicleContent(*folder_));
  }
  static void TearDownTestSuite() {
    std::filesystem::remove_all(*folder_);
    delete folder_;
    folder_ = nullptr;
  }

  RaceScenery() : resources(&holder.settings, *folder_) {
    content = std::make_unique<race::ContentDatabase>(&holder.settings, "", &clock);
    content->LoadFrom(app::DataFile(*folder_ + contentgen::kManifestFile), *folder_, *folder_);
    resources.SetMixer(&mixer);
    holder.settings.SetInt(SettingId::REARVIEW, 1);
    holder.settings.SetInt(SettingId::MOTIONBLUR, 1);
  }

  // A session of the race over the sample content, loaded whole and counting down; returns the stages reported.
  std::unique_ptr<race::RaceSession> Loaded(race::ContentDatabase* cars, std::vector<uint32_t>* stages = nullptr) {
    auto session = std::make_unique<race::RaceSession>(&resources, &holder.settings, cars, nullptr, &definition, 77);
    const auto report = [stages](uint32_t stage) {
      if (stages != nullptr) stages->push_back(stage);
    };
    for (int i = 0; i < 20 && !session->LoadTrack(gfx.device, report); ++i) {
    }
    flow.state = gs::kCountdown;
    session->Step(gfx.device, nullptr, flow, nullptr, 0.02f);
    return session;
  }
  // A track alone, loaded through the resource manager.
  std::unique_ptr<race::RaceSession> Track(race::RaceDefinition& track) {
    auto session = std::make_unique<race::RaceSession>(nullptr, &track, false);
    while (!session->LoadTrack(&resources, {})) {
    }
    return session;
  }
  static race::RaceDefinition City(uint32_t mode, int32_t laps, const char* path = "TRACKS/CITY/city.scn",
                                   bool reverse = false) {
    return race::RaceDefinition(0, "City", path, nullptr, mode, race::kRaceLap, laps, 0, 3, reverse);
  }
  size_t ClearsOf(const std::function<void()>& pass) {
    const size_t before = gfx.Null().Clears().size();
    pass();
    return gfx.Null().Clears().size() - before;
  }
  size_t DrawsOf(const std::function<void()>& pass) {
    const size_t before = gfx.Null().Draws().size();
    pass();
    return gfx.Null().Draws().size() - before;
  }
  void Tap(race::RaceSession& session, int action, bool down) {
    session.ForwardInput(down ? platform::wm::kKeyDown : platform::wm::kKeyUp,
                         static_cast<uintptr_t>(holder.settings.GetKey(action)));
    session.Step(gfx.device, nullptr, flow, nullptr, 0.02f);
  }

  static std::string* folder_;
  race_test::SettingsHolder holder;
  race_test::ManualClock clock;
  platform::audio::Mixer mixer{8000, 8};
  render::ResourceManager resources;
  std::unique_ptr<race::ContentDatabase> content;
  race::RaceDefinition definition = City(race::kModeQuick, 2);
  vehicle::testing::NullDeviceFixture gfx;
  app::ScreenFlow flow;
};
std::string* RaceScenery::folder_ = nullptr;

TEST_F(RaceScenery, TheStagedLoadBuildsTrackGridPathsEffectsAndTheFieldOnce) {
  std::vector<uint32_t> stages;
  auto loaded = Loaded(content.get(), &stages);
  race::RaceSession& session = *loaded;
  EXPECT_EQ(stages, (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  race::RaceScenery& scenery = session.Scenery();
  EXPECT_TRUE(scenery.track->HasGeometry());
  for (bool made : {scenery.camera != nullptr, scenery.lighting != nullptr, scenery.skids != nullptr,
                    scenery.glows != nullptr, scenery.particles != nullptr, scenery.blurOverlay != nullptr,
                    scenery.reflection != nullptr, scenery.reflectionTarget != nullptr,
                    scenery.mirrorTarget != nullptr, session.hud != nullptr}) {
    EXPECT_TRUE(made);
  }
  // The city's one sound node: the fountain at the pond.
  ASSERT_EQ(scenery.sounds->Emitters().size(), 1u);
  EXPECT_EQ(scenery.sounds->Emitters().front().maxVolume, 200u);
  EXPECT_FLOAT_EQ(scenery.sounds->Emitters().front().position.x, contentgen::test_world::kPondCentreX);

  // The grid stands on the track, and the circuit's walls lie within reach on both sides of the racing line.
  EXPECT_EQ(session.World().MaterialSurfaces().size(), session.Collision()->MaterialNames().size());
  ASSERT_EQ(session.StartGrid().size(), 8u);
  for (const race::GridSlot& slot : session.StartGrid()) {
    race::SegmentHit hit;
    EXPECT_TRUE(session.World().CastSegmentFull(slot.position + Vec3{0, 100, 0}, slot.position - Vec3{0, 100, 0},
                                                false, hit));
  }
  ASSERT_EQ(session.World().AIPathCount(), 1u);
  const geometry::Path& path = *session.World().AIPath(0);
  EXPECT_LE(path.PointCount(), race::kAIPathPoints);
  const float right = path.RightEdges()[0], left = path.LeftEdges()[0];
  EXPECT_TRUE(right > 0 && right < 1000 && right != 600) << right << ": measured, not left open";
  EXPECT_TRUE(left < 0 && left > -1000 && left != -600) << left;

  // The player and three opponents of the content list, each on a slot of the grid.
  ASSERT_EQ(session.Racers().size(), 4u);
  EXPECT_EQ(session.DriverCount(), 3u);
  for (const vehicle::Vehicle* car : session.Racers()) {
    EXPECT_TRUE(std::any_of(session.StartGrid().begin(), session.StartGrid().end(), [car](const race::GridSlot& slot) {
      return std::hypot(car->position.x - slot.position.x, car->position.z - slot.position.z) < 1.0f;
    })) << car->driverName;
  }
  EXPECT_TRUE(session.LoadTrack(gfx.device, {}));
  EXPECT_EQ(session.Racers().size(), 4u) << "complete: another call changes nothing";
  // A stage number past the last starts over.
  race::RaceSession again(&resources, &holder.settings, nullptr, nullptr, &definition, 0);
  again.loadStage = 42;
  uint32_t reported = 99;
  again.LoadTrack(gfx.device, [&reported](uint32_t stage) { reported = stage; });
  EXPECT_EQ(reported, 1u);
}

TEST_F(RaceScenery, PlannedRacersBeyondTheGridAreLeftOut) {
  auto track = City(race::kModeQuick, 2);
  auto session = Track(track);
  std::vector<race::RacerPlan> plans(5);
  for (size_t i = 0; i < plans.size(); ++i) plans[i].slot = i == 4 ? 40 : i;
  plans[2].isPlayer = true;
  const auto factory = [](const race::RacerPlan&) { return vehicle_test::LoadCar(contentgen::SampleCars().front().name); };
  EXPECT_EQ(session->CreateRacers(plans, factory), 4u);
  EXPECT_NE(session->Player(), nullptr);
  EXPECT_EQ(session->DriverCount(), 3u);
}

TEST_F(RaceScenery, AReversedRaceRunsItsPathBackwardsAndAMissingTrackLeavesAnEmptyWorld) {
  auto forward = City(race::kModeQuick, 2), backward = City(race::kModeQuick, 2, "TRACKS/CITY/city.scn", true);
  auto there = Track(forward), back = Track(backward);
  const geometry::Path& path = *there->World().AIPath(0);
  const geometry::Path& reversed = *back->World().AIPath(0);
  ASSERT_EQ(path.PointCount(), reversed.PointCount());
  EXPECT_FLOAT_EQ(path.GetPoint(0).x, reversed.GetPoint(reversed.PointCount() - 1).x);
  EXPECT_FLOAT_EQ(path.GetPoint(0).z, reversed.GetPoint(reversed.PointCount() - 1).z);

  auto none = City(race::kModeQuick, 2, "TRACKS/NONE/none.scn");
  auto empty = Track(none);
  EXPECT_TRUE(empty->StartGrid().empty());
  EXPECT_EQ(empty->World().AIPathCount(), 0u);
  race::SegmentHit hit;
  EXPECT_FALSE(empty->World().CastSegmentFull({0, 100, 0}, {0, -100, 0}, false, hit));
}

TEST_F(RaceScenery, InstantRacesDrawOneToThreeLapsAtLoad) {
  race::RaceDefinition instant = City(race::kModeInstant, 9);
  for (int drawn : {0, 1, 2, 5, -1}) {
    race::RaceSession session(&resources, &holder.settings, nullptr, nullptr, &instant, 0);
    session.random = [drawn] { return drawn; };
    session.loadStage = 1;
    session.LoadTrack(gfx.device, {});
    EXPECT_GE(session.laps, 1) << drawn;
    EXPECT_LE(session.laps, 3) << drawn;
    EXPECT_EQ(instant.laps, session.laps);
  }
  race::RaceSession quick(&resources, &holder.settings, nullptr, nullptr, &definition, 0);
  quick.loadStage = 1;
  quick.LoadTrack(gfx.device, {});
  EXPECT_EQ(quick.laps, 2);
}

TEST_F(RaceScenery, WithoutAHudTheHoldStillQueuesTheCountdownAndTheStart) {
  race::RaceSession session(&resources, &holder.settings, nullptr, nullptr, &definition, 0);
  ASSERT_EQ(session.hud, nullptr);
  session.HoldRacersAtStart(flow);
  std::vector<app::GameState> seen;
  for (int frame = 0; frame < 200; ++frame) {
    flow.Update(0.05f);
    if (seen.empty() || seen.back() != flow.state) seen.push_back(flow.state);
  }
  const auto countdown = std::find(seen.begin(), seen.end(), gs::kCountdown);
  ASSERT_NE(countdown, seen.end());
  EXPECT_NE(std::find(countdown, seen.end(), gs::kStartSignal), seen.end());
}

TEST_F(RaceScenery, ReflectionAndMirrorPassesRunOnlyWithTheirSettings) {
  auto session = Loaded(content.get());
  for (int on : {0, 1}) {
    holder.settings.SetInt(SettingId::SCENEREFLECTION, on);
    holder.settings.SetInt(SettingId::REARVIEW, on);
    EXPECT_EQ(ClearsOf([&] { session->RenderReflection(gfx.device); }), static_cast<size_t>(on));
    EXPECT_EQ(ClearsOf([&] { session->RenderMirrorView(gfx.device); }), static_cast<size_t>(on));
  }
  // The city's sky box covers the mirror's background: it clears depth only.
  EXPECT_EQ(gfx.Null().Clears().back().flags, platform::gfx::clear_flags::kZBuffer);
}

TEST_F(RaceScenery, TheCameraKeyLeavesThePlayersCarOutOfTheInCarViewAndLookBackOverridesIt) {
  auto session = Loaded(content.get());
  render::RaceCamera& camera = *session->Scenery().camera;
  ASSERT_FALSE(camera.IsInCarView());
  const size_t chaseDraws = DrawsOf([&] { session->Render(gfx.device); });
  Tap(*session, race::kActionCamera, true);
  Tap(*session, race::kActionCamera, false);
  ASSERT_TRUE(camera.IsInCarView());
  EXPECT_LT(DrawsOf([&] { session->Render(gfx.device); }), chaseDraws);
  // Held look-back overrides the in-car view for as long as the key is down.
  Tap(*session, race::kActionLookBack, true);
  EXPECT_TRUE(camera.lookBack);
  EXPECT_FALSE(camera.IsInCarView());
  Tap(*session, race::kActionLookBack, false);
  EXPECT_FALSE(camera.lookBack);
}

TEST_F(RaceScenery, TheFlareGlowsAndTheTrackSoundPlaysNearTheCameraAndStopsFarAway) {
  auto session = Loaded(nullptr);
  race::RaceScenery& scenery = session->Scenery();
  // Without cars the only glow is the city's one flare node.
  uint32_t flares = 0;
  for (const auto& colour : scenery.glows->batches) {
    for (const auto& batch : colour) flares += batch != nullptr ? batch->Count() : 0;
  }
  EXPECT_EQ(flares, 1u);
  const Vec3 pond{contentgen::test_world::kPondCentreX, 0, contentgen::test_world::kPondCentreZ};
  const app::SoundEmitter& fountain = scenery.sounds->Emitters().front();
  for (const float away : {100.0f, 5000.0f}) {
    scenery.camera->eye = pond + Vec3{away, 0, 0};
    for (int i = 0; i < 5; ++i) scenery.UpdateEffects(0.02f);
    EXPECT_EQ(fountain.channel != platform::audio::kNoChannel && mixer.IsPlaying(fountain.channel), away < 1000)
        << away;
  }
}

TEST_F(RaceScenery, UnloadFreesRacersScenesAndEffectsAndLeavesNothingToDraw) {
  auto session = Loaded(content.get());
  session->Unload();
  race::RaceScenery& scenery = session->Scenery();
  EXPECT_TRUE(session->Racers().empty());
  EXPECT_EQ(session->Player(), nullptr);
  EXPECT_EQ(session->Collision(), nullptr);
  EXPECT_EQ(session->hud, nullptr);
  for (bool freed : {scenery.track == nullptr, scenery.reflection == nullptr, scenery.reflectionTarget == nullptr,
                     scenery.glows == nullptr, scenery.particles == nullptr, scenery.sounds == nullptr}) {
    EXPECT_TRUE(freed);
  }
  resources.PurgeUnreferenced();
  EXPECT_EQ(resources.Count(render::ResourceKind::kScene), 0u);
  EXPECT_EQ(resources.Count(render::ResourceKind::kCollisionTree), 0u);
  session->Unload();  // twice is harmless
  const size_t log = gfx.Null().CallLog().size();
  session->Render(gfx.device);
  session->RenderReflection(gfx.device);
  session->RenderMirrorView(gfx.device);
  session->DrawHud(gfx.device);
  EXPECT_EQ(gfx.Null().CallLog().size(), log);
}

}  // namespace
