// The racing lines of the built game folder keep a put-back car on the road: every point leaves the widest
// car clear of the road's edges and runs along the road, and the reset key pressed round a circuit, both ways,
// lands the car on the road facing along it. The measure itself tells a car on the road from one over its edge.
#include "race_report/put_back_measure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "contentgen/vehicle_content.h"
#include "game/headless_race.h"
#include "geometry/path.h"
#include "platform/math/math.h"

namespace race_report {
namespace {

using platform::Vec3;

constexpr float kDegrees = 57.29578f;
constexpr float kMostHeadingError = 15;  // degrees between a put-back car, or the racing line, and the road
constexpr float kLineInsideEdge = 20;    // inches between the widest car on the line and the road's edge
constexpr float kRounding = 0.01f;       // inches: the line's points are stored as floats

// A round road of radius 5000 about the origin, run counter-clockwise seen from above (+x toward +z).
RoadShape RoundRoad() {
  constexpr float kRadius = 5000;
  return {2 * platform::kPi * kRadius, 300, [](float distance, Vec3& heading) {
            const float a = distance / kRadius;
            heading = {-std::sin(a), 0, std::cos(a)};
            return Vec3{std::cos(a), 0, std::sin(a)} * kRadius;
          }};
}

TEST(PutBackMeasure, TellsACarOnTheRoadFromOneOverItsEdgeOrTurnedFromIt) {
  const RoadShape road = RoundRoad();
  const Vec3 bodyMin{-36, 0, -90}, bodyMax{36, 50, 90};
  const float angle = 20 / kDegrees;
  const struct {
    const char* what;
    float across;    // from the centreline, outward
    float turn;      // radians, from along the road toward the inside
    bool reversed;
    bool onRoad;
    float heading;   // degrees
  } cases[] = {
      {"on the centreline, along the road", 0, 0, false, true, 0},
      {"body 14 in inside the outer edge", 250, 0, false, true, 0},
      {"body 16 in over the outer edge", 280, 0, false, false, 0},
      {"body over the inner edge", -280, 0, false, false, 0},
      {"turned 20 degrees", 0, angle, false, true, 20},
      {"turned 20 degrees near the edge swings a corner over it", 260, angle, false, false, 20},
      {"along the road in a reversed race", 0, 0, true, true, 180},
      {"against the road in a reversed race", 0, platform::kPi, true, true, 0},
  };
  const float at = 1000;
  Vec3 heading;
  const Vec3 centre = road.centreAt(at, heading);
  const Vec3 outward = platform::Normalize(centre);
  const Vec3 inward = outward * -1.0f;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Vec3 forward = heading * std::cos(c.turn) + inward * std::sin(c.turn);
    const Vec3 right = platform::Cross(Vec3{0, 1, 0}, forward);
    const RoadPlacement placement =
        PlaceOnRoad(road, centre + outward * c.across, forward, right, bodyMin, bodyMax, c.reversed);
    EXPECT_EQ(placement.onRoad, c.onRoad) << placement.overEdge;
    EXPECT_NEAR(placement.headingError, c.heading, 0.5f);
  }
  EXPECT_NEAR(PlaceOnRoad(road, centre + outward * 250, heading, platform::Cross(Vec3{0, 1, 0}, heading), bodyMin,
                          bodyMax, false)
                  .overEdge,
              -14, 1.0f);
}

TEST(SampleRacingLines, EveryPointKeepsTheWidestCarClearOfTheEdgesAndRunsAlongTheRoad) {
  const float room = contentgen::WidestSampleCarHalfWidth() + kLineInsideEdge;
  for (const SampleCircuit& circuit : SampleCircuits()) {
    SCOPED_TRACE(circuit.name);
    game::HeadlessRace race(CORSAIRE_GAME_DIR, 1);
    std::string error;
    ASSERT_TRUE(race.Load(circuit.list, circuit.index, error)) << error;
    const auto& paths = race.Session()->World().AIPaths(false);
    ASSERT_FALSE(paths.empty());
    for (const geometry::Path* path : paths) {
      const size_t count = path->PointCount();
      float widest = 0, steepest = 0;
      for (size_t i = 0; i < count; ++i) {
        const Vec3 point = path->GetPoint(i), next = path->GetPoint((i + 1) % count);
        Vec3 heading;
        const Vec3 centre = circuit.road.centreAt(AlongRoad(circuit.road, point), heading);
        widest = std::max(widest, std::hypot(point.x - centre.x, point.z - centre.z));
        const Vec3 mid = (point + next) * 0.5f;
        circuit.road.centreAt(AlongRoad(circuit.road, mid), heading);
        const Vec3 run = platform::Normalize(Vec3{next.x - point.x, 0, next.z - point.z});
        steepest = std::max(steepest, std::acos(std::clamp(platform::Dot(run, heading), -1.0f, 1.0f)) * kDegrees);
      }
      EXPECT_LE(widest + room, circuit.road.halfWidth + kRounding) << "the line runs too near an edge of the road";
      EXPECT_LE(steepest, kMostHeadingError) << "the line runs across the road";
    }
  }
}

TEST(SampleRacingLines, TheResetKeyLandsTheCarOnTheRoadFacingAlongItRoundDowntownBothWays) {
  constexpr int kSpots = 192;
  for (const SampleCircuit& circuit : SampleCircuits()) {
    if (circuit.name != "Downtown") continue;
    for (bool reversed : {false, true}) {
      SCOPED_TRACE(reversed ? "reversed" : "forward");
      PutBackFigures figures;
      std::string error;
      ASSERT_TRUE(MeasurePutBacks(CORSAIRE_GAME_DIR, circuit, reversed, kSpots, figures, error)) << error;
      EXPECT_EQ(figures.spots, kSpots);
      EXPECT_EQ(figures.onRoad, kSpots) << "worst corner " << figures.worstOverEdge << " in past the edge";
      EXPECT_LE(figures.worstHeading, kMostHeadingError);
    }
  }
}

}  // namespace
}  // namespace race_report
