// Tests of hardware detection: the adapter rules, the capability values and flags, and probing a device.
#include "app/hardware_info.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/settings.h"
#include "device_facts_fixture.h"
#include "platform/gfx/null_graphics.h"
#include "platform/null_window_system.h"

namespace app {
namespace {

namespace gfx = platform::gfx;
using testing_support::CapableDeviceFacts;

HardwareInfo Detected(const DeviceFacts& facts) {
  HardwareInfo info(testing_support::FastMachine());
  info.DetectFrom(facts);
  return info;
}

TEST(HardwareInfo, CapabilityRulesFromCaps) {
  using Change = std::function<void(DeviceFacts&)>;
  const struct {
    const char* what;
    Change change;
    int capability;
  } lost[] = {
      {"depth without stencil", [](DeviceFacts& f) { f.autoDepthStencilFormat = gfx::Format::D24X8; }, CAP_STENCIL_SHADOWS},
      {"table fog needs both bits", [](DeviceFacts& f) { f.caps.rasterCaps = gfx::raster_caps::kFogTable; },
       CAP_TABLE_FOG},
      {"failed cube probe", [](DeviceFacts& f) { f.cubeMapProbe = gfx::kUnsupportedColorOperation; },
       CAP_REFLECTION_SPECULAR},
      {"failed specular probe", [](DeviceFacts& f) { f.specularStagesProbe = gfx::kTooManyOperations; },
       CAP_SPECULAR_STAGES},
  };
  for (const auto& c : lost) {
    DeviceFacts facts = CapableDeviceFacts();
    c.change(facts);
    EXPECT_FALSE(Detected(facts).HasCapability(c.capability)) << c.what;
  }
  DeviceFacts facts = CapableDeviceFacts();
  facts.autoDepthStencilFormat = gfx::Format::D15S1;
  facts.projectionProbe = platform::kDeviceLost;  // a lost device keeps the flag
  facts.caps.maxActiveLights = 0;
  facts.caps.textureFilterCaps = 0;
  facts.caps.textureAddressCaps = gfx::texture_address_caps::kClamp;
  const HardwareInfo info = Detected(facts);
  EXPECT_TRUE(info.HasCapability(CAP_STENCIL_SHADOWS));
  EXPECT_TRUE(info.HasCapability(CAP_PROJECTED_TEXTURE));
  EXPECT_EQ(info.GetCapability(VAL_MAX_LIGHTS), 1);
  EXPECT_EQ(info.GetCapability(VAL_MIP_FILTER), 1);
  EXPECT_EQ(info.GetCapability(VAL_CLAMP_ADDRESS), 3);
}

TEST(HardwareInfo, DetectsANullDeviceAndLeavesItsStatesAlone) {
  gfx::NullGraphicsSystem graphics;
  graphics.description.adapters[0].identifier.description = "Null Integrated Adapter";
  graphics.description.adapters[0].videoMemory = 32ull << 20;
  gfx::PresentParameters parameters;
  parameters.windowed = true;
  parameters.backBufferFormat = gfx::Format::X8R8G8B8;
  parameters.autoDepthStencilFormat = gfx::Format::D24S8;
  gfx::Device* device = nullptr;
  ASSERT_EQ(graphics.CreateDevice(0, gfx::DeviceType::Hal, 1, 0, parameters, &device), platform::kOk);
  device->SetTextureStageState(1, gfx::TextureStageState::TexCoordIndex, 1u);
  device->SetTextureStageState(2, gfx::TextureStageState::ColorOp, gfx::TextureOp::Modulate);
  device->SetRenderState(gfx::RenderState::SpecularEnable, 1u);
  const gfx::DeviceState before = static_cast<gfx::NullDevice*>(device)->State();

  HardwareInfo info(testing_support::FastMachine());
  info.Detect(*device, graphics, parameters);
  EXPECT_TRUE(info.IsWeakIntegratedAdapter());
  EXPECT_GT(info.GetVideoMemory(), 0);
  EXPECT_LE(info.GetVideoMemory(), 32);
  // Each probe puts back the states it changed.
  const gfx::DeviceState& after = static_cast<gfx::NullDevice*>(device)->State();
  EXPECT_EQ(after.stageStates, before.stageStates);
  EXPECT_EQ(after.renderStates, before.renderStates);
  device->Release();
}

TEST(HardwareInfo, WeakAdapterNamesAsLinuxDriversSpellThem) {
  const struct {
    const char* renderer;
    bool weakIntel, weakIntegrated;
  } cases[] = {
      {"Intel(R) 82865G Graphics Controller", true, false},
      {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", true, false},
      {"Mesa DRI Intel(R) HD Graphics 4000 (IVB GT2)", true, false},
      {"Mesa Intel(R) Arc(tm) A770 Graphics (DG2)", false, false},
      {"llvmpipe (LLVM 15.0.6, 256 bits)", false, true},
      {"softpipe", false, true},
      {"Software Rasterizer", false, true},
      {"swrast", false, true},
      {"AMD Radeon Graphics (renoir, LLVM 15.0.6, DRM 3.49, 6.1.0)", false, true},
      {"AMD Radeon Vega 8 Graphics (raven, LLVM 15.0.6, DRM 3.49, 6.1.0)", false, true},
      {"AMD RENOIR (DRM 3.41.0, 5.13.0, LLVM 12.0.0)", false, true},
      {"AMD Radeon RX 6700 XT (navi22, LLVM 15.0.6, DRM 3.49, 6.1.0)", false, false},
      {"AMD Radeon RX Vega (vega10, LLVM 15.0.6)", false, false},
      {"NVIDIA GeForce RTX 3060/PCIe/SSE2", false, false},
      {"Radeon 9600 Integrated", false, true},
      {"NVIDIA nForce Intel compatible", false, false},  // INTEL not at the start
  };
  for (const auto& c : cases) {
    const HardwareInfo info = Detected(CapableDeviceFacts(c.renderer, 4096));
    EXPECT_EQ(info.IsWeakIntelAdapter(), c.weakIntel) << c.renderer;
    EXPECT_EQ(info.IsWeakIntegratedAdapter(), c.weakIntegrated) << c.renderer;
    // A weak adapter on a fast machine with plenty of memory gets the middle tier; others the top one.
    HardwareInfo rated(testing_support::FastMachine());
    rated.DetectFrom(CapableDeviceFacts(c.renderer, 4096));
    EXPECT_EQ(Settings(rated, "", "").RateMachine(), c.weakIntel || c.weakIntegrated ? 2 : 4) << c.renderer;
  }
}

TEST(HardwareInfo, AQuestionBeforeDetectionShowsADetectionErrorBox) {
  platform::NullWindowSystem windows;
  HardwareInfo info(testing_support::FastMachine());
  info.SetWindowSystem(&windows);
  EXPECT_EQ(info.GetVideoMemory(), 0) << "the initial value still answers";
  EXPECT_EQ(info.GetAdapterName(), "UNKNOWN");
  ASSERT_EQ(windows.MessageBoxes().size(), 2u);
  EXPECT_EQ(windows.MessageBoxes()[0].caption, "DETECTION ERROR");
  EXPECT_EQ(windows.MessageBoxes()[0].text, "VRAM requested before D3D setup completed");
  EXPECT_EQ(windows.MessageBoxes()[0].flags & 0xF0u, platform::message_box::kIconError);
  EXPECT_EQ(windows.MessageBoxes()[1].text, "Adapter name requested before D3D setup completed");
  info.DetectFrom(CapableDeviceFacts());
  info.GetVideoMemory();
  info.HasCapability(CAP_CUBE_MAP);
  EXPECT_EQ(windows.MessageBoxes().size(), 2u) << "after detection nothing is shown";
}

}  // namespace
}  // namespace app
