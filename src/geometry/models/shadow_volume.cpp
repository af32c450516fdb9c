// Stencil shadow volume: silhouette edges of the lit faces, extruded into a ring buffer and counted into the
// stencil buffer (depth-pass counting).
#include "geometry/models/shadow_volume.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/math/math.h"

namespace geometry {

namespace {
using platform::gfx::Blend;
using platform::gfx::CompareFunc;
using platform::gfx::CullMode;
using platform::gfx::RenderState;
using platform::gfx::ShadeMode;
using platform::gfx::StencilOp;

constexpr uint32_t kBytesPerPosition = 12;
constexpr uint32_t kBufferBytes = kShadowVertexCapacity * kBytesPerPosition;
constexpr uint32_t kPositionsPerEdge = 6;

void AddEdge(std::vector<std::pair<uint32_t, uint32_t>>& edges, uint32_t a, uint32_t b) {
  for (size_t i = 0; i < edges.size(); ++i) {
    if ((edges[i].first == a && edges[i].second == b) || (edges[i].first == b && edges[i].second == a)) {
      edges[i] = edges.back();
      edges.pop_back();
      return;
    }
  }
  edges.emplace_back(a, b);
}

void WritePosition(uint8_t*& out, const platform::Vec3& p) {
  std::memcpy(out, &p, kBytesPerPosition);
  out += kBytesPerPosition;
}
}  // namespace

ShadowVolume::ShadowVolume(platform::gfx::Device* device) { Create(device); }

ShadowVolume::~ShadowVolume() { Release(); }

void ShadowVolume::Create(platform::gfx::Device* device) {
  valid_ = true;
  if (device == nullptr ||
      platform::Failed(device->CreateVertexBuffer(
          kBufferBytes, platform::gfx::usage::kWriteOnly | platform::gfx::usage::kDynamic, platform::gfx::fvf::kXyz,
          platform::gfx::Pool::Default, &buffer_))) {
    buffer_ = nullptr;
    valid_ = false;
  }
}

void ShadowVolume::Release() {
  if (buffer_ != nullptr) buffer_->Release();
  buffer_ = nullptr;
  valid_ = false;
}

void ShadowVolume::Restore(platform::gfx::Device* device) {
  if (valid_) return;
  Release();
  vertexCount_ = 0;
  startVertex_ = 0;
  Create(device);
}

std::vector<std::pair<uint32_t, uint32_t>> ShadowVolume::SilhouetteEdges(const ModelGeometry& geometry,
                                                                         const platform::Vec3& light) {
  std::vector<std::pair<uint32_t, uint32_t>> edges;
  const size_t faces = std::min(geometry.TriangleCount(), geometry.FaceNormals().size());
  edges.reserve(faces * 3);
  for (size_t face = 0; face < faces; ++face) {
    if (platform::Dot(geometry.FaceNormals()[face], light) < 0.0f) continue;
    const uint32_t c0 = geometry.CornerA()[face], c1 = geometry.CornerB()[face], c2 = geometry.CornerC()[face];
    AddEdge(edges, c0, c1);
    AddEdge(edges, c1, c2);
    AddEdge(edges, c2, c0);
  }
  return edges;
}

platform::HResult ShadowVolume::Build(const ModelGeometry& geometry, const platform::Vec3& light) {
  if (!valid_) return platform::kFail;
  std::vector<std::pair<uint32_t, uint32_t>> edges;
  try {
    edges = SilhouetteEdges(geometry, light);
  } catch (const std::bad_alloc&) {
    return platform::kOutOfMemory;
  }
  const uint64_t needed = uint64_t{kPositionsPerEdge} * edges.size();
  if (needed >= kShadowVertexCapacity) {
    valid_ = false;
    return platform::kFail;
  }
  // Edges naming a position the geometry does not have cannot be extruded; the geometry's own invariants
  // rule them out, so finding one means the geometry is unusable for shadows.
  const size_t positions = geometry.PositionCount();
  for (const auto& edge : edges) {
    if (edge.first >= positions || edge.second >= positions) return platform::kFail;
  }

  const uint32_t count = static_cast<uint32_t>(needed);
  uint8_t* data = nullptr;
  uint32_t start = 0;
  platform::HResult locked;
  if (uint64_t{startVertex_} + vertexCount_ + count >= kShadowVertexCapacity) {
    start = 0;
    locked = buffer_->Lock(0, count * kBytesPerPosition, &data,
                           platform::gfx::lock_flags::kDiscard | platform::gfx::lock_flags::kNoSysLock);
  } else {
    start = startVertex_ + vertexCount_;
    locked = buffer_->Lock(start * kBytesPerPosition, count * kBytesPerPosition, &data,
                           platform::gfx::lock_flags::kNoOverwrite | platform::gfx::lock_flags::kNoSysLock);
  }
  if (platform::Failed(locked) || (count > 0 && data == nullptr)) return platform::kFail;
  startVertex_ = start;
  vertexCount_ = 0;
  for (const auto& [a, b] : edges) {
    const platform::Vec3 pa = geometry.GetPosition(a), pb = geometry.GetPosition(b);
    WritePosition(data, pa);
    WritePosition(data, pb);
    WritePosition(data, pa - light);
    WritePosition(data, pb);
    WritePosition(data, pb - light);
    WritePosition(data, pa - light);
    vertexCount_ += kPositionsPerEdge;
  }
  buffer_->Unlock();
  return platform::kOk;
}

void ShadowVolume::Render(platform::gfx::Device* device) const {
  if (!valid_ || buffer_ == nullptr) return;
  device->SetVertexShader(platform::gfx::fvf::kXyz);
  device->SetStreamSource(0, buffer_, kBytesPerPosition);
  device->DrawPrimitive(platform::gfx::PrimitiveType::TriangleList, startVertex_, vertexCount_ / 3);
}

void ShadowVolume::Draw(platform::gfx::Device* device, const platform::Matrix4& matrix) const {
  device->SetRenderState(RenderState::ZWriteEnable, false);
  device->SetRenderState(RenderState::StencilEnable, true);
  device->SetRenderState(RenderState::ShadeMode, ShadeMode::Flat);
  device->SetRenderState(RenderState::StencilFunc, CompareFunc::Always);
  device->SetRenderState(RenderState::StencilZFail, StencilOp::Keep);
  device->SetRenderState(RenderState::StencilFail, StencilOp::Keep);
  device->SetRenderState(RenderState::StencilRef, 1u);
  device->SetRenderState(RenderState::StencilMask, 0xFFFFFFFFu);
  device->SetRenderState(RenderState::StencilWriteMask, 0xFFFFFFFFu);
  device->SetRenderState(RenderState::StencilPass, StencilOp::IncrSat);
  device->SetRenderState(RenderState::AlphaBlendEnable, true);
  device->SetRenderState(RenderState::SrcBlend, Blend::Zero);
  device->SetRenderState(RenderState::DestBlend, Blend::One);
  device->SetTransform(platform::gfx::TransformState::View, matrix);
  Render(device);
  device->SetRenderState(RenderState::CullMode, CullMode::Clockwise);
  device->SetRenderState(RenderState::StencilPass, StencilOp::Decr);
  Render(device);
  device->SetRenderState(RenderState::ShadeMode, ShadeMode::Gouraud);
  device->SetRenderState(RenderState::CullMode, CullMode::CounterClockwise);
  device->SetRenderState(RenderState::ZWriteEnable, true);
  device->SetRenderState(RenderState::StencilEnable, false);
  device->SetRenderState(RenderState::AlphaBlendEnable, false);
  device->SetRenderState(RenderState::SrcBlend, Blend::One);
  device->SetRenderState(RenderState::DestBlend, Blend::Zero);
}

}  // namespace geometry
