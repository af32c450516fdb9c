// Pictures whose headers claim sizes the game refuses: sides past the largest texture, and more pixels than the
// file's bytes could describe, refused before any texel is allocated.
#include <zlib.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "contentgen/png_writer.h"
#include "platform/image/picture_decoder.h"

namespace {

using platform::image::Picture;

void PutBigEndian32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

// A small PNG whose header chunk claims width x height, with the chunk's checksum made to match so only the
// size is wrong.
std::vector<uint8_t> PngClaiming(uint32_t width, uint32_t height) {
  std::vector<uint8_t> png = contentgen::EncodePng(contentgen::PictureData(4, 4), true);
  constexpr size_t kHeaderChunk = 8;  // after the signature: length, "IHDR", 13 bytes of data, checksum
  PutBigEndian32(png, kHeaderChunk + 8, width);
  PutBigEndian32(png, kHeaderChunk + 12, height);
  const uLong crc = crc32(0, png.data() + kHeaderChunk + 4, 4 + 13);
  PutBigEndian32(png, kHeaderChunk + 8 + 13, static_cast<uint32_t>(crc));
  return png;
}

std::vector<uint8_t> JpegClaiming(uint16_t width, uint16_t height) {
  std::vector<uint8_t> jpeg = contentgen::EncodeJpeg(contentgen::PictureData(8, 8), 80);
  for (size_t i = 0; i + 8 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = static_cast<uint8_t>(height >> 8);
      jpeg[i + 6] = static_cast<uint8_t>(height);
      jpeg[i + 7] = static_cast<uint8_t>(width >> 8);
      jpeg[i + 8] = static_cast<uint8_t>(width);
      break;
    }
  }
  return jpeg;
}

// An uncompressed 32-bit Targa of width x height with all its texels present.
std::vector<uint8_t> Targa(uint16_t width, uint16_t height) {
  std::vector<uint8_t> tga(18 + size_t{width} * height * 4, 0x7F);
  std::fill(tga.begin(), tga.begin() + 18, 0);
  tga[2] = 2;  // true colour, uncompressed
  tga[12] = static_cast<uint8_t>(width);
  tga[13] = static_cast<uint8_t>(width >> 8);
  tga[14] = static_cast<uint8_t>(height);
  tga[15] = static_cast<uint8_t>(height >> 8);
  tga[16] = 32;
  tga[17] = 8;  // alpha bits
  return tga;
}

TEST(PictureSizes, SidesPastTheLargestTextureAndEmptyClaimsAreRefused) {
  using Decoder = bool (*)(const uint8_t*, size_t, Picture&, std::string&);
  struct Case {
    const char* what;
    Decoder decode;
    std::vector<uint8_t> file;
    bool sizeAccepted;
  };
  const Case cases[] = {
      {"PNG at the largest side", platform::image::DecodePng, PngClaiming(8192, 1), true},
      {"PNG one texel wider", platform::image::DecodePng, PngClaiming(8193, 1), false},
      {"PNG one texel taller", platform::image::DecodePng, PngClaiming(1, 8193), false},
      {"PNG of 8000 x 8000 in a few bytes", platform::image::DecodePng, PngClaiming(8000, 8000), false},
      {"JPEG one texel wider", platform::image::DecodeJpeg, JpegClaiming(8193, 8), false},
      {"JPEG one texel taller", platform::image::DecodeJpeg, JpegClaiming(8, 9000), false},
      {"Targa", platform::image::DecodeOtherPicture, Targa(3, 2), true},
      {"Targa one texel wider", platform::image::DecodeOtherPicture, Targa(8193, 1), false},
      {"nothing", platform::image::DecodeOtherPicture, {}, false},
  };
  for (const Case& c : cases) {
    Picture picture;
    picture.width = 99;
    std::string error;
    const bool decoded = c.decode(c.file.data(), c.file.size(), picture, error);
    if (c.sizeAccepted) {
      // The widened PNG's rows still hold only the 4 x 4 picture's data and fail later; its size passed.
      EXPECT_EQ(error.find("size"), std::string::npos) << c.what << ": " << error;
      continue;
    }
    EXPECT_FALSE(decoded) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
    EXPECT_TRUE(picture.texels.empty()) << c.what;
    EXPECT_EQ(picture.width, 0u) << c.what;
  }
}

// 32 bytes of run-length greyscale claiming 6168 x 6168 pixels: read past its end as zeros, it filled 145 MB of
// texels. Refused by its data before the decoder allocates anything, so the refusal names the data, not the size.
TEST(PictureSizes, ARunLengthTargaClaimingMorePixelsThanItsPacketsHoldIsRefusedBeforeDecoding) {
  const std::vector<uint8_t> tga = {0x00, 0x00, 0x0B, 0x00, 0x28, 0x00, 0x00, 0x09, 0x08, 0x18, 0x18,
                                    0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18,
                                    0x18, 0x18, 0x18, 0x18, 0x18, 0x78, 0x78, 0x78, 0x08, 0x08};
  Picture picture;
  std::string error;
  EXPECT_FALSE(platform::image::DecodeOtherPicture(tga.data(), tga.size(), picture, error));
  EXPECT_EQ(error, "picture data cut short");
  EXPECT_TRUE(picture.texels.empty());
}

}  // namespace
