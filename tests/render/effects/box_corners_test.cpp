// Box corners: the world box of a transformed local box and its eight corners in bit order.
#include "render/effects/box_corners.h"

#include <gtest/gtest.h>

#include "platform/math/math.h"

namespace {

using platform::Vec3;
using render::BoxCorners;

TEST(BoxCorners, WorldBoxAndCornersFollowTheTransform) {
  BoxCorners turned({-1, -1, -1}, {1, 1, 1});
  turned.BoxTransform(platform::RotationYMatrix(platform::kPi / 4));
  EXPECT_NEAR(turned.worldMin.x, -1.41421f, 1e-4f);
  EXPECT_NEAR(turned.worldMax.z, 1.41421f, 1e-4f);
  EXPECT_NEAR(turned.worldMax.y, 1.0f, 1e-5f) << "a turn about y leaves the height";

  BoxCorners moved({0, 0, 0}, {1, 2, 3});
  moved.BoxTransform(platform::TranslationMatrix(10, 20, 30));
  const Vec3 expected[8] = {{10, 20, 30}, {11, 20, 30}, {10, 22, 30}, {11, 22, 30},
                            {10, 20, 33}, {11, 20, 33}, {10, 22, 33}, {11, 22, 33}};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(moved.corners[i], expected[i]) << i;
  EXPECT_EQ(moved.localMin, (Vec3{0, 0, 0})) << "the local box is kept";

  BoxCorners point({0, 0, 0}, {0, 0, 0});
  point.BoxTransform(platform::TranslationMatrix(5, -6, 7));
  for (const Vec3& corner : point.corners) EXPECT_EQ(corner, (Vec3{5, -6, 7}));
}

}  // namespace
