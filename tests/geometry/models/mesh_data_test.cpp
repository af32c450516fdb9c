// Test of the device mesh of a static model under the damage morph: vertices move toward the damaged body by their
// sources after optimisation, never past it, and never toward a body of another shape.
#include "geometry/models/mesh_data.h"

#include <gtest/gtest.h>

#include <cstring>

#include "model_test_support.h"
#include "platform/gfx/memory_resources.h"

namespace {

using model_test::Vertices;
using platform::Vec3;

class MeshDataTest : public model_test::ModelFixture {};

TEST_F(MeshDataTest, DeformPullsNearVerticesTowardTheTargetNeverPastItAndIgnoresAnotherShape) {
  contentgen::MdlFile file = model_test::BoxesFile({model_test::Material("a", 0)});
  auto body = Load(file, false);
  for (Vec3& p : file.objects[0].positions) p.y -= p.y > 0.5f ? 0.5f : 0.0f;  // roof pushed down by 0.5
  auto damaged = Load(file, false, "damaged.mdl");
  const auto before = body->meshData->SourcePositions();
  body->DeformTowards(*damaged, {0, 1, 0}, 1.5f, 1.0f);  // not deformable yet
  EXPECT_EQ(body->meshData->SourcePositions(), before);
  body->MakeDeformable();
  for (int step = 0; step < 3; ++step) body->DeformTowards(*damaged, {0, 1, 0}, 1.5f, 0.5f);
  const auto after = body->meshData->SourcePositions();
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_LE(after[i].y, before[i].y);
    EXPECT_GE(after[i].y, damaged->meshData->SourcePositions()[i].y);
  }
  EXPECT_NE(after, before);
  const auto vertices = Vertices(*body->meshData);  // the vertex buffer follows
  for (size_t i = 0; i < vertices.size(); ++i) EXPECT_EQ(vertices[i].position.y, after[body->meshData->VertexSource()[i]].y);
  auto other = Load(model_test::BoxesFile({model_test::Material("a", 0), model_test::Material("b", 1)}), false,
                    "other.mdl");
  body->DeformTowards(*other, {0, 1, 0}, 100.0f, 1.0f);
  EXPECT_EQ(body->meshData->SourcePositions(), after);
}

// A batch takes its material's triangles from the cursor on, each twice with the winding reversed when
// double-sided, with their vertex range and box; a batch whose indices cannot be written keeps no faces and
// leaves the cursor. Corners go through the corner-to-vertex array.
TEST_F(MeshDataTest, FillWritesTheMaterialsTrianglesFromTheCursorOrLeavesTheBatchEmpty) {
  const std::vector<Vec3> positions = {{0, 0, 0}, {4, 0, 0}, {0, 2, 0}, {0, 0, 6}, {-1, 3, 0}};
  const std::vector<uint32_t> cornerVertices = {0, 1, 2, 3, 4, 2};
  const std::vector<geometry::MeshTriangle> triangles = {{0, 1, 2, 7}, {3, 4, 5, 9}, {1, 3, 4, 7}};
  platform::gfx::IndexBuffer* buffer = nullptr;
  ASSERT_EQ(device_->CreateIndexBuffer(64 * 2, platform::gfx::usage::kWriteOnly, platform::gfx::Format::Index16,
                                       platform::gfx::Pool::Managed, &buffer),
            platform::kOk);
  auto indexAt = [&](uint32_t i) {
    uint16_t value = 0;
    std::memcpy(&value, static_cast<platform::gfx::MemoryIndexBuffer*>(buffer)->Bytes().data() + i * 2, 2);
    return value;
  };
  const struct {
    int32_t material;
    bool doubleSided;
    uint32_t capacity;
    bool lockable;
    uint32_t faces;
    std::vector<uint16_t> written;
    uint32_t lowest, highest;
    Vec3 boxMin, boxMax;
    const char* what;
  } cases[] = {
      {7, false, 64, true, 2, {0, 1, 2, 1, 3, 4}, 0, 4, {-1, 0, 0}, {4, 3, 6}, "two triangles in file order"},
      {9, true, 64, true, 2, {3, 4, 2, 2, 4, 3}, 2, 4, {-1, 0, 0}, {0, 3, 6}, "double-sided: each again reversed"},
      {8, false, 64, true, 0, {}, 5, 0, {0, 0, 0}, {0, 0, 0}, "no triangle of that material"},
      {7, false, 15, true, 0, {}, 0, 4, {-1, 0, 0}, {4, 3, 6}, "no room below the capacity"},
      {7, false, 64, false, 0, {}, 0, 4, {-1, 0, 0}, {4, 3, 6}, "no buffer to lock"},
  };
  uint32_t cursor = 9;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    geometry::MeshBatch batch(manager_.get(), settings_.get());
    batch.faceCount = 99;
    const uint32_t before = cursor;
    batch.Fill(c.lockable ? buffer : nullptr, cursor, c.capacity, 2, positions, triangles, cornerVertices, c.material,
               geometry::MaterialKind::Alpha, c.doubleSided);
    EXPECT_EQ(batch.startIndex, before);
    EXPECT_EQ(batch.materialId, c.material);
    EXPECT_EQ(batch.kind, geometry::MaterialKind::Alpha);
    EXPECT_EQ(batch.faceCount, c.faces);
    EXPECT_EQ(cursor, before + c.faces * 3);
    EXPECT_EQ(batch.lowestVertex, c.lowest);
    EXPECT_EQ(batch.highestVertex, c.highest);
    EXPECT_EQ(batch.boxMin, c.boxMin);
    EXPECT_EQ(batch.boxMax, c.boxMax);
    for (size_t i = 0; i < c.written.size(); ++i) EXPECT_EQ(indexAt(before + static_cast<uint32_t>(i)), c.written[i]) << i;
  }
  buffer->Release();
}

}  // namespace
