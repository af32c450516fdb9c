// Fuzzing the PNG and JPEG decoders: any bytes are refused, leaving the picture empty, or decode into exactly
// width × height texels within the size limit. Seeds generated pictures of each kind into the corpus folder.

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

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz_support::WriteGeneratedSeeds(*argc, *argv,
                                    {{"alpha.png", contentgen::EncodePng(Pattern(6, 5), true)},
                                     {"opaque.png", contentgen::EncodePng(Pattern(3, 9), false)},
                                     {"small.jpg", contentgen::EncodeJpeg(Pattern(16, 8), 80)},
                                     {"odd.jpg", contentgen::EncodeJpeg(Pattern(9, 13), 30)}});
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
