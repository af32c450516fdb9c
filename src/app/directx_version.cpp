// Version reporting: our graphics layer stands at the 9.0 level, so full screen and the device set-up are open.
#include "app/directx_version.h"

#include <cctype>
#include <cstdio>

namespace app {

uint32_t PackDirectXVersion(const DirectXVersion& version) {
  uint32_t packed = (static_cast<uint32_t>(version.major) * 256 + static_cast<uint32_t>(version.minor)) * 256;
  const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(version.letter)));
  if (letter >= 'a' && letter <= 'z') packed += static_cast<uint32_t>(letter - 'a' + 1);
  return packed;
}

void FormatDirectXVersion(const DirectXVersion& version, char* text, int size) {
  if (text == nullptr || size <= 0) return;
  const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(version.letter)));
  if (letter >= 'a' && letter <= 'z') {
    std::snprintf(text, static_cast<size_t>(size), "%d.%d%c", version.major, version.minor, letter);
  } else {
    std::snprintf(text, static_cast<size_t>(size), "%d.%d", version.major, version.minor);
  }
}

DirectXVersion GetPlatformDirectXVersion() { return DirectXVersion{9, 0, ' '}; }

platform::HResult GetDirectXVersion(uint32_t* packed, char* text, int size) {
  if (packed != nullptr) *packed = 0;
  if (text != nullptr && size > 0) text[0] = '\0';
  const DirectXVersion version = GetPlatformDirectXVersion();
  if (version.major == 0) return platform::kFail;
  if (packed != nullptr) *packed = PackDirectXVersion(version);
  FormatDirectXVersion(version, text, size);
  return platform::kOk;
}

}  // namespace app
