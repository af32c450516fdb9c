// Scene lighting set on the device per drawn object.
#include "render/effects/scene_lighting.h"

#include <algorithm>

#include "app/settings.h"
#include "platform/math/math.h"

namespace render {

namespace {

constexpr uint32_t kMaxSceneLights = 4096;

bool IsSun(int32_t kind) { return kind == geometry::light_kind::kDirectional; }
bool IsLocalLight(int32_t kind) {
  return kind == geometry::light_kind::kPoint || kind == geometry::light_kind::kSpot ||
         kind == geometry::light_kind::kSpotAlternate;
}

}  // namespace

SceneLighting::SceneLighting(const app::Settings* lightingSettings)
    : material(std::make_unique<platform::gfx::Material>()),
      settings(lightingSettings),
      lights(std::make_unique<std::list<std::unique_ptr<geometry::SceneNode>>>()) {
  material->diffuse = {1, 1, 1, 1};
  material->ambient = {0.15f, 0.15f, 0.15f, 1.0f};
  material->specular = {0.4f, 0.4f, 0.4f, 0};
  material->emissive = {0, 0, 0, 0};
  material->power = 10.0f;
}

void SceneLighting::SetAmbient(float r, float g, float b) {
  if (material != nullptr) {
    material->ambient.r = r;
    material->ambient.g = g;
    material->ambient.b = b;
  }
  const int32_t level = static_cast<int32_t>(r * 255.0f);
  ambientLevel = {level, level, level};
}

void SceneLighting::SetSpecular(float r, float g, float b) {
  if (material == nullptr) return;
  material->specular.r = r;
  material->specular.g = g;
  material->specular.b = b;
}

geometry::SceneNode* SceneLighting::AddLight(std::unique_ptr<geometry::SceneNode> node) {
  if (node == nullptr || lights == nullptr) return nullptr;
  geometry::SceneNode* raw = node.get();
  lights->push_front(std::move(node));
  return raw;
}

const Vec3* SceneLighting::FindSunLight() {
  if (lights != nullptr) {
    for (const auto& node : *lights) {
      if (IsSun(node->kind)) sunDirection = node->direction;
    }
  }
  return &sunDirection;
}

void SceneLighting::Apply(platform::gfx::Device* device, const Matrix4& world) {
  if (device == nullptr) return;
  if (material != nullptr) device->SetMaterial(*material);
  const uint32_t ambient = (static_cast<uint32_t>(ambientLevel[0]) & 0xFF) |
                           (static_cast<uint32_t>(ambientLevel[1]) & 0xFF) << 8 |
                           (static_cast<uint32_t>(ambientLevel[2]) & 0xFF) << 16;
  device->SetRenderState(platform::gfx::RenderState::Ambient, ambient);

  Matrix4 inverse = platform::IdentityMatrix();
  platform::Inverse(world, &inverse);
  const int maxSetting = settings != nullptr ? settings->GetInt(app::SettingId::MAXLIGHTS) : 0;
  // A stray huge setting must not turn the switch-off loop below into billions of device calls.
  const uint32_t maxLights = maxSetting > 0 ? std::min(static_cast<uint32_t>(maxSetting), kMaxSceneLights) : 0;
  if (maxLights == 0 || lights == nullptr) return;

  uint32_t index = 0;
  for (const auto& node : *lights) {
    if (index >= maxLights) break;
    if (!IsSun(node->kind)) continue;
    node->light.direction = platform::TransformNormal(node->direction, inverse);
    device->SetLight(index, node->light);
    device->LightEnable(index, true);
    ++index;
  }
  for (const auto& node : *lights) {
    if (index >= maxLights) break;
    if (!IsLocalLight(node->kind)) continue;
    const Vec3 position = platform::TransformCoord(node->position, inverse);
    if (!(platform::Length(position) < node->light.range)) continue;
    node->light.position = position;
    node->light.direction = platform::TransformNormal(node->direction, inverse);
    device->SetLight(index, node->light);
    device->LightEnable(index, true);
    ++index;
  }
  for (; index < maxLights; ++index) device->LightEnable(index, false);
}

void SceneLighting::Release() {
  material.reset();
  if (lights != nullptr) lights->clear();
  lights.reset();
}

}  // namespace render
