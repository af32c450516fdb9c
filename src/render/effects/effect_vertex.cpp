// Shared sprite-quad helpers of the particle, glow and skid-mark effects.
#include "render/effects/effect_vertex.h"

#include <algorithm>
#include <cstring>

#include "platform/math/math.h"

namespace render {

platform::gfx::VertexBuffer* CreateEffectBuffer(platform::gfx::Device* device, uint32_t count) {
  if (device == nullptr) return nullptr;
  platform::gfx::VertexBuffer* buffer = nullptr;
  if (platform::Failed(device->CreateVertexBuffer(count * sizeof(EffectVertex), platform::gfx::usage::kWriteOnly,
                                                   kEffectVertexFormat, platform::gfx::Pool::Managed, &buffer))) {
    return nullptr;
  }
  return buffer;
}

bool WriteSpriteQuad(platform::gfx::VertexBuffer* buffer, float side, float z, float cell) {
  if (buffer == nullptr) return false;
  uint8_t* data = nullptr;
  if (platform::Failed(buffer->Lock(0, 4 * sizeof(EffectVertex), &data, 0)) || data == nullptr) return false;
  const float h = side * 0.5f;
  const EffectVertex vertices[4] = {
      {-h, h, z, kOpaqueWhite, 0, 0},
      {h, h, z, kOpaqueWhite, cell, 0},
      {h, -h, z, kOpaqueWhite, cell, cell},
      {-h, -h, z, kOpaqueWhite, 0, cell},
  };
  std::memcpy(data, vertices, sizeof(vertices));
  buffer->Unlock();
  return true;
}

platform::Matrix4 BillboardOf(const platform::Matrix4& view) {
  platform::Matrix4 billboard = platform::Transpose(view);
  billboard.m[3][0] = billboard.m[3][1] = billboard.m[3][2] = 0.0f;
  billboard.m[0][3] = billboard.m[1][3] = billboard.m[2][3] = 0.0f;
  return billboard;
}

SpriteBatch::~SpriteBatch() { Release(); }

void SpriteBatch::Release() {
  if (buffer_ != nullptr) buffer_->Release();
  buffer_ = nullptr;
  capacity_ = 0;
}

void SpriteBatch::ReleaseDeviceBuffers() {
  if (buffer_ != nullptr) buffer_->Release();
  buffer_ = nullptr;
}

void SpriteBatch::RestoreDeviceBuffers(platform::gfx::Device* device) {
  if (buffer_ == nullptr && capacity_ > 0 && !CreateBuffer(device, capacity_)) capacity_ = 0;
}

bool SpriteBatch::CreateBuffer(platform::gfx::Device* device, uint32_t vertices) {
  if (device == nullptr ||
      platform::Failed(device->CreateVertexBuffer(
          vertices * sizeof(EffectVertex), platform::gfx::usage::kWriteOnly | platform::gfx::usage::kDynamic,
          kEffectVertexFormat, platform::gfx::Pool::Default, &buffer_))) {
    buffer_ = nullptr;
    return false;
  }
  capacity_ = vertices;
  return true;
}

void SpriteBatch::Add(const platform::Matrix4& placed, float side, float z, float cell, float du, float dv,
                      uint32_t colour) {
  const float h = side * 0.5f;
  // The corners in WriteSpriteQuad's fan order; the fan's two triangles are (0, 1, 2) and (0, 2, 3).
  const float corners[4][4] = {{-h, h, 0, 0}, {h, h, cell, 0}, {h, -h, cell, cell}, {-h, -h, 0, cell}};
  const platform::Matrix4& m = placed;
  EffectVertex quad[4];
  for (int c = 0; c < 4; ++c) {
    const float x = corners[c][0], y = corners[c][1];
    quad[c] = {x * m.m[0][0] + y * m.m[1][0] + z * m.m[2][0] + m.m[3][0],
               x * m.m[0][1] + y * m.m[1][1] + z * m.m[2][1] + m.m[3][1],
               x * m.m[0][2] + y * m.m[1][2] + z * m.m[2][2] + m.m[3][2],
               colour,
               corners[c][2] + du,
               corners[c][3] + dv};
  }
  for (int c : {0, 1, 2, 0, 2, 3}) vertices_.push_back(quad[c]);
}

void SpriteBatch::AddTriangle(const EffectVertex& a, const EffectVertex& b, const EffectVertex& c) {
  vertices_.push_back(a);
  vertices_.push_back(b);
  vertices_.push_back(c);
}

bool SpriteBatch::Draw(platform::gfx::Device* device) {
  if (device == nullptr || vertices_.empty()) return false;
  const auto count = static_cast<uint32_t>(vertices_.size());
  if (buffer_ == nullptr || capacity_ < count) {
    // Grown to twice what is asked, so a busy moment seldom makes a new buffer.
    const uint32_t wanted = std::max(count * 2, 256u);
    Release();
    if (!CreateBuffer(device, wanted)) return false;
  }
  uint8_t* data = nullptr;
  const auto bytes = static_cast<uint32_t>(count * sizeof(EffectVertex));
  if (platform::Failed(buffer_->Lock(0, bytes, &data, platform::gfx::lock_flags::kDiscard)) || data == nullptr) {
    return false;
  }
  std::memcpy(data, vertices_.data(), bytes);
  buffer_->Unlock();
  device->SetVertexShader(kEffectVertexFormat);
  device->SetStreamSource(0, buffer_, sizeof(EffectVertex));
  device->SetTransform(platform::gfx::TransformState::View, platform::IdentityMatrix());
  device->DrawPrimitive(platform::gfx::PrimitiveType::TriangleList, 0, count / 3);
  return true;
}

}  // namespace render
