// The null graphics backend: a configurable machine description and a device that draws nothing, keeps every
// state, records its calls and can simulate a lost device or a failing reset, for tests without a window or GPU.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/graphics.h"
#include "platform/gfx/state_device.h"

namespace platform::gfx {

// One adapter of the simulated machine.
struct NullAdapter {
  AdapterIdentifier identifier;
  std::vector<DisplayMode> modes;
  DisplayMode desktopMode;
  Caps caps;
  // Back-buffer formats CheckDeviceType accepts, in a window and full screen.
  std::vector<Format> windowedBackBufferFormats;
  std::vector<Format> fullscreenBackBufferFormats;
  // When set, CheckDeviceType also wants the back buffer in the adapter format (alpha ignored).
  bool backBufferMustMatchAdapter = true;
  // Depth/stencil formats CheckDeviceFormat and CheckDepthStencilMatch accept.
  std::vector<Format> depthStencilFormats;
  // Multisample types CheckDeviceMultiSampleType accepts (0 is none, else a sample count).
  std::vector<uint32_t> multiSampleTypes;
  // Texture formats CheckDeviceFormat accepts, plain and as render targets.
  std::vector<Format> textureFormats;
  std::vector<Format> renderTargetFormats;
  // Bytes of video memory; GetAvailableTextureMemory reports this minus live textures.
  uint64_t videoMemory = 64ull << 20;
};

struct NullDescription {
  std::vector<NullAdapter> adapters;
  // The client size a windowed device takes when the parameters leave the back-buffer size 0.
  uint32_t windowClientWidth = 640;
  uint32_t windowClientHeight = 480;
};

// Caps of a hardware transform-and-lighting device with everything the game asks about.
Caps NullDefaultCaps();
// One HAL adapter "NULL ADAPTER": 640x480, 800x600 and 1024x768 at 60 Hz in X8R8G8B8 and R5G6B5, desktop
// 1024x768 X8R8G8B8, D24S8 and D16, multisample none and 2, hardware T&L, 64 MB.
NullDescription NullDefaultDescription();

// What one draw call asked for, with the state that decides how it looks.
struct NullDrawRecord {
  enum class Kind { Primitive, IndexedPrimitive, PrimitiveUp, IndexedPrimitiveUp };
  Kind kind = Kind::Primitive;
  PrimitiveType type = PrimitiveType::TriangleList;
  uint32_t primitiveCount = 0;
  uint32_t vertexCount = 0;  // vertices (or indices for indexed draws) read
  uint32_t fvf = 0;
  BaseTexture* texture0 = nullptr;  // not a reference: compare only
  bool inScene = false;
};

struct NullClearRecord {
  uint32_t flags = 0;
  uint32_t color = 0;
  float z = 0;
  uint32_t stencil = 0;
  uint32_t rectCount = 0;
};

// Counters of the device's calls.
struct NullDeviceStats {
  uint32_t presents = 0, failedPresents = 0;
  uint32_t resets = 0, failedResets = 0;
  uint32_t testCooperativeLevels = 0;
  uint32_t beginScenes = 0, endScenes = 0;
  uint32_t clears = 0;
  uint32_t draws = 0;        // successful draw calls with at least one primitive
  uint32_t emptyDraws = 0;   // draws of zero primitives, skipped
  uint32_t failedDraws = 0;
  uint32_t validates = 0;
};

class NullGraphicsSystem;

class NullDevice : public StateDevice {
 public:
  NullDevice(NullGraphicsSystem& system, uint32_t adapter, const NullAdapter& description,
             const PresentParameters& parameters);
  ~NullDevice() override;

  HResult TestCooperativeLevel() override;
  HResult Reset(PresentParameters& parameters) override;
  HResult Present() override;
  HResult GetDeviceCaps(Caps& caps) const override;
  HResult GetDisplayMode(DisplayMode& mode) const override;
  HResult GetBackBufferDesc(SurfaceDesc& desc) const override;
  bool ShowCursor(bool show) override;
  void SetCursorPosition(int x, int y, uint32_t flags) override;
  HResult BeginScene() override;
  HResult EndScene() override;
  HResult Clear(uint32_t flags, uint32_t color, float z, uint32_t stencil) override;
  HResult ClearRects(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color, float z,
                     uint32_t stencil) override;
  HResult CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvfCode, Pool pool,
                             VertexBuffer** buffer) override;
  HResult CreateIndexBuffer(uint32_t length, uint32_t usage, Format format, Pool pool, IndexBuffer** buffer) override;
  HResult CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, Format format, Pool pool,
                        Texture** texture) override;
  HResult CreateCubeTexture(uint32_t edgeLength, uint32_t levels, uint32_t usage, Format format, Pool pool,
                            CubeTexture** texture) override;
  HResult GetBackBuffer(uint32_t index, Surface** surface) override;
  HResult GetDepthStencilSurface(Surface** surface) override;
  HResult CreateDepthStencilSurface(uint32_t width, uint32_t height, Format format, uint32_t multiSampleType,
                                    Surface** surface) override;
  HResult SetRenderTarget(Surface* renderTarget, Surface* depthStencil) override;
  HResult GetRenderTarget(Surface** surface) override;
  HResult DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) override;
  HResult DrawIndexedPrimitive(PrimitiveType type, uint32_t minIndex, uint32_t numVertices, uint32_t startIndex,
                               uint32_t primitiveCount) override;
  HResult DrawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertexData,
                          uint32_t stride) override;
  HResult DrawIndexedPrimitiveUP(PrimitiveType type, uint32_t minVertexIndex, uint32_t numVertexIndices,
                                 uint32_t primitiveCount, const void* indexData, Format indexFormat,
                                 const void* vertexData, uint32_t stride) override;
  uint32_t GetAvailableTextureMemory() override;
  HResult ValidateDevice(uint32_t& numPasses) override;

  // Simulation knobs. LoseDevice: the next `lostTests` TestCooperativeLevel calls answer kDeviceLost, then
  // kDeviceNotReset until a Reset succeeds; Present answers kDeviceLost meanwhile.
  void LoseDevice(uint32_t lostTests = 1);
  // The next `count` Resets fail with `result`.
  void FailNextResets(uint32_t count, HResult result = kDeviceLost);
  // Whether Reset refuses (kInvalidCall) while default-pool resources are alive, as the classic device does.
  void SetRequireDefaultPoolReleased(bool require) { requireDefaultPoolReleased_ = require; }
  // Present answers `result` (and shows nothing) while it is set to a failure; kOk ends it.
  void SetPresentResult(HResult result) { presentResult_ = result; }

  // Records.
  const NullDeviceStats& Stats() const { return stats_; }
  // Names of the calls in order ("Present", "Reset", "BeginScene", "Clear", "DrawPrimitive", ...), the most
  // recent kMaxCallLog kept.
  const std::vector<std::string>& CallLog() const { return callLog_; }
  const std::vector<NullDrawRecord>& Draws() const { return draws_; }
  const std::vector<NullClearRecord>& Clears() const { return clears_; }
  void ClearRecords();
  const PresentParameters& Parameters() const { return parameters_; }
  bool InScene() const { return inScene_; }
  bool CursorShown() const { return cursorShown_; }
  int LiveDefaultPoolResources() const { return tally_->defaultPoolResources; }

  static constexpr size_t kMaxCallLog = 4096;

 private:
  void Log(const char* call);
  void RecordDraw(NullDrawRecord::Kind kind, PrimitiveType type, uint32_t primitiveCount, uint32_t vertexCount);
  // Ends every draw call: a failed check counts as a failed draw and is returned, a draw of no vertices counts as
  // empty, any other is recorded.
  HResult FinishDraw(HResult checked, NullDrawRecord::Kind kind, PrimitiveType type, uint32_t primitiveCount,
                     uint32_t vertexCount);
  HResult ApplyParameters(PresentParameters& parameters);

  NullGraphicsSystem& system_;
  uint32_t adapter_;
  NullAdapter description_;
  PresentParameters parameters_;
  NullDeviceStats stats_;
  std::vector<std::string> callLog_;
  std::vector<NullDrawRecord> draws_;
  std::vector<NullClearRecord> clears_;
  bool inScene_ = false;
  bool cursorShown_ = true;
  uint32_t lostTestsLeft_ = 0;
  bool needsReset_ = false;
  uint32_t failingResets_ = 0;
  HResult failingResetResult_ = kDeviceLost;
  bool requireDefaultPoolReleased_ = true;
  HResult presentResult_ = kOk;
  Surface* backBuffer_ = nullptr;
  Surface* depthStencil_ = nullptr;
  Surface* currentTarget_ = nullptr;
  Surface* currentDepth_ = nullptr;
};

class NullGraphicsSystem : public GraphicsSystem {
 public:
  explicit NullGraphicsSystem(NullDescription description = NullDefaultDescription());

  // The description is public: tests change it before the calls they make.
  NullDescription description;
  // CreateDevice answers this code (and creates nothing) while it is a failure.
  HResult createDeviceResult = kOk;
  uint32_t createDeviceCalls = 0;
  // The device most recently created (not a reference; null after it is destroyed).
  NullDevice* lastDevice = nullptr;

  uint32_t GetAdapterCount() const override;
  HResult GetAdapterIdentifier(uint32_t adapter, uint32_t flags, AdapterIdentifier& identifier) const override;
  uint32_t GetAdapterModeCount(uint32_t adapter) const override;
  HResult EnumAdapterModes(uint32_t adapter, uint32_t mode, DisplayMode& displayMode) const override;
  HResult GetAdapterDisplayMode(uint32_t adapter, DisplayMode& displayMode) const override;
  HResult CheckDeviceType(uint32_t adapter, DeviceType type, Format adapterFormat, Format backBufferFormat,
                          bool windowed) const override;
  HResult CheckDeviceFormat(uint32_t adapter, DeviceType type, Format adapterFormat, uint32_t usage,
                            ResourceType resourceType, Format format) const override;
  HResult CheckDeviceMultiSampleType(uint32_t adapter, DeviceType type, Format surfaceFormat, bool windowed,
                                     uint32_t multiSampleType) const override;
  HResult CheckDepthStencilMatch(uint32_t adapter, DeviceType type, Format adapterFormat, Format renderTargetFormat,
                                 Format depthStencilFormat) const override;
  HResult GetDeviceCaps(uint32_t adapter, DeviceType type, Caps& caps) const override;
  HResult CreateDevice(uint32_t adapter, DeviceType type, WindowHandle focusWindow, uint32_t behaviorFlags,
                       PresentParameters& parameters, Device** device) override;

  // Checks presentation parameters against an adapter: formats, sizes, multisampling.
  HResult CheckParameters(uint32_t adapter, const PresentParameters& parameters) const;

 private:
  friend class NullDevice;
  const NullAdapter* Adapter(uint32_t adapter) const;
};

}  // namespace platform::gfx
