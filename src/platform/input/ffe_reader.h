// Reader of force-feedback effect files (.ffe): a RIFF form "FORC" holding one LIST "efct" per effect.
//
// Inside each "efct" list, little-endian chunks:
//   "name"  the effect's name, zero-terminated text
//   "id  "  16 bytes: the effect type's GUID (constant, ramp, square, sine, triangle, sawtooth up/down, spring,
//           damper, inertia, friction)
//   "parm"  8 × uint32: flags, duration, sample period, gain, trigger button, trigger repeat interval,
//           axis count, start delay
//   "axes"  uint32 per axis; "dirn" int32 per axis
//   "envl"  optional, 4 × uint32: attack level, attack time, fade level, fade time
//   "tspc"  the kind's parameters: constant int32 magnitude; ramp int32 start, end; periodic uint32 magnitude,
//           int32 offset, uint32 phase, uint32 period; conditions 6 × 32-bit values per axis
// Unknown chunks are skipped; effects of an unknown type are left out.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/input/force_effect.h"

namespace platform::input {

using Guid = std::array<uint8_t, 16>;

// The 16 bytes a file stores for each kind (the GUID's first three fields little-endian, as they sit in memory).
Guid ForceEffectGuid(ForceEffectKind kind);
std::optional<ForceEffectKind> ForceEffectKindOfGuid(const Guid& guid);

// At most this many axes per effect (a joystick reports at most eight).
constexpr uint32_t kMaxEffectAxes = 8;

// Reads every effect of the file image in file order. Any structural fault (a chunk running past its list, a
// count larger than its chunk, a missing "parm" or "id  ") refuses the whole file: false, `effects` empty and
// the problem in `error`.
bool ReadForceEffects(const uint8_t* bytes, size_t size, std::vector<ForceEffect>& effects, std::string& error);

// ReadForceEffects on a data file; prints one line naming the file and the problem when it is refused.
bool LoadForceEffectFile(const std::string& path, std::vector<ForceEffect>& effects);

}  // namespace platform::input
