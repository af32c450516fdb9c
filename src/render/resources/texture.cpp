// Texture loading and the processor-side work behind it: file decoding, colour keys, mip building, format
// conversion and the alpha merge.
#include "render/resources/texture.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/file_system.h"
#include "platform/image/dds_reader.h"
#include "platform/image/picture_decoder.h"
#include "platform/image/texel_formats.h"

namespace render {

using platform::HResult;
using platform::kFail;
using platform::kOk;
using platform::gfx::Format;
using platform::gfx::LockedRect;

namespace {

std::string UpperCopy(const std::string& text) {
  std::string upper = text;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

// Bytes of one row of texels (of 4×4 blocks for DXT) and the number of such rows in a level.
void RowLayout(Format format, uint32_t width, uint32_t height, size_t& rowBytes, uint32_t& rows) {
  if (platform::image::IsCompressedFormat(format)) {
    rowBytes = platform::image::DdsLevelBytes(format, width, 4);
    rows = std::max(1u, (height + 3) / 4);
  } else {
    rowBytes = size_t{platform::image::TexelBytes(format)} * width;
    rows = height;
  }
}

// Copies packed rows (no padding) into one level of the texture.
bool WriteLevel(platform::gfx::Texture* texture, uint32_t level, Format format, const uint8_t* bytes,
                size_t byteCount) {
  platform::gfx::SurfaceDesc desc;
  if (platform::Failed(texture->GetLevelDesc(level, desc))) return false;
  size_t rowBytes = 0;
  uint32_t rows = 0;
  RowLayout(format, desc.width, desc.height, rowBytes, rows);
  if (rowBytes == 0 || rowBytes * rows > byteCount) return false;
  LockedRect locked;
  if (platform::Failed(texture->LockRect(level, locked, nullptr, 0)) || locked.bits == nullptr) return false;
  auto* out = static_cast<uint8_t*>(locked.bits);
  for (uint32_t row = 0; row < rows; ++row) std::memcpy(out + size_t(row) * locked.pitch, bytes + row * rowBytes, rowBytes);
  texture->UnlockRect(level);
  return true;
}

bool WriteArgbLevel(platform::gfx::Texture* texture, uint32_t level, Format format,
                    const std::vector<uint32_t>& texels) {
  const uint32_t texelBytes = platform::image::TexelBytes(format);
  if (texelBytes == 0) return false;
  std::vector<uint8_t> packed(texels.size() * texelBytes);
  for (size_t i = 0; i < texels.size(); ++i) platform::image::PackTexel(format, texels[i], &packed[i * texelBytes]);
  return WriteLevel(texture, level, format, packed.data(), packed.size());
}

// The file's level-0 texels as ARGB, whatever its kind.
struct DecodedFile {
  bool isDds = false;
  platform::image::Picture picture;
  platform::image::DdsImage dds;
};

bool DecodeFile(const std::string& fileName, DecodedFile& file, bool& missing) {
  std::vector<unsigned char> bytes;
  missing = false;
  if (!platform::ReadWholeFile(platform::ResolveDataPath(fileName), bytes, platform::kMaxImageFileBytes)) {
    missing = true;
    return false;
  }
  std::string error;
  bool decoded = false;
  if (platform::image::LooksLikeDds(bytes.data(), bytes.size())) {
    file.isDds = true;
    decoded = platform::image::ReadDds(bytes.data(), bytes.size(), file.dds, error);
  } else if (platform::image::LooksLikePng(bytes.data(), bytes.size())) {
    decoded = platform::image::DecodePng(bytes.data(), bytes.size(), file.picture, error);
  } else if (platform::image::LooksLikeJpeg(bytes.data(), bytes.size())) {
    decoded = platform::image::DecodeJpeg(bytes.data(), bytes.size(), file.picture, error);
  } else {
    decoded = platform::image::DecodeOtherPicture(bytes.data(), bytes.size(), file.picture, error);
  }
  if (!decoded) std::printf("texture: %s: %s\n", fileName.c_str(), error.c_str());
  return decoded;
}

bool LevelZeroArgb(const DecodedFile& file, std::vector<uint32_t>& texels, uint32_t& width, uint32_t& height) {
  if (!file.isDds) {
    width = file.picture.width;
    height = file.picture.height;
    texels.resize(size_t{width} * height);
    for (size_t i = 0; i < texels.size(); ++i) {
      texels[i] = platform::image::UnpackTexel(Format::A8R8G8B8, &file.picture.texels[i * 4]);
    }
    return true;
  }
  const platform::image::DdsLevel& level = file.dds.Level(0, 0);
  width = level.width;
  height = level.height;
  texels.resize(size_t{width} * height);
  if (platform::image::IsCompressedFormat(file.dds.format)) {
    return platform::image::DecodeDxtLevel(file.dds.format, level.bytes.data(), width, height, texels.data());
  }
  const uint32_t texelBytes = platform::image::TexelBytes(file.dds.format);
  for (size_t i = 0; i < texels.size(); ++i) {
    texels[i] = platform::image::UnpackTexel(file.dds.format, &level.bytes[i * texelBytes]);
  }
  return true;
}

}  // namespace

bool FormatHasAlpha(Format format) {
  switch (static_cast<uint32_t>(format)) {
    case 21: case 25: case 26: case 29: case 31: case 32: case 35: case 36: case 40:
      return true;
    default:
      return format == Format::Dxt3;
  }
}

bool ReadLevelTexels(platform::gfx::Texture* texture, uint32_t level, std::vector<uint32_t>& texels,
                     uint32_t& width, uint32_t& height) {
  platform::gfx::SurfaceDesc desc;
  if (texture == nullptr || platform::Failed(texture->GetLevelDesc(level, desc))) return false;
  const bool dxt = platform::image::IsCompressedFormat(desc.format);
  if (!dxt && !platform::image::CanConvertTexels(desc.format)) return false;
  size_t rowBytes = 0;
  uint32_t rows = 0;
  RowLayout(desc.format, desc.width, desc.height, rowBytes, rows);
  LockedRect locked;
  if (platform::Failed(texture->LockRect(level, locked, nullptr, platform::gfx::lock_flags::kReadOnly)) ||
      locked.bits == nullptr) {
    return false;
  }
  std::vector<uint8_t> packed(rowBytes * rows);
  for (uint32_t row = 0; row < rows; ++row) {
    std::memcpy(&packed[row * rowBytes], static_cast<const uint8_t*>(locked.bits) + size_t(row) * locked.pitch, rowBytes);
  }
  texture->UnlockRect(level);
  width = desc.width;
  height = desc.height;
  texels.resize(size_t{width} * height);
  if (dxt) return platform::image::DecodeDxtLevel(desc.format, packed.data(), width, height, texels.data());
  const uint32_t texelBytes = platform::image::TexelBytes(desc.format);
  for (size_t i = 0; i < texels.size(); ++i) texels[i] = platform::image::UnpackTexel(desc.format, &packed[i * texelBytes]);
  return true;
}

bool RebuildMipLevels(platform::gfx::Texture* texture) {
  if (texture == nullptr) return false;
  platform::gfx::SurfaceDesc desc;
  if (platform::Failed(texture->GetLevelDesc(0, desc)) || !platform::image::CanConvertTexels(desc.format)) return false;
  std::vector<uint32_t> previous;
  uint32_t width = 0, height = 0;
  if (!ReadLevelTexels(texture, 0, previous, width, height)) return false;
  for (uint32_t level = 1; level < texture->GetLevelCount(); ++level) {
    const uint32_t halfWidth = std::max(1u, width / 2), halfHeight = std::max(1u, height / 2);
    std::vector<uint32_t> half(size_t{halfWidth} * halfHeight);
    for (uint32_t y = 0; y < halfHeight; ++y) {
      // The last row and column repeat where the level has an odd size.
      const uint32_t* rows[2] = {&previous[size_t{std::min(y * 2, height - 1)} * width],
                                 &previous[size_t{std::min(y * 2 + 1, height - 1)} * width]};
      for (uint32_t x = 0; x < halfWidth; ++x) {
        const uint32_t left = std::min(x * 2, width - 1), right = std::min(x * 2 + 1, width - 1);
        const uint32_t quad[4] = {rows[0][left], rows[0][right], rows[1][left], rows[1][right]};
        // Channels 0 and 2, then 1 and 3, summed side by side in 16-bit lanes (four 8-bit values never carry
        // out of one), each rounded to the nearest quarter.
        uint32_t evenSum = 0, oddSum = 0;
        for (const uint32_t texel : quad) {
          evenSum += texel & 0x00FF00FFu;
          oddSum += (texel >> 8) & 0x00FF00FFu;
        }
        half[size_t{y} * halfWidth + x] =
            (((evenSum + 0x00020002u) >> 2) & 0x00FF00FFu) | ((((oddSum + 0x00020002u) >> 2) & 0x00FF00FFu) << 8);
      }
    }
    if (!WriteArgbLevel(texture, level, desc.format, half)) return false;
    previous = std::move(half);
    width = halfWidth;
    height = halfHeight;
  }
  return true;
}

Texture::Texture(bool compressedFlag) : compressed(compressedFlag) {}

Texture::~Texture() {
  if (texture != nullptr) texture->Release();
}

HResult Texture::Load(platform::gfx::Device* device, const std::string& fileName, bool keyed, uint32_t colourKey) {
  name = UpperCopy(fileName);
  if (texture != nullptr) {
    texture->Release();
    texture = nullptr;
  }
  loaded = hasAlpha = colourKeyed = false;
  if (device == nullptr) return kFail;
  DecodedFile file;
  bool missing = false;
  if (!DecodeFile(fileName, file, missing)) return kFail;

  platform::gfx::Texture* created = nullptr;
  if (keyed) {
    colourKeyed = true;
    std::vector<uint32_t> texels;
    uint32_t w = 0, h = 0;
    if (!LevelZeroArgb(file, texels, w, h)) return kFail;
    for (uint32_t& texel : texels) {
      if (texel == colourKey) texel = 0;
    }
    if (platform::Failed(device->CreateTexture(w, h, 1, 0, Format::A8R8G8B8, platform::gfx::Pool::Managed, &created))) {
      return kFail;
    }
    if (!WriteArgbLevel(created, 0, Format::A8R8G8B8, texels)) {
      created->Release();
      return kFail;
    }
  } else if (!file.isDds) {
    const Format format = file.picture.hasAlpha ? Format::A8R8G8B8 : Format::X8R8G8B8;
    if (platform::Failed(device->CreateTexture(file.picture.width, file.picture.height, 0, 0, format,
                                               platform::gfx::Pool::Managed, &created))) {
      return kFail;
    }
    if (!WriteLevel(created, 0, format, file.picture.texels.data(), file.picture.texels.size())) {
      created->Release();
      return kFail;
    }
    RebuildMipLevels(created);
  } else {
    const platform::image::DdsImage& dds = file.dds;
    if (dds.isCube) {
      std::printf("texture: %s: a cube map is not a 2D texture\n", fileName.c_str());
      return kFail;
    }
    // A file without its own mip chain gets one built, when its format allows.
    const bool buildChain = dds.levelCount == 1 && !platform::image::IsCompressedFormat(dds.format);
    const uint32_t levels = buildChain ? 0 : dds.levelCount;
    if (platform::Failed(device->CreateTexture(dds.width, dds.height, levels, 0, dds.format,
                                               platform::gfx::Pool::Managed, &created))) {
      return kFail;
    }
    const uint32_t filled = std::min(dds.levelCount, created->GetLevelCount());
    for (uint32_t level = 0; level < filled; ++level) {
      const auto& bytes = dds.Level(0, level).bytes;
      if (!WriteLevel(created, level, dds.format, bytes.data(), bytes.size())) {
        created->Release();
        return kFail;
      }
    }
    if (buildChain) RebuildMipLevels(created);
  }
  platform::gfx::SurfaceDesc desc;
  if (platform::Failed(created->GetLevelDesc(0, desc))) {
    created->Release();
    return kFail;
  }
  texture = created;
  width = desc.width;
  height = desc.height;
  hasAlpha = FormatHasAlpha(desc.format);
  loaded = true;
  return kOk;
}

HResult Texture::CreateBlank(platform::gfx::Device* device, uint32_t blankWidth, uint32_t blankHeight) {
  if (device == nullptr) return kFail;
  platform::gfx::Texture* created = nullptr;
  if (platform::Failed(device->CreateTexture(blankWidth, blankHeight, 0, 0, Format::A8R8G8B8,
                                             platform::gfx::Pool::Managed, &created))) {
    return kFail;
  }
  for (uint32_t level = 0; level < created->GetLevelCount(); ++level) {
    platform::gfx::SurfaceDesc desc;
    if (platform::Failed(created->GetLevelDesc(level, desc)) ||
        !WriteArgbLevel(created, level, Format::A8R8G8B8,
                        std::vector<uint32_t>(size_t{desc.width} * desc.height, 0xFF000000u))) {
      created->Release();
      return kFail;
    }
  }
  if (texture != nullptr) texture->Release();
  texture = created;
  width = blankWidth;
  height = blankHeight;
  loaded = true;
  return kOk;
}

HResult Texture::ConvertFormat(platform::gfx::Device* device, Format format, bool buildMipLevels) {
  if (device == nullptr || texture == nullptr || !platform::image::CanConvertTexels(format)) return kFail;
  std::vector<uint32_t> texels;
  uint32_t w = 0, h = 0;
  if (!ReadLevelTexels(texture, 0, texels, w, h)) return kFail;
  platform::gfx::Texture* created = nullptr;
  if (platform::Failed(device->CreateTexture(w, h, 0, 0, format, platform::gfx::Pool::Managed, &created))) return kFail;
  if (!WriteArgbLevel(created, 0, format, texels)) {
    created->Release();
    return kFail;
  }
  texture->Release();
  texture = created;
  if (buildMipLevels) RebuildMipLevels(texture);
  return kOk;
}

HResult Texture::MergeAlpha(platform::gfx::Device* device, Texture& alphaTexture, int mipOption) {
  if (texture == nullptr || alphaTexture.texture == nullptr) return kFail;
  // The merge rebuilds the converted texture's smaller levels itself; only a merge that fails after the
  // conversion builds them here.
  const bool rebuildAfterMerge = mipOption != kKeepMipLevels;
  const bool converting = !hasAlpha;
  if (converting && platform::Failed(ConvertFormat(device, Format::A8R8G8B8, !rebuildAfterMerge))) return kFail;
  bool merged = false;
  struct ChainOnFailure {
    platform::gfx::Texture* texture;
    const bool& merged;
    bool build;
    ~ChainOnFailure() {
      if (build && !merged) RebuildMipLevels(texture);
    }
  } chainOnFailure{texture, merged, converting && rebuildAfterMerge};
  platform::gfx::SurfaceDesc desc;
  if (platform::Failed(texture->GetLevelDesc(0, desc))) return kFail;
  width = desc.width;
  height = desc.height;
  platform::gfx::SurfaceDesc alphaDesc;
  if (platform::Failed(alphaTexture.texture->GetLevelDesc(0, alphaDesc))) return kFail;
  if (alphaDesc.format != desc.format) {
    if (platform::Failed(alphaTexture.ConvertFormat(device, desc.format)) ||
        platform::Failed(alphaTexture.texture->GetLevelDesc(0, alphaDesc))) {
      return kFail;
    }
  }
  if (alphaDesc.width != desc.width || alphaDesc.height != desc.height) {
    // The picture is then drawn fully opaque: say so, for a paint or a shadow quietly losing its alpha is hard
    // to tell from a lighting fault.
    std::fprintf(stderr, "%s: its alpha picture %s is %ux%u, not %ux%u; drawn without it\n", name.c_str(),
                 alphaTexture.name.c_str(), alphaDesc.width, alphaDesc.height, desc.width, desc.height);
    return kFail;
  }
  // Level sizes beyond 16 bits cannot reach the texel routines.
  if (desc.width > 0xFFFF || desc.height > 0xFFFF) return kFail;
  LockedRect destination, source;
  if (platform::Failed(texture->LockRect(0, destination, nullptr, 0))) return kFail;
  if (platform::Failed(alphaTexture.texture->LockRect(0, source, nullptr, 0))) {
    texture->UnlockRect(0);
    return kFail;
  }
  const auto w = static_cast<uint16_t>(desc.width), h = static_cast<uint16_t>(desc.height);
  if (desc.format == Format::A8R8G8B8) MergeAlphaA8R8G8B8(w, h, destination, source);
  if (desc.format == Format::A1R5G5B5) MergeAlphaA1R5G5B5(w, h, destination, source);
  if (desc.format == Format::A4R4G4B4) MergeAlphaA4R4G4B4(w, h, destination, source);
  alphaTexture.texture->UnlockRect(0);
  texture->UnlockRect(0);
  merged = true;
  if (rebuildAfterMerge) RebuildMipLevels(texture);
  hasAlpha = true;
  return kOk;
}

void MergeAlphaA8R8G8B8(uint16_t w, uint16_t h, const LockedRect& destination, const LockedRect& source) {
  for (uint32_t y = 0; y < h; ++y) {
    uint8_t* out = static_cast<uint8_t*>(destination.bits) + size_t(y) * destination.pitch;
    const uint8_t* in = static_cast<const uint8_t*>(source.bits) + size_t(y) * source.pitch;
    for (uint32_t x = 0; x < w; ++x) out[x * 4 + 3] = in[x * 4 + 1];
  }
}

void MergeAlphaA1R5G5B5(uint16_t w, uint16_t h, const LockedRect& destination, const LockedRect& source) {
  for (uint32_t y = 0; y < h; ++y) {
    uint8_t* out = static_cast<uint8_t*>(destination.bits) + size_t(y) * destination.pitch;
    const uint8_t* in = static_cast<const uint8_t*>(source.bits) + size_t(y) * source.pitch;
    for (uint32_t x = 0; x < w; ++x) {
      if ((in[x * 2] & 0x1F) < 18) out[x * 2 + 1] &= 0x7F;
    }
  }
}

void MergeAlphaA4R4G4B4(uint16_t w, uint16_t h, const LockedRect& destination, const LockedRect& source) {
  for (uint32_t y = 0; y < h; ++y) {
    uint8_t* out = static_cast<uint8_t*>(destination.bits) + size_t(y) * destination.pitch;
    const uint8_t* in = static_cast<const uint8_t*>(source.bits) + size_t(y) * source.pitch;
    for (uint32_t x = 0; x < w; ++x) {
      // The high byte holds alpha and red nibbles; the source's green nibble is the top of its low byte.
      out[x * 2 + 1] = static_cast<uint8_t>((out[x * 2 + 1] & 0x0F) | (in[x * 2] & 0xF0));
    }
  }
}

}  // namespace render
