// The pictures the career and practice screens load by fixed name that no other writer provides.
#include "contentgen/career_screens_content.h"

#include <filesystem>
#include <system_error>

namespace contentgen {

namespace {
// The ribbon is merged with the HUD ribbon's alpha picture, which only merges into a picture of its own size.
constexpr uint32_t kRibbonSize = 16;
// The road is one flat colour: the screens lay the picture across the road and repeat it every couple of pixels
// along it, so its smaller mip levels would blend any kerbs into the asphalt anyway. The showroom seen behind the
// outline is nearly colourless grey, from black to lit walls, and the road stands out from it by its blue hue, as
// no lightness dark enough for the race facts could. It is dark (luminance 0.031) so that the white and amber facts
// drawn across it read as text does, also where its smoothed edge takes in some of the lighter showroom.
constexpr uint32_t kRoadColour = 0xFF001E96u;
}  // namespace

PictureData MakeDarkMinimapRibbon() {
  PictureData ribbon(kRibbonSize, kRibbonSize);
  ribbon.Fill(kRoadColour);
  return ribbon;
}

bool WriteCareerScreensContent(const std::string& gameFolder) {
  std::error_code error;
  std::filesystem::create_directories(gameFolder + "HUD", error);
  return WritePng(gameFolder + "HUD/minimapdark.png", MakeDarkMinimapRibbon(), false);
}

}  // namespace contentgen
