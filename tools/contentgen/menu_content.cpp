// Draws the sample menu pictures: flat panels, bars and simple icons in the game's colours.
#include "contentgen/menu_content.h"

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

constexpr uint32_t kPanel = 0xC0101820;
constexpr uint32_t kPanelEdge = 0xE0304860;
constexpr uint32_t kAccent = 0xFFE0A020;
constexpr uint32_t kIcon = 0xFFD0D8E0;

bool WritePair(const std::string& folder, const std::string& name, const std::string& alphaName,
               const PictureData& picture) {
  return WritePng(folder + name, picture, false) && WritePng(folder + alphaName, AlphaOf(picture), false);
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
  // Highlight bars of the text buttons (the widest is 3..421 × 2..39).
  GradientRect(atlas, 3, 2, 421, 39, 0xE0F0B030, 0xE0A06010);
  // Single-texel "blank" faces: fully transparent, so a button shows only its text.
  FillRect(atlas, 4, 144, 5, 145, 0x00000000);
  FillRect(atlas, 10, 88, 11, 89, 0x00000000);
  // Full-screen icon (normal and highlighted) and the close icon.
  FillRect(atlas, 428, 2, 475, 30, kPanel);
  Outline(atlas, 434, 6, 469, 26, kIcon);
  FillRect(atlas, 428, 34, 475, 62, kAccent);
  Outline(atlas, 434, 38, 469, 58, 0xFF202020);
  FillRect(atlas, 481, 2, 509, 30, kPanel);
  Cross(atlas, 481, 2, 28, kIcon);
  FillRect(atlas, 481, 34, 509, 62, kAccent);
  Cross(atlas, 481, 34, 28, 0xFF202020);
  // Options panel: tab, left edge, body strip, right edge.
  GradientRect(atlas, 247, 120, 508, 163, 0xE0283850, 0xE0101820);
  FillRect(atlas, 459, 164, 460, 508, kPanelEdge);
  FillRect(atlas, 460, 164, 486, 508, kPanel);
  FillRect(atlas, 486, 164, 508, 508, kPanel);
  FillRect(atlas, 504, 164, 508, 508, kPanelEdge);
  // "Back" button face.
  GradientRect(atlas, 297, 168, 455, 196, 0xF0405870, 0xF0203040);
  // Dialog frame: left edge, body strip, right edge.
  FillRect(atlas, 3, 204, 21, 509, kPanel);
  FillRect(atlas, 3, 204, 6, 509, kPanelEdge);
  FillRect(atlas, 22, 204, 25, 509, kPanel);
  FillRect(atlas, 36, 204, 55, 509, kPanel);
  FillRect(atlas, 52, 204, 55, 509, kPanelEdge);
  // Top bar of the loading screen: left end, body, right end.
  GradientRect(atlas, 135, 442, 279, 474, 0xE0304860, 0xE0101820);
  return atlas;
}

bool WriteMenuContent(const std::string& gameFolder) {
  const std::string folder = gameFolder + "/MENUS/";
  if (!WritePair(folder, "button.png", "buttonalpha.png", MakeButtonAtlas())) return false;

  PictureData pointer(32, 32);
  pointer.Fill(0x00000000);
  for (uint32_t y = 0; y < 24; ++y) {
    for (uint32_t x = 0; x <= y / 2 + y / 4 && x < 18; ++x) pointer.Set(x, y, x == 0 || x == y / 2 + y / 4 ? 0xFF000000 : 0xFFFFFFFF);
  }
  if (!WritePair(folder, "pointer.png", "pointeralpha.png", pointer)) return false;

  PictureData logo(512, 128);
  logo.Fill(0x00000000);
  GradientRect(logo, 40, 30, 470, 100, 0xFFF0C040, 0xFFC06010);
  FillRect(logo, 40, 104, 470, 108, 0xFFE0E0E0);
  if (!WritePair(folder, "logo.png", "logoalpha.png", logo)) return false;

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

  // The notice: a dark page with text-like bars; magenta is the transparent key.
  PictureData disclaimer(512, 512);
  disclaimer.Fill(0xFF000000);
  FillRect(disclaimer, 0, 0, 512, 6, 0xFFFF00FF);
  FillRect(disclaimer, 156, 40, 356, 60, kAccent);
  for (uint32_t line = 0; line < 14; ++line) {
    const uint32_t top = 90 + line * 22;
    FillRect(disclaimer, 60, top, 452 - (line * 37) % 120, top + 8, 0xFFB0B0B0);
  }
  if (!WritePng(folder + "disclaimer.png", disclaimer, false)) return false;

  PictureData loading(256, 256);
  GradientRect(loading, 0, 0, 256, 256, 0xFF203048, 0xFF080C10);
  FillRect(loading, 0, 180, 256, 184, kAccent);
  return WritePair(folder, "loading.png", "loading_alpha.png", loading);
}

}  // namespace contentgen
