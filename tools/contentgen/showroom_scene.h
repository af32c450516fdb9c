// The showroom behind the menus: a reflective floor, walls and a turntable, the car's spot, camera placement,
// two camera paths, flares and a wall screen playing a movie, with its textures.
#pragma once

#include <string>

#include "contentgen/scn_writer.h"

namespace contentgen {

constexpr const char* kShowroomFolder = "SHOWROOM";
constexpr const char* kShowroomSceneFile = "showroom.scn";
constexpr const char* kShowroomMovie = "screen.avi";

ScnFile BuildShowroomScene();
// Writes SHOWROOM/showroom.scn and its textures below the game folder.
bool WriteShowroomScene(const std::string& gameFolder);

}  // namespace contentgen
