// The alpha picture of a material merged into sixteen-bit colour pictures: the grey level becomes the alpha the
// format can hold, and the colour bits stay as they were.
#include <gtest/gtest.h>

#include "contentgen/dds_writer.h"
#include "render/resources/image_resource.h"
#include "render/resources/image_test_support.h"
#include "render/resources/resource_manager.h"

namespace {

using platform::gfx::Format;
using render_test::ReadTexel;

using ImageAlphaRulesTest = render_test::ManagedImageFixture;

TEST_F(ImageAlphaRulesTest, SixteenBitPicturesTakeTheGreyLevelAsTheAlphaTheyCanHold) {
  // Grey levels: white at (1, 1), dark grey at (2, 2), black elsewhere.
  contentgen::PictureData alpha = Solid(8, 8, 0xFF000000);
  alpha.Set(1, 1, 0xFFFFFFFF);
  alpha.Set(2, 2, 0xFF404040);
  const std::string alphaFile = Write("signa.png", alpha);
  const struct {
    Format format;
    uint16_t colourBits, alphaMask;
    uint16_t white, darkGrey, black;  // the alpha bits expected at each
  } cases[] = {
      // One alpha bit: only a grey above the threshold stays opaque.
      {Format::A1R5G5B5, 0x7FFF, 0x8000, 0x8000, 0x0000, 0x0000},
      // Four alpha bits: the top nibble of the grey.
      {Format::A4R4G4B4, 0x0FFF, 0xF000, 0xF000, 0x4000, 0x0000},
  };
  for (const auto& c : cases) {
    const std::string name = "sign" + std::to_string(static_cast<uint32_t>(c.format)) + ".dds";
    ASSERT_TRUE(contentgen::WriteDds(folder_ + name, c.format, {Solid(8, 8, 0xFF3366CC)}, 1));
    render::ImageResource image(manager_.get(), false);
    image.LoadWithAlpha(device_, folder_ + name, alphaFile);
    ASSERT_TRUE(image.loaded) << name;
    EXPECT_TRUE(image.hasAlpha) << name;
    platform::gfx::SurfaceDesc desc;
    image.GetImageTexture()->GetLevelDesc(0, desc);
    EXPECT_EQ(desc.format, c.format) << "the picture keeps its own format";
    const uint32_t colour = ReadTexel(image.GetImageTexture(), 0, 5, 5) & c.colourBits;
    const struct {
      uint32_t x, y;
      uint16_t alphaBits;
    } texels[] = {{1, 1, c.white}, {2, 2, c.darkGrey}, {5, 5, c.black}};
    for (const auto& t : texels) {
      const uint32_t texel = ReadTexel(image.GetImageTexture(), 0, t.x, t.y);
      EXPECT_EQ(texel & c.alphaMask, t.alphaBits) << name << " at " << t.x << "," << t.y;
      EXPECT_EQ(texel & c.colourBits, colour) << name << " colour at " << t.x << "," << t.y;
    }
    EXPECT_NE(colour, 0u) << "the colour survived";
  }
}

}  // namespace
