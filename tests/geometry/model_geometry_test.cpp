// Tests of the triangle geometry: merging equal positions, boxes and normals, and the segment and sphere searches
// with their tie-breaks, against the definitions written out here.
#include "geometry/model_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <tuple>
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

// Adds a triangle, ordering its corners so that its front face points up.
void AddFacingUp(ModelGeometry& g, const Vec3& a, const Vec3& b, const Vec3& c, uint32_t flag) {
  const uint32_t base = static_cast<uint32_t>(g.PositionCount());
  for (const Vec3& corner : {a, b, c}) g.SetPosition(corner);
  const Vec3 ab = b - a, bc = c - b;
  if (bc.z * ab.x - bc.x * ab.z > 0) {  // y of (C − B) × (B − A)
    g.SetTriangle(base, base + 1, base + 2, flag);
  } else {
    g.SetTriangle(base + 2, base + 1, base, flag);
  }
}

// A right triangle at height y, front face up: corners (0,y,0), (10,y,0), (0,y,10).
void AddFloor(ModelGeometry& g, float y, uint32_t flag) { AddFacingUp(g, {0, y, 0}, {10, y, 0}, {0, y, 10}, flag); }

void Ready(ModelGeometry& g) { g.Finalize(); g.ComputeFaceNormals(); }

// The searches over every triangle, with the box of the path.
bool Segment(const ModelGeometry& g, const Vec3& start, const Vec3& end, SurfaceHit& hit) {
  float best = kNoHitDistance;
  return g.SegmentHit(start, end, platform::ComponentMin(start, end), platform::ComponentMax(start, end), hit, best);
}

bool Sphere(const ModelGeometry& g, const Vec3& start, const Vec3& end, float radius, SurfaceHit& hit) {
  const Vec3 grow{radius, radius, radius};
  float best = kNoHitDistance;
  return g.SphereHit(start, end, platform::ComponentMin(start, end) - grow, platform::ComponentMax(start, end) + grow,
                     radius, hit, best);
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
      const Vec3 &p = positions[i], &q = positions[j];
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

// Set with no index appends, with an index in range overwrites, and with any other index (past the end or
// negative) changes nothing: a bad index read from a file must never write outside the lists.
TEST(ModelGeometryBuilding, SetRulesAppendOverwriteOrIgnore) {
  ModelGeometry g;
  g.SetPosition({1, 2, 3});
  g.SetColor({1, 0, 0});
  g.AddTriangle(0, 0, 0);
  const struct {
    const char* what;
    int index;
    bool overwrites;
  } cases[] = {{"first", 0, true}, {"past the end", 1, false}, {"far past", 5, false}, {"negative", -2, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    g.SetPosition({1, 2, 3}, 0);
    g.SetColor({1, 0, 0}, 0);
    g.SetTriangle(0, 0, 0, 1, 0);
    g.SetPosition({4, 5, 6}, c.index);
    g.SetColor({0, 1, 0}, c.index);
    g.SetTriangle(1, 2, 3, 7, c.index);
    ASSERT_EQ(g.PositionCount(), 1u);
    ASSERT_EQ(g.Colours().size(), 1u);
    ASSERT_EQ(g.TriangleCount(), 1u);
    ExpectNear(g.GetPosition(0), c.overwrites ? Vec3{4, 5, 6} : Vec3{1, 2, 3});
    ExpectNear(g.Colours()[0], c.overwrites ? Vec3{0, 1, 0} : Vec3{1, 0, 0});
    EXPECT_EQ(g.CornerA()[0], c.overwrites ? 1u : 0u);
    EXPECT_EQ(g.CornerC()[0], c.overwrites ? 3u : 0u);
    EXPECT_EQ(g.TriangleFlags()[0], c.overwrites ? 7u : 1u);
  }
}

TEST(ModelGeometryBuilding, MergeMovesAndRenamesAsComparingEveryPair) {
  std::mt19937 random(11);
  // Few distinct values, so most positions have equals; −0 and +0 are equal, NaN equals nothing.
  const float values[] = {0.0f, -0.0f, 1.5f, -3.0f, std::nanf("")};
  for (int round = 0; round < 300; ++round) {
    const int count = 1 + static_cast<int>(random() % 120);
    std::vector<Vec3> positions;
    ModelGeometry g;
    for (int i = 0; i < count; ++i) {
      const int spread = round % 3 == 0 ? 2 : 5;  // some rounds nearly all equal
      positions.push_back({values[random() % spread], values[random() % spread], values[random() % 4]});
      g.SetPosition(positions.back());
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

TEST(ModelGeometrySegment, HitsFrontFacesOnlyAndAMissLeavesTheOutputs) {
  ModelGeometry g;
  AddFloor(g, 0, 4);
  Ready(g);
  const std::tuple<Vec3, Vec3, bool, const char*> cases[] = {
      {{2, 5, 2}, {2, -5, 2}, true, "down through the face"},
      {{2, 0, 2}, {2, -5, 2}, true, "from on the plane to behind it"},
      {{2, -5, 2}, {2, 5, 2}, false, "from behind"},
      {{1, 0, 1}, {3, 0, 3}, false, "lying in the plane"},
      {{2, 5, 2}, {2, 1, 2}, false, "ending in front"},
      {{2, 0, 2}, {2, 0, 2}, false, "a single point"},
      {{20, 5, 20}, {20, -5, 20}, false, "beside the triangle"},
      {{2, kNoHitDistance, 2}, {2, -1, 2}, false, "surface exactly at the starting best distance"},
  };
  for (const auto& [start, end, hits, label] : cases) {
    SCOPED_TRACE(label);
    SurfaceHit hit;
    hit.flag = 99;
    ASSERT_EQ(Segment(g, start, end, hit), hits);
    EXPECT_EQ(hit.flag, hits ? 4u : 99u);
    if (hits) ExpectNear(hit.point, {start.x, 0, start.z});
  }
}

// The searches without flag and colour answer as the full ones do: the same result, best distance, point and
// normal (and centre for the sphere); a miss, or a contact no nearer than the best passed in, leaves the outputs
// (the result then tells only whether the best passed in was the no-hit distance).
TEST(ModelGeometrySimple, SegmentAndSphereAnswerAsTheFullSearchesWithoutFlagOrColour) {
  ModelGeometry g;
  AddFloor(g, 0, 4);
  AddFloor(g, 2, 5);
  Ready(g);
  const Vec3 sentinel{-7, -7, -7};
  const struct {
    Vec3 start, end;
    float radius, best;
    bool writes;  // a nearer contact than best was found
    const char* what;
  } cases[] = {
      {{2, 5, 2}, {2, -5, 2}, 0.5f, kNoHitDistance, true, "down through both floors: the upper one"},
      {{2, 1, 2}, {2, -5, 2}, 0.5f, kNoHitDistance, true, "between the floors: the lower one"},
      {{2, -5, 2}, {2, 5, 2}, 0.5f, kNoHitDistance, false, "from behind"},
      {{20, 5, 20}, {20, -5, 20}, 0.5f, kNoHitDistance, false, "beside them"},
      {{2, 5, 2}, {2, -5, 2}, 0.5f, 1.0f, false, "nothing nearer than the best passed in"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Vec3 boxMin = platform::ComponentMin(c.start, c.end), boxMax = platform::ComponentMax(c.start, c.end);
    SurfaceHit full;
    full.point = full.normal = full.centre = sentinel;
    float fullBest = c.best;
    const bool segmentFull = g.SegmentHit(c.start, c.end, boxMin, boxMax, full, fullBest);
    Vec3 point = sentinel, normal = sentinel;
    float best = c.best;
    EXPECT_EQ(g.SegmentHitSimple(c.start, c.end, boxMin, boxMax, point, normal, best), segmentFull);
    EXPECT_EQ(segmentFull, best != kNoHitDistance);
    EXPECT_EQ(best, fullBest);
    EXPECT_EQ(best < c.best, c.writes);
    ExpectNear(point, full.point);
    ExpectNear(normal, full.normal);
    if (!c.writes) ExpectNear(point, sentinel);

    const Vec3 grow{c.radius, c.radius, c.radius};
    SurfaceHit sphereFull;
    sphereFull.point = sphereFull.normal = sphereFull.centre = sentinel;
    fullBest = c.best;
    const bool sphereFound = g.SphereHit(c.start, c.end, boxMin - grow, boxMax + grow, c.radius, sphereFull, fullBest);
    Vec3 centre = sentinel, contact = sentinel;
    normal = sentinel;
    best = c.best;
    EXPECT_EQ(g.SphereHitSimple(c.start, c.end, boxMin - grow, boxMax + grow, c.radius, centre, contact, normal, best),
              sphereFound);
    EXPECT_EQ(sphereFound, best != kNoHitDistance);
    EXPECT_EQ(best, fullBest);
    EXPECT_EQ(best < c.best, c.writes);
    ExpectNear(centre, sphereFull.centre);
    ExpectNear(contact, sphereFull.point);
    ExpectNear(normal, sphereFull.normal);
    if (!c.writes) ExpectNear(centre, sentinel);
  }
}

TEST(ModelGeometrySegment, NearestWinsTiesKeepTheFirstVisitedAndBadTrianglesAreSkipped) {
  ModelGeometry g;
  AddFloor(g, 0, 1);
  AddFloor(g, 3, 2);
  AddFloor(g, 3, 3);        // same place as the second
  g.AddTriangle(0, 0, 1);   // no area: a zero normal, not NaN
  g.AddTriangle(0, 1, 50);  // names a missing position: no point inside
  for (const Vec3& colour : {Vec3{0.3f, 0, 0}, Vec3{0, 0.6f, 0}, Vec3{0, 0, 0.9f}}) g.SetColor(colour);
  Ready(g);
  ExpectNear(g.FaceNormals()[3], {0, 0, 0});
  EXPECT_FALSE(g.PointInTriangle({0, 0, 0}, 4) || g.PointInTriangle({0, 0, 0}, 9));
  EXPECT_TRUE(g.PointInTriangle({5, 0, 5}, 0));  // borders belong to the triangle
  SurfaceHit hit;
  const Vec3 start{2, 10, 2}, end{2, -10, 2}, huge{1e30f, 1e30f, 1e30f};
  ASSERT_TRUE(Segment(g, start, end, hit));
  EXPECT_EQ(hit.flag, 2u);
  ASSERT_TRUE(Segment(g, {2, 1, 2}, {2, -1, 2}, hit));
  ExpectNear(hit.colour, {0.1f, 0.2f, 0.3f});  // the mean of the first floor's corner colours
  float best = kNoHitDistance;
  ASSERT_TRUE(g.SegmentHitInList({2, 1, 0}, start, end, end, start, hit, best));
  EXPECT_EQ(hit.flag, 3u);
  EXPECT_NEAR(best, 7, 1e-5f);
  best = kNoHitDistance;
  EXPECT_FALSE(g.SegmentHitInList({3, 4, 1000, 0xFFFFFFFFu}, start, end, huge * -1.0f, huge, hit, best));
}

TEST(ModelGeometrySphere, TiesGoToTheSmallerSlopeThenToTheFirstVisitedAndBackFacesAreNeverHit) {
  // Two floor triangles either side of the path, their nearest edges equally far from the start; the end leans
  // toward the right one, so the left edge meets the sphere at the flatter angle, in either order.
  for (bool leftFirst : {false, true}) {
    ModelGeometry g;
    const Vec3 right[] = {{1, 0, -5}, {1, 0, 5}, {6, 0, 0}}, left[] = {{-1, 0, -5}, {-1, 0, 5}, {-6, 0, 0}};
    if (leftFirst) AddFacingUp(g, left[0], left[1], left[2], 1);
    AddFacingUp(g, right[0], right[1], right[2], 2);
    if (!leftFirst) AddFacingUp(g, left[0], left[1], left[2], 1);
    Ready(g);
    SurfaceHit hit;
    ASSERT_TRUE(Sphere(g, {0, 5, 0}, {0.2f, 0.5f, 0}, 2, hit)) << leftFirst;
    EXPECT_EQ(hit.flag, 1u) << leftFirst;
    ExpectNear(hit.point, {-1, 0, 0});
    ExpectNear(hit.normal, Vec3{1.2f, 0.5f, 0} * (1 / 1.3f));
  }
  // Two faces in one place: the first visited wins, in the list's order; the centre stops one radius out.
  ModelGeometry g;
  AddFloor(g, 0, 1);
  AddFloor(g, 0, 2);
  Ready(g);
  SurfaceHit hit;
  ASSERT_TRUE(Sphere(g, {2, 5, 2}, {2, 0.5f, 2}, 1, hit));
  EXPECT_EQ(hit.flag, 1u);
  ExpectNear(hit.centre, {2, 1, 2});
  EXPECT_FALSE(Sphere(g, {2, -1, 2}, {2, 1, 2}, 1, hit));  // rising from behind the faces never touches them
  EXPECT_FALSE(Sphere(g, {2, -3, 2}, {2, 0.5f, 2}, 1, hit));
  float best = kNoHitDistance;
  ASSERT_TRUE(g.SphereHitInList({1, 0}, {2, 5, 2}, {2, 0.5f, 2}, {0, -1, 0}, {4, 6, 4}, 1, hit, best));
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
    Ready(g);
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
