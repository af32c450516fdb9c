// Car queries over a collision tree: the cars first, then the track's triangles, nearest hit wins.
#include "vehicle/track_world.h"

#include <cctype>
#include <cmath>

#include "platform/math/math.h"
#include "vehicle/vehicle.h"

namespace vehicle {

const char* const SurfaceTypeNames[kSurfaceCount] = {"PAVE",  "DIRT",     "ROUGHPAVE", "GRASS",  "WOOD",
                                                     "COBBLE", "GRAVEL",  "ROUGHDIRT", "ROCKY",  "WATER",
                                                     "SNOW",  "ELECTRIC", "NODRIVE",   "VEHICLE"};

namespace {
constexpr float kNoHit = 99999.0f;
}

int32_t SurfaceOfMaterial(const std::string& materialName) {
  std::string upper = materialName;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  int32_t best = kSurfacePave;
  size_t bestLength = 0;
  // The longest matching name wins, so ROUGHPAVE is not read as PAVE's neighbour.
  for (int32_t s = 0; s < kSurfaceVehicle; ++s) {
    const std::string name = SurfaceTypeNames[s];
    if (upper.rfind(name, 0) == 0 && name.size() > bestLength) {
      best = s;
      bestLength = name.size();
    }
  }
  return best;
}

TrackWorld::TrackWorld(geometry::CollisionTree& tree) : tree_(tree) {
  for (const std::string& name : tree_.MaterialNames()) materialSurfaces_.push_back(SurfaceOfMaterial(name));
}

void TrackWorld::QueryWorldBox(const Vec3& boxMin, const Vec3& boxMax) { tree_.QueryBox(boxMin, boxMax); }

bool TrackWorld::CastSphere(const Vec3& start, const Vec3& end, float radius, bool testCars, SphereHit& hit) {
  float best = kNoHit;
  if (testCars) {
    for (Vehicle* car : cars_) {
      if (car == nullptr || !car->collidable) continue;
      Vec3 centre, point, normal;
      if (!car->HitTestSweptSphere(start, end, radius, centre, point, normal)) continue;
      const float distance = platform::Length(centre - start);
      if (distance < best) {
        best = distance;
        hit = {centre, point, normal, kSurfaceVehicle, {1, 1, 1}, car};
      }
    }
  }
  geometry::SurfaceHit surfaceHit;
  if (tree_.SweptSphereHitInCandidates(start, end, radius, surfaceHit)) {
    const float distance = platform::Length(surfaceHit.centre - start);
    if (distance < best) {
      best = distance;
      const uint32_t material = surfaceHit.flag;
      const int32_t surface = material < materialSurfaces_.size() ? materialSurfaces_[material] : kSurfacePave;
      hit = {surfaceHit.centre, surfaceHit.point, platform::Normalize(surfaceHit.normal), surface,
             surfaceHit.colour, nullptr};
    }
  }
  return best != kNoHit;
}

int TrackWorld::CountCarsNear(const Vec3& point, float radius) const {
  int count = 0;
  for (const Vehicle* car : cars_) {
    if (car == nullptr || !car->collidable) continue;
    const float dx = car->position.x - point.x, dz = car->position.z - point.z;
    if (std::sqrt(dx * dx + dz * dz) <= radius) ++count;
  }
  return count;
}

}  // namespace vehicle
