// The advance-width table of a bitmap font, read from its .ini file; text labels lay out their glyphs with it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace render {

class BitmapFont {
 public:
  // Reads the .ini file (a normalised or real path). A missing file leaves every width 0.
  void LoadIni(const std::string& fileName);
  // Applies the lines of a width table: "code = width" (any of " \t\n\r:=" separate; "#" starts a comment);
  // header lines whose first token is "[Char" are skipped; codes outside 0-255 are ignored.
  void ParseIni(const std::string& text);

  // Advance of each glyph in texels of the font picture.
  std::array<int32_t, 256> widths{};
  // Added to every glyph's width by text labels; 0 after loading.
  int32_t widthAdjustment = 0;
  // Extra advance (texels) text labels add after every glyph; 0 after loading (the gauge cluster sets 6).
  float letterSpacing = 0;
};

}  // namespace render
