// The scene's render partition: collection by frustum into kind and material lists, and a node inside the
// frustum's box taken whole.
#include <gtest/gtest.h>

#include "platform/math/math.h"
#include "render/scene/scene_test_support.h"

namespace {

using contentgen::ScnFile;
using geometry::MaterialKind;
using scene_test::Material;
using scene_test::Square;

class SceneTreeTest : public scene_test::SceneFixture {
 protected:
  // Ten squares along x every 1000 inches, materials alternating 0 and 1.
  ScnFile Row() {
    ScnFile file;
    file.materials = {Material("A", 0), Material("B", 1)};
    for (int i = 0; i < 10; ++i) file.parts.push_back(Square(i * 1000.0f, 0, 100, static_cast<int16_t>(i % 2)));
    return file;
  }
  // Looking along +z from (x, 50, -1000), a narrow view.
  static render::ViewFrustum ViewFrom(float x, float farClip = 3000) {
    render::ViewFrustum frustum;
    const platform::Matrix4 view = platform::LookAtLH({x, 50, -1000}, {x, 50, 0}, {0, 1, 0});
    frustum.BuildOrdinary(view, platform::PerspectiveFovLH(0.5f, 1.0f, 1.0f, farClip));
    return frustum;
  }
  static size_t Total(const render::SceneBuckets& buckets) {
    size_t count = 0;
    for (const auto& kind : buckets)
      for (const auto& list : kind) count += list.size();
    return count;
  }
};

TEST_F(SceneTreeTest, CollectsOnlyPiecesInsideTheView) {
  for (bool quadtree : {true, false}) {
    auto scene = LoadFile(Row(), false, quadtree);
    scene->CollectVisible(ViewFrom(3000));
    ASSERT_EQ(Total(scene->visibleParts), 1u) << quadtree;
    ASSERT_EQ(scene->visibleParts[0][1].size(), 1u) << "square 3 uses material 1";
    EXPECT_FLOAT_EQ(scene->visibleParts[0][1][0]->boxMin.x, 2950);

    scene->CollectVisible(ViewFrom(3000, 100));
    EXPECT_EQ(Total(scene->visibleParts), 0u) << "beyond the far plane";
    scene->CollectVisible(ViewFrom(50000));
    EXPECT_EQ(Total(scene->visibleParts), 0u);
    EXPECT_EQ(scene->visibleParts[0].size(), 2u) << "the lists themselves stay";
  }
}

TEST_F(SceneTreeTest, ANodeInsideTheFrustumBoxIsTakenWithoutPlaneTests) {
  ScnFile file;
  file.materials = {Material("A", 0)};
  file.parts = {Square(-900, 100, 10, 0), Square(900, 900, 10, 0)};
  auto scene = LoadFile(file, false);
  render::ViewFrustum frustum;
  const platform::Matrix4 view = platform::LookAtLH({0, 0, -1000}, {0, 0, 0}, {0, 1, 0});
  frustum.BuildOrdinary(view, platform::PerspectiveFovLH(0.5f, 1.0f, 1.0f, 5000));
  const render::MeshPart* aside = scene->allParts[0][0][0];
  ASSERT_FALSE(render::BoxInFrustum(frustum, aside->corners)) << "the planes alone would reject it";
  scene->CollectVisible(frustum);
  EXPECT_EQ(scene->visibleParts[0][0].size(), 2u) << "its node lies wholly inside the frustum's box";
}

}  // namespace
