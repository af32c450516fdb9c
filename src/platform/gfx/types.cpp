// Pixel-format sizes, flexible-vertex-format layouts and primitive vertex counts.
#include "platform/gfx/types.h"

namespace platform::gfx {

int BytesPerPixel(Format format) {
  switch (format) {
    case Format::A8R8G8B8:
    case Format::X8R8G8B8:
    case Format::A2B10G10R10:
    case Format::G16R16:
    case Format::X8L8V8U8:
    case Format::Q8W8V8U8:
    case Format::V16U16:
    case Format::W11V11U10:
    case Format::D32:
    case Format::D24S8:
    case Format::D24X8:
    case Format::D24X4S4:
    case Format::Index32:
      return 4;
    case Format::R8G8B8:
      return 3;
    case Format::R5G6B5:
    case Format::X1R5G5B5:
    case Format::A1R5G5B5:
    case Format::A4R4G4B4:
    case Format::A8R3G3B2:
    case Format::X4R4G4B4:
    case Format::A8P8:
    case Format::A8L8:
    case Format::V8U8:
    case Format::L6V5U5:
    case Format::D16Lockable:
    case Format::D15S1:
    case Format::D16:
    case Format::Index16:
      return 2;
    case Format::R3G3B2:
    case Format::A8:
    case Format::P8:
    case Format::L8:
    case Format::A4L4:
      return 1;
    default:
      return 0;
  }
}

bool IsCompressed(Format format) {
  return format == Format::Dxt1 || format == Format::Dxt2 || format == Format::Dxt3 || format == Format::Dxt4 ||
         format == Format::Dxt5;
}

uint32_t RowPitch(Format format, uint32_t width) {
  if (IsCompressed(format)) {
    const uint32_t blockBytes = format == Format::Dxt1 ? 8 : 16;
    return ((width + 3) / 4) * blockBytes;
  }
  return width * static_cast<uint32_t>(BytesPerPixel(format));
}

uint32_t ImageBytes(Format format, uint32_t width, uint32_t height) {
  const uint32_t rows = IsCompressed(format) ? (height + 3) / 4 : height;
  return RowPitch(format, width) * rows;
}

VertexLayout DescribeVertexFormat(uint32_t code) {
  VertexLayout layout;
  uint32_t offset = 0;
  const uint32_t position = code & fvf::kPositionMask;
  if (position == 0) return layout;
  layout.position = 0;
  if (position == fvf::kXyzRhw) {
    layout.positionFloats = 4;
    offset = 16;
  } else {
    layout.positionFloats = 3;
    offset = 12;
    if (position >= fvf::kXyzB1) {
      layout.blendWeightCount = static_cast<int>((position - fvf::kXyzRhw) / 2);
      layout.blendWeights = static_cast<int>(offset);
      offset += 4 * layout.blendWeightCount;
    }
  }
  if (code & fvf::kNormal) {
    layout.normal = static_cast<int>(offset);
    offset += 12;
  }
  if (code & fvf::kPointSize) {
    layout.pointSize = static_cast<int>(offset);
    offset += 4;
  }
  if (code & fvf::kDiffuse) {
    layout.diffuse = static_cast<int>(offset);
    offset += 4;
  }
  if (code & fvf::kSpecular) {
    layout.specular = static_cast<int>(offset);
    offset += 4;
  }
  uint32_t count = (code & fvf::kTexCountMask) >> fvf::kTexCountShift;
  if (count > 8) count = 8;
  layout.texCoordCount = static_cast<int>(count);
  for (uint32_t i = 0; i < count; ++i) {
    static constexpr int kFloatsBySizeCode[4] = {2, 3, 4, 1};
    const int floats = kFloatsBySizeCode[(code >> (16 + 2 * i)) & 3];
    layout.texCoord[i] = static_cast<int>(offset);
    layout.texCoordFloats[i] = floats;
    offset += 4 * floats;
  }
  layout.stride = offset;
  return layout;
}

uint32_t VerticesForPrimitives(PrimitiveType type, uint32_t count) {
  if (count == 0) return 0;
  uint64_t vertices = 0;
  switch (type) {
    case PrimitiveType::PointList:
      vertices = count;
      break;
    case PrimitiveType::LineList:
      vertices = uint64_t{count} * 2;
      break;
    case PrimitiveType::LineStrip:
      vertices = uint64_t{count} + 1;
      break;
    case PrimitiveType::TriangleList:
      vertices = uint64_t{count} * 3;
      break;
    case PrimitiveType::TriangleStrip:
    case PrimitiveType::TriangleFan:
      vertices = uint64_t{count} + 2;
      break;
  }
  // Saturate so an absurd count fails the bounds checks instead of wrapping.
  return vertices > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(vertices);
}

}  // namespace platform::gfx
