// The model set of one sample car: the lofted body with its part markers (tyres, collision hull, lights,
// exhausts, upgrade mounts), the crumpled body the dents pull toward, a body kit, two distant levels of detail,
// the stencil shadow caster, the collision hull, two wheels, the upgrade parts, the seated driver with its
// steering clip, and their pictures.
#pragma once

#include <cstdint>
#include <string>

#include "platform/math/types.h"

namespace contentgen {

// File names a car folder holds (the definition names the body, the damaged body, the shadow caster and the
// levels of detail; the upgrades name the kit, the sport wheel and the parts).
constexpr const char* kCarBodyModel = "body.MDL";
constexpr const char* kCarDamagedModel = "body_damaged.MDL";
constexpr const char* kCarKitModel = "body_kit.MDL";
constexpr const char* kCarShadowModel = "shadow.MDL";
constexpr const char* kCarCollisionModel = "collision.MDL";
constexpr const char* kCarTyreModel = "tyre.MDL";
constexpr const char* kCarSportTyreModel = "tyre_sport.MDL";
constexpr const char* kCarLodModel = "lod1.MDL";
constexpr const char* kCarFarLodModel = "lod2.MDL";
constexpr const char* kCarWingModel = "wing.MDL";
constexpr const char* kCarScoopModel = "scoop.MDL";
constexpr const char* kCarExhaustTipsModel = "exhaust_tips.MDL";
// Body markers the upgrade parts hang on.
constexpr const char* kWingMount = "WING_MOUNT";
constexpr const char* kScoopMount = "SCOOP_MOUNT";
constexpr const char* kExhaustTipsMount = "EXHAUST_TIPS";
// Pictures the definition names.
constexpr const char* kCarHeadlightPicture = "headlight.png";
constexpr const char* kCarShadowPicture = "shadow.png";
constexpr const char* kCarShadowAlphaPicture = "shadowa.png";
constexpr const char* kCarNeonPicture = "neon.png";
constexpr const char* kCarKitPreviewPicture = "kit_preview.png";

enum class CarShape { kSaloon, kPickup, kCoupe, kRoadster };

// Sizes in inches, built standing on the ground (y = 0) with the car's centre over the origin. The drawn models
// are written in car space, whose origin is at the wheels' axle height (OriginHeight above the ground): the race
// holds a car's origin at its wheels' centres, so the body and its parts are drawn resting on the wheels, and
// the chase camera's eye, a fixed height over the origin, looks down over the roof. The collision hull is
// written as built, from the origin up (see WriteCarModels).
struct CarModelSpec {
  CarShape shape = CarShape::kSaloon;
  float bodyHalfWidth = 36;
  float bodyLength = 180;
  float bodyHeight = 50;
  float tyreRadius = 12;
  float tyreWidth = 8;
  float halfTrack = 30;   // tyre x
  float frontAxle = 50;   // tyre z
  float rearAxle = -50;
  uint32_t paintArgb = 0xFFC02020;
  uint32_t neonArgb = 0xFFFFE0B0;  // the glow under the car as it leaves the factory
};

// Height of the car-space origin over the ground the car stands on: its axle height.
inline float OriginHeight(const CarModelSpec& spec) { return spec.tyreRadius; }

// Writes every model and picture of the car into carFolder (which ends with '/'). False when a file cannot be
// written (one line printed by the writer).
bool WriteCarModels(const std::string& carFolder, const CarModelSpec& spec);

}  // namespace contentgen
