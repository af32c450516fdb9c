// The pictures of the render effects: particle flip-books, glow sprites, the tyre tread and the light-trail fade.
#pragma once

#include <cstdint>
#include <string>

#include "contentgen/png_writer.h"

namespace contentgen {

// A soft round spot of the colour: alpha falls from the centre to 0 at the edge.
PictureData MakeGlowSprite(uint32_t size, uint32_t rgb);
// A car lamp's glow: a small bright core in a faint halo.
PictureData MakeLampSprite(uint32_t size, uint32_t rgb);
// A grid × grid flip-book of soft spots whose size and brightness change from frame to frame.
PictureData MakeFlipBook(uint32_t size, uint32_t grid, uint32_t rgb);

// Writes PARTICLES/*, GLOWS/*, TREADS/tread*.png and IMAGES/blur*.png below gameFolder.
bool WriteEffectTextures(const std::string& gameFolder);

}  // namespace contentgen
