// Tests of the triangle geometry: building rules, boxes and normals, and the segment and sphere searches.
#include "geometry/model_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "app/box_tests.h"
#include "platform/math/math.h"

namespace geometry {
namespace {

void ExpectNear(const Vec3& actual, const Vec3& expected, float tolerance = 1e-4f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// A right triangle lying at height y with its front face up: corners (0,y,0), (size,y,0), (0,y,size).
void AddFloor(ModelGeometry& g, float y, uint32_t flag, float size = 10) {
  uint32_t base = static_cast<uint32_t>(g.PositionCount());
  g.SetPosition({0, y, 0});
  g.SetPosition({size, y, 0});
  g.SetPosition({0, y, size});
  g.SetTriangle(base, base + 1, base + 2, flag);
}

void Ready(ModelGeometry& g) {
  g.Finalize();
  g.ComputeFaceNormals();
}

// Segment search over everything, with the query box of the segment.
bool Segment(const ModelGeometry& g, const Vec3& start, const Vec3& end, SurfaceHit& hit) {
  Vec3 boxMin{std::fmin(start.x, end.x), std::fmin(start.y, end.y), std::fmin(start.z, end.z)};
  Vec3 boxMax{std::fmax(start.x, end.x), std::fmax(start.y, end.y), std::fmax(start.z, end.z)};
  float best = kNoHitDistance;
  return g.SegmentHit(start, end, boxMin, boxMax, hit, best);
}

bool Sphere(const ModelGeometry& g, const Vec3& start, const Vec3& end, float radius, SurfaceHit& hit) {
  Vec3 boxMin{std::fmin(start.x, end.x) - radius, std::fmin(start.y, end.y) - radius, std::fmin(start.z, end.z) - radius};
  Vec3 boxMax{std::fmax(start.x, end.x) + radius, std::fmax(start.y, end.y) + radius, std::fmax(start.z, end.z) + radius};
  float best = kNoHitDistance;
  return g.SphereHit(start, end, boxMin, boxMax, radius, hit, best);
}

TEST(ModelGeometryBuilding, SetRulesAppendOverwriteOrIgnore) {
  ModelGeometry g;
  g.SetPosition({1, 2, 3});
  g.SetPosition({4, 5, 6}, 0);
  g.SetPosition({7, 8, 9}, 5);
  g.SetPosition({7, 8, 9}, -2);
  ASSERT_EQ(g.PositionCount(), 1u);
  ExpectNear(g.GetPosition(0), {4, 5, 6});
  g.AddTriangle(0, 0, 0);
  EXPECT_EQ(g.TriangleFlags()[0], 1u);
  g.SetTriangle(1, 2, 3, 7, 0);
  EXPECT_EQ(g.CornerA()[0], 1u);
  EXPECT_EQ(g.TriangleFlags()[0], 7u);
  g.SetTriangle(1, 2, 3, 9, 4);
  EXPECT_EQ(g.TriangleCount(), 1u);
  g.SetColor({1, 0, 0});
  g.SetColor({0, 1, 0}, 3);
  EXPECT_EQ(g.Colours().size(), 1u);
}

TEST(ModelGeometryBuilding, MergeDuplicatePositionsRenamesCorners) {
  ModelGeometry pqp;
  pqp.SetPosition({1, 1, 1});
  pqp.SetPosition({2, 2, 2});
  pqp.SetPosition({1, 1, 1});
  pqp.AddTriangle(0, 1, 2);
  pqp.MergeDuplicatePositions();
  ASSERT_EQ(pqp.PositionCount(), 2u);
  EXPECT_EQ(pqp.CornerC()[0], 0u);
  EXPECT_EQ(pqp.CornerB()[0], 1u);

  // Three equal positions leave one: the position moved into a freed slot is compared again.
  ModelGeometry ppp;
  for (int i = 0; i < 3; ++i) ppp.SetPosition({5, 5, 5});
  ppp.AddTriangle(0, 1, 2);
  ppp.MergeDuplicatePositions();
  EXPECT_EQ(ppp.PositionCount(), 1u);
  EXPECT_EQ(ppp.CornerA()[0], 0u);
  EXPECT_EQ(ppp.CornerB()[0], 0u);
  EXPECT_EQ(ppp.CornerC()[0], 0u);
}

// The merge as first written: every pair compared, every corner list scanned for each rename. The grouped merge
// must leave the same positions in the same slots and the same corner indices, however the moved positions and
// their triangles interleave.
void MergeComparingEveryPair(std::vector<Vec3>& positions, std::vector<uint32_t>* corners[3]) {
  auto rename = [&](uint32_t from, uint32_t to) {
    for (int list = 0; list < 3; ++list)
      for (uint32_t& corner : *corners[list])
        if (corner == from) corner = to;
  };
  for (size_t i = 0; i < positions.size(); ++i) {
    size_t j = i + 1;
    while (j < positions.size()) {
      const Vec3& p = positions[i];
      const Vec3& q = positions[j];
      if (p.x != q.x || p.y != q.y || p.z != q.z) {
        ++j;
        continue;
      }
      rename(static_cast<uint32_t>(j), static_cast<uint32_t>(i));
      const size_t last = positions.size() - 1;
      positions[j] = positions[last];
      positions.pop_back();
      rename(static_cast<uint32_t>(last), static_cast<uint32_t>(j));
    }
  }
}

TEST(ModelGeometryBuilding, MergeMovesAndRenamesAsComparingEveryPair) {
  std::mt19937 random(11);
  const float nan = std::nanf("");
  // Few distinct values, so most positions have equals; −0 and +0 are equal, NaN equals nothing.
  const float values[] = {0.0f, -0.0f, 1.5f, -3.0f, nan};
  for (int round = 0; round < 300; ++round) {
    const int count = 1 + static_cast<int>(random() % 120);
    std::vector<Vec3> positions;
    ModelGeometry g;
    for (int i = 0; i < count; ++i) {
      const int spread = round % 3 == 0 ? 2 : 5;  // some rounds nearly all equal
      Vec3 p{values[random() % spread], values[random() % spread], values[random() % 4]};
      positions.push_back(p);
      g.SetPosition(p);
    }
    std::vector<uint32_t> a, b, c;
    for (int t = 0; t < count; ++t) {
      // Now and then a corner names a position that does not exist; it must stay as it is.
      auto pick = [&] { return static_cast<uint32_t>(random() % (count + 2)); };
      a.push_back(pick()), b.push_back(pick()), c.push_back(pick());
      g.AddTriangle(a.back(), b.back(), c.back());
    }
    std::vector<uint32_t>* corners[3] = {&a, &b, &c};
    MergeComparingEveryPair(positions, corners);
    g.MergeDuplicatePositions();
    ASSERT_EQ(g.PositionCount(), positions.size()) << round;
    for (size_t i = 0; i < positions.size(); ++i) {
      ASSERT_EQ(std::memcmp(&g.GetPosition(i), &positions[i], sizeof(Vec3)), 0) << round << " position " << i;
    }
    ASSERT_EQ(g.CornerA(), a) << round;
    ASSERT_EQ(g.CornerB(), b) << round;
    ASSERT_EQ(g.CornerC(), c) << round;
  }
}

TEST(ModelGeometryBuilding, FinalizeAndNormals) {
  ModelGeometry g;
  AddFloor(g, 2, 1);
  g.SetPosition({-5, 20, 3});
  Ready(g);
  ExpectNear(g.BoundsMin(), {-5, 2, 0});
  ExpectNear(g.BoundsMax(), {10, 20, 10});
  ExpectNear(g.GetTriangleMin(0), {0, 2, 0});
  ExpectNear(g.GetTriangleMax(0), {10, 2, 10});
  ExpectNear(g.FaceNormals()[0], {0, 1, 0});

  // A triangle without area gets a zero normal, not NaN; a triangle naming missing positions an empty box.
  g.AddTriangle(0, 0, 1);
  g.AddTriangle(0, 1, 99);
  Ready(g);
  ExpectNear(g.FaceNormals()[1], {0, 0, 0});
  EXPECT_FALSE(g.CornersInRange(2));
  EXPECT_GT(g.GetTriangleMin(2).x, g.GetTriangleMax(2).x);
}

TEST(ModelGeometryBuilding, PointInTriangleIncludesBorders) {
  ModelGeometry g;
  AddFloor(g, 0, 1);
  Ready(g);
  EXPECT_TRUE(g.PointInTriangle({2, 0, 2}, 0));
  EXPECT_TRUE(g.PointInTriangle({0, 0, 0}, 0));   // corner
  EXPECT_TRUE(g.PointInTriangle({5, 0, 0}, 0));   // edge
  EXPECT_TRUE(g.PointInTriangle({5, 0, 5}, 0));   // hypotenuse
  EXPECT_FALSE(g.PointInTriangle({6, 0, 6}, 0));
  EXPECT_FALSE(g.PointInTriangle({-0.01f, 0, 1}, 0));
}

TEST(ModelGeometrySegment, HitsFrontFacesOnly) {
  ModelGeometry g;
  AddFloor(g, 0, 4);
  Ready(g);
  SurfaceHit hit;
  ASSERT_TRUE(Segment(g, {2, 5, 2}, {2, -5, 2}, hit));
  ExpectNear(hit.point, {2, 0, 2});
  ExpectNear(hit.normal, {0, 1, 0});
  EXPECT_EQ(hit.flag, 4u);
  ExpectNear(hit.colour, {1, 1, 1});

  // From exactly on the plane to behind it: a hit. From behind to in front: none.
  SurfaceHit onPlane;
  EXPECT_TRUE(Segment(g, {2, 0, 2}, {2, -5, 2}, onPlane));
  SurfaceHit fromBehind;
  EXPECT_FALSE(Segment(g, {2, -5, 2}, {2, 5, 2}, fromBehind));
  // Lying in the plane, or ending in front: none.
  EXPECT_FALSE(Segment(g, {1, 0, 1}, {3, 0, 3}, fromBehind));
  EXPECT_FALSE(Segment(g, {2, 5, 2}, {2, 1, 2}, fromBehind));
  // A single point finds nothing.
  EXPECT_FALSE(Segment(g, {2, 0, 2}, {2, 0, 2}, fromBehind));
}

TEST(ModelGeometrySegment, MissLeavesOutputsUntouched) {
  ModelGeometry g;
  AddFloor(g, 0, 4);
  Ready(g);
  SurfaceHit hit;
  hit.point = {7, 7, 7};
  hit.flag = 99;
  float best = kNoHitDistance;
  EXPECT_FALSE(g.SegmentHit({20, 5, 20}, {20, -5, 20}, {20, -5, 20}, {20, 5, 20}, hit, best));
  EXPECT_EQ(best, kNoHitDistance);
  ExpectNear(hit.point, {7, 7, 7});
  EXPECT_EQ(hit.flag, 99u);
  // A surface exactly at the starting best distance does not count as a hit.
  best = kNoHitDistance;
  EXPECT_FALSE(g.SegmentHit({2, kNoHitDistance, 2}, {2, -1, 2}, {2, -1, 2}, {2, kNoHitDistance, 2}, hit, best));
  EXPECT_EQ(hit.flag, 99u);
  EXPECT_FALSE(g.PointInTriangle({0, 0, 0}, 5));
  // An empty geometry or one not finalised finds nothing.
  ModelGeometry empty;
  EXPECT_FALSE(Segment(empty, {0, 1, 0}, {0, -1, 0}, hit));
}

TEST(ModelGeometrySegment, NearestWinsAndTiesKeepTheFirstVisited) {
  ModelGeometry g;
  AddFloor(g, 0, 1);
  AddFloor(g, 3, 2);
  AddFloor(g, 3, 3);  // same place as the second
  Ready(g);
  SurfaceHit hit;
  ASSERT_TRUE(Segment(g, {2, 10, 2}, {2, -10, 2}, hit));
  EXPECT_EQ(hit.flag, 2u);
  ExpectNear(hit.point, {2, 3, 2});

  std::vector<uint32_t> reversed = {2, 1, 0};
  float best = kNoHitDistance;
  SurfaceHit listHit;
  ASSERT_TRUE(g.SegmentHitInList(reversed, {2, 10, 2}, {2, -10, 2}, {2, -10, 2}, {2, 10, 2}, listHit, best));
  EXPECT_EQ(listHit.flag, 3u);
  EXPECT_NEAR(best, 7, 1e-5f);

  // Indices beyond the triangle count are skipped, not read.
  std::vector<uint32_t> bad = {1000, 0xFFFFFFFFu};
  best = kNoHitDistance;
  EXPECT_FALSE(g.SegmentHitInList(bad, {2, 10, 2}, {2, -10, 2}, {2, -10, 2}, {2, 10, 2}, listHit, best));
}

TEST(ModelGeometrySegment, ColourIsTheMeanOfCornerColours) {
  ModelGeometry g;
  AddFloor(g, 0, 1);
  g.SetColor({0.3f, 0, 0});
  g.SetColor({0, 0.6f, 0});
  g.SetColor({0, 0, 0.9f});
  Ready(g);
  SurfaceHit hit;
  ASSERT_TRUE(Segment(g, {1, 1, 1}, {1, -1, 1}, hit));
  ExpectNear(hit.colour, {0.1f, 0.2f, 0.3f});
}

TEST(ModelGeometrySegment, BadTrianglesAreNeverHit) {
  ModelGeometry g;
  AddFloor(g, 0, 1);
  g.AddTriangle(0, 0, 1);   // no area
  g.AddTriangle(0, 1, 50);  // names a missing position
  Ready(g);
  SurfaceHit hit;
  ASSERT_TRUE(Segment(g, {1, 1, 1}, {1, -1, 1}, hit));
  EXPECT_EQ(hit.flag, 1u);
  float best = kNoHitDistance;
  std::vector<uint32_t> onlyBad = {1, 2};
  Vec3 huge{1e30f, 1e30f, 1e30f};
  EXPECT_FALSE(g.SegmentHitInList(onlyBad, {1, 1, 1}, {1, -1, 1}, huge * -1.0f, huge, hit, best));
}

TEST(ModelGeometrySphere, FaceContactPlacesCentreOneRadiusOut) {
  ModelGeometry g;
  AddFloor(g, 0, 6);
  Ready(g);
  SurfaceHit hit;
  ASSERT_TRUE(Sphere(g, {2, 5, 2}, {2, 0.5f, 2}, 1, hit));
  ExpectNear(hit.point, {2, 0, 2});
  ExpectNear(hit.centre, {2, 1, 2});
  ExpectNear(hit.normal, {0, 1, 0});
  EXPECT_EQ(hit.flag, 6u);

  // Ending more than a radius in front never touches.
  SurfaceHit miss;
  EXPECT_FALSE(Sphere(g, {2, 5, 2}, {2, 1.5f, 2}, 1, miss));
}

TEST(ModelGeometrySphere, StartBehindThePlaneNeverHits) {
  ModelGeometry g;
  AddFloor(g, 0, 6);
  Ready(g);
  SurfaceHit hit;
  // Rising from below to exactly one radius above: the back face must not catch it.
  EXPECT_FALSE(Sphere(g, {2, -1, 2}, {2, 1, 2}, 1, hit));
  EXPECT_FALSE(Sphere(g, {2, -3, 2}, {2, 0.5f, 2}, 1, hit));
}

TEST(ModelGeometrySphere, GrazesAnEdgeBesideTheFace) {
  ModelGeometry g;
  AddFloor(g, 0, 6);
  Ready(g);
  SurfaceHit hit;
  // Ends beyond the hypotenuse, within the radius of its nearest point (5, 0, 5).
  ASSERT_TRUE(Sphere(g, {8, 3, 8}, {6, 0.5f, 6}, 2, hit));
  ExpectNear(hit.point, {5, 0, 5});
  Vec3 away{1 / 1.5f, 0.5f / 1.5f, 1 / 1.5f};
  ExpectNear(hit.normal, away);
  ExpectNear(hit.centre, Vec3{5, 0, 5} + away * 2.0f);

  // Farther than the radius from the edge: nothing.
  SurfaceHit miss;
  EXPECT_FALSE(Sphere(g, {8, 3, 8}, {7, 0.5f, 7}, 2, miss));
}


// Adds a triangle, ordering its corners so that its front face points up.
void AddFacingUp(ModelGeometry& g, const Vec3& a, const Vec3& b, const Vec3& c, uint32_t flag) {
  uint32_t base = static_cast<uint32_t>(g.PositionCount());
  g.SetPosition(a);
  g.SetPosition(b);
  g.SetPosition(c);
  Vec3 ab = b - a, bc = c - b;
  // (C − B) × (B − A), y component only.
  float up = bc.z * ab.x - bc.x * ab.z;
  if (up > 0) {
    g.SetTriangle(base, base + 1, base + 2, flag);
  } else {
    g.SetTriangle(base + 2, base + 1, base, flag);
  }
}

TEST(ModelGeometrySphere, EqualEdgeDistancesGoToTheSmallerSlope) {
  // Two floor triangles either side of the path, their nearest edges equally far from the start; the end leans
  // toward the right one, so the left edge meets the sphere at the flatter angle.
  for (bool leftFirst : {false, true}) {
    ModelGeometry g;
    Vec3 right[] = {{1, 0, -5}, {1, 0, 5}, {6, 0, 0}};
    Vec3 left[] = {{-1, 0, -5}, {-1, 0, 5}, {-6, 0, 0}};
    if (leftFirst) {
      AddFacingUp(g, left[0], left[1], left[2], 1);
      AddFacingUp(g, right[0], right[1], right[2], 2);
    } else {
      AddFacingUp(g, right[0], right[1], right[2], 2);
      AddFacingUp(g, left[0], left[1], left[2], 1);
    }
    Ready(g);
    SurfaceHit hit;
    ASSERT_TRUE(Sphere(g, {0, 5, 0}, {0.2f, 0.5f, 0}, 2, hit)) << leftFirst;
    EXPECT_EQ(hit.flag, 1u) << leftFirst;
    ExpectNear(hit.point, {-1, 0, 0});
    ExpectNear(hit.normal, Vec3{1.2f, 0.5f, 0} * (1 / 1.3f));
  }
}

TEST(ModelGeometrySphere, EqualFaceDistancesKeepTheFirstVisited) {
  ModelGeometry g;
  AddFloor(g, 0, 1);
  AddFloor(g, 0, 2);
  Ready(g);
  SurfaceHit hit;
  ASSERT_TRUE(Sphere(g, {2, 5, 2}, {2, 0.5f, 2}, 1, hit));
  EXPECT_EQ(hit.flag, 1u);
  std::vector<uint32_t> reversed = {1, 0};
  float best = kNoHitDistance;
  ASSERT_TRUE(g.SphereHitInList(reversed, {2, 5, 2}, {2, 0.5f, 2}, {0, -1, 0}, {4, 6, 4}, 1, hit, best));
  EXPECT_EQ(hit.flag, 2u);
}

// The sphere search on one triangle as defined, nothing passed over early: a face contact where the path
// meets the plane inside the triangle, else an edge contact when the path ends within a radius of the point of
// the edges nearest its start.
bool SphereOnTriangle(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& start, const Vec3& end, float radius,
                      SurfaceHit& hit) {
  const Vec3 n = platform::Normalize(platform::Cross(c - b, b - a));
  const int startSide = app::ClassifyPointPlane(start, a, n);
  const int endSide = app::ClassifyPointPlaneOffset(end, a, n, radius);
  if (startSide == endSide || endSide == app::kPlaneFront || startSide == app::kPlaneBehind) return false;
  Vec3 crossing;
  if (!app::LinePlaneIntersection(start, end - n * radius, a, n, crossing)) return false;
  const Vec3 e1 = b - a, e2 = c - a, d = crossing - a, w = platform::Cross(n, e2);
  const float u = platform::Dot(w, d), den = platform::Dot(w, e1), v = platform::Dot(platform::Cross(d, e1), n);
  if (u >= 0 && u <= den && v >= 0 && u + v <= den) {
    hit.point = crossing;
    hit.centre = crossing + n * radius;
    hit.normal = n;
    return true;
  }
  Vec3 edgePoint;
  app::ClosestPointOnTriangleEdges(a, b, c, start, edgePoint);
  if (!(platform::Length(end - edgePoint) <= radius)) return false;
  const Vec3 away = platform::Normalize(end - edgePoint);
  if (!(platform::Dot(away, n) < 1.0f) || app::ClassifyPointPlane(end, a, n) != app::kPlaneFront) return false;
  hit.point = edgePoint;
  hit.normal = away;
  hit.centre = edgePoint + away * radius;
  return true;
}

// Paths that end near a triangle's edges, just inside and just outside one radius of them, at every slope: the
// search must find exactly the contacts the definition gives, although it passes over far triangles early.
TEST(ModelGeometrySphere, GrazingContactsAreThoseOfTheDefinition) {
  std::mt19937 random(3);
  std::uniform_real_distribution<float> corner(-50, 50), unit(-1, 1), shell(0.9f, 1.1f), size(0.5f, 20);
  int grazes = 0, misses = 0;
  for (int i = 0; i < 20000; ++i) {
    const Vec3 a{corner(random), corner(random) * 0.2f, corner(random)};
    const Vec3 b = a + Vec3{corner(random), unit(random) * 5, corner(random)};
    const Vec3 c = a + Vec3{corner(random), unit(random) * 5, corner(random)};
    ModelGeometry g;
    AddFacingUp(g, a, b, c, 1);
    g.Finalize();
    g.ComputeFaceNormals();
    const Vec3 n = g.FaceNormals()[0];
    const float radius = size(random);
    const Vec3 start = a + (b - a) * (unit(random) + 0.5f) + (c - a) * unit(random) + n * (radius * 3 + 10);
    const Vec3& p = g.GetPosition(g.CornerA()[0]);
    const Vec3& q = g.GetPosition(g.CornerB()[0]);
    const Vec3& r = g.GetPosition(g.CornerC()[0]);
    Vec3 edgePoint;
    app::ClosestPointOnTriangleEdges(p, q, r, start, edgePoint);
    const Vec3 end = edgePoint + platform::Normalize(Vec3{unit(random), unit(random), unit(random)}) * (radius * shell(random));
    SurfaceHit fast, expected;
    const bool found = Sphere(g, start, end, radius, fast);
    ASSERT_EQ(found, SphereOnTriangle(p, q, r, start, end, radius, expected)) << i;
    if (!found) {
      ++misses;
      continue;
    }
    ASSERT_TRUE(fast.point == expected.point && fast.centre == expected.centre && fast.normal == expected.normal) << i;
    grazes += fast.point == edgePoint;
  }
  // Both outcomes come up often, edge contacts among the hits.
  EXPECT_GT(grazes, 2000);
  EXPECT_GT(misses, 2000);
}

}  // namespace
}  // namespace geometry
