// The DDS reader: header checks, pixel-format matching by bit masks, and mip levels bounded by the bytes present.
#include "platform/image/dds_reader.h"

#include <algorithm>
#include <cstring>

namespace platform::image {
namespace {

uint32_t ReadU32(const uint8_t* at) {
  return uint32_t{at[0]} | (uint32_t{at[1]} << 8) | (uint32_t{at[2]} << 16) | (uint32_t{at[3]} << 24);
}

// How the file's texels become ours.
enum class Conversion { None, SwapRedBlue32, Expand24 };

struct FormatMatch {
  gfx::Format format = gfx::Format::Unknown;
  Conversion conversion = Conversion::None;
  uint32_t fileTexelBytes = 0;
};

FormatMatch MatchPixelFormat(uint32_t flags, uint32_t fourCc, uint32_t bits, uint32_t red, uint32_t green,
                             uint32_t blue, uint32_t alpha) {
  FormatMatch match;
  if (flags & dds::kPixelFourCc) {
    if (fourCc == gfx::MakeFourCc('D', 'X', 'T', '1')) match.format = gfx::Format::Dxt1;
    if (fourCc == gfx::MakeFourCc('D', 'X', 'T', '3')) match.format = gfx::Format::Dxt3;
    if (fourCc == gfx::MakeFourCc('D', 'X', 'T', '5')) match.format = gfx::Format::Dxt5;
    return match;
  }
  if (!(flags & dds::kPixelRgb)) return match;
  if (!(flags & dds::kPixelAlpha)) alpha = 0;
  match.fileTexelBytes = bits / 8;
  if (bits == 32 && green == 0x0000FF00) {
    if (red == 0x00FF0000 && blue == 0x000000FF) {
      match.format = alpha == 0xFF000000 ? gfx::Format::A8R8G8B8 : gfx::Format::X8R8G8B8;
    } else if (red == 0x000000FF && blue == 0x00FF0000) {
      match.format = alpha == 0xFF000000 ? gfx::Format::A8R8G8B8 : gfx::Format::X8R8G8B8;
      match.conversion = Conversion::SwapRedBlue32;
    }
  } else if (bits == 24 && red == 0xFF0000 && green == 0xFF00 && blue == 0xFF) {
    match.format = gfx::Format::X8R8G8B8;
    match.conversion = Conversion::Expand24;
  } else if (bits == 16) {
    if (red == 0xF800 && green == 0x07E0 && blue == 0x001F) match.format = gfx::Format::R5G6B5;
    if (red == 0x7C00 && green == 0x03E0 && blue == 0x001F) {
      match.format = alpha == 0x8000 ? gfx::Format::A1R5G5B5 : gfx::Format::X1R5G5B5;
    }
    if (red == 0x0F00 && green == 0x00F0 && blue == 0x000F) {
      match.format = alpha == 0xF000 ? gfx::Format::A4R4G4B4 : gfx::Format::X4R4G4B4;
    }
  }
  return match;
}

size_t FileLevelBytes(const FormatMatch& match, uint32_t width, uint32_t height) {
  if (match.conversion == Conversion::None) return DdsLevelBytes(match.format, width, height);
  return size_t{width} * height * match.fileTexelBytes;
}

void ConvertLevel(const FormatMatch& match, const uint8_t* from, size_t fileBytes, DdsLevel& level) {
  if (match.conversion == Conversion::None) {
    level.bytes.assign(from, from + fileBytes);
    return;
  }
  const size_t texels = size_t{level.width} * level.height;
  level.bytes.resize(texels * 4);
  for (size_t i = 0; i < texels; ++i) {
    uint8_t* out = &level.bytes[i * 4];
    if (match.conversion == Conversion::SwapRedBlue32) {
      const uint8_t* in = from + i * 4;
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
      out[3] = in[3];
    } else {
      const uint8_t* in = from + i * 3;
      out[0] = in[0];
      out[1] = in[1];
      out[2] = in[2];
      out[3] = 0xFF;
    }
  }
}

uint32_t FullChainLength(uint32_t width, uint32_t height) {
  uint32_t levels = 1;
  while (width > 1 || height > 1) {
    width = std::max(1u, width / 2);
    height = std::max(1u, height / 2);
    ++levels;
  }
  return levels;
}

}  // namespace

bool IsCompressedFormat(gfx::Format format) {
  return format == gfx::Format::Dxt1 || format == gfx::Format::Dxt2 || format == gfx::Format::Dxt3 ||
         format == gfx::Format::Dxt4 || format == gfx::Format::Dxt5;
}

size_t DdsLevelBytes(gfx::Format format, uint32_t width, uint32_t height) {
  const size_t blocks = size_t{std::max(1u, (width + 3) / 4)} * std::max(1u, (height + 3) / 4);
  switch (format) {
    case gfx::Format::Dxt1:
      return blocks * 8;
    case gfx::Format::Dxt2:
    case gfx::Format::Dxt3:
    case gfx::Format::Dxt4:
    case gfx::Format::Dxt5:
      return blocks * 16;
    case gfx::Format::A8R8G8B8:
    case gfx::Format::X8R8G8B8:
      return size_t{width} * height * 4;
    case gfx::Format::R5G6B5:
    case gfx::Format::X1R5G5B5:
    case gfx::Format::A1R5G5B5:
    case gfx::Format::A4R4G4B4:
    case gfx::Format::X4R4G4B4:
      return size_t{width} * height * 2;
    default:
      return 0;
  }
}

bool LooksLikeDds(const uint8_t* data, size_t size) {
  return data != nullptr && size >= 4 && ReadU32(data) == dds::kMagic;
}

bool ReadDds(const uint8_t* data, size_t size, DdsImage& image, std::string& error) {
  image = DdsImage{};
  if (!LooksLikeDds(data, size)) {
    error = "not a DDS file";
    return false;
  }
  if (size < 4 + dds::kHeaderSize) {
    error = "DDS header cut short";
    return false;
  }
  const uint8_t* header = data + 4;
  if (ReadU32(header) != dds::kHeaderSize || ReadU32(header + 72) != dds::kPixelFormatSize) {
    error = "DDS header has the wrong size";
    return false;
  }
  const uint32_t flags = ReadU32(header + 4);
  const uint32_t height = ReadU32(header + 8);
  const uint32_t width = ReadU32(header + 12);
  const uint32_t mipCount = ReadU32(header + 24);
  const uint32_t caps2 = ReadU32(header + 108);
  if (width == 0 || height == 0 || width > kMaxDdsSide || height > kMaxDdsSide) {
    error = "DDS size out of range";
    return false;
  }
  if (caps2 & dds::kCaps2Volume) {
    error = "DDS volume textures are not supported";
    return false;
  }
  const FormatMatch match = MatchPixelFormat(ReadU32(header + 76), ReadU32(header + 80), ReadU32(header + 84),
                                             ReadU32(header + 88), ReadU32(header + 92), ReadU32(header + 96),
                                             ReadU32(header + 100));
  if (match.format == gfx::Format::Unknown) {
    error = "DDS pixel format not supported";
    return false;
  }
  const bool isCube = (caps2 & dds::kCaps2CubeMap) != 0;
  if (isCube && ((caps2 & dds::kCaps2AllFaces) != dds::kCaps2AllFaces || width != height)) {
    error = "DDS cube map lacks faces or is not square";
    return false;
  }
  uint32_t levelCount = (flags & dds::kFlagMipMapCount) && mipCount > 0 ? mipCount : 1;
  levelCount = std::min(levelCount, FullChainLength(width, height));

  DdsImage result;
  result.format = match.format;
  result.width = width;
  result.height = height;
  result.levelCount = levelCount;
  result.isCube = isCube;
  size_t offset = 4 + dds::kHeaderSize;
  for (uint32_t face = 0; face < result.FaceCount(); ++face) {
    uint32_t levelWidth = width;
    uint32_t levelHeight = height;
    for (uint32_t level = 0; level < levelCount; ++level) {
      const size_t fileBytes = FileLevelBytes(match, levelWidth, levelHeight);
      if (fileBytes > size - offset) {
        error = "DDS data cut short";
        return false;
      }
      DdsLevel out;
      out.width = levelWidth;
      out.height = levelHeight;
      ConvertLevel(match, data + offset, fileBytes, out);
      result.levels.push_back(std::move(out));
      offset += fileBytes;
      levelWidth = std::max(1u, levelWidth / 2);
      levelHeight = std::max(1u, levelHeight / 2);
    }
  }
  image = std::move(result);
  return true;
}

}  // namespace platform::image
