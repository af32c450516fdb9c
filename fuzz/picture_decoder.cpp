// Fuzzing the PNG, JPEG, bitmap and Targa decoders: any bytes are refused, leaving the picture empty, or decode
// into exactly width × height texels within the size limit. Seeds generated pictures of each kind into the corpus
// folder; the bitmap and the run-length colour-mapped Targa are small ones made by hand.

#include "contentgen/png_writer.h"
#include "fuzz_support.h"
#include "platform/image/picture_decoder.h"

namespace {

using platform::image::Picture;

void Expect(bool decoded, const Picture& picture) {
  if (!decoded) return Check(picture.texels.empty() && picture.width == 0);
  Check(picture.width > 0 && picture.height > 0 && picture.width <= platform::image::kMaxPictureSide &&
        picture.height <= platform::image::kMaxPictureSide &&
        picture.texels.size() == size_t{picture.width} * picture.height * 4);
}

contentgen::PictureData Pattern(uint32_t width, uint32_t height) {
  contentgen::PictureData picture(width, height);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) picture.Set(x, y, 0x80000000u | (x * 40) << 16 | (y * 40) << 8 | (x ^ y));
  }
  return picture;
}

// 3 x 2 texels of 4 bits over a four-entry palette, rows padded to four bytes.
std::vector<unsigned char> FourBitBitmap() {
  return {'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 70, 0, 0, 0, 40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 4, 0,
          0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0,
          0, 0xFF, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0x01, 0x20, 0, 0, 0x32, 0x10, 0, 0};
}

// 5 x 3 texels of 8-bit indices into three 16-bit colour-map entries: runs and raw packets across the rows.
std::vector<unsigned char> RunLengthMappedTarga() {
  return {0, 1, 9, 0, 0, 3, 0, 16, 0, 0, 0, 0, 5, 0, 3, 0, 8, 0x20, 0x1F, 0x00, 0xE0, 0x03, 0x00, 0x7C,
          0x83, 2, 0x02, 0, 1, 2, 0x84, 1, 0x03, 2, 2, 0, 1, 0x81, 0};
}

// A run-length grey Targa of 6168 x 6168 whose 14 data bytes hold a few hundred pixels: the decoder once made up
// the rest, spending seconds and hundreds of megabytes on it.
std::vector<unsigned char> RunLengthGreyCutShort() {
  return {0x00, 0x00, 0x0b, 0x00, 0x28, 0x00, 0x00, 0x09, 0x08, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18,
          0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x78, 0x78, 0x78, 0x08, 0x08};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz_support::WriteGeneratedSeeds(*argc, *argv,
                                    {{"alpha.png", contentgen::EncodePng(Pattern(6, 5), true)},
                                     {"opaque.png", contentgen::EncodePng(Pattern(3, 9), false)},
                                     {"small.jpg", contentgen::EncodeJpeg(Pattern(16, 8), 80)},
                                     {"odd.jpg", contentgen::EncodeJpeg(Pattern(9, 13), 30)},
                                     {"four_bit.bmp", FourBitBitmap()},
                                     {"run_length_mapped.tga", RunLengthMappedTarga()},
                                     {"run_length_grey_cut_short.tga", RunLengthGreyCutShort()}});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Picture picture;
  std::string error;
  Expect(platform::image::DecodePng(data, size, picture, error), picture);
  Expect(platform::image::DecodeJpeg(data, size, picture, error), picture);
  Expect(platform::image::DecodeOtherPicture(data, size, picture, error), picture);
  return 0;
}
