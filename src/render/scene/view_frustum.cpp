// View frustum builds from view and projection matrices, and the box test against its planes.
#include "render/scene/view_frustum.h"

#include "app/box_tests.h"
#include "platform/math/math.h"

namespace render {

void ViewFrustum::BuildOrdinary(const Matrix4& view, const Matrix4& projection) {
  BuildFromCorners(view, projection, 1.0f);
}

void ViewFrustum::Build(const Matrix4& view, const Matrix4& projection) { BuildFromCorners(view, projection, -1.0f); }

void ViewFrustum::BuildFromCorners(const Matrix4& view, const Matrix4& projection, float ySign) {
  for (int i = 0; i < 8; ++i) {
    corners[i] = {(i & 1) ? 1.0f : -1.0f, ((i & 2) ? 1.0f : -1.0f) * ySign, (i & 4) ? 1.0f : 0.0f};
  }
  Matrix4 inverse;
  if (!platform::Inverse(platform::Multiply(view, projection), &inverse)) inverse = platform::IdentityMatrix();
  viewDirection = {view.m[0][2], view.m[1][2], view.m[2][2]};
  for (Vec3& corner : corners) corner = platform::TransformCoord(corner, inverse);
  boxMin = boxMax = corners[0];
  for (int i = 1; i < 8; ++i) {
    boxMin = platform::ComponentMin(boxMin, corners[i]);
    boxMax = platform::ComponentMax(boxMax, corners[i]);
  }
  planes[0] = platform::PlaneFromPoints(corners[0], corners[1], corners[2]);  // near
  planes[1] = platform::PlaneFromPoints(corners[6], corners[7], corners[5]);  // far
  planes[2] = platform::PlaneFromPoints(corners[2], corners[6], corners[4]);  // left
  planes[3] = platform::PlaneFromPoints(corners[7], corners[3], corners[5]);  // right
  planes[4] = platform::PlaneFromPoints(corners[2], corners[3], corners[6]);
  planes[5] = platform::PlaneFromPoints(corners[1], corners[0], corners[4]);
}

int ViewFrustum::ClassifySphere(const Vec3& centre, float radius) const {
  if (!app::PointInBoxPadded(boxMin, boxMax, centre, radius)) return kSphereOutside;
  return app::PointInBoxInset(boxMin, boxMax, centre, radius) ? kSphereInside : kSphereCrossing;
}

bool BoxInFrustum(const ViewFrustum& frustum, const std::array<Vec3, 8>& boxCorners) {
  for (const Plane& plane : frustum.planes) {
    int behind = 0;
    for (const Vec3& corner : boxCorners) {
      if (platform::DotCoord(plane, corner) < 0) ++behind;  // NaN compares false: never behind
    }
    if (behind == 8) return false;
  }
  return true;
}

std::array<Vec3, 8> BoxCornerPoints(const Vec3& boxMin, const Vec3& boxMax) {
  std::array<Vec3, 8> out;
  for (int i = 0; i < 8; ++i) {
    out[i] = {(i & 1) ? boxMax.x : boxMin.x, (i & 2) ? boxMax.y : boxMin.y, (i & 4) ? boxMax.z : boxMin.z};
  }
  return out;
}

}  // namespace render
