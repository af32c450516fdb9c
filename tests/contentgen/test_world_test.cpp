// Tests of the procedural city circuit: its racing line and grid lie on drivable road, and walls face the road
// on both sides.
#include "contentgen/test_world.h"

#include <gtest/gtest.h>

#include <string>

#include "geometry/collision_tree.h"
#include "platform/math/math.h"

namespace contentgen {
namespace {

using namespace test_world;
using platform::Vec3;

class TestWorld : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::vector<unsigned char> bytes = EncodeCollisionFile(BuildTestWorld());
    tree_ = new geometry::CollisionTree;
    ASSERT_TRUE(tree_->LoadFromMemory(bytes.data(), bytes.size(), "city.COL", true));
  }
  static void TearDownTestSuite() { delete tree_; }

  // Material under a point, or −1 when nothing is below it.
  static int MaterialBelow(const Vec3& point) {
    geometry::SurfaceHit hit;
    if (!tree_->SegmentCast(point + Vec3{0, 200, 0}, point - Vec3{0, 50, 0}, hit)) return -1;
    return static_cast<int>(hit.flag);
  }
  static bool Drivable(int material) {
    return material == kPave || material == kDirt || material == kCobble || material == kRamp;
  }

  static geometry::CollisionTree* tree_;
};
geometry::CollisionTree* TestWorld::tree_ = nullptr;

TEST_F(TestWorld, RacingLineAndGridLieOnDrivableRoad) {
  ASSERT_FALSE(tree_->Paths().empty());
  const geometry::Path& line = *tree_->Paths()[0];
  EXPECT_EQ(line.Name(), "AIPATH1");
  EXPECT_TRUE(line.Closed());
  // Out to the road's edge through every corner: longer than the centreline by at most the four swings.
  EXPECT_GT(line.TotalLength(), Perimeter() + kRacingLineOffset);
  EXPECT_LT(line.TotalLength(), Perimeter() + 2 * platform::kPi * kRacingLineOffset * 1.2f);
  for (size_t i = 0; i < line.PointCount(); ++i) EXPECT_TRUE(Drivable(MaterialBelow(line.GetPoint(i)))) << "point " << i;
  int starts = 0;
  for (const auto& marker : tree_->Markers()) {
    if (marker->name.rfind("START", 0) != 0) continue;
    ++starts;
    EXPECT_EQ(MaterialBelow(marker->position), kPave) << marker->name;
    // Facing +x: the marker's forward row.
    EXPECT_FLOAT_EQ(marker->matrix.m[2][0], 1);
  }
  EXPECT_EQ(starts, 8);
}

TEST_F(TestWorld, WallsFaceTheRoadOnBothSides) {
  for (float fraction : {0.0f, 0.2f, 0.45f, 0.7f, 0.9f}) {
    float d = Perimeter() * fraction;
    Vec3 centre = CentreAt(d) + Vec3{0, 60, 0};
    for (float side : {-1.0f, 1.0f}) {
      Vec3 direction = InwardAt(d) * side;
      geometry::SurfaceHit hit;
      ASSERT_TRUE(tree_->SegmentCast(centre, centre + direction * (kWallOffset + 50), hit)) << fraction << " " << side;
      EXPECT_EQ(hit.flag, static_cast<uint32_t>(kWall));
      EXPECT_NEAR(platform::Dot(hit.normal, direction), -1, 0.05f);
      EXPECT_NEAR(platform::Length(hit.point - centre), kWallOffset, 5);
    }
  }
}

}  // namespace
}  // namespace contentgen
