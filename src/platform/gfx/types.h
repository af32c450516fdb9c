// Graphics types: pixel formats, device types, capabilities, display modes and presentation parameters.
// Numeric codes keep the values the game's settings and data files store.
#pragma once

#include <cstdint>
#include <string>

#include "platform/window_system.h"

namespace platform::gfx {

constexpr uint32_t MakeFourCc(char a, char b, char c, char d) {
  return static_cast<uint32_t>(static_cast<uint8_t>(a)) | (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8) |
         (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16) | (static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24);
}

enum class Format : uint32_t {
  Unknown = 0,
  R8G8B8 = 20, A8R8G8B8 = 21, X8R8G8B8 = 22, R5G6B5 = 23, X1R5G5B5 = 24, A1R5G5B5 = 25, A4R4G4B4 = 26,
  R3G3B2 = 27, A8 = 28, A8R3G3B2 = 29, X4R4G4B4 = 30, A2B10G10R10 = 31, G16R16 = 34,
  A8P8 = 40, P8 = 41, L8 = 50, A8L8 = 51, A4L4 = 52,
  V8U8 = 60, L6V5U5 = 61, X8L8V8U8 = 62, Q8W8V8U8 = 63, V16U16 = 64, W11V11U10 = 65,
  Dxt1 = MakeFourCc('D', 'X', 'T', '1'), Dxt2 = MakeFourCc('D', 'X', 'T', '2'), Dxt3 = MakeFourCc('D', 'X', 'T', '3'),
  Dxt4 = MakeFourCc('D', 'X', 'T', '4'), Dxt5 = MakeFourCc('D', 'X', 'T', '5'),
  D16Lockable = 70, D32 = 71, D15S1 = 73, D24S8 = 75, D16 = 80, D24X8 = 77, D24X4S4 = 79,
  VertexData = 100, Index16 = 101, Index32 = 102,
};

enum class DeviceType : uint32_t { Hal = 1, Reference = 2, Software = 3 };

enum class MultisampleType : uint32_t { None = 0 };  // 2..16 are sample counts

enum class ResourceType : uint32_t { Surface = 1, Volume = 2, Texture = 3, VolumeTexture = 4, CubeTexture = 5, VertexBuffer = 6, IndexBuffer = 7 };

namespace usage {
enum : uint32_t { kRenderTarget = 0x1, kDepthStencil = 0x2, kWriteOnly = 0x8, kSoftwareProcessing = 0x10, kDoNotClip = 0x20, kPoints = 0x40, kDynamic = 0x200 };
}

namespace present_interval {
enum : uint32_t { kDefault = 0x0, kOne = 0x1, kTwo = 0x2, kThree = 0x4, kFour = 0x8, kImmediate = 0x80000000 };
}

// Behaviour flags of CreateDevice.
namespace create_flags {
enum : uint32_t { kPureDevice = 0x10, kSoftwareVertexProcessing = 0x20, kHardwareVertexProcessing = 0x40, kMixedVertexProcessing = 0x80 };
}

enum class SwapEffect : uint32_t { Discard = 1, Flip = 2, Copy = 3, CopyVsync = 4 };

// Capability bits the game reads.
namespace dev_caps {
enum : uint32_t { kHwTransformAndLight = 0x10000, kPureDevice = 0x100000, kHwRasterization = 0x80000 };
}
namespace primitive_misc_caps {
enum : uint32_t { kMaskZ = 0x2, kCullNone = 0x10, kCullCw = 0x20, kCullCcw = 0x40, kColorWriteEnable = 0x80, kClipPlaneScaledPoints = 0x100, kTssArgTemp = 0x400, kBlendOp = 0x800, kNullReference = 0x1000 };
}
namespace raster_caps {
enum : uint32_t { kDither = 0x1, kZTest = 0x10, kFogVertex = 0x80, kFogTable = 0x100, kMipmapLodBias = 0x2000, kZBias = 0x4000, kFogRange = 0x10000, kAnisotropy = 0x20000, kWFog = 0x100000, kZFog = 0x200000, kStretchBltMultisample = 0x800000 };
}

struct AdapterIdentifier {
  std::string driver;
  std::string description;
  uint32_t vendorId = 0;
  uint32_t deviceId = 0;
};

struct DisplayMode {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t refreshRate = 0;
  Format format = Format::Unknown;
  bool operator==(const DisplayMode&) const = default;
};

// The device capabilities the game reads; field names follow the classic capability record.
struct Caps {
  DeviceType deviceType = DeviceType::Hal;
  uint32_t adapterOrdinal = 0;
  uint32_t caps = 0, caps2 = 0, caps3 = 0;
  uint32_t presentationIntervals = 0;
  uint32_t cursorCaps = 0;
  uint32_t devCaps = 0;
  uint32_t primitiveMiscCaps = 0;
  uint32_t rasterCaps = 0;
  uint32_t zCmpCaps = 0, srcBlendCaps = 0, destBlendCaps = 0, alphaCmpCaps = 0, shadeCaps = 0;
  uint32_t textureCaps = 0, textureFilterCaps = 0, cubeTextureFilterCaps = 0, volumeTextureFilterCaps = 0;
  uint32_t textureAddressCaps = 0, volumeTextureAddressCaps = 0, lineCaps = 0;
  uint32_t maxTextureWidth = 0, maxTextureHeight = 0, maxVolumeExtent = 0;
  uint32_t maxTextureRepeat = 0, maxTextureAspectRatio = 0, maxAnisotropy = 0;
  float maxVertexW = 0;
  uint32_t stencilCaps = 0, fvfCaps = 0, textureOpCaps = 0;
  uint32_t maxTextureBlendStages = 0, maxSimultaneousTextures = 0;
  uint32_t vertexProcessingCaps = 0, maxActiveLights = 0, maxUserClipPlanes = 0;
  uint32_t maxVertexBlendMatrices = 0, maxVertexBlendMatrixIndex = 0;
  float maxPointSize = 0;
  uint32_t maxPrimitiveCount = 0, maxVertexIndex = 0, maxStreams = 0, maxStreamStride = 0;
  uint32_t vertexShaderVersion = 0, maxVertexShaderConst = 0, pixelShaderVersion = 0;
  float maxPixelShaderValue = 0;
};

struct PresentParameters {
  uint32_t backBufferWidth = 0;
  uint32_t backBufferHeight = 0;
  Format backBufferFormat = Format::Unknown;
  uint32_t backBufferCount = 1;
  uint32_t multiSampleType = 0;
  SwapEffect swapEffect = SwapEffect::Discard;
  WindowHandle deviceWindow = 0;
  bool windowed = true;
  bool enableAutoDepthStencil = true;
  Format autoDepthStencilFormat = Format::D24S8;
  uint32_t flags = 0;
  uint32_t fullscreenRefreshRate = 0;
  uint32_t presentationInterval = present_interval::kDefault;
};

struct SurfaceDesc {
  Format format = Format::Unknown;
  ResourceType type = ResourceType::Surface;
  uint32_t usage = 0;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t multiSampleType = 0;
};

// Bytes per pixel of an uncompressed format; 0 for compressed or unknown ones.
int BytesPerPixel(Format format);

}  // namespace platform::gfx
