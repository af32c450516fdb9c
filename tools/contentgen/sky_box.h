// Sky boxes of the sample tracks and the intro: a cube around the eye whose six pictures are painted from one sky
// (gradient, sun, clouds or stars, a skyline on the horizon), and a glow box that carries only the bright parts.
#pragma once

#include <cstdint>
#include <string>

#include "contentgen/mdl_writer.h"
#include "contentgen/png_writer.h"
#include "platform/math/types.h"

namespace contentgen {

// The direction of the sun the race lights its cars by: skies and baked shading follow it, so the sun in the
// sky, the shade on the walls and the cars' shadows agree.
constexpr platform::Vec3 kRaceSunDirection{0.2f, -0.5f, -0.4f};

struct SkyLook {
  uint32_t zenith = 0xFF3A6EB8u;   // colours as 0xAARRGGBB
  uint32_t horizon = 0xFFB8D0E8u;
  uint32_t ground = 0xFF505850u;
  uint32_t sun = 0xFFFFF0C8u;
  platform::Vec3 sunDirection = kRaceSunDirection;  // the way the sunlight travels
  float cloudCover = 0.4f;         // 0 clear, 1 overcast
  bool stars = false;
  uint32_t skyline = 0xFF404850u;  // silhouette on the horizon
  float skylineHeight = 0.1f;      // tallest silhouette, radians above the horizon; 0 for none
  bool litWindows = false;         // dots of light in the silhouette
  uint32_t glow = 0xFFFFB060u;     // the glow box's horizon band
  uint32_t seed = 1;
};

// The colour of the sky seen in a direction (any length).
uint32_t SkyColour(const SkyLook& look, const platform::Vec3& direction);
// The glow box's colour in a direction: black except near the horizon and the sun.
uint32_t SkyGlowColour(const SkyLook& look, const platform::Vec3& direction);

// A cube of half size `half` with one picture (faceSize texels square) per face, seen from inside; pictures named
// <name>_<face>.png.
MdlFile SkyBoxModel(const std::string& name, float half, uint32_t faceSize);
// Writes <name>.MDL (the sky box) and <name>glow.MDL (the glow box, unit-sized: the race scales it by the far
// clip distance) with their pictures into folder (ending in its separator). False with a printed line on failure.
bool WriteSkyBoxes(const std::string& folder, const std::string& name, const SkyLook& look);

}  // namespace contentgen
