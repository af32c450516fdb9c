// Picture writers for the sample content: PNG through libpng and JPEG through libjpeg, from BGRA texels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace contentgen {

// A picture to write: rows top to bottom, texels as bytes B, G, R, A.
struct PictureData {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> texels;

  PictureData() = default;
  PictureData(uint32_t w, uint32_t h) : width(w), height(h), texels(size_t{w} * h * 4, 0) {}
  // Sets one texel from 0xAARRGGBB.
  void Set(uint32_t x, uint32_t y, uint32_t argb);
  uint32_t Get(uint32_t x, uint32_t y) const;
  void Fill(uint32_t argb);
};

// PNG bytes of the picture: RGBA when withAlpha, RGB otherwise (the alpha bytes are then dropped).
std::vector<uint8_t> EncodePng(const PictureData& picture, bool withAlpha);
// Baseline JPEG bytes at the given quality (1-100).
std::vector<uint8_t> EncodeJpeg(const PictureData& picture, int quality);

// Writes bytes to path (folders created, temporary file then rename). False and a printed line on failure.
bool WriteContentFile(const std::string& path, const std::vector<uint8_t>& bytes);

bool WritePng(const std::string& path, const PictureData& picture, bool withAlpha);
bool WriteJpeg(const std::string& path, const PictureData& picture, int quality);

}  // namespace contentgen
