// Pieces the intro scene and the menu showroom both use to read their scene files and draw their backdrops.
#include "frontend/backdrop_shared.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "geometry/models/mesh_model.h"
#include "geometry/scene_records.h"
#include "render/effects/scene_lighting.h"
#include "render/effects/screen_quad.h"
#include "render/resources/image_resource.h"
#include "render/scene/view_frustum.h"
#include "platform/math/math.h"

namespace frontend::backdrop {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

int SettingOn(const app::Settings* settings, app::SettingId id) { return settings ? settings->GetInt(id) : 0; }

float FlareSize(const std::string& value) {
  if (value.empty()) return 1.0f;
  return std::strtof(value.c_str(), nullptr);
}

float BlurAlphaBeforeLimits(float framesPerSecond) {
  const float v = framesPerSecond > 75.0f ? 75.0f : framesPerSecond;
  float a = v - 15.0f;
  a = a / 100.0f;
  a = a * 1.67f;
  a = a * -0.75f;
  a = a + 1.0f;
  return a;
}

void AddSceneLight(render::SceneLighting& lighting, const geometry::SceneNode& node) {
  auto light = std::make_unique<geometry::SceneNode>(node.name, node.kind, node.range, node.position, node.direction,
                                                     node.colour);
  light->SetRange(node.range);
  lighting.AddLight(std::move(light));
}

void DrawSkyBox(platform::gfx::Device* device, geometry::MeshModel* skyBox, const platform::Matrix4& view) {
  if (skyBox == nullptr) return;
  platform::Matrix4 still = view;
  still.m[3][0] = still.m[3][1] = still.m[3][2] = 0;
  device->SetRenderState(platform::gfx::RenderState::ZWriteEnable, 0u);
  skyBox->Draw(device, still, platform::Vec3{0, -1, 0});
  device->SetRenderState(platform::gfx::RenderState::ZWriteEnable, 1u);
}

platform::Matrix4 BeginReflectorPass(platform::gfx::Device* device, const render::ImageResource& image, bool hasSkyBox,
                                     const platform::Matrix4& view, const platform::Matrix4& projection,
                                     render::ViewFrustum& frustum) {
  namespace gfx = platform::gfx;
  const uint32_t flags = hasSkyBox ? gfx::clear_flags::kZBuffer : gfx::clear_flags::kTarget | gfx::clear_flags::kZBuffer;
  device->Clear(flags | gfx::clear_flags::kStencil, 0, 1.0f, 0);
  device->SetRenderState(gfx::RenderState::Lighting, 0u);
  const platform::Plane& plane = image.reflectionPlane;
  const platform::Matrix4 reflectedView = platform::ReflectionMatrix(plane) * view;
  frustum.Build(reflectedView, projection);
  device->SetClipPlane(0, platform::Plane{-plane.a, -plane.b, -plane.c, -plane.d - 1.0f});
  device->SetRenderState(gfx::RenderState::ClipPlaneEnable, 1u);
  return reflectedView;
}

void DrawFade(platform::gfx::Device* device, render::ColorQuad& quad, float fade) {
  quad.SetColor(0, 0, 0, 1.0f - std::fabs(fade - 1.0f));
  quad.Draw(device);
}

}  // namespace frontend::backdrop
