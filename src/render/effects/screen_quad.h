// Full-screen pre-transformed quads: the light-trail capture that fades and accumulates glows over frames and
// adds them over the finished frame, and a one-colour quad for shadow darkening and fades.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gfx/graphics.h"

namespace app {
class Settings;
}

namespace render {

class ImageResource;
class ResourceManager;

// A float channel as a byte: 1 and above 255, 0 and below 0, else a × 255 rounded.
uint32_t ColorChannelByte(float a);

// x, y, z, rhw, diffuse, u, v.
struct TexturedScreenVertex {
  float x, y, z, rhw;
  uint32_t diffuse;
  float u, v;
};
// x, y, z, rhw, diffuse.
struct ColorScreenVertex {
  float x, y, z, rhw;
  uint32_t diffuse;
};
constexpr uint32_t kTexturedScreenVertexFormat =
    platform::gfx::fvf::kXyzRhw | platform::gfx::fvf::kDiffuse | platform::gfx::fvf::kTex1;
constexpr uint32_t kColorScreenVertexFormat = platform::gfx::fvf::kXyzRhw | platform::gfx::fvf::kDiffuse;
static_assert(sizeof(TexturedScreenVertex) == 28);
static_assert(sizeof(ColorScreenVertex) == 20);

class ScreenQuad {
 public:
  ScreenQuad() = default;
  ~ScreenQuad() { Release(); }
  ScreenQuad(const ScreenQuad&) = delete;
  ScreenQuad& operator=(const ScreenQuad&) = delete;

  // Loads the fade image only when both names are given; the capture target is a square of captureSize pixels.
  void Create(platform::gfx::Device* device, ResourceManager* resourceManager, const app::Settings* quadSettings,
              const std::string& colourName, const std::string& alphaName, uint32_t size, float fadeAlpha);
  // Fills both quads for the current screen size and clears the capture target; again after a device reset.
  void Build(platform::gfx::Device* device, const app::Settings* quadSettings);
  void SetAlpha(float fadeAlpha);
  bool HasTexture() const;
  // Fades what the current render target holds by the capture quad's alpha.
  void DrawFade(platform::gfx::Device* device);
  // Starts drawing into the capture target with the camera's projection.
  void BeginCapture(platform::gfx::Device* device);
  void EndCapture(platform::gfx::Device* device);
  // The same two operations under the names the race's drawing code uses for them.
  void Draw(platform::gfx::Device* device) { BeginCapture(device); }
  void DrawBlended(platform::gfx::Device* device) { EndCapture(device); }
  // Adds the capture over the screen.
  void DrawPass(platform::gfx::Device* device);
  // Leaves the object reusable by a new Create.
  void Release();

  platform::gfx::VertexBuffer* fullScreenBuffer = nullptr;
  platform::gfx::VertexBuffer* captureBuffer = nullptr;
  ImageResource* captureImage = nullptr;
  ImageResource* fadeImage = nullptr;
  const app::Settings* settings = nullptr;
  ResourceManager* resources = nullptr;
  float alpha = 0;
  float width = 0, height = 0;
  uint32_t captureSize = 0;

 private:
  void WriteCaptureColour();
};

class ColorQuad {
 public:
  ColorQuad() = default;
  ~ColorQuad() { ReleaseComPointer(); }
  ColorQuad(const ColorQuad&) = delete;
  ColorQuad& operator=(const ColorQuad&) = delete;

  void Create(platform::gfx::Device* device, const app::Settings* settings);
  void Build(platform::gfx::Device* device, const app::Settings* settings);
  // Channels 0..1.
  void SetColor(float r, float g, float b, float a);
  // Blended over the screen, or only over `area` when given.
  void Draw(platform::gfx::Device* device, const platform::gfx::Rect* area = nullptr);
  // Blended only where the stencil holds 1 or more; only over `area` (pixels, rows top-down) when given, for a
  // stencil set nowhere else.
  void DrawStencilShadow(platform::gfx::Device* device, const platform::gfx::Rect* area = nullptr);
  void ReleaseComPointer();

  platform::gfx::VertexBuffer* buffer = nullptr;
  float red = 0, green = 0, blue = 0, alpha = 0.8f;

 private:
  uint32_t Colour() const;
  void WriteVertices(bool positions);
  float width_ = 0, height_ = 0;
};

}  // namespace render
