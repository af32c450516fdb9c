// How a scene file's corners become vertices: corners that share a position and everything else share one
// vertex, while a corner at a shared position with its own texture coordinates (a texture seam) gets its own.
#include <gtest/gtest.h>

#include <cstring>

#include "render/scene/scene_test_support.h"

namespace {

struct PlainVertex {
  float x, y, z;
  uint32_t colour;
  float u, v;
};

class ScenePartRulesTest : public scene_test::SceneFixture {};

TEST_F(ScenePartRulesTest, ACornerWithItsOwnUvAtASharedPositionGetsItsOwnVertex) {
  contentgen::ScnFile file;
  file.materials = {scene_test::Material("A", 0)};
  contentgen::ScnPart part;
  part.positions = {{0, 0, 0}, {0, 0, 10}, {10, 0, 10}, {10, 0, 0}};
  // Two triangles; the second reuses positions 0 and 2. Its corner at position 2 repeats the uv of the first
  // triangle's (welded), its corner at position 0 has another uv (a seam).
  part.positionIndices = {0, 1, 2, 0, 2, 3};
  part.hasUv = 1;
  part.uvs = {{0, 0}, {0, 1}, {1, 1}, {0.5f, 0.5f}, {1, 0}};
  part.uvIndices = {0, 1, 2, 3, 2, 4};
  part.batches.push_back({0, 0, {{0, 1, 2}, {3, 4, 5}}});
  file.parts.push_back(part);
  auto scene = LoadFile(file);
  ASSERT_EQ(scene->parts.size(), 1u);
  const render::ScenePart& packed = *scene->parts[0];
  EXPECT_EQ(packed.vertexCount, 5u) << "four positions and one seam";
  ASSERT_NE(packed.vertexBuffer, nullptr);
  ASSERT_EQ(packed.stride, sizeof(PlainVertex));

  uint8_t* data = nullptr;
  ASSERT_EQ(packed.vertexBuffer->Lock(0, 0, &data, platform::gfx::lock_flags::kReadOnly), platform::kOk);
  std::vector<PlainVertex> vertices(packed.vertexCount);
  std::memcpy(vertices.data(), data, vertices.size() * sizeof(PlainVertex));
  packed.vertexBuffer->Unlock();
  int atOrigin = 0;
  bool seamUv = false, firstUv = false;
  for (const PlainVertex& vertex : vertices) {
    if (vertex.x != 0 || vertex.z != 0) continue;
    ++atOrigin;
    // Files store v upside down; either way the two corners must keep different coordinates.
    if (vertex.u == 0.5f) seamUv = true;
    if (vertex.u == 0.0f) firstUv = true;
  }
  EXPECT_EQ(atOrigin, 2);
  EXPECT_TRUE(seamUv);
  EXPECT_TRUE(firstUv);
}

}  // namespace
