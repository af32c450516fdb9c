// The opening scene: a night street of blocks along a road, with the camera's sweep, a flight path for the
// wing, flares and a planar-reflective wet road, with its textures.
#pragma once

#include <string>

#include "contentgen/scn_writer.h"

namespace contentgen {

constexpr const char* kIntroFolder = "INTRO";
constexpr const char* kIntroSceneFile = "scene.scn";

ScnFile BuildIntroScene();
// Writes INTRO/scene.scn and its textures below the game folder.
bool WriteIntroScene(const std::string& gameFolder);

}  // namespace contentgen
