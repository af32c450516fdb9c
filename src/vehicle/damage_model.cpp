// Body damage by zone: part names sorted into zones by prefix, impacts spread over the zones around them,
// dents toward the damaged mesh and material swaps of badly damaged zones.
#include "vehicle/damage_model.h"

#include <algorithm>
#include <cctype>

namespace vehicle {

const char* const DamageZoneNames[kDamageZoneCount] = {
    "FRONT_LEFT", "FRONT", "FRONT_RIGHT", "RIGHT", "REAR_RIGHT", "REAR", "REAR_LEFT", "LEFT", "ROOF",
    "GLASS_FRONT", "GLASS_RIGHT", "GLASS_REAR", "GLASS_LEFT"};

int32_t ZoneOfPart(const std::string& partName) {
  std::string upper = partName;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (int32_t zone = 0; zone < kDamageZoneCount; ++zone) {
    if (upper.rfind(DamageZoneNames[zone], 0) == 0) return zone;
  }
  return -1;
}

DamageModel::DamageModel(DamageMeshes meshes) : meshes_(std::move(meshes)) {
  active_ = !meshes_.bodyPartNames.empty() && !meshes_.damagedPartNames.empty();
  if (active_) {
    for (size_t i = 0; i < meshes_.bodyPartNames.size(); ++i) {
      const int32_t zone = ZoneOfPart(meshes_.bodyPartNames[i]);
      if (zone >= 0) bodyPartIds[zone].push_back(static_cast<uint32_t>(i));
    }
    for (size_t i = 0; i < meshes_.damagedPartNames.size(); ++i) {
      const int32_t zone = ZoneOfPart(meshes_.damagedPartNames[i]);
      if (zone >= 0) damagedPartIds[zone].push_back(static_cast<uint32_t>(i));
    }
  }
  Reset();
}

void DamageModel::Reset() {
  std::fill(std::begin(zoneDamage), std::end(zoneDamage), 0.0f);
  std::fill(std::begin(swapped), std::end(swapped), false);
  if (!active_) return;
  size = meshes_.bodySize;
  if (!meshes_.setMaterial) return;
  for (int zone = 0; zone < kDamageZoneCount; ++zone) {
    for (uint32_t id : bodyPartIds[zone]) meshes_.setMaterial(id, 0, false);
  }
}

void DamageModel::Dent(float x, float y, float z, float amount) {
  const float a = std::min(amount * 0.25f, 1.0f);
  if (!active_) return;
  if (meshes_.deform) meshes_.deform({x, y, z}, kDentRadius, a);
  const float w = size.x, l = size.z;
  auto add = [this](int zone, float value) { zoneDamage[zone] += value; };
  if (z > l / 4) {
    if (x < -w / 4) {
      add(kZoneFrontLeft, a), add(kZoneFront, a / 2), add(kZoneGlassFront, a / 4);
    } else if (x > w / 4) {
      add(kZoneFrontRight, a), add(kZoneFront, a / 2), add(kZoneGlassFront, a / 4);
    } else {
      add(kZoneFront, a), add(kZoneFrontLeft, a / 2), add(kZoneFrontRight, a / 2), add(kZoneGlassFront, a / 2);
    }
  } else if (z < -l / 4) {
    if (x < -w / 4) {
      add(kZoneRearLeft, a), add(kZoneRear, a / 2), add(kZoneGlassRear, a / 4);
    } else if (x > w / 4) {
      add(kZoneRearRight, a), add(kZoneRear, a / 2), add(kZoneGlassRear, a / 4);
    } else {
      add(kZoneRear, a), add(kZoneRearLeft, a / 2), add(kZoneRearRight, a / 2), add(kZoneGlassRear, a / 2);
    }
  } else if (x < 0) {
    add(kZoneLeft, a), add(kZoneGlassLeft, a / 2);
  } else if (x > 0) {
    add(kZoneRight, a), add(kZoneGlassRight, a / 2);
  }
  for (int zone = 0; zone < kDamageZoneCount; ++zone) {
    // Bound again on every dent (the materials skip an image already in place), so whatever replaced a
    // crumpled zone's material since gives way to it once more.
    if (zoneDamage[zone] <= kZoneSwapDamage) continue;
    swapped[zone] = true;
    const size_t count = std::min(bodyPartIds[zone].size(), damagedPartIds[zone].size());
    if (!meshes_.setMaterial) continue;
    for (size_t j = 0; j < count; ++j) meshes_.setMaterial(bodyPartIds[zone][j], damagedPartIds[zone][j], true);
  }
}

}  // namespace vehicle
