// Machine tiers, detail presets and the validation of the settings against the graphics device.
#include "app/machine_tier.h"

#include <initializer_list>
#include <utility>

#include "app/hardware_info.h"

namespace app {

using S = SettingId;

const std::array<PresetEntry, 11> DetailPresets = {{
    {S::FSAA, {0, 0, 1, 1, 1}},
    {S::REARVIEW, {0, 0, 0, 0, 1}},
    {S::HEADLIGHTS, {0, 0, 0, 1, 1}},
    {S::REFLECTIONDETAIL, {0, 0, 0, 1, 2}},
    {S::VIEWDISTANCE, {0, 0, 0, 3, 3}},
    {S::SCENEREFLECTION, {0, 0, 0, 1, 1}},
    {S::GLOWDETAIL, {1, 0, 1, 2, 2}},
    {S::PARTICLES, {0, 1, 1, 2, 2}},
    {S::SKIDMARKS, {0, 1, 1, 2, 2}},
    {S::RESOLUTION, {0, 1, 2, 2, 2}},
    {S::MOTIONBLUR, {0, 0, 0, 0, 1}},
}};

const std::array<PresetEntry, 5> AutoConfigureBase = {{
    {S::FSAA, {0, 0, 1, 1, 1}},
    {S::SPECULAR, {1, 1, 1, 1, 1}},
    {S::ALPHAFADE, {0, 0, 1, 1, 1}},
    {S::POINTLIGHTS, {0, 0, 0, 1, 1}},
    {S::STENCILSHADOWS, {0, 0, 1, 1, 1}},
}};

MachineTier RateMachineTier(int processorMhz, int memoryMB, int videoMemoryMB, bool weakAdapter) {
  const int mhz = processorMhz == -1 ? kFallbackProcessorMhz : processorMhz;
  const int ram = memoryMB;
  const int vram = videoMemoryMB;
  // Each later test overrides the earlier ones.
  MachineTier tier = 4;
  if (vram < 40 || mhz < 1300 || ram < 192) tier = 3;
  if (vram < 28 || mhz < 900 || ram < 150) tier = 2;
  if (vram < 17 || mhz < 800) tier = 1;
  if (mhz < 600 || ram < 110) tier = 0;
  if (vram < 15) return 0;
  if (tier > kIntegratedAdapterTierLimit && weakAdapter) return kIntegratedAdapterTierLimit;
  return tier;
}

MachineTier Settings::RateMachine() const {
  const MachineFacts& machine = hardwareInfo_.Machine();
  return RateMachineTier(machine.processorMhz, machine.installedMemoryMB, hardwareInfo_.GetVideoMemory(),
                         hardwareInfo_.IsWeakIntelAdapter() || hardwareInfo_.IsWeakIntegratedAdapter());
}

void Settings::ApplyPreset() {
  const MachineTier tier = std::exchange(useMiddlePreset_, false) ? kFirstRunTier : RateMachine();
  for (const PresetEntry& entry : DetailPresets) StoreInt(entry.id, entry.valueByTier[tier]);
}

void Settings::AutoConfigure() {
  const MachineTier tier = useMiddlePreset_ ? kFirstRunTier : RateMachine();
  for (const PresetEntry& entry : AutoConfigureBase) StoreInt(entry.id, entry.valueByTier[tier]);
  ApplyPreset();
  Validate();
}

void Settings::Validate() {
  if (std::exchange(autoConfigurePending_, false)) AutoConfigure();
  UpdateDerived();

  const HardwareInfo& hw = hardwareInfo_;
  const auto lacks = [&hw](Capability cap) { return !hw.HasCapability(cap); };
  const auto zero = [this](std::initializer_list<SettingId> ids) {
    for (SettingId id : ids) StoreInt(id, 0);
  };

  const int osVersion = hw.Machine().osVersionCode;
  if (osVersion >= 0 && osVersion <= 2) zero({S::ALLOWCDAUDIO});
  if (lacks(CAP_MODULATE_ALPHA_ADD_COLOR)) {
    zero({S::SCENEREFLECTION, S::CUBEMAPPING, S::SPECULARMAPPING, S::REFLECTIONSPECULARMAPPING});
  }
  if (lacks(CAP_PROJECTED_TEXTURE)) zero({S::SCENEREFLECTION});
  if (lacks(CAP_RENDER_TARGET)) zero({S::DYNAMICREFLECTIONS, S::SCENEREFLECTION, S::MOTIONBLUR});
  const int maxTextures = hw.GetCapability(VAL_MAX_TEXTURES);
  const int maxStages = hw.GetCapability(VAL_MAX_STAGES);
  if (maxTextures < 2) zero({S::SCENEREFLECTION, S::NORMALMAPPING, S::CUBEMAPPING});
  if (lacks(CAP_REFLECTION_SPECULAR)) zero({S::REFLECTIONSPECULARMAPPING});
  if (lacks(CAP_SPECULAR_STAGES)) zero({S::SPECULARMAPPING});
  if (maxStages < 3) zero({S::NORMALMAPPING, S::REFLECTIONSPECULARMAPPING});
  if (maxStages < 2) zero({S::SCENEREFLECTION, S::CUBEMAPPING, S::SPECULARMAPPING, S::REFLECTIONSPECULARMAPPING});
  // Texture-operation codes: 6 modulate 4x, 5 modulate 2x, 4 modulate; 11 add smooth, 7 add.
  if (lacks(CAP_MODULATE_4X)) StoreInt(S::NORMALMODULATE, hw.HasCapability(CAP_MODULATE_2X) ? 5 : 4);
  if (lacks(CAP_ADD_SMOOTH)) StoreInt(S::NORMALADDITIVE, 7);
  if (lacks(CAP_ADDITIVE_BLEND) || lacks(CAP_DOT_PRODUCT3)) zero({S::NORMALMAPPING});
  if (lacks(CAP_CUBE_MAP)) zero({S::CUBEMAPPING});
  if (lacks(CAP_STENCIL_SHADOWS)) zero({S::STENCILSHADOWS});
  if (lacks(CAP_BLEND_FACTOR_ALPHA)) zero({S::ALPHAFADE});
  if (lacks(CAP_ALPHA_TEST_GREATER)) zero({S::ALPHAWRITE});
  if (lacks(CAP_TABLE_FOG)) zero({S::FOGTABLE});
  if (lacks(CAP_POINT_SPRITES)) zero({S::POINTSPRITES});
  StoreInt(S::MAXLIGHTS, hw.GetCapability(VAL_MAX_LIGHTS));
  StoreInt(S::CLAMPUVS, hw.GetCapability(VAL_CLAMP_ADDRESS));
  StoreInt(S::MIPFILTER, hw.GetCapability(VAL_MIP_FILTER));
  DisableUnsupported();
}

void Settings::DisableUnsupported() {
  const HardwareInfo& hw = hardwareInfo_;
  if (!hw.HasCapability(CAP_ADDITIVE_BLEND)) StoreInt(S::HEADLIGHTS, 0);
  if (!hw.HasCapability(CAP_RENDER_TARGET)) StoreInt(S::REARVIEW, 0);
  if (!hw.HasCapability(CAP_PROJECTED_TEXTURE)) StoreInt(S::HEADLIGHTS, 0);
  if (!hw.HasCapability(CAP_USER_CLIP)) StoreInt(S::HEADLIGHTS, 0);
  if (GetInt(S::REFLECTIONDETAIL) > 0 && !hw.HasCapability(CAP_CUBE_MAP)) StoreInt(S::REFLECTIONDETAIL, 0);
  // Dynamic reflections need render targets; a static cube map alone is not offered in their place.
  if (GetInt(S::REFLECTIONDETAIL) > 1 && !hw.HasCapability(CAP_RENDER_TARGET)) StoreInt(S::REFLECTIONDETAIL, 0);
  UpdateDerived();
}

}  // namespace app
