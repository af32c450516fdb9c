// A player's car put back on the track with the reset key lands on the road of the sample circuits, wholly
// between its kerbs and facing along it, wherever it left the road.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include "contentgen/sample_tracks.h"
#include "game_test_support.h"
#include "lone_race.h"
#include "game/headless_race.h"
#include "platform/math/math.h"
#include "platform/window_system.h"
#include "race/player_input.h"
#include "vehicle/vehicle.h"

namespace game {
namespace {

using platform::Vec3;

constexpr float kFrame = 1.0f / 60.0f;
constexpr int kSpots = 48;
constexpr float kStraightReach = 400;

struct RoadPlace {
  float across = 1e9f;   // horizontal distance from the road's centreline
  float skew = 180;      // degrees between the car's heading and the road's
};

// Where a car stands on the circuit's road, from the loop the circuit was built on.
RoadPlace PlaceOnRoad(const contentgen::TrackLoop& loop, const Vec3& position, const Vec3& forward) {
  Vec3 heading;
  const Vec3 centre = loop.CentreAt(loop.NearestDistance(position, 0, loop.Length(), 10), &heading);
  const float dx = centre.x - position.x, dz = centre.z - position.z;
  const Vec3 flat = platform::Normalize(Vec3{forward.x, 0, forward.z});
  const Vec3 road = platform::Normalize(Vec3{heading.x, 0, heading.z});
  return {std::sqrt(dx * dx + dz * dz), std::acos(std::clamp(platform::Dot(flat, road), -1.0f, 1.0f)) * 57.2958f};
}

// Whether the road runs straight for a car's length and more either side of a distance: only there does a
// heading along the road mean one thing.
bool OnAStraight(const contentgen::TrackLoop& loop, float distance) {
  for (float d = distance - kStraightReach; d <= distance + kStraightReach; d += 50) {
    if (loop.CurvatureAt(d) != 0) return false;
  }
  return true;
}

TEST(PutBack, TheResetKeyLandsTheCarOnTheRoadFacingAlongIt) {
  const struct {
    const char* race;
    int index;
    std::function<contentgen::TrackDesign()> design;
    float worstSkew;  // degrees
  } circuits[] = {
      {"Downtown", 3, contentgen::BuildDowntownTrack, 15},
      {"Docks", 5, contentgen::BuildDocksTrack, 15},
      {"Canal", 8, contentgen::BuildCanalTrack, 15},
  };
  for (const auto& circuit : circuits) {
    SCOPED_TRACE(circuit.race);
    const contentgen::TrackDesign design = circuit.design();
    const contentgen::TrackLoop& loop = design.builder.Loop();
    const float roadHalfWidth = design.builder.Widths().road;
    HeadlessRace race(game_test::SampleGameFolder(), 1);
    std::string error;
    ASSERT_TRUE(game_test::StartLonePracticeRace(race, circuit.index, error)) << error;
    vehicle::Vehicle& car = *race.Session()->Player();
    const auto resetKey = static_cast<uintptr_t>(race.Settings().GetKey(race::kActionReset));
    float worstAcross = 0, worstSkew = 0;
    int tried = 0;
    for (int spot = 0; spot < kSpots; ++spot) {
      for (float side : {-1.0f, 1.0f}) {
        // The car ends up on the verge beside the road, turned across it.
        const float d = loop.Length() * static_cast<float>(spot) / kSpots;
        if (!OnAStraight(loop, d)) continue;
        ++tried;
        const Vec3 left = loop.LeftAt(d);
        car.SetTransform(loop.CentreAt(d) + left * (side * (roadHalfWidth + 80)) + Vec3{0, 60, 0},
                         platform::RotationYMatrix(static_cast<float>(spot)));
        race.Frame(kFrame);
        race.Session()->ForwardInput(platform::wm::kKeyDown, resetKey);
        race.Frame(kFrame);
        race.Session()->ForwardInput(platform::wm::kKeyUp, resetKey);
        for (int frame = 0; frame < 30; ++frame) race.Frame(kFrame);
        ASSERT_TRUE(car.respawning);
        const RoadPlace place = PlaceOnRoad(loop, car.position, car.forwardAxis);
        worstAcross = std::max(worstAcross, place.across);
        worstSkew = std::max(worstSkew, place.skew);
      }
    }
    EXPECT_GT(tried, kSpots / 3);
    EXPECT_LT(worstAcross + car.bodyMax.x, roadHalfWidth) << "a put-back car reaches onto the kerb";
    EXPECT_LT(worstSkew, circuit.worstSkew) << "a put-back car points off the road";
  }
}

}  // namespace
}  // namespace game
