// A line or block of text drawn from a bitmap font's 16 × 16 glyph grid, aligned per line, in the virtual screen.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frontend/widget_quad.h"
#include "platform/gfx/graphics.h"

namespace render {
class BitmapFont;
class ImageResource;
}

namespace frontend {

enum TextAlign : int32_t { kAlignLeft = 0, kAlignRight = 1, kAlignCentre = 2 };

class TextLabel {
 public:
  // Neither the font image nor the font is owned. alternate picks the second 128 glyphs of the font image.
  TextLabel(platform::gfx::Device* device, render::ImageResource* fontImage, render::BitmapFont* font,
            const std::string& text, float x, float y, float scale, bool alternate, int32_t align,
            uint32_t screenWidth, uint32_t screenHeight);
  ~TextLabel() { Release(); }
  TextLabel(const TextLabel&) = delete;
  TextLabel& operator=(const TextLabel&) = delete;

  // Places the label and rebuilds its quads when text, scale, alignment or glyph set changed. y is the top edge
  // of the first line; x the left edge, right edge or centre of every line by the alignment.
  void Build(platform::gfx::Device* device, const std::string& newText, float newX, float newY, float newScale,
             bool newAlternate, int32_t newAlign, uint32_t newScreenWidth, uint32_t newScreenHeight);
  void SetText(platform::gfx::Device* device, const std::string& newText);
  // Switches between the font's two glyph sets.
  void SetColor(platform::gfx::Device* device, bool newAlternate);
  void SetAltGlyphs(platform::gfx::Device* device, bool highlight) { SetColor(device, highlight); }
  // Moves the label without rebuilding its quads.
  void SetPosition(float newX, float newY, uint32_t newScreenWidth, uint32_t newScreenHeight);
  void Draw(platform::gfx::Device* device);
  void Release();

  // Advance of glyph g in font-image pixels before scaling (0 outside 0-255 or without a font).
  int32_t GlyphWidth(int32_t glyph) const;
  // Width of each line of a text at this label's scale and glyph set, in virtual pixels.
  std::vector<float> LineWidths(const std::string& forText) const;
  // The text with line breaks put between words so that no line is wider than maxWidth (virtual pixels) where
  // a break can help; a single word wider than that keeps its own line.
  std::string Wrapped(const std::string& forText, float maxWidth) const;

  std::string text;
  int32_t glyphCount = -1;
  uint32_t screenWidth = kVirtualWidth, screenHeight = kVirtualHeight;
  float x = 0, y = 0;
  float originX = 0, originY = 0;
  float scale = 1.0f;
  int32_t align = kAlignLeft;
  bool alternate = false;
  bool buffersCreated = false;
  render::ImageResource* fontImage = nullptr;
  render::BitmapFont* font = nullptr;
  platform::gfx::VertexBuffer* vertexBuffer = nullptr;
  platform::gfx::IndexBuffer* indexBuffer = nullptr;

 private:
  int32_t GlyphOf(char c) const;
  float CellSize() const;
  void ReleaseBuffers();
};

}  // namespace frontend
