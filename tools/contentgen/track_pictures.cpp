// Patterned pictures of the sample circuits.
#include "contentgen/track_pictures.h"

#include <algorithm>

#include "contentgen/scn_writer.h"

namespace contentgen::track_pictures {

namespace {

uint32_t Grey(uint32_t level) { return 0xFF000000u | std::min(level, 255u) * 0x010101u; }

// Each channel of argb moved by delta, clamped.
uint32_t Shift(uint32_t argb, int delta) {
  uint32_t out = 0xFF000000u;
  for (int shift : {16, 8, 0}) {
    const int channel = std::clamp(static_cast<int>((argb >> shift) & 0xFF) + delta, 0, 255);
    out |= static_cast<uint32_t>(channel) << shift;
  }
  return out;
}

int Noise(uint32_t x, uint32_t y, int amplitude) {
  return static_cast<int>(Speckle(x, y) % static_cast<uint32_t>(2 * amplitude + 1)) - amplitude;
}

}  // namespace

PictureData Road(uint32_t grey) {
  return PatternPicture(128, [grey](uint32_t x, uint32_t y) {
    const bool edge = (x >= 4 && x < 8) || (x >= 120 && x < 124);
    const bool centre = x >= 62 && x < 66 && y < 64;
    if (edge || centre) return Shift(0xFFE8E8E0u, Noise(x, y, 8));
    return Grey(grey + static_cast<uint32_t>(Noise(x, y, 10) + 10));
  });
}

PictureData Asphalt(uint32_t grey, bool patched) {
  return PatternPicture(64, [grey, patched](uint32_t x, uint32_t y) {
    uint32_t level = grey + static_cast<uint32_t>(Noise(x, y, 10) + 10);
    // Patches of newer, darker tar and a crack.
    if (patched && Speckle(x / 16, y / 16) % 3 == 0) level -= 18;
    if (patched && (x + y / 3) % 41 == 0) level -= 30;
    return Grey(level);
  });
}

PictureData Cobbles(uint32_t stone) {
  return PatternPicture(64, [stone](uint32_t x, uint32_t y) {
    const uint32_t row = y / 8, shifted = x + (row % 2) * 5;
    if (y % 8 == 0 || shifted % 10 == 0) return Shift(stone, -70);
    return Shift(stone, Noise(shifted / 10, row, 18) + Noise(x, y, 6));
  });
}

PictureData Planks(uint32_t wood) {
  return PatternPicture(64, [wood](uint32_t x, uint32_t y) {
    if (y % 16 == 0 || (y % 16 == 8 && x % 32 == 7)) return Shift(wood, -60);
    return Shift(wood, Noise(y / 16, x / 8, 12) + static_cast<int>((x * 7 + y) % 11) - 5);
  });
}

PictureData TramRails() {
  return PatternPicture(64, [](uint32_t x, uint32_t y) {
    // Two rails along the road, each a bright head with a dark groove beside it.
    const uint32_t band = x % 32;
    if (band == 12 || band == 13) return Grey(200 + static_cast<uint32_t>(Noise(x, y, 10) + 10));
    if (band == 14) return Grey(30);
    return Grey(92 + static_cast<uint32_t>(Noise(x, y, 8) + 8));
  });
}

PictureData Dirt(uint32_t earth, bool rutted) {
  return PatternPicture(64, [earth, rutted](uint32_t x, uint32_t y) {
    int delta = Noise(x, y, 14) + Noise(x / 4, y / 4, 10);
    if (rutted && (x % 32 < 5)) delta -= 25;
    return Shift(earth, delta);
  });
}

PictureData Gravel() {
  return PatternPicture(64, [](uint32_t x, uint32_t y) {
    const uint32_t s = Speckle(x / 2, y / 2);
    return Shift(0xFF9A9080u, static_cast<int>(s % 70) - 35);
  });
}

PictureData Grass() {
  return PatternPicture(64, [](uint32_t x, uint32_t y) {
    const bool stripe = (x / 16) % 2 == 0;
    return Shift(stripe ? 0xFF3E7A2Eu : 0xFF356B28u, Noise(x, y, 12));
  });
}

PictureData Rocks() {
  return PatternPicture(64, [](uint32_t x, uint32_t y) {
    const uint32_t cell = Speckle(x / 12 + (y / 12) * 7, y / 12);
    const int edge = (x % 12 == 0 || y % 12 == 0) ? -50 : 0;
    return Shift(0xFF7C776Eu, static_cast<int>(cell % 60) - 30 + edge + Noise(x, y, 8));
  });
}

PictureData Snow() {
  return PatternPicture(64, [](uint32_t x, uint32_t y) { return Shift(0xFFE4ECF4u, Noise(x, y, 10) - 6); });
}

PictureData Water(uint32_t deep) {
  return PatternPicture(64, [deep](uint32_t x, uint32_t y) {
    const int wave = ((x + 2 * y) % 16 < 2) ? 24 : 0;
    return Shift(deep, wave + Noise(x, y, 6));
  });
}

PictureData Concrete(uint32_t grey) {
  return PatternPicture(64, [grey](uint32_t x, uint32_t y) {
    if (x % 32 == 0 || y % 32 == 0) return Grey(grey - 40);
    return Grey(grey + static_cast<uint32_t>(Noise(x, y, 8) + 8));
  });
}

PictureData Paving() {
  return PatternPicture(64, [](uint32_t x, uint32_t y) {
    if (x % 16 == 0 || y % 16 == 0) return Grey(110);
    return Shift(0xFFB4ACA0u, Noise(x / 16, y / 16, 10) + Noise(x, y, 5));
  });
}

PictureData Kerb() {
  return PatternPicture(64, [](uint32_t x, uint32_t y) {
    const bool red = (y / 32) % 2 == 0;
    return Shift(red ? 0xFFD02020u : 0xFFF0F0F0u, Noise(x, y, 6));
  });
}

PictureData Chequer() {
  return PatternPicture(64, [](uint32_t x, uint32_t y) { return (x / 16 + y / 16) % 2 == 0 ? Grey(20) : Grey(235); });
}

PictureData Shopfront() {
  return PatternPicture(128, [](uint32_t x, uint32_t y) {
    // Sign band at the top, then shop windows between piers, a door in every other bay.
    if (y < 22) return Shift((x / 64) % 2 == 0 ? 0xFF1E5AA0u : 0xFFB03028u, Noise(x, y, 6));
    if (y < 26) return Grey(60);
    const uint32_t bay = x % 64;
    if (bay < 6) return Shift(0xFFC8BCA8u, Noise(x, y, 6));
    const bool door = (x / 64) % 2 == 1 && bay >= 40 && bay < 58;
    if (door) return y < 36 ? Grey(70) : Shift(0xFF503020u, Noise(x, y, 6));
    if (y > 110) return Shift(0xFF8A8078u, Noise(x, y, 6));
    // Glass: dark with a lit interior glow toward the bottom.
    return Shift(0xFF203040u, static_cast<int>(y) / 3 + Noise(x, y, 4));
  });
}

PictureData Facade(uint32_t seed) {
  return PatternPicture(128, [seed](uint32_t x, uint32_t y) {
    // Four floors of four windows; the wall is pale so the geometry's tint gives its colour.
    const uint32_t cx = x % 32, cy = y % 32;
    const bool window = cx >= 6 && cx < 26 && cy >= 6 && cy < 26;
    if (window) {
      const bool lit = Speckle(x / 32 + seed, y / 32) % 4 == 0;
      if (cx == 16 || cy == 15) return Grey(200);
      return lit ? Shift(0xFFE0C890u, Noise(x, y, 6)) : Shift(0xFF32404Cu, static_cast<int>(cy) + Noise(x, y, 4));
    }
    if (cy >= 26 && cy < 28 && cx >= 4 && cx < 28) return Grey(250);  // sills
    return Grey(208 + static_cast<uint32_t>(Noise(x, y, 10) + 10));
  });
}

PictureData Brick() {
  return PatternPicture(64, [](uint32_t x, uint32_t y) {
    const bool mortar = y % 8 == 0 || (x + (y / 8 % 2) * 8) % 16 == 0;
    return mortar ? Grey(170) : Shift(0xFF9A4430u, Noise(x / 16, y / 8, 18) + Noise(x, y, 6));
  });
}

PictureData Barrier() {
  return PatternPicture(64, [](uint32_t x, uint32_t y) {
    // A band of red and white blocks on a concrete wall: it marks the corner for either way round the circuit.
    if (y >= 12 && y < 52) return (x / 16) % 2 == 0 ? Shift(0xFFE02020u, Noise(x, y, 5)) : Grey(240);
    if (y == 11 || y == 52) return Grey(60);
    return Grey(165 + static_cast<uint32_t>(Noise(x, y, 8) + 8));
  });
}

PictureData Hazard() {
  return PatternPicture(64, [](uint32_t x, uint32_t y) {
    return ((x + y) / 16) % 2 == 0 ? Shift(0xFFF0C020u, Noise(x, y, 6)) : Grey(30);
  });
}

PictureData Container() {
  return PatternPicture(64, [](uint32_t x, uint32_t y) {
    const int ridge = (x % 8 < 2) ? -40 : ((x % 8 < 4) ? 20 : 0);
    const int frame = (y < 3 || y > 60) ? -60 : 0;
    return Grey(static_cast<uint32_t>(std::clamp(200 + ridge + frame + Noise(x, y, 6), 0, 255)));
  });
}

PictureData Stone() {
  return PatternPicture(64, [](uint32_t x, uint32_t y) {
    const bool joint = y % 16 == 0 || (x + (y / 16 % 2) * 16) % 32 == 0;
    return joint ? Grey(90) : Shift(0xFF9C968Au, Noise(x / 32, y / 16, 16) + Noise(x, y, 8));
  });
}

PictureData Roof() {
  return PatternPicture(64, [](uint32_t x, uint32_t y) { return Grey(70 + static_cast<uint32_t>(Noise(x, y, 12) + 12)); });
}

}  // namespace contentgen::track_pictures
