// HUD sample pictures drawn from simple shapes: flat panels, a ring dial, a needle bar, arrows and meter cells.
#include "contentgen/hud_content.h"

#include <cmath>

namespace contentgen {

namespace {

PictureData Alpha(const PictureData& picture) {
  PictureData alpha(picture.width, picture.height);
  for (uint32_t y = 0; y < picture.height; ++y) {
    for (uint32_t x = 0; x < picture.width; ++x) {
      const uint32_t a = picture.Get(x, y) >> 24;
      alpha.Set(x, y, 0xFF000000u | (a << 16) | (a << 8) | a);
    }
  }
  return alpha;
}

bool WritePair(const std::string& folder, const std::string& colour, const std::string& alpha,
               const PictureData& picture) {
  return WritePng(folder + colour, picture, true) && WritePng(folder + alpha, Alpha(picture), false);
}

PictureData MakeDial() {
  PictureData dial(128, 128);
  const float centre = 64.0f;
  for (uint32_t y = 0; y < 128; ++y) {
    for (uint32_t x = 0; x < 128; ++x) {
      const float r = std::hypot(static_cast<float>(x) - centre, static_cast<float>(y) - centre);
      if (r < 60.0f && r > 52.0f) {
        dial.Set(x, y, 0xFFE0E0E0);
      } else if (r <= 52.0f) {
        dial.Set(x, y, 0xC0101018);
      }
    }
  }
  return dial;
}

PictureData MakeNeedle() {
  PictureData needle(8, 64);
  for (uint32_t y = 4; y < 34; ++y) {
    for (uint32_t x = 3; x < 5; ++x) needle.Set(x, y, 0xFFFF3020);
  }
  return needle;
}

// An arrow pointing up (towards -y in the picture), the way a marker heading along world +z is drawn.
PictureData MakeArrow(uint32_t argb) {
  PictureData arrow(16, 16);
  for (uint32_t y = 1; y < 15; ++y) {
    const uint32_t half = y / 2;
    for (uint32_t x = 8 - half; x < 8 + half; ++x) arrow.Set(x, y, argb);
  }
  return arrow;
}

PictureData MakeMirrorFrame() {
  PictureData frame(128, 64);
  for (uint32_t y = 0; y < 64; ++y) {
    for (uint32_t x = 0; x < 128; ++x) {
      const bool edge = x < 4 || x >= 124 || y < 4 || y >= 60;
      frame.Set(x, y, edge ? 0xFF303030 : 0x00000000);
    }
  }
  return frame;
}

PictureData MakeTrack() {
  PictureData track(16, 16);
  track.Fill(0xFF707070);
  for (uint32_t y = 0; y < 16; ++y) track.Set(7, y, y < 8 ? 0xFFFFFFFF : 0xFF707070);
  return track;
}

}  // namespace

PictureData MakeHudPanel() {
  PictureData panel(256, kHudPanelHeight);
  for (uint32_t y = 0; y < kHudPanelHeight; ++y) {
    for (uint32_t x = 0; x < 256; ++x) {
      uint32_t argb = 0;
      if (x >= 26 && x < 51) {
        argb = 0xB0182040;  // top panels and the message band
      } else if (x >= 66) {
        argb = y < 13 ? 0xE0C0A020 : ((y - 13) / 19 % 2 == 0 ? 0xA0202020 : 0xA0303030);
      }
      panel.Set(x, y, argb);
    }
  }
  return panel;
}

PictureData MakeNitrousMeter() {
  PictureData meter(256, 128);
  for (uint32_t cell = 0; cell < 8; ++cell) {
    const uint32_t left = (cell % 4) * 64, top = (cell / 4) * 64;
    // Cell c shows c of seven bars lit.
    for (uint32_t bar = 0; bar < 7; ++bar) {
      const uint32_t argb = bar < cell ? 0xFF20A0FF : 0x60202020;
      for (uint32_t y = top + 56 - bar * 7; y < top + 61 - bar * 7; ++y) {
        for (uint32_t x = left + 8; x < left + 56; ++x) meter.Set(x, y, argb);
      }
    }
  }
  return meter;
}

bool WriteHudContent(const std::string& gameFolder) {
  const std::string folder = gameFolder + "/HUD/";
  PictureData pointer = MakeArrow(0xFFE0E0E0);
  return WritePair(folder, "panel.png", "panelalpha.png", MakeHudPanel()) &&
         WritePair(folder, "minimap.png", "minimapa.png", MakeTrack()) &&
         WritePair(folder, "pointer.png", "pointera.png", pointer) &&
         WritePng(folder + "focusedpointer.png", MakeArrow(0xFFFFD020), true) &&
         WritePair(folder, "mirror.png", "mirror_alpha.png", MakeMirrorFrame()) &&
         WritePair(folder, "startend.png", "startenda.png", MakeArrow(0xFFFFFFFF)) &&
         WritePair(folder, "speedo.png", "speedoalpha.png", MakeDial()) &&
         WritePair(folder, "nitrous.png", "nitrousalpha.png", MakeNitrousMeter()) &&
         WritePair(folder, "needle.png", "needlealpha.png", MakeNeedle());
}

}  // namespace contentgen
