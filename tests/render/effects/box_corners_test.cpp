// Box corners: the world box of a transformed local box and its eight corners in bit order.
#include "render/effects/box_corners.h"

#include <gtest/gtest.h>

#include "platform/math/math.h"

namespace {

using platform::Vec3;
using render::BoxCorners;

TEST(BoxCorners, StartsWithTheGivenBoxAsBothLocalAndWorld) {
  const BoxCorners box({-1, -2, -3}, {4, 5, 6});
  EXPECT_EQ(box.localMin, (Vec3{-1, -2, -3}));
  EXPECT_EQ(box.worldMin, (Vec3{-1, -2, -3}));
  EXPECT_EQ(box.localMax, (Vec3{4, 5, 6}));
  EXPECT_EQ(box.worldMax, (Vec3{4, 5, 6}));
}

TEST(BoxCorners, RotationAboutYWidensTheWorldBoxInXAndZOnly) {
  BoxCorners box({-1, -1, -1}, {1, 1, 1});
  box.BoxTransform(platform::RotationYMatrix(platform::kPi / 4));
  EXPECT_NEAR(box.worldMin.x, -1.41421f, 1e-4f);
  EXPECT_NEAR(box.worldMax.x, 1.41421f, 1e-4f);
  EXPECT_NEAR(box.worldMin.z, -1.41421f, 1e-4f);
  EXPECT_NEAR(box.worldMax.z, 1.41421f, 1e-4f);
  EXPECT_NEAR(box.worldMin.y, -1.0f, 1e-5f);
  EXPECT_NEAR(box.worldMax.y, 1.0f, 1e-5f);
}

TEST(BoxCorners, CornersFollowTheBitOrderOfTheWorldBox) {
  BoxCorners box({0, 0, 0}, {1, 2, 3});
  box.BoxTransform(platform::TranslationMatrix(10, 20, 30));
  EXPECT_EQ(box.corners[0], (Vec3{10, 20, 30}));
  EXPECT_EQ(box.corners[1], (Vec3{11, 20, 30}));
  EXPECT_EQ(box.corners[2], (Vec3{10, 22, 30}));
  EXPECT_EQ(box.corners[3], (Vec3{11, 22, 30}));
  EXPECT_EQ(box.corners[4], (Vec3{10, 20, 33}));
  EXPECT_EQ(box.corners[7], (Vec3{11, 22, 33}));
  EXPECT_EQ(box.localMin, (Vec3{0, 0, 0})) << "the local box is kept";
}

TEST(BoxCorners, ZeroBoxTranslatedGivesEightEqualCorners) {
  BoxCorners box({0, 0, 0}, {0, 0, 0});
  box.BoxTransform(platform::TranslationMatrix(5, -6, 7));
  for (const Vec3& corner : box.corners) EXPECT_EQ(corner, (Vec3{5, -6, 7}));
}

TEST(BoxCorners, OverwrittenLocalBoxIsUsedByTheNextTransform) {
  BoxCorners box({0, 0, 0}, {0, 0, 0});
  box.localMin = {-2, 0, 0};
  box.localMax = {2, 1, 0};
  box.BoxTransform(platform::ScalingMatrix(2, 2, 2));
  EXPECT_EQ(box.worldMin, (Vec3{-4, 0, 0}));
  EXPECT_EQ(box.worldMax, (Vec3{4, 2, 0}));
}

}  // namespace
