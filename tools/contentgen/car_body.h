// Car bodies lofted from cross-sections: a lower body (with wheel arches, and an open bed or cockpit where the
// shape has one), a glasshouse, lights, grille, mirrors and exhausts, with paint and glass split into the damage
// zones the car's crash damage works by.
#pragma once

#include <cstdint>
#include <vector>

#include "contentgen/car_mesh.h"
#include "contentgen/car_models.h"
#include "platform/math/types.h"

namespace contentgen {

// Materials of every body model of a car, in this order (the damaged body swaps zone by zone by these names;
// paint upgrades match them by name).
enum BodyMaterial : int16_t {
  kFrontLeftPaint, kFrontPaint, kRightPaint, kRearRightPaint, kRearPaint, kLeftPaint, kRoofPaint,
  kGlassFront, kGlassRight, kGlassRear, kGlassLeft,
  kTrim, kHeadlights, kTailLights, kChrome, kLogo, kStripe, kInterior,
  kBodyMaterialCount
};
const char* BodyMaterialName(int16_t material);
bool IsPaintMaterial(int16_t material);
bool IsGlassMaterial(int16_t material);

// How much of the body is built: the full body, a lighter level for the middle distance, a rough shell with the
// wheels moulded in for far away.
enum class BodyDetail { kFull, kMiddle, kFar };

// Where the body puts the points its parts hang on (car space, inches).
struct BodyLayout {
  platform::Vec3 headlights[2], brakeLights[2], reverseLight, exhausts[2], driverSeat;
  platform::Vec3 wingMount, scoopMount, exhaustTips;
  float bonnetHeight = 0;
};

// The lofted body of the car's shape. withKit reshapes it (skirts, flares, splitter) without changing the
// order or number of its corners, so a kit body dents toward the stock damaged body.
CarMesh BuildBody(const CarModelSpec& spec, BodyDetail detail, bool withKit, BodyLayout* layout);

// The collision hull: the body's rough shape (its plan, shoulders, bonnet, glasshouse and boot) as one closed
// shell standing on the ground, in the same box as the body (-half width..half width, 0..body height,
// -half length..half length).
CarMesh BuildHull(const CarModelSpec& spec);

}  // namespace contentgen
