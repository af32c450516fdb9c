// The device side of a static model: one vertex buffer and one 16-bit index buffer shared by every material,
// one batch (a contiguous index range) per used material, vertex-cache optimisation, and the damage morph.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/model_geometry.h"
#include "geometry/models/material_kind.h"
#include "geometry/models/shadow_volume.h"
#include "platform/gfx/graphics.h"
#include "platform/math/types.h"

namespace app {
class Settings;
}
namespace render {
class ImageResource;
class ResourceManager;
}  // namespace render

namespace geometry {

// Position, normal and one texture coordinate set: 32 bytes.
struct MeshVertex {
  platform::Vec3 position;
  platform::Vec3 normal;
  float u = 0, v = 0;
};
constexpr uint32_t kMeshVertexFormat = platform::gfx::fvf::kXyz | platform::gfx::fvf::kNormal | platform::gfx::fvf::kTex1;
constexpr uint32_t kMeshVertexStride = 32;
// 16-bit indices reach this many vertices; a mesh with more draws with 32-bit indices.
constexpr uint32_t kMaxMeshVertices = 65535;

// One file triangle: three corner indices and the material slot.
struct MeshTriangle {
  uint32_t a = 0, b = 0, c = 0;
  int32_t material = 0;
};

class MeshBatch {
 public:
  MeshBatch(render::ResourceManager* resourceManager, const app::Settings* settings);
  // Drops the batch's reference on its image.
  ~MeshBatch();
  MeshBatch(const MeshBatch&) = delete;
  MeshBatch& operator=(const MeshBatch&) = delete;

  // Takes one reference of its own on the image (through the resource manager); null is ignored.
  void SetImage(render::ImageResource* image);
  // One indexed triangle-list draw of the batch's range; the caller has set the stream and indices.
  void Draw(platform::gfx::Device* device) const;
  // Begins the batch's material run, draws, and adds the specular pass of a normal-mapped material.
  void Render(platform::gfx::Device* device) const;
  // Ends the material run back to the section's states.
  void EndMaterial(platform::gfx::Device* device) const;
  // Takes the triangles of the material into the index buffer from the cursor indexCount on (each twice, the
  // second time with its winding reversed, when double-sided): start index, face count, lowest and highest
  // vertex and the box of their corners. The cursor advances by the indices written. A lock that fails, or
  // indices that would pass indexCapacity, leave the batch with no faces and the cursor where it was.
  void Fill(platform::gfx::IndexBuffer* indexBuffer, uint32_t& indexCount, uint32_t indexCapacity, uint32_t indexSize,
            const std::vector<platform::Vec3>& vertexPositions, const std::vector<MeshTriangle>& triangles,
            const std::vector<uint32_t>& cornerVertices, int32_t material, MaterialKind materialKind,
            bool doubleSided);

  bool enabled = true;
  render::ResourceManager* resourceManager = nullptr;
  const app::Settings* settings = nullptr;
  platform::Vec3 boxMax, boxMin;
  render::ImageResource* image = nullptr;
  uint32_t faceCount = 0;
  uint32_t startIndex = 0;
  int32_t materialId = 0;
  MaterialKind kind = MaterialKind::Plain;
  uint32_t lowestVertex = 0, highestVertex = 0;
};

class MeshData {
 public:
  MeshData() = default;
  ~MeshData();
  MeshData(const MeshData&) = delete;
  MeshData& operator=(const MeshData&) = delete;

  // Welds the corners into vertices (a corner reuses the vertex of its position when normal and uv are exactly
  // equal, else gets a vertex of its own), creates and fills the vertex buffer and makes an index buffer with
  // room for every triangle twice. cornerPositions is rewritten to hold each corner's vertex. Every index must
  // be inside its list (the loader checks). Returns false when a buffer cannot be made or the vertices exceed
  // 16-bit indices.
  bool Build(platform::gfx::Device* device, uint32_t triangleCount, std::vector<uint32_t>& cornerPositions,
             const std::vector<uint32_t>& cornerUvs, const std::vector<platform::Vec3>& positions,
             const std::vector<platform::Vec3>& uvs, const std::vector<uint32_t>& cornerNormals,
             const std::vector<platform::Vec3>& normals);
  // A batch of the triangles of one material (twice, the second time reversed, when double-sided); returns its
  // index.
  int32_t AddBatch(render::ResourceManager* resourceManager, const app::Settings* settings,
                   const std::vector<uint32_t>& cornerVertices, const std::vector<MeshTriangle>& triangles,
                   int32_t materialId, MaterialKind kind, bool doubleSided);
  // Indices beyond the batches are ignored.
  void SetBatchImage(render::ImageResource* image, size_t batch);
  void SetBatchEnabled(size_t batch, bool enabled);
  // Re-packs the buffers: faces sorted by batch, each batch reordered for the vertex cache, unused vertices
  // dropped and the rest ordered by first use. Keeps the old buffers on any failure.
  void Optimize(platform::gfx::Device* device);

  void SetBox(const platform::Vec3& boxMin, const platform::Vec3& boxMax) {
    boxMin_ = boxMin;
    boxMax_ = boxMax;
  }
  void MakeDeformable();
  // Pulls the vertices within radius of centre toward the target's positions (see the car damage); needs a
  // deformable mesh and a target with as many source positions.
  void DeformTowards(const MeshData& target, const platform::Vec3& centre, float radius, float amount);
  void RefreshVertexBuffer();

  // Shadows: off until EnableShadow; DrawShadow builds and draws the volume when on.
  void EnableShadow(platform::gfx::Device* device);
  void ReleaseShadow();
  void RestoreShadow(platform::gfx::Device* device);
  void DrawShadow(platform::gfx::Device* device, const ModelGeometry& geometry, const platform::Matrix4& matrix,
                  const platform::Vec3& light);

  const std::vector<std::unique_ptr<MeshBatch>>& Batches() const { return batches_; }
  platform::gfx::VertexBuffer* VertexBuffer() const { return vertexBuffer_; }
  platform::gfx::IndexBuffer* IndexBuffer() const { return indexBuffer_; }
  uint32_t VertexCount() const { return vertexCount_; }
  uint32_t IndexCount() const { return indexCount_; }
  // Bytes per index in the index buffer: 2, or 4 once the vertices pass what 16-bit indices reach.
  uint32_t IndexSize() const { return indexSize_; }
  uint32_t FaceCount() const { return faceCount_; }
  const std::vector<uint32_t>& VertexSource() const { return vertexSource_; }
  const std::vector<platform::Vec3>& SourcePositions() const { return sourcePositions_; }
  bool Deformable() const { return deformable_; }
  bool ShadowOn() const { return shadowOn_; }
  ShadowVolume* Shadow() const { return shadow_.get(); }

 private:
  platform::gfx::VertexBuffer* vertexBuffer_ = nullptr;
  platform::gfx::IndexBuffer* indexBuffer_ = nullptr;
  uint32_t indexSize_ = 2;
  std::unique_ptr<ShadowVolume> shadow_;
  platform::Vec3 boxMax_, boxMin_;
  bool deformable_ = false;
  bool shadowOn_ = false;
  std::vector<uint32_t> vertexSource_;
  std::vector<platform::Vec3> vertexPositions_;
  std::vector<platform::Vec3> sourcePositions_;
  std::vector<platform::Vec3> restPositions_;
  std::vector<std::unique_ptr<MeshBatch>> batches_;
  uint32_t indexCount_ = 0;
  uint32_t faceCount_ = 0;
  uint32_t vertexCount_ = 0;
  uint32_t indexCapacity_ = 0;
};

}  // namespace geometry
