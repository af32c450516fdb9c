// A textured quad placed in the 800 × 600 virtual screen: menu backgrounds, logos, the pointer, HUD pieces.
#pragma once

#include <cstdint>

#include "frontend/widget_quad.h"
#include "platform/gfx/graphics.h"
#include "platform/math/types.h"
#include "platform/result.h"

namespace render {
class ImageResource;
}

namespace frontend {

class Sprite {
 public:
  // mode 0: (x, y) is the top-left corner; mode 1: the quad is centred on (x, y). Sizes in virtual pixels.
  Sprite(platform::gfx::Device* device, render::ImageResource* image, float x, float y, float width, float height,
         float texLeft, float texTop, float texRight, float texBottom, int mode, uint32_t screenWidth,
         uint32_t screenHeight);
  ~Sprite() { Release(); }
  Sprite(const Sprite&) = delete;
  Sprite& operator=(const Sprite&) = delete;

  void SetPosition(float newX, float newY, uint32_t newScreenWidth, uint32_t newScreenHeight);
  // Rewrites the corners for a new size, keeping texture coordinates; the failed lock's code, else the unlock's.
  platform::HResult SetSize(float width, float height);
  // The HUD's name for SetSize: nothing changes when the buffer cannot be locked.
  void Resize(float width, float height) { SetSize(width, height); }
  void Draw(platform::gfx::Device* device);
  void DrawWithView(platform::gfx::Device* device, const platform::Matrix4& view);
  // Forgets the image (never released here: the resource manager owns it) and frees the buffer.
  void Release();

  // The view transform Draw uses: translation to the origin.
  platform::Matrix4 PlacementView() const;

  int32_t mode = 0;
  float x = 0, y = 0;
  float originX = 0, originY = 0;
  uint32_t screenWidth = kVirtualWidth, screenHeight = kVirtualHeight;
  render::ImageResource* image = nullptr;
  platform::gfx::VertexBuffer* vertexBuffer = nullptr;

 private:
  void Submit(platform::gfx::Device* device, const platform::Matrix4& view);
};

}  // namespace frontend
