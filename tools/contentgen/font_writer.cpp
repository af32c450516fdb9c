// Font rendering with FreeType: each printable character of ASCII drawn once in the normal set and once in the
// highlight set, with its advance recorded for the width table.
#include "contentgen/font_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace contentgen {

namespace {
constexpr int kFirstCharacter = 32;

// The colour between a (t = 0) and b (t = 1), opaque.
uint32_t Mix(uint32_t a, uint32_t b, float t) {
  uint32_t out = 0xFF000000u;
  for (int shift : {0, 8, 16}) {
    const float c = static_cast<float>((a >> shift) & 0xFF) * (1 - t) + static_cast<float>((b >> shift) & 0xFF) * t;
    out |= static_cast<uint32_t>(c + 0.5f) << shift;
  }
  return out;
}
constexpr int kLastCharacter = 126;
constexpr int kHighlightOffset = 128;
}  // namespace

bool RenderFont(const FontStyle& style, RenderedFont& font) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    std::fprintf(stderr, "contentgen: FreeType cannot start\n");
    return false;
  }
  FT_Face face = nullptr;
  if (FT_New_Face(library, style.fontFile.c_str(), 0, &face) != 0) {
    std::fprintf(stderr, "contentgen: cannot read font %s\n", style.fontFile.c_str());
    FT_Done_FreeType(library);
    return false;
  }
  FT_Set_Pixel_Sizes(face, 0, style.pixelHeight);
  const uint32_t cell = style.cellSize;
  const uint32_t side = cell * 16;
  font.colour = PictureData(side, side);
  font.alpha = PictureData(side, side);
  font.alpha.Fill(0xFF000000);
  font.widths.assign(256, 0);
  // Baseline so that capitals and descenders both fit in the cell.
  const int ascender = static_cast<int>(face->size->metrics.ascender >> 6);
  const int descender = static_cast<int>(-(face->size->metrics.descender >> 6));
  const int baseline = static_cast<int>(cell) / 2 + (ascender - descender) / 2;

  std::vector<float> coverage(cell * cell);
  const int rim = std::max(0, style.outline);
  for (int character = kFirstCharacter; character <= kLastCharacter; ++character) {
    if (FT_Load_Char(face, static_cast<FT_ULong>(character), FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot slot = face->glyph;
    const int advance = std::min(static_cast<int>(cell), static_cast<int>((slot->advance.x + 32) >> 6));
    const int glyph = character - kFirstCharacter;
    // The glyph's coverage in its cell: the advance box is centred, the glyph sits in it at its bearing.
    std::fill(coverage.begin(), coverage.end(), 0.0f);
    const int left = (static_cast<int>(cell) - advance) / 2 + slot->bitmap_left;
    const int top = baseline - slot->bitmap_top;
    for (unsigned row = 0; row < slot->bitmap.rows; ++row) {
      for (unsigned column = 0; column < slot->bitmap.width; ++column) {
        const int x = left + static_cast<int>(column);
        const int y = top + static_cast<int>(row);
        if (x < 0 || y < 0 || x >= static_cast<int>(cell) || y >= static_cast<int>(cell)) continue;
        coverage[y * cell + x] = slot->bitmap.buffer[row * slot->bitmap.pitch + column] / 255.0f;
      }
    }
    for (int set = 0; set < 2; ++set) {
      const int index = glyph + set * kHighlightOffset;
      font.widths[index] = advance;
      const uint32_t cellX = (index % 16) * cell;
      const uint32_t cellY = (index / 16) * cell;
      const uint32_t colour = set == 0 ? style.normalColour : style.highlightColour;
      for (uint32_t y = 0; y < cell; ++y) {
        for (uint32_t x = 0; x < cell; ++x) {
          float ring = 0;
          for (int dy = -rim; dy <= rim; ++dy) {
            for (int dx = -rim; dx <= rim; ++dx) {
              const int sx = static_cast<int>(x) + dx, sy = static_cast<int>(y) + dy;
              if (dx * dx + dy * dy > rim * rim + rim || sx < 0 || sy < 0 || sx >= static_cast<int>(cell) ||
                  sy >= static_cast<int>(cell)) {
                continue;
              }
              ring = std::max(ring, coverage[sy * cell + sx]);
            }
          }
          const float inside = coverage[y * cell + x];
          font.colour.Set(cellX + x, cellY + y, Mix(style.outlineColour, colour, rim > 0 ? inside : 1.0f));
          const uint32_t a = static_cast<uint32_t>(std::max(inside, ring) * 255.0f + 0.5f);
          font.alpha.Set(cellX + x, cellY + y, 0xFF000000u | a << 16 | a << 8 | a);
        }
      }
    }
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  return true;
}

std::string FormatWidthTable(const std::vector<int>& widths, const std::string& title) {
  std::string text = "# Advance of each glyph of " + title + ", in texels of its picture\n[Char Widths]\n";
  for (size_t glyph = 0; glyph < widths.size(); ++glyph) {
    if (widths[glyph] == 0) continue;
    text += std::to_string(glyph) + " = " + std::to_string(widths[glyph]) + "\n";
  }
  return text;
}

bool WriteFont(const std::string& folder, const std::string& baseName, const FontStyle& style) {
  RenderedFont font;
  if (!RenderFont(style, font)) return false;
  const std::string base = folder + "/" + baseName;
  const std::string table = FormatWidthTable(font.widths, baseName);
  return WritePng(base + ".png", font.colour, false) && WritePng(base + "a.png", font.alpha, false) &&
         WriteContentFile(base + ".ini", std::vector<uint8_t>(table.begin(), table.end()));
}

}  // namespace contentgen
