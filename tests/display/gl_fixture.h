// Shared set-up of the OpenGL device pixel tests: a window, the GL graphics system, a 64x64 device, vertex records
// and pixel helpers.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>

#include "platform/gfx/gl_device.h"
#include "platform/gfx/graphics.h"
#include "platform/window_system.h"

namespace platform::gfx::testing {

// XYZRHW | DIFFUSE
struct ScreenVertex {
  float x, y, z, rhw;
  uint32_t color;
};
constexpr uint32_t kScreenFvf = fvf::kXyzRhw | fvf::kDiffuse;

// XYZRHW | DIFFUSE | TEX1
struct ScreenTexVertex {
  float x, y, z, rhw;
  uint32_t color;
  float u, v;
};
constexpr uint32_t kScreenTexFvf = fvf::kXyzRhw | fvf::kDiffuse | fvf::kTex1;

// XYZ | DIFFUSE
struct ColorVertex {
  float x, y, z;
  uint32_t color;
};
constexpr uint32_t kColorFvf = fvf::kXyz | fvf::kDiffuse;

inline int Red(uint32_t argb) { return static_cast<int>((argb >> 16) & 0xFF); }
inline int Green(uint32_t argb) { return static_cast<int>((argb >> 8) & 0xFF); }
inline int Blue(uint32_t argb) { return static_cast<int>(argb & 0xFF); }
inline int Alpha(uint32_t argb) { return static_cast<int>(argb >> 24); }

inline uint32_t Argb(int a, int r, int g, int b) {
  return (static_cast<uint32_t>(a) << 24) | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
         static_cast<uint32_t>(b);
}

// A channel value 0-1 as the byte the hardware stores.
inline int Byte(double value) { return static_cast<int>(std::lround(std::fmin(1.0, std::fmax(0.0, value)) * 255.0)); }

// Channels of two colours differ by at most `tolerance`.
::testing::AssertionResult NearColor(uint32_t actual, uint32_t expected, int tolerance = 2);
#define EXPECT_COLOR_NEAR(actual, expected, ...) \
  EXPECT_TRUE(::platform::gfx::testing::NearColor((actual), (expected), ##__VA_ARGS__))

class GlDeviceTest : public ::testing::Test {
 protected:
  static constexpr uint32_t kSize = 64;

  void SetUp() override;
  void TearDown() override;

  // A windowed kSize x kSize back buffer with a 24-bit depth and 8-bit stencil buffer.
  static PresentParameters WindowedParameters();

  GlDevice& gl() { return *static_cast<GlDevice*>(device_); }
  Device& device() { return *device_; }
  uint32_t Pixel(uint32_t x, uint32_t y) { return gl().ReadPixel(x, y); }

  // A screen-space rectangle (pixels x0..x1, y0..y1 exclusive) of one colour at depth z, as two triangles.
  void DrawScreenRect(float x0, float y0, float x1, float y1, uint32_t color, float z = 0.5f);
  // The same with texture coordinates running 0..1 across it.
  void DrawScreenTexRect(float x0, float y0, float x1, float y1, uint32_t color, float z = 0.5f);
  // An A8R8G8B8 texture of 2x2 texels: top-left, top-right, bottom-left, bottom-right.
  Texture* MakeTexture2x2(uint32_t topLeft, uint32_t topRight, uint32_t bottomLeft, uint32_t bottomRight);
  // An A8R8G8B8 texture of one colour.
  Texture* MakeSolidTexture(uint32_t color, uint32_t size = 4);

  std::unique_ptr<WindowSystem> windows_;
  WindowHandle window_ = 0;
  std::unique_ptr<GraphicsSystem> system_;
  Device* device_ = nullptr;
};

// Unlit and without culling, for tests of what the raster stages make of plain coloured quads.
class GlUnlitTest : public GlDeviceTest {
 protected:
  void SetUp() override {
    GlDeviceTest::SetUp();
    if (HasFatalFailure()) return;
    device().SetRenderState(RenderState::Lighting, false);
    device().SetRenderState(RenderState::CullMode, CullMode::None);
  }

  // A full-target quad of untransformed vertices at depth z (identity transforms); returns the middle pixel.
  uint32_t DrawDepthQuad(float z, uint32_t color) {
    const ColorVertex quad[4] = {{-1, 1, z, color}, {1, 1, z, color}, {-1, -1, z, color}, {1, -1, z, color}};
    device().SetVertexShader(kColorFvf);
    EXPECT_EQ(device().DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof(ColorVertex)), kOk);
    return Pixel(kSize / 2, kSize / 2);
  }
};

}  // namespace platform::gfx::testing
