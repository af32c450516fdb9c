// Sprite quads: built once into a managed buffer, placed by a view translation, drawn as a two-triangle fan.
#include "frontend/sprite.h"

#include "platform/math/math.h"
#include "render/resources/image_resource.h"

namespace frontend {

namespace {
constexpr float kDegreesToRadians = 0.0174532924f;
}

Sprite::Sprite(platform::gfx::Device* device, render::ImageResource* image, float x, float y, float width,
               float height, float texLeft, float texTop, float texRight, float texBottom, int mode,
               uint32_t screenWidth, uint32_t screenHeight)
    : mode(mode), image(image) {
  // A sprite without a buffer simply draws nothing, so the result needs no handling here.
  BuildQuad(device, width, height, texLeft, texTop, texRight, texBottom);
  SetPosition(x, y, screenWidth, screenHeight);
}

bool Sprite::BuildQuad(platform::gfx::Device* device, float width, float height, float texLeft, float texTop,
                       float texRight, float texBottom) {
  if (vertexBuffer != nullptr) {
    vertexBuffer->Release();
    vertexBuffer = nullptr;
  }
  vertexBuffer = CreateQuadBuffer(device, mode, width, height, TexRect{texLeft, texTop, texRight, texBottom});
  return vertexBuffer != nullptr;
}

void Sprite::SetPosition(float newX, float newY, uint32_t newScreenWidth, uint32_t newScreenHeight) {
  x = newX;
  y = newY;
  screenWidth = newScreenWidth;
  screenHeight = newScreenHeight;
  originX = OriginX(x, screenWidth);
  originY = OriginY(y, screenHeight);
}

platform::HResult Sprite::SetSize(float width, float height) {
  if (vertexBuffer == nullptr) return platform::kInvalidCall;
  uint8_t* data = nullptr;
  const platform::HResult locked = vertexBuffer->Lock(0, 0, &data, 0);
  if (platform::Failed(locked)) return locked;
  WriteQuadPositions(reinterpret_cast<WidgetVertex*>(data), mode, width, height);
  return vertexBuffer->Unlock();
}

platform::Matrix4 Sprite::PlacementView() const {
  const platform::Matrix4 translation = platform::TranslationMatrix(originX, originY, 1.0f);
  if (angle == 0.0f) return translation;
  return platform::RotationZMatrix(angle * kDegreesToRadians) * translation;
}

void Sprite::Draw(platform::gfx::Device* device) { DrawWithView(device, PlacementView()); }

void Sprite::DrawRotated(platform::gfx::Device* device) { Submit(device, PlacementView(), false); }

void Sprite::DrawWithView(platform::gfx::Device* device, const platform::Matrix4& view) {
  Submit(device, view, true);
}

void Sprite::Submit(platform::gfx::Device* device, const platform::Matrix4& view, bool withTexture) {
  if (device == nullptr || vertexBuffer == nullptr) return;
  device->SetVertexShader(kWidgetVertexFormat);
  if (platform::gfx::Texture* texture = render::GetImageTexture(image); withTexture && texture != nullptr) {
    device->SetTexture(0, texture);
  }
  device->SetTransform(platform::gfx::TransformState::View, view);
  device->SetStreamSource(0, vertexBuffer, kWidgetVertexStride);
  device->DrawPrimitive(platform::gfx::PrimitiveType::TriangleFan, 0, 2);
}

void Sprite::Release() {
  image = nullptr;
  if (vertexBuffer != nullptr) {
    vertexBuffer->Release();
    vertexBuffer = nullptr;
  }
}

}  // namespace frontend
