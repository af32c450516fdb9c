// The sample city: its drawn surface is where its collision world is driven.
#include <gtest/gtest.h>

#include "contentgen/col_writer.h"
#include "contentgen/test_world.h"
#include "contentgen/track_scene.h"
#include "geometry/collision_tree.h"
#include "render/scene/scene_test_support.h"

namespace {

class ContentScenesTest : public scene_test::SceneFixture {};

TEST_F(ContentScenesTest, TrackSceneMatchesTheCollisionWorld) {
  const contentgen::ColFile world = contentgen::BuildTestWorld();
  auto scene = LoadBytes(contentgen::EncodeSceneFile(contentgen::BuildTrackScene()));
  ASSERT_EQ(scene->parts.size(), world.blocks.size());
  size_t worldTriangles = 0;
  for (const auto& block : world.blocks)
    for (const auto& group : block.groups) worldTriangles += group.triangles.size();
  EXPECT_EQ(scene->triangleCount, worldTriangles);
  EXPECT_EQ(scene->materialNames, world.materialNames);
  EXPECT_EQ(scene->paths.size(), world.paths.size());
  EXPECT_NE(scene->FindPath("AIPATH1"), nullptr);
  EXPECT_NE(scene->FindMarker("START1"), nullptr);
  EXPECT_TRUE(scene->HasReflectiveParts()) << "the pond";

  const std::vector<unsigned char> colBytes = contentgen::EncodeCollisionFile(world);
  geometry::CollisionTree tree;
  ASSERT_TRUE(tree.LoadFromMemory(colBytes.data(), colBytes.size(), "city.COL", true));
  // Drop a line onto the racing line every so often: the drawn surface is where the driven one is.
  const geometry::Path* line = scene->FindPath("AIPATH1");
  for (size_t i = 0; i < line->PointCount(); i += 7) {
    const platform::Vec3 p = line->GetPoint(i);
    const platform::Vec3 top{p.x, 500, p.z}, bottom{p.x, -500, p.z};
    geometry::SurfaceHit driven, drawn;
    ASSERT_TRUE(tree.SegmentCast(top, bottom, driven)) << i;
    float best = geometry::kNoHitDistance;
    ASSERT_TRUE(scene->geometry.SegmentHit(top, bottom, {p.x - 1, -500, p.z - 1}, {p.x + 1, 500, p.z + 1}, drawn, best))
        << i;
    EXPECT_NEAR(drawn.point.y, driven.point.y, 0.01f) << i;
  }
}

}  // namespace
