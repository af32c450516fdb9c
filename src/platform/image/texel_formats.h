// Texel conversions between the texture formats the game uses and 32-bit ARGB, and DXT block decoding, for the
// colour key, format conversion, mip building and cube-face copies done on the processor.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/gfx/types.h"

namespace platform::image {

// True for A8R8G8B8, X8R8G8B8, R5G6B5, X1R5G5B5, A1R5G5B5, A4R4G4B4 and X4R4G4B4.
bool CanConvertTexels(gfx::Format format);
// Bytes per texel of those formats; 0 for others.
uint32_t TexelBytes(gfx::Format format);

// One texel as 0xAARRGGBB (formats without alpha read as opaque). Formats it cannot convert read as 0.
uint32_t UnpackTexel(gfx::Format format, const uint8_t* texel);
// Stores argb in the format; nothing for formats it cannot convert.
void PackTexel(gfx::Format format, uint32_t argb, uint8_t* texel);

// Decodes one 4×4 DXT1/3/5 block into 16 texels 0xAARRGGBB in row order. False for other formats.
bool DecodeDxtBlock(gfx::Format format, const uint8_t* block, uint32_t texels[16]);

// A whole level of a DXT format into ARGB texels (width × height, rows top to bottom). The source holds
// DdsLevelBytes(format, width, height) bytes. False for other formats.
bool DecodeDxtLevel(gfx::Format format, const uint8_t* blocks, uint32_t width, uint32_t height, uint32_t* texels);

}  // namespace platform::image
