// What the race reads from a loaded track: the companion file names of a track scene, and the start grid and
// the AI paths among the scene's records.
#pragma once

#include <string>
#include <vector>

#include "platform/math/types.h"
#include "race/race_world.h"
#include "render/scene/scene.h"

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

// One grid slot: a scene marker (a named record with text, position and orientation) whose upper-cased name
// begins with "START", in file order.
struct GridSlot {
  Vec3 position;
  platform::Matrix4 orientation;
};
std::vector<GridSlot> ReadStartGrid(const render::Scene& track);

// Copies every path record of the scene whose upper-cased name begins with "AIPATH" into the world (thinned,
// reversed when the race runs the track backwards), then measures their edges. Returns the number added.
size_t LoadAIPaths(const render::Scene& track, RaceWorld& world, bool reverse);

}  // namespace race
