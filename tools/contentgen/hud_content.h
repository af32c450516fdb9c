// The race HUD's pictures, loaded by fixed name: panels, gauges, minimap marks and the mirror frame, each colour
// picture with its separate alpha picture.
#pragma once

#include <string>

#include "contentgen/png_writer.h"

namespace contentgen {

// Height of the panel picture in texels: a 13-row position-list header, then 19-row row backgrounds.
inline constexpr uint32_t kHudPanelHeight = 128;

// The panel picture "HUD/panel.png": the top-panel slice at u 0.1-0.2, header and rows at u 0.255-0.999.
PictureData MakeHudPanel();
// The nitrous meter: a 4 x 2 grid of cells filled from 0 (empty) to 7 (full).
PictureData MakeNitrousMeter();

// Writes HUD/*.png below gameFolder.
bool WriteHudContent(const std::string& gameFolder);

}  // namespace contentgen
