// What the race reads from a loaded track: the companion file names of a track scene, the start grid and the
// AI paths of its collision file.
#pragma once

#include <string>
#include <vector>

#include "geometry/collision_tree.h"
#include "platform/math/types.h"
#include "race/race_world.h"

namespace race {

// Stages of a staged track load; the last one only reports completion.
constexpr uint32_t kLoadStageCount = 11;
constexpr uint32_t kLoadComplete = 10;
// AI paths are thinned to at most this many points.
constexpr size_t kAIPathPoints = 300;

// "TRACKS/CITY/city.scn" gives "TRACKS/CITY/city.COL" and "TRACKS/CITY/cityreflect.SCN"; names of four
// characters or fewer have neither (empty).
std::string CollisionFileOf(const std::string& trackFile);
std::string ReflectionFileOf(const std::string& trackFile);

// One grid slot: a marker whose upper-cased name begins with "START", in file order.
struct GridSlot {
  Vec3 position;
  platform::Matrix4 orientation;
};
std::vector<GridSlot> ReadStartGrid(const geometry::CollisionTree& tree);

// Copies every path whose upper-cased name begins with "AIPATH" into the world (thinned, reversed when the race
// runs the track backwards), then measures their edges. Returns the number added.
size_t LoadAIPaths(const geometry::CollisionTree& tree, RaceWorld& world, bool reverse);

}  // namespace race
