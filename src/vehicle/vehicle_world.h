// What a car asks of the world it drives in: candidate triangles, sphere casts against track and cars, nearby
// cars and particle bursts. The race session answers for a race; TrackWorld answers for a bare collision file.
#pragma once

#include <cstdint>

#include "platform/math/types.h"

namespace platform::gfx {
class Device;
}
namespace render {
class SkidmarkSegment;
}

namespace vehicle {

using platform::Vec3;

class Vehicle;

// Gravity, in/s².
constexpr float kGravity = 386.0f;

// Surface ids of the track surface table; anything above kSurfaceVehicle counts as kSurfacePave.
enum Surface : int32_t {
  kSurfacePave, kSurfaceDirt, kSurfaceRoughPave, kSurfaceGrass, kSurfaceWood, kSurfaceCobble, kSurfaceGravel,
  kSurfaceRoughDirt, kSurfaceRocky, kSurfaceWater, kSurfaceSnow, kSurfaceElectric, kSurfaceNoDrive,
  kSurfaceVehicle, kSurfaceCount
};

// Particle types of the particle system that cars spawn.
enum ParticleType : int32_t { kParticleNone, kParticleSmoke, kParticleDust, kParticleSnow, kParticleGrass,
                              kParticleDebris, kParticleSparks };

// The nearest hit of a moving sphere.
struct SphereHit {
  Vec3 centre;                   // the sphere's centre at contact
  Vec3 contact;                  // the touched point on the surface
  Vec3 normal;                   // unit surface normal
  int32_t surface = kSurfacePave;
  Vec3 colour{1, 1, 1};          // ground colour; white for a car
  Vehicle* car = nullptr;        // the car hit, for kSurfaceVehicle
};

class VehicleWorld {
 public:
  virtual ~VehicleWorld() = default;
  // Collects the track triangles in the box; later casts look only at them.
  virtual void QueryWorldBox(const Vec3& boxMin, const Vec3& boxMax) = 0;
  // Sweeps a sphere from start to end; other collidable cars count when testCars is set (the asking car is
  // never its own obstacle, as it is not collidable during its step). True and the nearest hit on contact.
  virtual bool CastSphere(const Vec3& start, const Vec3& end, float radius, bool testCars, SphereHit& hit) = 0;
  // Collidable cars whose horizontal distance (x and z) to the point is within the radius.
  virtual int CountCarsNear(const Vec3& point, float radius) const = 0;
  // A burst of particles of a type; worlds without particles ignore it.
  virtual void SpawnParticles(int type, const Vec3& position, const Vec3& velocity) {
    (void)type, (void)position, (void)velocity;
  }
  // A new open skid-mark strip of a style (1 rubber, 2 rut) and width at a point under a wheel of that
  // orientation, kept by the world's marks; null when the world keeps no marks or has no room for another.
  virtual render::SkidmarkSegment* AddSkidSegment(platform::gfx::Device* device, const Vec3& point,
                                                  const platform::Matrix4& orientation, int style, float width) {
    (void)device, (void)point, (void)orientation, (void)style, (void)width;
    return nullptr;
  }
};

}  // namespace vehicle
