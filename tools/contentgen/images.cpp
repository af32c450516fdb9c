// Lays out the picture content: fonts from the DejaVu faces, the environment cube map and a sample movie.
#include "contentgen/images.h"

#include "contentgen/dds_writer.h"
#include "contentgen/font_writer.h"
#include "contentgen/movie_writer.h"

#include <algorithm>

namespace contentgen {

namespace {
const char kFontFolder[] = "/usr/share/fonts/truetype/dejavu/";
}

std::vector<PictureData> MakeEnvironmentFaces(uint32_t size) {
  std::vector<PictureData> faces;
  for (uint32_t face = 0; face < 6; ++face) {
    PictureData picture(size, size);
    for (uint32_t y = 0; y < size; ++y) {
      for (uint32_t x = 0; x < size; ++x) {
        uint32_t colour;
        if (face == 2) {
          colour = 0xFF5080E0;  // straight up: deep sky
        } else if (face == 3) {
          colour = 0xFF404040;  // straight down: road
        } else {
          // Sides: sky brightening toward the horizon, ground below it, a little tint per face.
          const uint32_t horizon = size / 2;
          if (y < horizon) {
            const uint32_t lift = y * 120 / horizon;
            colour = 0xFF000000u | (0x50 + lift) << 16 | (0x80 + lift) << 8 | std::min(0xFFu, 0xE0 + lift / 4);
          } else {
            const uint32_t shade = 0x50 + ((x / 8 + y / 8 + face) % 2) * 0x10;
            colour = 0xFF000000u | shade << 16 | shade << 8 | shade;
          }
        }
        picture.Set(x, y, colour);
      }
    }
    faces.push_back(std::move(picture));
  }
  return faces;
}

bool WriteImageContent(const std::string& gameFolder) {
  FontStyle noire;
  noire.fontFile = std::string(kFontFolder) + "DejaVuSans-Bold.ttf";
  noire.outline = 1;
  FontStyle digital;
  digital.fontFile = std::string(kFontFolder) + "DejaVuSansMono-Bold.ttf";
  digital.normalColour = 0xFF80FF80;
  // Warnings ("WRONG WAY") in amber with a black rim stand out from brick walls and dark roads alike.
  digital.highlightColour = 0xFFFFC030;
  digital.outline = 2;
  MovieSpec movie;
  movie.width = 64;
  movie.height = 32;
  movie.frameCount = 16;
  movie.rate = 15;
  movie.codec = MovieCodec::kMotionJpeg;
  return WriteFont(gameFolder + "/FONT", "noire", noire) && WriteFont(gameFolder + "/FONT", "digital", digital) &&
         WriteDds(gameFolder + "/CUBEMAPS/envmap.dds", platform::gfx::Format::A8R8G8B8, MakeEnvironmentFaces(64), 1) &&
         WriteTestPatternMovie(gameFolder + "/MOVIES/sample.avi", movie);
}

}  // namespace contentgen
