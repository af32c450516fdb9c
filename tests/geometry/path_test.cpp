// Tests of paths: distances, bends, sampling by distance, projection, decimation and reversal.
#include "geometry/path.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
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

Path Corner(bool closed = false, Vec3 origin = {}) {
  Path path("AIPATH", closed, origin);
  path.AddPoint({0, 0, 0});
  path.AddPoint({100, 0, 0});
  path.AddPoint({100, 100, 0});
  return path;
}

Path Staircase() {
  Path path("STAIRS", false, {});
  for (Vec3 p : {Vec3{0, 0, 0}, Vec3{100, 0, 0}, Vec3{100, 100, 0}, Vec3{200, 100, 0}}) path.AddPoint(p);
  return path;
}

TEST(PathDistances, CumulativeDistancesBendsAndClosing) {
  Path path = Corner();
  ASSERT_EQ(path.PointCount(), 3u);
  EXPECT_FLOAT_EQ(path.CumulativeDistances()[1], 100);
  EXPECT_FLOAT_EQ(path.CumulativeDistances()[2], 200);
  EXPECT_NEAR(path.BendAngles()[1], 90.00007f, 1e-4f);
  EXPECT_EQ(path.BendAngles()[0], 0);
  EXPECT_EQ(path.BendAngles()[2], 0);
  EXPECT_FLOAT_EQ(path.TotalLength(), 200);
  EXPECT_FLOAT_EQ(path.LeftEdges()[0], -60);
  EXPECT_FLOAT_EQ(path.RightEdges()[2], 60);
  ExpectNear(path.BoundsMin(), {0, 0, 0});
  ExpectNear(path.BoundsMax(), {100, 100, 0});
  path.UpdateClosingSegment();
  EXPECT_NEAR(path.TotalLength(), 341.42f, 0.01f);
  // Counted once however often it is asked for.
  path.UpdateClosingSegment();
  EXPECT_NEAR(path.TotalLength(), 341.42f, 0.01f);
  // A new point moves the closing segment: it is dropped until asked for again.
  path.AddPoint({0, 100, 0});
  EXPECT_FLOAT_EQ(path.TotalLength(), 300);
  path.UpdateClosingSegment();
  EXPECT_FLOAT_EQ(path.TotalLength(), 400);
}

TEST(PathDistances, RepeatedPointsGiveARightAngleAndStayFinite) {
  Path path("P", false, {});
  path.AddPoint({0, 0, 0});
  path.AddPoint({0, 0, 0});
  path.AddPoint({10, 0, 0});
  EXPECT_NEAR(path.BendAngles()[1], 90.00007f, 1e-4f);
  // Straight on: rounding must not push the arc cosine out of range.
  Path straight("S", false, {});
  straight.AddPoint({0, 0, 0});
  straight.AddPoint({0.1f, 0.7f, 0.3f});
  straight.AddPoint({0.2f, 1.4f, 0.6f});
  EXPECT_FALSE(std::isnan(straight.BendAngles()[1]));
}

TEST(PathSampling, PointAtWrapsAround) {
  Path path = Corner();
  ExpectNear(path.PointAt(50), {50, 0, 0});
  ExpectNear(path.PointAt(250), {50, 0, 0});
  ExpectNear(path.PointAt(-50), {100, 50, 0});
  ExpectNear(path.PointAt(200), {100, 100, 0});
  ExpectNear(path.PointAt(600), {100, 100, 0});  // a whole number of laps lands on the end, as stepping would
  ExpectNear(path.PointAt(1000050.0f), {50, 0, 0});
  Path moved = Corner(false, {10, 20, 30});
  ExpectNear(moved.PointAt(50), {60, 20, 30});
}

TEST(PathSampling, GetPointAddsOriginAndIsZeroOutOfRange) {
  Path path = Corner(false, {1, 2, 3});
  ExpectNear(path.GetPoint(1), {101, 2, 3});
  ExpectNear(path.GetPoint(3), {0, 0, 0});
}

TEST(PathSampling, EdgeOffsetsInterpolate) {
  Path path = Corner(true);
  path.UpdateClosingSegment();
  path.SetRightEdge(0, 10);
  path.SetRightEdge(1, 30);
  path.SetLeftEdge(1, -100);
  path.SetLeftEdge(7, -1);  // ignored
  EXPECT_FLOAT_EQ(path.SampleValueAtDistance(50), 20);
  EXPECT_FLOAT_EQ(path.SampleValueAtDistanceB(50), -80);
  // The closing segment runs from the last point back to the first.
  float closingMiddle = 200 + 141.42f / 2;
  EXPECT_NEAR(path.SampleValueAtDistance(closingMiddle), 35, 0.01f);
}

TEST(PathSampling, ZeroLengthAndEmptyPathsAreSafe) {
  Path empty;
  EXPECT_EQ(empty.SampleValueAtDistance(10), 0);
  ExpectNear(empty.PointAt(10), {0, 0, 0});
  ExpectNear(empty.SmoothPointAt(10), {0, 0, 0});
  EXPECT_EQ(empty.BendAngleBetween(0, 10), 0);

  Path still("STILL", true, {5, 0, 0});
  still.AddPoint({1, 1, 1});
  still.AddPoint({1, 1, 1});
  still.UpdateClosingSegment();
  EXPECT_EQ(still.TotalLength(), 0);
  ExpectNear(still.PointAt(123), {6, 1, 1});
  ExpectNear(still.PointAt(-5), {6, 1, 1});
  ExpectNear(still.SmoothPointAt(77), {6, 1, 1});
  EXPECT_FLOAT_EQ(still.SampleValueAtDistance(3), 60);
  PathProjection projection;
  ASSERT_TRUE(still.ProjectPoint({9, 9, 9}, projection));
  ExpectNear(projection.point, {6, 1, 1});

  Path single("ONE", false, {});
  single.AddPoint({3, 4, 5});
  ExpectNear(single.SmoothPointAt(0), {3, 4, 5});
  ExpectNear(single.PointAt(0), {3, 4, 5});
}

TEST(PathSampling, SmoothPointPassesThroughThePoints) {
  Path path("CAM", false, {0, 10, 0});
  for (int i = 0; i < 5; ++i) path.AddPoint({100.0f * static_cast<float>(i), 0, 0});
  ExpectNear(path.SmoothPointAt(100), {100, 10, 0});
  ExpectNear(path.SmoothPointAt(250), {250, 10, 0});  // evenly spaced points on a line stay on the line
  Path loop = Corner(true);
  loop.UpdateClosingSegment();
  Vec3 p = loop.SmoothPointAt(loop.TotalLength() - 1);
  EXPECT_FALSE(std::isnan(p.x));
}

TEST(PathBends, BendAngleBetweenCountsOnlyPointsAhead) {
  Path path = Staircase();
  EXPECT_NEAR(path.BendAngleBetween(0, 150), 45.00004f, 1e-3f);
  EXPECT_NEAR(path.BendAngleBetween(50, 250), 90.00007f, 1e-3f);
  EXPECT_EQ(path.BendAngleBetween(50, 300), 0);
  EXPECT_EQ(path.BendAngleBetween(150, 150), 0);
  EXPECT_EQ(path.BendAngleBetween(200, 100), 0);
}

TEST(PathProjection, ProjectsOntoTheNearestSegment) {
  Path path = Corner();
  PathProjection out;
  out.segment = 42;
  Path one("ONE", false, {});
  one.AddPoint({0, 0, 0});
  EXPECT_FALSE(one.ProjectPoint({1, 1, 1}, out));
  EXPECT_EQ(out.segment, 42);

  ASSERT_TRUE(path.ProjectPoint({0, 0, 0}, out));
  ExpectNear(out.point, {0, 0, 0});
  EXPECT_EQ(out.distance, 0);
  EXPECT_EQ(out.segment, 0);

  ASSERT_TRUE(path.ProjectPoint({110, 40, 0}, out));
  ExpectNear(out.point, {100, 40, 0});
  ExpectNear(out.offset, {10, 0, 0});
  EXPECT_EQ(out.segment, 1);
  EXPECT_FLOAT_EQ(out.distance, 140);

  Path moved = Corner(false, {1000, 0, 0});
  ASSERT_TRUE(moved.ProjectPoint({1030, -5, 0}, out));
  ExpectNear(out.point, {1030, 0, 0});
  ExpectNear(out.offset, {0, -5, 0});
}

TEST(PathProjection, MinimumDistanceAndStartSegmentHoldTheAnswerBack) {
  Path path = Corner();
  PathProjection out;
  // Nearest is on segment 0 at distance 95, but nothing before 150 may be taken: segment 1 is pushed on
  // one inch past the minimum.
  ASSERT_TRUE(path.ProjectPoint({95, 2, 0}, out, 150));
  EXPECT_EQ(out.segment, 1);
  EXPECT_FLOAT_EQ(out.distance, 151);
  ExpectNear(out.point, {100, 51, 0});
  // Without a start segment segment 0 is nearest; starting at segment 1 never looks at it.
  ASSERT_TRUE(path.ProjectPoint({65, 25, 0}, out));
  EXPECT_EQ(out.segment, 0);
  ASSERT_TRUE(path.ProjectPoint({65, 25, 0}, out, 0, 1));
  EXPECT_EQ(out.segment, 1);
  ExpectNear(out.point, {100, 25, 0});
  // A minimum beyond every segment leaves point 0.
  ASSERT_TRUE(path.ProjectPoint({60, 1, 0}, out, 1000));
  EXPECT_EQ(out.segment, 0);
  ExpectNear(out.point, {0, 0, 0});
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
  for (Vec3 p : {Vec3{800, 0, 100}, Vec3{900, 0, 300}, Vec3{900, 0, 400}, Vec3{900, 0, 500}, Vec3{900, 0, 600},
                 Vec3{900, 0, 700}, Vec3{900, 0, 800}, Vec3{900, 0, 900}, Vec3{900, 0, 1000}})
    hook.AddPoint(p);
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
      PathProjection here, expected;
      ASSERT_TRUE(path.ProjectPoint(position, here));
      expected = ProjectTryingEverySegment(path, position, 0, 0);
      const float lead = here.distance + 100;
      const int behind = std::max(here.segment - 3, 0);
      for (auto [minimum, start] : {std::pair{0.0f, 0}, std::pair{lead, 0}, std::pair{0.0f, behind},
                                    std::pair{lead * 0.5f, behind}, std::pair{path.TotalLength() * 2, 0}}) {
        PathProjection fast;
        ASSERT_TRUE(path.ProjectPoint(position, fast, minimum, start));
        expected = ProjectTryingEverySegment(path, position, minimum, start);
        ASSERT_TRUE(fast.point == expected.point && fast.offset == expected.offset &&
                    fast.segment == expected.segment && fast.distance == expected.distance)
            << path.Name() << " at " << d << ", minimum " << minimum << ", start " << start;
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 40000);
}

TEST(PathReshaping, DecimateKeepsEvenlySpreadPoints) {
  Path path("LONG", false, {});
  for (int i = 0; i < 1000; ++i) path.AddPoint({static_cast<float>(i), 0, 0});
  path.SetLeftEdge(3, -5);
  path.Decimate(300);
  ASSERT_EQ(path.PointCount(), 300u);
  EXPECT_EQ(path.GetPoint(0).x, 0);
  EXPECT_EQ(path.GetPoint(1).x, 3);
  EXPECT_EQ(path.GetPoint(2).x, 7);
  EXPECT_EQ(path.GetPoint(3).x, 10);
  EXPECT_EQ(path.LeftEdges()[1], -60);
  path.Decimate(300);
  EXPECT_EQ(path.PointCount(), 300u);
  path.Decimate(0);
  EXPECT_EQ(path.PointCount(), 300u);
}

TEST(PathReshaping, ReverseKeepsLengthOfALoop) {
  Path loop = Corner(true);
  loop.UpdateClosingSegment();
  float length = loop.TotalLength();
  loop.leadingString = "TEXT";
  loop.Reverse();
  EXPECT_NEAR(loop.TotalLength(), length, 1e-3f);
  EXPECT_EQ(loop.leadingString, "TEXT");
  EXPECT_EQ(loop.Name(), "AIPATH");

  Path open = Corner();
  open.Reverse();
  ExpectNear(open.GetPoint(0), {100, 100, 0});
  EXPECT_FLOAT_EQ(open.TotalLength(), 200);
  Path copy = open;
  EXPECT_EQ(copy.PointCount(), 3u);
  open.Reset();
  EXPECT_EQ(open.PointCount(), 0u);
  EXPECT_EQ(open.TotalLength(), 0);
  EXPECT_EQ(copy.PointCount(), 3u);
}

}  // namespace
}  // namespace geometry
