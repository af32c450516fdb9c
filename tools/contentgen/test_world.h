// The procedural test world: a closed city circuit (road, kerbs, verges, walls, a jump ramp, an infield park
// with a pond) with start markers, lights and an AI path, written as the CITY track's collision file.
#pragma once

#include <string>

#include "contentgen/col_writer.h"
#include "platform/math/types.h"

namespace contentgen {

// Where the world sits, so tests and other writers can aim at known places. Inches, y up; the circuit runs
// counter-clockwise seen from above, starting in the middle of the south straight heading +x.
namespace test_world {
constexpr float kHalfWidthX = 4000;      // centreline rectangle half extents
constexpr float kHalfWidthZ = 3000;
constexpr float kCornerRadius = 2200;  // wide enough to take at the speed a driver brakes down to
constexpr float kRoadWidth = 616;
constexpr float kKerbWidth = 40;         // each side, rising to kKerbHeight in the middle
constexpr float kKerbHeight = 4;
constexpr float kVergeWidth = 292;
constexpr float kWallHeight = 150;
constexpr float kWallOffset = kRoadWidth / 2 + kKerbWidth + kVergeWidth;  // centreline to each wall
constexpr float kRacingLineOffset = 250;  // the racing line's swing toward the outside wall through a corner
constexpr float kSampleStep = 40;        // distance between cross-sections
constexpr float kRampRise = 48;          // jump ramp on the north straight, from wall to wall
constexpr float kRampUpLength = 480;
constexpr float kRampTopLength = 120;
constexpr float kRampDownLength = 480;     // as long as the rise: cars racing the other way jump it too
constexpr float kPondRadius = 600;       // water in the infield park
constexpr float kPondCentreX = -1500;
constexpr float kPondCentreZ = 0;
constexpr float kParkHalfX = 2900;       // infield grass grid, inside the inner wall of the corners
constexpr float kParkHalfZ = 1900;

// Material slots of the file, in order; names begin with the surface the race maps them to.
enum Material : int16_t { kPave, kDirt, kGrass, kCobble, kWater, kWall, kKerb, kRamp, kMaterialCount };

// Length of the centreline loop.
float Perimeter();
// Centreline point (y = 0) at a distance along the loop (wrapped), and the unit heading there.
platform::Vec3 CentreAt(float distance, platform::Vec3* heading = nullptr);
// Unit vector toward the inside of the loop at a distance along it.
platform::Vec3 InwardAt(float distance);
// Distance along the loop where the ramp starts rising (on the north straight, heading −x).
float RampStart();
// How far the racing line runs toward the outside wall at a distance along the loop (inches).
float RacingLineOffset(float distance);
// Material of the road at a distance along the loop.
Material RoadMaterialAt(float distance);
}  // namespace test_world

// The whole circuit as a collision file (scale 1).
ColFile BuildTestWorld();
// Folder of the track below the game folder and the collision file's name in it.
constexpr const char* kTestWorldFolder = "TRACKS/CITY";
constexpr const char* kTestWorldCollisionFile = "city.COL";
// Writes TRACKS/CITY/city.COL below the game folder; false with a printed line on failure.
bool WriteTestWorld(const std::string& gameFolder);

}  // namespace contentgen
