// Sample vertex-animated models and their animation.dat clip lists: the seated driver that turns with the
// steering ("STEER" clip, full left lock to full right lock), written into car folders and the model folder.
#pragma once

#include <string>
#include <vector>

#include "contentgen/model_file_writer.h"

namespace contentgen {

constexpr const char* kDriverModel = "driver.MOD";
constexpr const char* kAnimationList = "animation.dat";
// Stored frames of the driver: the STEER clip runs over all of them.
constexpr int kDriverFrames = 31;

struct AnimationClipLine {
  std::string name;
  int first = 0, last = 0;
  float rate = 30;
  std::vector<std::pair<float, std::string>> keys;  // written as <KEY> lines after the clip
};

// The text of an animation.dat: one "name:first:last:rate" line per clip and its key lines.
std::string AnimationListText(const std::vector<AnimationClipLine>& clips);
bool WriteAnimationList(const std::string& fileName, const std::vector<AnimationClipLine>& clips);

// The driver: a torso and a helmet leaning from left (frame 0) to right (last frame), on version `version`.
ModelFileData DriverModelData(int version = 2);
// Writes the driver model, its animation.dat and its picture into folder (ending with '/').
bool WriteDriverModel(const std::string& folder);
// The sample model folder of the game: MODELS/DRIVER/.
bool WriteAnimatedModelContent(const std::string& gameFolder);

}  // namespace contentgen
