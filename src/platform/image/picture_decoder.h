// PNG, JPEG, BMP and TGA pictures decoded into 32-bit BGRA texels in memory, the form textures are filled from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::image {

// A decoded picture: rows top to bottom, texels as bytes B, G, R, A (0xAARRGGBB read as a little-endian word).
struct Picture {
  uint32_t width = 0;
  uint32_t height = 0;
  // The file carried transparency (an alpha channel or a transparent palette entry).
  bool hasAlpha = false;
  std::vector<uint8_t> texels;
};

// Pictures larger than this on either side are refused rather than allocated.
constexpr uint32_t kMaxPictureSide = 8192;

// Each returns false, leaves picture empty and puts one line into error when the bytes are not a valid picture.
bool DecodePng(const uint8_t* data, size_t size, Picture& picture, std::string& error);
bool DecodeJpeg(const uint8_t* data, size_t size, Picture& picture, std::string& error);
// The other pictures a texture may be made from: Windows bitmaps and Targa files, plain or run-length. A file
// whose data cannot hold every pixel its header claims is refused before any texel is allocated. Alpha counts
// when the file stores an alpha channel.
bool DecodeOtherPicture(const uint8_t* data, size_t size, Picture& picture, std::string& error);

// True when the bytes start with the PNG or the JPEG signature.
bool LooksLikePng(const uint8_t* data, size_t size);
bool LooksLikeJpeg(const uint8_t* data, size_t size);

}  // namespace platform::image
