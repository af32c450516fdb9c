// Tests of scene markers and light nodes: matrix clean-up and the light each node kind builds.
#include "geometry/scene_records.h"

#include <gtest/gtest.h>

namespace geometry {
namespace {

using platform::gfx::LightType;

TEST(SceneMarker, KeepsRotationRowsAndForcesTheLastRowAndColumn) {
  Matrix4 m;
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col) m.m[row][col] = static_cast<float>(row * 4 + col + 1);
  SceneMarker marker("START1", {1, 2, 3}, m);
  EXPECT_EQ(marker.name, "START1");
  EXPECT_TRUE(marker.leadingString.empty());
  EXPECT_EQ(marker.position.z, 3);
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) EXPECT_EQ(marker.matrix.m[row][col], m.m[row][col]);
    EXPECT_EQ(marker.matrix.m[row][3], 0);
  }
  EXPECT_EQ(marker.matrix.m[3][0], 0);
  EXPECT_EQ(marker.matrix.m[3][1], 0);
  EXPECT_EQ(marker.matrix.m[3][2], 0);
  EXPECT_EQ(marker.matrix.m[3][3], 1);
}

TEST(SceneNode, SpotLightsNormaliseTheirDirection) {
  for (int32_t kind : {1, 3}) {
    SceneNode node("LAMP", kind, 250, {1, 2, 3}, {0, -4, 0}, {0.5f, 0.25f, 1});
    EXPECT_EQ(node.light.type, LightType::Spot);
    EXPECT_EQ(node.kind, kind);
    EXPECT_FLOAT_EQ(node.direction.y, -1);
    EXPECT_FLOAT_EQ(node.light.direction.y, -1);
    EXPECT_FLOAT_EQ(node.light.position.z, 3);
    EXPECT_FLOAT_EQ(node.light.range, 250);
    EXPECT_FLOAT_EQ(node.light.theta, 0.5f);
    EXPECT_FLOAT_EQ(node.light.phi, 1.0f);
    EXPECT_FLOAT_EQ(node.light.falloff, 1.0f);
    EXPECT_FLOAT_EQ(node.light.attenuation0, 1.0f);
    EXPECT_FLOAT_EQ(node.light.diffuse.g, 0.25f);
    EXPECT_FLOAT_EQ(node.light.specular.b, 1);
    EXPECT_EQ(node.light.diffuse.a, 0);
    EXPECT_EQ(node.light.ambient.r, 0);
  }
}

TEST(SceneNode, DirectionalKindsBecomeKindTwo) {
  SceneNode four("SUN", 4, 10, {5, 5, 5}, {3, 0, 4}, {1, 1, 1});
  EXPECT_EQ(four.kind, 2);
  EXPECT_EQ(four.light.type, LightType::Directional);
  EXPECT_FLOAT_EQ(four.light.direction.x, 0.6f);
  EXPECT_FLOAT_EQ(four.light.direction.z, 0.8f);
  EXPECT_EQ(four.light.position.x, 0);
  EXPECT_EQ(four.light.range, 0);
  SceneNode zeroDirection("SUN", 2, 10, {}, {}, {1, 1, 1});
  EXPECT_EQ(zeroDirection.light.direction.y, 0);  // no NaN from a missing direction
}

TEST(SceneNode, OtherKindsArePointLightsAndRangeIsShared) {
  for (int32_t kind : {0, 5, -1}) {
    SceneNode node("FLARE", kind, 500, {7, 8, 9}, {0, 0, 5}, {1, 0, 0});
    EXPECT_EQ(node.light.type, LightType::Point);
    EXPECT_EQ(node.kind, kind);
    EXPECT_FLOAT_EQ(node.light.position.y, 8);
    EXPECT_FLOAT_EQ(node.light.attenuation0, 1);
    EXPECT_FLOAT_EQ(node.range, 500);
    EXPECT_FLOAT_EQ(node.light.range, 500);
    EXPECT_FLOAT_EQ(node.direction.z, 5);  // left as read
  }
  SceneNode node("FLARE", 0, 500, {}, {}, {1, 1, 1});
  node.SetRange(75);
  EXPECT_FLOAT_EQ(node.range, 75);
  EXPECT_FLOAT_EQ(node.light.range, 75);
}

}  // namespace
}  // namespace geometry
