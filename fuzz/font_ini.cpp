// Fuzzing the font width-table parser: any text is accepted and only codes 0-255 are ever written.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "render/resources/bitmap_font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  render::BitmapFont font;
  font.widths.fill(-7);
  font.ParseIni(std::string(reinterpret_cast<const char*>(data), size));
  if (font.widthAdjustment != 0 || font.letterSpacing != 0.0f) std::abort();
  return 0;
}
