// PNG and JPEG decoding into BGRA: round trips through the content writers and refusal of broken files.
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

}  // namespace
