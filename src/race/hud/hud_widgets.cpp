// HUD quads and text lines: vertices kept on the CPU and drawn straight from memory each frame.
#include "race/hud/hud_widgets.h"

#include "platform/math/math.h"
#include "render/resources/bitmap_font.h"
#include "render/resources/image_resource.h"

namespace race {

namespace {
constexpr float kDegreesToRadians = 0.017453292f;
constexpr int32_t kGlyphCells = 16;
constexpr int32_t kFirstCharacter = 32;
constexpr int32_t kHighlightOffset = 128;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

void WriteCorners(std::array<HudVertex, 4>& quad, bool centred, float width, float height) {
  const float left = centred ? -width / 2 : 0.0f;
  const float top = centred ? height / 2 : 0.0f;
  const float right = left + width;
  const float bottom = top - height;
  const float xs[4] = {left, right, right, left};
  const float ys[4] = {top, top, bottom, bottom};
  for (int i = 0; i < 4; ++i) {
    quad[static_cast<size_t>(i)].x = xs[i];
    quad[static_cast<size_t>(i)].y = ys[i];
    quad[static_cast<size_t>(i)].z = 0.0f;
    quad[static_cast<size_t>(i)].diffuse = kWhite;
  }
}
}  // namespace

std::string WholeNumberText(double value) {
  constexpr double kLimit = 1e15;
  if (!(value == value)) return "0";
  if (value > kLimit) value = kLimit;
  if (value < -kLimit) value = -kLimit;
  return std::to_string(static_cast<long long>(value));
}

platform::Vec2 HudViewOrigin(float x, float y, uint32_t screenWidth, uint32_t screenHeight) {
  return {x - static_cast<float>(screenWidth) * 0.5f, -(y - static_cast<float>(screenHeight) * 0.5f)};
}

HudSprite::HudSprite(render::ImageResource* image, float x, float y, float width, float height, float leftU,
                     float topV, float rightU, float bottomV, bool centred, uint32_t screenWidth,
                     uint32_t screenHeight)
    : image(image), centred(centred), screenWidth(screenWidth), screenHeight(screenHeight) {
  WriteCorners(quad, centred, width, height);
  const float us[4] = {leftU, rightU, rightU, leftU};
  const float vs[4] = {topV, topV, bottomV, bottomV};
  for (size_t i = 0; i < 4; ++i) {
    quad[i].u = us[i];
    quad[i].v = vs[i];
  }
  SetPosition(x, y);
}

void HudSprite::SetPosition(float newX, float newY) {
  x = newX;
  y = newY;
  origin = HudViewOrigin(x, y, screenWidth, screenHeight);
}

void HudSprite::Resize(float newWidth, float newHeight) { WriteCorners(quad, centred, newWidth, newHeight); }

platform::Matrix4 HudSprite::PlacementView() const {
  const platform::Matrix4 translation = platform::TranslationMatrix(origin.x, origin.y, 1.0f);
  if (angle == 0.0f) return translation;
  return platform::RotationZMatrix(angle * kDegreesToRadians) * translation;
}

void HudSprite::Draw(platform::gfx::Device* device) const { Submit(device, PlacementView(), true); }

void HudSprite::DrawRotated(platform::gfx::Device* device) const { Submit(device, PlacementView(), false); }

void HudSprite::DrawWithView(platform::gfx::Device* device, const platform::Matrix4& view) const {
  Submit(device, view, true);
}

void HudSprite::Submit(platform::gfx::Device* device, const platform::Matrix4& view, bool bindImage) const {
  if (device == nullptr) return;
  device->SetVertexShader(kHudVertexFormat);
  if (bindImage) {
    platform::gfx::Texture* texture = render::GetImageTexture(image);
    if (texture != nullptr) device->SetTexture(0, texture);
  }
  device->SetTransform(platform::gfx::TransformState::View, view);
  device->DrawPrimitiveUP(platform::gfx::PrimitiveType::TriangleFan, 2, quad.data(), sizeof(HudVertex));
}

HudLabel::HudLabel(render::ImageResource* fontImage, render::BitmapFont* font, std::string text, float x, float y,
                   float scale, bool highlight, int32_t align, uint32_t screenWidth, uint32_t screenHeight)
    : fontImage(fontImage),
      font(font),
      text(std::move(text)),
      x(x),
      y(y),
      scale(scale),
      highlight(highlight),
      align(align),
      screenWidth(screenWidth),
      screenHeight(screenHeight) {}

void HudLabel::Build(const std::string& newText, float newX, float newY, float newScale, bool newHighlight,
                     int32_t newAlign) {
  text = newText;
  x = newX;
  y = newY;
  scale = newScale;
  highlight = newHighlight;
  align = newAlign;
}

namespace {
int32_t GlyphOf(char c, bool highlight) {
  return static_cast<unsigned char>(c) - kFirstCharacter + (highlight ? kHighlightOffset : 0);
}
float GlyphAdvance(const render::BitmapFont* font, int32_t glyph) {
  if (font == nullptr || glyph < 0 || glyph > 255) return 0.0f;
  return static_cast<float>(font->widths[static_cast<size_t>(glyph)] + font->widthAdjustment);
}
}  // namespace

float HudLabel::TextWidth() const {
  const float spacing = font != nullptr ? font->letterSpacing : 0.0f;
  float width = 0;
  for (char c : text) width += (GlyphAdvance(font, GlyphOf(c, highlight)) + spacing) * scale;
  return width;
}

float HudLabel::LeftEdge() const {
  if (align == kHudAlignRight) return x - TextWidth();
  if (align == kHudAlignCentre) return x - TextWidth() / 2;
  return x;
}

void HudLabel::Draw(platform::gfx::Device* device) const {
  if (device == nullptr || text.empty()) return;
  const uint32_t imageWidth = render::GetImageWidth(fontImage);
  const float cell = static_cast<float>(imageWidth / kGlyphCells) * scale;
  const float texel = imageWidth > 0 ? 1.0f / static_cast<float>(imageWidth) : 0.0f;
  const float spacing = font != nullptr ? font->letterSpacing : 0.0f;
  std::vector<HudVertex> vertices;
  vertices.reserve(text.size() * 6);
  float pen = 0;
  for (char c : text) {
    const int32_t glyph = GlyphOf(c, highlight);
    const float advance = GlyphAdvance(font, glyph);
    if (glyph >= 0 && glyph <= 255 && advance > 0) {
      const float row = static_cast<float>(glyph / kGlyphCells);
      const float column = static_cast<float>(glyph % kGlyphCells);
      const float centreU = (column + 0.5f) / kGlyphCells;
      const float halfU = advance * texel / 2;
      const float top = row / kGlyphCells + texel, bottom = (row + 1) / kGlyphCells - texel;
      const float left = pen, right = pen + advance * scale;
      const HudVertex tl{left, 0, 0, kWhite, centreU - halfU, top};
      const HudVertex tr{right, 0, 0, kWhite, centreU + halfU, top};
      const HudVertex br{right, -cell, 0, kWhite, centreU + halfU, bottom};
      const HudVertex bl{left, -cell, 0, kWhite, centreU - halfU, bottom};
      for (const HudVertex& v : {tl, tr, br, tl, br, bl}) vertices.push_back(v);
    }
    pen += (advance + spacing) * scale;
  }
  if (vertices.empty()) return;
  // y is the top edge of the line.
  const platform::Vec2 origin = HudViewOrigin(LeftEdge(), y, screenWidth, screenHeight);
  device->SetVertexShader(kHudVertexFormat);
  platform::gfx::Texture* texture = render::GetImageTexture(fontImage);
  if (texture != nullptr) device->SetTexture(0, texture);
  device->SetTransform(platform::gfx::TransformState::View,
                       platform::TranslationMatrix(origin.x, origin.y, 1.0f));
  device->DrawPrimitiveUP(platform::gfx::PrimitiveType::TriangleList, static_cast<uint32_t>(vertices.size() / 3),
                          vertices.data(), sizeof(HudVertex));
}

}  // namespace race
