// The showroom screen's movie: a night sky, a road in perspective whose dashes and kerbs run toward the
// viewer, and the game's name; the last frame leads back into the first.
#include "contentgen/showroom_movie.h"

#include <algorithm>
#include <cmath>

#include "contentgen/movie_writer.h"
#include "contentgen/text_picture.h"

namespace contentgen {

namespace {
constexpr uint32_t kWidth = 160, kHeight = 80, kHorizon = 38;
}  // namespace

PictureData ShowroomMovieFrame(uint32_t frame) {
  PictureData picture(kWidth, kHeight);
  const float phase = static_cast<float>(frame % kShowroomMovieFrames) / kShowroomMovieFrames;
  for (uint32_t y = 0; y < kHeight; ++y) {
    for (uint32_t x = 0; x < kWidth; ++x) {
      uint32_t colour;
      if (y < kHorizon) {
        const uint32_t k = y * 60 / kHorizon;
        colour = 0xFF000000u | (20 + k) << 16 | (16 + k / 2) << 8 | (60 + k);
      } else {
        // Depth along the road from the row; the road narrows toward the horizon.
        const float row = static_cast<float>(y - kHorizon) + 0.5f;
        const float depth = 40.0f / row;
        const float centre = kWidth / 2.0f, half = row * 2.2f;
        const float across = (static_cast<float>(x) + 0.5f - centre) / half;
        const float along = std::fmod(depth + phase * 2.0f, 2.0f);
        if (std::fabs(across) > 1.12f) {
          colour = 0xFF103010;  // verge
        } else if (std::fabs(across) > 1.0f) {
          colour = along < 1.0f ? 0xFFD02020 : 0xFFF0F0F0;  // kerb
        } else if (std::fabs(across) < 0.04f + 0.6f / row && along < 1.0f) {
          colour = 0xFFE8E8D0;  // centre dash
        } else {
          const uint32_t g = 44 + static_cast<uint32_t>(std::min(30.0f, row * 0.6f));
          colour = 0xFF000000u | g << 16 | g << 8 | (g + 4);
        }
      }
      picture.Set(x, y, colour);
    }
  }
  TextStyle title;
  title.fontFile = GameFontFile();
  title.pixelWidth = 22;
  title.pixelHeight = 24;
  title.colourTop = 0xFFFFE070;
  title.colourBottom = 0xFFE06010;
  title.outline = 2;
  // The name drifts gently from side to side over the loop.
  const int drift = static_cast<int>(std::lround(std::sin(phase * 6.2831853f) * 6.0f));
  DrawText(picture, title, "CORSAIRE", static_cast<int>(kWidth / 2) + drift, 28, 2);
  return picture;
}

bool WriteShowroomMovie(const std::string& path) {
  MovieSpec spec;
  spec.width = kWidth;
  spec.height = kHeight;
  spec.frameCount = kShowroomMovieFrames;
  spec.rate = 12;
  spec.codec = MovieCodec::kMotionJpeg;
  return WriteMovie(path, spec, [](uint32_t frame, PictureData& picture) { picture = ShowroomMovieFrame(frame); });
}

}  // namespace contentgen
