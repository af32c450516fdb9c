// Graphics types: pixel formats, device types, capabilities, display modes and presentation parameters.
// Numeric codes keep the values the game's settings and data files store.
#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <type_traits>

#include "platform/math/types.h"
#include "platform/result.h"
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

// Results of ValidateDevice and texture creation.
constexpr HResult kWrongTextureFormat = static_cast<HResult>(0x88760818u);
constexpr HResult kUnsupportedColorOperation = static_cast<HResult>(0x88760819u);
constexpr HResult kUnsupportedColorArg = static_cast<HResult>(0x8876081Au);
constexpr HResult kUnsupportedAlphaOperation = static_cast<HResult>(0x8876081Bu);
constexpr HResult kUnsupportedAlphaArg = static_cast<HResult>(0x8876081Cu);
constexpr HResult kTooManyOperations = static_cast<HResult>(0x8876081Du);

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

// True for the DXT block-compressed formats (4x4 blocks of 8 or 16 bytes).
bool IsCompressed(Format format);

// Bytes of one row of pixels (or of one row of 4x4 blocks for compressed formats) of the given width.
uint32_t RowPitch(Format format, uint32_t width);

// Bytes of a whole image of the given size; 0 for unknown formats.
uint32_t ImageBytes(Format format, uint32_t width, uint32_t height);

// More capability bits.
namespace caps2_bits {
enum : uint32_t { kFullscreenGamma = 0x20000, kCanRenderWindowed = 0x80000, kDynamicTextures = 0x20000000 };
}
namespace texture_caps {
enum : uint32_t {
  kPerspective = 0x1, kPow2 = 0x2, kAlpha = 0x4, kSquareOnly = 0x20, kNonPow2Conditional = 0x100, kProjected = 0x400,
  kCubeMap = 0x800, kVolumeMap = 0x2000, kMipMap = 0x4000, kMipVolumeMap = 0x8000, kMipCubeMap = 0x10000,
  kCubeMapPow2 = 0x20000, kVolumeMapPow2 = 0x40000,
};
}
namespace texture_filter_caps {
enum : uint32_t {
  kMinPoint = 0x100, kMinLinear = 0x200, kMinAnisotropic = 0x400, kMipPoint = 0x10000, kMipLinear = 0x20000,
  kMagPoint = 0x1000000, kMagLinear = 0x2000000, kMagAnisotropic = 0x4000000,
};
}
namespace texture_address_caps {
enum : uint32_t { kWrap = 0x1, kMirror = 0x2, kClamp = 0x4, kBorder = 0x8, kIndependentUv = 0x10, kMirrorOnce = 0x20 };
}
// Bits of zCmpCaps / alphaCmpCaps: 1 << (CompareFunc - 1).
namespace compare_caps {
enum : uint32_t { kNever = 0x1, kLess = 0x2, kEqual = 0x4, kLessEqual = 0x8, kGreater = 0x10, kNotEqual = 0x20, kGreaterEqual = 0x40, kAlways = 0x80 };
}
// Bits of srcBlendCaps / destBlendCaps: 1 << (Blend - 1).
namespace blend_caps {
enum : uint32_t {
  kZero = 0x1, kOne = 0x2, kSrcColor = 0x4, kInvSrcColor = 0x8, kSrcAlpha = 0x10, kInvSrcAlpha = 0x20, kDestAlpha = 0x40,
  kInvDestAlpha = 0x80, kDestColor = 0x100, kInvDestColor = 0x200, kSrcAlphaSat = 0x400, kBothSrcAlpha = 0x800, kBothInvSrcAlpha = 0x1000,
};
}
// Bits of stencilCaps: 1 << (StencilOp - 1).
namespace stencil_caps {
enum : uint32_t { kKeep = 0x1, kZero = 0x2, kReplace = 0x4, kIncrSat = 0x8, kDecrSat = 0x10, kInvert = 0x20, kIncr = 0x40, kDecr = 0x80 };
}
// Bits of textureOpCaps: 1 << (TextureOp - 1).
namespace texture_op_caps {
enum : uint32_t {
  kDisable = 0x1, kSelectArg1 = 0x2, kSelectArg2 = 0x4, kModulate = 0x8, kModulate2x = 0x10, kModulate4x = 0x20, kAdd = 0x40,
  kAddSigned = 0x80, kAddSigned2x = 0x100, kSubtract = 0x200, kAddSmooth = 0x400, kBlendDiffuseAlpha = 0x800,
  kBlendTextureAlpha = 0x1000, kBlendFactorAlpha = 0x2000, kBlendTextureAlphaPm = 0x4000, kBlendCurrentAlpha = 0x8000,
  kPremodulate = 0x10000, kModulateAlphaAddColor = 0x20000, kModulateColorAddAlpha = 0x40000,
  kModulateInvAlphaAddColor = 0x80000, kModulateInvColorAddAlpha = 0x100000, kBumpEnvMap = 0x200000,
  kBumpEnvMapLuminance = 0x400000, kDotProduct3 = 0x800000, kMultiplyAdd = 0x1000000, kLerp = 0x2000000,
};
}
namespace shade_caps {
enum : uint32_t { kColorGouraudRgb = 0x8, kSpecularGouraudRgb = 0x200, kAlphaGouraudBlend = 0x4000, kFogGouraud = 0x80000 };
}
namespace vertex_processing_caps {
enum : uint32_t { kTexGen = 0x1, kMaterialSource7 = 0x2, kDirectionalLights = 0x8, kPositionalLights = 0x10, kLocalViewer = 0x20 };
}
namespace fvf_caps {
enum : uint32_t { kTexCoordCountMask = 0xffff, kDoNotStripElements = 0x80000, kPointSize = 0x100000 };
}

enum class Pool : uint32_t { Default = 0, Managed = 1, SystemMem = 2, Scratch = 3 };

// Flags of the Lock calls.
namespace lock_flags {
enum : uint32_t { kReadOnly = 0x10, kNoSysLock = 0x800, kNoOverwrite = 0x1000, kDiscard = 0x2000, kNoDirtyUpdate = 0x8000 };
}

// Flexible vertex format bits: the vertex layout as one code.
namespace fvf {
enum : uint32_t {
  kPositionMask = 0x00E, kXyz = 0x002, kXyzRhw = 0x004, kXyzB1 = 0x006, kXyzB2 = 0x008, kXyzB3 = 0x00A, kXyzB4 = 0x00C,
  kXyzB5 = 0x00E, kNormal = 0x010, kPointSize = 0x020, kDiffuse = 0x040, kSpecular = 0x080,
  kTexCountMask = 0xF00, kTexCountShift = 8,
  kTex0 = 0x000, kTex1 = 0x100, kTex2 = 0x200, kTex3 = 0x300, kTex4 = 0x400, kTex5 = 0x500, kTex6 = 0x600, kTex7 = 0x700, kTex8 = 0x800,
};
// Size code of texture coordinate set `index` (bits 16+2·index): 0 two floats, 1 three, 2 four, 3 one.
constexpr uint32_t TexCoordSize1(uint32_t index) { return 3u << (index * 2 + 16); }
constexpr uint32_t TexCoordSize2(uint32_t) { return 0; }
constexpr uint32_t TexCoordSize3(uint32_t index) { return 1u << (index * 2 + 16); }
constexpr uint32_t TexCoordSize4(uint32_t index) { return 2u << (index * 2 + 16); }
}  // namespace fvf

// Byte offsets of the parts of one vertex of a flexible vertex format; -1 where absent.
struct VertexLayout {
  uint32_t stride = 0;
  int position = -1;          // 3 floats, or 4 with XYZRHW
  int positionFloats = 0;
  int blendWeights = -1;
  int blendWeightCount = 0;
  int normal = -1;
  int pointSize = -1;
  int diffuse = -1;           // 4 bytes B,G,R,A
  int specular = -1;          // 4 bytes B,G,R,A
  int texCoordCount = 0;
  int texCoord[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
  int texCoordFloats[8] = {};
};

// The layout of a flexible vertex format code; stride 0 when the code has no position.
VertexLayout DescribeVertexFormat(uint32_t fvfCode);

enum class PrimitiveType : uint32_t { PointList = 1, LineList = 2, LineStrip = 3, TriangleList = 4, TriangleStrip = 5, TriangleFan = 6 };

// Vertices or indices a draw of primitiveCount primitives reads.
uint32_t VerticesForPrimitives(PrimitiveType type, uint32_t primitiveCount);

// Transform slots, with the numeric codes of the classic device.
enum class TransformState : uint32_t {
  View = 2, Projection = 3,
  Texture0 = 16, Texture1 = 17, Texture2 = 18, Texture3 = 19, Texture4 = 20, Texture5 = 21, Texture6 = 22, Texture7 = 23,
  World = 256, World1 = 257, World2 = 258, World3 = 259,
};

enum class RenderState : uint32_t {
  ZEnable = 7, FillMode = 8, ShadeMode = 9, LinePattern = 10, ZWriteEnable = 14, AlphaTestEnable = 15, LastPixel = 16,
  SrcBlend = 19, DestBlend = 20, CullMode = 22, ZFunc = 23, AlphaRef = 24, AlphaFunc = 25, DitherEnable = 26,
  AlphaBlendEnable = 27, FogEnable = 28, SpecularEnable = 29, ZVisible = 30, FogColor = 34, FogTableMode = 35,
  FogStart = 36, FogEnd = 37, FogDensity = 38, EdgeAntialias = 40, ZBias = 47, RangeFogEnable = 48,
  StencilEnable = 52, StencilFail = 53, StencilZFail = 54, StencilPass = 55, StencilFunc = 56, StencilRef = 57,
  StencilMask = 58, StencilWriteMask = 59, TextureFactor = 60,
  Wrap0 = 128, Wrap1 = 129, Wrap2 = 130, Wrap3 = 131, Wrap4 = 132, Wrap5 = 133, Wrap6 = 134, Wrap7 = 135,
  Clipping = 136, Lighting = 137, Ambient = 139, FogVertexMode = 140, ColorVertex = 141, LocalViewer = 142,
  NormalizeNormals = 143, DiffuseMaterialSource = 145, SpecularMaterialSource = 146, AmbientMaterialSource = 147,
  EmissiveMaterialSource = 148, VertexBlend = 151, ClipPlaneEnable = 152, SoftwareVertexProcessing = 153,
  PointSize = 154, PointSizeMin = 155, PointSpriteEnable = 156, PointScaleEnable = 157, PointScaleA = 158,
  PointScaleB = 159, PointScaleC = 160, MultisampleAntialias = 161, MultisampleMask = 162, PatchEdgeStyle = 163,
  PatchSegments = 164, DebugMonitorToken = 165, PointSizeMax = 166, IndexedVertexBlendEnable = 167,
  ColorWriteEnable = 168, TweenFactor = 170, BlendOp = 171,
};
// Render-state codes run 0..kRenderStateCount-1.
constexpr uint32_t kRenderStateCount = 172;

enum class TextureStageState : uint32_t {
  ColorOp = 1, ColorArg1 = 2, ColorArg2 = 3, AlphaOp = 4, AlphaArg1 = 5, AlphaArg2 = 6,
  BumpEnvMat00 = 7, BumpEnvMat01 = 8, BumpEnvMat10 = 9, BumpEnvMat11 = 10, TexCoordIndex = 11,
  AddressU = 13, AddressV = 14, BorderColor = 15, MagFilter = 16, MinFilter = 17, MipFilter = 18,
  MipMapLodBias = 19, MaxMipLevel = 20, MaxAnisotropy = 21, BumpEnvLScale = 22, BumpEnvLOffset = 23,
  TextureTransformFlags = 24, AddressW = 25, ColorArg0 = 26, AlphaArg0 = 27, ResultArg = 28,
};
constexpr uint32_t kTextureStageStateCount = 29;
constexpr uint32_t kMaxTextureStages = 8;

enum class TextureOp : uint32_t {
  Disable = 1, SelectArg1 = 2, SelectArg2 = 3, Modulate = 4, Modulate2x = 5, Modulate4x = 6, Add = 7, AddSigned = 8,
  AddSigned2x = 9, Subtract = 10, AddSmooth = 11, BlendDiffuseAlpha = 12, BlendTextureAlpha = 13,
  BlendFactorAlpha = 14, BlendTextureAlphaPm = 15, BlendCurrentAlpha = 16, Premodulate = 17,
  ModulateAlphaAddColor = 18, ModulateColorAddAlpha = 19, ModulateInvAlphaAddColor = 20,
  ModulateInvColorAddAlpha = 21, BumpEnvMap = 22, BumpEnvMapLuminance = 23, DotProduct3 = 24, MultiplyAdd = 25,
  Lerp = 26,
};

// Texture-stage arguments: a source in the low bits and modifier flags.
namespace texture_arg {
enum : uint32_t {
  kSelectMask = 0xF, kDiffuse = 0x0, kCurrent = 0x1, kTexture = 0x2, kTFactor = 0x3, kSpecular = 0x4, kTemp = 0x5,
  kComplement = 0x10, kAlphaReplicate = 0x20,
};
}

enum class Blend : uint32_t {
  Zero = 1, One = 2, SrcColor = 3, InvSrcColor = 4, SrcAlpha = 5, InvSrcAlpha = 6, DestAlpha = 7, InvDestAlpha = 8,
  DestColor = 9, InvDestColor = 10, SrcAlphaSat = 11, BothSrcAlpha = 12, BothInvSrcAlpha = 13,
};
enum class BlendOp : uint32_t { Add = 1, Subtract = 2, RevSubtract = 3, Min = 4, Max = 5 };
enum class CompareFunc : uint32_t { Never = 1, Less = 2, Equal = 3, LessEqual = 4, Greater = 5, NotEqual = 6, GreaterEqual = 7, Always = 8 };
enum class CullMode : uint32_t { None = 1, Clockwise = 2, CounterClockwise = 3 };
enum class StencilOp : uint32_t { Keep = 1, Zero = 2, Replace = 3, IncrSat = 4, DecrSat = 5, Invert = 6, Incr = 7, Decr = 8 };
enum class FogMode : uint32_t { None = 0, Exp = 1, Exp2 = 2, Linear = 3 };
enum class ShadeMode : uint32_t { Flat = 1, Gouraud = 2, Phong = 3 };
enum class FillMode : uint32_t { Point = 1, Wireframe = 2, Solid = 3 };
enum class ZBufferType : uint32_t { False = 0, True = 1, UseW = 2 };
enum class MaterialColorSource : uint32_t { Material = 0, Color1 = 1, Color2 = 2 };
enum class TextureFilter : uint32_t { None = 0, Point = 1, Linear = 2, Anisotropic = 3, FlatCubic = 4, GaussianCubic = 5 };
enum class TextureAddress : uint32_t { Wrap = 1, Mirror = 2, Clamp = 3, Border = 4, MirrorOnce = 5 };

// Values of TextureStageState::TextureTransformFlags: a count of output coordinates, optionally projected.
namespace texture_transform {
enum : uint32_t { kDisable = 0, kCount1 = 1, kCount2 = 2, kCount3 = 3, kCount4 = 4, kProjected = 256 };
}
// Texture-coordinate generation, or'ed into TextureStageState::TexCoordIndex above the coordinate-set index.
namespace texcoord_index {
enum : uint32_t { kPassThrough = 0, kCameraSpaceNormal = 0x10000, kCameraSpacePosition = 0x20000, kCameraSpaceReflectionVector = 0x30000 };
}
// Bits of RenderState::ColorWriteEnable.
namespace color_write {
enum : uint32_t { kRed = 0x1, kGreen = 0x2, kBlue = 0x4, kAlpha = 0x8 };
}
// Bits of RenderState::ClipPlaneEnable: plane n is 1 << n.
constexpr uint32_t kMaxClipPlanes = 6;

enum class LightType : uint32_t { Point = 1, Spot = 2, Directional = 3 };

struct Light {
  LightType type = LightType::Directional;
  ColorValue diffuse, specular, ambient;
  Vec3 position;
  Vec3 direction{0, 0, 1};
  float range = 0;
  float falloff = 0;
  float attenuation0 = 0, attenuation1 = 0, attenuation2 = 0;
  float theta = 0;  // inner cone angle, radians
  float phi = 0;    // outer cone angle, radians
};
constexpr uint32_t kMaxActiveLights = 8;

struct Material {
  ColorValue diffuse, ambient, specular, emissive;
  float power = 0;
};

// Pixel rectangle of the render target; the depth range is 0-1.
struct Viewport {
  uint32_t x = 0, y = 0, width = 0, height = 0;
  float minZ = 0, maxZ = 1;
  bool operator==(const Viewport&) const = default;
};

// Pixel rectangle, right and bottom exclusive.
struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct LockedRect {
  int32_t pitch = 0;  // bytes from one row to the next
  void* bits = nullptr;
};

struct VertexBufferDesc {
  Format format = Format::VertexData;
  ResourceType type = ResourceType::VertexBuffer;
  uint32_t usage = 0;
  Pool pool = Pool::Default;
  uint32_t size = 0;
  uint32_t fvf = 0;
};

struct IndexBufferDesc {
  Format format = Format::Index16;
  ResourceType type = ResourceType::IndexBuffer;
  uint32_t usage = 0;
  Pool pool = Pool::Default;
  uint32_t size = 0;
};

// A render-state or texture-stage value: any integer or enum of ours (floats go through FloatBits).
struct StateValue {
  uint32_t value = 0;
  template <typename T>
    requires(std::is_integral_v<T> || std::is_enum_v<T>)
  constexpr StateValue(T v) : value(static_cast<uint32_t>(v)) {}
  constexpr operator uint32_t() const { return value; }
};

// Float render states (fog start/end/density, point sizes) store the float's bits.
inline uint32_t FloatBits(float value) { return std::bit_cast<uint32_t>(value); }
inline float BitsFloat(uint32_t bits) { return std::bit_cast<float>(bits); }

}  // namespace platform::gfx
