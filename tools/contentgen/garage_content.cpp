// Draws the garage's colour selector frame and swatch alpha picture.
#include "contentgen/garage_content.h"

namespace contentgen {

PictureData MakeColorSelectorFrame() {
  PictureData picture(kColorSelectorSize, kColorSelectorSize);
  constexpr uint32_t kBorder = 3;
  for (uint32_t y = 0; y < kColorSelectorSize; ++y) {
    for (uint32_t x = 0; x < kColorSelectorSize; ++x) {
      const bool edge = x < kBorder || y < kBorder || x >= kColorSelectorSize - kBorder ||
                        y >= kColorSelectorSize - kBorder;
      picture.Set(x, y, edge ? 0xFFFFD040u : 0x00000000u);
    }
  }
  return picture;
}

PictureData MakeSwatchAlpha() {
  PictureData picture(kSwatchWidth, kSwatchHeight);
  for (uint32_t y = 0; y < kSwatchHeight; ++y) {
    for (uint32_t x = 0; x < kSwatchWidth; ++x) {
      const bool edge = x == 0 || y == 0 || x + 1 == kSwatchWidth || y + 1 == kSwatchHeight;
      picture.Set(x, y, edge ? 0xFF808080u : 0xFFFFFFFFu);
    }
  }
  return picture;
}

bool WriteGarageContent(const std::string& gameFolder) {
  // The frame is loaded as its own alpha picture, so its alpha lives in the grey levels too.
  return WritePng(gameFolder + "MENUS/colorselector.PNG", MakeColorSelectorFrame(), true) &&
         WritePng(gameFolder + "MENUS/colorpanela.png", MakeSwatchAlpha(), false);
}

}  // namespace contentgen
