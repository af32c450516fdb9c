// Tests of the collision tree: .COL round trip through the writer, rejection of bad files, box queries against a
// brute-force scan, and casts on the generated city circuit.
#include "geometry/collision_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>

#include "app/box_tests.h"
#include "contentgen/col_writer.h"
#include "contentgen/test_world.h"
#include "platform/math/math.h"

namespace geometry {
namespace {

using contentgen::ColFile;
using contentgen::ColMeshBlock;

void ExpectNear(const Vec3& actual, const Vec3& expected, float tolerance = 1e-3f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// Two blocks: a floor square of two triangles (coloured corners, partly), and a wall triangle far away.
ColFile SmallFile() {
  ColFile file;
  file.colour1 = {1, 0.5f, 0};
  file.colour2 = {0.2f, 0.4f, 0.6f};
  file.scale = 2;
  file.materialNames = {"PAVE", "GRASS", "NODRIVE"};
  ColMeshBlock floor;
  floor.position = {10, 0, 0};
  floor.vertices = {{0, 0, 0}, {0, 0, 10}, {10, 0, 10}, {10, 0, 0}};
  floor.cornerVertices = {0, 1, 2, 3};
  floor.cornerColours = {{255, 0, 0}, {0, 510, -7}};  // clamped to 0..255; corners 2 and 3 white
  // (b − a) × (c − a) points up for a = (0,0,0), b = (0,0,10), c = (10,0,10).
  floor.groups.push_back({0, {{0, 1, 2}}});
  floor.groups.push_back({-1, {{0, 2, 3}}});  // out of range: the last material
  file.blocks.push_back(floor);
  ColMeshBlock wall;
  wall.vertices = {{100, 0, 0}, {100, 10, 0}, {100, 0, 10}, {555, 555, 555}};  // last vertex unused
  wall.cornerVertices = {0, 1, 2};
  wall.groups.push_back({99, {{0, 1, 2}}});
  file.blocks.push_back(wall);

  contentgen::NodeRecord sun;
  sun.name = "SUN";
  sun.kind = 4;
  sun.position = {1, 2, 3};
  sun.direction = {0, -3, 0};
  sun.range = 900;
  file.nodes.push_back(sun);
  contentgen::NodeRecord lamp;
  lamp.name = "LAMP";
  lamp.kind = 1;
  lamp.range = 50;
  lamp.text = "ON";
  file.nodes.push_back(lamp);
  contentgen::MarkerRecord marker;
  marker.name = "START1";
  marker.position = {5, 0, 5};
  marker.rotation[0][0] = 0;
  marker.rotation[0][2] = -1;
  marker.text = "GRID";
  file.markers.push_back(marker);
  contentgen::PathRecord loop;
  loop.name = "AIPATH1";
  loop.origin = {1, 0, 0};
  loop.lists.push_back({true, {{0, 0, 0}, {100, 0, 0}, {100, 0, 100}}});
  loop.lists.push_back({true, {{5, 5, 5}}});  // read and dropped
  loop.text = "LINE";
  file.paths.push_back(loop);
  contentgen::PathRecord empty;
  empty.name = "NOTHING";
  empty.text = "dropped";
  file.paths.push_back(empty);
  return file;
}

bool Load(CollisionTree& tree, const std::vector<unsigned char>& bytes, bool useQuadtree = true) {
  return tree.LoadFromMemory(bytes.data(), bytes.size(), "test.COL", useQuadtree);
}

TEST(CollisionFile, RoundTripThroughTheWriter) {
  std::vector<unsigned char> bytes = contentgen::EncodeCollisionFile(SmallFile());
  CollisionTree tree;
  ASSERT_TRUE(Load(tree, bytes));
  EXPECT_EQ(tree.PackedColour1(), 0xFF7F00u);
  EXPECT_EQ(tree.PackedColour2(), (51u << 16) | (102u << 8) | 153u);
  EXPECT_FLOAT_EQ(tree.Colour2().z, 0.6f);
  EXPECT_EQ(tree.MaterialNames(), (std::vector<std::string>{"PAVE", "GRASS", "NODRIVE"}));
  EXPECT_EQ(tree.MaterialCount(), 3u);
  EXPECT_EQ(tree.TriangleCount(), 3u);
  EXPECT_EQ(tree.GroupCount(), 3u);
  // Positions are scaled, then moved by the (scaled) block position; bounds cover every vertex, used or not.
  ExpectNear(tree.BoundsMin(), {20, 0, 0});
  ExpectNear(tree.BoundsMax(), {1110, 1110, 1110});

  const ModelGeometry* g = tree.Geometry();
  ASSERT_NE(g, nullptr);
  ASSERT_EQ(g->PositionCount(), 7u);
  ExpectNear(g->GetPosition(2), {40, 0, 20});
  ExpectNear(g->GetPosition(4), {200, 0, 0});
  ASSERT_EQ(g->Colours().size(), 7u);
  ExpectNear(g->Colours()[0], {1, 0, 0});
  ExpectNear(g->Colours()[1], {0, 1, 0});
  ExpectNear(g->Colours()[2], {1, 1, 1});
  EXPECT_EQ(g->TriangleFlags(), (std::vector<uint32_t>{0, 2, 2}));
  // Stored in reverse order: the file's (0, 1, 2) becomes (2, 1, 0), and its front face still points up.
  EXPECT_EQ(g->CornerA()[0], 2u);
  EXPECT_EQ(g->CornerC()[0], 0u);
  EXPECT_EQ(g->CornerA()[2], 6u);
  ExpectNear(g->FaceNormals()[0], {0, 1, 0});

  ASSERT_EQ(tree.Nodes().size(), 2u);
  EXPECT_EQ(tree.Nodes()[0]->kind, 2);
  ExpectNear(tree.Nodes()[0]->position, {2, 4, 6});
  EXPECT_FLOAT_EQ(tree.Nodes()[0]->light.range, 900);
  EXPECT_TRUE(tree.Nodes()[0]->leadingString.empty());
  EXPECT_EQ(tree.Nodes()[1]->leadingString, "ON");
  ASSERT_EQ(tree.Markers().size(), 1u);
  EXPECT_EQ(tree.Markers()[0]->name, "START1");
  ExpectNear(tree.Markers()[0]->position, {10, 0, 10});
  EXPECT_FLOAT_EQ(tree.Markers()[0]->matrix.m[0][2], -1);
  EXPECT_FLOAT_EQ(tree.Markers()[0]->matrix.m[3][3], 1);
  EXPECT_EQ(tree.Markers()[0]->leadingString, "GRID");

  // A record without point lists makes no path; the closed loop counts its closing segment once.
  ASSERT_EQ(tree.Paths().size(), 1u);
  const Path& path = *tree.Paths()[0];
  EXPECT_EQ(path.Name(), "AIPATH1");
  EXPECT_TRUE(path.Closed());
  EXPECT_EQ(path.PointCount(), 3u);
  ExpectNear(path.GetPoint(1), {202, 0, 0});
  EXPECT_NEAR(path.TotalLength(), 200 + 200 + 200 * std::sqrt(2.0f), 0.05f);
  EXPECT_EQ(path.leadingString, "LINE");
  EXPECT_FLOAT_EQ(path.LeftEdges()[0], -60);
}

TEST(CollisionFile, NoMaterialNamesMeansOneMaterial) {
  ColFile file = SmallFile();
  file.materialNames.clear();
  std::vector<unsigned char> bytes = contentgen::EncodeCollisionFile(file);
  CollisionTree tree;
  ASSERT_TRUE(Load(tree, bytes));
  EXPECT_EQ(tree.MaterialCount(), 1u);
  EXPECT_EQ(tree.Geometry()->TriangleFlags(), (std::vector<uint32_t>{0, 0, 0}));
}

TEST(CollisionFile, EveryTruncationIsRejectedAndLeavesTheTreeEmpty) {
  std::vector<unsigned char> bytes = contentgen::EncodeCollisionFile(SmallFile());
  for (size_t size = 0; size < bytes.size(); ++size) {
    std::vector<unsigned char> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
    CollisionTree tree;
    ASSERT_FALSE(Load(tree, cut)) << "accepted a file cut to " << size << " bytes";
    EXPECT_TRUE(tree.Empty());
    EXPECT_TRUE(tree.Nodes().empty());
    EXPECT_TRUE(tree.Paths().empty());
    EXPECT_TRUE(tree.MaterialNames().empty());
    EXPECT_EQ(tree.GetQuadtree(), nullptr);
  }
}

// Overwrites a little-endian int32 at an offset.
void Poke(std::vector<unsigned char>& bytes, size_t offset, int32_t value) {
  std::memcpy(bytes.data() + offset, &value, 4);
}

TEST(CollisionFile, CorruptCountsAndIndicesAreRejected) {
  ColFile file = SmallFile();
  const std::vector<unsigned char> good = contentgen::EncodeCollisionFile(file);
  constexpr size_t kMeshCountOffset = 28;
  constexpr size_t kNameCountOffset = 44;
  constexpr size_t kFirstBlockOffset = 48 + 5 + 6 + 8;  // after the three material names
  CollisionTree tree;
  ASSERT_TRUE(Load(tree, good));

  for (int32_t count : {-1, 0x7FFFFFFF, 1000}) {
    std::vector<unsigned char> bad = good;
    Poke(bad, kMeshCountOffset, count);
    EXPECT_FALSE(Load(tree, bad)) << count;
    EXPECT_TRUE(tree.Empty());
    bad = good;
    Poke(bad, kNameCountOffset, count);
    EXPECT_FALSE(Load(tree, bad)) << count;
  }
  // First corner of the first block names vertex 7 of 4.
  std::vector<unsigned char> badCorner = good;
  Poke(badCorner, kFirstBlockOffset + 12 + 4, 7);
  EXPECT_FALSE(Load(tree, badCorner));
  Poke(badCorner, kFirstBlockOffset + 12 + 4, -1);
  EXPECT_FALSE(Load(tree, badCorner));

  // A triangle naming corner 9 of a block with 3 corners.
  ColFile badTriangle = SmallFile();
  badTriangle.blocks[1].groups[0].triangles[0][1] = 9;
  EXPECT_FALSE(Load(tree, contentgen::EncodeCollisionFile(badTriangle)));
  badTriangle.blocks[1].groups[0].triangles[0][1] = -2;
  EXPECT_FALSE(Load(tree, contentgen::EncodeCollisionFile(badTriangle)));

  ColFile badScale = SmallFile();
  badScale.scale = std::nanf("");
  EXPECT_FALSE(Load(tree, contentgen::EncodeCollisionFile(badScale)));
  ColFile hugeVertex = SmallFile();
  hugeVertex.blocks[0].vertices[0] = {3e38f, 0, 0};
  EXPECT_FALSE(Load(tree, contentgen::EncodeCollisionFile(hugeVertex)));

  ColFile badPath = SmallFile();
  badPath.paths[0].lists.resize(3);
  std::vector<unsigned char> bytes = contentgen::EncodeCollisionFile(badPath);
  bytes.resize(bytes.size() - 5);
  EXPECT_FALSE(Load(tree, bytes));
  EXPECT_TRUE(tree.Empty());

  // A good file loads again into the same tree afterwards.
  EXPECT_TRUE(Load(tree, good));
  EXPECT_FALSE(tree.Empty());
}

TEST(CollisionFile, MissingFileLeavesTheTreeEmpty) {
  CollisionTree tree;
  EXPECT_FALSE(tree.Load("/nonexistent/folder/none.COL", true));
  EXPECT_TRUE(tree.Empty());
  SurfaceHit hit;
  EXPECT_FALSE(tree.SegmentCast({0, 10, 0}, {0, -10, 0}, hit));
  EXPECT_FALSE(tree.SphereCast({0, 10, 0}, {0, -10, 0}, 5, hit));
  tree.QueryBox({-1e9f, -1e9f, -1e9f}, {1e9f, 1e9f, 1e9f});
  EXPECT_TRUE(tree.Candidates().empty());
}

TEST(CollisionFile, LoadsTheWrittenWorldFromAFolder) {
  std::string folder = (std::filesystem::path(CORSAIRE_GAME_DIR).parent_path() / "scratch" / "geometry").string();
  ASSERT_TRUE(contentgen::WriteTestWorld(folder));
  CollisionTree tree;
  // The game writes data names with backslashes and in any case.
  std::string name = folder + "/tracks\\CITY/CITY.col";
  ASSERT_TRUE(tree.Load(name, true)) << name;
  EXPECT_GT(tree.TriangleCount(), 10000u);
  EXPECT_NE(tree.GetQuadtree(), nullptr);
  ASSERT_FALSE(tree.Paths().empty());
  EXPECT_EQ(tree.Paths()[0]->Name(), "AIPATH1");
}

// The generated circuit, loaded once for the query and cast tests.
class CircuitTest : public ::testing::TestWithParam<bool> {
 protected:
  static void SetUpTestSuite() { bytes_ = new std::vector<unsigned char>(contentgen::EncodeCollisionFile(contentgen::BuildTestWorld())); }
  static void TearDownTestSuite() {
    delete bytes_;
    bytes_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(tree_.LoadFromMemory(bytes_->data(), bytes_->size(), "city.COL", GetParam())); }

  // Triangles whose boxes meet the query box, by scanning all of them.
  std::vector<uint32_t> BruteForce(const Vec3& min, const Vec3& max) const {
    std::vector<uint32_t> found;
    const ModelGeometry& g = *tree_.Geometry();
    for (uint32_t t = 0; t < g.TriangleCount(); ++t)
      if (app::AabbOverlap(g.GetTriangleMin(t), g.GetTriangleMax(t), min, max)) found.push_back(t);
    return found;
  }

  static std::vector<unsigned char>* bytes_;
  CollisionTree tree_;
};
std::vector<unsigned char>* CircuitTest::bytes_ = nullptr;

TEST_P(CircuitTest, QueryBoxFindsExactlyTheTrianglesABruteScanFinds) {
  std::mt19937 random(1234);
  std::uniform_real_distribution<float> across(-4800, 4800), up(-50, 200), size(0, 600);
  for (int i = 0; i < 200; ++i) {
    Vec3 min{across(random), up(random), across(random)};
    Vec3 max = min + Vec3{size(random), size(random) * 0.2f, size(random)};
    tree_.QueryBox(min, max);
    std::vector<uint32_t> candidates = tree_.Candidates();
    std::vector<uint32_t> expected = BruteForce(min, max);
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

TEST_P(CircuitTest, SegmentCastsFindTheSurfaceBelow) {
  using namespace contentgen::test_world;
  SurfaceHit hit;
  Vec3 road = CentreAt(100);
  ASSERT_TRUE(tree_.SegmentCast(road + Vec3{0, 100, 0}, road - Vec3{0, 100, 0}, hit));
  EXPECT_NEAR(hit.point.y, 0, 1e-3f);
  EXPECT_EQ(hit.flag, static_cast<uint32_t>(kPave));
  ExpectNear(hit.normal, {0, 1, 0});

  Vec3 rampTop = CentreAt(RampStart() + kRampUpLength + kRampTopLength / 2);
  ASSERT_TRUE(tree_.SegmentCast(rampTop + Vec3{0, 200, 0}, rampTop - Vec3{0, 100, 0}, hit));
  EXPECT_NEAR(hit.point.y, kRampRise, 1e-2f);
  EXPECT_EQ(hit.flag, static_cast<uint32_t>(kRamp));

  Vec3 pond{kPondCentreX, 0, kPondCentreZ};
  ASSERT_TRUE(tree_.SegmentCast(pond + Vec3{0, 50, 0}, pond - Vec3{0, 50, 0}, hit));
  EXPECT_EQ(hit.flag, static_cast<uint32_t>(kWater));

  // From below the road: back faces are never hit.
  EXPECT_FALSE(tree_.SegmentCast(road - Vec3{0, 100, 0}, road - Vec3{0, 1, 0}, hit));
}

TEST_P(CircuitTest, SphereCastStopsAtTheOuterWall) {
  using namespace contentgen::test_world;
  float d = Perimeter() * 0.05f;
  Vec3 centre = CentreAt(d) + Vec3{0, 40, 0};
  Vec3 outward = InwardAt(d) * -1.0f;
  SurfaceHit hit;
  ASSERT_TRUE(tree_.SphereCast(centre, centre + outward * (kWallOffset + 100), 30, hit));
  EXPECT_EQ(hit.flag, static_cast<uint32_t>(kNoDriveWall));
  EXPECT_NEAR(platform::Dot(hit.normal, outward), -1, 1e-2f);
  EXPECT_NEAR(platform::Dot(hit.centre - centre, outward), kWallOffset - 30, 1.0f);
  Vec3 stop, normal;
  ASSERT_TRUE(tree_.SphereCastSimple(centre, centre + outward * (kWallOffset + 100), 30, stop, normal));
  ExpectNear(stop, hit.centre);
  ExpectNear(normal, hit.normal);
  // Short of the wall: nothing, and the outputs keep their values.
  stop = {1, 2, 3};
  EXPECT_FALSE(tree_.SphereCastSimple(centre, centre + outward * 100, 30, stop, normal));
  ExpectNear(stop, {1, 2, 3});
}

TEST_P(CircuitTest, CandidateCastsSeeOnlyTheLastQueryBox) {
  using namespace contentgen::test_world;
  Vec3 road = CentreAt(100);
  SurfaceHit hit;
  hit.flag = 77;
  tree_.QueryBox({9000, -1, 9000}, {9001, 1, 9001});
  EXPECT_TRUE(tree_.Candidates().empty());
  EXPECT_FALSE(tree_.SegmentHitInCandidates(road + Vec3{0, 10, 0}, road - Vec3{0, 10, 0}, hit));
  EXPECT_EQ(hit.flag, 77u);
  tree_.QueryBox(road - Vec3{1, 20, 1}, road + Vec3{1, 20, 1});
  EXPECT_TRUE(tree_.SegmentHitInCandidates(road + Vec3{0, 10, 0}, road - Vec3{0, 10, 0}, hit));
  EXPECT_TRUE(tree_.SweptSphereHitInCandidates(road + Vec3{0, 10, 0}, road - Vec3{0, 10, 0}, 5, hit));
  ExpectNear(hit.centre, road + Vec3{0, 5, 0});
  // Another place: the old candidates do not cover it.
  Vec3 far = CentreAt(Perimeter() / 2);
  EXPECT_FALSE(tree_.SegmentHitInCandidates(far + Vec3{0, 10, 0}, far - Vec3{0, 10, 0}, hit));
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
    const Vec3 queryMin = start - Vec3{200, 300, 200}, queryMax = start + Vec3{250, 100, 150};
    tree_.QueryBox(queryMin, queryMax);

    SurfaceHit fast, full;
    float best = kNoHitDistance;
    const Vec3 grow{radius, radius, radius};
    const Vec3 castMin = platform::ComponentMin(start, end) - grow, castMax = platform::ComponentMax(start, end) + grow;
    const bool sphereHit = tree_.SweptSphereHitInCandidates(start, end, radius, fast);
    ASSERT_EQ(sphereHit, g.SphereHitInList(tree_.Candidates(), start, end, castMin, castMax, radius, full, best));
    ASSERT_TRUE(SameHit(fast, full)) << "sphere cast " << i;
    hits += sphereHit;
    if (sphereHit && fast.flag < materialsHit.size()) materialsHit[fast.flag] = true;

    fast = full = {};
    best = kNoHitDistance;
    const Vec3 lineMin = platform::ComponentMin(start, end), lineMax = platform::ComponentMax(start, end);
    ASSERT_EQ(tree_.SegmentHitInCandidates(start, end, fast),
              g.SegmentHitInList(tree_.Candidates(), start, end, lineMin, lineMax, full, best));
    ASSERT_TRUE(SameHit(fast, full)) << "segment cast " << i;

    // The self-contained casts against the list a query of their own box gives.
    fast = full = {};
    best = kNoHitDistance;
    const bool ownHit = tree_.SphereCast(start, end, radius, fast);
    tree_.QueryBox(castMin, castMax);
    ASSERT_EQ(ownHit, g.SphereHitInList(tree_.Candidates(), start, end, castMin, castMax, radius, full, best));
    ASSERT_TRUE(SameHit(fast, full)) << "own sphere cast " << i;
    fast = full = {};
    best = kNoHitDistance;
    const bool ownSegmentHit = tree_.SegmentCast(start, end, fast);
    tree_.QueryBox(lineMin, lineMax);
    ASSERT_EQ(ownSegmentHit, g.SegmentHitInList(tree_.Candidates(), start, end, lineMin, lineMax, full, best));
    ASSERT_TRUE(SameHit(fast, full)) << "own segment cast " << i;
  }
  // The draw hits often and on every kind of surface, so the comparison above means something.
  EXPECT_GT(hits, 1000);
  EXPECT_GE(std::count(materialsHit.begin(), materialsHit.end(), true), 5);
}

INSTANTIATE_TEST_SUITE_P(OctreeAndQuadtree, CircuitTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Quadtree" : "Octree"; });

}  // namespace
}  // namespace geometry
