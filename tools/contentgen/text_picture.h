// Text drawn into pictures with the game's own font faces (the title header, the start-up notice).
#pragma once

#include <cstdint>
#include <string>

#include "contentgen/png_writer.h"

namespace contentgen {

struct TextStyle {
  std::string fontFile;
  uint32_t pixelWidth = 24;   // glyph width and height handed to FreeType: unequal sizes pre-stretch text for
  uint32_t pixelHeight = 24;  // a picture the screen draws stretched the other way
  uint32_t colourTop = 0xFFFFFFFF;     // a vertical gradient across the glyphs' height
  uint32_t colourBottom = 0xFFFFFFFF;
  uint32_t outlineColour = 0xFF000000;
  int outline = 0;  // texels of outline around every glyph
};

// The game's bold face (the one its bitmap fonts are made from).
std::string GameFontFile();

// Width in texels of the text set in the style.
int MeasureText(const TextStyle& style, const std::string& text);
// Draws the text with its baseline at y, starting at x (alignment 0), centred on x (2) or ending at x (1); texels
// are blended over what the picture holds. False when the font cannot be read.
bool DrawText(PictureData& picture, const TextStyle& style, const std::string& text, int x, int baseline,
              int alignment = 0);

}  // namespace contentgen
