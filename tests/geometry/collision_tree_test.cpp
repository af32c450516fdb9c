// Tests of the collision tree: .COL round trip through the writer, rejection of bad files, and box queries and
// casts on the generated city circuit against scans of every triangle.
#include "geometry/collision_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>

#include "app/box_tests.h"
#include "contentgen/col_writer.h"
#include "contentgen/test_world.h"
#include "platform/math/math.h"

namespace geometry {
namespace {

using contentgen::ColFile;

void ExpectNear(const Vec3& actual, const Vec3& expected, float tolerance = 1e-3f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// A floor square of two triangles (corner colours partly given), a wall triangle far away, a light, a marker, a
// closed path and a path record without points.
ColFile SmallFile() {
  ColFile file;
  file.scale = 2;
  file.materialNames = {"PAVE", "GRASS", "NODRIVE"};
  contentgen::ColMeshBlock floor;
  floor.position = {10, 0, 0};
  floor.vertices = {{0, 0, 0}, {0, 0, 10}, {10, 0, 10}, {10, 0, 0}};
  floor.cornerVertices = {0, 1, 2, 3};
  floor.cornerColours = {{255, 0, 0}, {0, 510, -7}};  // clamped to 0..255; corners 2 and 3 white
  floor.groups.push_back({0, {{0, 1, 2}}});
  floor.groups.push_back({-1, {{0, 2, 3}}});  // out of range: the last material
  file.blocks.push_back(floor);
  contentgen::ColMeshBlock wall;
  wall.vertices = {{100, 0, 0}, {100, 10, 0}, {100, 0, 10}, {555, 555, 555}};  // last vertex unused
  wall.cornerVertices = {0, 1, 2};
  wall.groups.push_back({99, {{0, 1, 2}}});
  file.blocks.push_back(wall);
  file.nodes.push_back({});
  file.nodes.back().kind = 4;  // the other directional kind
  file.nodes.back().position = {1, 2, 3};
  file.nodes.back().direction = {0, -3, 0};
  file.markers.push_back({});
  file.markers.back().position = {5, 0, 5};
  contentgen::PathRecord loop;
  loop.name = "AIPATH1";
  loop.origin = {1, 0, 0};
  loop.lists.push_back({true, {{0, 0, 0}, {100, 0, 0}, {100, 0, 100}}});
  loop.lists.push_back({true, {{5, 5, 5}}});  // read and dropped
  file.paths.push_back(loop);
  file.paths.push_back({});  // no point lists
  return file;
}

bool Load(CollisionTree& tree, const std::vector<unsigned char>& bytes) {
  return tree.LoadFromMemory(bytes.data(), bytes.size(), "test.COL", true);
}

TEST(CollisionFile, RoundTripThroughTheWriter) {
  CollisionTree tree;
  ASSERT_TRUE(Load(tree, contentgen::EncodeCollisionFile(SmallFile())));
  EXPECT_EQ(tree.MaterialNames(), (std::vector<std::string>{"PAVE", "GRASS", "NODRIVE"}));
  EXPECT_EQ(tree.TriangleCount(), 3u);
  // Positions are scaled, then moved by the (scaled) block position; bounds cover every vertex, used or not.
  ExpectNear(tree.BoundsMin(), {20, 0, 0});
  ExpectNear(tree.BoundsMax(), {1110, 1110, 1110});
  const ModelGeometry& g = *tree.Geometry();
  ExpectNear(g.GetPosition(2), {40, 0, 20});
  ExpectNear(g.Colours()[1], {0, 1, 0});
  EXPECT_EQ(g.TriangleFlags(), (std::vector<uint32_t>{0, 2, 2}));
  // Stored in reverse order: the file's (0, 1, 2) becomes (2, 1, 0), and its front face still points up.
  EXPECT_EQ(g.CornerA()[0], 2u);
  ExpectNear(g.FaceNormals()[0], {0, 1, 0});
  const SceneNode& sun = *tree.Nodes().at(0);
  EXPECT_EQ(sun.kind, 2);
  ExpectNear(sun.position, {2, 4, 6});
  ExpectNear(sun.light.direction, {0, -1, 0});
  ExpectNear(tree.Markers().at(0)->position, {10, 0, 10});
  // A record without point lists makes no path; the closed loop counts its closing segment once.
  ASSERT_EQ(tree.Paths().size(), 1u);
  ExpectNear(tree.Paths()[0]->GetPoint(1), {202, 0, 0});
  EXPECT_NEAR(tree.Paths()[0]->TotalLength(), 400 + 200 * std::sqrt(2.0f), 0.05f);
}

TEST(CollisionFile, EveryTruncationIsRejectedAndLeavesTheTreeEmpty) {
  const std::vector<unsigned char> bytes = contentgen::EncodeCollisionFile(SmallFile());
  for (size_t size = 0; size < bytes.size(); ++size) {
    CollisionTree tree;
    ASSERT_FALSE(Load(tree, {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size)})) << size;
    EXPECT_TRUE(tree.Empty() && tree.Nodes().empty() && tree.Paths().empty() && tree.MaterialNames().empty() &&
                tree.GetQuadtree() == nullptr);
  }
  CollisionTree missing;  // answers every query with nothing
  SurfaceHit hit;
  EXPECT_FALSE(missing.Load("/nonexistent/folder/none.COL", true) || missing.SphereCast({0, 10, 0}, {}, 5, hit));
  missing.QueryBox({-1e9f, -1e9f, -1e9f}, {1e9f, 1e9f, 1e9f});
  EXPECT_TRUE(missing.Candidates().empty());
}

TEST(CollisionFile, CorruptCountsIndicesAndNumbersAreRejected) {
  const std::vector<unsigned char> good = contentgen::EncodeCollisionFile(SmallFile());
  constexpr size_t kMeshCount = 28, kNameCount = 44, kFirstCorner = 48 + 5 + 6 + 8 + 12 + 4;
  const std::pair<size_t, int32_t> pokes[] = {{kMeshCount, -1},          {kMeshCount, 0x7FFFFFFF}, {kMeshCount, 1000},
                                              {kNameCount, -1},          {kNameCount, 0x7FFFFFFF}, {kNameCount, 1000},
                                              {kFirstCorner, 7},  // vertex 7 of 4
                                              {kFirstCorner, -1}};
  std::vector<std::vector<unsigned char>> bad;
  for (const auto& [offset, value] : pokes) {
    bad.push_back(good);
    std::memcpy(bad.back().data() + offset, &value, 4);
  }
  const std::function<void(ColFile&)> spoilers[] = {
      [](ColFile& f) { f.blocks[1].groups[0].triangles[0][1] = 9; },  // corner 9 of 3
      [](ColFile& f) { f.blocks[1].groups[0].triangles[0][1] = -2; },
      [](ColFile& f) { f.scale = std::nanf(""); },
      [](ColFile& f) { f.blocks[0].vertices[0] = {3e38f, 0, 0}; },
      [](ColFile& f) { f.paths[0].lists.resize(3); },  // and cut short below
  };
  for (const auto& spoil : spoilers) {
    ColFile file = SmallFile();
    spoil(file);
    bad.push_back(contentgen::EncodeCollisionFile(file));
  }
  bad.back().resize(bad.back().size() - 5);
  CollisionTree tree;
  for (size_t i = 0; i < bad.size(); ++i) {
    ASSERT_TRUE(Load(tree, good));
    EXPECT_FALSE(Load(tree, bad[i])) << "case " << i;
    EXPECT_TRUE(tree.Empty()) << "case " << i;
  }
}

// The generated circuit, loaded once, in an octree and in a quadtree.
class CircuitTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    static const std::vector<unsigned char> bytes = contentgen::EncodeCollisionFile(contentgen::BuildTestWorld());
    ASSERT_TRUE(tree_.LoadFromMemory(bytes.data(), bytes.size(), "city.COL", GetParam()));
  }
  CollisionTree tree_;
};

TEST_P(CircuitTest, QueryBoxFindsExactlyTheTrianglesABruteScanFinds) {
  const ModelGeometry& g = *tree_.Geometry();
  std::mt19937 random(1234);
  std::uniform_real_distribution<float> across(-4800, 4800), up(-50, 200), size(0, 600);
  for (int i = 0; i < 200; ++i) {
    const Vec3 min{across(random), up(random), across(random)};
    const Vec3 max = min + Vec3{size(random), size(random) * 0.2f, size(random)};
    tree_.QueryBox(min, max);
    std::vector<uint32_t> candidates = tree_.Candidates(), expected;
    for (uint32_t t = 0; t < g.TriangleCount(); ++t) {
      if (app::AabbOverlap(g.GetTriangleMin(t), g.GetTriangleMax(t), min, max)) expected.push_back(t);
    }
    std::sort(candidates.begin(), candidates.end());
    ASSERT_TRUE(std::adjacent_find(candidates.begin(), candidates.end()) == candidates.end()) << "duplicates";
    if (GetParam()) {
      // The quadtree tests x and z only: it may add triangles above or below the box, never miss one.
      EXPECT_TRUE(std::includes(candidates.begin(), candidates.end(), expected.begin(), expected.end()));
    } else {
      EXPECT_EQ(candidates, expected);
    }
  }
}

bool SameHit(const SurfaceHit& a, const SurfaceHit& b) {
  return a.point == b.point && a.centre == b.centre && a.normal == b.normal && a.flag == b.flag &&
         a.colour == b.colour;
}

// The casts read only the triangles near their own box, yet must answer exactly as walking the whole candidate
// list in its order (ties and edge contacts depend on that order): wheel-sized and hull-sized casts over the
// road, kerbs, walls and ramp, against the list of a car-sized query box and of the cast's own box.
TEST_P(CircuitTest, NearbyTriangleCastsAnswerAsTheWholeCandidateList) {
  using namespace contentgen::test_world;
  const ModelGeometry& g = *tree_.Geometry();
  std::mt19937 random(99);
  std::uniform_real_distribution<float> along(0, Perimeter()), across(-kWallOffset - 60, kWallOffset + 60),
      height(-5, 70), step(-40, 40), reach(0, 600);
  const float radii[] = {0, 4, 15, 30, -2};
  int hits = 0;
  std::vector<bool> materialsHit(kMaterialCount, false);
  for (int i = 0; i < 3000; ++i) {
    const float d = along(random);
    const Vec3 start = CentreAt(d) + InwardAt(d) * across(random) + Vec3{0, height(random), 0};
    // Mostly short falling moves as a wheel makes, some long sideways ones toward the walls, some standing still.
    Vec3 move{step(random), step(random) - 30, step(random)};
    if (i % 5 == 0) move = InwardAt(d) * (i % 10 == 0 ? reach(random) : -reach(random));
    if (i % 17 == 0) move = {};
    const Vec3 end = start + move;
    const float radius = radii[i % 5];
    const Vec3 grow{radius, radius, radius};
    const Vec3 lineMin = platform::ComponentMin(start, end), lineMax = platform::ComponentMax(start, end);
    // Each cast against walking the candidate list the tree holds now.
    auto expectSame = [&](bool fastHit, const SurfaceHit& fast, bool isSphere, const Vec3& boxMin, const Vec3& boxMax,
                          const char* what) {
      SurfaceHit full;
      float best = kNoHitDistance;
      const std::vector<uint32_t>& list = tree_.Candidates();
      ASSERT_EQ(fastHit, isSphere ? g.SphereHitInList(list, start, end, boxMin, boxMax, radius, full, best)
                                  : g.SegmentHitInList(list, start, end, boxMin, boxMax, full, best))
          << what << " " << i;
      ASSERT_TRUE(SameHit(fast, full)) << what << " " << i;
    };
    SurfaceHit sphere, segment, ownSphere, ownSegment;
    tree_.QueryBox(start - Vec3{200, 300, 200}, start + Vec3{250, 100, 150});
    const bool sphereHit = tree_.SweptSphereHitInCandidates(start, end, radius, sphere);
    expectSame(sphereHit, sphere, true, lineMin - grow, lineMax + grow, "sphere cast");
    expectSame(tree_.SegmentHitInCandidates(start, end, segment), segment, false, lineMin, lineMax, "segment cast");
    hits += sphereHit;
    if (sphereHit && sphere.flag < materialsHit.size()) materialsHit[sphere.flag] = true;
    // The self-contained casts against the list a query of their own box gives.
    const bool ownSphereHit = tree_.SphereCast(start, end, radius, ownSphere);
    tree_.QueryBox(lineMin - grow, lineMax + grow);
    expectSame(ownSphereHit, ownSphere, true, lineMin - grow, lineMax + grow, "own sphere cast");
    const bool ownSegmentHit = tree_.SegmentCast(start, end, ownSegment);
    tree_.QueryBox(lineMin, lineMax);
    expectSame(ownSegmentHit, ownSegment, false, lineMin, lineMax, "own segment cast");
    if (HasFatalFailure()) return;
  }
  // The draw hits often and on every kind of surface, so the comparison above means something.
  EXPECT_GT(hits, 1000);
  EXPECT_GE(std::count(materialsHit.begin(), materialsHit.end(), true), 5);
}

INSTANTIATE_TEST_SUITE_P(OctreeAndQuadtree, CircuitTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Quadtree" : "Octree"; });

}  // namespace
}  // namespace geometry
