// DDS files read by our own bounded reader: 2D textures with their mip chains and cube maps with six faces, in
// DXT1/3/5 (kept compressed for upload) or uncompressed 16-, 24- and 32-bit RGB formats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/types.h"

namespace platform::image {

// One mip level of one face, texels packed with no row padding (compressed levels as 4×4 blocks).
struct DdsLevel {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> bytes;
};

struct DdsImage {
  // Dxt1, Dxt3, Dxt5, A8R8G8B8, X8R8G8B8, R5G6B5, X1R5G5B5, A1R5G5B5, A4R4G4B4 or X4R4G4B4. Files stored with
  // red and blue swapped or in 24 bits are converted to A8R8G8B8 / X8R8G8B8 while reading.
  gfx::Format format = gfx::Format::Unknown;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t levelCount = 0;
  bool isCube = false;
  // Face-major: face 0 (+X) levels 0..levelCount-1, then face 1 (-X) ... up to face 5 (-Z); one face for 2D.
  std::vector<DdsLevel> levels;

  uint32_t FaceCount() const { return isCube ? 6u : 1u; }
  const DdsLevel& Level(uint32_t face, uint32_t level) const { return levels[face * levelCount + level]; }
};

constexpr uint32_t kMaxDdsSide = 16384;

// False, with image left empty and one line in error, when the bytes are not a DDS this reader supports or are
// shorter than their header says.
bool ReadDds(const uint8_t* data, size_t size, DdsImage& image, std::string& error);

bool LooksLikeDds(const uint8_t* data, size_t size);

// Bytes of one level of the format at that size: 4×4 blocks for DXT, width × height × texel size otherwise;
// 0 for a format the reader does not produce.
size_t DdsLevelBytes(gfx::Format format, uint32_t width, uint32_t height);

bool IsCompressedFormat(gfx::Format format);

// Header constants shared with the writer of sample files.
namespace dds {
constexpr uint32_t kMagic = 0x20534444;  // "DDS "
constexpr uint32_t kHeaderSize = 124;
constexpr uint32_t kPixelFormatSize = 32;
enum : uint32_t {
  kFlagCaps = 0x1, kFlagHeight = 0x2, kFlagWidth = 0x4, kFlagPitch = 0x8, kFlagPixelFormat = 0x1000,
  kFlagMipMapCount = 0x20000, kFlagLinearSize = 0x80000,
};
enum : uint32_t { kPixelAlpha = 0x1, kPixelFourCc = 0x4, kPixelRgb = 0x40 };
enum : uint32_t { kCapsComplex = 0x8, kCapsTexture = 0x1000, kCapsMipMap = 0x400000 };
enum : uint32_t { kCaps2CubeMap = 0x200, kCaps2AllFaces = 0xFC00, kCaps2Volume = 0x200000 };
}  // namespace dds

}  // namespace platform::image
