// The vertex of every 2D widget (position, opaque white, one texture pair) and the quad writers sprites and
// buttons share.
#pragma once

#include <cstdint>

#include "platform/gfx/graphics.h"

namespace frontend {

struct WidgetVertex {
  float x, y, z;
  uint32_t diffuse;
  float u, v;
};
static_assert(sizeof(WidgetVertex) == 24);

inline constexpr uint32_t kWidgetVertexFormat =
    platform::gfx::fvf::kXyz | platform::gfx::fvf::kDiffuse | platform::gfx::fvf::kTex1;
inline constexpr uint32_t kWidgetVertexStride = sizeof(WidgetVertex);
inline constexpr uint32_t kOpaqueWhite = 0xFFFFFFFFu;
// The virtual screen every widget of the menus and the HUD is placed in.
inline constexpr uint32_t kVirtualWidth = 800;
inline constexpr uint32_t kVirtualHeight = 600;

// A texture rectangle: left, top, right, bottom in texture units (left > right mirrors, top > bottom flips).
struct TexRect {
  float left = 0, top = 0, right = 1, bottom = 1;
};

// Pixel rectangle of an atlas image turned into texture units (x / image width, y / image height); a missing
// image (width or height 0) gives the unit rectangle so nothing divides by zero.
TexRect AtlasRect(uint32_t imageWidth, uint32_t imageHeight, float left, float top, float right, float bottom);

// Quad corners in local space (y up): mode 0 hangs right and down from the origin, mode 1 is centred on it.
void WriteQuadPositions(WidgetVertex* quad, int mode, float width, float height);
void WriteQuadTexCoords(WidgetVertex* quad, const TexRect& rect);

// Creates a 4-vertex write-only managed buffer holding the quad; null when it cannot be created or filled.
platform::gfx::VertexBuffer* CreateQuadBuffer(platform::gfx::Device* device, int mode, float width, float height,
                                              const TexRect& rect);

// The drawing translation of a widget at (x, y) in a virtual screen: the centred, y-up space of the 2D pass.
inline float OriginX(float x, uint32_t screenWidth) { return x - static_cast<float>(screenWidth) / 2.0f; }
inline float OriginY(float y, uint32_t screenHeight) { return -(y - static_cast<float>(screenHeight) / 2.0f); }

}  // namespace frontend
