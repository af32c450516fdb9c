// A car that runs wide onto a bend's gravel run-off at 30 mph and is steered back keeps going: steered back at
// once it loses little speed on the gravel; steered back late it scrapes the barrier behind, but never stops
// dead, and either way it is back on the road under power without being put back.
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
#include "vehicle/wheel.h"

namespace game {
namespace {

using platform::Vec3;

constexpr float kFrame = 1.0f / 60.0f;
constexpr float kDegrees = 0.0174533f;
constexpr float kRunWideMph = 30;
constexpr float kRunWideAngle = 26;  // degrees from the road's heading toward the outside of the bend
constexpr float kSteerBack = 25;     // degrees toward the inside once steering back
constexpr float kRunUp = 1800;       // inches of road before the bend to reach speed on

struct RunWide {
  bool reachedGravel = false;
  float leavingMph = 0;
  float slowestFirstSecondMph = 1e9f;
  float secondsToRejoin = -1;  // until the whole car is between the road's edges again
  bool putBack = false;
};

// Drives the player's car from the road's middle before a bend, at 30 mph, out across the bend's outside edge at
// 26 degrees, holds that heading for the driver's reaction time (seconds) once a wheel is on the gravel, then
// steers back in under full throttle.
RunWide DriveWide(HeadlessRace& race, const contentgen::TrackLoop& loop, const contentgen::TrackLoop::Bend& bend,
                  float roadHalfWidth, float reaction) {
  vehicle::Vehicle& car = *race.Session()->Player();
  Vec3 heading;
  const Vec3 start = loop.CentreAt(bend.from - kRunUp, &heading);
  car.SetTransform(start + Vec3{0, 40, 0}, platform::RotationYMatrix(std::atan2(heading.x, heading.z)));
  car.velocity = {0, 0, 0};
  for (int frame = 0; frame < 30; ++frame) race.Frame(kFrame);

  bool held[3] = {};
  const int actions[3] = {race::kActionAccelerate, race::kActionLeft, race::kActionRight};
  auto hold = [&](int which, bool down) {
    if (held[which] == down) return;
    held[which] = down;
    race.Session()->ForwardInput(down ? platform::wm::kKeyDown : platform::wm::kKeyUp,
                                 static_cast<uintptr_t>(race.Settings().GetKey(actions[which])));
  };
  enum class Phase { kRunUp, kWide, kOnGravel } phase = Phase::kRunUp;
  const float outside = -bend.side;  // toward the left of the road's heading is +1
  float distance = bend.from - kRunUp, onGravel = 0;
  RunWide run;
  for (float t = 0; t < 20; t += kFrame) {  // the run-up takes about 4 s
    distance = loop.NearestDistance(car.position, distance - 600, distance + 600, 5);  // near where it was
    Vec3 roadHeading;
    const Vec3 centre = loop.CentreAt(distance, &roadHeading);
    const Vec3 left = loop.LeftAt(distance);
    const float across = platform::Dot(car.position - centre, left);
    float aim = -across / 20;  // degrees toward the left: back to the middle on the run-up
    if (phase == Phase::kRunUp && distance > bend.from + 200 && car.speedMph > kRunWideMph - 1) phase = Phase::kWide;
    if (phase == Phase::kWide || (phase == Phase::kOnGravel && onGravel < reaction)) aim = outside * kRunWideAngle;
    if (phase == Phase::kOnGravel && onGravel >= reaction) aim = -outside * kSteerBack;
    aim = std::clamp(aim, -40.0f, 40.0f) * kDegrees;
    const Vec3 wanted = roadHeading * std::cos(aim) + left * std::sin(aim);
    // Positive when the wanted heading lies to the car's left.
    const float turn = platform::Dot(platform::Cross(car.forwardAxis, wanted), platform::Cross(roadHeading, left));
    hold(1, turn > 0.03f);
    hold(2, turn < -0.03f);
    hold(0, phase == Phase::kOnGravel || car.speedMph < kRunWideMph);
    race.Frame(kFrame);

    if (car.respawning) {
      run.putBack = true;
      break;
    }
    const bool gravel = std::any_of(car.wheels.begin(), car.wheels.end(),
                                    [](const auto& wheel) { return wheel->surface == vehicle::kSurfaceGravel; });
    if (phase == Phase::kWide && gravel) {
      phase = Phase::kOnGravel;
      run.reachedGravel = true;
      run.leavingMph = car.speedMph;
    }
    if (phase != Phase::kOnGravel) continue;
    onGravel += kFrame;
    if (onGravel <= 1) run.slowestFirstSecondMph = std::min(run.slowestFirstSecondMph, car.speedMph);
    if (onGravel > reaction && std::fabs(across) + car.bodyMax.x < roadHalfWidth) {
      run.secondsToRejoin = onGravel;
      break;
    }
  }
  for (int which = 0; which < 3; ++which) hold(which, false);
  for (int frame = 0; frame < 240 && car.respawning; ++frame) race.Frame(kFrame);
  return run;
}

TEST(RunOff, ACarRunningWideOntoTheGravelDrivesBackOntoTheRoad) {
  const struct {
    const char* race;
    int index;
    std::function<contentgen::TrackDesign()> design;
  } circuits[] = {
      {"Downtown", 3, contentgen::BuildDowntownTrack},
      {"Docks", 5, contentgen::BuildDocksTrack},
      {"Canal", 8, contentgen::BuildCanalTrack},
  };
  const struct {
    float reaction;         // seconds on the gravel before steering back
    float slowestShare;     // of the speed leaving the road, at least, through the first second on the gravel
    float rejoinSeconds;    // back on the road within this
  } drivers[] = {
      {0.3f, 0.5f, 3},   // steered back at once: clear of the barrier
      {0.8f, 0.25f, 4},  // steered back late: into the barrier, but not stopped dead
  };
  for (const auto& circuit : circuits) {
    SCOPED_TRACE(circuit.race);
    const contentgen::TrackDesign design = circuit.design();
    const contentgen::TrackLoop& loop = design.builder.Loop();
    HeadlessRace race(game_test::SampleGameFolder(), 1);
    std::string error;
    ASSERT_TRUE(game_test::StartLonePracticeRace(race, circuit.index, error)) << error;
    for (const auto& driver : drivers) {
      SCOPED_TRACE(driver.reaction);
      int bendsRun = 0, bendNumber = 0;
      for (const contentgen::TrackLoop::Bend& bend : loop.Bends()) {
        SCOPED_TRACE(++bendNumber);
        const RunWide run = DriveWide(race, loop, bend, design.builder.Widths().road, driver.reaction);
        EXPECT_FALSE(run.putBack);
        // The docks' yard kinks are too short to reach speed in and have no gravel.
        if (!run.reachedGravel || run.leavingMph < kRunWideMph - 3) continue;
        ++bendsRun;
        EXPECT_GT(run.slowestFirstSecondMph, run.leavingMph * driver.slowestShare) << "the car stops dead";
        EXPECT_GE(run.secondsToRejoin, 0) << "the car never gets back onto the road";
        EXPECT_LT(run.secondsToRejoin, driver.rejoinSeconds);
      }
      EXPECT_GE(bendsRun, 4) << "too few bends were run wide to tell";
    }
  }
}

}  // namespace
}  // namespace game
