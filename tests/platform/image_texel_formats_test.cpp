// Texel conversions: each 16- and 32-bit format packs and unpacks by its bit layout, and DXT blocks decode to
// their palettes, including DXT1's transparent entry.
#include "platform/image/texel_formats.h"

#include <gtest/gtest.h>

namespace {

using platform::gfx::Format;
using platform::image::PackTexel;
using platform::image::UnpackTexel;

uint32_t RoundTrip(Format format, uint32_t argb) {
  uint8_t texel[4] = {};
  PackTexel(format, argb, texel);
  return UnpackTexel(format, texel);
}

TEST(TexelFormats, PackAndUnpackFollowEachBitLayout) {
  EXPECT_EQ(RoundTrip(Format::A8R8G8B8, 0x12345678u), 0x12345678u);
  EXPECT_EQ(RoundTrip(Format::X8R8G8B8, 0x12345678u), 0xFF345678u);
  EXPECT_EQ(RoundTrip(Format::R5G6B5, 0x00FF00FFu), 0xFFFF00FFu);
  EXPECT_EQ(RoundTrip(Format::A1R5G5B5, 0x7FFFFFFFu), 0x00FFFFFFu) << "alpha below half clears the bit";
  EXPECT_EQ(RoundTrip(Format::A1R5G5B5, 0x80000000u), 0xFF000000u);
  EXPECT_EQ(RoundTrip(Format::A4R4G4B4, 0x88FF0011u), 0x88FF0011u);

  uint8_t texel[2] = {};
  PackTexel(Format::A4R4G4B4, 0xA0B0C0D0u, texel);
  EXPECT_EQ(texel[0] | texel[1] << 8, 0xABCD);
  EXPECT_FALSE(platform::image::CanConvertTexels(Format::A8));
}

TEST(TexelFormats, DxtBlocksDecodeToTheirPalettes) {
  // DXT1, colour 0 = white > colour 1 = black: four-colour mode; indices 0, 1, 2, 3 along the first row.
  const uint8_t fourColour[8] = {0xFF, 0xFF, 0x00, 0x00, 0xE4, 0x00, 0x00, 0x00};
  uint32_t texels[16];
  ASSERT_TRUE(platform::image::DecodeDxtBlock(Format::Dxt1, fourColour, texels));
  EXPECT_EQ(texels[0], 0xFFFFFFFFu);
  EXPECT_EQ(texels[2], 0xFFAAAAAAu);
  EXPECT_EQ(texels[3], 0xFF555555u);
  // Colour 0 ≤ colour 1: three colours and transparent black at index 3.
  const uint8_t threeColour[8] = {0x00, 0x00, 0xFF, 0xFF, 0xC0, 0x00, 0x00, 0x00};
  ASSERT_TRUE(platform::image::DecodeDxtBlock(Format::Dxt1, threeColour, texels));
  EXPECT_EQ(texels[3], 0x00000000u);
  // DXT5 alpha: end points 255 and 0, index 1 everywhere but texel 0 (index 0).
  uint8_t dxt5[16] = {255, 0};
  uint64_t bits = 0;
  for (int i = 1; i < 16; ++i) bits |= uint64_t{1} << (3 * i);
  for (int i = 0; i < 6; ++i) dxt5[2 + i] = static_cast<uint8_t>(bits >> (8 * i));
  ASSERT_TRUE(platform::image::DecodeDxtBlock(Format::Dxt5, dxt5, texels));
  EXPECT_EQ(texels[0] >> 24, 255u);
  EXPECT_EQ(texels[5] >> 24, 0u);
  EXPECT_FALSE(platform::image::DecodeDxtBlock(Format::A8R8G8B8, dxt5, texels));
}

}  // namespace
