// An object's bounding box in its own frame, the world box around it after a transform, and that box's corners.
#pragma once

#include <array>

#include "platform/math/types.h"

namespace render {

using platform::Matrix4;
using platform::Vec3;

class BoxCorners {
 public:
  // Local and world boxes both start as (min, max); the corners stay zero until the first BoxTransform.
  BoxCorners(const Vec3& min, const Vec3& max);

  // Carries the eight local corners through the matrix (with the homogeneous divide) and takes the box around them.
  void BoxTransform(const Matrix4& matrix);
  // Corner i takes x from bit 0, y from bit 1, z from bit 2 (clear: minimum, set: maximum).
  void FillCorners();

  Vec3 localMin, localMax;
  Vec3 worldMin, worldMax;
  std::array<Vec3, 8> corners{};
};

}  // namespace render
