// Generated pictures of the particles, glows, tyre marks and light-trail fade.
#include "contentgen/effect_textures.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace contentgen {

namespace {

constexpr uint32_t kSpriteSize = 32;
constexpr uint32_t kFlipBookSize = 64;

// 1 at the centre of a cell of the given side, falling smoothly to 0 at radius.
float Falloff(float x, float y, float centre, float radius) {
  const float dx = x + 0.5f - centre;
  const float dy = y + 0.5f - centre;
  const float t = 1.0f - std::sqrt(dx * dx + dy * dy) / radius;
  return std::clamp(t, 0.0f, 1.0f);
}

uint32_t Scale(uint32_t rgb, float k) {
  const auto channel = [&](int shift) {
    return static_cast<uint32_t>(static_cast<float>((rgb >> shift) & 0xFF) * k + 0.5f) & 0xFF;
  };
  return channel(16) << 16 | channel(8) << 8 | channel(0);
}

// The alpha of a picture written as its own grey picture, the form separate alpha images take.
PictureData AlphaAsGrey(const PictureData& picture) {
  PictureData grey(picture.width, picture.height);
  for (uint32_t y = 0; y < picture.height; ++y) {
    for (uint32_t x = 0; x < picture.width; ++x) {
      const uint32_t a = picture.Get(x, y) >> 24;
      grey.Set(x, y, 0xFF000000u | a << 16 | a << 8 | a);
    }
  }
  return grey;
}

bool WritePair(const std::string& colourPath, const std::string& alphaPath, const PictureData& picture) {
  return WritePng(colourPath, picture, false) && (alphaPath.empty() || WritePng(alphaPath, AlphaAsGrey(picture), false));
}

// Additive sprites carry their brightness in the colour; black adds nothing.
PictureData Premultiplied(const PictureData& picture) {
  PictureData out(picture.width, picture.height);
  for (uint32_t y = 0; y < picture.height; ++y) {
    for (uint32_t x = 0; x < picture.width; ++x) {
      const uint32_t texel = picture.Get(x, y);
      out.Set(x, y, 0xFF000000u | Scale(texel & 0xFFFFFF, static_cast<float>(texel >> 24) / 255.0f));
    }
  }
  return out;
}

// A tread of dark blocks: the left half for one mark style, the right half (lighter) for the other.
PictureData MakeTread(uint32_t size) {
  PictureData picture(size, size);
  for (uint32_t y = 0; y < size; ++y) {
    for (uint32_t x = 0; x < size; ++x) {
      const bool block = ((x % (size / 4)) < size / 6) && ((y % (size / 4)) < size / 5);
      const uint32_t alpha = x < size / 2 ? (block ? 0xC0u : 0x60u) : (block ? 0x80u : 0x30u);
      picture.Set(x, y, alpha << 24 | 0x101010u);
    }
  }
  return picture;
}

}  // namespace

PictureData MakeGlowSprite(uint32_t size, uint32_t rgb) {
  PictureData picture(size, size);
  const float centre = static_cast<float>(size) / 2.0f;
  for (uint32_t y = 0; y < size; ++y) {
    for (uint32_t x = 0; x < size; ++x) {
      const float k = Falloff(static_cast<float>(x), static_cast<float>(y), centre, centre);
      picture.Set(x, y, static_cast<uint32_t>(k * k * 255.0f) << 24 | (rgb & 0xFFFFFF));
    }
  }
  return picture;
}

// A car lamp: a small hot core in a faint halo, so a lit lamp does not wash over the body around it.
PictureData MakeLampSprite(uint32_t size, uint32_t rgb) {
  PictureData picture(size, size);
  const float centre = static_cast<float>(size) / 2.0f;
  for (uint32_t y = 0; y < size; ++y) {
    for (uint32_t x = 0; x < size; ++x) {
      const float r = std::hypot(x + 0.5f - centre, y + 0.5f - centre) / centre;
      const float k = std::clamp(std::exp(-r * r * 30.0f) + 0.22f * std::exp(-r * r * 5.0f) * (1 - r), 0.0f, 1.0f);
      picture.Set(x, y, static_cast<uint32_t>(k * 255.0f) << 24 | (rgb & 0xFFFFFF));
    }
  }
  return picture;
}

PictureData MakeFlipBook(uint32_t size, uint32_t grid, uint32_t rgb) {
  PictureData picture(size, size);
  const uint32_t cell = size / grid;
  for (uint32_t frame = 0; frame < grid * grid; ++frame) {
    const uint32_t left = (frame % grid) * cell;
    const uint32_t top = (frame / grid) * cell;
    // Later frames spread wider and dim, as a puff does.
    const float progress = static_cast<float>(frame) / static_cast<float>(grid * grid);
    const float radius = static_cast<float>(cell) * (0.25f + 0.25f * progress);
    const float centre = static_cast<float>(cell) / 2.0f;
    for (uint32_t y = 0; y < cell; ++y) {
      for (uint32_t x = 0; x < cell; ++x) {
        const float k = Falloff(static_cast<float>(x), static_cast<float>(y), centre, radius) * (1.0f - 0.5f * progress);
        picture.Set(left + x, top + y, static_cast<uint32_t>(k * 255.0f) << 24 | Scale(rgb, 0.6f + 0.4f * k));
      }
    }
  }
  return picture;
}

bool WriteEffectTextures(const std::string& gameFolder) {
  const std::string particles = gameFolder + "/PARTICLES/";
  const std::string glows = gameFolder + "/GLOWS/";
  bool ok = WritePair(particles + "smoke.png", particles + "smokea.png", MakeFlipBook(kFlipBookSize, 4, 0x808080)) &&
            WritePair(particles + "dust.png", particles + "dusta.png", MakeGlowSprite(kSpriteSize, 0xA08860)) &&
            WritePng(particles + "snow.png", MakeGlowSprite(kSpriteSize, 0xF0F4FF), false) &&
            WritePair(particles + "grass.png", particles + "grassa.png", MakeGlowSprite(8, 0x30A030)) &&
            WritePair(particles + "debris.png", particles + "debrisa.png", MakeFlipBook(kFlipBookSize, 4, 0x605040)) &&
            WritePng(particles + "sparks.png", Premultiplied(MakeFlipBook(kFlipBookSize, 4, 0xFFC040)), false) &&
            WritePng(particles + "bluesparks.png", Premultiplied(MakeFlipBook(kFlipBookSize, 4, 0x60A0FF)), false) &&
            WritePng(particles + "flames.png", Premultiplied(MakeFlipBook(kFlipBookSize, 4, 0xFF7020)), false);

  struct NamedColour {
    const char* name;
    uint32_t rgb;
  };
  constexpr std::array<NamedColour, 7> kColours = {{{"red", 0xFF3020},
                                                     {"yellow", 0xFFE040},
                                                     {"blue", 0x4080FF},
                                                     {"white", 0xF0F0FF},
                                                     {"green", 0x40FF60},
                                                     {"orange", 0xFF9020},
                                                     {"purple", 0xC040FF}}};
  for (const NamedColour& colour : kColours) {
    const PictureData flare = Premultiplied(MakeGlowSprite(kSpriteSize, colour.rgb));
    const std::string stem = glows + "flare_" + colour.name;
    ok = ok && WritePng(stem + "streetlight.png", flare, false) && WritePng(stem + "rstreetlight.png", flare, false) &&
         WritePng(stem + "bstreetlight.png", flare, false);
  }
  const PictureData brake = Premultiplied(MakeLampSprite(kSpriteSize, 0xFF2010));
  const PictureData head = Premultiplied(MakeLampSprite(kSpriteSize, 0xFFF8E0));
  const PictureData reverse = Premultiplied(MakeLampSprite(kSpriteSize, 0xF0F0F0));
  ok = ok && WritePng(glows + "brakelight.png", brake, false) && WritePng(glows + "rbrakelight.png", brake, false) &&
       WritePng(glows + "headlight.png", head, false) && WritePng(glows + "rheadlight.png", head, false) &&
       WritePng(glows + "bheadlight.png", head, false) && WritePng(glows + "reverselight.png", reverse, false) &&
       WritePng(glows + "rreverselight.png", reverse, false) && WritePng(glows + "breverselight.png", reverse, false) &&
       WritePng(glows + "corona.png", Premultiplied(MakeLampSprite(kSpriteSize, 0xFFFFFF)), false);

  // The light-trail fade: an even grey whose alpha sets how fast old trails fade.
  PictureData blur(16, 16);
  blur.Fill(0xC0000000u);
  ok = ok && WritePair(gameFolder + "/TREADS/tread.png", gameFolder + "/TREADS/treada.png", MakeTread(64)) &&
       WritePair(gameFolder + "/IMAGES/blur.png", gameFolder + "/IMAGES/bluralpha.png", blur);
  return ok;
}

}  // namespace contentgen
