// Tests of the ground shadow draped under a car: just above the ground, fading with height, dropping out over
// holes and without ground. The shadow's picture in a race frame is tested on the display (race_frame_test).
#include "vehicle/ground_shadow.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/math/math.h"

namespace vehicle {
namespace {

using platform::Vec3;

// Flat ground at a height, with a square hole; casts straight down only.
class FlatGround final : public VehicleWorld {
 public:
  void QueryWorldBox(const Vec3&, const Vec3&) override {}
  bool CastSphere(const Vec3& start, const Vec3& end, float, bool testCars, SphereHit& hit) override {
    EXPECT_FALSE(testCars) << "the shadow never looks at cars";
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
};

platform::Matrix4 CarAt(Vec3 position, float yaw = 0) {
  return platform::RotationYMatrix(yaw) * platform::TranslationMatrix(position);
}

TEST(GroundShadow, DrapesJustAboveTheGroundAndFadesWithHeight) {
  FlatGround ground;
  ground.height = 5;
  GroundShadow shadow(nullptr, 4, 4, 102, 100, -100);
  shadow.Update(ground, CarAt({300, 15, -40}));
  const uint32_t level = static_cast<uint32_t>(0.95f * 255.0f + 0.5f);  // 10 inches up
  for (const ShadowVertex& vertex : shadow.Vertices()) {
    EXPECT_FLOAT_EQ(vertex.y, 5.0f - 15.0f + kShadowLift);
    EXPECT_EQ(vertex.colour, level << 24 | level << 16 | level << 8 | level);
  }
  // Rows run from the front edge to the rear, columns from the car's left to its right.
  EXPECT_FLOAT_EQ(shadow.Vertices()[0].x, -51.0f);
  EXPECT_FLOAT_EQ(shadow.Vertices()[15].z, -100.0f);

  ground.height = 0;
  shadow.Update(ground, CarAt({0, 100, 0}));
  EXPECT_EQ(shadow.Vertices()[5].colour, 0x80808080u) << "halfway up";
  shadow.Update(ground, CarAt({0, 200, 0}));
  for (const ShadowVertex& vertex : shadow.Vertices()) EXPECT_EQ(vertex.colour, 0u);
}

TEST(GroundShadow, PointsOverAHoleOrWithoutGroundAreInvisible) {
  FlatGround ground;
  GroundShadow shadow(nullptr, 4, 4, 102, 100, -100);
  ground.holeX = -51;  // under the front-left corner only
  ground.holeZ = 100;
  ground.holeHalf = 5;
  shadow.Update(ground, CarAt({0, 0, 0}));
  EXPECT_EQ(shadow.Vertices()[0].colour, 0u);
  EXPECT_FLOAT_EQ(shadow.Vertices()[0].y, 0.0f) << "dropped to the centre's ground";
  EXPECT_EQ(shadow.Vertices()[1].colour, 0xffffffffu);
  ground.present = false;
  shadow.Update(ground, CarAt({0, 10, 0}));
  for (const ShadowVertex& vertex : shadow.Vertices()) EXPECT_EQ(vertex.colour, 0u);
}

}  // namespace
}  // namespace vehicle
