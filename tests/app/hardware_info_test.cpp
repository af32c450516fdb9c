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

TEST(HardwareInfo, CapableDeviceKeepsEverything) {
  const HardwareInfo info = Detected(CapableDeviceFacts("Corsaire test adapter", 128));
  EXPECT_EQ(info.GetAdapterName(), "CORSAIRE TEST ADAPTER");
  EXPECT_EQ(info.GetVideoMemory(), 128);
  EXPECT_EQ(info.GetCapability(VAL_TARGET_SIZE), 1024);
  for (int cap = 0; cap < kCapabilityCount; ++cap) EXPECT_TRUE(info.HasCapability(cap)) << cap;
  EXPECT_FALSE(info.IsWeakIntegratedAdapter());
  EXPECT_FALSE(info.HasCapability(kCapabilityCount));
}

TEST(HardwareInfo, AdapterNameRules) {
  const struct {
    const char* adapter;
    int capability;
  } lost[] = {
      {"Mobility Radeon 9000", CAP_CUBE_MAP},         {"Mobility Radeon 9000", CAP_REFLECTION_SPECULAR},
      {"Intel(R) 82810 Chipset", CAP_RENDER_TARGET},  {"Matrox Millennium G450 DualHead", CAP_RENDER_TARGET},
      {"S3 Graphics SuperSavage/IXC", CAP_RENDER_TARGET}, {"3dfx Voodoo3", CAP_DXT1},
      {"3dfx Voodoo3", CAP_DXT3},                     {"Trident CyberBlade XP", CAP_STENCIL_SHADOWS},
      {"AG315-64 board", CAP_PROJECTED_TEXTURE},      {"NVIDIA GeForce FX 5200", CAP_USER_CLIP},
  };
  for (const auto& c : lost) EXPECT_FALSE(Detected(CapableDeviceFacts(c.adapter)).HasCapability(c.capability)) << c.adapter;
  EXPECT_EQ(Detected(CapableDeviceFacts("Mobility Radeon 9000")).GetCapability(VAL_TARGET_SIZE), 256);
  EXPECT_TRUE(Detected(CapableDeviceFacts("Intel(R) 82865G Graphics Controller")).IsWeakIntelAdapter());
  EXPECT_FALSE(Detected(CapableDeviceFacts("Mesa Intel(R) UHD Graphics")).IsWeakIntelAdapter());
  EXPECT_TRUE(Detected(CapableDeviceFacts("ACME Integrated Graphics")).IsWeakIntegratedAdapter());
  DeviceFacts noClip = CapableDeviceFacts("NVIDIA GeForce4 Ti 4200");
  noClip.caps.maxUserClipPlanes = 0;
  EXPECT_TRUE(Detected(noClip).HasCapability(CAP_USER_CLIP)) << "this card clips without saying so";
  noClip.adapterDescription = "Other card";
  EXPECT_FALSE(Detected(noClip).HasCapability(CAP_USER_CLIP));
}

TEST(HardwareInfo, CapabilityRulesFromCaps) {
  DeviceFacts facts = CapableDeviceFacts();
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
  EXPECT_TRUE(info.IsWeakIntegratedAdapter());
  EXPECT_GT(info.GetVideoMemory(), 0);
  EXPECT_LE(info.GetVideoMemory(), 32);

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

}  // namespace
}  // namespace app
