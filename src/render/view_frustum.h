// The view volume of one camera view: corners, bounding planes and box, shared by culling and every camera.
#pragma once

#include <array>

#include "platform/math/types.h"

namespace render {

using platform::Matrix4;
using platform::Plane;
using platform::Vec3;

struct ViewFrustum {
  // World-space corners: near face (z 0) first, then the far face, each in the order (-x,-y), (x,-y), (-x,y), (x,y).
  std::array<Vec3, 8> corners{};
  // Near, far, left, right, top, bottom; inside points have a positive distance to all six.
  std::array<Plane, 6> planes{};
  Vec3 boxMin;
  Vec3 boxMax;
  Vec3 viewDirection{0, 0, 1};

  // The build for a mirrored view (a reflection matrix times a view): clip-space corners with y negated.
  void Build(const Matrix4& view, const Matrix4& projection);
  // The build for an ordinary look-at view.
  void BuildOrdinary(const Matrix4& view, const Matrix4& projection);

  // 0 when the centre lies outside the box grown by radius, 1 when inside the box shrunk by radius, else 2.
  int ClassifySphere(const Vec3& centre, float radius) const;
};

// 0 when all 8 corners of a box lie behind one of the frustum's planes, else 1.
int BoxInFrustum(const ViewFrustum& frustum, const std::array<Vec3, 8>& corners);

}  // namespace render
