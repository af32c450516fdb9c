// The chase camera in a race of each sample car: the same placement behind every car, the car low in the picture
// and a fifth of its width with the road ahead in view, no grid car behind the player in the picture at the
// start, and an eye pulled into the car by a wall leaves the car out of the picture until the car drives on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "game_test_support.h"
#include "lone_race.h"
#include "game/headless_race.h"
#include "app/settings.h"
#include "platform/math/math.h"
#include "platform/window_system.h"
#include "race/player_input.h"
#include "race/race_definition.h"
#include "race/race_list.h"
#include "geometry/models/mesh_model.h"
#include "vehicle/vehicle.h"
#include "vehicle/vehicle_model.h"
#include "vehicle/vehicle_presentation.h"

namespace game {
namespace {

constexpr float kFrame = 1.0f / 60.0f;
// Circuits of the quick-race list.
constexpr int kCityCircuit = 0;
constexpr int kDowntownGrid = 3;
constexpr int kHarbourDocks = 5;
constexpr int kCanalRoute = 8;
// Cars within this distance along the player's heading start in its own grid row (inches).
constexpr float kBesideRow = 100.0f;

struct ScreenBox {
  float left = 1e9f, right = -1e9f, bottom = 1e9f, top = -1e9f;  // clip space, -1..1 across the screen
};

// The corners of the car's body box as the race camera puts them on the screen.
ScreenBox CarOnScreen(const vehicle::Vehicle& car, const render::RaceCamera& camera) {
  const platform::Matrix4 toScreen = car.worldMatrix * camera.view * camera.projection;
  ScreenBox box;
  for (int corner = 0; corner < 8; ++corner) {
    const platform::Vec3 local{(corner & 1) ? car.bodyMax.x : car.bodyMin.x,
                               (corner & 2) ? car.bodyMax.y : car.bodyMin.y,
                               (corner & 4) ? car.bodyMax.z : car.bodyMin.z};
    const platform::Vec3 p = platform::TransformCoord(local, toScreen);
    box.left = std::min(box.left, p.x);
    box.right = std::max(box.right, p.x);
    box.bottom = std::min(box.bottom, p.y);
    box.top = std::max(box.top, p.y);
  }
  return box;
}

// Lines from the eye through a grid of points over the picture (21 across, 21 down) that meet the car's drawn
// body within 1000 inches: how much of the car the player sees.
int BodyHitsInPicture(const vehicle::Vehicle& car, const render::RaceCamera& camera) {
  const geometry::MeshModel& body = *vehicle::PresentationOf(car)->body->lods[0].model;
  platform::Matrix4 toWorld, toCar;
  if (!platform::Inverse(camera.view * camera.projection, &toWorld) || !platform::Inverse(car.worldMatrix, &toCar)) {
    return -1;
  }
  int hits = 0;
  for (int i = 0; i < 21 * 21; ++i) {
    const float x = -1.0f + 0.1f * static_cast<float>(i % 21), y = -1.0f + 0.1f * static_cast<float>(i / 21);
    const platform::Vec3 start = platform::TransformCoord({x, y, 0}, toWorld);  // on the near plane
    const platform::Vec3 far = platform::TransformCoord({x, y, 1}, toWorld);
    const platform::Vec3 end = start + platform::Normalize(far - start) * 1000.0f;
    platform::Vec3 hit, normal;
    if (body.Raycast(platform::TransformCoord(start, toCar), platform::TransformCoord(end, toCar), hit, normal)) ++hits;
  }
  return hits;
}

TEST(ChaseCamera, EverySampleCarLeavesTheRoadAheadInView) {
  for (const char* carName : {"Berline", "Pickup", "Coupe", "Roadster"}) {
    SCOPED_TRACE(carName);
    HeadlessRace race(game_test::SampleGameFolder(), 1);
    race.Settings().SetString(app::StringSettingId::VEHICLE, carName);
    std::string error;
    ASSERT_TRUE(game_test::StartLonePracticeRace(race, kCityCircuit, error)) << error;
    const vehicle::Vehicle& car = *race.Session()->Player();
    const render::RaceCamera& camera = *race.Session()->Scenery().camera;
    // Every car is followed from the same place: 200 behind and 60 above it, looking level at 60 above it.
    EXPECT_EQ(camera.desiredOffset, (platform::Vec3{0, 60, -200}));
    EXPECT_EQ(camera.desiredTargetOffset, (platform::Vec3{0, 60, 0}));

    // Standing and then at speed down the first straight.
    race.Session()->ForwardInput(platform::wm::kKeyDown,
                                 static_cast<uintptr_t>(race.Settings().GetKey(race::kActionAccelerate)));
    for (float seconds : {0.0f, 3.0f}) {
      for (float t = 0; t < seconds; t += kFrame) race.Frame(kFrame);
      const ScreenBox box = CarOnScreen(car, camera);
      SCOPED_TRACE(car.speedMph);
      // Between a fifth and a half of the width, in the middle of the picture and whole.
      EXPECT_LT(box.right - box.left, 2 * 0.47f) << "the car fills more than half the width";
      EXPECT_GT(box.right - box.left, 2 * 0.2f) << "the car shrinks to a speck";
      EXPECT_GT(box.left, -0.47f);
      EXPECT_LT(box.right, 0.47f);
      EXPECT_GT(box.bottom, -1.0f) << "the whole car is on the screen";
      EXPECT_LT(box.top, 0.0f) << "the car stands below the middle of the picture";
      // The road 40 yards ahead shows over the drawn body: the line from the eye down to it passes over the roof.
      const platform::Vec3 roadAhead =
          car.position + car.forwardAxis * 1440.0f - platform::Vec3{0, car.GetRestHeight(), 0};
      const platform::Vec3 ahead = platform::TransformCoord(roadAhead, camera.view * camera.projection);
      EXPECT_GT(ahead.y, box.bottom);
      EXPECT_LT(ahead.y, 1.0f);
      EXPECT_GT(camera.eye.y, car.position.y + car.bodyMax.y) << "the eye looks over the roof";
      const geometry::MeshModel& body = *vehicle::PresentationOf(car)->body->lods[0].model;
      platform::Matrix4 toCar;
      ASSERT_TRUE(platform::Inverse(car.worldMatrix, &toCar));
      platform::Vec3 hit, normal;
      EXPECT_FALSE(body.Raycast(platform::TransformCoord(camera.eye, toCar), platform::TransformCoord(roadAhead, toCar),
                                hit, normal))
          << "the road ahead is hidden behind the car, at " << hit.x << ", " << hit.y << ", " << hit.z;
      // The check meets the body where it stands: straight down onto its middle.
      EXPECT_TRUE(body.Raycast({0, car.bodyMax.y + 50, 0}, {0, car.bodyMin.y, 0}, hit, normal));
    }
  }
}

// Backing up against a wall stops the chase eye at the wall, just behind the car's tail: the car is then left
// out of the picture instead of being seen cut open from within. Checked on the docks, whose barriers stand
// higher than the chase eye's line down to the car.
TEST(ChaseCamera, AnEyePulledIntoTheCarByAWallLeavesTheCarOutOfThePicture) {
  HeadlessRace race(game_test::SampleGameFolder(), 1);
  std::string error;
  ASSERT_TRUE(game_test::StartLonePracticeRace(race, kHarbourDocks, error)) << error;
  const vehicle::Vehicle& car = *race.Session()->Player();
  const render::RaceCamera& camera = *race.Session()->Scenery().camera;
  const float nearClip = race.Settings().GetFloat(app::FloatSettingId::NEARCLIP);
  const auto key = [&race](int action, bool down) {
    race.Session()->ForwardInput(down ? platform::wm::kKeyDown : platform::wm::kKeyUp,
                                 static_cast<uintptr_t>(race.Settings().GetKey(action)));
  };
  int pulledIn = 0, clear = 0;
  for (int attempt = 0; attempt < 6; ++attempt) {
    // Forward and across the road, then back up into the wall behind.
    const int turn = attempt % 2 == 0 ? race::kActionRight : race::kActionLeft;
    key(race::kActionAccelerate, true);
    key(turn, true);
    for (int frame = 0; frame < 60; ++frame) race.Frame(kFrame);
    key(race::kActionAccelerate, false);
    key(turn, false);
    key(race::kActionBrake, true);
    for (int frame = 0; frame < 240; ++frame) {
      race.Frame(kFrame);
      const platform::Vec3 eye =
          platform::TransformNormal(camera.eye - car.position, platform::Transpose(car.rotation));
      const bool within = eye.x > car.bodyMin.x - nearClip && eye.x < car.bodyMax.x + nearClip &&
                          eye.y > car.bodyMin.y - nearClip && eye.y < car.bodyMax.y + nearClip &&
                          eye.z > car.bodyMin.z - nearClip && eye.z < car.bodyMax.z + nearClip;
      if (within) {
        ++pulledIn;
        ASSERT_FALSE(race.Session()->CameraDrawsPlayer()) << "frame " << frame;
      } else if (eye.z < car.bodyMin.z - 2 * nearClip) {
        ++clear;
        ASSERT_TRUE(race.Session()->CameraDrawsPlayer()) << "frame " << frame;
      }
    }
    key(race::kActionBrake, false);
  }
  EXPECT_GT(pulledIn, 0) << "backing into the barrier never pulled the eye in";
  EXPECT_GT(clear, 0);
}

// On every circuit's grid the chase eye stands over the gap to the car behind the player: during the countdown
// neither the car straight behind nor the one beside it shows in the picture.
TEST(ChaseCamera, AtTheStartNoGridCarBehindThePlayerShowsInThePicture) {
  for (int index : {kCityCircuit, kDowntownGrid, kHarbourDocks, kCanalRoute}) {
    HeadlessRace race(game_test::SampleGameFolder(), 1);
    race::RaceDefinition& definition = *RaceListByName(race.Content(), "QUICKRACE")->At(index);
    SCOPED_TRACE(definition.name);
    // The player in the second row: slots 4 and 5 start behind it.
    definition.opponents = 5;
    definition.playerStart = 2;
    std::string error;
    ASSERT_TRUE(race.Load("QUICKRACE", index, error)) << error;
    for (int frame = 0; frame < 120; ++frame) race.Frame(kFrame);  // the camera settles behind the car
    const vehicle::Vehicle& player = *race.Session()->Player();
    const render::RaceCamera& camera = *race.Session()->Scenery().camera;
    int behind = 0;
    for (const vehicle::Vehicle* car : race.Session()->Racers()) {
      // The car beside the player stands in the same row, in view ahead of the eye.
      if (car == &player || platform::Dot(car->position - player.position, player.forwardAxis) > -kBesideRow) continue;
      ++behind;
      SCOPED_TRACE(car->driverName);
      EXPECT_EQ(BodyHitsInPicture(*car, camera), 0);
    }
    EXPECT_EQ(behind, 2);
    // The check sees a car where one stands: the player's own car fills the picture's lower middle.
    EXPECT_GT(BodyHitsInPicture(player, camera), 8);
  }
}

// Nose-in against a barrier, backed out and driven on across the road: while the eye is inside the car the car
// is left out of the picture, and once the car has driven on the eye is back behind it, the car drawn at its
// usual size.
TEST(ChaseCamera, BackingOutOfAWallAndDrivingOnBringsTheEyeBackBehindTheCar) {
  HeadlessRace race(game_test::SampleGameFolder(), 1);
  std::string error;
  ASSERT_TRUE(game_test::StartLonePracticeRace(race, kHarbourDocks, error)) << error;
  const vehicle::Vehicle& car = *race.Session()->Player();
  const render::RaceCamera& camera = *race.Session()->Scenery().camera;
  const float nearClip = race.Settings().GetFloat(app::FloatSettingId::NEARCLIP);
  const auto key = [&race](int action, bool down) {
    race.Session()->ForwardInput(down ? platform::wm::kKeyDown : platform::wm::kKeyUp,
                                 static_cast<uintptr_t>(race.Settings().GetKey(action)));
  };
  const ScreenBox standing = CarOnScreen(car, camera);
  const auto eyeInsideBody = [&] {
    const platform::Vec3 eye = platform::TransformNormal(camera.eye - car.position, platform::Transpose(car.rotation));
    return eye.x > car.bodyMin.x - nearClip && eye.x < car.bodyMax.x + nearClip && eye.y > car.bodyMin.y - nearClip &&
           eye.y < car.bodyMax.y + nearClip && eye.z > car.bodyMin.z - nearClip && eye.z < car.bodyMax.z + nearClip;
  };
  // Each phase: the keys held and for how long (seconds).
  const struct {
    const char* what;
    std::vector<int> keys;
    float seconds;
  } phases[] = {
      {"into the barrier", {race::kActionAccelerate, race::kActionRight}, 2.5f},
      {"pinned nose-in", {race::kActionAccelerate}, 1.0f},
      {"backing out", {race::kActionBrake}, 3.0f},
      {"driving on, turning", {race::kActionAccelerate, race::kActionLeft}, 2.0f},
      {"driving on", {race::kActionAccelerate}, 1.0f},
  };
  platform::Vec3 backedOutAt;
  bool backing = false;
  for (const auto& phase : phases) {
    SCOPED_TRACE(phase.what);
    if (backing) backedOutAt = car.position;
    backing = phase.keys.front() == race::kActionBrake;
    for (int action : phase.keys) key(action, true);
    for (float t = 0; t < phase.seconds; t += kFrame) {
      race.Frame(kFrame);
      if (eyeInsideBody()) {
        ASSERT_FALSE(race.Session()->CameraDrawsPlayer()) << t;
      }
    }
    for (int action : phase.keys) key(action, false);
  }
  EXPECT_GT(platform::Length(car.position - backedOutAt), 50.0f) << "the car never drove on";
  EXPECT_FALSE(eyeInsideBody());
  ASSERT_TRUE(race.Session()->CameraDrawsPlayer());
  const ScreenBox box = CarOnScreen(car, camera);
  EXPECT_LT(box.right - box.left, (standing.right - standing.left) * 1.1f) << "the eye is still at the car's tail";
  EXPECT_GT(box.bottom, -1.0f);
}

}  // namespace
}  // namespace game
