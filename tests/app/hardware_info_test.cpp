// Tests of hardware detection: the adapter rules, the capability values and flags, and probing a device.
#include "app/hardware_info.h"

#include <gtest/gtest.h>

#include <functional>

#include "device_facts_fixture.h"
#include "platform/gfx/null_graphics.h"

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

}  // namespace
}  // namespace app
