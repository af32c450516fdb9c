// The vertex of the camera-facing sprites and tyre marks: world position, colour and one texture pair.
#pragma once

#include <cstdint>

#include "platform/gfx/graphics.h"
#include "platform/math/types.h"

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

}  // namespace render
