// Fuzzing the font width-table parser: any text is accepted and only codes 0-255 are ever written.

#include "fuzz_support.h"
#include "render/resources/bitmap_font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  render::BitmapFont font;
  font.widths.fill(-7);
  font.ParseIni(fuzz_support::Text(data, size));
  Check(font.widthAdjustment == 0 && font.letterSpacing == 0.0f);
  return 0;
}
