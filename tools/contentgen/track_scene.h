// The city circuit's scene and its mirror copy for reflections, built from the same geometry as the circuit's
// collision file so the drawn track and the driven one agree, with the textures, sky boxes and sounds they use.
#pragma once

#include <string>

#include "contentgen/scn_writer.h"

namespace contentgen {

constexpr const char* kTrackSceneFile = "city.scn";
constexpr const char* kTrackReflectionFile = "cityreflect.SCN";

// Texture-name table entries of the track scene.
enum TrackTexture : int32_t {
  kTrackAsphalt,
  kTrackDirt,
  kTrackGrass,
  kTrackCobble,
  kTrackWater,
  kTrackWaterReflection,
  kTrackWall,
  kTrackKerb,
  kTrackRamp,
  kTrackTextureCount
};

// The circuit scene: one part per collision block, material slots equal to the collision file's.
ScnFile BuildTrackScene();
// The same world mirrored in the ground plane (y negated, windings reversed so faces stay front-facing).
ScnFile MirrorScene(const ScnFile& scene);
// Writes both scene files, their textures, the sky boxes and the fountain's sound into TRACKS/CITY below the
// game folder.
bool WriteTrackScene(const std::string& gameFolder);

}  // namespace contentgen
