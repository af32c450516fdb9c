// Wrapping, counting, selector placement and stat-bar geometry of the garage display.
#include "screens/garage_widgets.h"

#include <algorithm>
#include <cmath>

#include "frontend/sprite.h"

namespace screens {

std::vector<std::string> WrapLines(const std::string& text, size_t limit) {
  std::vector<std::string> lines;
  if (limit == 0) limit = 1;
  size_t start = 0;
  while (text.size() - start > limit) {
    // The last space within the first limit + 1 characters: a line of exactly `limit` may end at it.
    const size_t window = text.rfind(' ', start + limit);
    if (window != std::string::npos && window > start) {
      lines.push_back(text.substr(start, window - start));
      start = window + 1;
    } else {
      // No space to cut at: break the word itself so that every line still fits.
      lines.push_back(text.substr(start, limit));
      start += limit;
    }
  }
  lines.push_back(text.substr(start));
  return lines;
}

int WrapTextToWidth(platform::gfx::Device* device, render::ImageResource* fontImage, render::BitmapFont* font,
                    const std::string& text, std::vector<frontend::TextLabel*>& labels, size_t limit) {
  const std::vector<std::string> lines = WrapLines(text, limit);
  for (size_t i = 0; i < lines.size(); ++i) {
    labels.push_back(new frontend::TextLabel(device, fontImage, font, lines[i], kNameLineX,
                                             kNameLineY + kNameLineStep * static_cast<float>(i), 0.75f, false,
                                             frontend::kAlignCentre, frontend::kVirtualWidth,
                                             frontend::kVirtualHeight));
  }
  return static_cast<int>(lines.size());
}

bool MoneyCounter::Advance(float target, float dt) {
  if (displayed == target) return false;
  const float step = kMoneyCountRate * std::max(dt, 0.0f);
  if (displayed < target) {
    displayed = std::min(target, displayed + step);
  } else {
    displayed = std::max(target, displayed - step);
  }
  return true;
}

int32_t WrapIndex(int32_t index, int32_t step, int32_t count) {
  if (count <= 0) return 0;
  int32_t next = index + step;
  if (next < 0) next = count - 1;
  if (next >= count) next = 0;
  return next;
}

ColorSelectorLayout LayoutSwatches(int32_t count, int32_t current) {
  ColorSelectorLayout layout;
  if (count <= 0) return layout;
  current = std::clamp(current, 0, count - 1);
  layout.hasFrame = true;
  if (count >= 3) {
    layout.swatches = {{WrapIndex(current, -1, count), 370, 456},
                       {current, 400, 456},
                       {WrapIndex(current, 1, count), 430, 456}};
    layout.frameX = 397;
  } else {
    for (int32_t k = 0; k < count; ++k) layout.swatches.push_back({k, 380.0f + 40.0f * k, 456});
    layout.frameX = 376.0f + 40.0f * current;
  }
  layout.frameY = 449;
  return layout;
}

std::vector<StatBarQuad> StatBarQuads(float x, float y, float upgraded, float base) {
  const float low = std::clamp(std::min(upgraded, base), 0.0f, 1.0f);
  const float high = std::clamp(std::max(upgraded, base), 0.0f, 1.0f);
  const bool gain = upgraded > base;
  return {
      {x, y, kStatBarWidth * low, kStatBarHeight, 4, 103, 4 + 109 * low, 118},
      gain ? StatBarQuad{x, y, kStatBarWidth * high, kStatBarHeight, 20, 121, 22, 136}
           : StatBarQuad{x, y, kStatBarWidth * high, kStatBarHeight, 85, 121, 87, 136},
      {x, y, kStatBarWidth, kStatBarHeight, 20, 85, 102, 100},
  };
}

}  // namespace screens
