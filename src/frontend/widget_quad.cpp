// Quad building shared by sprites and menu buttons.
#include "frontend/widget_quad.h"

namespace frontend {

TexRect AtlasRect(uint32_t imageWidth, uint32_t imageHeight, float left, float top, float right, float bottom) {
  if (imageWidth == 0 || imageHeight == 0) return TexRect{};
  const float w = static_cast<float>(imageWidth);
  const float h = static_cast<float>(imageHeight);
  return TexRect{left / w, top / h, right / w, bottom / h};
}

void WriteQuadPositions(WidgetVertex* quad, int mode, float width, float height) {
  float left = 0, top = 0, right = width, bottom = -height;
  if (mode == 1) {
    left = -width / 2.0f;
    right = width / 2.0f;
    top = height / 2.0f;
    bottom = -height / 2.0f;
  }
  const float xs[4] = {left, right, right, left};
  const float ys[4] = {top, top, bottom, bottom};
  for (int i = 0; i < 4; ++i) {
    quad[i].x = xs[i];
    quad[i].y = ys[i];
    quad[i].z = 0.0f;
    quad[i].diffuse = kOpaqueWhite;
  }
}

void WriteQuadTexCoords(WidgetVertex* quad, const TexRect& rect) {
  const float us[4] = {rect.left, rect.right, rect.right, rect.left};
  const float vs[4] = {rect.top, rect.top, rect.bottom, rect.bottom};
  for (int i = 0; i < 4; ++i) {
    quad[i].u = us[i];
    quad[i].v = vs[i];
  }
}

platform::gfx::VertexBuffer* CreateQuadBuffer(platform::gfx::Device* device, int mode, float width, float height,
                                              const TexRect& rect) {
  if (device == nullptr) return nullptr;
  platform::gfx::VertexBuffer* buffer = nullptr;
  if (platform::Failed(device->CreateVertexBuffer(4 * kWidgetVertexStride, platform::gfx::usage::kWriteOnly,
                                                  kWidgetVertexFormat, platform::gfx::Pool::Managed, &buffer)) ||
      buffer == nullptr) {
    return nullptr;
  }
  uint8_t* data = nullptr;
  if (platform::Failed(buffer->Lock(0, 0, &data, 0)) || data == nullptr) {
    buffer->Release();
    return nullptr;
  }
  auto* quad = reinterpret_cast<WidgetVertex*>(data);
  WriteQuadPositions(quad, mode, width, height);
  WriteQuadTexCoords(quad, rect);
  buffer->Unlock();
  return buffer;
}

}  // namespace frontend
