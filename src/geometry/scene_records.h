// Named records that model, collision and scene files carry besides triangles: markers (a placed orientation)
// and light nodes (a named light).
#pragma once

#include <cstdint>
#include <string>

#include "platform/gfx/types.h"
#include "platform/math/types.h"

namespace geometry {

using platform::Matrix4;
using platform::Vec3;

// A named position with an orientation, used to place start positions, flares and cameras by name.
struct SceneMarker {
  // The matrix's fourth column and fourth row are forced to (0, 0, 0, 1): only the rotation rows are kept.
  SceneMarker(std::string name, const Vec3& position, const Matrix4& matrix);

  std::string leadingString;  // the record's optional text
  std::string name;
  Vec3 position;
  Matrix4 matrix;
};

// Light kinds as files store them; BuildLight maps them onto the device's light types.
namespace light_kind {
enum : int32_t { kPoint = 0, kSpot = 1, kDirectional = 2, kSpotAlternate = 3, kDirectionalAlternate = 4 };
}

// A named light. Kinds 1 and 3 are spot lights, 2 and 4 directional (the kind becomes 2), anything else a
// point light. Range in inches.
struct SceneNode {
  SceneNode(std::string name, int32_t kind, float range, const Vec3& position, const Vec3& direction,
            const Vec3& colour);

  // Sets the range on the node and its light together, as the file loaders do after construction.
  void SetRange(float value);

  std::string leadingString;
  platform::gfx::Light light;
  int32_t kind = 0;
  std::string name;
  Vec3 position;
  Vec3 direction;  // normalised in place for spot and directional lights
  Vec3 colour;
  float range = 0;

 private:
  void BuildLight();
};

}  // namespace geometry
