// The material, ambient level and lights of a track or the showroom, handed to the device per drawn object:
// suns first, then the point and spot lights whose range reaches the object, up to the MAXLIGHTS setting.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <memory>

#include "geometry/scene_records.h"
#include "platform/gfx/graphics.h"
#include "platform/math/types.h"

namespace app {
class Settings;
}

namespace render {

using platform::Matrix4;
using platform::Vec3;

class SceneLighting {
 public:
  explicit SceneLighting(const app::Settings* settings);
  SceneLighting(const SceneLighting&) = delete;
  SceneLighting& operator=(const SceneLighting&) = delete;

  // Channels 0..1. The device ambient level follows the red channel only (all three levels take r × 255).
  void SetAmbient(float r, float g, float b);
  void SetSpecular(float r, float g, float b);
  // Takes ownership; the newest light is visited first.
  geometry::SceneNode* AddLight(std::unique_ptr<geometry::SceneNode> node);
  // The direction of the last directional light in visiting order; (0, -1, 0) until one was ever found.
  const Vec3* FindSunLight();
  // Sets material and ambient, then the lights in the object's own frame for an object with this world matrix.
  void Apply(platform::gfx::Device* device, const Matrix4& world);
  // Deletes the material and every light with the list that held them; both fields are null afterwards, and the
  // lighting then sets no material and touches no light index. What was not released goes with the object.
  void Release();

  std::array<int32_t, 3> ambientLevel{20, 20, 20};
  std::unique_ptr<platform::gfx::Material> material;
  const app::Settings* settings;
  std::unique_ptr<std::list<std::unique_ptr<geometry::SceneNode>>> lights;
  Vec3 sunDirection{0, -1, 0};
};

}  // namespace render
