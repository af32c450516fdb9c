// Bitmap fonts for the sample content: glyphs rendered with FreeType into a 16×16 grid picture, its grey alpha
// partner and the .ini table of advance widths.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "contentgen/png_writer.h"

namespace contentgen {

struct FontStyle {
  std::string fontFile;          // a TrueType file
  uint32_t cellSize = 32;        // texels per grid cell; the picture is 16 cells square
  uint32_t pixelHeight = 22;     // glyph size handed to FreeType
  uint32_t normalColour = 0xFFFFFFFF;
  uint32_t highlightColour = 0xFFFFC020;  // the second set of 128 glyphs
  // A dark rim around every glyph keeps text readable over bright or busy backgrounds.
  int outline = 0;  // texels
  uint32_t outlineColour = 0xFF000000;
};

// A rendered font: glyph g (g = character − 32, and g + 128 for the highlight set) in row g / 16, column
// g mod 16, centred horizontally in its cell.
struct RenderedFont {
  PictureData colour;      // glyph colour over the whole cell
  PictureData alpha;       // grey coverage, the shape of each glyph
  std::vector<int> widths;  // 256 advances in texels, 0 where there is no glyph
};

// False (and a printed line) when the font file cannot be read.
bool RenderFont(const FontStyle& style, RenderedFont& font);

// The text of the .ini width table: a header line, then "g = width" for every glyph with a width.
std::string FormatWidthTable(const std::vector<int>& widths, const std::string& title);

// Writes <folder>/<baseName>.png, <baseName>a.png and <baseName>.ini.
bool WriteFont(const std::string& folder, const std::string& baseName, const FontStyle& style);

}  // namespace contentgen
