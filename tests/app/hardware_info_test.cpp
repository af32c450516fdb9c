// Tests of hardware detection: the adapter rules, the capability values and flags, and probing a device.
#include "app/hardware_info.h"

#include <gtest/gtest.h>

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

TEST(HardwareInfo, InitialValuesBeforeDetection) {
  HardwareInfo info(MachineFacts{});
  EXPECT_FALSE(info.IsDetected());
  EXPECT_EQ(info.GetAdapterName(), "UNKNOWN");
  EXPECT_EQ(info.GetVideoMemory(), 0);
  EXPECT_EQ(info.GetCapability(VAL_MAX_LIGHTS), 0);
  EXPECT_TRUE(info.HasCapability(CAP_CUBE_MAP));
  EXPECT_FALSE(info.HasCapability(kCapabilityCount));
  EXPECT_FALSE(info.HasCapability(-1));
  EXPECT_EQ(info.GetCapability(kCapabilityValueCount), 0);
}

TEST(HardwareInfo, CapableDeviceKeepsEverything) {
  const HardwareInfo info = Detected(CapableDeviceFacts("Corsaire test adapter", 128));
  EXPECT_TRUE(info.IsDetected());
  EXPECT_EQ(info.GetAdapterName(), "CORSAIRE TEST ADAPTER");
  EXPECT_EQ(info.GetVideoMemory(), 128);
  EXPECT_EQ(info.GetCapability(VAL_MIP_FILTER), 2);
  EXPECT_EQ(info.GetCapability(VAL_CLAMP_ADDRESS), 4);
  EXPECT_EQ(info.GetCapability(VAL_MAX_LIGHTS), 8);
  EXPECT_EQ(info.GetCapability(VAL_MAX_TEXTURES), 4);
  EXPECT_EQ(info.GetCapability(VAL_MAX_STAGES), 8);
  EXPECT_EQ(info.GetCapability(VAL_TARGET_SIZE), 1024);
  for (int cap = 0; cap < kCapabilityCount; ++cap) EXPECT_TRUE(info.HasCapability(cap)) << cap;
  EXPECT_FALSE(info.IsWeakIntelAdapter());
  EXPECT_FALSE(info.IsWeakIntegratedAdapter());
}

TEST(HardwareInfo, AdapterNameRules) {
  const HardwareInfo mobility = Detected(CapableDeviceFacts("Mobility Radeon 9000"));
  EXPECT_EQ(mobility.GetCapability(VAL_TARGET_SIZE), 256);
  EXPECT_FALSE(mobility.HasCapability(CAP_CUBE_MAP));
  EXPECT_FALSE(mobility.HasCapability(CAP_REFLECTION_SPECULAR));

  DeviceFacts noTargets = CapableDeviceFacts("Mobility Radeon 7500");
  noTargets.renderTargetTexture = false;
  EXPECT_EQ(Detected(noTargets).GetCapability(VAL_TARGET_SIZE), 1024);
  EXPECT_FALSE(Detected(noTargets).HasCapability(CAP_RENDER_TARGET));

  const HardwareInfo intel = Detected(CapableDeviceFacts("Intel(R) 82865G Graphics Controller"));
  EXPECT_TRUE(intel.IsWeakIntelAdapter());
  EXPECT_TRUE(intel.HasCapability(CAP_RENDER_TARGET));
  EXPECT_FALSE(Detected(CapableDeviceFacts("Mesa Intel(R) UHD Graphics")).IsWeakIntelAdapter());
  EXPECT_TRUE(Detected(CapableDeviceFacts("ACME Integrated Graphics")).IsWeakIntegratedAdapter());
  EXPECT_FALSE(Detected(CapableDeviceFacts("Intel(R) 82810 Chipset")).HasCapability(CAP_RENDER_TARGET));
  EXPECT_FALSE(Detected(CapableDeviceFacts("Matrox Millennium G450 DualHead")).HasCapability(CAP_RENDER_TARGET));
  EXPECT_FALSE(Detected(CapableDeviceFacts("S3 Graphics SuperSavage/IXC")).HasCapability(CAP_RENDER_TARGET));

  const HardwareInfo voodoo = Detected(CapableDeviceFacts("3dfx Voodoo3"));
  EXPECT_FALSE(voodoo.HasCapability(CAP_DXT1));
  EXPECT_FALSE(voodoo.HasCapability(CAP_DXT2));
  EXPECT_FALSE(voodoo.HasCapability(CAP_DXT3));

  const HardwareInfo trident = Detected(CapableDeviceFacts("Trident CyberBlade XP"));
  EXPECT_FALSE(trident.HasCapability(CAP_STENCIL_SHADOWS));
  EXPECT_FALSE(trident.HasCapability(CAP_CUBE_MAP));
  EXPECT_FALSE(Detected(CapableDeviceFacts("AG315-64 board")).HasCapability(CAP_PROJECTED_TEXTURE));
  EXPECT_FALSE(Detected(CapableDeviceFacts("NVIDIA GeForce FX 5200")).HasCapability(CAP_USER_CLIP));

  DeviceFacts noClip = CapableDeviceFacts("NVIDIA GeForce4 Ti 4200");
  noClip.caps.maxUserClipPlanes = 0;
  EXPECT_TRUE(Detected(noClip).HasCapability(CAP_USER_CLIP));
  noClip.adapterDescription = "Other card";
  EXPECT_FALSE(Detected(noClip).HasCapability(CAP_USER_CLIP));
}

TEST(HardwareInfo, CapabilityRulesFromCaps) {
  DeviceFacts facts = CapableDeviceFacts();
  facts.autoDepthStencilFormat = gfx::Format::D16;
  EXPECT_FALSE(Detected(facts).HasCapability(CAP_STENCIL_SHADOWS));
  facts.autoDepthStencilFormat = gfx::Format::D24X8;
  EXPECT_FALSE(Detected(facts).HasCapability(CAP_STENCIL_SHADOWS));
  facts.autoDepthStencilFormat = gfx::Format::D15S1;
  EXPECT_TRUE(Detected(facts).HasCapability(CAP_STENCIL_SHADOWS));
  facts.caps.stencilCaps &= ~gfx::stencil_caps::kIncrSat;
  EXPECT_FALSE(Detected(facts).HasCapability(CAP_STENCIL_SHADOWS));

  facts = CapableDeviceFacts();
  facts.caps.maxPointSize = 1.0f;
  facts.caps.maxActiveLights = 0;
  facts.caps.textureFilterCaps = 0;
  facts.caps.textureAddressCaps = gfx::texture_address_caps::kClamp;
  HardwareInfo info = Detected(facts);
  EXPECT_FALSE(info.HasCapability(CAP_POINT_SPRITES));
  EXPECT_EQ(info.GetCapability(VAL_MAX_LIGHTS), 1);
  EXPECT_EQ(info.GetCapability(VAL_MIP_FILTER), 1);
  EXPECT_EQ(info.GetCapability(VAL_CLAMP_ADDRESS), 3);
  EXPECT_TRUE(info.HasCapability(CAP_PROJECTED_TEXTURE));

  facts.caps.textureAddressCaps = gfx::texture_address_caps::kWrap;
  info = Detected(facts);
  EXPECT_EQ(info.GetCapability(VAL_CLAMP_ADDRESS), 4);
  EXPECT_FALSE(info.HasCapability(CAP_PROJECTED_TEXTURE));

  facts = CapableDeviceFacts();
  facts.caps.textureOpCaps &= ~gfx::texture_op_caps::kModulateAlphaAddColor;
  info = Detected(facts);
  EXPECT_FALSE(info.HasCapability(CAP_MODULATE_ALPHA_ADD_COLOR));
  EXPECT_FALSE(info.HasCapability(CAP_REFLECTION_SPECULAR));
  EXPECT_FALSE(info.HasCapability(CAP_SPECULAR_STAGES));
  EXPECT_TRUE(info.HasCapability(CAP_CUBE_MAP));

  facts = CapableDeviceFacts();
  facts.caps.maxSimultaneousTextures = 1;
  facts.caps.rasterCaps = gfx::raster_caps::kFogTable;
  facts.caps.destBlendCaps = gfx::blend_caps::kZero;
  facts.caps.alphaCmpCaps = gfx::compare_caps::kAlways;
  info = Detected(facts);
  EXPECT_FALSE(info.HasCapability(CAP_CUBE_MAP));
  EXPECT_FALSE(info.HasCapability(CAP_TABLE_FOG));
  EXPECT_FALSE(info.HasCapability(CAP_ADDITIVE_BLEND));
  EXPECT_FALSE(info.HasCapability(CAP_ALPHA_TEST_GREATER));
}

TEST(HardwareInfo, FailedProbesTurnFlagsOffButALostDeviceDoesNot) {
  DeviceFacts facts = CapableDeviceFacts();
  facts.cubeMapProbe = gfx::kUnsupportedColorOperation;
  facts.specularStagesProbe = gfx::kTooManyOperations;
  facts.projectionProbe = platform::kDeviceLost;
  const HardwareInfo info = Detected(facts);
  EXPECT_FALSE(info.HasCapability(CAP_CUBE_MAP));
  EXPECT_FALSE(info.HasCapability(CAP_REFLECTION_SPECULAR));  // needs the cube map
  EXPECT_FALSE(info.HasCapability(CAP_SPECULAR_STAGES));
  EXPECT_TRUE(info.HasCapability(CAP_PROJECTED_TEXTURE));
}

TEST(HardwareInfo, DetectsANullDeviceAndLeavesItsStatesAlone) {
  gfx::NullGraphicsSystem graphics;
  graphics.description.adapters[0].identifier.description = "Null Integrated Adapter";
  graphics.description.adapters[0].videoMemory = 32ull << 20;
  gfx::PresentParameters parameters;
  parameters.windowed = true;
  parameters.backBufferWidth = 640;
  parameters.backBufferHeight = 480;
  parameters.backBufferFormat = gfx::Format::X8R8G8B8;
  parameters.autoDepthStencilFormat = gfx::Format::D24S8;
  gfx::Device* device = nullptr;
  ASSERT_TRUE(platform::Succeeded(graphics.CreateDevice(0, gfx::DeviceType::Hal, 1, 0, parameters, &device)));
  ASSERT_NE(device, nullptr);

  device->SetTextureStageState(1, gfx::TextureStageState::TexCoordIndex, 1u);
  device->SetTextureStageState(2, gfx::TextureStageState::ColorOp, gfx::TextureOp::Modulate);
  device->SetRenderState(gfx::RenderState::SpecularEnable, 1u);
  uint32_t before[3][gfx::kTextureStageStateCount] = {};
  for (uint32_t stage = 0; stage < 3; ++stage) {
    for (uint32_t code = 1; code < gfx::kTextureStageStateCount; ++code) {
      device->GetTextureStageState(stage, static_cast<gfx::TextureStageState>(code), before[stage][code]);
    }
  }

  HardwareInfo info(testing_support::FastMachine());
  info.Detect(*device, graphics, parameters);
  EXPECT_TRUE(info.IsDetected());
  EXPECT_EQ(info.GetAdapterName(), "NULL INTEGRATED ADAPTER");
  EXPECT_TRUE(info.IsWeakIntegratedAdapter());
  EXPECT_GT(info.GetVideoMemory(), 0);
  EXPECT_LE(info.GetVideoMemory(), 32);
  EXPECT_GE(info.GetCapability(VAL_MAX_LIGHTS), 1);

  for (uint32_t stage = 0; stage < 3; ++stage) {
    for (uint32_t code = 1; code < gfx::kTextureStageStateCount; ++code) {
      uint32_t after = 0;
      device->GetTextureStageState(stage, static_cast<gfx::TextureStageState>(code), after);
      EXPECT_EQ(after, before[stage][code]) << "stage " << stage << " state " << code;
    }
  }
  uint32_t specular = 0;
  device->GetRenderState(gfx::RenderState::SpecularEnable, specular);
  EXPECT_EQ(specular, 1u);
  device->Release();
}

TEST(HardwareInfo, MachineFactsFromTheSystem) {
  const MachineFacts facts = ReadMachineFacts();
  EXPECT_TRUE(facts.processorMhz == -1 || facts.processorMhz > 0);
  EXPECT_GE(facts.installedMemoryMB, 0);
  EXPECT_EQ(facts.osVersionCode, GetOsVersionCode());
}

}  // namespace
}  // namespace app
