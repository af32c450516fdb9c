// Textures on the OpenGL device: pixel formats, compressed blocks, mip levels, filtering and addressing, the
// texture transform and render-target round trips. The game's projected headlights, reflection vectors and cube
// rendering are pixel-tested in race_frame_test.cpp.
#include <cstring>

#include "gl_fixture.h"

namespace platform::gfx::testing {
namespace {

class GlTextureTest : public GlDeviceTest {
 protected:
  void SetUp() override {
    GlDeviceTest::SetUp();
    if (HasFatalFailure()) return;
    device().SetRenderState(RenderState::Lighting, false);
    device().SetRenderState(RenderState::ZEnable, false);
    device().SetRenderState(RenderState::CullMode, CullMode::None);
    device().SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::SelectArg1);
    device().SetTextureStageState(0, TextureStageState::ColorArg1, texture_arg::kTexture);
  }

  // A texture of one level in the given format, filled with `texel` (bytes as stored).
  Texture* MakeFormatTexture(Format format, const void* texel, uint32_t texelBytes, uint32_t size = 4) {
    Texture* texture = nullptr;
    EXPECT_EQ(device().CreateTexture(size, size, 1, 0, format, Pool::Managed, &texture), kOk);
    if (texture == nullptr) return nullptr;
    LockedRect locked;
    EXPECT_EQ(texture->LockRect(0, locked, nullptr, 0), kOk);
    for (uint32_t y = 0; y < size; ++y)
      for (uint32_t x = 0; x < size; ++x)
        std::memcpy(static_cast<uint8_t*>(locked.bits) + y * locked.pitch + x * texelBytes, texel, texelBytes);
    texture->UnlockRect(0);
    return texture;
  }

  uint32_t DrawWith(Texture* texture) {
    device().SetTexture(0, texture);
    DrawScreenTexRect(0, 0, 64, 64, 0xFFFFFFFF);
    return Pixel(32, 32);
  }
};

TEST_F(GlTextureTest, PixelFormatsDecodeTheirChannels) {
  // Drawn with source-alpha blending: X8R8G8B8 must ignore its zero alpha byte and show the full colour.
  device().SetRenderState(RenderState::AlphaBlendEnable, true);
  device().SetRenderState(RenderState::SrcBlend, Blend::SrcAlpha);
  device().SetRenderState(RenderState::DestBlend, Blend::InvSrcAlpha);
  device().SetTextureStageState(0, TextureStageState::AlphaOp, TextureOp::SelectArg1);
  device().SetTextureStageState(0, TextureStageState::AlphaArg1, texture_arg::kTexture);
  struct Case {
    Format format;
    uint32_t texel, bytes, expected;
    int tolerance;
  };
  const Case cases[] = {{Format::R5G6B5, 0xF800, 2, Argb(255, 255, 0, 0), 0},
                        {Format::R5G6B5, 0x07E0, 2, Argb(255, 0, 255, 0), 0},
                        {Format::A4R4G4B4, 0xF0A5, 2, Argb(255, 0, 170, 85), 1},  // a 15, r 0, g 10, b 5
                        {Format::A1R5G5B5, 0x801F, 2, Argb(255, 0, 0, 255), 0},
                        {Format::X8R8G8B8, 0x00406080, 4, Argb(255, 0x40, 0x60, 0x80), 0},
                        {Format::L8, 0x7F, 1, Argb(255, 0x7F, 0x7F, 0x7F), 0}};
  for (const Case& c : cases) {
    Texture* texture = MakeFormatTexture(c.format, &c.texel, c.bytes);  // little-endian: the low bytes
    EXPECT_COLOR_NEAR(DrawWith(texture), c.expected, c.tolerance) << "format " << static_cast<uint32_t>(c.format);
    device().SetTexture(0, nullptr);
    texture->Release();
  }
}

// Once drawn, a texture's pixels live in GL alone: a later lock must read them back as they were written, and
// what it changes must reach the next draw.
TEST_F(GlTextureTest, ALockAfterDrawingReadsBackThePixelsAndItsChangesShow) {
  const uint8_t red8888[4] = {0x00, 0x00, 0xFF, 0xFF}, blue8888[4] = {0xFF, 0x00, 0x00, 0xFF};
  const uint8_t red565[2] = {0x00, 0xF8}, blue565[2] = {0x1F, 0x00};
  const uint8_t redBlock[8] = {0x00, 0xF8, 0, 0, 0, 0, 0, 0}, blueBlock[8] = {0x1F, 0x00, 0, 0, 0, 0, 0, 0};
  const struct {
    Format format;
    const uint8_t *red, *blue;
    uint32_t bytes, units;  // bytes of a texel (or a 4x4 block) and how many of them a row of 4 texels holds
  } cases[] = {{Format::A8R8G8B8, red8888, blue8888, 4, 4},
               {Format::R5G6B5, red565, blue565, 2, 4},
               {Format::Dxt1, redBlock, blueBlock, 8, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.format));
    if (c.format == Format::Dxt1 && Failed(system_->CheckDeviceFormat(0, DeviceType::Hal, Format::X8R8G8B8, 0,
                                                                       ResourceType::Texture, Format::Dxt1)))
      continue;
    Texture* texture = nullptr;
    ASSERT_EQ(device().CreateTexture(4, 4, 1, 0, c.format, Pool::Managed, &texture), kOk);
    // Paints every texel (or the block) with `unit`, first checking what the lock shows when `before` is given.
    auto fill = [&](const uint8_t* unit, const uint8_t* before) {
      LockedRect locked;
      ASSERT_EQ(texture->LockRect(0, locked, nullptr, 0), kOk);
      for (uint32_t row = 0; row < c.units; ++row) {
        for (uint32_t x = 0; x < c.units; ++x) {
          uint8_t* at = static_cast<uint8_t*>(locked.bits) + row * locked.pitch + x * c.bytes;
          if (before != nullptr) {
            EXPECT_EQ(std::memcmp(at, before, c.bytes), 0) << "at " << x << "," << row;
          }
          std::memcpy(at, unit, c.bytes);
        }
      }
      texture->UnlockRect(0);
    };
    fill(c.red, nullptr);
    EXPECT_COLOR_NEAR(DrawWith(texture), Argb(255, 255, 0, 0), 0);
    fill(c.blue, c.red);
    EXPECT_COLOR_NEAR(DrawWith(texture), Argb(255, 0, 0, 255), 0);
    device().SetTexture(0, nullptr);
    texture->Release();
  }
}

TEST_F(GlTextureTest, MagnifiedAndMinifiedDrawsSampleTheirMipLevels) {
  Texture* texture = nullptr;
  ASSERT_EQ(device().CreateTexture(4, 4, 0, 0, Format::A8R8G8B8, Pool::Managed, &texture), kOk);
  ASSERT_EQ(texture->GetLevelCount(), 3u);
  const uint32_t colors[3] = {Argb(255, 255, 0, 0), Argb(255, 0, 255, 0), Argb(255, 0, 0, 255)};
  for (uint32_t level = 0; level < 3; ++level) {
    LockedRect locked;
    ASSERT_EQ(texture->LockRect(level, locked, nullptr, 0), kOk);
    SurfaceDesc desc;
    texture->GetLevelDesc(level, desc);
    for (uint32_t y = 0; y < desc.height; ++y)
      for (uint32_t x = 0; x < desc.width; ++x)
        reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.bits) + y * locked.pitch)[x] = colors[level];
    texture->UnlockRect(level);
  }
  device().SetTextureStageState(0, TextureStageState::MipFilter, TextureFilter::Point);
  EXPECT_COLOR_NEAR(DrawWith(texture), colors[0], 0);  // magnified: level 0
  // Minified to a 1x1 quad: the smallest level.
  device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
  DrawScreenTexRect(10, 10, 11, 11, 0xFFFFFFFF);
  EXPECT_COLOR_NEAR(Pixel(10, 10), colors[2], 0);
  device().SetTexture(0, nullptr);
  texture->Release();
}

TEST_F(GlTextureTest, FilteringAndAddressModes) {
  Texture* texture = MakeTexture2x2(Argb(255, 0, 0, 0), Argb(255, 255, 255, 255), Argb(255, 0, 0, 0),
                                    Argb(255, 255, 255, 255));
  device().SetTexture(0, texture);
  // Linear filtering at the middle of the quad blends the two columns halfway.
  device().SetTextureStageState(0, TextureStageState::MagFilter, TextureFilter::Linear);
  device().SetTextureStageState(0, TextureStageState::MinFilter, TextureFilter::Linear);
  DrawScreenTexRect(0, 0, 64, 64, 0xFFFFFFFF);
  const int middle = Red(Pixel(32, 32));
  EXPECT_NEAR(middle, 128, 12);
  device().SetTextureStageState(0, TextureStageState::MagFilter, TextureFilter::Point);
  device().SetTextureStageState(0, TextureStageState::MinFilter, TextureFilter::Point);

  // Coordinates 0..2 across the quad: wrap repeats, clamp holds the edge texel.
  auto drawDouble = [&]() {
    const ScreenTexVertex quad[4] = {{-0.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                                     {63.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, 2, 0},
                                     {-0.5f, 63.5f, 0.5f, 1, 0xFFFFFFFF, 0, 1},
                                     {63.5f, 63.5f, 0.5f, 1, 0xFFFFFFFF, 2, 1}};
    device().SetVertexShader(kScreenTexFvf);
    EXPECT_EQ(device().DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof(ScreenTexVertex)), kOk);
  };
  drawDouble();
  EXPECT_EQ(Red(Pixel(40, 8)), 0);  // u = 1.25: wraps to the black column
  device().SetTextureStageState(0, TextureStageState::AddressU, TextureAddress::Clamp);
  drawDouble();
  EXPECT_EQ(Red(Pixel(40, 8)), 255);
  device().SetTexture(0, nullptr);
  texture->Release();
}

TEST_F(GlTextureTest, TextureTransformScrollsOnlyWhileEnabled) {
  Texture* texture = MakeTexture2x2(Argb(255, 255, 0, 0), Argb(255, 0, 255, 0), Argb(255, 0, 0, 255),
                                    Argb(255, 255, 255, 0));
  device().SetTexture(0, texture);
  // Two-coordinate sets are transformed as (u, v, 1, 0): the third row translates.
  Matrix4 scroll;
  for (int i = 0; i < 4; ++i) scroll.m[i][i] = 1;
  scroll.m[2][0] = 0.5f;
  device().SetTransform(TransformState::Texture0, scroll);
  device().SetTextureStageState(0, TextureStageState::TextureTransformFlags, texture_transform::kCount2);
  DrawScreenTexRect(0, 0, 64, 64, 0xFFFFFFFF);
  EXPECT_COLOR_NEAR(Pixel(8, 8), Argb(255, 0, 255, 0), 0);
  EXPECT_COLOR_NEAR(Pixel(56, 8), Argb(255, 255, 0, 0), 0);
  // Disabled, the matrix is ignored.
  device().SetTextureStageState(0, TextureStageState::TextureTransformFlags, texture_transform::kDisable);
  DrawScreenTexRect(0, 0, 64, 64, 0xFFFFFFFF);
  EXPECT_COLOR_NEAR(Pixel(8, 8), Argb(255, 255, 0, 0), 0);

  device().SetTexture(0, nullptr);
  texture->Release();
}

TEST_F(GlTextureTest, RenderTargetRoundTripKeepsTheImageUpright) {
  Texture* target = nullptr;
  ASSERT_EQ(device().CreateTexture(16, 16, 1, usage::kRenderTarget, Format::X8R8G8B8, Pool::Default, &target), kOk);
  Surface* level = nullptr;
  ASSERT_EQ(target->GetSurfaceLevel(0, &level), kOk);
  Surface* back = nullptr;
  Surface* depth = nullptr;
  device().GetBackBuffer(0, &back);
  device().GetDepthStencilSurface(&depth);
  ASSERT_EQ(device().SetRenderTarget(level, nullptr), kOk);
  Viewport viewport;
  device().GetViewport(viewport);
  EXPECT_EQ(viewport.width, 16u);
  device().Clear(clear_flags::kTarget, Argb(255, 255, 0, 0), 1.0f, 0);
  device().SetTexture(0, nullptr);
  DrawScreenRect(0, 0, 8, 8, Argb(255, 0, 255, 0));  // the top-left quarter of the target
  EXPECT_COLOR_NEAR(Pixel(2, 2), Argb(255, 0, 255, 0), 0);
  EXPECT_COLOR_NEAR(Pixel(12, 12), Argb(255, 255, 0, 0), 0);
  ASSERT_EQ(device().SetRenderTarget(back, depth), kOk);
  device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
  device().SetTexture(0, target);
  DrawScreenTexRect(0, 0, 64, 64, 0xFFFFFFFF);
  EXPECT_COLOR_NEAR(Pixel(8, 8), Argb(255, 0, 255, 0), 0);
  EXPECT_COLOR_NEAR(Pixel(56, 8), Argb(255, 255, 0, 0), 0);
  EXPECT_COLOR_NEAR(Pixel(8, 56), Argb(255, 255, 0, 0), 0);

  back->Release();
  depth->Release();
  level->Release();
  device().SetTexture(0, nullptr);
  target->Release();
}

TEST_F(GlTextureTest, CompressedBlocksDecodeColourAndAlpha) {
  if (Failed(system_->CheckDeviceFormat(0, DeviceType::Hal, Format::X8R8G8B8, 0, ResourceType::Texture, Format::Dxt5)))
    GTEST_SKIP() << "no S3TC here";
  // Colour half: colour 0 pure green (565), every index 0. Alpha halves: DXT3 explicit 4-bit alpha 0x8 (136);
  // DXT5 alpha 0 = 100, every index 0. DXT1 has no alpha half: opaque.
  const uint8_t colour[8] = {0xE0, 0x07, 0x00, 0x00, 0, 0, 0, 0};
  const uint8_t dxt3Alpha[8] = {0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88};
  const uint8_t dxt5Alpha[8] = {100, 0, 0, 0, 0, 0, 0, 0};
  device().SetTextureStageState(0, TextureStageState::AlphaOp, TextureOp::SelectArg1);
  device().SetTextureStageState(0, TextureStageState::AlphaArg1, texture_arg::kTexture);
  device().SetRenderState(RenderState::AlphaBlendEnable, true);
  device().SetRenderState(RenderState::SrcBlend, Blend::SrcAlpha);
  device().SetRenderState(RenderState::DestBlend, Blend::InvSrcAlpha);
  struct Case {
    Format format;
    const uint8_t* alpha;
    int expectedAlpha;
  };
  for (const Case& c : {Case{Format::Dxt1, nullptr, 255}, Case{Format::Dxt3, dxt3Alpha, 0x88},
                        Case{Format::Dxt5, dxt5Alpha, 100}}) {
    Texture* texture = nullptr;
    ASSERT_EQ(device().CreateTexture(4, 4, 1, 0, c.format, Pool::Managed, &texture), kOk);
    LockedRect locked;
    ASSERT_EQ(texture->LockRect(0, locked, nullptr, 0), kOk);
    auto* bytes = static_cast<uint8_t*>(locked.bits);
    if (c.alpha != nullptr) std::memcpy(bytes, c.alpha, 8);
    std::memcpy(bytes + (c.alpha != nullptr ? 8 : 0), colour, 8);
    texture->UnlockRect(0);
    device().Clear(clear_flags::kTarget, Argb(255, 0, 0, 0), 1.0f, 0);
    EXPECT_COLOR_NEAR(DrawWith(texture), Argb(255, 0, Byte(c.expectedAlpha / 255.0), 0), 1)
        << "format " << static_cast<uint32_t>(c.format);
    device().SetTexture(0, nullptr);
    texture->Release();
  }
}

}  // namespace
}  // namespace platform::gfx::testing
