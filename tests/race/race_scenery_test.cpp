// Tests of the race's scenery over the generated city track, cars and content list on a null device: the staged
// load of scene and effects, the render passes and their settings, the camera, track sounds and the unload.
#include "race/race_scenery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "../vehicle/null_device_fixture.h"
#include "app/data_file.h"
#include "contentgen/race_content.h"
#include "contentgen/test_world.h"
#include "contentgen/track_scene.h"
#include "contentgen/vehicle_content.h"
#include "platform/audio/mixer.h"
#include "platform/math/math.h"
#include "platform/window_system.h"
#include "race/player_input.h"
#include "race/content_database.h"
#include "race/race_definition.h"
#include "race/race_session.h"
#include "race/race_timing.h"
#include "race_test_support.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"
#include "vehicle/vehicle.h"

namespace {

using app::SettingId;
using platform::Vec3;

TEST(TrackSoundNodes, KeysValuesAndCommentsOfTheNodeText) {
  const race::TrackSound full = race::ParseSoundNode("PATH=fountain.wav\nRADIUS=400\nVOLUME=200");
  EXPECT_EQ(full.path, "fountain.wav");
  EXPECT_FLOAT_EQ(full.radius, 400.0f);
  EXPECT_EQ(full.volume, 200u);

  const race::TrackSound bare = race::ParseSoundNode("PATH\tbirds.wav\r\n");
  EXPECT_EQ(bare.path, "birds.wav");
  EXPECT_FLOAT_EQ(bare.radius, 100.0f);
  EXPECT_EQ(bare.volume, 255u);

  // A comment runs to the end of its line; the next line still counts.
  const race::TrackSound commented = race::ParseSoundNode("PATH=a.wav # VOLUME=3\nradius=50");
  EXPECT_EQ(commented.path, "a.wav");
  EXPECT_EQ(commented.volume, 255u);
  EXPECT_FLOAT_EQ(commented.radius, 50.0f);

  // A key without a value and an out-of-range volume cannot break the sound.
  EXPECT_EQ(race::ParseSoundNode("PATH").path, "");
  EXPECT_EQ(race::ParseSoundNode("VOLUME=9999").volume, 255u);
  EXPECT_EQ(race::ParseSoundNode("VOLUME=-4").volume, 0u);
  // Radii that are no finite number keep the default.
  EXPECT_EQ(race::ParseSoundNode("RADIUS=" + std::string(60, '4')).radius, 100.0f);
  EXPECT_EQ(race::ParseSoundNode("RADIUS=nan").radius, 100.0f);
}

class RaceScenerySession : public ::testing::Test {
 protected:
  RaceScenerySession() : resources(&holder.settings, scratch.Path()) {
    EXPECT_TRUE(contentgen::WriteRaceContent(scratch.Path()));
    EXPECT_TRUE(contentgen::WriteTestWorld(scratch.Path()));
    EXPECT_TRUE(contentgen::WriteTrackScene(scratch.Path()));
    EXPECT_TRUE(contentgen::WriteVehicleContent(scratch.Path()));
    content = std::make_unique<race::ContentDatabase>(&holder.settings, "", &clock);
    content->LoadFrom(app::DataFile(scratch.File(contentgen::kManifestFile)), scratch.Path(), scratch.Path());
    resources.SetMixer(&mixer);
    holder.settings.SetInt(SettingId::REARVIEW, 1);
    holder.settings.SetInt(SettingId::MOTIONBLUR, 1);
  }

  // Loads the whole track; returns the stages reported.
  std::vector<uint32_t> Load(race::RaceSession& session) {
    std::vector<uint32_t> reported;
    for (int i = 0; i < 20 && !session.LoadTrack(gfx.device, [&](uint32_t s) { reported.push_back(s); }); ++i) {
    }
    return reported;
  }

  race_test::ScratchFolder scratch{"corsaire_scenery"};
  race_test::SettingsHolder holder;
  race_test::ManualClock clock;
  platform::audio::Mixer mixer{8000, 8};
  render::ResourceManager resources;
  std::unique_ptr<race::ContentDatabase> content;
  race::RaceDefinition definition{0, "City", "TRACKS/CITY/city.scn", nullptr, race::kModeQuick, race::kRaceLap,
                                  2, 0, 3, false};
  vehicle::testing::NullDeviceFixture gfx;
  app::ScreenFlow flow;
};

TEST_F(RaceScenerySession, LoadingStepsThroughSceneEffectsAndRacersUpToTen) {
  race::RaceSession session(&resources, &holder.settings, content.get(), nullptr, &definition, 77);
  EXPECT_EQ(session.raceEntry, 77);
  EXPECT_EQ(Load(session), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  race::RaceScenery& scenery = session.Scenery();
  ASSERT_NE(scenery.track, nullptr);
  EXPECT_TRUE(scenery.track->HasGeometry());
  EXPECT_EQ(scenery.trackFolder, "TRACKS/CITY/");
  EXPECT_NE(session.Collision(), nullptr);
  for (bool made : {scenery.camera != nullptr, scenery.lighting != nullptr, scenery.sounds != nullptr,
                    scenery.skids != nullptr, scenery.glows != nullptr, scenery.particles != nullptr,
                    scenery.blurOverlay != nullptr, scenery.shadeQuad != nullptr}) {
    EXPECT_TRUE(made);
  }
  // The city has one sound node: the fountain at the pond, heard from the road, volume 200.
  ASSERT_EQ(scenery.sounds->Emitters().size(), 1u);
  const app::SoundEmitter& fountain = scenery.sounds->Emitters().front();
  EXPECT_NE(fountain.sample, platform::audio::kNoSample);
  EXPECT_FLOAT_EQ(fountain.range, 3600.0f);
  EXPECT_EQ(fountain.maxVolume, 200u);
  EXPECT_FLOAT_EQ(fountain.position.x, contentgen::test_world::kPondCentreX);
  // The track has geometry and the device offers targets: reflection and (REARVIEW) mirror targets.
  ASSERT_NE(scenery.reflectionTarget, nullptr);
  EXPECT_EQ(scenery.reflectionTarget->targetWidth, race::kReflectionTargetSize);
  ASSERT_NE(scenery.mirrorTarget, nullptr);
  EXPECT_EQ(scenery.mirrorTarget->targetHeight, race::kMirrorTargetHeight);
  EXPECT_NE(scenery.reflection, nullptr);
  // The field: the player and three opponents from the content list on the grid.
  EXPECT_EQ(session.Racers().size(), 4u);
  ASSERT_NE(session.Player(), nullptr);
  EXPECT_EQ(session.DriverCount(), 3u);
  // Complete: another call changes nothing.
  EXPECT_TRUE(session.LoadTrack(gfx.device, {}));
  EXPECT_EQ(session.Racers().size(), 4u);
}

TEST_F(RaceScenerySession, InstantRacesDrawOneToThreeLapsAtLoad) {
  race::RaceDefinition instant{0, "City", "TRACKS/CITY/city.scn", nullptr, race::kModeInstant, race::kRaceLap,
                               9, 0, 1, false};
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

TEST_F(RaceScenerySession, WithoutAHudTheHoldStillQueuesTheCountdownAndTheStart) {
  race::RaceSession session(&resources, &holder.settings, nullptr, nullptr, &definition, 0);
  ASSERT_EQ(session.hud, nullptr);
  session.HoldRacersAtStart(flow);
  std::vector<app::GameState> seen;
  for (int frame = 0; frame < 200; ++frame) {
    flow.Update(0.05f);
    if (seen.empty() || seen.back() != flow.state) seen.push_back(flow.state);
  }
  const auto countdown = std::find(seen.begin(), seen.end(), app::game_state::kCountdown);
  ASSERT_NE(countdown, seen.end());
  EXPECT_NE(std::find(countdown, seen.end(), app::game_state::kStartSignal), seen.end());
}

TEST_F(RaceScenerySession, ReflectionPassRunsOnlyWithSceneReflectionAndMirrorOnlyWithRearView) {
  race::RaceSession session(&resources, &holder.settings, content.get(), nullptr, &definition, 0);
  Load(session);
  flow.state = app::game_state::kCountdown;
  session.Step(gfx.device, nullptr, flow, nullptr, 0.02f);
  auto clearsOf = [this](auto&& pass) {
    const size_t before = gfx.Null().Clears().size();
    pass();
    return gfx.Null().Clears().size() - before;
  };
  holder.settings.SetInt(SettingId::SCENEREFLECTION, 0);
  EXPECT_EQ(clearsOf([&] { session.RenderReflection(gfx.device); }), 0u);
  holder.settings.SetInt(SettingId::SCENEREFLECTION, 1);
  EXPECT_EQ(clearsOf([&] { session.RenderReflection(gfx.device); }), 1u);

  // The city's sky box covers the mirror's background: it clears depth only.
  const size_t before = gfx.Null().Clears().size();
  session.RenderMirrorView(gfx.device);
  ASSERT_EQ(gfx.Null().Clears().size(), before + 1);
  EXPECT_EQ(gfx.Null().Clears().back().flags, platform::gfx::clear_flags::kZBuffer);
  holder.settings.SetInt(SettingId::REARVIEW, 0);
  EXPECT_EQ(clearsOf([&] { session.RenderMirrorView(gfx.device); }), 0u);
}

TEST_F(RaceScenerySession, FullLoadMakesItsOwnHudDrawnInTheTwoDPass) {
  race::RaceSession session(&resources, &holder.settings, content.get(), nullptr, &definition, 0);
  Load(session);
  ASSERT_NE(session.hud, nullptr);
  flow.state = app::game_state::kCountdown;
  session.Step(gfx.device, nullptr, flow, nullptr, 0.02f);
  session.Render(gfx.device);
  const size_t before = gfx.Null().Draws().size();
  session.DrawHud(gfx.device);
  EXPECT_GT(gfx.Null().Draws().size(), before);
  session.Unload();
  EXPECT_EQ(session.hud, nullptr);
  session.DrawHud(gfx.device);  // nothing left to draw, and no dangling overlay
}

TEST_F(RaceScenerySession, CameraFollowsThePlayersCar) {
  race::RaceSession session(&resources, &holder.settings, content.get(), nullptr, &definition, 0);
  Load(session);
  ASSERT_NE(session.Player(), nullptr);
  flow.state = app::game_state::kCountdown;
  for (int i = 0; i < 30; ++i) session.Step(gfx.device, nullptr, flow, nullptr, 0.02f);
  const render::RaceCamera& camera = *session.Scenery().camera;
  const Vec3 car = session.Player()->position;
  EXPECT_LT(platform::Length(camera.lookAt - car), 1.0f);
  // The chase eye sits behind the car (against its heading) and above it, within a few car lengths.
  const Vec3 toEye = camera.eye - car;
  EXPECT_LT(platform::Dot(toEye, session.Player()->forwardAxis), 0.0f);
  EXPECT_GT(toEye.y, 0.0f);
  EXPECT_LT(platform::Length(toEye), 600.0f);
}

TEST_F(RaceScenerySession, CameraKeyChangesToTheInCarViewWhereThePlayersCarIsNotDrawn) {
  race::RaceSession session(&resources, &holder.settings, content.get(), nullptr, &definition, 0);
  Load(session);
  flow.state = app::game_state::kCountdown;
  session.Step(gfx.device, nullptr, flow, nullptr, 0.02f);
  render::RaceCamera& camera = *session.Scenery().camera;
  ASSERT_FALSE(camera.IsInCarView());
  size_t before = gfx.Null().Draws().size();
  session.Render(gfx.device);
  const size_t chaseDraws = gfx.Null().Draws().size() - before;

  const auto key = static_cast<uintptr_t>(holder.settings.GetKey(race::kActionCamera));
  session.ForwardInput(platform::wm::kKeyDown, key);
  session.Step(gfx.device, nullptr, flow, nullptr, 0.02f);
  session.ForwardInput(platform::wm::kKeyUp, key);
  ASSERT_TRUE(camera.IsInCarView());
  before = gfx.Null().Draws().size();
  session.Render(gfx.device);
  EXPECT_LT(gfx.Null().Draws().size() - before, chaseDraws);

  // Holding look-back overrides the in-car view for as long as the key is down.
  const auto back = static_cast<uintptr_t>(holder.settings.GetKey(race::kActionLookBack));
  session.ForwardInput(platform::wm::kKeyDown, back);
  session.Step(gfx.device, nullptr, flow, nullptr, 0.02f);
  EXPECT_TRUE(camera.lookBack);
  EXPECT_FALSE(camera.IsInCarView());
  session.ForwardInput(platform::wm::kKeyUp, back);
  session.Step(gfx.device, nullptr, flow, nullptr, 0.02f);
  EXPECT_FALSE(camera.lookBack);
}

TEST_F(RaceScenerySession, FlareAndTrackSoundsThatPlayNearTheCameraAndStopFarAway) {
  race::RaceSession session(&resources, &holder.settings, nullptr, nullptr, &definition, 0);
  Load(session);
  race::RaceScenery& scenery = session.Scenery();
  ASSERT_EQ(scenery.sounds->Emitters().size(), 1u);
  // Without cars the only glow is the city's one flare node.
  uint32_t flares = 0;
  for (const auto& colour : scenery.glows->batches)
    for (const auto& batch : colour) flares += batch != nullptr ? batch->Count() : 0;
  EXPECT_EQ(flares, 1u);
  const Vec3 pond{contentgen::test_world::kPondCentreX, 0, contentgen::test_world::kPondCentreZ};
  scenery.camera->eye = pond + Vec3{0, 0, 100};
  for (int i = 0; i < 5; ++i) scenery.UpdateEffects(0.02f);
  const app::SoundEmitter& fountain = scenery.sounds->Emitters().front();
  ASSERT_NE(fountain.channel, platform::audio::kNoChannel);
  EXPECT_TRUE(mixer.IsPlaying(fountain.channel));

  scenery.camera->eye = pond + Vec3{5000, 0, 0};
  for (int i = 0; i < 5; ++i) scenery.UpdateEffects(0.02f);
  EXPECT_EQ(fountain.channel, platform::audio::kNoChannel);
}

TEST_F(RaceScenerySession, UnloadFreesRacersScenesAndEffects) {
  race::RaceSession session(&resources, &holder.settings, content.get(), nullptr, &definition, 0);
  Load(session);
  ASSERT_FALSE(session.Racers().empty());
  session.Unload();
  race::RaceScenery& scenery = session.Scenery();
  EXPECT_TRUE(session.Racers().empty());
  EXPECT_EQ(session.Player(), nullptr);
  EXPECT_EQ(session.Collision(), nullptr);
  EXPECT_EQ(scenery.track, nullptr);
  EXPECT_EQ(scenery.reflection, nullptr);
  EXPECT_EQ(scenery.reflectionTarget, nullptr);
  EXPECT_EQ(scenery.glows, nullptr);
  EXPECT_EQ(scenery.particles, nullptr);
  EXPECT_EQ(scenery.sounds, nullptr);
  resources.PurgeUnreferenced();
  EXPECT_EQ(resources.Count(render::ResourceKind::kScene), 0u);
  EXPECT_EQ(resources.Count(render::ResourceKind::kCollisionTree), 0u);
  session.Unload();  // twice is harmless
  // Passes after the unload draw nothing.
  const size_t log = gfx.Null().CallLog().size();
  session.Render(gfx.device);
  session.RenderReflection(gfx.device);
  session.RenderMirrorView(gfx.device);
  EXPECT_EQ(gfx.Null().CallLog().size(), log);
}

}  // namespace
