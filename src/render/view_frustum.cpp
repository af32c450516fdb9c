// View volume built from view and projection matrices, and the box and sphere tests against it.
#include "render/view_frustum.h"

#include <cstddef>

#include "platform/math/math.h"

namespace render {

namespace {

constexpr std::array<Vec3, 8> kClipCorners = {{
    {-1, -1, 0}, {1, -1, 0}, {-1, 1, 0}, {1, 1, 0}, {-1, -1, 1}, {1, -1, 1}, {-1, 1, 1}, {1, 1, 1},
}};

void BuildFromCorners(ViewFrustum& frustum, const Matrix4& view, const Matrix4& projection, float ySign) {
  Matrix4 inverse = platform::IdentityMatrix();
  platform::Inverse(view * projection, &inverse);
  // The view's forward axis in world space is its third column.
  frustum.viewDirection = {view.m[0][2], view.m[1][2], view.m[2][2]};
  for (std::size_t i = 0; i < kClipCorners.size(); ++i) {
    const Vec3 clip{kClipCorners[i].x, kClipCorners[i].y * ySign, kClipCorners[i].z};
    frustum.corners[i] = platform::TransformCoord(clip, inverse);
  }
  frustum.boxMin = frustum.corners[0];
  frustum.boxMax = frustum.corners[0];
  for (std::size_t i = 1; i < frustum.corners.size(); ++i) {
    frustum.boxMin = platform::ComponentMin(frustum.boxMin, frustum.corners[i]);
    frustum.boxMax = platform::ComponentMax(frustum.boxMax, frustum.corners[i]);
  }
  const auto& c = frustum.corners;
  frustum.planes[0] = platform::PlaneFromPoints(c[0], c[1], c[2]);
  frustum.planes[1] = platform::PlaneFromPoints(c[6], c[7], c[5]);
  frustum.planes[2] = platform::PlaneFromPoints(c[2], c[6], c[4]);
  frustum.planes[3] = platform::PlaneFromPoints(c[7], c[3], c[5]);
  frustum.planes[4] = platform::PlaneFromPoints(c[2], c[3], c[6]);
  frustum.planes[5] = platform::PlaneFromPoints(c[1], c[0], c[4]);
}

}  // namespace

void ViewFrustum::Build(const Matrix4& view, const Matrix4& projection) {
  BuildFromCorners(*this, view, projection, -1.0f);
}

void ViewFrustum::BuildOrdinary(const Matrix4& view, const Matrix4& projection) {
  BuildFromCorners(*this, view, projection, 1.0f);
}

int ViewFrustum::ClassifySphere(const Vec3& centre, float radius) const {
  const bool outside = centre.x < boxMin.x - radius || centre.x > boxMax.x + radius || centre.y < boxMin.y - radius ||
                       centre.y > boxMax.y + radius || centre.z < boxMin.z - radius || centre.z > boxMax.z + radius;
  if (outside) return 0;
  const bool inside = centre.x > boxMin.x + radius && centre.x < boxMax.x - radius && centre.y > boxMin.y + radius &&
                      centre.y < boxMax.y - radius && centre.z > boxMin.z + radius && centre.z < boxMax.z - radius;
  return inside ? 1 : 2;
}

int BoxInFrustum(const ViewFrustum& frustum, const std::array<Vec3, 8>& corners) {
  for (const Plane& plane : frustum.planes) {
    bool allBehind = true;
    for (const Vec3& corner : corners) {
      if (platform::DotCoord(plane, corner) >= 0.0f) {
        allBehind = false;
        break;
      }
    }
    if (allBehind) return 0;
  }
  return 1;
}

}  // namespace render
