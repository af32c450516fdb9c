// The chase camera in a race of each sample car: the car sits low in the picture and leaves the road ahead in
// view, the camera takes the car's own placement from its definition, and an eye pulled into the car by a wall
// leaves the car out of the picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "game_test_support.h"
#include "game/headless_race.h"
#include "app/settings.h"
#include "platform/math/math.h"
#include "platform/window_system.h"
#include "race/player_input.h"
#include "race/race_definition.h"
#include "race/race_list.h"
#include "vehicle/vehicle.h"

namespace game {
namespace {

constexpr float kFrame = 1.0f / 60.0f;
constexpr int kHarbourDocks = 5;  // in the quick-race list

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

TEST(ChaseCamera, EverySampleCarLeavesTheRoadAheadInView) {
  for (const char* carName : {"Berline", "Pickup", "Coupe", "Roadster"}) {
    SCOPED_TRACE(carName);
    HeadlessRace race(game_test::SampleGameFolder(), 1);
    race.Settings().SetString(app::StringSettingId::VEHICLE, carName);
    RaceListByName(race.Content(), "QUICKRACE")->At(0)->opponents = 0;
    std::string error;
    ASSERT_TRUE(race.Load("QUICKRACE", 0, error)) << error;
    for (int frame = 0; frame < 600 && race.Flow().state != app::game_state::kRacing; ++frame) race.Frame(kFrame);
    const vehicle::Vehicle& car = *race.Session()->Player();
    const render::RaceCamera& camera = *race.Session()->Scenery().camera;
    // The car's own placement reaches the camera.
    EXPECT_EQ(camera.desiredOffset.z, car.chaseCameraOffset.z);
    EXPECT_EQ(camera.desiredTargetOffset.y, car.chaseCameraTarget.y);

    // Standing and then at speed down the first straight.
    race.Session()->ForwardInput(platform::wm::kKeyDown,
                                 static_cast<uintptr_t>(race.Settings().GetKey(race::kActionAccelerate)));
    for (float seconds : {0.0f, 3.0f}) {
      for (float t = 0; t < seconds; t += kFrame) race.Frame(kFrame);
      const ScreenBox box = CarOnScreen(car, camera);
      SCOPED_TRACE(car.speedMph);
      EXPECT_LT(box.right - box.left, 2 * 0.22f) << "the car fills at most about a fifth of the width";
      EXPECT_GT(box.left, -0.3f);
      EXPECT_LT(box.right, 0.3f);
      EXPECT_GT(box.bottom, -1.0f) << "the whole car is on the screen";
      // The road 40 yards ahead shows above the car's roof.
      const platform::Vec3 roadAhead =
          car.position + car.forwardAxis * 1440.0f - platform::Vec3{0, car.GetRestHeight(), 0};
      const platform::Vec3 ahead = platform::TransformCoord(roadAhead, camera.view * camera.projection);
      EXPECT_GT(ahead.y, box.top + 0.05f) << "the road ahead is hidden behind the car";
      EXPECT_LT(ahead.y, 1.0f);
      EXPECT_GT(camera.eye.y, car.position.y + car.bodyMax.y) << "the eye looks over the roof";
    }
  }
}

// Backing up against a wall stops the chase eye at the wall, just behind the car's tail: the car is then left
// out of the picture instead of being seen cut open from within. Checked on the docks, whose barriers stand
// higher than the chase eye's line down to the car.
TEST(ChaseCamera, AnEyePulledIntoTheCarByAWallLeavesTheCarOutOfThePicture) {
  HeadlessRace race(game_test::SampleGameFolder(), 1);
  RaceListByName(race.Content(), "QUICKRACE")->At(kHarbourDocks)->opponents = 0;
  std::string error;
  ASSERT_TRUE(race.Load("QUICKRACE", kHarbourDocks, error)) << error;
  for (int frame = 0; frame < 600 && race.Flow().state != app::game_state::kRacing; ++frame) race.Frame(kFrame);
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

}  // namespace
}  // namespace game
