// Shared sprite-quad helpers of the particle, glow and skid-mark effects.
#include "render/effects/effect_vertex.h"

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

}  // namespace render
