// Shared set-up of the OpenGL device pixel tests.
#include "gl_fixture.h"

#include <cstdio>
#include <cstdlib>

namespace platform::gfx::testing {

::testing::AssertionResult NearColor(uint32_t actual, uint32_t expected, int tolerance) {
  const int channels[4][2] = {{Alpha(actual), Alpha(expected)},
                              {Red(actual), Red(expected)},
                              {Green(actual), Green(expected)},
                              {Blue(actual), Blue(expected)}};
  for (const auto& channel : channels) {
    if (std::abs(channel[0] - channel[1]) > tolerance) {
      char text[96];
      std::snprintf(text, sizeof(text), "colour %08X, expected %08X (tolerance %d)", actual, expected, tolerance);
      return ::testing::AssertionFailure() << text;
    }
  }
  return ::testing::AssertionSuccess();
}

PresentParameters GlDeviceTest::WindowedParameters() {
  PresentParameters parameters;
  parameters.windowed = true;
  parameters.backBufferWidth = kSize;
  parameters.backBufferHeight = kSize;
  parameters.backBufferFormat = Format::X8R8G8B8;
  parameters.enableAutoDepthStencil = true;
  parameters.autoDepthStencilFormat = Format::D24S8;
  return parameters;
}

void GlDeviceTest::SetUp() {
  windows_ = CreateSdlWindowSystem();
  ASSERT_NE(windows_, nullptr) << "no display";
  window_ = windows_->CreateWindow("Corsaire graphics test", window_style::kWindowed, kSize, kSize,
                                   [this](WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
                                     return windows_->DefWindowProc(window, message, wParam, lParam);
                                   });
  ASSERT_NE(window_, 0u);
  system_ = CreateGlGraphicsSystem(*windows_);
  ASSERT_NE(system_, nullptr) << "no OpenGL 3.3";
  PresentParameters parameters = WindowedParameters();
  parameters.deviceWindow = window_;
  ASSERT_EQ(system_->CreateDevice(0, DeviceType::Hal, window_, create_flags::kHardwareVertexProcessing, parameters,
                                  &device_),
            kOk);
  ASSERT_NE(device_, nullptr);
}

void GlDeviceTest::TearDown() {
  if (device_ != nullptr) device_->Release();
  device_ = nullptr;
  system_.reset();
  if (windows_ && window_ != 0) windows_->DestroyWindow(window_);
  windows_.reset();
}

void GlDeviceTest::DrawScreenRect(float x0, float y0, float x1, float y1, uint32_t color, float z) {
  // Pixel centres sit on integer coordinates, so the edges go half a pixel before them.
  const float l = x0 - 0.5f, t = y0 - 0.5f, r = x1 - 0.5f, b = y1 - 0.5f;
  const ScreenVertex quad[4] = {{l, t, z, 1, color}, {r, t, z, 1, color}, {l, b, z, 1, color}, {r, b, z, 1, color}};
  device().SetVertexShader(kScreenFvf);
  ASSERT_EQ(device().DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof(ScreenVertex)), kOk);
}

void GlDeviceTest::DrawScreenTexRect(float x0, float y0, float x1, float y1, uint32_t color, float z) {
  const float l = x0 - 0.5f, t = y0 - 0.5f, r = x1 - 0.5f, b = y1 - 0.5f;
  const ScreenTexVertex quad[4] = {
      {l, t, z, 1, color, 0, 0}, {r, t, z, 1, color, 1, 0}, {l, b, z, 1, color, 0, 1}, {r, b, z, 1, color, 1, 1}};
  device().SetVertexShader(kScreenTexFvf);
  ASSERT_EQ(device().DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof(ScreenTexVertex)), kOk);
}

Texture* GlDeviceTest::MakeTexture2x2(uint32_t topLeft, uint32_t topRight, uint32_t bottomLeft, uint32_t bottomRight) {
  Texture* texture = nullptr;
  EXPECT_EQ(device().CreateTexture(2, 2, 1, 0, Format::A8R8G8B8, Pool::Managed, &texture), kOk);
  LockedRect locked;
  EXPECT_EQ(texture->LockRect(0, locked, nullptr, 0), kOk);
  auto* row0 = static_cast<uint32_t*>(locked.bits);
  auto* row1 = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.bits) + locked.pitch);
  row0[0] = topLeft;
  row0[1] = topRight;
  row1[0] = bottomLeft;
  row1[1] = bottomRight;
  EXPECT_EQ(texture->UnlockRect(0), kOk);
  return texture;
}

Texture* GlDeviceTest::MakeSolidTexture(uint32_t color, uint32_t size) {
  Texture* texture = nullptr;
  EXPECT_EQ(device().CreateTexture(size, size, 1, 0, Format::A8R8G8B8, Pool::Managed, &texture), kOk);
  LockedRect locked;
  EXPECT_EQ(texture->LockRect(0, locked, nullptr, 0), kOk);
  for (uint32_t y = 0; y < size; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.bits) + y * locked.pitch);
    for (uint32_t x = 0; x < size; ++x) row[x] = color;
  }
  EXPECT_EQ(texture->UnlockRect(0), kOk);
  return texture;
}

}  // namespace platform::gfx::testing
