// The rules of the garage's display elements: upgrade-name wrapping, the money counter, the colour selector's
// placement and the geometry of a stat bar. The garage screen turns them into widgets.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frontend/text_label.h"
#include "platform/gfx/graphics.h"

namespace render {
class BitmapFont;
class ImageResource;
}

namespace screens {

// Characters per line of an upgrade name.
inline constexpr size_t kUpgradeNameLineLimit = 22;
// Where the lines of an upgrade name stand: centred on x, the first at y, each next one a row lower.
inline constexpr float kNameLineX = 526;
inline constexpr float kNameLineY = 43;
inline constexpr float kNameLineStep = 35;

// Cuts a text into lines of at most `limit` characters at the last space before the cut (the space is dropped).
// A word longer than the limit with no space before the cut is broken at the limit.
std::vector<std::string> WrapLines(const std::string& text, size_t limit);
// One label per wrapped line (scale 0.75, normal glyphs, centred at x 526, y 43 + 35 per line), appended to
// labels. Returns the number of labels added.
int WrapTextToWidth(platform::gfx::Device* device, render::ImageResource* fontImage, render::BitmapFont* font,
                    const std::string& text, std::vector<frontend::TextLabel*>& labels, size_t limit);

// The money figure on screen running toward the profile's money.
inline constexpr float kMoneyCountRate = 100000.0f;  // dollars per second
struct MoneyCounter {
  float displayed = 0;
  // Moves toward target by kMoneyCountRate x dt (seconds) without passing it. True while the figure moved.
  bool Advance(float target, float dt);
};

// Wraps index + step into 0..count-1 (0 when count is 0).
int32_t WrapIndex(int32_t index, int32_t step, int32_t count);

// Where the colour selector puts its swatches and frame for `count` colours with `current` chosen.
struct SwatchPlace {
  int32_t swatch;
  float x, y;
};
struct ColorSelectorLayout {
  std::vector<SwatchPlace> swatches;
  float frameX = 400, frameY = 449;
  bool hasFrame = false;
};
ColorSelectorLayout LayoutSwatches(int32_t count, int32_t current);

// One quad of a stat bar: position and size in virtual pixels, atlas rectangle in pixels.
struct StatBarQuad {
  float x, y, width, height;
  float left, top, right, bottom;
};
inline constexpr float kStatBarWidth = 110;
inline constexpr float kStatBarHeight = 16;
// The three quads of a bar comparing the upgraded value with the base value (both 0..1), drawn in this order:
// the smaller value's bar, the fill to the larger one (gain and loss in different colours), the frame.
std::vector<StatBarQuad> StatBarQuads(float x, float y, float upgraded, float base);

}  // namespace screens
