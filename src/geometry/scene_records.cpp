// Scene markers and light nodes: the records and the light each node describes.
#include "geometry/scene_records.h"

#include <utility>

#include "platform/math/math.h"

namespace geometry {

namespace {

// Spot cone of every spot node: inner and outer angles in radians.
constexpr float kSpotTheta = 0.5f;
constexpr float kSpotPhi = 1.0f;
constexpr float kSpotFalloff = 1.0f;

}  // namespace

SceneMarker::SceneMarker(std::string name, const Vec3& position, const Matrix4& matrix)
    : name(std::move(name)), position(position), matrix(matrix) {
  for (int row = 0; row < 3; ++row) this->matrix.m[row][3] = 0;
  this->matrix.m[3][0] = 0;
  this->matrix.m[3][1] = 0;
  this->matrix.m[3][2] = 0;
  this->matrix.m[3][3] = 1;
}

SceneNode::SceneNode(std::string name, int32_t kind, float range, const Vec3& position, const Vec3& direction,
                     const Vec3& colour)
    : kind(kind), name(std::move(name)), position(position), direction(direction), colour(colour), range(range) {
  BuildLight();
}

void SceneNode::SetRange(float value) {
  range = value;
  light.range = value;
}

void SceneNode::BuildLight() {
  using platform::gfx::LightType;
  light = platform::gfx::Light{};
  light.direction = {};
  switch (kind) {
    case light_kind::kSpot:
    case light_kind::kSpotAlternate:
      direction = platform::Normalize(direction);
      light.type = LightType::Spot;
      light.position = position;
      light.direction = direction;
      light.range = range;
      light.theta = kSpotTheta;
      light.phi = kSpotPhi;
      light.falloff = kSpotFalloff;
      light.attenuation0 = 1.0f;
      break;
    case light_kind::kDirectional:
    case light_kind::kDirectionalAlternate:
      direction = platform::Normalize(direction);
      light.type = LightType::Directional;
      light.direction = direction;
      kind = light_kind::kDirectional;
      break;
    default:
      light.type = LightType::Point;
      light.position = position;
      light.range = range;
      light.attenuation0 = 1.0f;
      break;
  }
  light.diffuse = {colour.x, colour.y, colour.z, 0};
  light.specular = {colour.x, colour.y, colour.z, 0};
}

}  // namespace geometry
