// Building a static model's vertex and index buffers, one batch per material, their optimisation and the
// damage morph.
#include "geometry/models/mesh_data.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "app/box_tests.h"
#include "geometry/models/material_states.h"
#include "platform/math/math.h"
#include "render/resources/resource_manager.h"

namespace geometry {

namespace {
using platform::gfx::Device;
using platform::gfx::Format;
using platform::gfx::Pool;
constexpr uint32_t kBufferUsage = platform::gfx::usage::kWriteOnly;

bool SameVertex(const MeshVertex& vertex, const platform::Vec3& normal, float u, float v) {
  return vertex.normal.x == normal.x && vertex.normal.y == normal.y && vertex.normal.z == normal.z &&
         vertex.u == u && vertex.v == v;
}

template <typename T>
void ReleaseInto(T*& pointer) {
  if (pointer != nullptr) pointer->Release();
  pointer = nullptr;
}

Format IndexFormat(uint32_t indexSize) { return indexSize == 4 ? Format::Index32 : Format::Index16; }

// Writes the indices as 16-bit or 32-bit values.
void WriteIndices(uint8_t* data, const std::vector<uint32_t>& indices, uint32_t indexSize) {
  if (indexSize == 4) {
    std::memcpy(data, indices.data(), indices.size() * 4);
    return;
  }
  for (size_t i = 0; i < indices.size(); ++i) {
    const auto value = static_cast<uint16_t>(indices[i]);
    std::memcpy(data + i * 2, &value, 2);
  }
}
}  // namespace

// --- MeshBatch ---------------------------------------------------------------------------------------------

MeshBatch::MeshBatch(render::ResourceManager* manager, const app::Settings* settingsIn)
    : resourceManager(manager), settings(settingsIn) {}

MeshBatch::~MeshBatch() {
  if (image != nullptr && resourceManager != nullptr) resourceManager->ReleaseImage(image);
}

void MeshBatch::SetImage(render::ImageResource* newImage) {
  if (newImage == nullptr) return;
  render::ImageResource* previous = image;
  image = resourceManager != nullptr ? resourceManager->ReloadImageById(newImage) : newImage;
  if (previous != nullptr && resourceManager != nullptr) resourceManager->ReleaseImage(previous);
}

void MeshBatch::Draw(Device* device) const {
  if (faceCount == 0) return;
  device->DrawIndexedPrimitive(platform::gfx::PrimitiveType::TriangleList, lowestVertex,
                               highestVertex - lowestVertex + 1, startIndex, faceCount);
}

void MeshBatch::Render(Device* device) const {
  BeginMaterial(device, settings, image);
  Draw(device);
  if (image != nullptr && image->loaded) DrawSpecularPass(device, settings, image, [&] { Draw(device); });
}

void MeshBatch::EndMaterial(Device* device) const { geometry::EndMaterial(device, settings, image); }

// --- MeshData ----------------------------------------------------------------------------------------------

MeshData::~MeshData() {
  if (shadowOn_ && shadow_) shadow_->Release();
  batches_.clear();
  shadow_.reset();
  ReleaseInto(vertexBuffer_);
  ReleaseInto(indexBuffer_);
}

bool MeshData::Build(Device* device, uint32_t triangleCount, std::vector<uint32_t>& cornerPositions,
                     const std::vector<uint32_t>& cornerUvs, const std::vector<platform::Vec3>& positions,
                     const std::vector<platform::Vec3>& uvs, const std::vector<uint32_t>& cornerNormals,
                     const std::vector<platform::Vec3>& normals) {
  const size_t n = positions.size();
  std::vector<MeshVertex> vertices(n);
  std::vector<bool> filled(n, false);
  vertexSource_.assign(n, 0);
  sourcePositions_ = positions;
  for (size_t i = 0; i < cornerPositions.size(); ++i) {
    const uint32_t p = cornerPositions[i];
    const platform::Vec3& normal = normals[cornerNormals[i]];
    const platform::Vec3& uv = uvs[cornerUvs[i]];
    if (!filled[p]) {
      vertices[p] = {positions[p], normal, uv.x, uv.y};
      filled[p] = true;
      vertexSource_[p] = p;
    } else if (!SameVertex(vertices[p], normal, uv.x, uv.y)) {
      vertices.push_back({positions[p], normal, uv.x, uv.y});
      vertexSource_.push_back(p);
      cornerPositions[i] = static_cast<uint32_t>(vertices.size() - 1);
    }
  }
  // Four bytes a vertex position and a corner each in the index: far beyond what a file's size allows.
  if (vertices.size() > std::numeric_limits<uint32_t>::max() / kMeshVertexStride) return false;
  vertexCount_ = static_cast<uint32_t>(vertices.size());
  indexSize_ = vertexCount_ > kMaxMeshVertices ? 4u : 2u;
  vertexPositions_.clear();
  for (const MeshVertex& vertex : vertices) vertexPositions_.push_back(vertex.position);
  if (vertexCount_ == 0) return true;

  if (platform::Failed(device->CreateVertexBuffer(vertexCount_ * kMeshVertexStride, kBufferUsage,
                                                  kMeshVertexFormat, Pool::Managed, &vertexBuffer_))) {
    vertexBuffer_ = nullptr;
    return false;
  }
  uint8_t* data = nullptr;
  if (platform::Failed(vertexBuffer_->Lock(0, 0, &data, 0)) || data == nullptr) return false;
  std::memcpy(data, vertices.data(), vertices.size() * sizeof(MeshVertex));
  vertexBuffer_->Unlock();

  indexCapacity_ = triangleCount * 6;
  if (indexCapacity_ == 0) return true;
  if (platform::Failed(device->CreateIndexBuffer(indexCapacity_ * indexSize_, kBufferUsage, IndexFormat(indexSize_),
                                                 Pool::Managed, &indexBuffer_))) {
    indexBuffer_ = nullptr;
    return false;
  }
  return true;
}

void MeshBatch::Fill(platform::gfx::IndexBuffer* indexBuffer, uint32_t& indexCount, uint32_t indexCapacity,
                     uint32_t indexSize, const std::vector<platform::Vec3>& vertexPositions,
                     const std::vector<MeshTriangle>& triangles, const std::vector<uint32_t>& cornerVertices,
                     int32_t material, MaterialKind materialKind, bool doubleSided) {
  startIndex = indexCount;
  materialId = material;
  kind = materialKind;
  lowestVertex = static_cast<uint32_t>(vertexPositions.size());
  highestVertex = 0;
  faceCount = 0;

  std::vector<uint32_t> indices;
  bool first = true;
  app::Aabb box{};
  for (const MeshTriangle& triangle : triangles) {
    if (triangle.material != materialId) continue;
    const uint32_t corners[3] = {triangle.a, triangle.b, triangle.c};
    for (uint32_t corner : corners) {
      const uint32_t v = corner < cornerVertices.size() ? cornerVertices[corner] : 0;
      lowestVertex = std::min(lowestVertex, v);
      highestVertex = std::max(highestVertex, v);
      const platform::Vec3 point = v < vertexPositions.size() ? vertexPositions[v] : platform::Vec3{};
      if (first) {
        box = {point, point};
        first = false;
      }
      box.AddPoint(point);
      indices.push_back(v);
    }
    if (doubleSided) {
      const size_t at = indices.size();
      indices.push_back(indices[at - 1]);
      indices.push_back(indices[at - 2]);
      indices.push_back(indices[at - 3]);
    }
  }
  boxMin = box.min;
  boxMax = box.max;
  const uint32_t faces = static_cast<uint32_t>(indices.size() / 3);
  uint8_t* data = nullptr;
  if (faces > 0 && indexBuffer != nullptr && indexCount + faces * 3 <= indexCapacity &&
      platform::Succeeded(indexBuffer->Lock(indexCount * indexSize, faces * 3 * indexSize, &data, 0)) &&
      data != nullptr) {
    WriteIndices(data, indices, indexSize);
    indexBuffer->Unlock();
    indexCount += faces * 3;
    faceCount = faces;
  }
}

int32_t MeshData::AddBatch(render::ResourceManager* resourceManager, const app::Settings* settings,
                           const std::vector<uint32_t>& cornerVertices, const std::vector<MeshTriangle>& triangles,
                           int32_t materialId, MaterialKind kind, bool doubleSided) {
  auto batch = std::make_unique<MeshBatch>(resourceManager, settings);
  batch->Fill(indexBuffer_, indexCount_, indexCapacity_, indexSize_, vertexPositions_, triangles, cornerVertices,
              materialId, kind, doubleSided);
  faceCount_ += batch->faceCount;
  batches_.push_back(std::move(batch));
  return static_cast<int32_t>(batches_.size() - 1);
}

void MeshData::SetBatchImage(render::ImageResource* image, size_t batch) {
  if (batch < batches_.size()) batches_[batch]->SetImage(image);
}

void MeshData::SetBatchEnabled(size_t batch, bool enabled) {
  if (batch < batches_.size()) batches_[batch]->enabled = enabled;
}

void MeshData::Optimize(Device* device) {
  if (indexBuffer_ == nullptr || vertexBuffer_ == nullptr || indexCount_ == 0) return;
  std::vector<uint32_t> indices(indexCount_);
  std::vector<MeshVertex> vertices(vertexCount_);
  uint8_t* data = nullptr;
  if (platform::Failed(indexBuffer_->Lock(0, indexCount_ * indexSize_, &data, platform::gfx::lock_flags::kReadOnly)) ||
      data == nullptr) {
    return;
  }
  for (uint32_t i = 0; i < indexCount_; ++i) {
    if (indexSize_ == 4) {
      std::memcpy(&indices[i], data + i * 4, 4);
    } else {
      uint16_t value;
      std::memcpy(&value, data + i * 2, 2);
      indices[i] = value;
    }
  }
  indexBuffer_->Unlock();
  if (platform::Failed(vertexBuffer_->Lock(0, 0, &data, platform::gfx::lock_flags::kReadOnly)) || data == nullptr) {
    return;
  }
  std::memcpy(vertices.data(), data, vertices.size() * sizeof(MeshVertex));
  vertexBuffer_->Unlock();

  // Batches are contiguous and in batch order already: each range is reordered for the cache on its own.
  for (const auto& batch : batches_) {
    if (batch->faceCount == 0) continue;
    uint32_t* range = indices.data() + batch->startIndex;
    meshopt_optimizeVertexCache(range, range, size_t{batch->faceCount} * 3, vertexCount_);
  }
  std::vector<uint32_t> remap(vertexCount_);
  const size_t unique = meshopt_optimizeVertexFetchRemap(remap.data(), indices.data(), indices.size(), vertexCount_);
  std::vector<MeshVertex> packed(unique);
  std::vector<uint32_t> source(unique);
  for (uint32_t old = 0; old < vertexCount_; ++old) {
    if (remap[old] == ~0u) continue;
    packed[remap[old]] = vertices[old];
    source[remap[old]] = vertexSource_[old];
  }
  std::vector<uint32_t> packedIndices(indices.size());
  for (size_t i = 0; i < indices.size(); ++i) packedIndices[i] = remap[indices[i]];
  const uint32_t packedIndexSize = unique > kMaxMeshVertices ? 4u : 2u;

  platform::gfx::VertexBuffer* newVertices = nullptr;
  platform::gfx::IndexBuffer* newIndices = nullptr;
  bool ok = platform::Succeeded(device->CreateVertexBuffer(static_cast<uint32_t>(unique) * kMeshVertexStride,
                                                           kBufferUsage, kMeshVertexFormat, Pool::Managed,
                                                           &newVertices)) &&
            platform::Succeeded(device->CreateIndexBuffer(indexCount_ * packedIndexSize, kBufferUsage,
                                                          IndexFormat(packedIndexSize), Pool::Managed, &newIndices));
  if (ok && platform::Succeeded(newVertices->Lock(0, 0, &data, platform::gfx::lock_flags::kDiscard)) && data) {
    std::memcpy(data, packed.data(), packed.size() * sizeof(MeshVertex));
    newVertices->Unlock();
  } else {
    ok = false;
  }
  if (ok && platform::Succeeded(newIndices->Lock(0, 0, &data, platform::gfx::lock_flags::kDiscard)) && data) {
    WriteIndices(data, packedIndices, packedIndexSize);
    newIndices->Unlock();
  } else {
    ok = false;
  }
  if (!ok) {
    ReleaseInto(newVertices);
    ReleaseInto(newIndices);
    return;
  }
  ReleaseInto(vertexBuffer_);
  ReleaseInto(indexBuffer_);
  vertexBuffer_ = newVertices;
  indexBuffer_ = newIndices;
  vertexCount_ = static_cast<uint32_t>(unique);
  indexSize_ = packedIndexSize;
  indexCapacity_ = indexCount_;
  vertexSource_ = std::move(source);
  for (const auto& batch : batches_) {
    if (batch->faceCount == 0) continue;
    uint32_t lowest = vertexCount_, highest = 0;
    for (uint32_t i = 0; i < batch->faceCount * 3; ++i) {
      lowest = std::min<uint32_t>(lowest, packedIndices[batch->startIndex + i]);
      highest = std::max<uint32_t>(highest, packedIndices[batch->startIndex + i]);
    }
    batch->lowestVertex = lowest;
    batch->highestVertex = highest;
  }
}

void MeshData::MakeDeformable() {
  deformable_ = true;
  restPositions_ = sourcePositions_;
}

void MeshData::DeformTowards(const MeshData& target, const platform::Vec3& centre, float radius, float amount) {
  if (!deformable_ || target.sourcePositions_.size() != sourcePositions_.size()) return;
  const float r2 = radius * radius;
  for (size_t i = 0; i < sourcePositions_.size() && i < restPositions_.size(); ++i) {
    const platform::Vec3& rest = restPositions_[i];
    const platform::Vec3& goal = target.sourcePositions_[i];
    platform::Vec3& current = sourcePositions_[i];
    if (goal.x < centre.x - radius || goal.x > centre.x + radius || goal.y < centre.y - radius ||
        goal.y > centre.y + radius || goal.z < centre.z - radius || goal.z > centre.z + radius) {
      continue;
    }
    const float d2 = platform::LengthSquared(rest - centre);
    if (!(d2 < r2)) continue;
    const float weight = 1.0f - std::min(1.0f, d2 / r2);
    const float full = platform::LengthSquared(goal - rest);
    if (full == 0.0f) continue;
    const float k = std::max(0.0f, platform::LengthSquared(goal - current) / full - weight * amount);
    current = goal + (rest - goal) * k;
  }
  RefreshVertexBuffer();
}

void MeshData::RefreshVertexBuffer() {
  if (vertexBuffer_ == nullptr) return;
  uint8_t* data = nullptr;
  if (platform::Failed(vertexBuffer_->Lock(0, 0, &data, 0)) || data == nullptr) return;
  for (uint32_t i = 0; i < vertexCount_ && i < vertexSource_.size(); ++i) {
    const uint32_t source = vertexSource_[i];
    if (source >= sourcePositions_.size()) continue;
    std::memcpy(data + size_t{i} * kMeshVertexStride, &sourcePositions_[source], sizeof(platform::Vec3));
  }
  vertexBuffer_->Unlock();
}

void MeshData::EnableShadow(Device* device) {
  if (shadowOn_) return;
  shadowOn_ = true;
  shadow_ = std::make_unique<ShadowVolume>(device);
}

void MeshData::ReleaseShadow() {
  if (shadowOn_ && shadow_) shadow_->Release();
}

void MeshData::RestoreShadow(Device* device) {
  if (shadowOn_ && shadow_) shadow_->Restore(device);
}

void MeshData::DrawShadow(Device* device, const ModelGeometry& geometry, const platform::Matrix4& matrix,
                          const platform::Vec3& light) {
  if (!shadowOn_ || !shadow_) return;
  shadow_->Build(geometry, light);
  shadow_->Draw(device, matrix);
}

}  // namespace geometry
