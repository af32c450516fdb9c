// Tests of the null graphics backend: its machine description, device creation, lost-device simulation and records.
#include "platform/gfx/null_graphics.h"

#include <gtest/gtest.h>

namespace platform::gfx {
namespace {

PresentParameters WindowedParameters() {
  PresentParameters p;
  p.windowed = true;
  p.backBufferFormat = Format::X8R8G8B8;
  p.backBufferWidth = 640;
  p.backBufferHeight = 480;
  p.enableAutoDepthStencil = true;
  p.autoDepthStencilFormat = Format::D24S8;
  return p;
}

// Owns one created device for a test.
struct DeviceHolder {
  Device* device = nullptr;
  ~DeviceHolder() {
    if (device != nullptr) device->Release();
  }
  NullDevice* Null() const { return static_cast<NullDevice*>(device); }
};

TEST(NullGraphicsSystem, DefaultDescriptionListsOneHardwareAdapter) {
  NullGraphicsSystem system;
  ASSERT_EQ(system.GetAdapterCount(), 1u);
  AdapterIdentifier identifier;
  ASSERT_EQ(system.GetAdapterIdentifier(0, 0, identifier), kOk);
  EXPECT_EQ(identifier.description, "NULL ADAPTER");
  EXPECT_EQ(system.GetAdapterIdentifier(1, 0, identifier), kInvalidCall);

  ASSERT_EQ(system.GetAdapterModeCount(0), 6u);
  DisplayMode mode;
  ASSERT_EQ(system.EnumAdapterModes(0, 1, mode), kOk);
  EXPECT_EQ(mode, (DisplayMode{800, 600, 60, Format::X8R8G8B8}));
  ASSERT_EQ(system.EnumAdapterModes(0, 5, mode), kOk);
  EXPECT_EQ(mode, (DisplayMode{1024, 768, 60, Format::R5G6B5}));
  EXPECT_EQ(system.EnumAdapterModes(0, 6, mode), kInvalidCall);
  ASSERT_EQ(system.GetAdapterDisplayMode(0, mode), kOk);
  EXPECT_EQ(mode, (DisplayMode{1024, 768, 60, Format::X8R8G8B8}));

  Caps caps;
  ASSERT_EQ(system.GetDeviceCaps(0, DeviceType::Hal, caps), kOk);
  EXPECT_TRUE(caps.devCaps & dev_caps::kHwTransformAndLight);
  EXPECT_TRUE(caps.rasterCaps & raster_caps::kStretchBltMultisample);
  EXPECT_EQ(caps.maxActiveLights, 8u);
  EXPECT_EQ(system.GetDeviceCaps(0, DeviceType::Reference, caps), kNotAvailable);
}

TEST(NullGraphicsSystem, FormatChecksFollowTheDescription) {
  NullGraphicsSystem system;
  EXPECT_EQ(system.CheckDeviceType(0, DeviceType::Hal, Format::X8R8G8B8, Format::X8R8G8B8, true), kOk);
  EXPECT_EQ(system.CheckDeviceType(0, DeviceType::Hal, Format::X8R8G8B8, Format::A8R8G8B8, false), kOk);
  EXPECT_EQ(system.CheckDeviceType(0, DeviceType::Hal, Format::R5G6B5, Format::R5G6B5, false), kOk);
  // Back buffer in another format than the display: refused while the adapter wants them to match.
  EXPECT_EQ(system.CheckDeviceType(0, DeviceType::Hal, Format::X8R8G8B8, Format::R5G6B5, true), kNotAvailable);
  system.description.adapters[0].backBufferMustMatchAdapter = false;
  EXPECT_EQ(system.CheckDeviceType(0, DeviceType::Hal, Format::X8R8G8B8, Format::R5G6B5, true), kOk);
  EXPECT_EQ(system.CheckDeviceType(0, DeviceType::Hal, Format::X1R5G5B5, Format::X1R5G5B5, true), kNotAvailable);

  EXPECT_EQ(system.CheckDeviceFormat(0, DeviceType::Hal, Format::X8R8G8B8, usage::kDepthStencil, ResourceType::Surface,
                                     Format::D24S8), kOk);
  EXPECT_EQ(system.CheckDeviceFormat(0, DeviceType::Hal, Format::X8R8G8B8, usage::kDepthStencil, ResourceType::Surface,
                                     Format::D24X8), kNotAvailable);
  EXPECT_EQ(system.CheckDeviceFormat(0, DeviceType::Hal, Format::X8R8G8B8, usage::kRenderTarget, ResourceType::Texture,
                                     Format::X8R8G8B8), kOk);
  EXPECT_EQ(system.CheckDeviceFormat(0, DeviceType::Hal, Format::X8R8G8B8, 0, ResourceType::Texture, Format::Dxt1), kOk);
  EXPECT_EQ(system.CheckDeviceFormat(0, DeviceType::Hal, Format::X8R8G8B8, 0, ResourceType::Texture, Format::Dxt2),
            kNotAvailable);
  EXPECT_EQ(system.CheckDepthStencilMatch(0, DeviceType::Hal, Format::X8R8G8B8, Format::X8R8G8B8, Format::D16), kOk);
  EXPECT_EQ(system.CheckDepthStencilMatch(0, DeviceType::Hal, Format::X8R8G8B8, Format::X8R8G8B8, Format::D32),
            kNotAvailable);
  EXPECT_EQ(system.CheckDeviceMultiSampleType(0, DeviceType::Hal, Format::X8R8G8B8, true, 0), kOk);
  EXPECT_EQ(system.CheckDeviceMultiSampleType(0, DeviceType::Hal, Format::X8R8G8B8, true, 2), kOk);
  EXPECT_EQ(system.CheckDeviceMultiSampleType(0, DeviceType::Hal, Format::X8R8G8B8, true, 4), kNotAvailable);
  EXPECT_EQ(system.CheckDeviceType(3, DeviceType::Hal, Format::X8R8G8B8, Format::X8R8G8B8, true), kInvalidCall);
}

TEST(NullGraphicsSystem, CreateDeviceChecksParametersAndCanBeMadeToFail) {
  NullGraphicsSystem system;
  DeviceHolder holder;
  PresentParameters p = WindowedParameters();
  p.autoDepthStencilFormat = Format::D32;
  EXPECT_EQ(system.CreateDevice(0, DeviceType::Hal, 1, 0, p, &holder.device), kInvalidCall);
  EXPECT_EQ(holder.device, nullptr);

  p = WindowedParameters();
  p.windowed = false;
  p.backBufferWidth = 700;  // no such mode
  EXPECT_EQ(system.CreateDevice(0, DeviceType::Hal, 1, 0, p, &holder.device), kInvalidCall);

  system.createDeviceResult = kOutOfVideoMemory;
  p = WindowedParameters();
  EXPECT_EQ(system.CreateDevice(0, DeviceType::Hal, 1, 0, p, &holder.device), kOutOfVideoMemory);
  EXPECT_EQ(holder.device, nullptr);
  EXPECT_EQ(system.createDeviceCalls, 3u);

  system.createDeviceResult = kOk;
  p = WindowedParameters();
  p.backBufferWidth = 0;
  p.backBufferHeight = 0;
  ASSERT_EQ(system.CreateDevice(0, DeviceType::Hal, 1, 0, p, &holder.device), kOk);
  ASSERT_NE(holder.device, nullptr);
  EXPECT_EQ(system.lastDevice, holder.Null());
  // A windowed device with no size takes the window's client size.
  EXPECT_EQ(p.backBufferWidth, 640u);
  EXPECT_EQ(p.backBufferHeight, 480u);
  SurfaceDesc desc;
  ASSERT_EQ(holder.device->GetBackBufferDesc(desc), kOk);
  EXPECT_EQ(desc.width, 640u);
  EXPECT_EQ(desc.format, Format::X8R8G8B8);
  holder.device->Release();
  holder.device = nullptr;
  EXPECT_EQ(system.lastDevice, nullptr);
}

TEST(NullDevice, LostDeviceAnswersLostThenNotResetUntilReset) {
  NullGraphicsSystem system;
  DeviceHolder holder;
  PresentParameters p = WindowedParameters();
  ASSERT_EQ(system.CreateDevice(0, DeviceType::Hal, 1, 0, p, &holder.device), kOk);
  NullDevice& device = *holder.Null();
  EXPECT_EQ(device.TestCooperativeLevel(), kOk);
  EXPECT_EQ(device.Present(), kOk);

  device.LoseDevice(2);
  EXPECT_EQ(device.Present(), kDeviceLost);
  EXPECT_EQ(device.TestCooperativeLevel(), kDeviceLost);
  // Still lost: a reset cannot succeed yet.
  EXPECT_EQ(device.Reset(p), kDeviceLost);
  EXPECT_EQ(device.TestCooperativeLevel(), kDeviceLost);
  EXPECT_EQ(device.TestCooperativeLevel(), kDeviceNotReset);
  EXPECT_EQ(device.Present(), kDeviceLost);
  EXPECT_EQ(device.Reset(p), kOk);
  EXPECT_EQ(device.TestCooperativeLevel(), kOk);
  EXPECT_EQ(device.Present(), kOk);
  EXPECT_EQ(device.Stats().presents, 2u);
  EXPECT_EQ(device.Stats().failedPresents, 2u);
  EXPECT_EQ(device.Stats().resets, 1u);
  EXPECT_EQ(device.Stats().failedResets, 1u);
}

TEST(NullDevice, FailingResetsLeaveTheDeviceNeedingAReset) {
  NullGraphicsSystem system;
  DeviceHolder holder;
  PresentParameters p = WindowedParameters();
  ASSERT_EQ(system.CreateDevice(0, DeviceType::Hal, 1, 0, p, &holder.device), kOk);
  NullDevice& device = *holder.Null();
  device.FailNextResets(1, kOutOfVideoMemory);
  EXPECT_EQ(device.Reset(p), kOutOfVideoMemory);
  EXPECT_EQ(device.TestCooperativeLevel(), kDeviceNotReset);
  EXPECT_EQ(device.Present(), kDeviceLost);
  EXPECT_EQ(device.Reset(p), kOk);
  EXPECT_EQ(device.TestCooperativeLevel(), kOk);
}

TEST(NullDevice, ResetRefusesWhileDefaultPoolResourcesLive) {
  NullGraphicsSystem system;
  DeviceHolder holder;
  PresentParameters p = WindowedParameters();
  ASSERT_EQ(system.CreateDevice(0, DeviceType::Hal, 1, 0, p, &holder.device), kOk);
  NullDevice& device = *holder.Null();
  VertexBuffer* dynamic = nullptr;
  ASSERT_EQ(device.CreateVertexBuffer(64, usage::kDynamic, fvf::kXyz, Pool::Default, &dynamic), kOk);
  VertexBuffer* managed = nullptr;
  ASSERT_EQ(device.CreateVertexBuffer(64, 0, fvf::kXyz, Pool::Managed, &managed), kOk);
  EXPECT_EQ(device.LiveDefaultPoolResources(), 1);
  EXPECT_EQ(device.Reset(p), kInvalidCall);
  dynamic->Release();
  EXPECT_EQ(device.Reset(p), kOk);
  managed->Release();
  // The check can be switched off for tests of code that does not follow the rule.
  ASSERT_EQ(device.CreateVertexBuffer(64, usage::kDynamic, fvf::kXyz, Pool::Default, &dynamic), kOk);
  device.SetRequireDefaultPoolReleased(false);
  EXPECT_EQ(device.Reset(p), kOk);
  dynamic->Release();
}

TEST(NullDevice, ResetAppliesNewParametersAndRestoresDefaultStates) {
  NullGraphicsSystem system;
  DeviceHolder holder;
  PresentParameters p = WindowedParameters();
  ASSERT_EQ(system.CreateDevice(0, DeviceType::Hal, 1, 0, p, &holder.device), kOk);
  Device& device = *holder.device;
  ASSERT_EQ(device.SetRenderState(RenderState::Lighting, false), kOk);
  PresentParameters full = p;
  full.windowed = false;
  full.backBufferWidth = 800;
  full.backBufferHeight = 600;
  full.multiSampleType = 2;
  ASSERT_EQ(device.Reset(full), kOk);
  SurfaceDesc desc;
  device.GetBackBufferDesc(desc);
  EXPECT_EQ(desc.width, 800u);
  EXPECT_EQ(desc.height, 600u);
  EXPECT_EQ(desc.multiSampleType, 2u);
  DisplayMode mode;
  device.GetDisplayMode(mode);
  EXPECT_EQ(mode.width, 800u);
  uint32_t lighting = 0;
  device.GetRenderState(RenderState::Lighting, lighting);
  EXPECT_EQ(lighting, 1u);
  Viewport viewport;
  device.GetViewport(viewport);
  EXPECT_EQ(viewport, (Viewport{0, 0, 800, 600, 0.0f, 1.0f}));
  full.multiSampleType = 8;
  EXPECT_EQ(device.Reset(full), kInvalidCall);
}

TEST(NullDevice, RecordsCallsInOrder) {
  NullGraphicsSystem system;
  DeviceHolder holder;
  PresentParameters p = WindowedParameters();
  ASSERT_EQ(system.CreateDevice(0, DeviceType::Hal, 1, 0, p, &holder.device), kOk);
  NullDevice& device = *holder.Null();
  ASSERT_EQ(device.Clear(clear_flags::kTarget | clear_flags::kZBuffer, 0xFF102030, 1.0f, 0), kOk);
  ASSERT_EQ(device.BeginScene(), kOk);
  EXPECT_EQ(device.BeginScene(), kInvalidCall);
  // Present inside a scene is refused.
  EXPECT_EQ(device.Present(), kInvalidCall);
  device.SetVertexShader(fvf::kXyzRhw | fvf::kDiffuse);
  const float vertices[3][5] = {};
  ASSERT_EQ(device.DrawPrimitiveUP(PrimitiveType::TriangleList, 1, vertices, 20), kOk);
  ASSERT_EQ(device.DrawPrimitiveUP(PrimitiveType::TriangleList, 0, vertices, 20), kOk);
  ASSERT_EQ(device.EndScene(), kOk);
  ASSERT_EQ(device.Present(), kOk);
  const std::vector<std::string> expected = {"Clear", "BeginScene", "BeginScene", "Present", "DrawPrimitiveUP",
                                             "DrawPrimitiveUP", "EndScene", "Present"};
  EXPECT_EQ(device.CallLog(), expected);
  ASSERT_EQ(device.Clears().size(), 1u);
  EXPECT_EQ(device.Clears()[0].color, 0xFF102030u);
  ASSERT_EQ(device.Draws().size(), 1u);
  EXPECT_EQ(device.Draws()[0].vertexCount, 3u);
  EXPECT_EQ(device.Draws()[0].fvf, fvf::kXyzRhw | fvf::kDiffuse);
  EXPECT_TRUE(device.Draws()[0].inScene);
  EXPECT_EQ(device.Stats().emptyDraws, 1u);
  device.ClearRecords();
  EXPECT_TRUE(device.CallLog().empty());
  EXPECT_EQ(device.Stats().draws, 0u);
}

TEST(NullDevice, AvailableTextureMemoryShrinksWithTextures) {
  NullGraphicsSystem system;
  system.description.adapters[0].videoMemory = 32u << 20;
  DeviceHolder holder;
  PresentParameters p = WindowedParameters();
  ASSERT_EQ(system.CreateDevice(0, DeviceType::Hal, 1, 0, p, &holder.device), kOk);
  EXPECT_EQ(holder.device->GetAvailableTextureMemory(), 32u << 20);
  Texture* texture = nullptr;
  ASSERT_EQ(holder.device->CreateTexture(256, 256, 1, 0, Format::A8R8G8B8, Pool::Managed, &texture), kOk);
  EXPECT_EQ(holder.device->GetAvailableTextureMemory(), (32u << 20) - 256 * 256 * 4);
  texture->Release();
  EXPECT_EQ(holder.device->GetAvailableTextureMemory(), 32u << 20);
}

TEST(NullDevice, RenderTargetsSwitchAndResetTheViewport) {
  NullGraphicsSystem system;
  DeviceHolder holder;
  PresentParameters p = WindowedParameters();
  ASSERT_EQ(system.CreateDevice(0, DeviceType::Hal, 1, 0, p, &holder.device), kOk);
  Device& device = *holder.device;
  Texture* target = nullptr;
  ASSERT_EQ(device.CreateTexture(128, 64, 1, usage::kRenderTarget, Format::X8R8G8B8, Pool::Default, &target), kOk);
  Texture* managedTarget = nullptr;
  EXPECT_EQ(device.CreateTexture(128, 64, 1, usage::kRenderTarget, Format::X8R8G8B8, Pool::Managed, &managedTarget),
            kInvalidCall);
  EXPECT_EQ(managedTarget, nullptr);
  Surface* level = nullptr;
  ASSERT_EQ(target->GetSurfaceLevel(0, &level), kOk);
  Surface* back = nullptr;
  Surface* depth = nullptr;
  ASSERT_EQ(device.GetBackBuffer(0, &back), kOk);
  ASSERT_EQ(device.GetDepthStencilSurface(&depth), kOk);
  ASSERT_EQ(device.SetRenderTarget(level, nullptr), kOk);
  Viewport viewport;
  device.GetViewport(viewport);
  EXPECT_EQ(viewport.width, 128u);
  EXPECT_EQ(viewport.height, 64u);
  // Without a depth buffer, clearing depth is refused.
  EXPECT_EQ(device.Clear(clear_flags::kZBuffer, 0, 1.0f, 0), kInvalidCall);
  ASSERT_EQ(device.SetRenderTarget(back, depth), kOk);
  device.GetViewport(viewport);
  EXPECT_EQ(viewport.width, 640u);
  Surface* current = nullptr;
  ASSERT_EQ(device.GetRenderTarget(&current), kOk);
  EXPECT_EQ(current, back);
  current->Release();
  back->Release();
  depth->Release();
  level->Release();
  // The surface held a reference to its texture; this is the last one.
  EXPECT_EQ(target->Release(), 0u);
}

}  // namespace
}  // namespace platform::gfx
