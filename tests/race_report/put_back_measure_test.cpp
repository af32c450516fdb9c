// The put-back measure tells a car whose body lies between the road's edges from one over an edge, and measures
// its heading against the road's way of travel, either way round.
#include "race_report/put_back_measure.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/math/math.h"

namespace race_report {
namespace {

using platform::Vec3;

constexpr float kDegrees = 57.29578f;

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

}  // namespace
}  // namespace race_report
