// The pictures the career and practice screens load by fixed name that no other writer provides.
#include "contentgen/career_screens_content.h"

#include <filesystem>
#include <system_error>

namespace contentgen {

namespace {
// The ribbon is merged with the HUD ribbon's alpha picture, which only merges into a picture of its own size.
constexpr uint32_t kRibbonSize = 16;
constexpr uint32_t kKerbWidth = 2;
// Both dark enough that the white and the amber labels drawn across the outline read on them as text does; the
// blue kerbs draw the track's shape on the dark panel.
constexpr uint32_t kKerbColour = 0xFF22385Cu;
constexpr uint32_t kAsphaltColour = 0xFF1A1C24u;
}  // namespace

PictureData MakeDarkMinimapRibbon() {
  PictureData ribbon(kRibbonSize, kRibbonSize);
  for (uint32_t y = 0; y < kRibbonSize; ++y) {
    for (uint32_t x = 0; x < kRibbonSize; ++x) {
      const bool kerb = x < kKerbWidth || x >= kRibbonSize - kKerbWidth;
      ribbon.Set(x, y, kerb ? kKerbColour : kAsphaltColour);
    }
  }
  return ribbon;
}

bool WriteCareerScreensContent(const std::string& gameFolder) {
  std::error_code error;
  std::filesystem::create_directories(gameFolder + "HUD", error);
  return WritePng(gameFolder + "HUD/minimapdark.png", MakeDarkMinimapRibbon(), false);
}

}  // namespace contentgen
