// Bounding boxes carried into world space for frustum culling.
#include "render/effects/box_corners.h"

#include <algorithm>
#include <cmath>

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

std::optional<platform::gfx::Rect> BoxOnScreen(const Vec3& min, const Vec3& max, const Matrix4& viewProjection,
                                               uint32_t width, uint32_t height) {
  const platform::gfx::Rect whole{0, 0, static_cast<int32_t>(width), static_cast<int32_t>(height)};
  float left = 1e30f, right = -1e30f, top = 1e30f, bottom = -1e30f;
  for (int i = 0; i < 8; ++i) {
    const Vec3 corner{(i & 1) ? max.x : min.x, (i & 2) ? max.y : min.y, (i & 4) ? max.z : min.z};
    const Matrix4& m = viewProjection;
    const float x = corner.x * m.m[0][0] + corner.y * m.m[1][0] + corner.z * m.m[2][0] + m.m[3][0];
    const float y = corner.x * m.m[0][1] + corner.y * m.m[1][1] + corner.z * m.m[2][1] + m.m[3][1];
    const float w = corner.x * m.m[0][3] + corner.y * m.m[1][3] + corner.z * m.m[2][3] + m.m[3][3];
    // Near or behind the eye the divide says nothing useful about where the box lands.
    if (!(w > 1e-3f)) return whole;
    const float column = (x / w + 1.0f) * 0.5f * static_cast<float>(width);
    const float row = (1.0f - y / w) * 0.5f * static_cast<float>(height);
    left = std::min(left, column);
    right = std::max(right, column);
    top = std::min(top, row);
    bottom = std::max(bottom, row);
  }
  const auto clampTo = [](float value, int32_t limit) {
    return static_cast<int32_t>(std::clamp(value, 0.0f, static_cast<float>(limit)));
  };
  const platform::gfx::Rect rect{clampTo(std::floor(left) - 1.0f, whole.right), clampTo(std::floor(top) - 1.0f, whole.bottom),
                                 clampTo(std::ceil(right) + 1.0f, whole.right),
                                 clampTo(std::ceil(bottom) + 1.0f, whole.bottom)};
  if (rect.left >= rect.right || rect.top >= rect.bottom) return std::nullopt;
  return rect;
}

bool BoxOutsideView(const Vec3& min, const Vec3& max, const Matrix4& toClip) {
  // Bit k of `beyond` stays set while every corner so far lies beyond side k.
  uint32_t beyond = 0x3F;
  for (int i = 0; i < 8 && beyond != 0; ++i) {
    const Vec3 corner{(i & 1) ? max.x : min.x, (i & 2) ? max.y : min.y, (i & 4) ? max.z : min.z};
    const Matrix4& m = toClip;
    const float x = corner.x * m.m[0][0] + corner.y * m.m[1][0] + corner.z * m.m[2][0] + m.m[3][0];
    const float y = corner.x * m.m[0][1] + corner.y * m.m[1][1] + corner.z * m.m[2][1] + m.m[3][1];
    const float z = corner.x * m.m[0][2] + corner.y * m.m[1][2] + corner.z * m.m[2][2] + m.m[3][2];
    const float w = corner.x * m.m[0][3] + corner.y * m.m[1][3] + corner.z * m.m[2][3] + m.m[3][3];
    // A hair of slack so rounding never drops a box that only touches a side.
    const float slack = 1e-5f * std::fabs(w) + 1e-6f;
    const uint32_t sides = (x > w + slack ? 1u : 0u) | (x < -w - slack ? 2u : 0u) | (y > w + slack ? 4u : 0u) |
                           (y < -w - slack ? 8u : 0u) | (z > w + slack ? 16u : 0u) | (z < -slack ? 32u : 0u);
    beyond &= sides;  // NaN compares false everywhere: such a box is kept
  }
  return beyond != 0;
}

}  // namespace render
