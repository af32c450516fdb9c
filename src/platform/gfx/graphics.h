// The graphics system and device: a Direct3D-8-style fixed-function device model (adapters, modes, capabilities,
// device life cycle, states, buffers, textures, drawing) behind one interface, with an OpenGL backend and a
// null/recording backend.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/gfx/types.h"
#include "platform/math/types.h"
#include "platform/result.h"
#include "platform/window_system.h"

namespace platform::gfx {

// Reference-counted graphics object: Release returns the references left and deletes the object at 0.
class RefCounted {
 public:
  uint32_t AddRef() { return ++references_; }
  uint32_t Release() {
    const uint32_t left = --references_;
    if (left == 0) delete this;
    return left;
  }
  uint32_t References() const { return references_; }

 protected:
  RefCounted() = default;
  virtual ~RefCounted() = default;
  RefCounted(const RefCounted&) = delete;
  RefCounted& operator=(const RefCounted&) = delete;

 private:
  std::atomic<uint32_t> references_{1};
};

class Device;

// The adapters of the machine and the factory of devices.
class GraphicsSystem {
 public:
  virtual ~GraphicsSystem() = default;

  virtual uint32_t GetAdapterCount() const = 0;
  virtual HResult GetAdapterIdentifier(uint32_t adapter, uint32_t flags, AdapterIdentifier& identifier) const = 0;
  virtual uint32_t GetAdapterModeCount(uint32_t adapter) const = 0;
  virtual HResult EnumAdapterModes(uint32_t adapter, uint32_t mode, DisplayMode& displayMode) const = 0;
  // The adapter's current (desktop) mode.
  virtual HResult GetAdapterDisplayMode(uint32_t adapter, DisplayMode& displayMode) const = 0;
  virtual HResult CheckDeviceType(uint32_t adapter, DeviceType type, Format adapterFormat, Format backBufferFormat,
                                  bool windowed) const = 0;
  virtual HResult CheckDeviceFormat(uint32_t adapter, DeviceType type, Format adapterFormat, uint32_t usage,
                                    ResourceType resourceType, Format format) const = 0;
  virtual HResult CheckDeviceMultiSampleType(uint32_t adapter, DeviceType type, Format surfaceFormat, bool windowed,
                                             uint32_t multiSampleType) const = 0;
  virtual HResult CheckDepthStencilMatch(uint32_t adapter, DeviceType type, Format adapterFormat,
                                         Format renderTargetFormat, Format depthStencilFormat) const = 0;
  virtual HResult GetDeviceCaps(uint32_t adapter, DeviceType type, Caps& caps) const = 0;
  // Creates the device with one reference held by the caller; on failure device is null.
  virtual HResult CreateDevice(uint32_t adapter, DeviceType type, WindowHandle focusWindow, uint32_t behaviorFlags,
                               PresentParameters& parameters, Device** device) = 0;
};

// A texture of any kind, as bound to a texture stage.
class BaseTexture : public RefCounted {
 public:
  virtual ResourceType GetType() const = 0;
  virtual uint32_t GetLevelCount() const = 0;
};

class Surface;

// A 2D texture with its mip chain. Level 0 is the full size; each level halves, down to 1x1.
class Texture : public BaseTexture {
 public:
  ResourceType GetType() const override { return ResourceType::Texture; }
  // kInvalidCall for a level out of range.
  virtual HResult GetLevelDesc(uint32_t level, SurfaceDesc& desc) const = 0;
  // Rows top to bottom (row 0 is texture coordinate v = 0); rect null locks the whole level.
  virtual HResult LockRect(uint32_t level, LockedRect& locked, const Rect* rect, uint32_t flags) = 0;
  virtual HResult UnlockRect(uint32_t level) = 0;
  // The surface of one level (for a render-target texture, a target SetRenderTarget accepts), with a reference.
  virtual HResult GetSurfaceLevel(uint32_t level, Surface** surface) = 0;
};

// Faces of a cube texture.
enum class CubeFace : uint32_t { PositiveX = 0, NegativeX = 1, PositiveY = 2, NegativeY = 3, PositiveZ = 4, NegativeZ = 5 };

// A cube texture: six square faces sharing one mip chain length.
class CubeTexture : public BaseTexture {
 public:
  ResourceType GetType() const override { return ResourceType::CubeTexture; }
  virtual HResult GetLevelDesc(uint32_t level, SurfaceDesc& desc) const = 0;
  virtual HResult LockRect(CubeFace face, uint32_t level, LockedRect& locked, const Rect* rect, uint32_t flags) = 0;
  virtual HResult UnlockRect(CubeFace face, uint32_t level) = 0;
  virtual HResult GetCubeMapSurface(CubeFace face, uint32_t level, Surface** surface) = 0;
};

// A 2D image the device can render into or read: the back buffer, a depth-stencil buffer or a texture level.
class Surface : public RefCounted {
 public:
  virtual HResult GetDesc(SurfaceDesc& desc) const = 0;
};

class VertexBuffer : public RefCounted {
 public:
  // size 0 locks from offset to the end. With lock_flags::kDiscard the old contents may be dropped; with
  // kNoOverwrite the caller promises not to touch bytes a pending draw uses.
  virtual HResult Lock(uint32_t offset, uint32_t size, uint8_t** data, uint32_t flags) = 0;
  virtual HResult Unlock() = 0;
  virtual HResult GetDesc(VertexBufferDesc& desc) const = 0;
};

class IndexBuffer : public RefCounted {
 public:
  virtual HResult Lock(uint32_t offset, uint32_t size, uint8_t** data, uint32_t flags) = 0;
  virtual HResult Unlock() = 0;
  virtual HResult GetDesc(IndexBufferDesc& desc) const = 0;
};

// One rendering device on one window.
class Device : public RefCounted {
 public:
  // kOk, kDeviceLost (cannot be reset yet) or kDeviceNotReset (Reset will restore it).
  virtual HResult TestCooperativeLevel() = 0;
  // Applies new presentation parameters and returns every state to its default.
  virtual HResult Reset(PresentParameters& parameters) = 0;
  // Shows the back buffer; kDeviceLost when the device was lost.
  virtual HResult Present() = 0;
  virtual HResult GetDeviceCaps(Caps& caps) const = 0;
  virtual HResult GetDisplayMode(DisplayMode& mode) const = 0;
  // Description of back buffer 0.
  virtual HResult GetBackBufferDesc(SurfaceDesc& desc) const = 0;

  // Device cursor: returns the previous visibility.
  virtual bool ShowCursor(bool show) = 0;
  virtual void SetCursorPosition(int x, int y, uint32_t flags) = 0;

  virtual HResult BeginScene() = 0;
  virtual HResult EndScene() = 0;
  // flags: 1 target, 2 z-buffer, 4 stencil; colour as 0xAARRGGBB. Clears the viewport.
  virtual HResult Clear(uint32_t flags, uint32_t color, float z, uint32_t stencil) = 0;
  // Clears the given rectangles (clipped to the viewport); count 0 or rects null clears the whole viewport.
  virtual HResult ClearRects(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color, float z,
                             uint32_t stencil) = 0;

  // Fixed-function state. Unknown codes are kInvalidCall; every Get returns what the last Set stored.
  virtual HResult SetViewport(const Viewport& viewport) = 0;
  virtual HResult GetViewport(Viewport& viewport) const = 0;
  virtual HResult SetTransform(TransformState state, const Matrix4& matrix) = 0;
  virtual HResult GetTransform(TransformState state, Matrix4& matrix) const = 0;
  virtual HResult SetRenderState(RenderState state, StateValue value) = 0;
  virtual HResult GetRenderState(RenderState state, uint32_t& value) const = 0;
  virtual HResult SetTextureStageState(uint32_t stage, TextureStageState state, StateValue value) = 0;
  virtual HResult GetTextureStageState(uint32_t stage, TextureStageState state, uint32_t& value) const = 0;
  // The device holds a reference to the bound texture; null unbinds.
  virtual HResult SetTexture(uint32_t stage, BaseTexture* texture) = 0;
  // Adds a reference to the returned texture (null when none is bound).
  virtual HResult GetTexture(uint32_t stage, BaseTexture** texture) const = 0;
  virtual HResult SetMaterial(const Material& material) = 0;
  virtual HResult GetMaterial(Material& material) const = 0;
  // Lights are numbered 0.. without limit; at most caps.maxActiveLights are enabled at once.
  virtual HResult SetLight(uint32_t index, const Light& light) = 0;
  virtual HResult GetLight(uint32_t index, Light& light) const = 0;
  virtual HResult LightEnable(uint32_t index, bool enable) = 0;
  virtual HResult GetLightEnable(uint32_t index, bool& enable) const = 0;
  // The plane in world space: points with a·x + b·y + c·z + d >= 0 are kept.
  virtual HResult SetClipPlane(uint32_t index, const Plane& plane) = 0;

  // Buffers and textures; each is returned with one reference held by the caller.
  virtual HResult CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvfCode, Pool pool,
                                     VertexBuffer** buffer) = 0;
  virtual HResult CreateIndexBuffer(uint32_t length, uint32_t usage, Format format, Pool pool,
                                    IndexBuffer** buffer) = 0;
  // levels 0 makes the whole mip chain. usage::kRenderTarget needs Pool::Default.
  virtual HResult CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, Format format,
                                Pool pool, Texture** texture) = 0;
  virtual HResult CreateCubeTexture(uint32_t edgeLength, uint32_t levels, uint32_t usage, Format format, Pool pool,
                                    CubeTexture** texture) = 0;

  // Render targets: the back buffer and the automatic depth-stencil surface, or texture levels.
  virtual HResult GetBackBuffer(uint32_t index, Surface** surface) = 0;
  virtual HResult GetDepthStencilSurface(Surface** surface) = 0;
  virtual HResult CreateDepthStencilSurface(uint32_t width, uint32_t height, Format format, uint32_t multiSampleType,
                                            Surface** surface) = 0;
  // renderTarget null keeps the current colour target; depthStencil null renders without depth.
  virtual HResult SetRenderTarget(Surface* renderTarget, Surface* depthStencil) = 0;
  virtual HResult GetRenderTarget(Surface** surface) = 0;

  virtual HResult SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t stride) = 0;
  virtual HResult GetStreamSource(uint32_t stream, VertexBuffer** buffer, uint32_t& stride) const = 0;
  // baseVertexIndex is added to every index of the indexed draws.
  virtual HResult SetIndices(IndexBuffer* buffer, uint32_t baseVertexIndex) = 0;
  virtual HResult GetIndices(IndexBuffer** buffer, uint32_t& baseVertexIndex) const = 0;
  // The vertex layout of the following draws, as a flexible vertex format code.
  virtual HResult SetVertexShader(uint32_t fvfCode) = 0;

  // Draws; a count of 0 draws nothing and succeeds; reads beyond a buffer are kInvalidCall.
  virtual HResult DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) = 0;
  virtual HResult DrawIndexedPrimitive(PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                       uint32_t startIndex, uint32_t primitiveCount) = 0;
  virtual HResult DrawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertexData,
                                  uint32_t stride) = 0;
  virtual HResult DrawIndexedPrimitiveUP(PrimitiveType type, uint32_t minVertexIndex, uint32_t numVertexIndices,
                                         uint32_t primitiveCount, const void* indexData, Format indexFormat,
                                         const void* vertexData, uint32_t stride) = 0;

  // Bytes of texture memory left (an estimate).
  virtual uint32_t GetAvailableTextureMemory() = 0;
  // kOk and the passes needed when the current texture stages can be drawn; a texture-op or argument error code
  // otherwise. Changes no state.
  virtual HResult ValidateDevice(uint32_t& numPasses) = 0;

  // Names the pass the work that follows belongs to (a static string). Only a device timing its passes for a
  // benchmark looks at it; drawing is the same either way.
  virtual void MarkPass(const char* name) { (void)name; }
};

namespace clear_flags {
enum : uint32_t { kTarget = 0x1, kZBuffer = 0x2, kStencil = 0x4 };
}

// OpenGL 3.3 on the windows of the given SDL window system. Returns null when OpenGL cannot be set up.
std::unique_ptr<GraphicsSystem> CreateGlGraphicsSystem(WindowSystem& windows);

}  // namespace platform::gfx
