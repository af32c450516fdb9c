// Tests of paths: the closing segment, sampling by distance, bends, degenerate paths, and projection against
// trying every segment.
#include "geometry/path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "contentgen/test_world.h"
#include "platform/math/math.h"

namespace geometry {
namespace {

void ExpectNear(const Vec3& actual, const Vec3& expected, float tolerance = 1e-3f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

Path MakePath(std::initializer_list<Vec3> points, bool closed = false, Vec3 origin = {}) {
  Path path("AIPATH", closed, origin);
  for (const Vec3& p : points) path.AddPoint(p);
  return path;
}

Path Corner(bool closed = false, Vec3 origin = {}) { return MakePath({{0, 0, 0}, {100, 0, 0}, {100, 100, 0}}, closed, origin); }

TEST(Path, ClosingSegmentCountsOnceAndFollowsNewPointsAndReversal) {
  Path path = Corner(true);
  EXPECT_FLOAT_EQ(path.TotalLength(), 200);
  path.UpdateClosingSegment();
  path.UpdateClosingSegment();
  EXPECT_NEAR(path.TotalLength(), 341.42f, 0.01f);
  // A new point moves the closing segment: it is dropped until asked for again.
  path.AddPoint({0, 100, 0});
  EXPECT_FLOAT_EQ(path.TotalLength(), 300);
  path.UpdateClosingSegment();
  EXPECT_FLOAT_EQ(path.TotalLength(), 400);
  path.Reverse();
  EXPECT_NEAR(path.TotalLength(), 400, 1e-3f);
  ExpectNear(path.GetPoint(0), {0, 100, 0});
}

TEST(Path, SamplesPointsEdgesAndBendsByDistance) {
  Path path = Corner(true, {10, 20, 30});
  const std::pair<float, Vec3> points[] = {{50, {50, 0, 0}}, {-50, {100, 50, 0}}, {600, {100, 100, 0}},
                                           {1000050.0f, {50, 0, 0}}};
  for (const auto& [distance, point] : points) ExpectNear(path.PointAt(distance), point + path.Origin());
  path.UpdateClosingSegment();
  path.SetRightEdge(0, 10);
  path.SetRightEdge(1, 30);
  EXPECT_FLOAT_EQ(path.SampleValueAtDistance(50), 20);
  EXPECT_NEAR(path.SampleValueAtDistance(200 + 141.42f / 2), 35, 0.01f);  // back from the last point to the first
  // Points straight on must not push the arc cosine out of range.
  EXPECT_FALSE(std::isnan(MakePath({{0, 0, 0}, {0.1f, 0.7f, 0.3f}, {0.2f, 1.4f, 0.6f}}).BendAngles()[1]));
  const Path stairs = MakePath({{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {200, 100, 0}});
  for (const auto& [from, to, angle] : {std::tuple{0.0f, 150.0f, 45.00004f}, {50.0f, 250.0f, 90.00007f}, {50.0f, 300.0f, 0.0f}}) {
    EXPECT_NEAR(stairs.BendAngleBetween(from, to), angle, 1e-3f) << from << " to " << to;
  }
}

TEST(Path, EmptyStillAndSinglePointPathsAnswerSafely) {
  Path empty;
  EXPECT_EQ(empty.SampleValueAtDistance(10), 0);
  ExpectNear(empty.SmoothPointAt(10), {0, 0, 0});
  Path still = MakePath({{1, 1, 1}, {1, 1, 1}}, true, {5, 0, 0});
  still.UpdateClosingSegment();
  for (const Vec3& p : {still.PointAt(123), still.PointAt(-5), still.SmoothPointAt(77)}) ExpectNear(p, {6, 1, 1});
  PathProjection projection;
  ASSERT_TRUE(still.ProjectPoint({9, 9, 9}, projection));
  ExpectNear(projection.point, {6, 1, 1});
  projection.segment = 42;
  EXPECT_FALSE(MakePath({{3, 4, 5}}).ProjectPoint({1, 1, 1}, projection));
  EXPECT_EQ(projection.segment, 42);
}

// The side is horizontal and measured between points as placed (origin included), so a climb changes nothing
// and a stretch straight up has no side.
TEST(Path, SideVectorLiesAcrossTheStretchToItsRight) {
  const float r = std::sqrt(0.5f);
  const Path ramp = MakePath({{0, 0, 0}, {0, 50, 100}, {100, 150, 200}}, false, {1000, 10, -500});
  const Path shaft = MakePath({{0, 0, 0}, {0, 100, 0}}, true);
  const struct {
    const char* what;
    const Path* path;
    size_t point;
    Vec3 side;
  } cases[] = {
      {"climbing north: east", &ramp, 0, {1, 0, 0}},
      {"climbing north-east: south-east", &ramp, 1, {r, 0, -r}},
      {"the open end takes the stretch arriving", &ramp, 2, {r, 0, -r}},
      {"straight up: no side", &shaft, 0, {0, 0, 0}},
      {"straight down the closing stretch: no side", &shaft, 1, {0, 0, 0}},
      {"beyond the last point", &ramp, 7, {0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ExpectNear(c.path->SideVector(c.point), c.side, 1e-6f);
  }
}

// The projection as defined: every segment from the start segment on tried in order, the strictly nearest
// candidate kept. The path's own search passes over far segments and must still agree to the last bit.
PathProjection ProjectTryingEverySegment(const Path& path, const Vec3& position, float minimum, int startSegment) {
  const std::vector<Vec3>& p = path.Points();
  const std::vector<float>& along = path.CumulativeDistances();
  const size_t n = p.size();
  const Vec3 q = position - path.Origin();
  PathProjection best;
  float bestDistance = platform::Length(q - p[0]);
  best.point = p[0];
  best.offset = q - p[0];
  for (size_t s = static_cast<size_t>(std::max(startSegment, 0)); s < (path.Closed() ? n : n - 1); ++s) {
    const size_t e = s + 1 < n ? s + 1 : 0;
    const Vec3 d = p[e] - p[s];
    const float length = platform::Length(d);
    if (!(length > 0)) continue;
    float t = platform::Dot(q - p[s], d) / (length * length);
    const bool outside = t < 0 || t > 1;
    float at = outside ? (e == 0 ? path.TotalLength() : along[e]) : t * length + along[s];
    if (at < minimum) {
      t = std::min(t + ((minimum - at) + 1) / length, 1.0f);
      at = t * length + along[s];
    }
    if (!(at >= minimum)) continue;
    const Vec3 candidate = outside ? p[e] : p[s] + d * t;
    const float distance = platform::Length(q - candidate);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = {candidate, q - candidate, static_cast<int>(s), at};
    }
  }
  best.point = best.point + path.Origin();
  return best;
}

// Positions along a driven lap of the city circuit (both sides of the road, kerb to kerb, on the ground and in
// the air) and scattered far off, projected as the computer drivers and race progress do: from the start, one
// lead ahead of the last answer, and from a start segment behind it.
TEST(PathProjection, SearchAgreesWithTryingEverySegment) {
  using namespace contentgen::test_world;
  std::vector<Path> paths;
  auto circuit = [](size_t points, Vec3 origin) {
    Path path("AIPATH", true, origin);
    for (size_t i = 0; i < points; ++i) path.AddPoint(CentreAt(Perimeter() * i / points) - origin);
    path.UpdateClosingSegment();
    return path;
  };
  paths.push_back(circuit(120, {}));
  paths.push_back(circuit(1200, {}));
  paths.back().Decimate(300);
  paths.push_back(circuit(300, {150000, -2000, 90000}));  // far from the origin: rounding grows with the numbers
  Path eight("EIGHT", true, {});  // crosses itself on a bridge
  for (int i = 0; i < 200; ++i) {
    const float a = 2 * platform::kPi * i / 200;
    eight.AddPoint({6000 * std::sin(a), 300 * std::sin(a) + 300, 3000 * std::sin(2 * a)});
  }
  eight.UpdateClosingSegment();
  paths.push_back(eight);
  Path open("OPEN", false, {});
  for (int i = 0; i < 90; ++i) {
    open.AddPoint({i * 150.0f, 0, (i % 7) * 90.0f});
    if (i % 11 == 0) open.AddPoint({i * 150.0f, 0, (i % 7) * 90.0f});  // repeated points make empty segments
  }
  paths.push_back(open);

  // Equal distances go to the lower segment even when a later run of segments is nearer and tried first:
  // (900, 0, 0) is 100 from point 8 both as the end of segment 7 and as the start of segment 8.
  Path hook("HOOK", false, {});
  for (int i = 0; i <= 8; ++i) hook.AddPoint({i * 100.0f, 0, 0});
  hook.AddPoint({800, 0, 100});
  for (int i = 3; i <= 10; ++i) hook.AddPoint({900, 0, i * 100.0f});
  PathProjection tie;
  ASSERT_TRUE(hook.ProjectPoint({900, 0, 0}, tie));
  EXPECT_EQ(tie.segment, 7);
  EXPECT_EQ(tie.segment, ProjectTryingEverySegment(hook, {900, 0, 0}, 0, 0).segment);

  std::mt19937 random(7);
  std::uniform_real_distribution<float> side(-450, 450), lift(-20, 300), anywhere(-12000, 12000);
  int compared = 0;
  for (const Path& path : paths) {
    for (float d = 0; d < Perimeter(); d += 13) {
      Vec3 position = d < Perimeter() * 0.9f
                          ? CentreAt(d) + InwardAt(d) * side(random) + Vec3{0, lift(random), 0}
                          : Vec3{anywhere(random), lift(random), anywhere(random)};
      if (&path == &paths[2]) position = position + path.Origin();
      PathProjection here;
      ASSERT_TRUE(path.ProjectPoint(position, here));
      const float lead = here.distance + 100;
      const int behind = std::max(here.segment - 3, 0);
      for (auto [minimum, start] : {std::pair{0.0f, 0}, std::pair{lead, 0}, std::pair{0.0f, behind},
                                    std::pair{lead * 0.5f, behind}, std::pair{path.TotalLength() * 2, 0}}) {
        PathProjection fast;
        ASSERT_TRUE(path.ProjectPoint(position, fast, minimum, start));
        const PathProjection expected = ProjectTryingEverySegment(path, position, minimum, start);
        ASSERT_TRUE(fast.point == expected.point && fast.offset == expected.offset &&
                    fast.segment == expected.segment && fast.distance == expected.distance)
            << path.Name() << " at " << d << ", minimum " << minimum << ", start " << start;
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 40000);
}

}  // namespace
}  // namespace geometry
