// Tests of the ground shadow: grid and index layout, draping over the ground with the fade by height, holes,
// placement under a turned car, flat placement and the draw call.
#include "vehicle/ground_shadow.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "contentgen/test_world.h"
#include "geometry/collision_tree.h"
#include "platform/gfx/null_graphics.h"
#include "vehicle/null_device_fixture.h"
#include "platform/math/math.h"

namespace vehicle {
namespace {

using platform::Vec3;
namespace gfx = platform::gfx;

// Flat ground at a height, with a square hole; casts straight down only.
class FlatGround final : public VehicleWorld {
 public:
  void QueryWorldBox(const Vec3&, const Vec3&) override {}
  bool CastSphere(const Vec3& start, const Vec3& end, float, bool testCars, SphereHit& hit) override {
    EXPECT_FALSE(testCars) << "the shadow never looks at cars";
    ++casts;
    if (!present || start.y < height || end.y > height) return false;
    if (std::fabs(start.x - holeX) < holeHalf && std::fabs(start.z - holeZ) < holeHalf) return false;
    hit.contact = {start.x, height, start.z};
    hit.normal = {0, 1, 0};
    return true;
  }
  int CountCarsNear(const Vec3&, float) const override { return 0; }

  float height = 0;
  bool present = true;
  float holeX = 1e6f, holeZ = 1e6f, holeHalf = 0;
  int casts = 0;
};

// The test world's collision file answering downward casts.
class TrackGround final : public VehicleWorld {
 public:
  explicit TrackGround(const geometry::CollisionTree& tree) : tree_(tree) {}
  void QueryWorldBox(const Vec3&, const Vec3&) override {}
  bool CastSphere(const Vec3& start, const Vec3& end, float, bool, SphereHit& hit) override {
    geometry::SurfaceHit surface;
    if (!tree_.SegmentCast(start, end, surface)) return false;
    hit.contact = surface.point;
    hit.normal = surface.normal;
    return true;
  }
  int CountCarsNear(const Vec3&, float) const override { return 0; }

 private:
  const geometry::CollisionTree& tree_;
};

using testing::NullDeviceFixture;

platform::Matrix4 CarAt(Vec3 position, float yaw = 0) {
  return platform::RotationYMatrix(yaw) * platform::TranslationMatrix(position);
}

TEST(GroundShadow, FourByFourGridHasNineDoubleSidedCells) {
  GroundShadow shadow(nullptr, 4, 4, 102, 100, -100);
  EXPECT_EQ(shadow.vertexCount, 16u);
  EXPECT_EQ(shadow.indexCount, 108u);
  ASSERT_EQ(shadow.Indices().size(), 108u);
  // The first cell: two triangles one way, the same two the other way round.
  const std::vector<uint16_t> first(shadow.Indices().begin(), shadow.Indices().begin() + 12);
  EXPECT_EQ(first, (std::vector<uint16_t>{0, 1, 5, 0, 5, 4, 5, 1, 0, 4, 5, 0}));
  // The last cell starts at row 2, column 2.
  EXPECT_EQ(shadow.Indices()[96], 10);
  EXPECT_FLOAT_EQ(shadow.Vertices()[7].u, 1.0f);
  EXPECT_FLOAT_EQ(shadow.Vertices()[7].v, 1.0f / 3.0f);
  EXPECT_EQ(shadow.Vertices()[0].colour, 0xff000000u);

  GroundShadow strip(nullptr, 4, 1, 100, 10, -10);
  EXPECT_EQ(strip.indexCount, 0u);
  EXPECT_TRUE(strip.Indices().empty());
}

TEST(GroundShadow, RestingCarDrapesEveryVertexJustAboveTheGround) {
  FlatGround ground;
  ground.height = 5;
  GroundShadow shadow(nullptr, 4, 4, 102, 100, -100);
  shadow.Update(ground, CarAt({300, 15, -40}));
  EXPECT_EQ(ground.casts, 17) << "one cast under the centre and one per grid point";
  // D is 10 inches long: fade 0.95.
  const uint32_t level = static_cast<uint32_t>(0.95f * 255.0f + 0.5f);
  const uint32_t grey = level << 24 | level << 16 | level << 8 | level;
  EXPECT_FLOAT_EQ(shadow.groundPoint.y, 5.0f);
  for (const ShadowVertex& vertex : shadow.Vertices()) {
    EXPECT_FLOAT_EQ(vertex.y, 5.0f - 15.0f + 0.5f);
    EXPECT_EQ(vertex.colour, grey);
  }
  // Rows run from the front edge to the rear, columns from the car's left to its right.
  EXPECT_FLOAT_EQ(shadow.Vertices()[0].x, -51.0f);
  EXPECT_FLOAT_EQ(shadow.Vertices()[0].z, 100.0f);
  EXPECT_FLOAT_EQ(shadow.Vertices()[15].x, 51.0f);
  EXPECT_FLOAT_EQ(shadow.Vertices()[15].z, -100.0f);
}

TEST(GroundShadow, FadesOutWithHeightAndVanishesWithoutGround) {
  FlatGround ground;
  GroundShadow shadow(nullptr, 4, 4, 100, 100, -100);
  shadow.Update(ground, CarAt({0, 100, 0}));
  EXPECT_EQ(shadow.Vertices()[5].colour, 0x80808080u) << "halfway up: int(0.5 × 255 + 0.5) = 128";
  shadow.Update(ground, CarAt({0, 200, 0}));
  for (const ShadowVertex& vertex : shadow.Vertices()) EXPECT_EQ(vertex.colour, 0u);
  ground.present = false;
  shadow.Update(ground, CarAt({0, 10, 0}));
  for (const ShadowVertex& vertex : shadow.Vertices()) {
    EXPECT_EQ(vertex.colour, 0u);
    EXPECT_FLOAT_EQ(vertex.y, -10000.0f);
  }
}

TEST(GroundShadow, PointOverAHoleDropsToTheCentresGroundInvisibly) {
  FlatGround ground;
  GroundShadow shadow(nullptr, 4, 4, 102, 100, -100);
  ground.holeX = -51;  // under the front-left corner only
  ground.holeZ = 100;
  ground.holeHalf = 5;
  shadow.Update(ground, CarAt({0, 0, 0}));
  EXPECT_EQ(shadow.Vertices()[0].colour, 0u);
  EXPECT_FLOAT_EQ(shadow.Vertices()[0].x, -51.0f);
  EXPECT_FLOAT_EQ(shadow.Vertices()[0].y, 0.0f);
  EXPECT_EQ(shadow.Vertices()[1].colour, 0xffffffffu);
  EXPECT_FLOAT_EQ(shadow.Vertices()[1].y, 0.5f);
}

TEST(GroundShadow, GridTurnsWithTheCarButStaysLevel) {
  FlatGround ground;
  GroundShadow shadow(nullptr, 2, 2, 100, 100, -100);
  // Turned a quarter to the right: the car's forward is world +x, its right world −z.
  shadow.Update(ground, CarAt({0, 0, 0}, 3.14159265f / 2));
  const Vec3 frontLeft{shadow.Vertices()[0].x, 0, shadow.Vertices()[0].z};
  EXPECT_NEAR(frontLeft.x, 100, 1e-3f);
  EXPECT_NEAR(frontLeft.z, 50, 1e-3f);
  // A pitched car still lays a level grid: the column and row steps have no height.
  shadow.PlaceFlat({0, 0, 0}, platform::RotationXMatrix(0.3f));
  EXPECT_FLOAT_EQ(shadow.Vertices()[0].y, shadow.Vertices()[1].y);
  EXPECT_FLOAT_EQ(shadow.Vertices()[0].y, shadow.Vertices()[2].y);
}

TEST(GroundShadow, RestsOnTheTestWorldsRoad) {
  contentgen::ColFile file = contentgen::BuildTestWorld();
  std::vector<unsigned char> bytes = contentgen::EncodeCollisionFile(file);
  geometry::CollisionTree tree;
  ASSERT_TRUE(tree.LoadFromMemory(bytes.data(), bytes.size(), "city.COL", true));
  TrackGround track(tree);
  GroundShadow shadow(nullptr, 4, 4, 102, 100, -100);
  const Vec3 start = contentgen::test_world::CentreAt(0) + Vec3{0, 12, 0};
  shadow.Update(track, CarAt(start));
  for (const ShadowVertex& vertex : shadow.Vertices()) {
    EXPECT_NE(vertex.colour, 0u);
    EXPECT_NEAR(vertex.y, -12.0f + kShadowLift, 0.01f);
  }
}

TEST(GroundShadow, FlatPlacementIsOpaqueWhiteAtTheOffset) {
  FlatGround ground;
  GroundShadow shadow(nullptr, 4, 4, 100, 100, -100);
  shadow.PlaceFlat({0, -20, 0}, CarAt({10, 30, 50}));
  EXPECT_EQ(ground.casts, 0);
  EXPECT_FLOAT_EQ(shadow.origin.x, 10.0f);
  EXPECT_FLOAT_EQ(shadow.origin.y, 10.0f);
  for (const ShadowVertex& vertex : shadow.Vertices()) {
    EXPECT_EQ(vertex.colour, 0xffffffffu);
    EXPECT_FLOAT_EQ(vertex.y, 0.0f);
  }
}

TEST(GroundShadow, DrawsOneIndexedListFromItsOrigin) {
  NullDeviceFixture fixture;
  ASSERT_NE(fixture.device, nullptr);
  FlatGround ground;
  GroundShadow shadow(fixture.device, 4, 4, 100, 100, -100);
  ASSERT_TRUE(shadow.HasBuffers());
  shadow.Update(ground, CarAt({7, 20, 9}));
  const platform::Matrix4 view = platform::TranslationMatrix(0, 0, 500);
  shadow.Render(fixture.device, view);
  ASSERT_EQ(fixture.Null().Draws().size(), 1u);
  const gfx::NullDrawRecord& draw = fixture.Null().Draws()[0];
  EXPECT_EQ(draw.kind, gfx::NullDrawRecord::Kind::IndexedPrimitive);
  EXPECT_EQ(draw.primitiveCount, 36u);
  EXPECT_EQ(draw.fvf, kShadowVertexFormat);
  platform::Matrix4 set;
  fixture.device->GetTransform(gfx::TransformState::View, set);
  EXPECT_FLOAT_EQ(set.m[3][0], 7.0f);
  EXPECT_FLOAT_EQ(set.m[3][1], 20.0f);
  EXPECT_FLOAT_EQ(set.m[3][2], 509.0f);

  GroundShadow strip(fixture.device, 4, 1, 100, 10, -10);
  strip.Render(fixture.device, view);
  EXPECT_EQ(fixture.Null().Draws().size(), 1u) << "a one-row grid draws nothing";
}

}  // namespace
}  // namespace vehicle
