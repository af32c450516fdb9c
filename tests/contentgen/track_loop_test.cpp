// The circuit centreline's nearest-distance search, which tests use to tell where a car stands on a circuit.
#include "contentgen/track_loop.h"

#include <gtest/gtest.h>

#include "platform/math/math.h"

namespace contentgen {
namespace {

using platform::Vec3;

TEST(TrackLoop, NearestDistanceFindsTheCentrelinePointBesideAPointWithinTheRangeSearched) {
  const TrackLoop loop({{2000, 2000, 500}, {-2000, 2000, 500}, {-2000, -2000, 500}, {2000, -2000, 500}});
  const float straight = 1000, bend = loop.Bends()[1].from + 200;
  const struct {
    const char* name;
    float beside;      // the point stands 150 in left of the centreline here
    float from, to, step;
    float expected;
  } cases[] = {
      {"on a straight, the whole loop", straight, 0, loop.Length(), 1, straight},
      {"in a bend, the whole loop", bend, 0, loop.Length(), 1, bend},
      {"a window around the point", bend, bend - 600, bend + 600, 5, bend},
      {"a window wholly ahead: its near end", straight, straight + 300, straight + 900, 5, straight + 300},
      {"a window wholly behind: its far end", straight, straight - 900, straight - 300, 5, straight - 305},
      {"across the start, below zero", 20, -600, 600, 5, 20},
      {"an empty range", straight, 500, 500, 5, 500},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Vec3 point = loop.CentreAt(c.beside) + loop.LeftAt(c.beside) * 150.0f + Vec3{0, 40, 0};
    EXPECT_NEAR(loop.NearestDistance(point, c.from, c.to, c.step), c.expected, c.step);
  }
}

}  // namespace
}  // namespace contentgen
