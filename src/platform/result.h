// Result codes of the platform layer: negative is failure. The numbers are those the game's data and messages use.
#pragma once

#include <cstdint>

namespace platform {

using HResult = int32_t;

constexpr HResult kOk = 0;
constexpr HResult kFalse = 1;
constexpr HResult kFail = static_cast<HResult>(0x80004005u);
constexpr HResult kInvalidArg = static_cast<HResult>(0x80070057u);
constexpr HResult kOutOfMemory = static_cast<HResult>(0x8007000Eu);
constexpr HResult kFileNotFound = static_cast<HResult>(0x80070002u);

// Graphics device results.
constexpr HResult kDeviceLost = static_cast<HResult>(0x88760868u);
constexpr HResult kDeviceNotReset = static_cast<HResult>(0x88760869u);
constexpr HResult kNotAvailable = static_cast<HResult>(0x8876086Au);
constexpr HResult kInvalidCall = static_cast<HResult>(0x8876086Cu);
constexpr HResult kOutOfVideoMemory = static_cast<HResult>(0x8876017Cu);
constexpr HResult kDriverInternalError = static_cast<HResult>(0x88760827u);

constexpr bool Failed(HResult result) { return result < 0; }
constexpr bool Succeeded(HResult result) { return result >= 0; }

}  // namespace platform
