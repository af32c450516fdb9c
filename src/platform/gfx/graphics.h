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

// One rendering device on one window.
class Device : public RefCounted {
 public:
  // kOk, kDeviceLost (cannot be reset yet) or kDeviceNotReset (Reset will restore it).
  virtual HResult TestCooperativeLevel() = 0;
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
  // flags: 1 target, 2 z-buffer, 4 stencil; colour as 0xAARRGGBB.
  virtual HResult Clear(uint32_t flags, uint32_t color, float z, uint32_t stencil) = 0;
};

namespace clear_flags {
enum : uint32_t { kTarget = 0x1, kZBuffer = 0x2, kStencil = 0x4 };
}

// OpenGL 3.3 on the windows of the given SDL window system. Returns null when OpenGL cannot be set up.
std::unique_ptr<GraphicsSystem> CreateGlGraphicsSystem(WindowSystem& windows);

}  // namespace platform::gfx
