// The per-material values that model and scene files share (colours, gloss, self-light value, texture
// animations) and how they are handed to a material image.
#pragma once

#include <array>
#include <cstdint>

#include "platform/math/types.h"

namespace render {
class ImageResource;
}

namespace geometry {

// A frame grid (columns × rows frames, one every frameSeconds) or a scroll (u, v per second) of one texture stage.
struct TextureAnimation {
  bool hasGrid = false;
  int32_t columns = 0, rows = 0;
  float frameSeconds = 0;
  bool hasScroll = false;
  float scrollU = 0, scrollV = 0;
};

struct MaterialRecord {
  int32_t lightValue = 0;
  // Colours as 0-1 components (file values divided by 255).
  platform::Vec3 diffuse{1, 1, 1};
  platform::Vec3 ambient{0.15f, 0.15f, 0.15f};
  platform::Vec3 specular{0.4f, 0.4f, 0.4f};
  platform::Vec3 emissive{0, 0, 0};
  float glossiness = 0;     // the material power is glossiness × 100
  float specularLevel = 1;  // scales the specular colour
  std::array<TextureAnimation, 2> animation;  // stages 0 and 1
};

// Writes the record into the image: lightValue, the red, green and blue of the four colours (specular scaled
// by specularLevel; alphas keep the image's values), the power, then the animations in the order grid 0,
// scroll 0, grid 1, scroll 1. Grid sizes below 1 are not started (they would divide by zero).
void ApplyMaterialRecord(render::ImageResource& image, const MaterialRecord& record);

}  // namespace geometry
