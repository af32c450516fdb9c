// Draws the sample menu pictures: flat panels, bars and simple icons in the game's colours.
#include "contentgen/menu_content.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "contentgen/text_picture.h"

namespace contentgen {

namespace {

void FillRect(PictureData& picture, uint32_t left, uint32_t top, uint32_t right, uint32_t bottom, uint32_t argb) {
  for (uint32_t y = top; y < bottom && y < picture.height; ++y) {
    for (uint32_t x = left; x < right && x < picture.width; ++x) picture.Set(x, y, argb);
  }
}

// A vertical gradient from one colour to another, alpha kept from `from`.
void GradientRect(PictureData& picture, uint32_t left, uint32_t top, uint32_t right, uint32_t bottom, uint32_t from,
                  uint32_t to) {
  const uint32_t span = bottom > top + 1 ? bottom - top - 1 : 1;
  for (uint32_t y = top; y < bottom && y < picture.height; ++y) {
    uint32_t colour = from & 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
      const uint32_t a = (from >> shift) & 0xFF;
      const uint32_t b = (to >> shift) & 0xFF;
      colour |= ((a * (span - (y - top)) + b * (y - top)) / span) << shift;
    }
    for (uint32_t x = left; x < right && x < picture.width; ++x) picture.Set(x, y, colour);
  }
}

void Outline(PictureData& picture, uint32_t left, uint32_t top, uint32_t right, uint32_t bottom, uint32_t argb) {
  FillRect(picture, left, top, right, top + 2, argb);
  FillRect(picture, left, bottom - 2, right, bottom, argb);
  FillRect(picture, left, top, left + 2, bottom, argb);
  FillRect(picture, right - 2, top, right, bottom, argb);
}

void Cross(PictureData& picture, uint32_t left, uint32_t top, uint32_t size, uint32_t argb) {
  for (uint32_t i = 4; i + 4 < size; ++i) {
    for (uint32_t t = 0; t < 3; ++t) {
      picture.Set(left + i, top + i + t - 1, argb);
      picture.Set(left + size - 1 - i, top + i + t - 1, argb);
    }
  }
}

enum ArrowDirection { kArrowRight, kArrowLeft, kArrowUp };

// A filled triangle pointing one way inside the rectangle, with a dark rim.
void Arrow(PictureData& picture, uint32_t left, uint32_t top, uint32_t right, uint32_t bottom, ArrowDirection direction,
           uint32_t argb) {
  const float w = static_cast<float>(right - left), h = static_cast<float>(bottom - top);
  for (uint32_t y = top; y < bottom; ++y) {
    for (uint32_t x = left; x < right; ++x) {
      float u = (static_cast<float>(x - left) + 0.5f) / w, v = (static_cast<float>(y - top) + 0.5f) / h;
      if (direction == kArrowLeft) u = 1 - u;
      if (direction == kArrowUp) std::swap(u, v), u = 1 - u;
      // Inside: 0.2 <= u <= 0.8 and |v - 0.5| <= (0.8 - u) * 0.55.
      const float edge = std::min({u - 0.18f, (0.82f - u) * 0.55f - std::fabs(v - 0.5f)});
      if (edge >= 0.06f) {
        picture.Set(x, y, argb);
      } else if (edge >= -0.02f) {
        picture.Set(x, y, 0xE0101010);
      }
    }
  }
}

// A panel with rounded corners, a fill and a one-texel border.
void Panel(PictureData& picture, uint32_t left, uint32_t top, uint32_t right, uint32_t bottom, uint32_t radius,
           uint32_t fill, uint32_t border) {
  for (uint32_t y = top; y < bottom; ++y) {
    for (uint32_t x = left; x < right; ++x) {
      const float cx = std::clamp(static_cast<float>(x) + 0.5f, static_cast<float>(left + radius),
                                  static_cast<float>(right - radius));
      const float cy = std::clamp(static_cast<float>(y) + 0.5f, static_cast<float>(top + radius),
                                  static_cast<float>(bottom - radius));
      const float d = std::hypot(static_cast<float>(x) + 0.5f - cx, static_cast<float>(y) + 0.5f - cy);
      const float r = static_cast<float>(radius);
      if (d > r) continue;
      picture.Set(x, y, d > r - 1.5f ? border : fill);
    }
  }
}

constexpr uint32_t kPanel = 0xC0101820;
constexpr uint32_t kPanelEdge = 0xE0304860;
constexpr uint32_t kAccent = 0xFFE0A020;
constexpr uint32_t kIcon = 0xFFD0D8E0;
constexpr uint32_t kLitBarTop = 0xF0203C64;
constexpr uint32_t kLitBarBottom = 0xF0101E34;
constexpr uint32_t kLitBarRim = 0xFF5080C0;

bool WritePair(const std::string& folder, const std::string& name, const std::string& alphaName,
               const PictureData& picture) {
  return WritePng(folder + name, picture, false) && WritePng(folder + alphaName, AlphaOf(picture), false);
}


PictureData MakeLogo() {
  // The header stretches this picture to 800 x 180, a little wider than tall: the letters are set narrower to
  // come out true.
  PictureData logo(512, 128);
  logo.Fill(0x00000000);
  TextStyle title;
  title.fontFile = GameFontFile();
  title.pixelWidth = 70;
  title.pixelHeight = 78;
  title.colourTop = 0xFFFFE070;
  title.colourBottom = 0xFFE06010;
  title.outlineColour = 0xF0101010;
  title.outline = 3;
  DrawText(logo, title, "CORSAIRE", 256, 86, 2);
  // A chequered rule under the name.
  for (uint32_t y = 100; y < 110; ++y) {
    for (uint32_t x = 56; x < 456; ++x) logo.Set(x, y, ((x / 5 + y / 5) % 2 == 0) ? 0xF0F0F0F0 : 0xF0181818);
  }
  return logo;
}

// The start-up notice; magenta is the transparent key. The screen shows its top 83 % stretched to 800 x 498,
// so the text is set a third taller than wide to come out true.
PictureData MakeNotice() {
  PictureData notice(1024, 1024);
  notice.Fill(0xFF000000);
  FillRect(notice, 0, 0, 1024, 6, 0xFFFF00FF);
  TextStyle heading;
  heading.fontFile = GameFontFile();
  heading.pixelWidth = 36;
  heading.pixelHeight = 48;
  heading.colourTop = 0xFFFFD060;
  heading.colourBottom = 0xFFE08020;
  DrawText(notice, heading, "NOTICE", 512, 120, 2);
  TextStyle body = heading;
  body.pixelWidth = 26;
  body.pixelHeight = 35;
  body.colourTop = body.colourBottom = 0xFFE8E8E8;
  const char* const lines[] = {
      "Corsaire is a game. Its streets, cars and drivers are",
      "imaginary, and its races are run on closed circuits.",
      "",
      "On real roads, obey the highway code, wear your seat",
      "belt and never race on public streets.",
      "",
      "Your settings and player profiles are kept in the",
      "game's folder. Take a break from time to time.",
  };
  int baseline = 240;
  for (const char* line : lines) {
    DrawText(notice, body, line, 80, baseline, 0);
    baseline += 66;
  }
  return notice;
}

}  // namespace

PictureData AlphaOf(const PictureData& picture) {
  PictureData alpha(picture.width, picture.height);
  for (uint32_t y = 0; y < picture.height; ++y) {
    for (uint32_t x = 0; x < picture.width; ++x) {
      const uint32_t a = picture.Get(x, y) >> 24;
      alpha.Set(x, y, 0xFF000000u | a << 16 | a << 8 | a);
    }
  }
  return alpha;
}

PictureData MakeButtonAtlas() {
  PictureData atlas(kButtonAtlasSize, kButtonAtlasSize);
  atlas.Fill(0x00000000);
  // Highlight bars of the text buttons and lit list rows (the widest is 3..421 x 2..39): deep blue under a pale
  // rim, so the amber and the white glyphs drawn on them both read as text does.
  GradientRect(atlas, 3, 2, 421, 39, kLitBarTop, kLitBarBottom);
  FillRect(atlas, 3, 2, 421, 3, kLitBarRim);
  FillRect(atlas, 3, 38, 421, 39, kLitBarRim);
  // Single-texel "blank" faces: fully transparent, so a button shows only its text (their neighbours too, so
  // filtering never bleeds colour into them).
  FillRect(atlas, 3, 143, 7, 147, 0x00000000);
  FillRect(atlas, 9, 87, 12, 90, 0x00000000);
  // Slider track (a see-through groove, so the knob drawn under it shows) and the stat bar, whose start also
  // serves as the slider knob.
  FillRect(atlas, 12, 86, 16, 92, 0x70C8D0DC);
  for (uint32_t x = 2; x < 116; ++x) {
    const float t = static_cast<float>(x - 2) / 113.0f;
    const uint32_t g = 0xB0 - static_cast<uint32_t>(t * 0x50);
    GradientRect(atlas, x, 102, x + 1, 120, 0xFF000000u | 0xFF0000u | g << 8 | 0x30u, 0xFF000000u | 0xC00000u | (g - 0x30) << 8 | 0x10u);
  }
  FillRect(atlas, 2, 102, 116, 103, 0xFFFFE8A0);
  // Stat-bar fills drawn over the bar: a gain in green, an unchanged or lower value in a pale veil.
  FillRect(atlas, 17, 120, 26, 138, 0x9040E060);
  FillRect(atlas, 82, 120, 91, 138, 0x40FFFFFF);
  // Stat-bar frame; its middle columns, stretched, are the plain list row: a line above and below.
  FillRect(atlas, 20, 85, 102, 86, 0xE0D0D8E0);
  FillRect(atlas, 20, 99, 102, 100, 0xE0D0D8E0);
  FillRect(atlas, 20, 85, 21, 100, 0xE0D0D8E0);
  FillRect(atlas, 101, 85, 102, 100, 0xE0D0D8E0);
  // Price panel, also the face of the Automatic and Manual buttons.
  Panel(atlas, 3, 45, 152, 75, 8, 0xD0182430, 0xFF8898B0);
  // Arrows: right (mirrored for left) and up (flipped for down), plain and lit.
  Arrow(atlas, 170, 44, 195, 67, kArrowRight, kIcon);
  Arrow(atlas, 170, 69, 195, 92, kArrowRight, kAccent);
  Arrow(atlas, 199, 43, 220, 66, kArrowUp, kIcon);
  Arrow(atlas, 199, 68, 220, 91, kArrowUp, kAccent);
  // The garage's stat panel (stretched wide), its bottom bar (left cap, middle, mirrored for the right cap),
  // the page-back panel and the upgrade name panel.
  GradientRect(atlas, 245, 43, 307, 107, 0xC8182430, 0xC8080C10);
  FillRect(atlas, 245, 43, 307, 45, kPanelEdge);
  FillRect(atlas, 245, 105, 307, 107, kPanelEdge);
  Panel(atlas, 312, 43, 345, 72, 14, 0xC8101820, 0xFF8898B0);
  FillRect(atlas, 326, 45, 345, 70, 0xC8101820);
  Panel(atlas, 315, 77, 365, 108, 6, 0xD0182430, 0xFF8898B0);
  Panel(atlas, 59, 235, 455, 270, 6, 0xD0182430, kAccent);
  // Back button face with a chevron at its start (mirrored, the Next button points on).
  GradientRect(atlas, 297, 168, 455, 196, 0xF0405870, 0xF0203040);
  Outline(atlas, 297, 168, 455, 196, 0xFF7088A0);
  Arrow(atlas, 301, 173, 315, 191, kArrowLeft, kIcon);
  // Buy / Upgrade / Purchase / Install / Remove.
  GradientRect(atlas, 154, 475, 279, 508, 0xF0506880, 0xF0203040);
  Outline(atlas, 154, 475, 279, 508, kAccent);
  // Full-screen icon (normal and highlighted) and the close icon.
  FillRect(atlas, 428, 1, 475, 30, kPanel);
  Outline(atlas, 434, 6, 469, 26, kIcon);
  FillRect(atlas, 428, 34, 475, 62, kAccent);
  Outline(atlas, 434, 38, 469, 58, 0xFF202020);
  FillRect(atlas, 481, 1, 509, 30, kPanel);
  Cross(atlas, 481, 2, 28, kIcon);
  FillRect(atlas, 481, 34, 509, 62, kAccent);
  Cross(atlas, 481, 34, 28, 0xFF202020);
  // Options panel: tab, left edge, body strip, right edge.
  GradientRect(atlas, 247, 120, 508, 163, 0xE0283850, 0xE0101820);
  FillRect(atlas, 459, 164, 460, 508, kPanelEdge);
  FillRect(atlas, 460, 164, 486, 508, kPanel);
  FillRect(atlas, 486, 164, 508, 508, kPanel);
  FillRect(atlas, 504, 164, 508, 508, kPanelEdge);
  // Dialog frame: left edge, body strip, right edge.
  FillRect(atlas, 3, 204, 21, 509, kPanel);
  FillRect(atlas, 3, 204, 6, 509, kPanelEdge);
  FillRect(atlas, 22, 204, 25, 509, kPanel);
  FillRect(atlas, 36, 204, 55, 509, kPanel);
  FillRect(atlas, 52, 204, 55, 509, kPanelEdge);
  // Title bars (and the loading screen's top bar): rounded left cap, body, rounded right cap.
  Panel(atlas, 135, 442, 279, 474, 10, 0xE0283850, 0xFF6078A0);
  GradientRect(atlas, 137, 444, 277, 472, 0xE0344A66, 0xE0101820);
  return atlas;
}

PictureData MakePointer() {
  // The arrow keeps a clear border: a filtered texture's edge texels blend with the opposite edge's, and an
  // outline on the edge showed as a stray line beside the pointer.
  PictureData pointer(32, 32);
  pointer.Fill(0x00000000);
  for (uint32_t y = 0; y < 24; ++y) {
    const uint32_t width = y / 2 + y / 4;
    for (uint32_t x = 0; x <= width && x < 18; ++x) {
      pointer.Set(x + 1, y + 1, x == 0 || x == width ? 0xFF000000 : 0xFFFFFFFF);
    }
  }
  return pointer;
}

bool WriteMenuContent(const std::string& gameFolder) {
  const std::string folder = gameFolder + "/MENUS/";
  if (!WritePair(folder, "button.png", "buttonalpha.png", MakeButtonAtlas())) return false;

  if (!WritePair(folder, "pointer.png", "pointeralpha.png", MakePointer())) return false;

  if (!WritePair(folder, "logo.png", "logoalpha.png", MakeLogo())) return false;

  PictureData panel(512, 512);
  panel.Fill(0x00000000);
  FillRect(panel, 1, 0, 418, 418, kPanel);
  FillRect(panel, 1, 0, 4, 418, kPanelEdge);
  FillRect(panel, 418, 0, 423, 418, kPanel);
  if (!WritePair(folder, "menubk.png", "menubkalpha.png", panel)) return false;

  PictureData cap(512, 32);
  cap.Fill(0x00000000);
  GradientRect(cap, 1, 0, 418, 20, 0xE0304860, 0xE0182430);
  if (!WritePair(folder, "menubkCap.png", "menubkCapalpha.png", cap)) return false;

  if (!WritePng(folder + "disclaimer.png", MakeNotice(), false)) return false;

  PictureData loading(256, 256);
  GradientRect(loading, 0, 0, 256, 256, 0xFF203048, 0xFF080C10);
  FillRect(loading, 0, 180, 256, 184, kAccent);
  return WritePair(folder, "loading.png", "loading_alpha.png", loading);
}

}  // namespace contentgen
