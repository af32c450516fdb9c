// Bounding boxes carried into world space for frustum culling.
#include "render/effects/box_corners.h"

#include "platform/math/math.h"

namespace render {

BoxCorners::BoxCorners(const Vec3& min, const Vec3& max)
    : localMin(min), localMax(max), worldMin(min), worldMax(max) {}

void BoxCorners::BoxTransform(const Matrix4& matrix) {
  const Vec3 first = platform::TransformCoord(localMin, matrix);
  worldMin = first;
  worldMax = first;
  const std::array<Vec3, 7> others = {{
      {localMax.x, localMax.y, localMax.z},
      {localMax.x, localMin.y, localMin.z},
      {localMin.x, localMax.y, localMin.z},
      {localMax.x, localMax.y, localMin.z},
      {localMin.x, localMin.y, localMax.z},
      {localMax.x, localMin.y, localMax.z},
      {localMin.x, localMax.y, localMax.z},
  }};
  for (const Vec3& local : others) {
    const Vec3 world = platform::TransformCoord(local, matrix);
    worldMin = platform::ComponentMin(worldMin, world);
    worldMax = platform::ComponentMax(worldMax, world);
  }
  FillCorners();
}

void BoxCorners::FillCorners() {
  for (int i = 0; i < 8; ++i) {
    corners[i] = {(i & 1) ? worldMax.x : worldMin.x, (i & 2) ? worldMax.y : worldMin.y,
                  (i & 4) ? worldMax.z : worldMin.z};
  }
}

}  // namespace render
