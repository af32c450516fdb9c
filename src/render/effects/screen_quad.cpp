// Light-trail capture quad and the one-colour screen quad.
#include "render/effects/screen_quad.h"

#include <cstring>

#include "app/settings.h"
#include "platform/math/math.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"

namespace render {

namespace {

using platform::gfx::Blend;
using platform::gfx::Device;
using platform::gfx::RenderState;
using platform::gfx::TextureOp;
using platform::gfx::TextureStageState;
using platform::gfx::VertexBuffer;
namespace arg = platform::gfx::texture_arg;

constexpr float kDegreesToRadians = 0.01745329252f;
// The fade quad's own projection; the vertices are pre-transformed, so it only resets the device state.
constexpr float kFadeOrthoWidth = 1024.0f;
constexpr float kFadeOrthoHeight = 768.0f;

VertexBuffer* CreateQuadBuffer(Device* device, uint32_t bytes, uint32_t format) {
  if (device == nullptr) return nullptr;
  VertexBuffer* buffer = nullptr;
  if (platform::Failed(device->CreateVertexBuffer(bytes, platform::gfx::usage::kWriteOnly, format,
                                                   platform::gfx::Pool::Managed, &buffer))) {
    return nullptr;
  }
  return buffer;
}

void ReleaseBuffer(VertexBuffer*& buffer) {
  if (buffer != nullptr) buffer->Release();
  buffer = nullptr;
}

// The four corners in strip order: (0, h), (0, 0), (w, h), (w, 0).
template <typename Vertex>
void FillCorners(Vertex (&vertices)[4], float w, float h, uint32_t colour) {
  const float xs[4] = {0, 0, w, w};
  const float ys[4] = {h, 0, h, 0};
  for (int i = 0; i < 4; ++i) {
    vertices[i].x = xs[i];
    vertices[i].y = ys[i];
    vertices[i].z = 0.0f;
    vertices[i].rhw = 1.0f;
    vertices[i].diffuse = colour;
  }
}

template <typename Vertex>
bool WriteBuffer(VertexBuffer* buffer, const Vertex (&vertices)[4]) {
  if (buffer == nullptr) return false;
  uint8_t* data = nullptr;
  if (platform::Failed(buffer->Lock(0, sizeof(vertices), &data, 0)) || data == nullptr) return false;
  std::memcpy(data, vertices, sizeof(vertices));
  buffer->Unlock();
  return true;
}

void WriteTexturedQuad(VertexBuffer* buffer, float w, float h, uint32_t colour) {
  TexturedScreenVertex vertices[4];
  FillCorners(vertices, w, h, colour);
  const float us[4] = {0, 0, 1, 1};
  const float vs[4] = {1, 0, 1, 0};
  for (int i = 0; i < 4; ++i) {
    vertices[i].u = us[i];
    vertices[i].v = vs[i];
  }
  WriteBuffer(buffer, vertices);
}

float ScreenWidth(const app::Settings* settings) {
  return settings != nullptr ? static_cast<float>(settings->GetInt(app::SettingId::SCREENWIDTH)) : 0.0f;
}
float ScreenHeight(const app::Settings* settings) {
  return settings != nullptr ? static_cast<float>(settings->GetInt(app::SettingId::SCREENHEIGHT)) : 0.0f;
}

// Stage 0 back to modulate texture × current for colour and diffuse × current for alpha.
void RestoreStageDefaults(Device* device) {
  device->SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::Modulate);
  device->SetTextureStageState(0, TextureStageState::ColorArg1, arg::kTexture);
  device->SetTextureStageState(0, TextureStageState::ColorArg2, arg::kCurrent);
  device->SetTextureStageState(0, TextureStageState::AlphaOp, TextureOp::Modulate);
  device->SetTextureStageState(0, TextureStageState::AlphaArg1, arg::kDiffuse);
  device->SetTextureStageState(0, TextureStageState::AlphaArg2, arg::kCurrent);
}

}  // namespace

uint32_t ColorChannelByte(float a) {
  if (a >= 1.0f) return 255;
  if (!(a > 0.0f)) return 0;
  return static_cast<uint32_t>(a * 255.0f + 0.5f);
}

// ---- ScreenQuad ---------------------------------------------------------------------------------------------

void ScreenQuad::Create(Device* device, ResourceManager* resourceManager, const app::Settings* quadSettings,
                        const std::string& colourName, const std::string& alphaName, uint32_t size,
                        float fadeAlpha) {
  Release();
  resources = resourceManager;
  settings = quadSettings;
  captureSize = size;
  alpha = fadeAlpha;
  fullScreenBuffer = CreateQuadBuffer(device, 4 * sizeof(TexturedScreenVertex), kTexturedScreenVertexFormat);
  captureBuffer = CreateQuadBuffer(device, 4 * sizeof(TexturedScreenVertex), kTexturedScreenVertexFormat);
  if (resources != nullptr) {
    if (!colourName.empty() && !alphaName.empty()) {
      fadeImage = resources->LoadImagePair(device, colourName, alphaName, false, true);
    }
    captureImage = resources->CreateImage(device, "", "", "", "", "", true, true);
    if (captureImage != nullptr) captureImage->CreateRenderTarget(device, captureSize, 0);
  }
  Build(device, settings);
}

void ScreenQuad::Build(Device* device, const app::Settings* quadSettings) {
  settings = quadSettings;
  width = ScreenWidth(settings);
  height = ScreenHeight(settings);
  WriteTexturedQuad(fullScreenBuffer, width, height, 0xFF000000u);
  const float side = static_cast<float>(captureSize);
  WriteTexturedQuad(captureBuffer, side, side, ColorChannelByte(alpha) << 24);
  if (device != nullptr && captureImage != nullptr && captureImage->targetReady &&
      platform::Succeeded(captureImage->BeginRenderToTexture())) {
    device->Clear(platform::gfx::clear_flags::kTarget | platform::gfx::clear_flags::kZBuffer, 0xFF000000u, 1.0f, 0);
    captureImage->EndRenderToTexture();
  }
}

void ScreenQuad::SetAlpha(float fadeAlpha) {
  alpha = fadeAlpha;
  WriteCaptureColour();
}

void ScreenQuad::WriteCaptureColour() {
  if (captureBuffer == nullptr) return;
  uint8_t* data = nullptr;
  if (platform::Failed(captureBuffer->Lock(0, 4 * sizeof(TexturedScreenVertex), &data, 0)) || data == nullptr) return;
  auto* vertices = reinterpret_cast<TexturedScreenVertex*>(data);
  for (int i = 0; i < 4; ++i) vertices[i].diffuse = ColorChannelByte(alpha) << 24;
  captureBuffer->Unlock();
}

bool ScreenQuad::HasTexture() const { return captureImage != nullptr && captureImage->targetReady; }

void ScreenQuad::DrawFade(Device* device) {
  if (device == nullptr) return;
  if (width != ScreenWidth(settings) || height != ScreenHeight(settings)) Build(device, settings);

  device->SetTransform(platform::gfx::TransformState::Projection,
                       platform::OrthoLH(kFadeOrthoWidth, kFadeOrthoHeight, 1.0f, 10.0f));
  device->SetTransform(platform::gfx::TransformState::World, platform::IdentityMatrix());
  device->SetTransform(platform::gfx::TransformState::View, platform::IdentityMatrix());

  device->SetRenderState(RenderState::ZEnable, false);
  device->SetRenderState(RenderState::ZWriteEnable, false);
  device->SetRenderState(RenderState::AlphaBlendEnable, true);
  device->SetRenderState(RenderState::SrcBlend, Blend::SrcAlpha);
  device->SetRenderState(RenderState::DestBlend, Blend::InvSrcAlpha);

  if (fadeImage != nullptr) {
    device->SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::SelectArg1);
    device->SetTextureStageState(0, TextureStageState::ColorArg1, arg::kTexture);
    device->SetTextureStageState(0, TextureStageState::AlphaOp, TextureOp::Modulate);
    device->SetTextureStageState(0, TextureStageState::AlphaArg1, arg::kTexture);
    device->SetTextureStageState(0, TextureStageState::AlphaArg2, arg::kCurrent);
    device->SetTexture(0, GetImageTexture(fadeImage));
  } else {
    device->SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::Modulate);
    device->SetTextureStageState(0, TextureStageState::ColorArg1, arg::kDiffuse);
    device->SetTextureStageState(0, TextureStageState::ColorArg2, arg::kCurrent);
    device->SetTextureStageState(0, TextureStageState::AlphaOp, TextureOp::Modulate);
    device->SetTextureStageState(0, TextureStageState::AlphaArg1, arg::kDiffuse);
    device->SetTextureStageState(0, TextureStageState::AlphaArg2, arg::kCurrent);
  }

  if (captureBuffer != nullptr) {
    device->SetVertexShader(kTexturedScreenVertexFormat);
    device->SetStreamSource(0, captureBuffer, sizeof(TexturedScreenVertex));
    device->DrawPrimitive(platform::gfx::PrimitiveType::TriangleStrip, 0, 2);
  }

  device->SetRenderState(RenderState::ZEnable, true);
  device->SetRenderState(RenderState::ZWriteEnable, true);
  device->SetRenderState(RenderState::AlphaBlendEnable, false);
  RestoreStageDefaults(device);
}

void ScreenQuad::BeginCapture(Device* device) {
  if (device == nullptr || !HasTexture()) return;
  const float w = ScreenWidth(settings);
  const float h = ScreenHeight(settings);
  const float fov = settings != nullptr ? settings->GetFloat(app::FloatSettingId::FOV) * kDegreesToRadians : 0.0f;
  const float nearClip = settings != nullptr ? settings->GetFloat(app::FloatSettingId::NEARCLIP) : 1.0f;
  const float farClip = settings != nullptr ? settings->GetFloat(app::FloatSettingId::FARCLIP) : 10.0f;
  const platform::Matrix4 perspective = platform::PerspectiveFovLH(fov, h != 0.0f ? w / h : 1.0f, nearClip, farClip);
  if (platform::Failed(captureImage->BeginRenderToTexture())) return;
  // Only depth is cleared: the colour of earlier frames stays and fades.
  device->Clear(platform::gfx::clear_flags::kZBuffer, 0, 1.0f, 0);
  DrawFade(device);
  device->SetTransform(platform::gfx::TransformState::Projection, perspective);
  device->SetRenderState(RenderState::SrcBlend, Blend::One);
  device->SetRenderState(RenderState::DestBlend, Blend::Zero);
}

void ScreenQuad::EndCapture(Device* device) {
  if (device == nullptr || !HasTexture()) return;
  DrawFade(device);
  device->SetRenderState(RenderState::SrcBlend, Blend::One);
  device->SetRenderState(RenderState::DestBlend, Blend::Zero);
  captureImage->EndRenderToTexture();
}

void ScreenQuad::DrawPass(Device* device) {
  if (device == nullptr || !HasTexture() || fullScreenBuffer == nullptr) return;
  device->SetRenderState(RenderState::ZEnable, false);
  device->SetRenderState(RenderState::ZWriteEnable, false);
  device->SetRenderState(RenderState::AlphaBlendEnable, true);
  device->SetRenderState(RenderState::SrcBlend, Blend::One);
  device->SetRenderState(RenderState::DestBlend, Blend::One);
  device->SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::SelectArg1);
  device->SetTextureStageState(0, TextureStageState::ColorArg1, arg::kTexture);
  device->SetTextureStageState(0, TextureStageState::AlphaOp, TextureOp::Modulate);
  device->SetTextureStageState(0, TextureStageState::AlphaArg1, arg::kDiffuse);
  device->SetTextureStageState(0, TextureStageState::AlphaArg2, arg::kCurrent);
  device->SetTexture(0, captureImage->GetRenderTargetTexture());
  device->SetVertexShader(kTexturedScreenVertexFormat);
  device->SetStreamSource(0, fullScreenBuffer, sizeof(TexturedScreenVertex));
  device->DrawPrimitive(platform::gfx::PrimitiveType::TriangleStrip, 0, 2);
  device->SetRenderState(RenderState::ZEnable, true);
  device->SetRenderState(RenderState::ZWriteEnable, true);
  device->SetRenderState(RenderState::AlphaBlendEnable, false);
  device->SetRenderState(RenderState::SrcBlend, Blend::One);
  device->SetRenderState(RenderState::DestBlend, Blend::Zero);
  device->SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::Modulate);
}

void ScreenQuad::Release() {
  if (resources != nullptr) {
    if (captureImage != nullptr) resources->ReleaseImage(captureImage);
    if (fadeImage != nullptr) resources->ReleaseImage(fadeImage);
  }
  captureImage = nullptr;
  fadeImage = nullptr;
  ReleaseBuffer(fullScreenBuffer);
  ReleaseBuffer(captureBuffer);
}

// ---- ColorQuad ----------------------------------------------------------------------------------------------

void ColorQuad::Create(Device* device, const app::Settings* settings) {
  ReleaseComPointer();
  red = green = blue = 0.0f;
  alpha = 0.8f;
  buffer = CreateQuadBuffer(device, 4 * sizeof(ColorScreenVertex), kColorScreenVertexFormat);
  Build(device, settings);
}

void ColorQuad::Build(Device* /*device*/, const app::Settings* settings) {
  width_ = ScreenWidth(settings);
  height_ = ScreenHeight(settings);
  WriteVertices(true);
}

void ColorQuad::SetColor(float r, float g, float b, float a) {
  red = r;
  green = g;
  blue = b;
  alpha = a;
  WriteVertices(false);
}

uint32_t ColorQuad::Colour() const {
  return ColorChannelByte(alpha) << 24 | ColorChannelByte(red) << 16 | ColorChannelByte(green) << 8 |
         ColorChannelByte(blue);
}

void ColorQuad::WriteVertices(bool positions) {
  if (buffer == nullptr) return;
  const uint32_t colour = Colour();
  uint8_t* data = nullptr;
  if (platform::Failed(buffer->Lock(0, 4 * sizeof(ColorScreenVertex), &data, 0)) || data == nullptr) return;
  auto* vertices = reinterpret_cast<ColorScreenVertex*>(data);
  if (positions) {
    ColorScreenVertex fresh[4];
    FillCorners(fresh, width_, height_, colour);
    std::memcpy(vertices, fresh, sizeof(fresh));
  } else {
    for (int i = 0; i < 4; ++i) vertices[i].diffuse = colour;
  }
  buffer->Unlock();
}

void ColorQuad::Draw(Device* device, const platform::gfx::Rect* area) {
  if (device == nullptr || buffer == nullptr) return;
  device->SetRenderState(RenderState::ZEnable, false);
  device->SetRenderState(RenderState::AlphaBlendEnable, true);
  device->SetRenderState(RenderState::SrcBlend, Blend::SrcAlpha);
  device->SetRenderState(RenderState::DestBlend, Blend::InvSrcAlpha);
  device->SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::Modulate);
  device->SetTextureStageState(0, TextureStageState::ColorArg1, arg::kTexture);
  device->SetTextureStageState(0, TextureStageState::ColorArg2, arg::kDiffuse);
  device->SetTextureStageState(0, TextureStageState::AlphaOp, TextureOp::Modulate);
  device->SetTextureStageState(0, TextureStageState::AlphaArg1, arg::kTexture);
  device->SetTextureStageState(0, TextureStageState::AlphaArg2, arg::kDiffuse);
  // A texture left bound by an earlier draw would tint the quad; with none the diffuse colour passes unchanged.
  device->SetTexture(0, nullptr);
  device->SetVertexShader(kColorScreenVertexFormat);
  if (area != nullptr) {
    ColorScreenVertex corners[4];
    FillCorners(corners, static_cast<float>(area->right - area->left), static_cast<float>(area->bottom - area->top),
                Colour());
    for (ColorScreenVertex& corner : corners) {
      corner.x += static_cast<float>(area->left);
      corner.y += static_cast<float>(area->top);
    }
    device->DrawPrimitiveUP(platform::gfx::PrimitiveType::TriangleStrip, 2, corners, sizeof(ColorScreenVertex));
  } else {
    device->SetStreamSource(0, buffer, sizeof(ColorScreenVertex));
    device->DrawPrimitive(platform::gfx::PrimitiveType::TriangleStrip, 0, 2);
  }
  device->SetRenderState(RenderState::ZEnable, true);
  device->SetRenderState(RenderState::AlphaBlendEnable, false);
  RestoreStageDefaults(device);
  device->SetRenderState(RenderState::SrcBlend, Blend::One);
  device->SetRenderState(RenderState::DestBlend, Blend::Zero);
}

void ColorQuad::DrawStencilShadow(Device* device, const platform::gfx::Rect* area) {
  if (device == nullptr || buffer == nullptr) return;
  device->SetRenderState(RenderState::StencilEnable, true);
  device->SetRenderState(RenderState::StencilRef, 1);
  device->SetRenderState(RenderState::StencilFunc, platform::gfx::CompareFunc::LessEqual);
  device->SetRenderState(RenderState::StencilPass, platform::gfx::StencilOp::Keep);
  Draw(device, area);
  device->SetRenderState(RenderState::StencilEnable, false);
}

void ColorQuad::ReleaseComPointer() { ReleaseBuffer(buffer); }

}  // namespace render
