// The model set of one sample car: body with its part markers (tyres, collision hull, lights, exhausts), the
// damaged body the dents pull toward, the stencil shadow caster, the collision hull, a tyre, a distant level of
// detail, the seated driver with its steering clip, and their pictures.
#pragma once

#include <cstdint>
#include <string>

#include "platform/math/types.h"

namespace contentgen {

// File names a car folder holds (the definition names the first three and the LOD).
constexpr const char* kCarBodyModel = "body.MDL";
constexpr const char* kCarDamagedModel = "body_damaged.MDL";
constexpr const char* kCarShadowModel = "shadow.MDL";
constexpr const char* kCarCollisionModel = "collision.MDL";
constexpr const char* kCarTyreModel = "tyre.MDL";
constexpr const char* kCarLodModel = "lod1.MDL";

// Sizes in inches, car space: x right, y up, z forward, the origin on the ground under the car's centre.
struct CarModelSpec {
  float bodyHalfWidth = 36;
  float bodyLength = 180;
  float bodyHeight = 50;
  float tyreRadius = 12;
  float tyreWidth = 8;
  float halfTrack = 30;   // tyre x
  float frontAxle = 50;   // tyre z
  float rearAxle = -50;
  uint32_t paintArgb = 0xFFC02020;
};

// Writes every model and picture of the car into carFolder (which ends with '/'). False when a file cannot be
// written (one line printed by the writer).
bool WriteCarModels(const std::string& carFolder, const CarModelSpec& spec);

}  // namespace contentgen
