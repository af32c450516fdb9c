// The machine tier (0 weakest to 4) and the detail presets chosen by it. Settings::RateMachine, ApplyPreset,
// AutoConfigure and Validate apply them to the settings.
#pragma once

#include <array>

#include "app/settings.h"

namespace app {

// Processor clock assumed when it cannot be read.
inline constexpr int kFallbackProcessorMhz = 1000;
// Integrated adapters never rate above this tier, however fast the rest of the machine is.
inline constexpr MachineTier kIntegratedAdapterTierLimit = 2;
// The tier whose preset a first run applies whatever the machine.
inline constexpr MachineTier kFirstRunTier = 2;

// The tier from processor clock (MHz, -1 unknown), installed memory and video memory (MB); weakAdapter marks
// integrated graphics.
MachineTier RateMachineTier(int processorMhz, int memoryMB, int videoMemoryMB, bool weakAdapter);

struct PresetEntry {
  SettingId id;
  std::array<int, kMachineTierCount> valueByTier;
};

// The detail preset, stored in this order.
extern const std::array<PresetEntry, 11> DetailPresets;
// The base settings stored by the automatic configuration before the preset.
extern const std::array<PresetEntry, 5> AutoConfigureBase;

}  // namespace app
