// DDS reading of every supported format written by the content writer, cube maps, and bounded refusal of
// broken headers and short data.
#include "platform/image/dds_reader.h"

#include <gtest/gtest.h>

#include "contentgen/dds_writer.h"
#include "platform/image/texel_formats.h"
#include "loader_refusal.h"

namespace {

using platform::gfx::Format;
using platform::image::DdsImage;
using platform::image::ReadDds;

contentgen::PictureData Gradient(uint32_t size) {
  contentgen::PictureData picture(size, size);
  for (uint32_t y = 0; y < size; ++y) {
    for (uint32_t x = 0; x < size; ++x) {
      picture.Set(x, y, (y * 255 / size) << 24 | (x * 255 / size) << 16 | 0x00 << 8 | 0xFF);
    }
  }
  return picture;
}

TEST(DdsReader, ReadsEveryUncompressedFormatWithItsMipChain) {
  const contentgen::PictureData source = Gradient(8);
  for (Format format : {Format::A8R8G8B8, Format::X8R8G8B8, Format::R5G6B5, Format::X1R5G5B5, Format::A1R5G5B5,
                        Format::A4R4G4B4, Format::X4R4G4B4}) {
    const std::vector<uint8_t> bytes = contentgen::EncodeDds(format, {source}, 0);
    ASSERT_FALSE(bytes.empty());
    DdsImage image;
    std::string error;
    ASSERT_TRUE(ReadDds(bytes.data(), bytes.size(), image, error)) << error;
    EXPECT_EQ(image.format, format);
    EXPECT_EQ(image.levelCount, 4u);  // 8, 4, 2, 1
    // Level 0 texel (3, 5) comes back as the writer packed it.
    const uint32_t expected = source.Get(3, 5);
    const uint32_t bytesPer = platform::image::TexelBytes(format);
    const uint32_t got = platform::image::UnpackTexel(format, &image.Level(0, 0).bytes[(5 * 8 + 3) * bytesPer]);
    uint8_t packed[4];
    platform::image::PackTexel(format, expected, packed);
    EXPECT_EQ(got, platform::image::UnpackTexel(format, packed)) << static_cast<uint32_t>(format);
  }
}

TEST(DdsReader, SwappedAndTwentyFourBitFilesBecomeArgb) {
  const contentgen::PictureData source = Gradient(4);
  DdsImage image;
  std::string error;
  std::vector<uint8_t> bytes = contentgen::EncodeDds(Format::A8R8G8B8, {source}, 1, contentgen::DdsLayout::kSwappedRedBlue);
  ASSERT_TRUE(ReadDds(bytes.data(), bytes.size(), image, error)) << error;
  EXPECT_EQ(image.format, Format::A8R8G8B8);
  EXPECT_EQ(platform::image::UnpackTexel(Format::A8R8G8B8, &image.Level(0, 0).bytes[(2 * 4 + 3) * 4]),
            source.Get(3, 2));
  bytes = contentgen::EncodeDds(Format::X8R8G8B8, {source}, 1, contentgen::DdsLayout::kPacked24);
  ASSERT_TRUE(ReadDds(bytes.data(), bytes.size(), image, error)) << error;
  EXPECT_EQ(image.Level(0, 0).bytes.size(), 4u * 4 * 4);
  EXPECT_EQ(platform::image::UnpackTexel(Format::X8R8G8B8, &image.Level(0, 0).bytes[(2 * 4 + 3) * 4]),
            source.Get(3, 2) | 0xFF000000u);
}

TEST(DdsReader, CompressedFormatsStayAsBlocksAndDecodeNearTheSource) {
  contentgen::PictureData source(8, 8);
  for (uint32_t y = 0; y < 8; ++y) {
    for (uint32_t x = 0; x < 8; ++x) source.Set(x, y, x < 4 ? 0xFFFF0000u : 0x400000FFu);
  }
  for (Format format : {Format::Dxt1, Format::Dxt3, Format::Dxt5}) {
    const std::vector<uint8_t> bytes = contentgen::EncodeDds(format, {source}, 0);
    DdsImage image;
    std::string error;
    ASSERT_TRUE(ReadDds(bytes.data(), bytes.size(), image, error)) << error;
    EXPECT_EQ(image.format, format);
    EXPECT_EQ(image.Level(0, 3).bytes.size(), format == Format::Dxt1 ? 8u : 16u);  // 1×1 still one block
    std::vector<uint32_t> texels(64);
    ASSERT_TRUE(platform::image::DecodeDxtLevel(format, image.Level(0, 0).bytes.data(), 8, 8, texels.data()));
    EXPECT_EQ(texels[0] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(texels[7] & 0xFFFFFF, 0x0000FFu);
    if (format != Format::Dxt1) {
      EXPECT_NEAR(double(texels[7] >> 24), 0x40, 4) << "alpha kept";
    }
  }
}

TEST(DdsReader, CubeMapsHaveSixFacesInOrder) {
  std::vector<contentgen::PictureData> faces;
  for (uint32_t face = 0; face < 6; ++face) {
    contentgen::PictureData picture(4, 4);
    picture.Fill(0xFF000000u | face * 40);
    faces.push_back(picture);
  }
  const std::vector<uint8_t> bytes = contentgen::EncodeDds(Format::X8R8G8B8, faces, 0);
  DdsImage image;
  std::string error;
  ASSERT_TRUE(ReadDds(bytes.data(), bytes.size(), image, error)) << error;
  EXPECT_EQ(image.FaceCount(), 6u);
  for (uint32_t face = 0; face < 6; ++face) {
    EXPECT_EQ(image.Level(face, 0).bytes[0], face * 40);
    EXPECT_EQ(image.Level(face, 2).bytes[0], face * 40);
  }
}

TEST(DdsReader, BrokenFilesAreRefusedWithoutReadingPastTheEnd) {
  using loader_refusal::Patched;
  const std::vector<uint8_t> good = contentgen::EncodeDds(Format::A8R8G8B8, {Gradient(16)}, 0);
  std::vector<loader_refusal::Broken> broken = loader_refusal::Cuts(good, 97);
  broken.insert(broken.end(), {{"header size", Patched(good, 4, 100)},
                               {"height 0", Patched(good, 12, 0)},
                               {"absurd width", Patched(good, 16, 0x7FFFFFFF)},
                               {"height past the limit", Patched(good, 12, 100000)},
                               {"neither RGB nor four-character code", Patched(good, 80, 0)},
                               {"16 bits with 32-bit masks", Patched(good, 88, 16)},
                               {"cube flag without faces", Patched(good, 112, 0x200)},
                               {"volume", Patched(good, 112, 0x200000)}});
  loader_refusal::ExpectAllRefused(broken, [](const uint8_t* data, size_t size) {
    DdsImage image;
    std::string error;
    return ReadDds(data, size, image, error) || !image.levels.empty();
  });
  // An absurd mip count is bounded by the size's own chain.
  const std::vector<uint8_t> manyLevels = Patched(good, 28, 0xFFFFFFFF);
  DdsImage image;
  std::string error;
  ASSERT_TRUE(ReadDds(manyLevels.data(), manyLevels.size(), image, error)) << error;
  EXPECT_EQ(image.levelCount, 5u);
}

}  // namespace
