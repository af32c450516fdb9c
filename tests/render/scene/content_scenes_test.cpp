// The sample scenes: the city track's drawn surface is where its collision world is driven, and the showroom's
// textures are found beside it with its wall screen playing its movie.
#include <gtest/gtest.h>

#include "contentgen/col_writer.h"
#include "contentgen/showroom_scene.h"
#include "contentgen/test_world.h"
#include "contentgen/track_scene.h"
#include "geometry/collision_tree.h"
#include "render/resources/movie_texture.h"
#include "render/scene/scene_test_support.h"

namespace {

class ContentScenesTest : public scene_test::SceneFixture {
 protected:
  std::unique_ptr<render::Scene> LoadEncoded(const contentgen::ScnFile& file, bool keepGeometry = true) {
    return LoadBytes(contentgen::EncodeSceneFile(file), keepGeometry);
  }
};

TEST_F(ContentScenesTest, TrackSceneMatchesTheCollisionWorld) {
  const contentgen::ColFile world = contentgen::BuildTestWorld();
  auto scene = LoadEncoded(contentgen::BuildTrackScene());
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

TEST_F(ContentScenesTest, WrittenScenesLoadThroughTheResourceManager) {
  ASSERT_TRUE(contentgen::WriteShowroomScene(folder_));
  render::Scene* showroom =
      render::LoadScene(*manager_, device_, "showroom\\SHOWROOM.SCN", "", true, true, true, false);
  ASSERT_FALSE(showroom->parts.empty());
  render::MovieTexture* screen = nullptr;
  for (render::ImageResource* image : showroom->materialImages) {
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(image->loaded) << "every texture is found beside the scene";
    if (image->colourMovie != nullptr) screen = image->colourMovie;
  }
  // The wall screen plays its movie: the manager moves it on frame by frame.
  ASSERT_NE(screen, nullptr);
  ASSERT_TRUE(screen->opened);
  const uint32_t before = screen->currentFrame;
  manager_->Update(1.0f / 5);
  EXPECT_NE(screen->currentFrame, before);
  render::ReleaseScene(*manager_, showroom);
}

}  // namespace
