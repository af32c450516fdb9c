// A world for cars over a bare collision tree and a list of cars: the car's queries answered without a race
// session (showroom driving, tests, benchmarks). Material names map to surfaces by their leading word.
#pragma once

#include <string>
#include <vector>

#include "geometry/collision_tree.h"
#include "vehicle/vehicle_world.h"

namespace vehicle {

extern const char* const SurfaceTypeNames[kSurfaceCount];

// The surface whose name begins the material name (upper case), or kSurfacePave.
int32_t SurfaceOfMaterial(const std::string& materialName);

class TrackWorld : public VehicleWorld {
 public:
  // The tree must outlive the world.
  explicit TrackWorld(geometry::CollisionTree& tree);

  // Cars that others can hit while collidable (not owned).
  void AddCar(Vehicle* car) { cars_.push_back(car); }

  void QueryWorldBox(const Vec3& boxMin, const Vec3& boxMax) override;
  bool CastSphere(const Vec3& start, const Vec3& end, float radius, bool testCars, SphereHit& hit) override;
  int CountCarsNear(const Vec3& point, float radius) const override;

 private:
  geometry::CollisionTree& tree_;
  std::vector<int32_t> materialSurfaces_;
  std::vector<Vehicle*> cars_;
};

}  // namespace vehicle
