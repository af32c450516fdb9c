// A vertex-animated model's buffers, batches and stored frames, and the poses written between frames.
#include "geometry/models/model_mesh.h"

#include <algorithm>
#include <cstring>

namespace geometry {

using platform::Vec3;

ModelMesh::ModelMesh(render::ResourceManager* resourceManager, const app::Settings* settings)
    : drawable_(resourceManager, settings) {}

void ModelMesh::SetBox(const Vec3& boxMin, const Vec3& boxMax) {
  boxMin_ = boxMin;
  boxMax_ = boxMax;
  haveBox_ = true;
}

bool ModelMesh::SetGeometry(platform::gfx::Device* device, uint32_t vertexCount, uint32_t triangleCount,
                            const std::vector<Vec3>& framePositions, const std::vector<Vec3>& uvs,
                            const std::vector<Vec3>& frameNormals) {
  if (framePositions.size() < vertexCount || frameNormals.size() < vertexCount || uvs.size() < vertexCount) {
    return false;
  }
  std::vector<uint32_t> identity(vertexCount);
  for (uint32_t v = 0; v < vertexCount; ++v) identity[v] = v;
  const std::vector<Vec3> positions0(framePositions.begin(), framePositions.begin() + vertexCount);
  const std::vector<Vec3> normals0(frameNormals.begin(), frameNormals.begin() + vertexCount);
  auto mesh = std::make_unique<MeshData>();
  if (haveBox_) mesh->SetBox(boxMin_, boxMax_);
  corners_ = identity;
  if (!mesh->Build(device, triangleCount, corners_, identity, positions0, uvs, identity, normals0)) {
    corners_.clear();
    return false;
  }
  framePositions_ = framePositions;
  frameNormals_ = frameNormals;
  vertexCount_ = vertexCount;
  frameCount_ = vertexCount > 0 ? static_cast<uint32_t>(framePositions.size() / vertexCount) : 0;
  shownA_ = shownB_ = 0;
  shownFraction_ = 0;
  drawable_.meshData = std::move(mesh);
  return true;
}

int32_t ModelMesh::AddBatch(render::ResourceManager* resourceManager, const app::Settings* settings,
                            const std::vector<MeshTriangle>& triangles, int32_t slot, MaterialKind kind,
                            bool doubleSided) {
  if (!drawable_.meshData) return -1;
  const int32_t index =
      drawable_.meshData->AddBatch(resourceManager, settings, corners_, triangles, slot, kind, doubleSided);
  MeshBatch* batch = drawable_.meshData->Batches()[static_cast<size_t>(index)].get();
  drawable_.kindLists[static_cast<size_t>(KindIndex(batch->kind))].push_back(batch);
  return index;
}

void ModelMesh::SetBatchImage(render::ImageResource* image, size_t batch) {
  if (drawable_.meshData) drawable_.meshData->SetBatchImage(image, batch);
}

void ModelMesh::SetBatchEnabled(size_t batch, bool enabled) {
  if (drawable_.meshData) drawable_.meshData->SetBatchEnabled(batch, enabled);
}

void ModelMesh::Optimize(platform::gfx::Device* device) {
  if (!drawable_.meshData) return;
  MeshData& mesh = *drawable_.meshData;
  mesh.Optimize(device);
  // The optimisation reorders and drops vertices: every frame follows the same order.
  const uint32_t packed = mesh.VertexCount();
  std::vector<Vec3> positions(size_t{frameCount_} * packed), normals(size_t{frameCount_} * packed);
  for (uint32_t f = 0; f < frameCount_; ++f) {
    for (uint32_t i = 0; i < packed && i < mesh.VertexSource().size(); ++i) {
      const uint32_t old = mesh.VertexSource()[i];
      positions[size_t(f) * packed + i] = framePositions_[size_t(f) * vertexCount_ + old];
      normals[size_t(f) * packed + i] = frameNormals_[size_t(f) * vertexCount_ + old];
    }
  }
  framePositions_ = std::move(positions);
  frameNormals_ = std::move(normals);
  vertexCount_ = packed;
}

void ModelMesh::ShowPose(uint32_t a, uint32_t b, float t) {
  if (a == shownA_ && b == shownB_ && t == shownFraction_) return;
  shownA_ = a;
  shownB_ = b;
  shownFraction_ = t;
  if (!drawable_.meshData || drawable_.meshData->VertexBuffer() == nullptr || frameCount_ == 0) return;
  a = std::min(a, frameCount_ - 1);
  b = std::min(b, frameCount_ - 1);
  uint8_t* data = nullptr;
  if (platform::Failed(drawable_.meshData->VertexBuffer()->Lock(0, 0, &data, 0)) || data == nullptr) return;
  ++poseWrites_;
  for (uint32_t v = 0; v < vertexCount_; ++v) {
    const Vec3& pa = framePositions_[size_t(a) * vertexCount_ + v];
    const Vec3& pb = framePositions_[size_t(b) * vertexCount_ + v];
    const Vec3& na = frameNormals_[size_t(a) * vertexCount_ + v];
    const Vec3& nb = frameNormals_[size_t(b) * vertexCount_ + v];
    MeshVertex* vertex = reinterpret_cast<MeshVertex*>(data + size_t(v) * kMeshVertexStride);
    const Vec3 position = pa + (pb - pa) * t;
    const Vec3 normal = na + (nb - na) * t;
    std::memcpy(&vertex->position, &position, sizeof(Vec3));
    std::memcpy(&vertex->normal, &normal, sizeof(Vec3));
  }
  drawable_.meshData->VertexBuffer()->Unlock();
}

void ModelMesh::ApplyClipStates(const ClipState* frontState) {
  if (frontState != nullptr) ShowPose(frontState->frame, frontState->nextFrame, frontState->fraction);
}

}  // namespace geometry
