// Force-feedback effect files for the sample content: the writer of the .ffe layout the game reads, and the
// effect lists of FF\effects.ffe (gamepads, joysticks) and FF\wheeleffects.ffe (wheels).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/input/force_effect.h"

namespace contentgen {

// Effect numbers the cars play: the impact jolt and the engine rumble; the others are per-surface road feel.
constexpr int kImpactJoltEffect = 4;
constexpr int kEngineRumbleEffect = 12;

// A RIFF "FORC" image with one "efct" list per effect, in order.
std::vector<uint8_t> EncodeForceEffects(const std::vector<platform::input::ForceEffect>& effects);

// The game's effects in file order (at least the 14 the cars number); the wheel set is stronger and adds
// centring.
std::vector<platform::input::ForceEffect> GameForceEffects(bool wheel);

// Writes FF/effects.ffe and FF/wheeleffects.ffe below gameFolder. False (with a printed line) on failure.
bool WriteForceEffectFiles(const std::string& gameFolder);

}  // namespace contentgen
