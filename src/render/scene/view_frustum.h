// The view volume of one camera view (eight corners, six inward planes, the box around them) and the conservative
// box-in-frustum test that scene culling, skid marks, the showroom and the cars share.
#pragma once

#include <array>

#include "platform/math/types.h"

namespace render {

using platform::Matrix4;
using platform::Plane;
using platform::Vec3;

// ClassifySphere's answers.
inline constexpr int kSphereOutside = 0;
inline constexpr int kSphereInside = 1;
inline constexpr int kSphereCrossing = 2;

struct ViewFrustum {
  // Ordinary build: for a look-at view, as every camera uses for its own frustum.
  void BuildOrdinary(const Matrix4& view, const Matrix4& projection);
  // Mirrored build: for a reflection matrix times a view (the corner table's y negated), so the planes still
  // face into the volume.
  void Build(const Matrix4& view, const Matrix4& projection);
  // Where a sphere lies against the box of the corners: kSphereOutside when its centre is outside the box grown
  // by the radius on every side (or is not a number), kSphereInside when inside the box shrunk by the radius on
  // every side, kSphereCrossing otherwise (it may cross the edge).
  int ClassifySphere(const Vec3& centre, float radius) const;

  // Corner i: x from clip −1/+1 by bit 0, y by bit 1, z near (0) / far (1) by bit 2, in world space.
  std::array<Vec3, 8> corners{};
  // Near, far, left, right, then the two y sides; a point p is inside a plane when a·x + b·y + c·z + d ≥ 0.
  std::array<Plane, 6> planes{};
  Vec3 boxMin, boxMax;
  // The view's forward axis in world space.
  Vec3 viewDirection{0, 0, 1};

 private:
  void BuildFromCorners(const Matrix4& view, const Matrix4& projection, float ySign);
};

// False only when all eight corners lie behind one and the same plane; a corner whose distance is not a number
// never counts as behind, so the test errs on the side of drawing.
bool BoxInFrustum(const ViewFrustum& frustum, const std::array<Vec3, 8>& boxCorners);

// The eight corners of a box in the same bit order as the frustum's corners (bit 0 x, bit 1 y, bit 2 z).
std::array<Vec3, 8> BoxCornerPoints(const Vec3& boxMin, const Vec3& boxMax);

}  // namespace render
