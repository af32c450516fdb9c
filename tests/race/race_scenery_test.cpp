// Tests of the race's track and scenery over the generated city, cars and content list on a null device: the
// staged load, the start grid and AI paths, the render passes and their settings, the camera keys, track sounds
// and the unload.
#include "race/race_scenery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "contentgen/test_world.h"
#include "platform/math/math.h"
#include "race/player_input.h"
#include "race/race_timing.h"
#include "race/track_loader.h"
#include "race_test_support.h"
#include "render/effects/box_corners.h"
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
  EXPECT_EQ(race::ReflectionFileOf("TRACKS/CITY/city.scn"), "TRACKS/CITY/cityreflect.SCN");
  EXPECT_EQ(race::CollisionFileOf("a.sc"), "") << "too short to hold an extension";
}

class RaceScenery : public race_test::SampleRace {
 protected:
  RaceScenery() {
    holder.settings.SetInt(SettingId::REARVIEW, 1);
    holder.settings.SetInt(SettingId::MOTIONBLUR, 1);
  }
  // The race loaded whole and counting down.
  race::RaceSession& Loaded(race::ContentDatabase* cars, const std::function<void(uint32_t)>& report = {}) {
    Load(cars, report);
    flow.state = gs::kCountdown;
    session->Step(gfx.device, nullptr, flow, nullptr, 0.02f);
    return *session;
  }
  // A track alone (no cars), loaded through the resource manager onto the device.
  std::unique_ptr<race::RaceSession> Track(race::RaceDefinition& track) {
    auto loaded = std::make_unique<race::RaceSession>(&resources, &holder.settings, nullptr, nullptr, &track, 0);
    while (!loaded->LoadTrack(gfx.device, {})) {
    }
    return loaded;
  }
  static race::RaceDefinition City(uint32_t mode, int32_t laps, const char* path = "TRACKS/CITY/city.scn",
                                   bool reverse = false) {
    return race::RaceDefinition(0, "City", path, nullptr, mode, race::kRaceLap, laps, 0, 3, reverse);
  }
  template <typename Records>
  size_t Added(const Records& records, const std::function<void()>& pass) {
    const size_t before = records().size();
    pass();
    return records().size() - before;
  }
  size_t ClearsOf(const std::function<void()>& pass) { return Added([this] { return gfx.Null().Clears(); }, pass); }
  size_t DrawsOf(const std::function<void()>& pass) { return Added([this] { return gfx.Null().Draws(); }, pass); }
  void Tap(int action, bool down) {
    Key(action, down);
    session->Step(gfx.device, nullptr, flow, nullptr, 0.02f);
  }
};

TEST_F(RaceScenery, TheStagedLoadBuildsTrackGridPathsEffectsAndTheFieldOnce) {
  std::vector<uint32_t> stages;
  race::RaceSession& loaded = Loaded(content.get(), [&stages](uint32_t stage) { stages.push_back(stage); });
  EXPECT_EQ(stages, (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  race::RaceScenery& scenery = loaded.Scenery();
  EXPECT_TRUE(scenery.track->HasGeometry());
  EXPECT_TRUE(scenery.camera && scenery.lighting && scenery.skids && scenery.glows && scenery.particles &&
              scenery.blurOverlay && scenery.reflection && scenery.reflectionTarget && scenery.mirrorTarget &&
              loaded.hud);
  // The city's one sound node: the fountain at the pond.
  ASSERT_EQ(scenery.sounds->Emitters().size(), 1u);
  EXPECT_EQ(scenery.sounds->Emitters().front().maxVolume, 200u);
  EXPECT_FLOAT_EQ(scenery.sounds->Emitters().front().position.x, contentgen::test_world::kPondCentreX);

  // The grid stands on the track, and the circuit's walls lie within reach on both sides of the racing line.
  EXPECT_EQ(loaded.World().MaterialSurfaces().size(), loaded.Collision()->MaterialNames().size());
  ASSERT_EQ(loaded.StartGrid().size(), 8u);
  for (const race::GridSlot& slot : loaded.StartGrid()) {
    race::SegmentHit hit;
    EXPECT_TRUE(loaded.World().CastSegmentFull(slot.position + Vec3{0, 100, 0}, slot.position - Vec3{0, 100, 0},
                                                false, hit));
  }
  ASSERT_EQ(loaded.World().AIPathCount(), 1u);
  const geometry::Path& path = *loaded.World().AIPath(0);
  EXPECT_LE(path.PointCount(), race::kAIPathPoints);
  const float right = path.RightEdges()[0], left = path.LeftEdges()[0];
  EXPECT_TRUE(right > 0 && right < 1000 && right != 600) << right << ": measured, not left open";
  EXPECT_TRUE(left < 0 && left > -1000 && left != -600) << left;

  // The player and three opponents of the content list, each on a slot of the grid.
  ASSERT_EQ(loaded.Racers().size(), 4u);
  EXPECT_EQ(loaded.DriverCount(), 3u);
  for (const vehicle::Vehicle* car : loaded.Racers()) {
    EXPECT_TRUE(std::any_of(loaded.StartGrid().begin(), loaded.StartGrid().end(), [car](const race::GridSlot& slot) {
      return std::hypot(car->position.x - slot.position.x, car->position.z - slot.position.z) < 1.0f;
    })) << car->driverName;
  }
  EXPECT_TRUE(loaded.LoadTrack(gfx.device, {}));
  EXPECT_EQ(loaded.Racers().size(), 4u) << "complete: another call changes nothing";
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

TEST_F(RaceScenery, WithoutAHudTheHoldStillQueuesTheCountdownAndTheStart) {
  race::RaceSession headless(&resources, &holder.settings, nullptr, nullptr, &definition, 0);
  ASSERT_EQ(headless.hud, nullptr);
  headless.HoldRacersAtStart(flow);
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
  Loaded(content.get());
  for (int on : {0, 1}) {
    holder.settings.SetInt(SettingId::SCENEREFLECTION, on);
    holder.settings.SetInt(SettingId::REARVIEW, on);
    EXPECT_EQ(ClearsOf([&] { session->RenderReflection(gfx.device); }), static_cast<size_t>(on));
    EXPECT_EQ(ClearsOf([&] { session->RenderMirrorView(gfx.device); }), static_cast<size_t>(on));
  }
  // The city's sky box covers the mirror's background: it clears depth only.
  EXPECT_EQ(gfx.Null().Clears().back().flags, platform::gfx::clear_flags::kZBuffer);
}

// Every pass that draws the cars leaves out a car lying wholly outside its own view, and still draws one that
// reaches a few inches over the edge of that view.
TEST_F(RaceScenery, EachPassDrawsACarReachingIntoItsViewAndLeavesOutOneJustOutside) {
  race::RaceSession& loaded = Loaded(content.get());
  race::RaceScenery& scenery = loaded.Scenery();
  holder.settings.SetInt(SettingId::SCENEREFLECTION, 1);
  holder.settings.SetInt(SettingId::REARVIEW, 1);
  holder.settings.SetInt(SettingId::MOTIONBLUR, 1);
  std::vector<vehicle::Vehicle*> opponents;
  for (vehicle::Vehicle* car : loaded.Racers()) {
    if (car != loaded.Player()) opponents.push_back(car);
  }
  ASSERT_GE(opponents.size(), 2u);
  auto place = [](vehicle::Vehicle& car, const Vec3& at) {
    car.position = at;
    car.UpdateMatrices();
  };
  // The others far beyond every pass's reach, so only the one placed can add draws.
  for (size_t i = 1; i < opponents.size(); ++i) place(*opponents[i], Vec3{1e6f, 0, 1e6f * static_cast<float>(i)});
  vehicle::Vehicle& car = *opponents.front();
  session->RenderMirrorView(gfx.device);  // builds the mirror's view volume
  const render::ViewFrustum& seen = scenery.camera->frustum;
  const struct {
    const char* name;
    std::function<void()> pass;
    const render::ViewFrustum* view;
  } passes[] = {
      {"main", [&] { session->Render(gfx.device); }, &seen},
      {"second", [&] { session->RenderSecondPass(gfx.device); }, &seen},
      {"mirror", [&] { session->RenderMirrorView(gfx.device); }, &scenery.mirrorView},
  };
  for (const auto& pass : passes) {
    const render::ViewFrustum& view = *pass.view;
    // A point on the view's left side 1500 inches past the near plane, and the side's inward normal.
    const Vec3 nearLeft = (view.corners[0] + view.corners[2]) * 0.5f;
    const Vec3 farLeft = (view.corners[4] + view.corners[6]) * 0.5f;
    const Vec3 onSide = nearLeft + platform::Normalize(farLeft - nearLeft) * 1500.0f;
    const platform::Plane& side = view.planes[2];
    const Vec3 inward{side.a, side.b, side.c};
    // How far the car's innermost corner reaches into the view with the car's centre on the side.
    place(car, onSide);
    render::BoxCorners box(car.bodyMin, car.bodyMax);
    box.BoxTransform(car.worldMatrix);
    float reach = -1e9f;
    for (const Vec3& corner : box.corners) reach = std::max(reach, platform::DotCoord(side, corner));
    ASSERT_GT(reach, 10.0f) << pass.name;

    place(car, Vec3{-1e6f, 0, -1e6f});
    const size_t without = DrawsOf(pass.pass);
    place(car, onSide - inward * (reach + 5.0f));
    EXPECT_EQ(DrawsOf(pass.pass), without) << pass.name << ": the car lies 5 inches outside the view";
    place(car, onSide - inward * (reach - 5.0f));
    EXPECT_GT(DrawsOf(pass.pass), without) << pass.name << ": a corner reaches 5 inches into the view";
  }

  // The ground's reflection: the car ahead of the camera is mirrored into it, behind the camera it is not.
  const Vec3 ahead = scenery.camera->eye + seen.viewDirection * 1500.0f;
  place(car, Vec3{-1e6f, 0, -1e6f});
  const size_t without = DrawsOf([&] { session->RenderReflection(gfx.device); });
  place(car, Vec3{ahead.x, loaded.Player()->position.y, ahead.z});
  EXPECT_GT(DrawsOf([&] { session->RenderReflection(gfx.device); }), without);
  const Vec3 behind = scenery.camera->eye - seen.viewDirection * 1500.0f;
  place(car, Vec3{behind.x, loaded.Player()->position.y, behind.z});
  EXPECT_EQ(DrawsOf([&] { session->RenderReflection(gfx.device); }), without);
}

TEST_F(RaceScenery, TheCameraKeyLeavesThePlayersCarOutOfTheInCarViewAndLookBackFollowsItsKey) {
  Loaded(content.get());
  render::RaceCamera& camera = *session->Scenery().camera;
  ASSERT_FALSE(camera.IsInCarView());
  const size_t chaseDraws = DrawsOf([&] { session->Render(gfx.device); });
  Tap(race::kActionCamera, true);
  Tap(race::kActionCamera, false);
  ASSERT_TRUE(camera.IsInCarView());
  EXPECT_LT(DrawsOf([&] { session->Render(gfx.device); }), chaseDraws);
  Tap(race::kActionLookBack, true);
  EXPECT_TRUE(camera.lookBack) << "for as long as the key is held";
  Tap(race::kActionLookBack, false);
  EXPECT_FALSE(camera.lookBack);
}

TEST_F(RaceScenery, TheFlareGlowsAndTheTrackSoundPlaysNearTheCameraAndStopsFarAway) {
  Loaded(nullptr);
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

// The race's own step moves the frame's effects on after the cars (no second call needed), and the motion blur
// deepens only while the player's nitrous burns, not while it is engaged on an empty tank.
TEST_F(RaceScenery, TheRaceStepRunsTheFramesEffectsAndOnlyBurningNitrousDeepensTheBlur) {
  race::RaceSession& loaded = Load(content.get());
  const render::GlowBatch* flare = nullptr;
  for (const auto& colour : loaded.Scenery().glows->batches) {
    for (const auto& batch : colour) {
      if (batch != nullptr && batch->Count() > 0 && flare == nullptr) flare = batch.get();
    }
  }
  ASSERT_NE(flare, nullptr);
  ASSERT_EQ(flare->pointCount, 0u) << "not yet counted by an update";
  flow.state = gs::kCountdown;
  loaded.Step(flow, 0.02f);
  EXPECT_EQ(flare->pointCount, flare->Count()) << "the step updated the glow trails";

  vehicle::Vehicle& player = *loaded.Player();
  const struct {
    bool engaged;
    float remaining;
    bool burning;
  } cases[] = {{true, 10.0f, true}, {true, 0.0f, false}, {false, 10.0f, false}};
  for (const auto& c : cases) {
    player.engine->nitrousEngaged = c.engaged;
    player.engine->nitrousRemaining = c.remaining;
    loaded.UpdateOverlayAlpha(30.0f);
    const float alpha = loaded.Scenery().blurOverlay->alpha;
    loaded.Scenery().blurOverlay->SetAlpha(race::MotionBlurAlpha(30.0f, c.burning));
    EXPECT_EQ(alpha, loaded.Scenery().blurOverlay->alpha) << c.engaged << " " << c.remaining;
  }
  EXPECT_NE(race::MotionBlurAlpha(30.0f, true), race::MotionBlurAlpha(30.0f, false));
}

TEST_F(RaceScenery, UnloadFreesRacersScenesAndEffectsAndLeavesNothingToDraw) {
  Loaded(content.get());
  session->Unload();
  race::RaceScenery& scenery = session->Scenery();
  EXPECT_TRUE(session->Racers().empty() && session->Player() == nullptr && session->Collision() == nullptr &&
              session->hud == nullptr);
  EXPECT_FALSE(scenery.track || scenery.reflection || scenery.reflectionTarget || scenery.glows ||
               scenery.particles || scenery.sounds);
  ASSERT_NE(scenery.lighting, nullptr);
  EXPECT_TRUE(scenery.lighting->material == nullptr && scenery.lighting->lights == nullptr)
      << "the lighting was released: its material and the sun are gone";
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
