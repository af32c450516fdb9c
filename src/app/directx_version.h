// The graphics-platform version the framework reports: a packed number and a short text ("9.0").
#pragma once

#include <cstdint>

#include "platform/result.h"

namespace app {

// The version as major, minor and a letter (' ' for none, 'a'-'z' otherwise).
struct DirectXVersion {
  int major = 0;
  int minor = 0;
  char letter = ' ';
};

// ((major × 256) + minor) × 256, plus the letter's place in the alphabet (a = 1); the letter is lower-cased.
uint32_t PackDirectXVersion(const DirectXVersion& version);

// "%d.%d" or "%d.%d%c", at most size - 1 characters and always terminated; nothing with a null buffer
// or size 0.
void FormatDirectXVersion(const DirectXVersion& version, char* text, int size);

// The level our graphics layer implements: 9.0.
DirectXVersion GetPlatformDirectXVersion();

// Writes the packed version and its text. The packed value and text are cleared first; fails with kFail only
// when no version can be had.
platform::HResult GetDirectXVersion(uint32_t* packed, char* text, int size);

}  // namespace app
