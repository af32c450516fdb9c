// Texel packing and unpacking by bit layout, and the DXT1/3/5 block decoder (colour palette of two 5:6:5 end
// points, explicit 4-bit alpha, interpolated 3-bit alpha).
#include "platform/image/texel_formats.h"

#include <algorithm>

namespace platform::image {

using gfx::Format;

namespace {

uint32_t Expand(uint32_t value, uint32_t bits) { return (value * 255 + ((1u << bits) - 1) / 2) / ((1u << bits) - 1); }

uint32_t Colour565(uint16_t c) {
  return 0xFF000000u | Expand((c >> 11) & 31, 5) << 16 | Expand((c >> 5) & 63, 6) << 8 | Expand(c & 31, 5);
}

uint32_t Mix(uint32_t a, uint32_t b, uint32_t weightA, uint32_t weightB, uint32_t divisor) {
  uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    out |= (((a >> shift) & 0xFF) * weightA + ((b >> shift) & 0xFF) * weightB) / divisor << shift;
  }
  return out;
}

void DecodeColour(const uint8_t* block, bool allowTransparent, uint32_t texels[16]) {
  const uint16_t c0 = static_cast<uint16_t>(block[0] | block[1] << 8);
  const uint16_t c1 = static_cast<uint16_t>(block[2] | block[3] << 8);
  uint32_t palette[4] = {Colour565(c0), Colour565(c1), 0, 0};
  if (c0 > c1 || !allowTransparent) {
    palette[2] = Mix(palette[0], palette[1], 2, 1, 3);
    palette[3] = Mix(palette[0], palette[1], 1, 2, 3);
  } else {
    palette[2] = Mix(palette[0], palette[1], 1, 1, 2);
    palette[3] = 0;  // transparent black
  }
  const uint32_t indices = uint32_t{block[4]} | uint32_t{block[5]} << 8 | uint32_t{block[6]} << 16 |
                           uint32_t{block[7]} << 24;
  for (int i = 0; i < 16; ++i) texels[i] = palette[(indices >> (2 * i)) & 3];
}

}  // namespace

bool CanConvertTexels(Format format) { return TexelBytes(format) != 0; }

uint32_t TexelBytes(Format format) {
  switch (format) {
    case Format::A8R8G8B8:
    case Format::X8R8G8B8:
      return 4;
    case Format::R5G6B5:
    case Format::X1R5G5B5:
    case Format::A1R5G5B5:
    case Format::A4R4G4B4:
    case Format::X4R4G4B4:
      return 2;
    default:
      return 0;
  }
}

uint32_t UnpackTexel(Format format, const uint8_t* texel) {
  const uint32_t word16 = TexelBytes(format) == 2 ? uint32_t{texel[0]} | uint32_t{texel[1]} << 8 : 0;
  switch (format) {
    case Format::A8R8G8B8:
      return uint32_t{texel[0]} | uint32_t{texel[1]} << 8 | uint32_t{texel[2]} << 16 | uint32_t{texel[3]} << 24;
    case Format::X8R8G8B8:
      return 0xFF000000u | uint32_t{texel[0]} | uint32_t{texel[1]} << 8 | uint32_t{texel[2]} << 16;
    case Format::R5G6B5:
      return Colour565(static_cast<uint16_t>(word16));
    case Format::X1R5G5B5:
    case Format::A1R5G5B5: {
      const uint32_t alpha = format == Format::X1R5G5B5 || (word16 & 0x8000) ? 0xFF : 0;
      return alpha << 24 | Expand((word16 >> 10) & 31, 5) << 16 | Expand((word16 >> 5) & 31, 5) << 8 |
             Expand(word16 & 31, 5);
    }
    case Format::A4R4G4B4:
    case Format::X4R4G4B4: {
      const uint32_t alpha = format == Format::X4R4G4B4 ? 0xFF : Expand((word16 >> 12) & 15, 4);
      return alpha << 24 | Expand((word16 >> 8) & 15, 4) << 16 | Expand((word16 >> 4) & 15, 4) << 8 |
             Expand(word16 & 15, 4);
    }
    default:
      return 0;
  }
}

void PackTexel(Format format, uint32_t argb, uint8_t* texel) {
  const uint32_t a = argb >> 24, r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
  uint32_t word16 = 0;
  switch (format) {
    case Format::A8R8G8B8:
    case Format::X8R8G8B8:
      texel[0] = static_cast<uint8_t>(b);
      texel[1] = static_cast<uint8_t>(g);
      texel[2] = static_cast<uint8_t>(r);
      texel[3] = static_cast<uint8_t>(format == Format::X8R8G8B8 ? 0xFF : a);
      return;
    case Format::R5G6B5:
      word16 = (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
      break;
    case Format::X1R5G5B5:
    case Format::A1R5G5B5:
      word16 = (format == Format::X1R5G5B5 || a >= 128 ? 0x8000u : 0u) | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
      break;
    case Format::A4R4G4B4:
    case Format::X4R4G4B4:
      word16 = (format == Format::X4R4G4B4 ? 0xFu : a >> 4) << 12 | (r >> 4) << 8 | (g >> 4) << 4 | (b >> 4);
      break;
    default:
      return;
  }
  texel[0] = static_cast<uint8_t>(word16);
  texel[1] = static_cast<uint8_t>(word16 >> 8);
}

bool DecodeDxtBlock(Format format, const uint8_t* block, uint32_t texels[16]) {
  if (format == Format::Dxt1) {
    DecodeColour(block, true, texels);
    return true;
  }
  if (format != Format::Dxt3 && format != Format::Dxt5) return false;
  DecodeColour(block + 8, false, texels);
  if (format == Format::Dxt3) {
    for (int i = 0; i < 16; ++i) {
      const uint32_t nibble = (block[i / 2] >> (4 * (i % 2))) & 15;
      texels[i] = (texels[i] & 0x00FFFFFFu) | Expand(nibble, 4) << 24;
    }
    return true;
  }
  const uint32_t a0 = block[0], a1 = block[1];
  uint32_t palette[8] = {a0, a1};
  if (a0 > a1) {
    for (uint32_t k = 1; k < 7; ++k) palette[k + 1] = ((7 - k) * a0 + k * a1) / 7;
  } else {
    for (uint32_t k = 1; k < 5; ++k) palette[k + 1] = ((5 - k) * a0 + k * a1) / 5;
    palette[6] = 0;
    palette[7] = 255;
  }
  uint64_t bits = 0;
  for (int i = 0; i < 6; ++i) bits |= uint64_t{block[2 + i]} << (8 * i);
  for (int i = 0; i < 16; ++i) texels[i] = (texels[i] & 0x00FFFFFFu) | palette[(bits >> (3 * i)) & 7] << 24;
  return true;
}

bool DecodeDxtLevel(Format format, const uint8_t* blocks, uint32_t width, uint32_t height, uint32_t* texels) {
  if (format != Format::Dxt1 && format != Format::Dxt3 && format != Format::Dxt5) return false;
  const size_t blockBytes = format == Format::Dxt1 ? 8 : 16;
  const uint32_t columns = std::max(1u, (width + 3) / 4);
  const uint32_t rows = std::max(1u, (height + 3) / 4);
  for (uint32_t by = 0; by < rows; ++by) {
    for (uint32_t bx = 0; bx < columns; ++bx) {
      uint32_t block[16];
      DecodeDxtBlock(format, blocks + (size_t{by} * columns + bx) * blockBytes, block);
      for (uint32_t y = 0; y < 4; ++y) {
        for (uint32_t x = 0; x < 4; ++x) {
          const uint32_t px = bx * 4 + x, py = by * 4 + y;
          if (px < width && py < height) texels[size_t{py} * width + px] = block[y * 4 + x];
        }
      }
    }
  }
  return true;
}

}  // namespace platform::image
