// The OpenGL graphics system: one adapter described from the GL implementation and SDL's display modes, format
// checks answering what the OpenGL device can render, and device creation on an SDL window.
#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gfx/gl_device.h"
#include "platform/gfx/gl_renderer_memory.h"
#include "platform/gfx/graphics.h"
#include "platform/sdl_native.h"
#include "platform/sdl_window_system.h"

namespace platform::gfx {

namespace {

Format FormatOfBits(uint32_t sdlFormat) {
  const int bits = SDL_BITSPERPIXEL(sdlFormat);
  const int bytes = SDL_BYTESPERPIXEL(sdlFormat);
  // A 24-bit X11 desktop stores 32-bit pixels: count bytes, not bits.
  if (bytes >= 3 || bits >= 24) return Format::X8R8G8B8;
  if (bits == 16) return Format::R5G6B5;
  if (bits == 15) return Format::X1R5G5B5;
  return Format::Unknown;
}

Format WithoutAlpha(Format format) {
  switch (format) {
    case Format::A8R8G8B8: return Format::X8R8G8B8;
    case Format::A1R5G5B5: return Format::X1R5G5B5;
    default: return format;
  }
}

bool IsDisplayFormat(Format format) {
  return format == Format::X8R8G8B8 || format == Format::R5G6B5 || format == Format::X1R5G5B5;
}

bool IsDepthFormat(Format format) {
  return format == Format::D16 || format == Format::D24S8 || format == Format::D24X8 || format == Format::D32;
}

Caps CapsFromLimits(const GlLimits& limits) {
  Caps caps;
  caps.deviceType = DeviceType::Hal;
  caps.caps2 = caps2_bits::kCanRenderWindowed | caps2_bits::kDynamicTextures;
  caps.presentationIntervals = present_interval::kImmediate | present_interval::kOne;
  caps.devCaps = dev_caps::kHwTransformAndLight | dev_caps::kHwRasterization;
  caps.primitiveMiscCaps = primitive_misc_caps::kMaskZ | primitive_misc_caps::kCullNone | primitive_misc_caps::kCullCw |
                           primitive_misc_caps::kCullCcw | primitive_misc_caps::kColorWriteEnable |
                           primitive_misc_caps::kBlendOp | primitive_misc_caps::kTssArgTemp;
  // Multisampling is chosen at reset (the back buffer is resolved at present), so the framework resets for FSAA.
  caps.rasterCaps = raster_caps::kZTest | raster_caps::kFogVertex | raster_caps::kFogTable | raster_caps::kZFog |
                    raster_caps::kWFog | raster_caps::kFogRange | raster_caps::kMipmapLodBias | raster_caps::kZBias |
                    raster_caps::kStretchBltMultisample;
  if (limits.maxAnisotropy > 1.0f) caps.rasterCaps |= raster_caps::kAnisotropy;
  caps.zCmpCaps = caps.alphaCmpCaps = 0xFF;
  caps.srcBlendCaps = caps.destBlendCaps = 0x1FFF;
  caps.shadeCaps = shade_caps::kColorGouraudRgb | shade_caps::kSpecularGouraudRgb | shade_caps::kAlphaGouraudBlend |
                   shade_caps::kFogGouraud;
  caps.textureCaps = texture_caps::kPerspective | texture_caps::kAlpha | texture_caps::kProjected |
                     texture_caps::kCubeMap | texture_caps::kMipMap | texture_caps::kMipCubeMap;
  caps.textureFilterCaps = caps.cubeTextureFilterCaps =
      texture_filter_caps::kMinPoint | texture_filter_caps::kMinLinear | texture_filter_caps::kMipPoint |
      texture_filter_caps::kMipLinear | texture_filter_caps::kMagPoint | texture_filter_caps::kMagLinear |
      (limits.maxAnisotropy > 1.0f ? texture_filter_caps::kMinAnisotropic | texture_filter_caps::kMagAnisotropic : 0);
  caps.textureAddressCaps = texture_address_caps::kWrap | texture_address_caps::kMirror | texture_address_caps::kClamp |
                            texture_address_caps::kBorder | texture_address_caps::kIndependentUv |
                            (limits.mirrorOnce ? uint32_t{texture_address_caps::kMirrorOnce} : 0u);
  const auto edge = static_cast<uint32_t>(std::min<int>(limits.maxTextureSize, static_cast<int>(kMaxTextureEdge)));
  caps.maxTextureWidth = caps.maxTextureHeight = edge;
  caps.maxTextureRepeat = 8192;
  caps.maxTextureAspectRatio = edge;
  caps.maxAnisotropy = static_cast<uint32_t>(limits.maxAnisotropy);
  caps.maxVertexW = 1e10f;
  caps.stencilCaps = 0xFF;
  caps.fvfCaps = 8 | fvf_caps::kDoNotStripElements;
  // Every combiner op the generated programs reproduce; the bump-mapping ops and PREMODULATE are not among them.
  caps.textureOpCaps = ((1u << 26) - 1) & ~(texture_op_caps::kBumpEnvMap | texture_op_caps::kBumpEnvMapLuminance |
                                            texture_op_caps::kPremodulate);
  caps.maxTextureBlendStages = kMaxTextureStages;
  caps.maxSimultaneousTextures = kMaxTextureStages;
  caps.vertexProcessingCaps = vertex_processing_caps::kTexGen | vertex_processing_caps::kMaterialSource7 |
                              vertex_processing_caps::kDirectionalLights | vertex_processing_caps::kPositionalLights |
                              vertex_processing_caps::kLocalViewer;
  caps.maxActiveLights = kMaxActiveLights;
  caps.maxVertexBlendMatrices = 4;
  caps.maxUserClipPlanes = static_cast<uint32_t>(std::min<int>(limits.maxClipDistances, kMaxClipPlanes));
  caps.maxPointSize = limits.maxPointSize;
  caps.maxPrimitiveCount = 0xFFFFFF;
  caps.maxVertexIndex = 0xFFFFFF;
  caps.maxStreams = 1;
  caps.maxStreamStride = 255;
  return caps;
}

bool HasExtension(const char* name) {
  GLint count = 0;
  glGetIntegerv(GL_NUM_EXTENSIONS, &count);
  for (GLint i = 0; i < count; ++i) {
    const auto* extension = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, static_cast<GLuint>(i)));
    if (extension != nullptr && std::strcmp(extension, name) == 0) return true;
  }
  return false;
}

class GlGraphicsSystem : public GraphicsSystem {
 public:
  GlGraphicsSystem(WindowSystem& windows, bool ownsVideo) : windows_(windows), ownsVideo_(ownsVideo) {}
  ~GlGraphicsSystem() override {
    if (ownsVideo_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  // Reads the GL implementation through a hidden window; false when no 3.3 context can be made.
  bool Probe() {
    SetSdlGlAttributes();
    SDL_Window* probe = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (probe == nullptr) return false;
    SDL_GLContext context = SDL_GL_CreateContext(probe);
    if (context == nullptr) {
      SDL_DestroyWindow(probe);
      return false;
    }
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const auto* vendor = reinterpret_cast<const char*>(glGetString(GL_VENDOR));
    identifier_.description = renderer != nullptr ? renderer : "OpenGL";
    identifier_.driver = version != nullptr ? version : "";
    identifier_.vendorId = 0;
    if (vendor != nullptr && std::strstr(vendor, "NVIDIA") != nullptr) identifier_.vendorId = 0x10DE;
    if (vendor != nullptr && (std::strstr(vendor, "AMD") != nullptr || std::strstr(vendor, "ATI") != nullptr))
      identifier_.vendorId = 0x1002;
    if (vendor != nullptr && std::strstr(vendor, "Intel") != nullptr) identifier_.vendorId = 0x8086;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limits_.maxTextureSize);
    glGetIntegerv(GL_MAX_SAMPLES, &limits_.maxSamples);
    glGetIntegerv(GL_MAX_CLIP_DISTANCES, &limits_.maxClipDistances);
    GLfloat pointSizes[2] = {1, 1};
    glGetFloatv(GL_POINT_SIZE_RANGE, pointSizes);
    limits_.maxPointSize = pointSizes[1];
    limits_.s3tc = HasExtension("GL_EXT_texture_compression_s3tc");
    limits_.mirrorOnce = HasExtension("GL_ARB_texture_mirror_clamp_to_edge") ||
                         HasExtension("GL_EXT_texture_mirror_clamp") || epoxy_gl_version() >= 44;
    limits_.memoryInfoNvx = HasExtension("GL_NVX_gpu_memory_info");
    limits_.memoryInfoAti = HasExtension("GL_ATI_meminfo");
    limits_.rendererVideoMemoryMB = RendererVideoMemoryMB();
    if (HasExtension("GL_EXT_texture_filter_anisotropic") || HasExtension("GL_ARB_texture_filter_anisotropic"))
      glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &limits_.maxAnisotropy);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(probe);
    caps_ = CapsFromLimits(limits_);
    ReadModes();
    return true;
  }

  uint32_t GetAdapterCount() const override { return 1; }

  HResult GetAdapterIdentifier(uint32_t adapter, uint32_t, AdapterIdentifier& identifier) const override {
    if (adapter != 0) return kInvalidCall;
    identifier = identifier_;
    return kOk;
  }

  uint32_t GetAdapterModeCount(uint32_t adapter) const override {
    return adapter == 0 ? static_cast<uint32_t>(modes_.size()) : 0;
  }

  HResult EnumAdapterModes(uint32_t adapter, uint32_t mode, DisplayMode& displayMode) const override {
    if (adapter != 0 || mode >= modes_.size()) return kInvalidCall;
    displayMode = modes_[mode];
    return kOk;
  }

  HResult GetAdapterDisplayMode(uint32_t adapter, DisplayMode& displayMode) const override {
    if (adapter != 0) return kInvalidCall;
    displayMode = desktop_;
    return kOk;
  }

  HResult CheckDeviceType(uint32_t adapter, DeviceType type, Format adapterFormat, Format backBufferFormat,
                          bool) const override {
    if (adapter != 0) return kInvalidCall;
    if (type != DeviceType::Hal) return kNotAvailable;
    if (!IsDisplayFormat(adapterFormat)) return kNotAvailable;
    const bool backBufferKnown = backBufferFormat == Format::A8R8G8B8 || IsDisplayFormat(backBufferFormat) ||
                                 backBufferFormat == Format::A1R5G5B5;
    return backBufferKnown && WithoutAlpha(backBufferFormat) == adapterFormat ? kOk : kNotAvailable;
  }

  HResult CheckDeviceFormat(uint32_t adapter, DeviceType type, Format, uint32_t usage, ResourceType resourceType,
                            Format format) const override {
    if (adapter != 0) return kInvalidCall;
    if (type != DeviceType::Hal) return kNotAvailable;
    if (usage & usage::kDepthStencil) return IsDepthFormat(format) ? kOk : kNotAvailable;
    if (resourceType == ResourceType::VolumeTexture || resourceType == ResourceType::Volume) return kNotAvailable;
    GlPixelFormat pixel;
    if (!GlFormatOf(format, pixel) || (pixel.compressed && !limits_.s3tc)) return kNotAvailable;
    if (usage & usage::kRenderTarget)
      return format == Format::A8R8G8B8 || format == Format::X8R8G8B8 || format == Format::R5G6B5 ? kOk : kNotAvailable;
    return kOk;
  }

  HResult CheckDeviceMultiSampleType(uint32_t adapter, DeviceType type, Format, bool,
                                     uint32_t multiSampleType) const override {
    if (adapter != 0) return kInvalidCall;
    if (type != DeviceType::Hal) return kNotAvailable;
    if (multiSampleType == 0) return kOk;
    if (multiSampleType == 1 || multiSampleType > 16) return kNotAvailable;
    return static_cast<int>(multiSampleType) <= limits_.maxSamples ? kOk : kNotAvailable;
  }

  HResult CheckDepthStencilMatch(uint32_t adapter, DeviceType type, Format, Format,
                                 Format depthStencilFormat) const override {
    if (adapter != 0) return kInvalidCall;
    if (type != DeviceType::Hal) return kNotAvailable;
    return IsDepthFormat(depthStencilFormat) ? kOk : kNotAvailable;
  }

  HResult GetDeviceCaps(uint32_t adapter, DeviceType type, Caps& caps) const override {
    if (adapter != 0) return kInvalidCall;
    if (type != DeviceType::Hal) return kNotAvailable;
    caps = caps_;
    return kOk;
  }

  HResult CreateDevice(uint32_t adapter, DeviceType type, WindowHandle focusWindow, uint32_t,
                       PresentParameters& parameters, Device** device) override {
    if (device == nullptr) return kInvalidCall;
    *device = nullptr;
    if (adapter != 0) return kInvalidCall;
    if (type != DeviceType::Hal) return kNotAvailable;
    if (parameters.multiSampleType >= 2 && static_cast<int>(parameters.multiSampleType) > limits_.maxSamples)
      return kInvalidCall;
    if (parameters.enableAutoDepthStencil && !IsDepthFormat(parameters.autoDepthStencilFormat)) return kInvalidCall;
    const WindowHandle handle = parameters.deviceWindow != 0 ? parameters.deviceWindow : focusWindow;
    SDL_Window* window = SdlNativeWindow(windows_, handle);
    if (window == nullptr) return kInvalidCall;
    SetSdlGlAttributes();
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr) {
      std::fprintf(stderr, "graphics: no OpenGL 3.3 context on the window: %s\n", SDL_GetError());
      return kNotAvailable;
    }
    SDL_GL_MakeCurrent(window, context);
    auto* created = new GlDevice(window, context, limits_, caps_, desktop_, parameters);
    if (!created->Usable()) {
      created->Release();
      return kOutOfVideoMemory;
    }
    *device = created;
    SurfaceDesc back;
    (*device)->GetBackBufferDesc(back);
    parameters.backBufferWidth = back.width;
    parameters.backBufferHeight = back.height;
    parameters.backBufferFormat = back.format;
    return kOk;
  }

 private:
  void ReadModes() {
    SDL_DisplayMode desktop{};
    if (SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
      desktop_ = DisplayMode{static_cast<uint32_t>(desktop.w), static_cast<uint32_t>(desktop.h),
                             static_cast<uint32_t>(desktop.refresh_rate), FormatOfBits(desktop.format)};
    }
    if (desktop_.format == Format::Unknown) desktop_.format = Format::X8R8G8B8;
    if (desktop_.refreshRate == 0) desktop_.refreshRate = 60;
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
      SDL_DisplayMode mode{};
      if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
      const DisplayMode entry{static_cast<uint32_t>(mode.w), static_cast<uint32_t>(mode.h),
                              static_cast<uint32_t>(mode.refresh_rate != 0 ? mode.refresh_rate : 60),
                              FormatOfBits(mode.format)};
      if (entry.format == Format::Unknown) continue;
      if (std::find(modes_.begin(), modes_.end(), entry) == modes_.end()) modes_.push_back(entry);
    }
    if (modes_.empty() && desktop_.width != 0) modes_.push_back(desktop_);
  }

  WindowSystem& windows_;
  bool ownsVideo_;
  AdapterIdentifier identifier_;
  GlLimits limits_;
  Caps caps_;
  DisplayMode desktop_;
  std::vector<DisplayMode> modes_;
};

}  // namespace

std::unique_ptr<GraphicsSystem> CreateGlGraphicsSystem(WindowSystem& windows) {
  bool ownsVideo = false;
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    ownsVideo = true;
  }
  auto system = std::make_unique<GlGraphicsSystem>(windows, ownsVideo);
  if (!system->Probe()) {
    std::fprintf(stderr, "graphics: OpenGL 3.3 is not available: %s\n", SDL_GetError());
    return nullptr;
  }
  return system;
}

}  // namespace platform::gfx
