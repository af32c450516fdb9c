// Tests of the box, plane, segment and triangle-edge tests.
#include "app/box_tests.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace app {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(AabbTests, ContainmentAndOverlapIncludeTheBounds) {
  const Aabb box{{0, 0, 0}, {10, 10, 10}};
  EXPECT_TRUE(AabbContains(box, box));
  EXPECT_TRUE(AabbOverlap(box, box));

  const Aabb inner{{2, 2, 2}, {10, 5, 5}};
  EXPECT_TRUE(AabbContains(box, inner));
  EXPECT_FALSE(AabbContains(inner, box));

  const Aabb faceNeighbour{{10, 0, 0}, {20, 10, 10}};
  EXPECT_TRUE(AabbOverlap(box, faceNeighbour));
  EXPECT_FALSE(AabbContains(box, faceNeighbour));

  for (int axis = 0; axis < 3; ++axis) {
    Aabb apart = faceNeighbour;
    float* minimum[] = {&apart.min.x, &apart.min.y, &apart.min.z};
    float* maximum[] = {&apart.max.x, &apart.max.y, &apart.max.z};
    apart.min = {0, 0, 0};
    apart.max = {10, 10, 10};
    *minimum[axis] = 10.001f;
    *maximum[axis] = 20.0f;
    EXPECT_FALSE(AabbOverlap(box, apart)) << "axis " << axis;
    EXPECT_FALSE(AabbOverlap(apart, box)) << "axis " << axis;
  }
}

TEST(AabbTests, XZFormsIgnoreHeight) {
  const Aabb ground{{0, 0, 0}, {10, 1, 10}};
  const Aabb tall{{2, -50, 2}, {3, 50, 3}};
  EXPECT_TRUE(AabbContainsXZ(ground, tall));
  EXPECT_FALSE(AabbContains(ground, tall));
  const Aabb above{{5, 100, 5}, {6, 101, 6}};
  EXPECT_TRUE(AabbOverlapXZ(ground, above));
  EXPECT_FALSE(AabbOverlap(ground, above));
  const Aabb aside{{11, 0, 5}, {12, 1, 6}};
  EXPECT_FALSE(AabbOverlapXZ(ground, aside));
}

TEST(AabbTests, NaNCornerIsNeitherInsideNorOverlapping) {
  const Aabb box{{0, 0, 0}, {10, 10, 10}};
  const Aabb broken{{1, kNaN, 1}, {2, 2, 2}};
  EXPECT_FALSE(AabbContains(box, broken));
  EXPECT_FALSE(AabbOverlap(box, broken));
  EXPECT_FALSE(AabbContainsXZ(box, Aabb{{kNaN, 0, 1}, {2, 2, 2}}));
}

TEST(AabbTests, AddPointGrowsFromEmpty) {
  Aabb box = Aabb::Empty();
  box.AddPoint(1, 2, 3);
  EXPECT_EQ(box.min.x, 1);
  EXPECT_EQ(box.max.x, 1);
  EXPECT_EQ(box.min.z, 3);
  EXPECT_EQ(box.max.z, 3);
  box.AddPoint(Vec3{-1, 5, 3});
  EXPECT_EQ(box.min.x, -1);
  EXPECT_EQ(box.max.x, 1);
  EXPECT_EQ(box.min.y, 2);
  EXPECT_EQ(box.max.y, 5);
}

TEST(AabbTests, PointInsetAndPaddedBoxes) {
  const Vec3 lo{0, 0, 0}, hi{10, 10, 10};
  EXPECT_TRUE(PointInBoxInset(lo, hi, {2, 5, 8}, 2));
  EXPECT_FALSE(PointInBoxInset(lo, hi, {1.9f, 5, 5}, 2));
  EXPECT_TRUE(PointInBoxPadded(lo, hi, {-2, 12, 5}, 2));
  EXPECT_FALSE(PointInBoxPadded(lo, hi, {-2.1f, 5, 5}, 2));
  // A sphere classified by the two tests: outside, partly, fully inside.
  EXPECT_FALSE(PointInBoxPadded(lo, hi, {20, 5, 5}, 3));
  EXPECT_TRUE(PointInBoxPadded(lo, hi, {11, 5, 5}, 3));
  EXPECT_FALSE(PointInBoxInset(lo, hi, {11, 5, 5}, 3));
  EXPECT_TRUE(PointInBoxInset(lo, hi, {5, 5, 5}, 3));
}

TEST(PlaneTests, ClassifyUsesTheEpsilonAndTheNormalSide) {
  const Vec3 planePoint{0, 0, 0}, up{0, 1, 0};
  EXPECT_EQ(ClassifyPointPlane({3, 0.000005f, 1}, planePoint, up), kPlaneOn);
  EXPECT_EQ(ClassifyPointPlane({3, 1, 1}, planePoint, up), kPlaneFront);
  EXPECT_EQ(ClassifyPointPlane({3, -1, 1}, planePoint, up), kPlaneBehind);
  EXPECT_EQ(ClassifyPointPlaneOffset({3, 1, 1}, planePoint, up, 1.0f), kPlaneOn);
  EXPECT_EQ(ClassifyPointPlaneOffset({3, 1, 1}, planePoint, up, 2.0f), kPlaneBehind);
}

TEST(PlaneTests, SegmentAndLineCrossings) {
  const Vec3 planePoint{0, 2, 0}, up{0, 1, 0};
  Vec3 out{99, 99, 99};
  EXPECT_TRUE(SegmentPlaneIntersection({1, 0, 1}, {1, 4, 1}, planePoint, up, out));
  EXPECT_FLOAT_EQ(out.y, 2.0f);
  EXPECT_FLOAT_EQ(out.x, 1.0f);

  out = {99, 99, 99};
  EXPECT_FALSE(SegmentPlaneIntersection({1, 3, 1}, {1, 4, 1}, planePoint, up, out));
  EXPECT_EQ(out.x, 99);  // untouched on a miss
  EXPECT_TRUE(LinePlaneIntersection({1, 3, 1}, {1, 4, 1}, planePoint, up, out));
  EXPECT_FLOAT_EQ(out.y, 2.0f);

  // A segment lying in the plane is parallel, not a hit.
  EXPECT_FALSE(SegmentPlaneIntersection({0, 2, 0}, {5, 2, 5}, planePoint, up, out));
  EXPECT_FALSE(LinePlaneIntersection({0, 2, 0}, {5, 2, 5}, planePoint, up, out));
  // The ends are included.
  EXPECT_TRUE(SegmentPlaneIntersection({0, 2, 0}, {0, 5, 0}, planePoint, up, out));
}

TEST(SegmentTests, ClosestPointClampsToTheEnds) {
  const Vec3 a{0, 0, 0}, b{10, 0, 0};
  Vec3 out;
  ClosestPointOnSegment(a, b, {15, 3, 0}, out);
  EXPECT_EQ(out.x, 10.0f);
  EXPECT_EQ(out.y, 0.0f);
  ClosestPointOnSegment(a, b, {-4, 3, 0}, out);
  EXPECT_EQ(out.x, 0.0f);
  ClosestPointOnSegment(a, b, {10, 7, 0}, out);
  EXPECT_EQ(out.x, 10.0f);
  ClosestPointOnSegment(a, b, {4, 7, 1}, out);
  EXPECT_FLOAT_EQ(out.x, 4.0f);
  EXPECT_EQ(out.y, 0.0f);
  // A degenerate segment gives its single point, never NaN.
  out = ClosestPointOnSegment({2, 2, 2}, {2, 2, 2}, {5, 5, 5});
  EXPECT_EQ(out.x, 2.0f);
  EXPECT_EQ(out.z, 2.0f);
}

TEST(SegmentTests, ClosestPointOnTriangleEdgesPicksTheNearestEdge) {
  const Vec3 p{0, 0, 0}, q{10, 0, 0}, r{0, 0, 10};
  Vec3 out;
  ClosestPointOnTriangleEdges(p, q, r, {5, 3, -2}, out);  // nearest to pq
  EXPECT_FLOAT_EQ(out.x, 5.0f);
  EXPECT_FLOAT_EQ(out.z, 0.0f);
  ClosestPointOnTriangleEdges(p, q, r, {8, 0, 8}, out);  // nearest to the hypotenuse qr
  EXPECT_FLOAT_EQ(out.x, 5.0f);
  EXPECT_FLOAT_EQ(out.z, 5.0f);
  ClosestPointOnTriangleEdges(p, q, r, {-3, 0, 4}, out);  // nearest to rp
  EXPECT_FLOAT_EQ(out.x, 0.0f);
  EXPECT_FLOAT_EQ(out.z, 4.0f);
  // Equally near to pq and rp: the first edge stays.
  ClosestPointOnTriangleEdges(p, q, r, {-1, 0, -1}, out);
  EXPECT_EQ(out.x, 0.0f);
  EXPECT_EQ(out.z, 0.0f);
}

TEST(VectorTests, AngleBetweenStaysDefinedAtTheLimits) {
  EXPECT_FLOAT_EQ(AngleBetween({1, 0, 0}, {0, 1, 0}), static_cast<float>(M_PI / 2));
  EXPECT_EQ(AngleBetween({1.0000001f, 0, 0}, {1.0000001f, 0, 0}), 0.0f);
  EXPECT_FLOAT_EQ(AngleBetween({1.0000001f, 0, 0}, {-1.0000001f, 0, 0}), static_cast<float>(M_PI));
}

TEST(VectorTests, PackNormalColorMapsComponentsToBytes) {
  EXPECT_EQ(PackNormalColor(0, 0, 1), 0xFF8080FFu);
  EXPECT_EQ(PackNormalColor(-1, 0, 1), 0xFF0180FFu);
  EXPECT_EQ(PackNormalColor(0.5f, -0.5f, 0), (0xFFu << 24) | (191u << 16) | (64u << 8) | 128u);
  // Out-of-range input is clamped instead of overflowing into the neighbouring byte.
  EXPECT_EQ(PackNormalColor(5, -5, kNaN), 0xFFFF0000u);
}

}  // namespace
}  // namespace app
