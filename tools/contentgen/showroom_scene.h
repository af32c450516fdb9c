// The showroom behind the menus: a reflective floor, walls and a turntable, the car's spot, camera placement,
// two camera paths and flares, with its textures.
#pragma once

#include <string>

#include "contentgen/scn_writer.h"

namespace contentgen {

constexpr const char* kShowroomFolder = "SHOWROOM";
constexpr const char* kShowroomSceneFile = "showroom.scn";

ScnFile BuildShowroomScene();
// Writes SHOWROOM/showroom.scn and its textures below the game folder.
bool WriteShowroomScene(const std::string& gameFolder);

}  // namespace contentgen
