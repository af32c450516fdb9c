// The looping movie on the showroom's wall screen: the game's name over a road rushing by.
#pragma once

#include <cstdint>
#include <string>

#include "contentgen/png_writer.h"

namespace contentgen {

constexpr uint32_t kShowroomMovieFrames = 36;

// Frame n of the movie.
PictureData ShowroomMovieFrame(uint32_t frame);
// Writes the movie (Motion JPEG in an AVI) to path.
bool WriteShowroomMovie(const std::string& path);

}  // namespace contentgen
