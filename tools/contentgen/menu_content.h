// The menu pictures the front end loads by fixed name: the button atlas, pointer, logo, panels, the start-up
// notice and the loading picture, each colour picture with its separate alpha picture.
#pragma once

#include <string>

#include "contentgen/png_writer.h"

namespace contentgen {

// Side of the square button atlas "MENUS/button.png"; every atlas rectangle the menus use lies inside it.
inline constexpr uint32_t kButtonAtlasSize = 512;

// The button atlas: panel strips, highlight bars, icons, each where the menus cut them.
PictureData MakeButtonAtlas();
// The menu pointer: a white arrow with a black outline, tip at (1, 1), inside a clear border.
PictureData MakePointer();
// The alpha picture of a colour picture: grey levels equal to its alpha.
PictureData AlphaOf(const PictureData& picture);

// Writes MENUS/*.png below gameFolder.
bool WriteMenuContent(const std::string& gameFolder);

}  // namespace contentgen
