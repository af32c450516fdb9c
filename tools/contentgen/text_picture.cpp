// FreeType text set into pictures: glyph coverage blended over the picture, with an optional outline.
#include "contentgen/text_picture.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace contentgen {

namespace {

struct Face {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  explicit Face(const TextStyle& style) {
    if (FT_Init_FreeType(&library) != 0) return;
    if (FT_New_Face(library, style.fontFile.c_str(), 0, &face) != 0) {
      std::fprintf(stderr, "contentgen: cannot read font %s\n", style.fontFile.c_str());
      face = nullptr;
      return;
    }
    FT_Set_Pixel_Sizes(face, style.pixelWidth, style.pixelHeight);
  }
  ~Face() {
    if (face != nullptr) FT_Done_Face(face);
    if (library != nullptr) FT_Done_FreeType(library);
  }
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;
};

uint32_t Blend(uint32_t under, uint32_t over, float coverage) {
  const float a = coverage * static_cast<float>(over >> 24) / 255.0f;
  uint32_t out = 0;
  for (int shift : {0, 8, 16}) {
    const float c = static_cast<float>((over >> shift) & 0xFF) * a + static_cast<float>((under >> shift) & 0xFF) * (1 - a);
    out |= static_cast<uint32_t>(std::clamp(c, 0.0f, 255.0f) + 0.5f) << shift;
  }
  const float under_a = static_cast<float>(under >> 24) / 255.0f;
  const float alpha = a + under_a * (1 - a);
  return out | static_cast<uint32_t>(alpha * 255.0f + 0.5f) << 24;
}

uint32_t Lerp(uint32_t a, uint32_t b, float t) {
  uint32_t out = 0;
  for (int shift : {0, 8, 16, 24}) {
    const float c = static_cast<float>((a >> shift) & 0xFF) * (1 - t) + static_cast<float>((b >> shift) & 0xFF) * t;
    out |= static_cast<uint32_t>(c + 0.5f) << shift;
  }
  return out;
}

}  // namespace

std::string GameFontFile() { return "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"; }

int MeasureText(const TextStyle& style, const std::string& text) {
  Face f(style);
  if (f.face == nullptr) return 0;
  int width = 0;
  for (unsigned char c : text) {
    if (FT_Load_Char(f.face, c, FT_LOAD_DEFAULT) == 0) width += static_cast<int>((f.face->glyph->advance.x + 32) >> 6);
  }
  return width;
}

bool DrawText(PictureData& picture, const TextStyle& style, const std::string& text, int x, int baseline,
              int alignment) {
  Face f(style);
  if (f.face == nullptr) return false;
  const int width = MeasureText(style, text);
  int pen = alignment == 2 ? x - width / 2 : alignment == 1 ? x - width : x;
  const int ascender = static_cast<int>(f.face->size->metrics.ascender >> 6);
  const int descender = static_cast<int>(-(f.face->size->metrics.descender >> 6));
  const int o = style.outline;
  // Coverage of the whole line first, so outlines never cover a neighbouring glyph.
  const int lineTop = baseline - ascender - o, lineHeight = ascender + descender + 2 * o + 1;
  const int lineLeft = pen - o, lineWidth = width + 2 * o + 2;
  std::vector<float> coverage(static_cast<size_t>(lineWidth * lineHeight), 0.0f);
  for (unsigned char c : text) {
    if (FT_Load_Char(f.face, c, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot slot = f.face->glyph;
    for (unsigned row = 0; row < slot->bitmap.rows; ++row) {
      for (unsigned column = 0; column < slot->bitmap.width; ++column) {
        const int gx = pen + slot->bitmap_left + static_cast<int>(column) - lineLeft;
        const int gy = baseline - slot->bitmap_top + static_cast<int>(row) - lineTop;
        if (gx < 0 || gy < 0 || gx >= lineWidth || gy >= lineHeight) continue;
        float& cell = coverage[static_cast<size_t>(gy * lineWidth + gx)];
        cell = std::max(cell, slot->bitmap.buffer[row * slot->bitmap.pitch + column] / 255.0f);
      }
    }
    pen += static_cast<int>((slot->advance.x + 32) >> 6);
  }
  for (int gy = 0; gy < lineHeight; ++gy) {
    for (int gx = 0; gx < lineWidth; ++gx) {
      const int px = lineLeft + gx, py = lineTop + gy;
      if (px < 0 || py < 0 || px >= static_cast<int>(picture.width) || py >= static_cast<int>(picture.height)) continue;
      float ring = 0;
      for (int dy = -o; dy <= o; ++dy) {
        for (int dx = -o; dx <= o; ++dx) {
          const int sx = gx + dx, sy = gy + dy;
          if (dx * dx + dy * dy > o * o + o || sx < 0 || sy < 0 || sx >= lineWidth || sy >= lineHeight) continue;
          ring = std::max(ring, coverage[static_cast<size_t>(sy * lineWidth + sx)]);
        }
      }
      const float glyph = coverage[static_cast<size_t>(gy * lineWidth + gx)];
      uint32_t texel = picture.Get(static_cast<uint32_t>(px), static_cast<uint32_t>(py));
      if (o > 0 && ring > 0) texel = Blend(texel, style.outlineColour, ring);
      if (glyph > 0) {
        const float t = std::clamp(static_cast<float>(gy - o) / static_cast<float>(std::max(1, ascender)), 0.0f, 1.0f);
        texel = Blend(texel, Lerp(style.colourTop, style.colourBottom, t), glyph);
      }
      picture.Set(static_cast<uint32_t>(px), static_cast<uint32_t>(py), texel);
    }
  }
  return true;
}

}  // namespace contentgen
