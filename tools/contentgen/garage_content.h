// The garage's own pictures by fixed name: the colour selector frame and the alpha picture of the swatches.
#pragma once

#include <string>

#include "contentgen/png_writer.h"

namespace contentgen {

inline constexpr uint32_t kColorSelectorSize = 32;
inline constexpr uint32_t kSwatchWidth = 25;
inline constexpr uint32_t kSwatchHeight = 16;

// A square frame, opaque on its border and clear inside.
PictureData MakeColorSelectorFrame();
// The swatch alpha: opaque with a one-texel soft edge.
PictureData MakeSwatchAlpha();

// Writes MENUS/colorselector.PNG and MENUS/colorpanela.png below gameFolder.
bool WriteGarageContent(const std::string& gameFolder);

}  // namespace contentgen
