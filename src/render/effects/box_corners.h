// An object's bounding box in its own frame, the world box around it after a transform, and that box's corners.
#pragma once

#include <array>
#include <optional>

#include "platform/gfx/types.h"
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

// The pixels of a width x height target (rows top-down) that a world box can cover once carried through the
// view-projection matrix, one pixel wider on every side and kept inside the target; nothing when it lies wholly
// outside. A box reaching behind the eye gives the whole target.
std::optional<platform::gfx::Rect> BoxOnScreen(const Vec3& min, const Vec3& max, const Matrix4& viewProjection,
                                               uint32_t width, uint32_t height);

// Whether a box, carried through the matrix into clip space, lies wholly beyond one side of the view volume (x and
// y within -w..w, depth 0..w): nothing of it can reach the picture, so it need not be drawn. A box on the edge is
// kept.
bool BoxOutsideView(const Vec3& min, const Vec3& max, const Matrix4& toClip);

}  // namespace render
