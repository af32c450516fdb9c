// DDS encoding: header, per-format texel packing and a small DXT block encoder (end points from the block's
// darkest and brightest texels, nearest palette entry per texel).
#include "contentgen/dds_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/image/dds_reader.h"

namespace contentgen {
namespace {

using platform::gfx::Format;
namespace dds = platform::image::dds;

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
void PutU16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

uint16_t To565(uint32_t argb) {
  return static_cast<uint16_t>((((argb >> 16) & 0xFF) >> 3) << 11 | (((argb >> 8) & 0xFF) >> 2) << 5 |
                               ((argb & 0xFF) >> 3));
}

uint32_t From565(uint16_t c) {
  const uint32_t r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
  return ((r * 255 / 31) << 16) | ((g * 255 / 63) << 8) | (b * 255 / 31);
}

int Luma(uint32_t argb) { return int((argb >> 16) & 0xFF) * 3 + int((argb >> 8) & 0xFF) * 6 + int(argb & 0xFF); }

int Distance(uint32_t a, uint32_t b) {
  int total = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
    total += d * d;
  }
  return total;
}

void Block(const PictureData& picture, uint32_t bx, uint32_t by, uint32_t texels[16]) {
  for (uint32_t y = 0; y < 4; ++y) {
    for (uint32_t x = 0; x < 4; ++x) {
      texels[y * 4 + x] = picture.Get(std::min(bx + x, picture.width - 1), std::min(by + y, picture.height - 1));
    }
  }
}

// The four-colour DXT colour block (also used by DXT3 and DXT5).
void EncodeColourBlock(const uint32_t texels[16], std::vector<uint8_t>& out) {
  uint32_t brightest = texels[0], darkest = texels[0];
  for (int i = 1; i < 16; ++i) {
    if (Luma(texels[i]) > Luma(brightest)) brightest = texels[i];
    if (Luma(texels[i]) < Luma(darkest)) darkest = texels[i];
  }
  uint16_t c0 = To565(brightest), c1 = To565(darkest);
  if (c0 < c1) std::swap(c0, c1);
  uint32_t indices = 0;
  if (c0 != c1) {
    const uint32_t e0 = From565(c0), e1 = From565(c1);
    uint32_t palette[4] = {e0, e1, 0, 0};
    for (int shift = 0; shift < 24; shift += 8) {
      const uint32_t a = (e0 >> shift) & 0xFF, b = (e1 >> shift) & 0xFF;
      palette[2] |= ((2 * a + b) / 3) << shift;
      palette[3] |= ((a + 2 * b) / 3) << shift;
    }
    for (int i = 0; i < 16; ++i) {
      uint32_t best = 0;
      for (uint32_t p = 1; p < 4; ++p) {
        if (Distance(texels[i], palette[p]) < Distance(texels[i], palette[best])) best = p;
      }
      indices |= best << (2 * i);
    }
  }
  PutU16(out, c0);
  PutU16(out, c1);
  PutU32(out, indices);
}

void EncodeExplicitAlpha(const uint32_t texels[16], std::vector<uint8_t>& out) {
  for (int i = 0; i < 16; i += 2) {
    const uint8_t low = static_cast<uint8_t>(texels[i] >> 28);
    const uint8_t high = static_cast<uint8_t>(texels[i + 1] >> 28);
    out.push_back(static_cast<uint8_t>(low | (high << 4)));
  }
}

void EncodeInterpolatedAlpha(const uint32_t texels[16], std::vector<uint8_t>& out) {
  uint32_t highest = 0, lowest = 255;
  for (int i = 0; i < 16; ++i) {
    highest = std::max(highest, texels[i] >> 24);
    lowest = std::min(lowest, texels[i] >> 24);
  }
  out.push_back(static_cast<uint8_t>(highest));
  out.push_back(static_cast<uint8_t>(lowest));
  uint64_t bits = 0;
  if (highest > lowest) {
    uint32_t palette[8] = {highest, lowest};
    for (uint32_t k = 1; k < 7; ++k) palette[k + 1] = ((7 - k) * highest + k * lowest) / 7;
    for (int i = 0; i < 16; ++i) {
      const int alpha = int(texels[i] >> 24);
      uint64_t best = 0;
      for (uint32_t p = 1; p < 8; ++p) {
        if (std::abs(alpha - int(palette[p])) < std::abs(alpha - int(palette[best]))) best = p;
      }
      bits |= best << (3 * i);
    }
  }
  for (int i = 0; i < 6; ++i) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

void EncodeLevel(Format format, DdsLayout layout, const PictureData& picture, std::vector<uint8_t>& out) {
  if (platform::image::IsCompressedFormat(format)) {
    for (uint32_t by = 0; by < picture.height; by += 4) {
      for (uint32_t bx = 0; bx < picture.width; bx += 4) {
        uint32_t texels[16];
        Block(picture, bx, by, texels);
        if (format == Format::Dxt3) EncodeExplicitAlpha(texels, out);
        if (format == Format::Dxt5) EncodeInterpolatedAlpha(texels, out);
        EncodeColourBlock(texels, out);
      }
    }
    return;
  }
  for (uint32_t y = 0; y < picture.height; ++y) {
    for (uint32_t x = 0; x < picture.width; ++x) {
      uint32_t argb = picture.Get(x, y);
      if (format == Format::X8R8G8B8) argb |= 0xFF000000u;
      if (format == Format::A8R8G8B8 || format == Format::X8R8G8B8) {
        if (layout == DdsLayout::kPacked24) {
          out.push_back(static_cast<uint8_t>(argb));
          out.push_back(static_cast<uint8_t>(argb >> 8));
          out.push_back(static_cast<uint8_t>(argb >> 16));
        } else if (layout == DdsLayout::kSwappedRedBlue) {
          PutU32(out, (argb & 0xFF00FF00u) | ((argb >> 16) & 0xFF) | ((argb & 0xFF) << 16));
        } else {
          PutU32(out, argb);
        }
      } else {
        PutU16(out, PackTexel16(format, argb));
      }
    }
  }
}

struct PixelFormatFields {
  uint32_t flags = 0, fourCc = 0, bits = 0, red = 0, green = 0, blue = 0, alpha = 0;
};

bool DescribeFormat(Format format, DdsLayout layout, PixelFormatFields& fields) {
  switch (format) {
    case Format::Dxt1:
    case Format::Dxt3:
    case Format::Dxt5:
      fields = {dds::kPixelFourCc, static_cast<uint32_t>(format)};
      return layout == DdsLayout::kPlain;
    case Format::A8R8G8B8:
    case Format::X8R8G8B8: {
      const bool alpha = format == Format::A8R8G8B8;
      if (layout == DdsLayout::kPacked24) {
        fields = {dds::kPixelRgb, 0, 24, 0xFF0000, 0xFF00, 0xFF, 0};
        return !alpha;
      }
      const bool swapped = layout == DdsLayout::kSwappedRedBlue;
      fields = {dds::kPixelRgb | (alpha ? dds::kPixelAlpha : 0u), 0, 32, swapped ? 0xFFu : 0xFF0000u, 0xFF00,
                swapped ? 0xFF0000u : 0xFFu, alpha ? 0xFF000000u : 0u};
      return true;
    }
    case Format::R5G6B5:
      fields = {dds::kPixelRgb, 0, 16, 0xF800, 0x07E0, 0x001F, 0};
      break;
    case Format::X1R5G5B5:
      fields = {dds::kPixelRgb, 0, 16, 0x7C00, 0x03E0, 0x001F, 0};
      break;
    case Format::A1R5G5B5:
      fields = {dds::kPixelRgb | dds::kPixelAlpha, 0, 16, 0x7C00, 0x03E0, 0x001F, 0x8000};
      break;
    case Format::A4R4G4B4:
      fields = {dds::kPixelRgb | dds::kPixelAlpha, 0, 16, 0x0F00, 0x00F0, 0x000F, 0xF000};
      break;
    case Format::X4R4G4B4:
      fields = {dds::kPixelRgb, 0, 16, 0x0F00, 0x00F0, 0x000F, 0};
      break;
    default:
      return false;
  }
  return layout == DdsLayout::kPlain;
}

}  // namespace

uint16_t PackTexel16(Format format, uint32_t argb) {
  const uint32_t a = argb >> 24, r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
  switch (format) {
    case Format::R5G6B5:
      return To565(argb);
    case Format::X1R5G5B5:
      return static_cast<uint16_t>(0x8000 | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
    case Format::A1R5G5B5:
      return static_cast<uint16_t>((a >= 128 ? 0x8000 : 0) | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
    case Format::A4R4G4B4:
      return static_cast<uint16_t>((a >> 4) << 12 | (r >> 4) << 8 | (g >> 4) << 4 | (b >> 4));
    case Format::X4R4G4B4:
      return static_cast<uint16_t>(0xF000 | (r >> 4) << 8 | (g >> 4) << 4 | (b >> 4));
    default:
      return 0;
  }
}

PictureData HalvePicture(const PictureData& picture) {
  PictureData half(std::max(1u, picture.width / 2), std::max(1u, picture.height / 2));
  for (uint32_t y = 0; y < half.height; ++y) {
    for (uint32_t x = 0; x < half.width; ++x) {
      uint32_t sums[4] = {};
      for (uint32_t dy = 0; dy < 2; ++dy) {
        for (uint32_t dx = 0; dx < 2; ++dx) {
          const uint32_t texel =
              picture.Get(std::min(x * 2 + dx, picture.width - 1), std::min(y * 2 + dy, picture.height - 1));
          for (int c = 0; c < 4; ++c) sums[c] += (texel >> (8 * c)) & 0xFF;
        }
      }
      uint32_t texel = 0;
      for (int c = 0; c < 4; ++c) texel |= ((sums[c] + 2) / 4) << (8 * c);
      half.Set(x, y, texel);
    }
  }
  return half;
}

std::vector<uint8_t> EncodeDds(Format format, const std::vector<PictureData>& faces, uint32_t levelCount,
                               DdsLayout layout) {
  PixelFormatFields pixel;
  if (!DescribeFormat(format, layout, pixel)) return {};
  if (faces.size() != 1 && faces.size() != 6) return {};
  const uint32_t width = faces[0].width, height = faces[0].height;
  if (width == 0 || height == 0) return {};
  for (const PictureData& face : faces) {
    if (face.width != width || face.height != height || face.texels.size() != size_t{width} * height * 4) return {};
  }
  const bool cube = faces.size() == 6;
  if (cube && width != height) return {};
  uint32_t fullChain = 1;
  for (uint32_t w = width, h = height; w > 1 || h > 1; w = std::max(1u, w / 2), h = std::max(1u, h / 2)) ++fullChain;
  if (levelCount == 0 || levelCount > fullChain) levelCount = fullChain;

  std::vector<uint8_t> out;
  PutU32(out, dds::kMagic);
  PutU32(out, dds::kHeaderSize);
  const bool compressed = platform::image::IsCompressedFormat(format);
  PutU32(out, dds::kFlagCaps | dds::kFlagHeight | dds::kFlagWidth | dds::kFlagPixelFormat |
                  (levelCount > 1 ? dds::kFlagMipMapCount : 0u) |
                  (compressed ? dds::kFlagLinearSize : dds::kFlagPitch));
  PutU32(out, height);
  PutU32(out, width);
  PutU32(out, compressed ? static_cast<uint32_t>(platform::image::DdsLevelBytes(format, width, height))
                         : width * (pixel.bits / 8));
  PutU32(out, 0);  // depth
  PutU32(out, levelCount);
  for (int i = 0; i < 11; ++i) PutU32(out, 0);
  PutU32(out, dds::kPixelFormatSize);
  PutU32(out, pixel.flags);
  PutU32(out, pixel.fourCc);
  PutU32(out, pixel.bits);
  PutU32(out, pixel.red);
  PutU32(out, pixel.green);
  PutU32(out, pixel.blue);
  PutU32(out, pixel.alpha);
  PutU32(out, dds::kCapsTexture | (levelCount > 1 || cube ? dds::kCapsComplex : 0u) |
                  (levelCount > 1 ? dds::kCapsMipMap : 0u));
  PutU32(out, cube ? dds::kCaps2CubeMap | dds::kCaps2AllFaces : 0u);
  PutU32(out, 0);
  PutU32(out, 0);
  PutU32(out, 0);
  for (const PictureData& face : faces) {
    PictureData level = face;
    for (uint32_t i = 0; i < levelCount; ++i) {
      EncodeLevel(format, layout, level, out);
      if (i + 1 < levelCount) level = HalvePicture(level);
    }
  }
  return out;
}

bool WriteDds(const std::string& path, Format format, const std::vector<PictureData>& faces, uint32_t levelCount,
              DdsLayout layout) {
  const std::vector<uint8_t> bytes = EncodeDds(format, faces, levelCount, layout);
  if (bytes.empty()) {
    std::fprintf(stderr, "contentgen: cannot encode %s\n", path.c_str());
    return false;
  }
  return WriteContentFile(path, bytes);
}

}  // namespace contentgen
