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

  // Writes the quad for a size and texture rectangle into a new 96-byte managed buffer (a sprite built again gives
  // its old buffer back first). False when the buffer cannot be created or filled: the sprite then draws nothing.
  bool BuildQuad(platform::gfx::Device* device, float width, float height, float texLeft, float texTop,
                 float texRight, float texBottom);
  void SetPosition(float newX, float newY, uint32_t newScreenWidth, uint32_t newScreenHeight);
  // Rewrites the corners for a new size, keeping texture coordinates; the failed lock's code, else the unlock's.
  platform::HResult SetSize(float width, float height);
  // The HUD's name for SetSize (TextLabel::AlignOffset is another name of this same step): nothing changes when
  // the buffer cannot be locked.
  void Resize(float width, float height) { SetSize(width, height); }
  // Binds the image (when it has a texture) and draws, turned by angle about the origin point.
  void Draw(platform::gfx::Device* device);
  // Draw's placement without binding a texture: the caller has set texture and stage states.
  void DrawRotated(platform::gfx::Device* device);
  void DrawWithView(platform::gfx::Device* device, const platform::Matrix4& view);
  // Forgets the image (never released here: the resource manager owns it) and frees the buffer.
  void Release();

  // The view transform Draw uses: rotation about z by angle (when it is not 0), then translation to the origin.
  platform::Matrix4 PlacementView() const;

  int32_t mode = 0;
  float angle = 0;  // degrees about the screen normal, counter-clockwise on screen
  float x = 0, y = 0;
  float originX = 0, originY = 0;
  uint32_t screenWidth = kVirtualWidth, screenHeight = kVirtualHeight;
  render::ImageResource* image = nullptr;
  platform::gfx::VertexBuffer* vertexBuffer = nullptr;

 private:
  void Submit(platform::gfx::Device* device, const platform::Matrix4& view, bool withTexture);
};

}  // namespace frontend
