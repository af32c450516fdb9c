// Tests of paths: distances, bends, sampling by distance, projection, decimation and reversal.
#include "geometry/path.h"

#include <gtest/gtest.h>

#include <cmath>

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
