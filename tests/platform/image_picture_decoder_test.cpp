// Picture decoding into BGRA: PNG and JPEG round trips through the content writers, run-length Targa and
// bitmap files made by hand, and refusal of broken files.
#include "platform/image/picture_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "contentgen/png_writer.h"
#include "loader_refusal.h"

namespace {

using platform::image::DecodeJpeg;
using platform::image::DecodePng;
using platform::image::Picture;

uint32_t TexelAt(const Picture& picture, uint32_t x, uint32_t y) {
  const uint8_t* t = &picture.texels[(size_t{y} * picture.width + x) * 4];
  return uint32_t{t[0]} | uint32_t{t[1]} << 8 | uint32_t{t[2]} << 16 | uint32_t{t[3]} << 24;
}

contentgen::PictureData Checker(uint32_t width, uint32_t height) {
  contentgen::PictureData picture(width, height);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      picture.Set(x, y, ((x + y) % 2) ? 0x80FF0000u : 0xFF00FF40u);
    }
  }
  return picture;
}

TEST(PictureDecoder, PngRoundTripKeepsTexelsAndAlphaFlag) {
  const contentgen::PictureData source = Checker(5, 3);
  Picture picture;
  std::string error;
  const std::vector<uint8_t> withAlpha = contentgen::EncodePng(source, true);
  ASSERT_TRUE(DecodePng(withAlpha.data(), withAlpha.size(), picture, error)) << error;
  EXPECT_EQ(picture.width, 5u);
  EXPECT_EQ(picture.height, 3u);
  EXPECT_TRUE(picture.hasAlpha);
  EXPECT_EQ(TexelAt(picture, 0, 0), 0xFF00FF40u);
  EXPECT_EQ(TexelAt(picture, 1, 0), 0x80FF0000u);
  EXPECT_EQ(TexelAt(picture, 4, 2), 0xFF00FF40u);

  const std::vector<uint8_t> opaque = contentgen::EncodePng(source, false);
  ASSERT_TRUE(DecodePng(opaque.data(), opaque.size(), picture, error)) << error;
  EXPECT_FALSE(picture.hasAlpha);
  EXPECT_EQ(TexelAt(picture, 1, 0), 0xFFFF0000u);  // alpha dropped: opaque
}

TEST(PictureDecoder, JpegDecodesOpaqueWithColoursClose) {
  contentgen::PictureData source(16, 16);
  source.Fill(0xFF3080C0u);
  const std::vector<uint8_t> bytes = contentgen::EncodeJpeg(source, 95);
  Picture picture;
  std::string error;
  ASSERT_TRUE(DecodeJpeg(bytes.data(), bytes.size(), picture, error)) << error;
  EXPECT_EQ(picture.width, 16u);
  EXPECT_FALSE(picture.hasAlpha);
  const uint32_t texel = TexelAt(picture, 7, 7);
  EXPECT_EQ(texel >> 24, 0xFFu);
  EXPECT_NEAR(double((texel >> 16) & 0xFF), 0x30, 4);
  EXPECT_NEAR(double((texel >> 8) & 0xFF), 0x80, 4);
  EXPECT_NEAR(double(texel & 0xFF), 0xC0, 4);
}

TEST(PictureDecoder, BrokenFilesAreRefusedAndLeaveThePictureEmpty) {
  using loader_refusal::Cut;
  const contentgen::PictureData source = Checker(8, 8);
  const std::vector<uint8_t> png = contentgen::EncodePng(source, true);
  const std::vector<uint8_t> jpeg = contentgen::EncodeJpeg(source, 80);
  // A header claiming 8000 x 8000 pixels over a few hundred bytes: refused before a decode that would grind
  // through sixty million made-up pixels.
  std::vector<uint8_t> claimsHuge = jpeg;
  for (size_t i = 0; i + 8 < claimsHuge.size(); ++i) {
    if (claimsHuge[i] == 0xFF && claimsHuge[i + 1] == 0xC0) {
      claimsHuge[i + 5] = claimsHuge[i + 7] = 8000 >> 8;
      claimsHuge[i + 6] = claimsHuge[i + 8] = 8000 & 0xFF;
      break;
    }
  }
  loader_refusal::ExpectAllRefused(
      {Cut(png, 0), Cut(png, 4), Cut(png, 20), Cut(png, png.size() / 2), Cut(png, png.size() - 20), {"a JPEG", jpeg}},
      [](const uint8_t* data, size_t size) {
        Picture picture;
        std::string error;
        return DecodePng(data, size, picture, error) || !picture.texels.empty();
      });
  // Cut in the header, and cut in the picture data (the rows left would be made up).
  loader_refusal::ExpectAllRefused({Cut(jpeg, 0), Cut(jpeg, 3), Cut(jpeg, 40), Cut(jpeg, jpeg.size() / 3),
                                    Cut(jpeg, jpeg.size() - 8), {"a PNG", png}, {"claims a huge picture", claimsHuge}},
                                   [](const uint8_t* data, size_t size) {
                                     Picture picture;
                                     std::string error;
                                     return DecodeJpeg(data, size, picture, error) || !picture.texels.empty() ||
                                            error.empty();
                                   });
}

TEST(PictureDecoder, TheBitmapAndTargaDecoderTakesNoOtherKindOfPicture) {
  const contentgen::PictureData source = Checker(8, 8);
  // A PNG whose second chunk claims about 1.2 GB: the general decoder's PNG reader would allocate it whole.
  std::vector<uint8_t> greedyPng = contentgen::EncodePng(source, true);
  const uint8_t claim[] = {0x46, 0x01, 0x00, 0x00};
  std::copy(std::begin(claim), std::end(claim), greedyPng.begin() + 33);
  const std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 8, 0, 8, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  loader_refusal::ExpectAllRefused(
      {{"a PNG", contentgen::EncodePng(source, false)}, {"a PNG claiming a huge chunk", greedyPng},
       {"a JPEG", contentgen::EncodeJpeg(source, 80)}, {"a GIF", gif}},
      [](const uint8_t* data, size_t size) {
        Picture picture;
        std::string error;
        return platform::image::DecodeOtherPicture(data, size, picture, error) || !picture.texels.empty() ||
               error.empty();
      });
}

bool DecodesOther(const std::vector<uint8_t>& file, Picture& picture, std::string& error) {
  return platform::image::DecodeOtherPicture(file.data(), file.size(), picture, error);
}

// A 4 x 2 run-length true-colour Targa with its origin at the top: a run of three red texels; three raw texels
// (green, blue, white) running on across the row's end; a run of one grey; and a raw packet claiming four texels
// that holds only the yellow one the picture still needs.
std::vector<uint8_t> RunLengthTarga() {
  return {2, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 2, 0, 24, 0x20, 'i', 'd',
          0x82, 0, 0, 0xFF,
          0x02, 0, 0xFF, 0, 0xFF, 0, 0, 0xFF, 0xFF, 0xFF,
          0x80, 0x80, 0x80, 0x80,
          0x03, 0, 0xFF, 0xFF};
}

// A 2 x 2 run-length colour-mapped Targa: three 24-bit entries (red, green, blue), a run of two blue texels, then
// raw indices 0 and 1.
std::vector<uint8_t> RunLengthMappedTarga() {
  return {0, 1, 9, 0, 0, 3, 0, 24, 0, 0, 0, 0, 2, 0, 2, 0, 8, 0x20,
          0, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0,
          0x81, 2,
          0x01, 0, 1};
}

// A 9 x 2 one-bit bitmap, rows bottom-up in two bytes padded to four, the last row stored without its padding:
// black and white stripes, then a row white but for its last texel.
std::vector<uint8_t> OneBitBitmap() {
  std::vector<uint8_t> file = {'B', 'M', 68, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0, 40, 0, 0, 0, 9, 0, 0, 0, 2, 0, 0, 0,
                               1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0,
                               0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0};
  const uint8_t rows[] = {0x55, 0x00, 0, 0,  // bottom: 0 1 0 1 0 1 0 1 | 0
                          0xFF, 0x00};       // top: eight white, one black; no padding after the last row
  file.insert(file.end(), std::begin(rows), std::end(rows));
  return file;
}

// A 3 x 1 16-bit bitmap with bit fields (red 5, green 6, blue 5 bits): red, green, blue; again no padding after
// the row.
std::vector<uint8_t> BitFieldBitmap() {
  std::vector<uint8_t> file = {'B', 'M', 72, 0, 0, 0, 0, 0, 0, 0, 66, 0, 0, 0, 40, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0,
                               1, 0, 16, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                               0, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0};
  const uint8_t row[] = {0, 0xF8, 0xE0, 0x07, 0x1F, 0};
  file.insert(file.end(), std::begin(row), std::end(row));
  return file;
}

TEST(PictureDecoder, RunLengthTargaAndPackedBitmapsDecodeEveryTexel) {
  constexpr uint32_t R = 0xFFFF0000u, G = 0xFF00FF00u, B = 0xFF0000FFu, W = 0xFFFFFFFFu, K = 0xFF000000u;
  struct Case {
    const char* what;
    std::vector<uint8_t> file;
    uint32_t width, height;
    std::vector<uint32_t> texels;  // rows top to bottom
  };
  const Case cases[] = {
      {"run-length Targa", RunLengthTarga(), 4, 2, {R, R, R, G, B, W, 0xFF808080u, 0xFFFFFF00u}},
      {"run-length colour-mapped Targa", RunLengthMappedTarga(), 2, 2, {B, B, R, G}},
      {"one-bit bitmap", OneBitBitmap(), 9, 2, {W, W, W, W, W, W, W, W, K, K, W, K, W, K, W, K, W, K}},
      {"bit-field bitmap", BitFieldBitmap(), 3, 1, {R, G, B}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Picture picture;
    std::string error;
    ASSERT_TRUE(DecodesOther(c.file, picture, error)) << error;
    ASSERT_EQ(picture.width, c.width);
    ASSERT_EQ(picture.height, c.height);
    for (uint32_t i = 0; i < c.texels.size(); ++i) {
      EXPECT_EQ(TexelAt(picture, i % c.width, i / c.width), c.texels[i]) << "texel " << i;
    }
  }
}

// The general decoder reads zeros past the end of its data: each file cut anywhere past a Targa header's length
// must be refused, not filled with made-up texels.
TEST(PictureDecoder, RunLengthTargaAndBitmapsCutShortAreRefused) {
  std::vector<loader_refusal::Broken> cases;
  const std::vector<uint8_t> files[] = {RunLengthTarga(), RunLengthMappedTarga(), OneBitBitmap(), BitFieldBitmap()};
  for (const std::vector<uint8_t>& file : files) {
    for (size_t length = 18; length < file.size(); ++length) cases.push_back(loader_refusal::Cut(file, length));
  }
  // An old-style bitmap header with a two-entry palette: the decoder would count no palette entries and read the
  // rows six bytes past where they start.
  cases.push_back({"a 12-byte header with a two-entry palette",
                   {'B', 'M', 40, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0, 0, 12, 0, 0, 0, 9, 0, 2, 0, 1, 0, 1, 0,
                    0, 0, 0, 0xFF, 0xFF, 0xFF, 0x55, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0, 0}});
  loader_refusal::ExpectAllRefused(cases, [](const uint8_t* data, size_t size) {
    Picture picture;
    std::string error;
    return platform::image::DecodeOtherPicture(data, size, picture, error) || !picture.texels.empty() ||
           error.empty();
  });
}

}  // namespace
