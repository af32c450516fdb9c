// The null graphics backend: answers from a configurable description, keeps state, records calls, draws nothing.
#include "platform/gfx/null_graphics.h"

#include <algorithm>

namespace platform::gfx {

namespace {

bool Contains(const std::vector<Format>& formats, Format format) {
  return std::find(formats.begin(), formats.end(), format) != formats.end();
}

// Formats equal once alpha is ignored (A8R8G8B8 displays as X8R8G8B8).
Format WithoutAlpha(Format format) {
  switch (format) {
    case Format::A8R8G8B8: return Format::X8R8G8B8;
    case Format::A1R5G5B5: return Format::X1R5G5B5;
    case Format::A4R4G4B4: return Format::X4R4G4B4;
    default: return format;
  }
}

}  // namespace

Caps NullDefaultCaps() {
  Caps caps;
  caps.deviceType = DeviceType::Hal;
  caps.caps2 = caps2_bits::kCanRenderWindowed | caps2_bits::kDynamicTextures;
  caps.presentationIntervals = present_interval::kImmediate | present_interval::kOne;
  caps.devCaps = dev_caps::kHwTransformAndLight | dev_caps::kHwRasterization | dev_caps::kPureDevice;
  caps.primitiveMiscCaps = primitive_misc_caps::kMaskZ | primitive_misc_caps::kCullNone | primitive_misc_caps::kCullCw |
                           primitive_misc_caps::kCullCcw | primitive_misc_caps::kColorWriteEnable |
                           primitive_misc_caps::kBlendOp;
  caps.rasterCaps = raster_caps::kZTest | raster_caps::kFogVertex | raster_caps::kFogTable | raster_caps::kZFog |
                    raster_caps::kMipmapLodBias | raster_caps::kZBias | raster_caps::kStretchBltMultisample;
  caps.zCmpCaps = caps.alphaCmpCaps = 0xFF;
  caps.srcBlendCaps = caps.destBlendCaps = 0x1FFF;
  caps.shadeCaps = shade_caps::kColorGouraudRgb | shade_caps::kSpecularGouraudRgb | shade_caps::kAlphaGouraudBlend |
                   shade_caps::kFogGouraud;
  caps.textureCaps = texture_caps::kPerspective | texture_caps::kAlpha | texture_caps::kProjected |
                     texture_caps::kCubeMap | texture_caps::kMipMap | texture_caps::kMipCubeMap;
  caps.textureFilterCaps = caps.cubeTextureFilterCaps =
      texture_filter_caps::kMinPoint | texture_filter_caps::kMinLinear | texture_filter_caps::kMipPoint |
      texture_filter_caps::kMipLinear | texture_filter_caps::kMagPoint | texture_filter_caps::kMagLinear;
  caps.textureAddressCaps = texture_address_caps::kWrap | texture_address_caps::kMirror | texture_address_caps::kClamp |
                            texture_address_caps::kBorder | texture_address_caps::kIndependentUv;
  caps.maxTextureWidth = caps.maxTextureHeight = 2048;
  caps.maxTextureRepeat = 8192;
  caps.maxTextureAspectRatio = 2048;
  caps.maxAnisotropy = 1;
  caps.maxVertexW = 1e10f;
  caps.stencilCaps = 0xFF;
  caps.fvfCaps = 8 | fvf_caps::kDoNotStripElements;
  // Every op but the bump-mapping ones.
  caps.textureOpCaps = ((1u << 26) - 1) & ~(texture_op_caps::kBumpEnvMap | texture_op_caps::kBumpEnvMapLuminance);
  caps.maxTextureBlendStages = 4;
  caps.maxSimultaneousTextures = 4;
  caps.vertexProcessingCaps = vertex_processing_caps::kTexGen | vertex_processing_caps::kMaterialSource7 |
                              vertex_processing_caps::kDirectionalLights | vertex_processing_caps::kPositionalLights |
                              vertex_processing_caps::kLocalViewer;
  caps.maxActiveLights = 8;
  caps.maxVertexBlendMatrices = 4;
  caps.maxUserClipPlanes = 6;
  caps.maxPointSize = 64.0f;
  caps.maxPrimitiveCount = 0xFFFFF;
  caps.maxVertexIndex = 0xFFFFFF;
  caps.maxStreams = 16;
  caps.maxStreamStride = 255;
  return caps;
}

NullDescription NullDefaultDescription() {
  NullAdapter adapter;
  adapter.identifier.description = "NULL ADAPTER";
  adapter.identifier.driver = "null";
  for (Format format : {Format::X8R8G8B8, Format::R5G6B5})
    for (auto [w, h] : {std::pair{640u, 480u}, {800u, 600u}, {1024u, 768u}})
      adapter.modes.push_back(DisplayMode{w, h, 60, format});
  adapter.desktopMode = DisplayMode{1024, 768, 60, Format::X8R8G8B8};
  adapter.caps = NullDefaultCaps();
  adapter.windowedBackBufferFormats = {Format::A8R8G8B8, Format::X8R8G8B8, Format::R5G6B5};
  adapter.fullscreenBackBufferFormats = {Format::A8R8G8B8, Format::X8R8G8B8, Format::R5G6B5};
  adapter.depthStencilFormats = {Format::D24S8, Format::D16};
  adapter.multiSampleTypes = {0, 2};
  adapter.textureFormats = {Format::A8R8G8B8, Format::X8R8G8B8, Format::R5G6B5, Format::A1R5G5B5,
                            Format::X1R5G5B5, Format::A4R4G4B4, Format::Dxt1, Format::Dxt3, Format::Dxt5};
  adapter.renderTargetFormats = {Format::A8R8G8B8, Format::X8R8G8B8, Format::R5G6B5};
  NullDescription description;
  description.adapters.push_back(adapter);
  return description;
}

// ---- system ----

NullGraphicsSystem::NullGraphicsSystem(NullDescription startDescription) : description(std::move(startDescription)) {}

const NullAdapter* NullGraphicsSystem::Adapter(uint32_t adapter) const {
  return adapter < description.adapters.size() ? &description.adapters[adapter] : nullptr;
}

uint32_t NullGraphicsSystem::GetAdapterCount() const { return static_cast<uint32_t>(description.adapters.size()); }

HResult NullGraphicsSystem::GetAdapterIdentifier(uint32_t adapter, uint32_t, AdapterIdentifier& identifier) const {
  const NullAdapter* entry = Adapter(adapter);
  if (entry == nullptr) return kInvalidCall;
  identifier = entry->identifier;
  return kOk;
}

uint32_t NullGraphicsSystem::GetAdapterModeCount(uint32_t adapter) const {
  const NullAdapter* entry = Adapter(adapter);
  return entry == nullptr ? 0 : static_cast<uint32_t>(entry->modes.size());
}

HResult NullGraphicsSystem::EnumAdapterModes(uint32_t adapter, uint32_t mode, DisplayMode& displayMode) const {
  const NullAdapter* entry = Adapter(adapter);
  if (entry == nullptr || mode >= entry->modes.size()) return kInvalidCall;
  displayMode = entry->modes[mode];
  return kOk;
}

HResult NullGraphicsSystem::GetAdapterDisplayMode(uint32_t adapter, DisplayMode& displayMode) const {
  const NullAdapter* entry = Adapter(adapter);
  if (entry == nullptr) return kInvalidCall;
  displayMode = entry->desktopMode;
  return kOk;
}

HResult NullGraphicsSystem::CheckDeviceType(uint32_t adapter, DeviceType type, Format adapterFormat,
                                            Format backBufferFormat, bool windowed) const {
  const NullAdapter* entry = Adapter(adapter);
  if (entry == nullptr) return kInvalidCall;
  if (type != DeviceType::Hal) return kNotAvailable;
  const bool adapterFormatKnown =
      adapterFormat == entry->desktopMode.format ||
      std::any_of(entry->modes.begin(), entry->modes.end(), [&](const DisplayMode& m) { return m.format == adapterFormat; });
  if (!adapterFormatKnown) return kNotAvailable;
  if (!Contains(windowed ? entry->windowedBackBufferFormats : entry->fullscreenBackBufferFormats, backBufferFormat))
    return kNotAvailable;
  if (entry->backBufferMustMatchAdapter && WithoutAlpha(backBufferFormat) != WithoutAlpha(adapterFormat))
    return kNotAvailable;
  return kOk;
}

HResult NullGraphicsSystem::CheckDeviceFormat(uint32_t adapter, DeviceType type, Format, uint32_t usage,
                                              ResourceType resourceType, Format format) const {
  const NullAdapter* entry = Adapter(adapter);
  if (entry == nullptr) return kInvalidCall;
  if (type != DeviceType::Hal) return kNotAvailable;
  if (usage & usage::kDepthStencil) return Contains(entry->depthStencilFormats, format) ? kOk : kNotAvailable;
  if (resourceType == ResourceType::CubeTexture && !(entry->caps.textureCaps & texture_caps::kCubeMap))
    return kNotAvailable;
  if (usage & usage::kRenderTarget) return Contains(entry->renderTargetFormats, format) ? kOk : kNotAvailable;
  return Contains(entry->textureFormats, format) ? kOk : kNotAvailable;
}

HResult NullGraphicsSystem::CheckDeviceMultiSampleType(uint32_t adapter, DeviceType type, Format, bool,
                                                       uint32_t multiSampleType) const {
  const NullAdapter* entry = Adapter(adapter);
  if (entry == nullptr) return kInvalidCall;
  if (type != DeviceType::Hal) return kNotAvailable;
  const auto& types = entry->multiSampleTypes;
  return std::find(types.begin(), types.end(), multiSampleType) != types.end() ? kOk : kNotAvailable;
}

HResult NullGraphicsSystem::CheckDepthStencilMatch(uint32_t adapter, DeviceType type, Format, Format,
                                                   Format depthStencilFormat) const {
  const NullAdapter* entry = Adapter(adapter);
  if (entry == nullptr) return kInvalidCall;
  if (type != DeviceType::Hal) return kNotAvailable;
  return Contains(entry->depthStencilFormats, depthStencilFormat) ? kOk : kNotAvailable;
}

HResult NullGraphicsSystem::GetDeviceCaps(uint32_t adapter, DeviceType type, Caps& caps) const {
  const NullAdapter* entry = Adapter(adapter);
  if (entry == nullptr) return kInvalidCall;
  if (type != DeviceType::Hal) return kNotAvailable;
  caps = entry->caps;
  caps.adapterOrdinal = adapter;
  return kOk;
}

HResult NullGraphicsSystem::CheckParameters(uint32_t adapter, const PresentParameters& p) const {
  const NullAdapter* entry = Adapter(adapter);
  if (entry == nullptr) return kInvalidCall;
  const Format adapterFormat = p.windowed ? entry->desktopMode.format : WithoutAlpha(p.backBufferFormat);
  if (p.backBufferFormat != Format::Unknown || !p.windowed) {
    if (Failed(CheckDeviceType(adapter, DeviceType::Hal, adapterFormat, p.backBufferFormat, p.windowed)))
      return kInvalidCall;
  }
  if (!p.windowed) {
    // Full screen needs a display mode of the format and rate; the picture may have any size, since the window
    // system shows it whole in the mode the screen takes.
    const bool modeExists = std::any_of(entry->modes.begin(), entry->modes.end(), [&](const DisplayMode& m) {
      return m.format == WithoutAlpha(p.backBufferFormat) &&
             (p.fullscreenRefreshRate == 0 || m.refreshRate == p.fullscreenRefreshRate);
    });
    if (!modeExists) return kInvalidCall;
  }
  if (p.enableAutoDepthStencil && !Contains(entry->depthStencilFormats, p.autoDepthStencilFormat)) return kInvalidCall;
  if (Failed(CheckDeviceMultiSampleType(adapter, DeviceType::Hal, p.backBufferFormat, p.windowed, p.multiSampleType)))
    return kInvalidCall;
  return kOk;
}

HResult NullGraphicsSystem::CreateDevice(uint32_t adapter, DeviceType type, WindowHandle, uint32_t,
                                         PresentParameters& parameters, Device** device) {
  ++createDeviceCalls;
  if (device == nullptr) return kInvalidCall;
  *device = nullptr;
  if (Failed(createDeviceResult)) return createDeviceResult;
  const NullAdapter* entry = Adapter(adapter);
  if (entry == nullptr) return kInvalidCall;
  if (type != DeviceType::Hal) return kNotAvailable;
  if (Failed(CheckParameters(adapter, parameters))) return kInvalidCall;
  auto* created = new NullDevice(*this, adapter, *entry, parameters);
  parameters = created->Parameters();
  lastDevice = created;
  *device = created;
  return kOk;
}

// ---- device ----

NullDevice::NullDevice(NullGraphicsSystem& system, uint32_t adapter, const NullAdapter& description,
                       const PresentParameters& parameters)
    : system_(system), adapter_(adapter), description_(description) {
  caps_ = description_.caps;
  caps_.adapterOrdinal = adapter_;
  PresentParameters copy = parameters;
  ApplyParameters(copy);
}

NullDevice::~NullDevice() {
  for (Surface* surface : {backBuffer_, depthStencil_, currentTarget_, currentDepth_})
    if (surface != nullptr) surface->Release();
  if (system_.lastDevice == this) system_.lastDevice = nullptr;
}

HResult NullDevice::ApplyParameters(PresentParameters& parameters) {
  if (parameters.windowed) {
    if (parameters.backBufferWidth == 0) parameters.backBufferWidth = system_.description.windowClientWidth;
    if (parameters.backBufferHeight == 0) parameters.backBufferHeight = system_.description.windowClientHeight;
    if (parameters.backBufferFormat == Format::Unknown) parameters.backBufferFormat = description_.desktopMode.format;
  }
  parameters_ = parameters;
  for (Surface** surface : {&backBuffer_, &depthStencil_, &currentTarget_, &currentDepth_}) {
    if (*surface != nullptr) (*surface)->Release();
    *surface = nullptr;
  }
  SurfaceDesc back;
  back.format = parameters.backBufferFormat;
  back.usage = usage::kRenderTarget;
  back.width = parameters.backBufferWidth;
  back.height = parameters.backBufferHeight;
  back.multiSampleType = parameters.multiSampleType;
  backBuffer_ = new MemorySurface(back, nullptr, 0, 0);
  currentTarget_ = backBuffer_;
  currentTarget_->AddRef();
  if (parameters.enableAutoDepthStencil) {
    SurfaceDesc depth = back;
    depth.format = parameters.autoDepthStencilFormat;
    depth.usage = usage::kDepthStencil;
    depthStencil_ = new MemorySurface(depth, nullptr, 0, 0);
    currentDepth_ = depthStencil_;
    currentDepth_->AddRef();
  }
  ResetState(parameters.backBufferWidth, parameters.backBufferHeight, parameters.enableAutoDepthStencil);
  return kOk;
}

void NullDevice::Log(const char* call) {
  if (callLog_.size() >= kMaxCallLog) callLog_.erase(callLog_.begin(), callLog_.begin() + kMaxCallLog / 2);
  callLog_.emplace_back(call);
}

void NullDevice::ClearRecords() {
  stats_ = {};
  callLog_.clear();
  draws_.clear();
  clears_.clear();
}

void NullDevice::LoseDevice(uint32_t lostTests) {
  lostTestsLeft_ = lostTests;
  needsReset_ = true;
}

void NullDevice::FailNextResets(uint32_t count, HResult result) {
  failingResets_ = count;
  failingResetResult_ = result;
}

HResult NullDevice::TestCooperativeLevel() {
  Log("TestCooperativeLevel");
  ++stats_.testCooperativeLevels;
  if (lostTestsLeft_ > 0) {
    --lostTestsLeft_;
    return kDeviceLost;
  }
  return needsReset_ ? kDeviceNotReset : kOk;
}

HResult NullDevice::Reset(PresentParameters& parameters) {
  Log("Reset");
  HResult result = kOk;
  if (lostTestsLeft_ > 0) {
    result = kDeviceLost;
  } else if (failingResets_ > 0) {
    --failingResets_;
    result = failingResetResult_;
  } else if (requireDefaultPoolReleased_ && tally_->defaultPoolResources > 0) {
    result = kInvalidCall;
  } else if (Failed(system_.CheckParameters(adapter_, parameters))) {
    result = kInvalidCall;
  }
  if (Failed(result)) {
    ++stats_.failedResets;
    // A failed reset leaves the device waiting for another one.
    needsReset_ = true;
    return result;
  }
  ++stats_.resets;
  needsReset_ = false;
  inScene_ = false;
  ApplyParameters(parameters);
  return kOk;
}

HResult NullDevice::Present() {
  Log("Present");
  if (lostTestsLeft_ > 0 || needsReset_) {
    ++stats_.failedPresents;
    return kDeviceLost;
  }
  if (Failed(presentResult_)) {
    ++stats_.failedPresents;
    return presentResult_;
  }
  if (inScene_) {
    ++stats_.failedPresents;
    return kInvalidCall;
  }
  ++stats_.presents;
  return kOk;
}

HResult NullDevice::GetDeviceCaps(Caps& caps) const {
  caps = caps_;
  return kOk;
}

HResult NullDevice::GetDisplayMode(DisplayMode& mode) const {
  if (parameters_.windowed) {
    mode = system_.description.adapters.size() > adapter_ ? system_.description.adapters[adapter_].desktopMode
                                                           : description_.desktopMode;
  } else {
    mode = DisplayMode{parameters_.backBufferWidth, parameters_.backBufferHeight, parameters_.fullscreenRefreshRate,
                       WithoutAlpha(parameters_.backBufferFormat)};
  }
  return kOk;
}

HResult NullDevice::GetBackBufferDesc(SurfaceDesc& desc) const { return backBuffer_->GetDesc(desc); }

bool NullDevice::ShowCursor(bool show) {
  const bool was = cursorShown_;
  cursorShown_ = show;
  return was;
}

void NullDevice::SetCursorPosition(int, int, uint32_t) {}

HResult NullDevice::BeginScene() {
  Log("BeginScene");
  if (inScene_) return kInvalidCall;
  inScene_ = true;
  ++stats_.beginScenes;
  return kOk;
}

HResult NullDevice::EndScene() {
  Log("EndScene");
  if (!inScene_) return kInvalidCall;
  inScene_ = false;
  ++stats_.endScenes;
  return kOk;
}

HResult NullDevice::Clear(uint32_t flags, uint32_t color, float z, uint32_t stencil) {
  return ClearRects(0, nullptr, flags, color, z, stencil);
}

HResult NullDevice::ClearRects(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color, float z,
                               uint32_t stencil) {
  Log("Clear");
  if (count > 0 && rects == nullptr) return kInvalidCall;
  if ((flags & (clear_flags::kZBuffer | clear_flags::kStencil)) && currentDepth_ == nullptr) return kInvalidCall;
  if (!(z >= 0.0f && z <= 1.0f)) return kInvalidCall;
  ++stats_.clears;
  clears_.push_back(NullClearRecord{flags, color, z, stencil, rects == nullptr ? 0 : count});
  if (clears_.size() > kMaxCallLog) clears_.erase(clears_.begin(), clears_.begin() + kMaxCallLog / 2);
  return kOk;
}

HResult NullDevice::CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvfCode, Pool pool,
                                       VertexBuffer** buffer) {
  VertexBufferDesc desc;
  if (Failed(VertexBufferRequest(length, usage, fvfCode, pool, buffer, desc))) return kInvalidCall;
  *buffer = new MemoryVertexBuffer(desc, tally_);
  return kOk;
}

HResult NullDevice::CreateIndexBuffer(uint32_t length, uint32_t usage, Format format, Pool pool, IndexBuffer** buffer) {
  IndexBufferDesc desc;
  if (Failed(IndexBufferRequest(length, usage, format, pool, buffer, desc))) return kInvalidCall;
  *buffer = new MemoryIndexBuffer(desc, tally_);
  return kOk;
}

HResult NullDevice::CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, Format format,
                                  Pool pool, Texture** texture) {
  if (texture == nullptr) return kInvalidCall;
  *texture = nullptr;
  if (Failed(CheckTextureArguments(width, height, levels, usage, format, pool))) return kInvalidCall;
  if (width > caps_.maxTextureWidth || height > caps_.maxTextureHeight) return kInvalidCall;
  const auto& allowed = (usage & usage::kRenderTarget) ? description_.renderTargetFormats : description_.textureFormats;
  if (!Contains(allowed, format)) return kInvalidCall;
  *texture = new MemoryTexture(width, height, levels, usage, format, pool, tally_);
  return kOk;
}

HResult NullDevice::CreateCubeTexture(uint32_t edgeLength, uint32_t levels, uint32_t usage, Format format, Pool pool,
                                      CubeTexture** texture) {
  if (texture == nullptr) return kInvalidCall;
  *texture = nullptr;
  if (!(caps_.textureCaps & texture_caps::kCubeMap)) return kInvalidCall;
  if (Failed(CheckTextureArguments(edgeLength, edgeLength, levels, usage, format, pool))) return kInvalidCall;
  const auto& allowed = (usage & usage::kRenderTarget) ? description_.renderTargetFormats : description_.textureFormats;
  if (!Contains(allowed, format)) return kInvalidCall;
  *texture = new MemoryCubeTexture(edgeLength, levels, usage, format, pool, tally_);
  return kOk;
}

HResult NullDevice::GetBackBuffer(uint32_t index, Surface** surface) {
  if (surface == nullptr) return kInvalidCall;
  *surface = nullptr;
  if (index != 0) return kInvalidCall;
  return ShareSurface(backBuffer_, surface);
}

HResult NullDevice::GetDepthStencilSurface(Surface** surface) { return ShareSurface(currentDepth_, surface); }

HResult NullDevice::CreateDepthStencilSurface(uint32_t width, uint32_t height, Format format, uint32_t multiSampleType,
                                              Surface** surface) {
  if (surface == nullptr) return kInvalidCall;
  *surface = nullptr;
  if (width == 0 || height == 0 || width > kMaxTextureEdge || height > kMaxTextureEdge) return kInvalidCall;
  if (!Contains(description_.depthStencilFormats, format)) return kInvalidCall;
  SurfaceDesc desc;
  desc.format = format;
  desc.usage = usage::kDepthStencil;
  desc.width = width;
  desc.height = height;
  desc.multiSampleType = multiSampleType;
  *surface = new MemorySurface(desc, nullptr, 0, 0);
  return kOk;
}

HResult NullDevice::SetRenderTarget(Surface* renderTarget, Surface* depthStencil) {
  Log("SetRenderTarget");
  if (renderTarget != nullptr) {
    SurfaceDesc desc;
    renderTarget->GetDesc(desc);
    if (!(desc.usage & usage::kRenderTarget)) return kInvalidCall;
    renderTarget->AddRef();
    currentTarget_->Release();
    currentTarget_ = renderTarget;
  }
  if (depthStencil != nullptr) {
    SurfaceDesc desc;
    depthStencil->GetDesc(desc);
    if (!(desc.usage & usage::kDepthStencil)) return kInvalidCall;
    depthStencil->AddRef();
  }
  if (currentDepth_ != nullptr) currentDepth_->Release();
  currentDepth_ = depthStencil;
  // A new target resets the viewport to cover it.
  SurfaceDesc target;
  currentTarget_->GetDesc(target);
  Viewport viewport{0, 0, target.width, target.height, 0.0f, 1.0f};
  SetViewport(viewport);
  return kOk;
}

HResult NullDevice::GetRenderTarget(Surface** surface) {
  if (surface == nullptr) return kInvalidCall;
  currentTarget_->AddRef();
  *surface = currentTarget_;
  return kOk;
}

void NullDevice::RecordDraw(NullDrawRecord::Kind kind, PrimitiveType type, uint32_t primitiveCount,
                            uint32_t vertexCount) {
  ++stats_.draws;
  NullDrawRecord record;
  record.kind = kind;
  record.type = type;
  record.primitiveCount = primitiveCount;
  record.vertexCount = vertexCount;
  record.fvf = State().fvf;
  record.texture0 = State().textures[0];
  record.inScene = inScene_;
  if (draws_.size() >= kMaxCallLog) draws_.erase(draws_.begin(), draws_.begin() + kMaxCallLog / 2);
  draws_.push_back(record);
}

HResult NullDevice::FinishDraw(HResult checked, NullDrawRecord::Kind kind, PrimitiveType type,
                               uint32_t primitiveCount, uint32_t vertexCount) {
  if (Failed(checked)) {
    ++stats_.failedDraws;
    return checked;
  }
  if (vertexCount == 0) {
    ++stats_.emptyDraws;
    return kOk;
  }
  RecordDraw(kind, type, primitiveCount, vertexCount);
  return kOk;
}

HResult NullDevice::DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) {
  Log("DrawPrimitive");
  uint32_t count = 0;
  const HResult result = CheckStreamDraw(type, startVertex, primitiveCount, count);
  return FinishDraw(result, NullDrawRecord::Kind::Primitive, type, primitiveCount, count);
}

HResult NullDevice::DrawIndexedPrimitive(PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                         uint32_t startIndex, uint32_t primitiveCount) {
  Log("DrawIndexedPrimitive");
  uint32_t count = 0;
  const HResult result = CheckIndexedDraw(type, minIndex, numVertices, startIndex, primitiveCount, count);
  return FinishDraw(result, NullDrawRecord::Kind::IndexedPrimitive, type, primitiveCount, count);
}

HResult NullDevice::DrawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertexData,
                                    uint32_t stride) {
  Log("DrawPrimitiveUP");
  uint32_t count = 0;
  const HResult result = CheckUserDraw(type, primitiveCount, vertexData, stride, count);
  return FinishDraw(result, NullDrawRecord::Kind::PrimitiveUp, type, primitiveCount, count);
}

HResult NullDevice::DrawIndexedPrimitiveUP(PrimitiveType type, uint32_t minVertexIndex, uint32_t numVertexIndices,
                                           uint32_t primitiveCount, const void* indexData, Format indexFormat,
                                           const void* vertexData, uint32_t stride) {
  Log("DrawIndexedPrimitiveUP");
  uint32_t count = 0;
  HResult result = CheckUserDraw(type, primitiveCount, vertexData, stride, count);
  if (Succeeded(result) && count > 0) {
    if (indexData == nullptr || (indexFormat != Format::Index16 && indexFormat != Format::Index32) ||
        numVertexIndices == 0)
      result = kInvalidCall;
    // Every index must fall inside the vertex range the caller declared.
    for (uint32_t i = 0; Succeeded(result) && i < count; ++i) {
      const uint32_t index = indexFormat == Format::Index16 ? static_cast<const uint16_t*>(indexData)[i]
                                                            : static_cast<const uint32_t*>(indexData)[i];
      if (index < minVertexIndex || index - minVertexIndex >= numVertexIndices) result = kInvalidCall;
    }
  }
  return FinishDraw(result, NullDrawRecord::Kind::IndexedPrimitiveUp, type, primitiveCount, count);
}

uint32_t NullDevice::GetAvailableTextureMemory() {
  const uint64_t used = tally_->textureBytes;
  const uint64_t total = description_.videoMemory;
  const uint64_t left = used >= total ? 0 : total - used;
  return left > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(left);
}

HResult NullDevice::ValidateDevice(uint32_t& numPasses) {
  Log("ValidateDevice");
  ++stats_.validates;
  return StateDevice::ValidateDevice(numPasses);
}

}  // namespace platform::gfx
