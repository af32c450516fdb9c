// Menu buttons: hit rectangle, highlight that follows the cursor, hover sound on entry and after a click.
#include "frontend/menu_button.h"

#include "platform/math/math.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"

namespace frontend {

MenuButton::MenuButton(platform::gfx::Device* device, render::ImageResource* image,
                       render::ResourceManager* resourceManager, float x, float y, float width, float height,
                       const TexRect& normalRect, const TexRect& highlightRect, int mode, int32_t id,
                       uint32_t screenWidth, uint32_t screenHeight)
    : mode(mode),
      width(width),
      height(height),
      image(image),
      normalRect(normalRect),
      highlightRect(highlightRect),
      id(id),
      resourceManager(resourceManager) {
  // Without a buffer (the device could not make one) the button draws nothing but still takes clicks.
  BuildQuad(device, width, height, normalRect);
  Place(x, y, screenWidth, screenHeight);
  if (resourceManager != nullptr) hoverSound = resourceManager->LoadSoundSample(kHoverSound, false);
}

bool MenuButton::BuildQuad(platform::gfx::Device* device, float newWidth, float newHeight, const TexRect& rect) {
  if (vertexBuffer != nullptr) {
    vertexBuffer->Release();
    vertexBuffer = nullptr;
  }
  vertexBuffer = CreateQuadBuffer(device, mode, newWidth, newHeight, rect);
  return vertexBuffer != nullptr;
}

void MenuButton::Place(float newX, float newY, uint32_t newScreenWidth, uint32_t newScreenHeight) {
  x = newX;
  y = newY;
  screenWidth = newScreenWidth;
  screenHeight = newScreenHeight;
  originX = OriginX(x, screenWidth);
  originY = OriginY(y, screenHeight);
  if (mode == 1) {
    hitLeft = x - width / 2.0f;
    hitTop = y - height / 2.0f;
    hitRight = x + width / 2.0f;
    hitBottom = y + height / 2.0f;
  } else {
    hitLeft = x;
    hitTop = y;
    hitRight = x + width;
    hitBottom = y + height;
  }
  PlaceLabels(screenWidth, screenHeight);
}

void MenuButton::PlaceLabels(uint32_t labelScreenWidth, uint32_t labelScreenHeight) {
  if (label) label->SetPosition(x + labelOffsetX, y + labelOffsetY, labelScreenWidth, labelScreenHeight);
  if (highlightLabel) {
    highlightLabel->SetPosition(x + highlightLabelOffsetX, y + highlightLabelOffsetY, labelScreenWidth,
                                labelScreenHeight);
  }
}

void MenuButton::SetLabel(platform::gfx::Device* device, const std::string& text, render::ImageResource* fontImage,
                          render::BitmapFont* font, float offsetX, float offsetY, float scale, bool alternate,
                          int32_t align, uint32_t labelScreenWidth, uint32_t labelScreenHeight) {
  labelOffsetX = offsetX;
  labelOffsetY = offsetY;
  label = std::make_unique<TextLabel>(device, fontImage, font, text, 0.0f, 0.0f, scale, alternate, align,
                                      labelScreenWidth, labelScreenHeight);
  PlaceLabels(labelScreenWidth, labelScreenHeight);
}

void MenuButton::SetSubLabel(platform::gfx::Device* device, const std::string& text,
                             render::ImageResource* fontImage, render::BitmapFont* font, float offsetX,
                             float offsetY, float scale, bool alternate, int32_t align, uint32_t labelScreenWidth,
                             uint32_t labelScreenHeight) {
  highlightLabelOffsetX = offsetX;
  highlightLabelOffsetY = offsetY;
  highlightLabel = std::make_unique<TextLabel>(device, fontImage, font, text, 0.0f, 0.0f, scale, alternate, align,
                                               labelScreenWidth, labelScreenHeight);
  PlaceLabels(labelScreenWidth, labelScreenHeight);
}

void MenuButton::SetLabelText(platform::gfx::Device* device, const std::string& text) {
  if (label) label->SetText(device, text);
}

void MenuButton::SetSubLabelText(platform::gfx::Device* device, const std::string& text) {
  if (highlightLabel) highlightLabel->SetText(device, text);
}

void MenuButton::FreeLabels() {
  label.reset();
  highlightLabel.reset();
}

bool MenuButton::HitTest(VirtualPoint point) const {
  const auto px = static_cast<float>(point.x);
  const auto py = static_cast<float>(point.y);
  return hitLeft <= px && px <= hitRight && hitTop <= py && py <= hitBottom;
}

void MenuButton::WriteTexCoords(const TexRect& rect) {
  if (vertexBuffer == nullptr) return;
  uint8_t* data = nullptr;
  if (platform::Failed(vertexBuffer->Lock(0, 0, &data, 0)) || data == nullptr) return;
  WriteQuadTexCoords(reinterpret_cast<WidgetVertex*>(data), rect);
  vertexBuffer->Unlock();
}

void MenuButton::PlayHoverSound() {
  int channel = platform::audio::kNoChannel;
  if (resourceManager != nullptr && hoverSound != platform::audio::kNoSample) {
    channel = resourceManager->SampleMixer().PlaySound(platform::audio::kFreeChannel, hoverSound);
  }
  // Without a channel the cursor is still inside: the sound must not be retried every frame.
  soundChannel = channel == platform::audio::kNoChannel ? kSilentInside : channel;
  clicked = false;
}

void MenuButton::UpdateHover(VirtualPoint point) {
  if (HitTest(point)) {
    wantedState = 1;
  } else {
    wantedState = 0;
    soundChannel = kOutside;
  }
  if (wantedState != shownState) {
    shownState = wantedState;
    WriteTexCoords(shownState == 1 ? highlightRect : normalRect);
  }
  if ((soundChannel == kOutside && wantedState == 1) || clicked) PlayHoverSound();
}

int32_t MenuButton::Click(VirtualPoint point) {
  clicked = false;
  if (!HitTest(point)) return kNoButton;
  clicked = true;
  return id;
}

void MenuButton::Draw(platform::gfx::Device* device) {
  DrawWithView(device, platform::TranslationMatrix(originX, originY, 1.0f));
}

void MenuButton::DrawWithView(platform::gfx::Device* device, const platform::Matrix4& view) {
  if (device == nullptr) return;
  if (vertexBuffer != nullptr) {
    device->SetVertexShader(kWidgetVertexFormat);
    platform::gfx::Texture* texture = render::GetImageTexture(image);
    if (texture != nullptr) device->SetTexture(0, texture);
    device->SetTransform(platform::gfx::TransformState::View, view);
    device->SetStreamSource(0, vertexBuffer, kWidgetVertexStride);
    device->DrawPrimitive(platform::gfx::PrimitiveType::TriangleFan, 0, 2);
  }
  if (!label) return;
  if (shownState == 1 && highlightLabel) {
    highlightLabel->Draw(device);
  } else {
    label->Draw(device);
  }
}

void MenuButton::Release() {
  FreeLabels();
  if (vertexBuffer != nullptr) {
    vertexBuffer->Release();
    vertexBuffer = nullptr;
  }
  image = nullptr;
  if (resourceManager != nullptr && hoverSound != platform::audio::kNoSample) {
    resourceManager->ReleaseSoundSample(hoverSound);
  }
  hoverSound = platform::audio::kNoSample;
}

}  // namespace frontend
