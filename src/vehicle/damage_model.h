// Damage of a car's body: impacts add damage to the body zones around them, dent the mesh toward the damaged
// mesh, and once a zone has taken enough, its parts take the damaged mesh's materials.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/math/types.h"

namespace vehicle {

enum DamageZone : int32_t { kZoneFrontLeft, kZoneFront, kZoneFrontRight, kZoneRight, kZoneRearRight, kZoneRear,
                            kZoneRearLeft, kZoneLeft, kZoneRoof, kZoneGlassFront, kZoneGlassRight,
                            kZoneGlassRear, kZoneGlassLeft, kDamageZoneCount };
extern const char* const DamageZoneNames[kDamageZoneCount];

// The zone of a part name (upper-cased, first zone name that prefixes it), or -1.
int32_t ZoneOfPart(const std::string& partName);

// Damage above this swaps a zone's materials.
constexpr float kZoneSwapDamage = 3.0f;
constexpr float kDentRadius = 70.0f;

// The meshes the model works on, supplied by whoever loaded the body: part names of the body and the damaged
// body, the body's box size, and what to do to them.
struct DamageMeshes {
  std::vector<std::string> bodyPartNames;
  std::vector<std::string> damagedPartNames;
  platform::Vec3 bodySize{100, 50, 200};
  // Moves the body's vertices within the radius of the point toward the damaged mesh by the strength.
  std::function<void(platform::Vec3 point, float radius, float strength)> deform;
  // Binds to body part bodyPartId the material of damaged part damagedPartId, or (damaged = false) its own
  // undamaged material back.
  std::function<void(uint32_t bodyPartId, uint32_t damagedPartId, bool damaged)> setMaterial;
};

class DamageModel {
 public:
  // Without both part lists the model counts nothing and changes nothing.
  explicit DamageModel(DamageMeshes meshes);

  void Reset();
  // One impact at a point of the car's frame (x right, z forward, inches) with an amount.
  void Dent(float x, float y, float z, float amount);

  bool Active() const { return active_; }
  float zoneDamage[kDamageZoneCount] = {};
  std::vector<uint32_t> bodyPartIds[kDamageZoneCount];
  std::vector<uint32_t> damagedPartIds[kDamageZoneCount];
  platform::Vec3 size{100, 50, 200};
  // Whether a zone's parts carry the damaged materials now.
  bool swapped[kDamageZoneCount] = {};

 private:
  DamageMeshes meshes_;
  bool active_ = false;
};

}  // namespace vehicle
