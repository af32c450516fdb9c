// Scene parts: vertex welding, buffers, pieces and their index ranges, tangent frames.
#include "render/scene/scene_part.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "platform/math/math.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"
#include "render/scene/view_frustum.h"

namespace render {

namespace gfx = platform::gfx;

MeshPart::MeshPart(ResourceManager* resourceManager, app::Settings* settings, ScenePart* part)
    : resourceManager(resourceManager), settings(settings), part(part) {}

MeshPart::~MeshPart() { Release(); }

void MeshPart::SetImage(ImageResource* newImage) {
  if (newImage == nullptr) return;
  image = resourceManager != nullptr ? resourceManager->AddImageReference(newImage) : newImage;
}

void MeshPart::SetSecondImage(ImageResource* newImage) {
  if (newImage == nullptr) return;
  secondImage = resourceManager != nullptr ? resourceManager->AddImageReference(newImage) : newImage;
}

void MeshPart::Release() {
  if (resourceManager != nullptr) {
    if (image != nullptr) resourceManager->ReleaseImage(image);
    if (secondImage != nullptr) resourceManager->ReleaseImage(secondImage);
  }
  image = nullptr;
  secondImage = nullptr;
}

void MeshPart::Bind(gfx::Device* device) const {
  device->SetStreamSource(0, part->vertexBuffer, part->stride);
  device->SetIndices(part->indexBuffer, part->baseVertex);
}

namespace {

// Whether a box (centre, half size) reaches into the frustum: not wholly behind any one of its planes.
bool RunInFrustum(const MeshPart::Run& run, const ViewFrustum& frustum) {
  for (const platform::Plane& plane : frustum.planes) {
    const float reach = std::fabs(plane.a) * run.halfSize.x + std::fabs(plane.b) * run.halfSize.y +
                        std::fabs(plane.c) * run.halfSize.z;
    if (platform::DotCoord(plane, run.centre) + reach < 0) return false;  // NaN compares false: drawn
  }
  return true;
}

}  // namespace

void MeshPart::Draw(gfx::Device* device, const ViewFrustum* frustum) const {
  if (primitiveCount == 0 || part->indexBuffer == nullptr) return;
  if (frustum == nullptr || runs.empty()) {
    device->DrawIndexedPrimitive(gfx::PrimitiveType::TriangleList, minIndex, maxIndex - minIndex + 1, startIndex,
                                 primitiveCount);
    return;
  }
  Run pending;
  auto flush = [&] {
    if (pending.primitiveCount == 0) return;
    device->DrawIndexedPrimitive(gfx::PrimitiveType::TriangleList, pending.minIndex,
                                 pending.maxIndex - pending.minIndex + 1, pending.startIndex, pending.primitiveCount);
    pending.primitiveCount = 0;
  };
  for (const Run& run : runs) {
    if (!RunInFrustum(run, *frustum)) {
      flush();
    } else if (pending.primitiveCount == 0) {
      pending = run;
    } else {
      pending.primitiveCount += run.primitiveCount;
      pending.minIndex = std::min(pending.minIndex, run.minIndex);
      pending.maxIndex = std::max(pending.maxIndex, run.maxIndex);
    }
  }
  flush();
}

ScenePart::~ScenePart() { Release(); }

bool MeshPart::Opaque() const {
  using geometry::MaterialKind;
  const bool opaqueKind = kind == MaterialKind::Plain || kind == MaterialKind::NormalMapped ||
                          kind == MaterialKind::SharedReflection || kind == MaterialKind::CubeReflection ||
                          kind == MaterialKind::MapReflection;
  return opaqueKind && (image == nullptr || (!image->alphaBlend && !image->additiveBlend));
}

bool ScenePart::BuildVertices(PartVertexInput& input) {
  const bool secondUv = input.hasSecondUv;
  if (input.hasNormals) {
    stride = secondUv ? 44 : 36;
    vertexFormat = secondUv ? kSceneFormatNormalsSecondUv : kSceneFormatNormals;
  } else {
    stride = secondUv ? 32 : 24;
    vertexFormat = secondUv ? kSceneFormatSecondUv : kSceneFormatPlain;
  }
  const size_t fileVertices = input.positionIndices.size();
  std::vector<Vertex> list(input.positions.size());
  std::vector<bool> claimed(input.positions.size(), false);
  for (size_t i = 0; i < fileVertices; ++i) {
    const uint32_t slot = input.positionIndices[i];
    Vertex vertex;
    vertex.position = input.positions[slot];
    vertex.colour = i < input.colours.size() ? input.colours[i] : 0xFFFFFFFF;
    if (!input.uvIndices.empty()) vertex.uv = input.uvs[input.uvIndices[i]];
    if (!input.secondUvIndices.empty()) vertex.secondUv = input.uvs[input.secondUvIndices[i]];
    if (input.hasNormals) vertex.normal = input.normals[input.normalIndices[i]];
    if (!claimed[slot]) {
      list[slot] = vertex;
      claimed[slot] = true;
      continue;
    }
    const Vertex& held = list[slot];
    const bool same = held.colour == vertex.colour && held.uv.x == vertex.uv.x && held.uv.y == vertex.uv.y &&
                      held.secondUv.x == vertex.secondUv.x && held.secondUv.y == vertex.secondUv.y &&
                      held.normal.x == vertex.normal.x && held.normal.y == vertex.normal.y &&
                      held.normal.z == vertex.normal.z;
    if (same) continue;
    input.positionIndices[i] = static_cast<uint32_t>(list.size());
    list.push_back(vertex);
  }
  if (list.size() > kMaxPartVertices) return false;
  vertices_ = std::move(list);
  vertexCount = static_cast<uint32_t>(vertices_.size());
  positions.resize(vertexCount);
  for (uint32_t k = 0; k < vertexCount; ++k) positions[k] = vertices_[k].position;
  hasNormals_ = input.hasNormals;
  hasSecondUv_ = secondUv;
  return true;
}

bool ScenePart::CreateVertexBuffer(gfx::Device* device) {
  if (platform::Failed(device->CreateVertexBuffer(vertexCount * stride, gfx::usage::kWriteOnly, vertexFormat,
                                                  gfx::Pool::Managed, &vertexBuffer))) {
    vertexBuffer = nullptr;
    return false;
  }
  uint8_t* data = nullptr;
  if (platform::Failed(vertexBuffer->Lock(0, vertexCount * stride, &data, 0)) || data == nullptr) {
    vertexBuffer->Release();
    vertexBuffer = nullptr;
    return false;
  }
  WriteVertices(data);
  vertexBuffer->Unlock();
  return true;
}

void ScenePart::WriteVertices(uint8_t* data) const {
  for (const Vertex& vertex : vertices_) {
    auto put = [&data](const void* value, size_t bytes) {
      std::memcpy(data, value, bytes);
      data += bytes;
    };
    put(&vertex.position, 12);
    if (hasNormals_) put(&vertex.normal, 12);
    put(&vertex.colour, 4);
    put(&vertex.uv, 8);
    if (hasSecondUv_) put(&vertex.secondUv, 8);
  }
}

void ShareBuffers(gfx::Device* device, const std::vector<ScenePart*>& parts) {
  // Parts of one vertex format, in order; a part without indices draws nothing and takes no room.
  std::map<uint32_t, std::vector<ScenePart*>> byFormat;
  for (ScenePart* part : parts) {
    if (part != nullptr && part->vertexBuffer == nullptr && part->indexBuffer == nullptr && part->indexCount > 0 &&
        part->HasBuildData()) {
      byFormat[part->vertexFormat].push_back(part);
    }
  }
  for (auto& [format, group] : byFormat) {
    uint64_t vertexBytes = 0, indexCount = 0;
    for (const ScenePart* part : group) {
      vertexBytes += uint64_t{part->vertexCount} * part->stride;
      indexCount += part->indexCount;
    }
    gfx::VertexBuffer* vertices = nullptr;
    gfx::IndexBuffer* indices = nullptr;
    uint8_t* vertexData = nullptr;
    uint8_t* indexData = nullptr;
    bool made = group.size() > 1 && vertexBytes <= UINT32_MAX && indexCount * 2 <= UINT32_MAX &&
                platform::Succeeded(device->CreateVertexBuffer(static_cast<uint32_t>(vertexBytes),
                                                               gfx::usage::kWriteOnly, format, gfx::Pool::Managed,
                                                               &vertices)) &&
                platform::Succeeded(device->CreateIndexBuffer(static_cast<uint32_t>(indexCount * 2),
                                                              gfx::usage::kWriteOnly, gfx::Format::Index16,
                                                              gfx::Pool::Managed, &indices));
    made = made && platform::Succeeded(vertices->Lock(0, 0, &vertexData, 0)) && vertexData != nullptr;
    made = made && platform::Succeeded(indices->Lock(0, 0, &indexData, 0)) && indexData != nullptr;
    if (made) {
      uint32_t firstVertex = 0, firstIndex = 0;
      for (ScenePart* part : group) {
        part->WriteVertices(vertexData + size_t{firstVertex} * part->stride);
        part->WriteIndices(indexData + size_t{firstIndex} * 2);
        part->vertexBuffer = vertices;
        part->indexBuffer = indices;
        vertices->AddRef();
        indices->AddRef();
        part->baseVertex = firstVertex;
        for (auto& piece : part->pieces) {
          piece->startIndex += firstIndex;
          for (MeshPart::Run& run : piece->runs) run.startIndex += firstIndex;
        }
        firstVertex += part->vertexCount;
        firstIndex += part->indexCount;
      }
      vertices->Unlock();
      indices->Unlock();
    }
    // The parts hold their own references; a single part, or buffers the device would not give, leave each part
    // to make its own.
    if (vertices != nullptr) vertices->Release();
    if (indices != nullptr) indices->Release();
    if (!made) {
      for (ScenePart* part : group) part->CreateBuffers(device);
    }
  }
}

size_t ScenePart::AddPiece(ResourceManager* resourceManager, app::Settings* settings,
                           const std::vector<std::array<uint32_t, 3>>& triangles, uint32_t materialSlot,
                           geometry::MaterialKind kind, bool doubleSided) {
  auto piece = std::make_unique<MeshPart>(resourceManager, settings, this);
  piece->materialSlot = materialSlot;
  piece->kind = kind;
  piece->startIndex = indexCount;
  piece->minIndex = vertexCount;
  piece->maxIndex = 0;
  bool first = true;
  for (const auto& triangle : triangles) {
    for (uint32_t corner : triangle) {
      if (corner >= vertexCount) continue;  // the loader checks; never read outside the buffer
      piece->minIndex = std::min(piece->minIndex, corner);
      piece->maxIndex = std::max(piece->maxIndex, corner);
      const Vec3& position = positions[corner];
      if (first) {
        piece->boxMin = piece->boxMax = position;
        first = false;
      } else {
        piece->boxMin = platform::ComponentMin(piece->boxMin, position);
        piece->boxMax = platform::ComponentMax(piece->boxMax, position);
      }
    }
  }
  uint32_t count = 0;
  {
    for (const auto& triangle : triangles) {
      if (triangle[0] >= vertexCount || triangle[1] >= vertexCount || triangle[2] >= vertexCount) continue;
      for (uint32_t corner : triangle) indices_.push_back(static_cast<uint16_t>(corner));
      ++count;
      if (doubleSided) {
        for (int c = 2; c >= 0; --c) indices_.push_back(static_cast<uint16_t>(triangle[c]));
        ++count;
      }
    }
  }
  piece->primitiveCount = count;
  indexCount += count * 3;
  triangleCount += count;
  piece->corners = BoxCornerPoints(piece->boxMin, piece->boxMax);
  pieces.push_back(std::move(piece));
  return pieces.size() - 1;
}

void ScenePart::SetPieceImage(ImageResource* image, size_t piece) {
  if (piece < pieces.size()) pieces[piece]->SetImage(image);
}

void ScenePart::SetPieceSecondImage(ImageResource* image, size_t piece) {
  if (piece < pieces.size()) pieces[piece]->SetSecondImage(image);
}

void ScenePart::SetPieceEnabled(size_t piece, bool flag) {
  if (piece < pieces.size()) pieces[piece]->enabled = flag;
}

void ScenePart::Optimize(gfx::Device* device) {
  if (vertexBuffer != nullptr || indexBuffer != nullptr) return;
  OptimizeOrder();
  CreateBuffers(device);
}

void ScenePart::OptimizeOrder() {
  if (vertexBuffer != nullptr || indexBuffer != nullptr) return;
  // Each piece's triangles in vertex-cache order, within its own range so the pieces stay contiguous. A large
  // opaque piece is first sorted by place and cut into runs, each in vertex-cache order within itself; blended
  // pieces keep one range, since the order of their triangles shows.
  for (const auto& piece : pieces) {
    uint16_t* range = indices_.data() + piece->startIndex;
    const size_t count = size_t{piece->primitiveCount} * 3;
    piece->runs.clear();
    if (count == 0) continue;
    std::vector<uint32_t> wide(range, range + count);
    if (piece->primitiveCount >= 2 * kRunTriangles && piece->Opaque() && !positions.empty()) {
      meshopt_spatialSortTriangles(wide.data(), wide.data(), count, &positions[0].x, vertexCount, sizeof(Vec3));
      for (uint32_t first = 0; first < piece->primitiveCount; first += kRunTriangles) {
        MeshPart::Run run;
        run.startIndex = piece->startIndex + first * 3;
        run.primitiveCount = std::min(kRunTriangles, piece->primitiveCount - first);
        meshopt_optimizeVertexCache(wide.data() + first * 3, wide.data() + first * 3, size_t{run.primitiveCount} * 3,
                                    vertexCount);
        piece->runs.push_back(run);
      }
    } else {
      meshopt_optimizeVertexCache(wide.data(), wide.data(), count, vertexCount);
    }
    for (size_t i = 0; i < count; ++i) range[i] = static_cast<uint16_t>(wide[i]);
  }
  // Vertices renumbered in the order the triangles first use them; vertices no triangle uses are dropped.
  std::vector<uint32_t> wideIndices(indices_.begin(), indices_.end());
  std::vector<uint32_t> remap(vertexCount, ~0u);
  const size_t used = indices_.empty() ? 0
                                       : meshopt_optimizeVertexFetchRemap(remap.data(), wideIndices.data(),
                                                                          wideIndices.size(), vertexCount);
  std::vector<Vertex> reordered(used);
  for (uint32_t old = 0; old < vertexCount; ++old) {
    if (remap[old] != ~0u) reordered[remap[old]] = vertices_[old];
  }
  for (uint16_t& index : indices_) index = static_cast<uint16_t>(remap[index]);
  vertices_ = std::move(reordered);
  vertexCount = static_cast<uint32_t>(vertices_.size());
  positions.resize(vertexCount);
  for (uint32_t k = 0; k < vertexCount; ++k) positions[k] = vertices_[k].position;
  for (auto& piece : pieces) {
    piece->minIndex = vertexCount;
    piece->maxIndex = 0;
    for (uint32_t i = 0; i < piece->primitiveCount * 3; ++i) {
      const uint32_t index = indices_[piece->startIndex + i];
      piece->minIndex = std::min(piece->minIndex, index);
      piece->maxIndex = std::max(piece->maxIndex, index);
    }
    for (MeshPart::Run& run : piece->runs) {
      run.minIndex = vertexCount;
      run.maxIndex = 0;
      Vec3 low = positions[indices_[run.startIndex]], high = low;
      for (uint32_t i = 0; i < run.primitiveCount * 3; ++i) {
        const uint32_t index = indices_[run.startIndex + i];
        run.minIndex = std::min(run.minIndex, index);
        run.maxIndex = std::max(run.maxIndex, index);
        low = platform::ComponentMin(low, positions[index]);
        high = platform::ComponentMax(high, positions[index]);
      }
      run.centre = (low + high) * 0.5f;
      run.halfSize = (high - low) * 0.5f;
    }
  }
}

void ScenePart::CreateBuffers(gfx::Device* device) {
  if (indices_.empty() || vertexBuffer != nullptr || indexBuffer != nullptr) return;
  const uint32_t bytes = static_cast<uint32_t>(indices_.size() * sizeof(uint16_t));
  bool made = CreateVertexBuffer(device) &&
              platform::Succeeded(device->CreateIndexBuffer(bytes, gfx::usage::kWriteOnly, gfx::Format::Index16,
                                                            gfx::Pool::Managed, &indexBuffer));
  uint8_t* data = nullptr;
  made = made && platform::Succeeded(indexBuffer->Lock(0, bytes, &data, 0)) && data != nullptr;
  if (made) {
    std::memcpy(data, indices_.data(), bytes);
    indexBuffer->Unlock();
    return;
  }
  // Without both buffers the part draws nothing.
  if (indexBuffer != nullptr) indexBuffer->Release();
  if (vertexBuffer != nullptr) vertexBuffer->Release();
  indexBuffer = nullptr;
  vertexBuffer = nullptr;
  for (auto& piece : pieces) piece->primitiveCount = 0;
}

bool ScenePart::HasNormalMappedPiece() const {
  for (const auto& piece : pieces) {
    if (piece->image != nullptr && piece->image->hasNormalMap) return true;
  }
  return false;
}

void ScenePart::ComputeTangentFrames() {
  tangents.assign(vertexCount, Vec3{});
  binormals.assign(vertexCount, Vec3{});
  normals.assign(vertexCount, Vec3{});
  for (size_t t = 0; t + 2 < indices_.size(); t += 3) {
    const Vertex& a = vertices_[indices_[t]];
    const Vertex& b = vertices_[indices_[t + 1]];
    const Vertex& c = vertices_[indices_[t + 2]];
    const Vec3 e1 = b.position - a.position, e2 = c.position - a.position;
    const float du1 = b.uv.x - a.uv.x, dv1 = b.uv.y - a.uv.y, du2 = c.uv.x - a.uv.x, dv2 = c.uv.y - a.uv.y;
    const float det = du1 * dv2 - du2 * dv1;
    if (det == 0) continue;
    const Vec3 tangent = (e1 * dv2 - e2 * dv1) * (1.0f / det);
    for (size_t k = 0; k < 3; ++k) tangents[indices_[t + k]] = tangents[indices_[t + k]] + tangent;
  }
  for (uint32_t k = 0; k < vertexCount; ++k) {
    normals[k] = vertices_[k].normal;
    binormals[k] = platform::Normalize(platform::Cross(normals[k], tangents[k]));
    tangents[k] = platform::Normalize(tangents[k]);
  }
}

void ScenePart::WriteIndices(uint8_t* data) const {
  std::memcpy(data, indices_.data(), indices_.size() * sizeof(uint16_t));
}

void ScenePart::ReleaseBuildData() {
  std::vector<Vertex>().swap(vertices_);
  std::vector<uint16_t>().swap(indices_);
}

void ScenePart::Release() {
  for (auto& piece : pieces) piece->Release();
  pieces.clear();
  if (vertexBuffer != nullptr) vertexBuffer->Release();
  if (indexBuffer != nullptr) indexBuffer->Release();
  vertexBuffer = nullptr;
  indexBuffer = nullptr;
  positions.clear();
  binormals.clear();
  tangents.clear();
  normals.clear();
  vertices_.clear();
  indices_.clear();
}

}  // namespace render
