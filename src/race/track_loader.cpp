// Companion file names of a track, and its start grid and AI paths from the scene's records.
#include "race/track_loader.h"

#include <cctype>
#include <memory>

namespace race {

namespace {
constexpr size_t kExtensionLength = 4;

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool StartsWith(const std::string& text, const char* prefix) { return Upper(text).rfind(prefix, 0) == 0; }
}  // namespace

std::string CollisionFileOf(const std::string& trackFile) {
  if (trackFile.size() <= kExtensionLength) return {};
  return trackFile.substr(0, trackFile.size() - kExtensionLength) + ".COL";
}

std::string ReflectionFileOf(const std::string& trackFile) {
  if (trackFile.size() <= kExtensionLength) return {};
  return trackFile.substr(0, trackFile.size() - kExtensionLength) + "reflect.SCN";
}

std::vector<GridSlot> ReadStartGrid(const render::Scene& track) {
  std::vector<GridSlot> grid;
  for (const auto& marker : track.markers) {
    if (marker != nullptr && StartsWith(marker->name, "START")) grid.push_back({marker->position, marker->matrix});
  }
  return grid;
}

size_t LoadAIPaths(const render::Scene& track, RaceWorld& world, bool reverse) {
  size_t added = 0;
  for (const auto& path : track.paths) {
    if (path == nullptr || !StartsWith(path->Name(), "AIPATH")) continue;
    auto copy = std::make_unique<geometry::Path>(*path);
    copy->Decimate(kAIPathPoints);
    if (reverse) copy->Reverse();
    world.AddAIPath(std::move(copy));
    ++added;
  }
  world.MeasurePathEdges();
  return added;
}

}  // namespace race
