// Tests of the device mesh of a static model: corner welding, batches and double-sided copies, optimisation that
// keeps the vertex sources right, and the damage morph.
#include "geometry/models/mesh_data.h"

#include <cstring>

#include <gtest/gtest.h>

#include "model_test_support.h"

namespace {

using geometry::MeshData;
using geometry::MeshTriangle;
using geometry::MeshVertex;
using platform::Vec3;

class MeshDataTest : public model_test::ModelFixture {
 protected:
  std::vector<MeshVertex> Vertices(const MeshData& mesh) {
    std::vector<MeshVertex> vertices(mesh.VertexCount());
    uint8_t* data = nullptr;
    EXPECT_EQ(mesh.VertexBuffer()->Lock(0, 0, &data, platform::gfx::lock_flags::kReadOnly), platform::kOk);
    std::memcpy(vertices.data(), data, vertices.size() * sizeof(MeshVertex));
    mesh.VertexBuffer()->Unlock();
    return vertices;
  }
  std::vector<uint16_t> Indices(const MeshData& mesh) {
    std::vector<uint16_t> indices(mesh.IndexCount());
    uint8_t* data = nullptr;
    EXPECT_EQ(mesh.IndexBuffer()->Lock(0, mesh.IndexCount() * 2, &data, platform::gfx::lock_flags::kReadOnly),
              platform::kOk);
    std::memcpy(indices.data(), data, indices.size() * 2);
    mesh.IndexBuffer()->Unlock();
    return indices;
  }
};

TEST_F(MeshDataTest, CornersWeldOnlyAgainstTheFirstUseOfTheirPosition) {
  const std::vector<Vec3> positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}};
  const std::vector<Vec3> uvs = {{0, 0, 0}, {1, 1, 0}};
  const std::vector<Vec3> normals = {{0, 0, 1}};
  // Corners 3 and 4 use position 0 with a second uv: each appends its own vertex.
  std::vector<uint32_t> cornerPositions = {0, 1, 2, 0, 0, 1};
  const std::vector<uint32_t> cornerUvs = {0, 0, 0, 1, 1, 0};
  const std::vector<uint32_t> cornerNormals(6, 0);
  MeshData mesh;
  ASSERT_TRUE(mesh.Build(device_, 2, cornerPositions, cornerUvs, positions, uvs, cornerNormals, normals));
  EXPECT_EQ(mesh.VertexCount(), 6u);  // four slots (one never used) and two appended
  EXPECT_EQ(cornerPositions, (std::vector<uint32_t>{0, 1, 2, 4, 5, 1}));
  EXPECT_EQ(mesh.VertexSource(), (std::vector<uint32_t>{0, 1, 2, 0, 0, 0}));
  const auto vertices = Vertices(mesh);
  EXPECT_EQ(vertices[4].u, 1.0f);
  EXPECT_EQ(vertices[4].position.x, 0.0f);

  const std::vector<MeshTriangle> triangles = {{0, 1, 2, 0}, {3, 4, 5, 1}};
  EXPECT_EQ(mesh.AddBatch(nullptr, nullptr, cornerPositions, triangles, 0, geometry::MaterialKind::Plain, true), 0);
  EXPECT_EQ(mesh.AddBatch(nullptr, nullptr, cornerPositions, triangles, 1, geometry::MaterialKind::Alpha, false), 1);
  const auto& batches = mesh.Batches();
  EXPECT_EQ(batches[0]->faceCount, 2u);
  EXPECT_EQ(batches[1]->startIndex, 6u);
  EXPECT_EQ(batches[1]->lowestVertex, 1u);
  EXPECT_EQ(batches[1]->highestVertex, 5u);
  // Double-sided: each triangle followed by its reversed copy; the index buffer is then exactly full.
  EXPECT_EQ(Indices(mesh), (std::vector<uint16_t>{0, 1, 2, 2, 1, 0, 4, 5, 1}));
  EXPECT_EQ(mesh.FaceCount(), 3u);

  mesh.SetBatchImage(nullptr, 2);  // beyond the batches: ignored
  mesh.SetBatchEnabled(1, false);
  EXPECT_FALSE(batches[1]->enabled);
}

TEST_F(MeshDataTest, OptimizeDropsUnusedVerticesAndKeepsTheirSources) {
  auto model = Load(model_test::BoxesFile({model_test::Material("a", 0), model_test::Material("b", 1)}), false);
  ASSERT_FALSE(model->Empty());
  const MeshData& mesh = *model->meshData;
  // 16 box positions became 16 slots plus 32 appended vertices; the slots no corner kept are dropped.
  EXPECT_EQ(mesh.VertexCount(), 48u);
  const auto vertices = Vertices(mesh);
  ASSERT_EQ(mesh.VertexSource().size(), vertices.size());
  for (size_t i = 0; i < vertices.size(); ++i) {
    const Vec3 source = mesh.SourcePositions()[mesh.VertexSource()[i]];
    EXPECT_EQ(vertices[i].position.x, source.x);
    EXPECT_EQ(vertices[i].position.y, source.y);
    EXPECT_EQ(vertices[i].position.z, source.z);
  }
  // Every batch's indices stay inside its own vertex range and its range still draws its own box.
  const auto indices = Indices(mesh);
  for (const auto& batch : mesh.Batches()) {
    for (uint32_t i = batch->startIndex; i < batch->startIndex + batch->faceCount * 3; ++i) {
      EXPECT_GE(indices[i], batch->lowestVertex);
      EXPECT_LE(indices[i], batch->highestVertex);
      EXPECT_EQ(vertices[indices[i]].position.x >= 3.0f, batch->materialId == 1);
    }
  }
}

TEST_F(MeshDataTest, DeformPullsNearVerticesTowardTheTargetNeverPastIt) {
  contentgen::MdlFile file = model_test::BoxesFile({model_test::Material("a", 0)});
  auto body = Load(file, false);
  for (Vec3& p : file.objects[0].positions) p.y -= p.y > 0.5f ? 0.5f : 0.0f;  // roof pushed down by 0.5
  auto damaged = Load(file, false, false, "damaged.mdl");
  ASSERT_FALSE(damaged->Empty());
  const auto before = body->meshData->SourcePositions();
  body->DeformTowards(*damaged, {0, 1, 0}, 1.5f, 1.0f);  // not deformable yet
  EXPECT_EQ(body->meshData->SourcePositions(), before);
  body->MakeDeformable();
  body->DeformTowards(*damaged, {0, 1, 0}, 1.5f, 0.5f);
  const auto once = body->meshData->SourcePositions();
  body->DeformTowards(*damaged, {0, 1, 0}, 1.5f, 0.5f);
  const auto twice = body->meshData->SourcePositions();
  bool moved = false;
  for (size_t i = 0; i < before.size(); ++i) {
    const float goal = damaged->meshData->SourcePositions()[i].y;
    EXPECT_LE(twice[i].y, once[i].y);
    EXPECT_GE(twice[i].y, goal);
    moved = moved || once[i].y < before[i].y;
  }
  EXPECT_TRUE(moved);
  // The vertex buffer follows the moved positions.
  const auto vertices = Vertices(*body->meshData);
  for (size_t i = 0; i < vertices.size(); ++i) {
    EXPECT_EQ(vertices[i].position.y, twice[body->meshData->VertexSource()[i]].y);
  }
  // A vertex exactly at the radius does not move; a target of another size changes nothing.
  auto other = Load(model_test::BoxesFile({model_test::Material("a", 0), model_test::Material("b", 1)}), false,
                    false, "other.mdl");
  body->DeformTowards(*other, {0, 1, 0}, 100.0f, 1.0f);
  EXPECT_EQ(body->meshData->SourcePositions(), twice);
}

}  // namespace
