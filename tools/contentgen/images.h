// The picture content of the game folder: the bitmap fonts, the reflection cube map and a sample movie.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "contentgen/png_writer.h"

namespace contentgen {

// Writes FONT/noire.*, FONT/digital.*, CUBEMAPS/envmap.dds and MOVIES/sample.avi below gameFolder.
bool WriteImageContent(const std::string& gameFolder);

// The six faces of the sample environment map (+X, -X, +Y, -Y, +Z, -Z): a sky gradient over a grey ground.
std::vector<PictureData> MakeEnvironmentFaces(uint32_t size);

}  // namespace contentgen
