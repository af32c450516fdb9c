// Short AVI movies for the sample content and the movie tests, written with libavformat.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "contentgen/png_writer.h"

namespace contentgen {

enum class MovieCodec {
  kRawVideo,  // uncompressed 24-bit frames: decoding gives back the exact texels
  kMotionJpeg,
};

struct MovieSpec {
  uint32_t width = 64;
  uint32_t height = 64;
  uint32_t frameCount = 10;
  // Frames per second as rate / scale (AVI keeps both).
  uint32_t rate = 25;
  uint32_t scale = 1;
  MovieCodec codec = MovieCodec::kRawVideo;
};

// The colour a test pattern frame is filled with: each frame a distinct opaque colour.
uint32_t MovieFrameColour(uint32_t frame);

// Writes the movie; frame n is painted by paint(n, picture). False and a printed line on failure.
bool WriteMovie(const std::string& path, const MovieSpec& spec,
                const std::function<void(uint32_t frame, PictureData& picture)>& paint);

// A movie whose frame n is MovieFrameColour(n) everywhere except a white texel at the top-left corner (so a
// picture flipped upside down shows).
bool WriteTestPatternMovie(const std::string& path, const MovieSpec& spec);

}  // namespace contentgen
