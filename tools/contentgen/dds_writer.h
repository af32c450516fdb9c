// DDS writer for the sample content: 2D textures with mip chains and cube maps, in DXT1/3/5 (our own block
// encoder) and the uncompressed 16- and 32-bit formats the game reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "contentgen/png_writer.h"
#include "platform/gfx/types.h"

namespace contentgen {

// How the texels are laid out in the file beyond the format itself.
enum class DdsLayout {
  kPlain,         // the format as named
  kSwappedRedBlue,  // 32-bit with red in the low byte (read back as A8R8G8B8 / X8R8G8B8)
  kPacked24,      // 24-bit RGB (read back as X8R8G8B8)
};

// Bytes of a DDS file of the format: one face (2D) or six faces (+X, -X, +Y, -Y, +Z, -Z, all square and of
// one size), each with levelCount levels made by halving with a box filter (0 means the full chain).
// Empty when the format is not one the writer knows or the faces do not fit together.
std::vector<uint8_t> EncodeDds(platform::gfx::Format format, const std::vector<PictureData>& faces,
                               uint32_t levelCount, DdsLayout layout = DdsLayout::kPlain);

bool WriteDds(const std::string& path, platform::gfx::Format format, const std::vector<PictureData>& faces,
              uint32_t levelCount, DdsLayout layout = DdsLayout::kPlain);

// One texel 0xAARRGGBB packed into a 16-bit format (R5G6B5, X1R5G5B5, A1R5G5B5, A4R4G4B4, X4R4G4B4).
uint16_t PackTexel16(platform::gfx::Format format, uint32_t argb);

// The next smaller mip level: each texel the average of a 2×2 box (edges clamped).
PictureData HalvePicture(const PictureData& picture);

}  // namespace contentgen
