// Text label layout: per-line widths from the font's width table, one centred glyph quad per character.
#include "frontend/text_label.h"

#include "platform/math/math.h"
#include "render/resources/bitmap_font.h"
#include "render/resources/image_resource.h"

namespace frontend {

namespace {
constexpr int32_t kGlyphCells = 16;
constexpr int32_t kFirstCharacter = 32;
constexpr int32_t kAlternateGlyphOffset = 128;
}  // namespace

TextLabel::TextLabel(platform::gfx::Device* device, render::ImageResource* fontImage, render::BitmapFont* font,
                     const std::string& text, float x, float y, float scale, bool alternate, int32_t align,
                     uint32_t screenWidth, uint32_t screenHeight)
    : screenWidth(screenWidth),
      screenHeight(screenHeight),
      scale(scale),
      align(align),
      alternate(alternate),
      fontImage(fontImage),
      font(font) {
  // The stored scale, alignment and glyph set equal the new ones, so Build must not take the no-change path
  // on the first call: the stored text is empty and no buffer exists yet.
  Build(device, text, x, y, scale, alternate, align, screenWidth, screenHeight);
}

float TextLabel::CellSize() const {
  return static_cast<float>(render::GetImageWidth(fontImage) / kGlyphCells);
}

int32_t TextLabel::GlyphOf(char c) const {
  const int32_t code = static_cast<unsigned char>(c);
  return code - kFirstCharacter + (alternate ? kAlternateGlyphOffset : 0);
}

int32_t TextLabel::GlyphWidth(int32_t glyph) const {
  if (font == nullptr || glyph < 0 || glyph > 255) return 0;
  return font->widths[static_cast<size_t>(glyph)] + font->widthAdjustment;
}

std::vector<float> TextLabel::LineWidths(const std::string& forText) const {
  const float spacing = font != nullptr ? font->letterSpacing : 0.0f;
  std::vector<float> widths(1, 0.0f);
  for (char c : forText) {
    if (c == '\n') widths.push_back(0.0f);
    widths.back() += (static_cast<float>(GlyphWidth(GlyphOf(c))) + spacing) * scale;
  }
  return widths;
}

std::string TextLabel::Wrapped(const std::string& forText, float maxWidth) const {
  std::string result;
  std::string line;
  size_t start = 0;
  while (start <= forText.size()) {
    size_t end = forText.find_first_of(" \n", start);
    if (end == std::string::npos) end = forText.size();
    const std::string word = forText.substr(start, end - start);
    const std::string longer = line.empty() ? word : line + " " + word;
    if (!line.empty() && LineWidths(longer).front() > maxWidth) {
      result += line + "\n";
      line = word;
    } else {
      line = longer;
    }
    if (end < forText.size() && forText[end] == '\n') {
      result += line + "\n";
      line.clear();
    }
    start = end + 1;
  }
  return result + line;
}

void TextLabel::SetPosition(float newX, float newY, uint32_t newScreenWidth, uint32_t newScreenHeight) {
  x = newX;
  y = newY;
  screenWidth = newScreenWidth;
  screenHeight = newScreenHeight;
  originX = newX - static_cast<float>(screenWidth / 2);
  originY = -(newY - static_cast<float>(screenHeight / 2)) - CellSize() * scale * 0.5f;
}

void TextLabel::ReleaseBuffers() {
  if (vertexBuffer != nullptr) vertexBuffer->Release();
  if (indexBuffer != nullptr) indexBuffer->Release();
  vertexBuffer = nullptr;
  indexBuffer = nullptr;
  buffersCreated = false;
}

void TextLabel::Build(platform::gfx::Device* device, const std::string& newText, float newX, float newY,
                      float newScale, bool newAlternate, int32_t newAlign, uint32_t newScreenWidth,
                      uint32_t newScreenHeight) {
  SetPosition(newX, newY, newScreenWidth, newScreenHeight);
  if (newText.empty()) {
    glyphCount = 0;
    return;
  }
  if (newText == text && newScale == scale && newAlign == align && newAlternate == alternate &&
      vertexBuffer != nullptr && glyphCount >= 0) {
    glyphCount = static_cast<int32_t>(text.size());
    return;
  }
  scale = newScale;
  align = newAlign;
  alternate = newAlternate;
  // A buffer that was never created must be made even when the length matches.
  const bool recreate = newText.size() != text.size() || vertexBuffer == nullptr || indexBuffer == nullptr;
  text = newText;
  if (recreate) ReleaseBuffers();
  glyphCount = static_cast<int32_t>(text.size());
  if (device == nullptr) return;

  const uint32_t count = static_cast<uint32_t>(text.size());
  if (recreate) {
    if (platform::Failed(device->CreateVertexBuffer(count * 4 * kWidgetVertexStride, platform::gfx::usage::kWriteOnly,
                                                    kWidgetVertexFormat, platform::gfx::Pool::Managed,
                                                    &vertexBuffer)) ||
        vertexBuffer == nullptr) {
      vertexBuffer = nullptr;
      buffersCreated = false;
      return;
    }
    buffersCreated = true;
  }

  const float cell = CellSize();
  const uint32_t imageWidth = render::GetImageWidth(fontImage);
  const float texel = imageWidth > 0 ? 1.0f / static_cast<float>(imageWidth) : 0.0f;
  const float spacing = font != nullptr ? font->letterSpacing : 0.0f;
  const std::vector<float> widths = LineWidths(text);
  auto lineStart = [&](size_t line) {
    if (align == kAlignRight) return -widths[line];
    if (align == kAlignCentre) return -widths[line] / 2.0f;
    return 0.0f;
  };

  uint8_t* data = nullptr;
  if (platform::Succeeded(vertexBuffer->Lock(0, 0, &data, 0)) && data != nullptr) {
    auto* quads = reinterpret_cast<WidgetVertex*>(data);
    size_t line = 0;
    float penX = lineStart(0);
    float top = cell * scale / 2.0f;
    for (uint32_t i = 0; i < count; ++i) {
      const char c = text[i];
      int32_t glyph = GlyphOf(c);
      // A line break opens the next line; it is written there as an empty glyph of its own advance.
      if (c == '\n') {
        ++line;
        penX = lineStart(line);
        top -= cell * scale;
      }
      const float w = static_cast<float>(GlyphWidth(glyph));
      if (c == '\n') glyph = 0;
      const float row = static_cast<float>(glyph / kGlyphCells);
      const float column = static_cast<float>(glyph % kGlyphCells);
      WidgetVertex* quad = quads + size_t{i} * 4;
      const float left = penX;
      const float right = c == '\n' ? penX : penX + w * scale;
      const float bottom = top - cell * scale;
      const float centreU = (column + 0.5f) / kGlyphCells;
      const float halfU = c == '\n' ? 0.0f : w * texel / 2.0f;
      const TexRect rect{centreU - halfU, row / kGlyphCells + texel, centreU + halfU, (row + 1.0f) / kGlyphCells - texel};
      const float xs[4] = {left, right, right, left};
      const float ys[4] = {top, top, bottom, bottom};
      for (int k = 0; k < 4; ++k) {
        quad[k].x = xs[k];
        quad[k].y = ys[k];
        quad[k].z = 0.0f;
        quad[k].diffuse = kOpaqueWhite;
      }
      WriteQuadTexCoords(quad, rect);
      penX += ((c == '\n' ? 0.0f : w) + spacing) * scale;
    }
    vertexBuffer->Unlock();
  }

  if (recreate) {
    if (platform::Failed(device->CreateIndexBuffer(count * 6 * sizeof(uint16_t), platform::gfx::usage::kWriteOnly,
                                                   platform::gfx::Format::Index16, platform::gfx::Pool::Managed,
                                                   &indexBuffer)) ||
        indexBuffer == nullptr) {
      indexBuffer = nullptr;
      return;
    }
    uint8_t* indexData = nullptr;
    if (platform::Succeeded(indexBuffer->Lock(0, 0, &indexData, 0)) && indexData != nullptr) {
      auto* indices = reinterpret_cast<uint16_t*>(indexData);
      for (uint32_t i = 0; i < count; ++i) {
        const auto base = static_cast<uint16_t>(4 * i);
        const uint16_t quad[6] = {base, static_cast<uint16_t>(base + 1), static_cast<uint16_t>(base + 2), base,
                                  static_cast<uint16_t>(base + 2), static_cast<uint16_t>(base + 3)};
        for (int k = 0; k < 6; ++k) indices[size_t{i} * 6 + k] = quad[k];
      }
      indexBuffer->Unlock();
    }
  }
}

void TextLabel::SetText(platform::gfx::Device* device, const std::string& newText) {
  Build(device, newText, x, y, scale, alternate, align, screenWidth, screenHeight);
}

void TextLabel::SetColor(platform::gfx::Device* device, bool newAlternate) {
  const std::string own = text;
  Build(device, own, x, y, scale, newAlternate, align, screenWidth, screenHeight);
}

void TextLabel::Draw(platform::gfx::Device* device) {
  if (device == nullptr || glyphCount < 1 || vertexBuffer == nullptr || indexBuffer == nullptr) return;
  const auto count = static_cast<uint32_t>(glyphCount);
  device->SetVertexShader(kWidgetVertexFormat);
  platform::gfx::Texture* texture = render::GetImageTexture(fontImage);
  if (texture != nullptr) device->SetTexture(0, texture);
  device->SetTransform(platform::gfx::TransformState::View, platform::TranslationMatrix(originX, originY, 1.0f));
  device->SetStreamSource(0, vertexBuffer, kWidgetVertexStride);
  device->SetIndices(indexBuffer, 0);
  device->DrawIndexedPrimitive(platform::gfx::PrimitiveType::TriangleList, 0, 4 * count, 0, 2 * count);
}

void TextLabel::Release() {
  font = nullptr;
  fontImage = nullptr;
  ReleaseBuffers();
  text.clear();
}

}  // namespace frontend
