// The pictures the career and practice screens load by fixed name that no other writer provides.
#pragma once

#include <string>

#include "contentgen/png_writer.h"

namespace contentgen {

// The road ribbon of the race screens' track outlines: one dark blue that parts from the grey showroom behind it.
PictureData MakeDarkMinimapRibbon();

// Writes HUD/minimapdark.png below gameFolder (its alpha picture HUD/minimapa.png comes with the HUD content).
bool WriteCareerScreensContent(const std::string& gameFolder);

}  // namespace contentgen
