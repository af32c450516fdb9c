// Texture loading (PNG, JPEG, BMP, TGA, every DDS format), colour keys, bad files and the alpha merge.
#include "render/resources/texture.h"

#include <gtest/gtest.h>

#include "contentgen/dds_writer.h"
#include "render/resources/image_test_support.h"

namespace {

using platform::gfx::Format;
using render::Texture;
using render_test::ReadTexel;

class TextureTest : public render_test::NullDeviceFixture {
 protected:
  std::string WriteDds(const std::string& name, Format format, const contentgen::PictureData& picture,
                       uint32_t levels = 1) {
    EXPECT_TRUE(contentgen::WriteDds(folder_ + name, format, {picture}, levels));
    return folder_ + name;
  }
  Format FormatOf(const Texture& texture) {
    platform::gfx::SurfaceDesc desc;
    texture.GetD3DTexture()->GetLevelDesc(0, desc);
    return desc.format;
  }
};

TEST_F(TextureTest, PngAndJpegLoadWithSizeFormatAndFullMipChain) {
  Texture withAlpha(false);
  EXPECT_EQ(withAlpha.Load(device_, Write("alpha.png", Solid(16, 8, 0x80112233), true), false), platform::kOk);
  EXPECT_TRUE(withAlpha.hasAlpha);
  EXPECT_EQ(withAlpha.width, 16u);
  EXPECT_EQ(FormatOf(withAlpha), Format::A8R8G8B8);
  EXPECT_EQ(withAlpha.GetD3DTexture()->GetLevelCount(), 5u);
  EXPECT_EQ(ReadTexel(withAlpha.GetD3DTexture(), 0, 3, 3), 0x80112233u);
  EXPECT_EQ(ReadTexel(withAlpha.GetD3DTexture(), 4, 0, 0), 0x80112233u);  // mips built from level 0

  Texture opaque(false);
  EXPECT_EQ(opaque.Load(device_, Write("opaque.png", Solid(4, 4, 0xFF00FF00)), false), platform::kOk);
  EXPECT_FALSE(opaque.hasAlpha);
  EXPECT_EQ(FormatOf(opaque), Format::X8R8G8B8);

  ASSERT_TRUE(contentgen::WriteJpeg(folder_ + "photo.jpg", Solid(8, 8, 0xFF808080), 90));
  Texture jpeg(false);
  EXPECT_EQ(jpeg.Load(device_, folder_ + "photo.jpg", false), platform::kOk);
  EXPECT_FALSE(jpeg.hasAlpha);
}

// A 2 × 2 picture, red and green over blue and white, as a 24-bit Windows bitmap (rows bottom-up, padded to four
// bytes) and as a 32-bit Targa file with its origin at the top (the white texel half transparent).
std::vector<uint8_t> Bitmap2x2() {
  std::vector<uint8_t> file = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0,
                               1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0,
                               0, 0, 0, 0};
  const uint8_t rows[] = {0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0,   // bottom: blue, white (BGR)
                          0, 0, 0xFF, 0, 0xFF, 0, 0, 0};        // top: red, green
  file.insert(file.end(), std::begin(rows), std::end(rows));
  return file;
}

std::vector<uint8_t> Targa2x2() {
  std::vector<uint8_t> file = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 32, 0x28};
  const uint8_t texels[] = {0, 0, 0xFF, 0xFF, 0, 0xFF, 0, 0xFF,      // top: red, green (BGRA)
                            0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x80};  // bottom: blue, half-clear white
  file.insert(file.end(), std::begin(texels), std::end(texels));
  return file;
}

TEST_F(TextureTest, BitmapAndTargaFilesLoadTheirTexelsAndTheirAlphaOrAreRefusedWhenCut) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    bool hasAlpha;
    uint32_t bottomRight;
  };
  const Case cases[] = {{"tiles.bmp", Bitmap2x2(), false, 0xFFFFFFFFu}, {"tiles.tga", Targa2x2(), true, 0x80FFFFFFu}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(contentgen::WriteContentFile(folder_ + c.name, c.bytes));
    Texture texture(false);
    ASSERT_EQ(texture.Load(device_, folder_ + c.name, false), platform::kOk);
    EXPECT_EQ(texture.width, 2u);
    EXPECT_EQ(texture.hasAlpha, c.hasAlpha);
    EXPECT_EQ(FormatOf(texture), c.hasAlpha ? Format::A8R8G8B8 : Format::X8R8G8B8);
    const uint32_t opaque = c.hasAlpha ? 0xFFFFFFFFu : 0x00FFFFFFu;  // an X8 texel's top byte is not alpha
    EXPECT_EQ(ReadTexel(texture.GetD3DTexture(), 0, 0, 0) & opaque, 0xFFFF0000u & opaque);
    EXPECT_EQ(ReadTexel(texture.GetD3DTexture(), 0, 1, 0) & opaque, 0xFF00FF00u & opaque);
    EXPECT_EQ(ReadTexel(texture.GetD3DTexture(), 0, 0, 1) & opaque, 0xFF0000FFu & opaque);
    EXPECT_EQ(ReadTexel(texture.GetD3DTexture(), 0, 1, 1) & opaque, c.bottomRight & opaque);

    // Cut short, the file is refused and the texture stays empty.
    const std::string cut = std::string("cut_") + c.name;
    ASSERT_TRUE(contentgen::WriteContentFile(folder_ + cut, std::vector<uint8_t>(c.bytes.begin(), c.bytes.begin() + 30)));
    Texture refused(false);
    EXPECT_EQ(refused.Load(device_, folder_ + cut, false), platform::kFail);
    EXPECT_FALSE(refused.loaded);
  }
}

TEST_F(TextureTest, ColourKeyMakesOneArgbLevelWithKeyTexelsTransparentBlackInEveryFormat) {
  contentgen::PictureData picture = Solid(8, 8, 0xFF00FF00);
  for (uint32_t y = 0; y < 4; ++y) {
    for (uint32_t x = 0; x < 4; ++x) picture.Set(x, y, 0xFFFF00FF);
  }
  const std::string files[] = {Write("k.png", picture), WriteDds("k1.dds", Format::Dxt1, picture),
                               WriteDds("k2.dds", Format::R5G6B5, picture)};
  for (const std::string& file : files) {
    Texture texture(false);
    ASSERT_EQ(texture.Load(device_, file, true, 0xFFFF00FF), platform::kOk) << file;
    EXPECT_TRUE(texture.hasAlpha);
    EXPECT_EQ(FormatOf(texture), Format::A8R8G8B8);
    EXPECT_EQ(texture.GetD3DTexture()->GetLevelCount(), 1u);
    EXPECT_EQ(ReadTexel(texture.GetD3DTexture(), 0, 1, 1), 0u) << file;
    EXPECT_EQ(ReadTexel(texture.GetD3DTexture(), 0, 6, 6), 0xFF00FF00u) << file;
  }
}

TEST_F(TextureTest, EveryDdsFormatLoadsWithItsAlphaFlag) {
  const contentgen::PictureData picture = Solid(8, 8, 0xC0A08060);
  const struct {
    Format format;
    bool alpha;
  } cases[] = {{Format::A8R8G8B8, true}, {Format::X8R8G8B8, false}, {Format::R5G6B5, false},
               {Format::X1R5G5B5, false}, {Format::A1R5G5B5, true}, {Format::A4R4G4B4, true},
               {Format::Dxt1, false},     {Format::Dxt3, true},     {Format::Dxt5, false}};
  for (const auto& c : cases) {
    const std::string path = WriteDds("f" + std::to_string(static_cast<uint32_t>(c.format)) + ".dds", c.format, picture, 0);
    Texture texture(false);
    ASSERT_EQ(texture.Load(device_, path, false), platform::kOk) << static_cast<uint32_t>(c.format);
    EXPECT_EQ(FormatOf(texture), c.format);
    EXPECT_EQ(texture.hasAlpha, c.alpha) << static_cast<uint32_t>(c.format);
    EXPECT_EQ(texture.GetD3DTexture()->GetLevelCount(), 4u);
    EXPECT_EQ(texture.width, 8u);
  }
  // A single-level uncompressed file gets its chain built; a compressed one keeps its one level.
  Texture built(false);
  built.Load(device_, WriteDds("one.dds", Format::R5G6B5, picture, 1), false);
  EXPECT_EQ(built.GetD3DTexture()->GetLevelCount(), 4u);
  Texture compressed(false);
  compressed.Load(device_, WriteDds("one_dxt.dds", Format::Dxt1, picture, 1), false);
  EXPECT_EQ(compressed.GetD3DTexture()->GetLevelCount(), 1u);
}

TEST_F(TextureTest, MissingAndCorruptFilesFailAndStayEmpty) {
  Texture missing(false);
  EXPECT_EQ(missing.Load(device_, folder_ + "nothing.png", false), platform::kFail);
  EXPECT_FALSE(missing.loaded);
  EXPECT_EQ(missing.GetD3DTexture(), nullptr);
  ASSERT_TRUE(contentgen::WriteContentFile(folder_ + "bad.png", {0x89, 'P', 'N', 'G', 1, 2, 3}));
  Texture corrupt(false);
  EXPECT_EQ(corrupt.Load(device_, folder_ + "bad.png", false), platform::kFail);
  EXPECT_FALSE(corrupt.loaded);
}

TEST_F(TextureTest, MergeIntoOpaquePictureTakesAlphaFromGreen) {
  contentgen::PictureData alpha = Solid(4, 4, 0xFF000000);
  alpha.Set(0, 0, 0xFF00FF00);
  alpha.Set(1, 0, 0xFF104010);
  Texture colour(false), alphaTexture(false);
  colour.Load(device_, Write("c.png", Solid(4, 4, 0xFF336699)), false);
  alphaTexture.Load(device_, Write("a.png", alpha), false);
  ASSERT_EQ(colour.MergeAlpha(device_, alphaTexture, render::kRebuildMipLevels), platform::kOk);
  EXPECT_TRUE(colour.hasAlpha);
  EXPECT_EQ(FormatOf(colour), Format::A8R8G8B8);
  EXPECT_EQ(ReadTexel(colour.GetD3DTexture(), 0, 0, 0), 0xFF336699u);
  EXPECT_EQ(ReadTexel(colour.GetD3DTexture(), 0, 1, 0), 0x40336699u);
  EXPECT_EQ(ReadTexel(colour.GetD3DTexture(), 0, 2, 2), 0x00336699u);
  // Level 1 texel (0, 0) averages the 2×2 box: alphas 0xFF, 0x40, 0, 0.
  EXPECT_EQ(ReadTexel(colour.GetD3DTexture(), 1, 0, 0) >> 24, (0xFFu + 0x40u + 2) / 4);
}

}  // namespace
