// Tests of the box, plane, segment and triangle-edge tests.
#include "app/box_tests.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace app {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(AabbTests, ContainmentAndOverlapIncludeTheBoundsAndANaNCornerFailsEverything) {
  const Aabb box{{0, 0, 0}, {10, 10, 10}};
  const struct {
    const char* what;
    Aabb other;
    bool contains, overlaps, containsXZ, overlapsXZ;
  } cases[] = {
      {"itself", box, true, true, true, true},
      {"touching a face", {{10, 0, 0}, {20, 10, 10}}, false, true, false, true},
      {"just apart", {{10.001f, 0, 0}, {20, 10, 10}}, false, false, false, false},
      {"above", {{5, 100, 5}, {6, 101, 6}}, false, false, true, true},
      {"a NaN corner", {{1, kNaN, 1}, {2, 2, 2}}, false, false, true, true},
      {"a NaN corner across", {{kNaN, 0, 1}, {2, 2, 2}}, false, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(AabbContains(box, c.other), c.contains);
    EXPECT_EQ(AabbOverlap(box, c.other), c.overlaps);
    EXPECT_EQ(AabbOverlap(c.other, box), c.overlaps);
    EXPECT_EQ(AabbContainsXZ(box, c.other), c.containsXZ);
    EXPECT_EQ(AabbOverlapXZ(box, c.other), c.overlapsXZ);
  }
}

TEST(PlaneTests, ClassifyAndCrossings) {
  const Vec3 origin{0, 0, 0}, up{0, 1, 0};
  EXPECT_EQ(ClassifyPointPlane({3, 0.000005f, 1}, origin, up), kPlaneOn);
  EXPECT_EQ(ClassifyPointPlane({3, 1, 1}, origin, up), kPlaneFront);
  EXPECT_EQ(ClassifyPointPlane({3, -1, 1}, origin, up), kPlaneBehind);
  EXPECT_EQ(ClassifyPointPlaneOffset({3, 1, 1}, origin, up, 2.0f), kPlaneBehind);

  const Vec3 planePoint{0, 2, 0};
  Vec3 out{99, 99, 99};
  EXPECT_FALSE(SegmentPlaneIntersection({1, 3, 1}, {1, 4, 1}, planePoint, up, out));
  EXPECT_EQ(out.x, 99) << "untouched on a miss";
  EXPECT_TRUE(LinePlaneIntersection({1, 3, 1}, {1, 4, 1}, planePoint, up, out));
  EXPECT_FLOAT_EQ(out.y, 2.0f);
  EXPECT_TRUE(SegmentPlaneIntersection({0, 2, 0}, {0, 5, 0}, planePoint, up, out)) << "the ends are included";
  EXPECT_FALSE(SegmentPlaneIntersection({0, 2, 0}, {5, 2, 5}, planePoint, up, out)) << "lying in the plane";
  EXPECT_FALSE(LinePlaneIntersection({0, 2, 0}, {5, 2, 5}, planePoint, up, out));
}

TEST(SegmentTests, ClosestPointsClampToTheEndsAndPickTheNearestEdge) {
  Vec3 out;
  ClosestPointOnSegment({0, 0, 0}, {10, 0, 0}, {15, 3, 0}, out);
  EXPECT_EQ(out.x, 10.0f);
  out = ClosestPointOnSegment({2, 2, 2}, {2, 2, 2}, {5, 5, 5});
  EXPECT_EQ(out.x, 2.0f) << "a degenerate segment gives its point, never NaN";
  const Vec3 p{0, 0, 0}, q{10, 0, 0}, r{0, 0, 10};
  for (auto [point, expected] : {std::pair{Vec3{5, 3, -2}, Vec3{5, 0, 0}}, {Vec3{8, 0, 8}, Vec3{5, 0, 5}},
                                 {Vec3{-3, 0, 4}, Vec3{0, 0, 4}}, {Vec3{-1, 0, -1}, Vec3{0, 0, 0}}}) {
    ClosestPointOnTriangleEdges(p, q, r, point, out);
    EXPECT_FLOAT_EQ(out.x, expected.x);
    EXPECT_FLOAT_EQ(out.z, expected.z);
  }
}

TEST(VectorTests, AngleStaysDefinedAtTheLimitsAndPackingClamps) {
  EXPECT_EQ(AngleBetween({1.0000001f, 0, 0}, {1.0000001f, 0, 0}), 0.0f);
  EXPECT_FLOAT_EQ(AngleBetween({1.0000001f, 0, 0}, {-1.0000001f, 0, 0}), static_cast<float>(M_PI));
  EXPECT_EQ(PackNormalColor(-1, 0, 1), 0xFF0180FFu);
  EXPECT_EQ(PackNormalColor(5, -5, kNaN), 0xFFFF0000u) << "clamped instead of overflowing into the next byte";
}

}  // namespace
}  // namespace app
