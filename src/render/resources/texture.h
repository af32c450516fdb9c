// One texture of a material image: loaded from a PNG, JPEG or DDS file or made blank, converted between
// formats, and given its transparency from a separate grey alpha picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/graphics.h"
#include "platform/result.h"

namespace render {

// Options of Texture::MergeAlpha.
constexpr int kRebuildMipLevels = 0;
constexpr int kKeepMipLevels = 1;

// Opaque magenta, the colour key the image loads pass when none is asked for.
constexpr uint32_t kDefaultColourKey = 0xFFFF00FF;

class Texture {
 public:
  explicit Texture(bool compressed);
  ~Texture();
  Texture(const Texture&) = delete;
  Texture& operator=(const Texture&) = delete;

  // Loads the file (a normalised or real path). Colour-keyed: one A8R8G8B8 level whose texels equal to the key
  // (0xAARRGGBB) become transparent black. Otherwise the file's own format with a full mip chain (PNG with
  // alpha → A8R8G8B8, other PNG and JPEG → X8R8G8B8, DDS as stored). kFail when the file cannot be read.
  platform::HResult Load(platform::gfx::Device* device, const std::string& fileName, bool colourKeyed,
                         uint32_t colourKey = kDefaultColourKey);
  // An opaque black A8R8G8B8 texture with a full mip chain. Leaves width, height and hasAlpha as they were.
  platform::HResult CreateBlank(platform::gfx::Device* device, uint32_t width, uint32_t height);
  platform::gfx::Texture* GetD3DTexture() const { return texture; }
  // Replaces the held texture by a copy in another format (full mip chain, its smaller levels built unless the
  // caller rebuilds them itself). kFail, keeping the old one, when either format cannot be converted.
  platform::HResult ConvertFormat(platform::gfx::Device* device, platform::gfx::Format format,
                                  bool buildMipLevels = true);
  // Puts the alpha picture's grey levels into this texture's alpha (see the MergeAlpha* routines). kFail when
  // either texture is empty or the level-0 sizes differ; this texture is then A8R8G8B8 with opaque alpha.
  platform::HResult MergeAlpha(platform::gfx::Device* device, Texture& alphaTexture, int mipOption);

  uint32_t width = 0;
  uint32_t height = 0;
  std::string name;
  bool loaded = false;
  bool hasAlpha = false;
  bool colourKeyed = false;
  platform::gfx::Texture* texture = nullptr;
  bool compressed = false;
};

// True for the formats that carry alpha.
bool FormatHasAlpha(platform::gfx::Format format);

// Texel merges of one level; destination = colour texture, source = alpha texture in the same format.
// A8R8G8B8: alpha byte ← source green byte. A1R5G5B5: alpha bit cleared where the source blue (0-31) is below 18.
// A4R4G4B4: alpha nibble ← source green nibble.
void MergeAlphaA8R8G8B8(uint16_t width, uint16_t height, const platform::gfx::LockedRect& destination,
                        const platform::gfx::LockedRect& source);
void MergeAlphaA1R5G5B5(uint16_t width, uint16_t height, const platform::gfx::LockedRect& destination,
                        const platform::gfx::LockedRect& source);
void MergeAlphaA4R4G4B4(uint16_t width, uint16_t height, const platform::gfx::LockedRect& destination,
                        const platform::gfx::LockedRect& source);

// Rebuilds levels 1.. of the texture from level 0 with a 2×2 box filter. False when a level cannot be locked or
// the format cannot be converted (compressed formats keep the levels they were loaded with).
bool RebuildMipLevels(platform::gfx::Texture* texture);

// Reads level 0 of a texture (any convertible or DXT format) as ARGB texels, rows top to bottom.
bool ReadLevelTexels(platform::gfx::Texture* texture, uint32_t level, std::vector<uint32_t>& texels,
                     uint32_t& width, uint32_t& height);

}  // namespace render
