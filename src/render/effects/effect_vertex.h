// The vertex of the camera-facing sprites and tyre marks: world position, colour and one texture pair.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/graphics.h"
#include "platform/math/types.h"
#include "render/resources/resource_manager.h"

namespace render {

struct EffectVertex {
  float x, y, z;
  uint32_t diffuse;
  float u, v;
};
static_assert(sizeof(EffectVertex) == 24);

constexpr uint32_t kEffectVertexFormat =
    platform::gfx::fvf::kXyz | platform::gfx::fvf::kDiffuse | platform::gfx::fvf::kTex1;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFFu;

// A write-only managed buffer of count vertices, or null when the device refuses it.
platform::gfx::VertexBuffer* CreateEffectBuffer(platform::gfx::Device* device, uint32_t count);

// Writes a camera-facing square of side `side` (centred, at depth z) covering the texture cell (0, 0)-(cell, cell),
// in fan order top-left, top-right, bottom-right, bottom-left. False when the buffer cannot be locked.
bool WriteSpriteQuad(platform::gfx::VertexBuffer* buffer, float side, float z, float cell);

// The rotation-only inverse of a view: its transpose with the translation row and column cleared.
platform::Matrix4 BillboardOf(const platform::Matrix4& view);

// Camera-facing sprites gathered for one draw. Each is the sprite quad of WriteSpriteQuad carried by its own matrix
// into view space on the processor, so sprites that differ only in place, size, turn, flip-book cell and fade go to
// the device as one triangle list instead of one draw each. The batch's buffer is a dynamic one of the default
// pool: its owner joins it to the resource manager's device resets (JoinDeviceResets), which release it before a
// reset and make it again, as large as it was, after it.
class SpriteBatch : public DeviceBufferHolder {
 public:
  SpriteBatch() = default;
  ~SpriteBatch();
  SpriteBatch(const SpriteBatch&) = delete;
  SpriteBatch& operator=(const SpriteBatch&) = delete;

  void Clear() { vertices_.clear(); }
  // Adds the quad of side `side` at depth z covering the cell (0, 0)-(cell, cell) moved by (du, dv), carried
  // through `placed` (sprite to view space), in the vertex colour given.
  void Add(const platform::Matrix4& placed, float side, float z, float cell, float du, float dv, uint32_t colour);
  // Adds one triangle whose vertices are in view space already.
  void AddTriangle(const EffectVertex& a, const EffectVertex& b, const EffectVertex& c);
  size_t Count() const { return vertices_.size() / 6; }
  size_t TriangleCount() const { return vertices_.size() / 3; }
  // Draws what was gathered with the device's current states: the effect vertex format, the batch's own buffer on
  // stream 0 and an identity view transform (the vertices are in view space already). False when there was nothing
  // or the device gave no buffer.
  bool Draw(platform::gfx::Device* device);
  // Gives the device buffer back (it is made again at the next draw).
  void Release();
  // The device-reset pair: the buffer goes, keeping its size; then one of that size is made again (a failure
  // leaves it to the next draw).
  void ReleaseDeviceBuffers() override;
  void RestoreDeviceBuffers(platform::gfx::Device* device) override;
  bool HasBuffer() const { return buffer_ != nullptr; }
  // Vertices the buffer holds, or held before a reset.
  uint32_t Capacity() const { return capacity_; }

 private:
  bool CreateBuffer(platform::gfx::Device* device, uint32_t vertices);

  std::vector<EffectVertex> vertices_;
  platform::gfx::VertexBuffer* buffer_ = nullptr;
  uint32_t capacity_ = 0;  // vertices the buffer holds
};

}  // namespace render
