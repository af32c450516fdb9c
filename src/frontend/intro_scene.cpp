// The intro scene: its objects, the camera and wing timeline, the closing fade, and its drawing passes.
#include "frontend/intro_scene.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/paths.h"
#include "app/settings.h"
#include "frontend/backdrop_shared.h"
#include "frontend/showroom_scene.h"
#include "geometry/models/mesh_model.h"
#include "geometry/path.h"
#include "platform/math/math.h"
#include "render/effects/box_corners.h"
#include "render/effects/glow_trails.h"
#include "render/effects/particle_system.h"
#include "render/effects/scene_lighting.h"
#include "render/effects/screen_quad.h"
#include "render/resources/cube_map.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"
#include "render/scene/scene.h"

namespace frontend {

namespace gfx = platform::gfx;
using platform::Matrix4;
using platform::Vec3;

using backdrop::SettingOn;
using backdrop::StartsWith;
using backdrop::Upper;

namespace {

constexpr float kPi = 3.14159265f;

float Aspect(const app::Settings* settings) {
  const int height = std::max(1, settings->GetInt(app::SettingId::SCREENHEIGHT));
  return static_cast<float>(settings->GetInt(app::SettingId::SCREENWIDTH)) / static_cast<float>(height);
}

}  // namespace

// --- SceneCamera ---

SceneCamera::SceneCamera(const app::Settings* settings) : settings(settings) {
  view = platform::IdentityMatrix();
  projection = platform::IdentityMatrix();
  axes = platform::IdentityMatrix();
}

void SceneCamera::SetProjection() { projection = platform::PerspectiveFovLH(kPi / 4.0f, Aspect(settings), 1.0f, 1000.0f); }

void SceneCamera::SetView() {
  view = platform::LookAtLH(eye, target, up);
  axes = platform::Transpose(view);
  axes.m[0][3] = axes.m[1][3] = axes.m[2][3] = 0;
  axes.m[3][0] = axes.m[3][1] = axes.m[3][2] = 0;
}

void SceneCamera::Update() {
  SetProjection();
  SetView();
  frustum.BuildOrdinary(view, projection);
}

// --- IntroModel ---

IntroModel::IntroModel(render::ResourceManager* resources, const app::Settings* settings)
    : resources(resources), settings(settings) {
  orientation = platform::IdentityMatrix();
}

IntroModel::~IntroModel() { Release(); }

void IntroModel::Load(gfx::Device* device, const std::string& modelFile) {
  Release();
  model = geometry::LoadObjectResource(*resources, device, modelFile, "", false, true, false);
  bounds = std::make_unique<render::BoxCorners>(model->boundsMin, model->boundsMax);
  if (model->triangleCount > 0 && SettingOn(settings, app::SettingId::CUBEMAPPING) != 0) {
    cubeMap = SettingOn(settings, app::SettingId::DYNAMICREFLECTIONS) != 0
                  ? resources->CreateCubeRenderTarget(device, 128, 3)
                  : resources->LoadCubeMap(device, "CUBEMAPS\\envmap.dds");
  }
}

bool IntroModel::Place(const render::ViewFrustum* frustum, Matrix4& world) {
  world = orientation * platform::TranslationMatrix(position);
  if (frustum == nullptr || !bounds) return true;
  bounds->BoxTransform(world);
  return render::BoxInFrustum(*frustum, bounds->corners);
}

bool IntroModel::Render(gfx::Device* device, render::SceneLighting* lighting, const Matrix4& view,
                        const render::ViewFrustum* frustum) {
  if (model == nullptr) return false;
  Matrix4 world;
  if (!Place(frustum, world)) return false;
  Vec3 light{0, -1, 0};
  if (lighting != nullptr) {
    lighting->Apply(device, world);
    Matrix4 inverse = platform::IdentityMatrix();
    platform::Inverse(world, &inverse);  // a singular placement keeps the sun in world terms
    light = platform::TransformNormal(*lighting->FindSunLight(), inverse);
  }
  const Matrix4 worldView = world * view;
  if (cubeMap != nullptr) {
    model->DrawWithEnvironment(device, worldView, cubeMap->GetCubeTexture(), light);
  } else {
    model->Draw(device, worldView, light);
  }
  return true;
}

bool IntroModel::RenderSecondPass(gfx::Device* device, const Matrix4& view, const render::ViewFrustum* frustum) {
  if (model == nullptr) return false;
  Matrix4 world;
  if (!Place(frustum, world)) return false;
  model->DrawPass(device, world * view);
  return true;
}

void IntroModel::Release() {
  if (cubeMap != nullptr) resources->ReleaseCubeMap(cubeMap);
  if (model != nullptr) geometry::ReleaseMeshModel(*resources, model);
  cubeMap = nullptr;
  model = nullptr;
  bounds.reset();
}

// --- ShowroomScene ---

ShowroomScene::ShowroomScene(render::ResourceManager* resources, app::Settings* settings)
    : settings(settings), resources(resources) {
  camera = std::make_unique<SceneCamera>(settings);
  lighting = std::make_unique<render::SceneLighting>(settings);
  lighting->SetAmbient(0.3f, 0.3f, 0.3f);
  lighting->SetSpecular(0.5f, 0.5f, 0.5f);
}

ShowroomScene::~ShowroomScene() { Unload(); }

void ShowroomScene::Load(gfx::Device* device, const std::string& sceneFile) {
  wing.reset();
  logo.reset();
  glows = std::make_unique<render::GlowTrailSystem>(device, resources, settings);
  particles = std::make_unique<render::ParticleSystem>(device, resources, settings);
  if (scene != nullptr) render::ReleaseScene(*resources, scene);
  scene = render::LoadScene(*resources, device, sceneFile, "", true, true, true, false);
  sceneFolder =
      app::GetFolderPart(app::NormalizePathSlashes(app::MakeGameFolderPath(resources->BaseFolder(), sceneFile)));
  LoadSceneObjects(device);
  fadeQuad = std::make_unique<render::ColorQuad>();
  fadeQuad->Create(device, settings);
  blurQuad = std::make_unique<render::ScreenQuad>();
  blurQuad->Create(device, resources, settings, "", "", 256, 0.75f);
  lighting->SetAmbient(scene->ambient.x, scene->ambient.y, scene->ambient.z);
}

void ShowroomScene::LoadSceneObjects(gfx::Device* device) {
  target = {0, 0, 0};
  cameraPath = wingPath = nullptr;
  for (size_t i = 0; const geometry::Path* path = scene->GetPath(i); ++i) {
    const std::string name = Upper(path->Name());
    if (StartsWith(name, "CAMERAPATH")) {
      cameraPath = path;
    } else if (StartsWith(name, "WINGPATH")) {
      wingPath = path;
    }
  }
  for (size_t i = 0; const geometry::SceneNode* node = scene->GetNode(i); ++i) {
    const std::string name = Upper(node->name);
    const std::string& value = node->leadingString;
    if (StartsWith(name, "WING") || StartsWith(name, "LOGO")) {
      if (value.empty()) continue;
      auto model = std::make_unique<IntroModel>(resources, settings);
      model->Load(device, sceneFolder + value);
      if (StartsWith(name, "LOGO")) model->position = node->position;
      (StartsWith(name, "WING") ? wing : logo) = std::move(model);
    } else if (StartsWith(name, "FLARE")) {
      glows->AddGlowTrailPoint(node->position, render::kGlowFlare,
                               backdrop::FlareSize(value),
                               render::GlowColourFromName(name));
    } else if (name == "CAMERA") {
      camera->eye = node->position;
    } else if (name == "TARGET") {
      target = node->position;
      camera->target = node->position;
    } else if (name == "SKYBOX" || name == "GLOWSKYBOX") {
      const std::string file = sceneFolder + value;
      if (value.empty() || !app::FileExists(file)) continue;
      (name == "SKYBOX" ? skyBox : glowSkyBox) = geometry::LoadMeshModel(*resources, device, file, "", false, true);
    } else {
      // Every other node is one of the scene's lights; the lighting keeps its own copy.
      backdrop::AddSceneLight(*lighting, *node);
    }
  }
  camera->Update();
}

void ShowroomScene::Update(float dt) {
  if (scene == nullptr) return;
  const bool wasFading = fading;
  if (fading) {
    fade += dt;
    if (fade >= 1.0f) {
      fade = 1.0f;
      finished = true;
    }
  }
  progress += dt * kIntroProgressRate;
  if (progress > 2.0f) {
    progress = 2.0f;
    if (!wasFading) {
      fading = true;
      fade = 0;
    }
  }
  if (cameraPath != nullptr) {
    const float length = cameraPath->TotalLength();
    cameraDistance = std::min(length * progress, length);
    camera->eye = cameraPath->SmoothPointAt(cameraDistance);
    camera->target = target;
  }
  if (wingPath != nullptr && wing) {
    const float length = wingPath->TotalLength();
    wingDistance = std::min(length * progress, length - 2.0f);
    const Vec3 at = wingPath->SmoothPointAt(wingDistance);
    const Vec3 ahead = wingPath->SmoothPointAt(wingDistance + 2.0f);
    wing->position = at;
    // The wing faces along its path.
    Matrix4 facing = platform::Transpose(platform::LookAtLH(at, ahead, Vec3{0, 1, 0}));
    facing.m[0][3] = facing.m[1][3] = facing.m[2][3] = 0;
    facing.m[3][0] = facing.m[3][1] = facing.m[3][2] = 0;
    wing->orientation = facing;
  }
  camera->Update();
  if (particles) particles->Update(dt);
  if (glows) glows->UpdateGlowTrails(dt);
  blurTimer += dt;
}

void ShowroomScene::UpdateMotionBlur(float) {
  if (SettingOn(settings, app::SettingId::MOTIONBLUR) == 0 || !blurQuad) return;
  blurQuad->SetAlpha(kIntroBlurAlpha);
}

void ShowroomScene::DrawSkyBox(gfx::Device* device, const Matrix4& view) {
  backdrop::DrawSkyBox(device, skyBox, view);
}

void ShowroomScene::Render(gfx::Device* device) {
  if (scene == nullptr) return;
  device->SetTransform(gfx::TransformState::Projection, camera->projection);
  device->SetRenderState(gfx::RenderState::Lighting, 0u);
  DrawSkyBox(device, camera->view);
  scene->CollectVisible(camera->frustum);
  // The wet road shows its own reflection target through the camera's projection.
  scene->Draw(device, camera->view, nullptr);
  device->SetRenderState(gfx::RenderState::Lighting, 1u);
  if (logo) logo->Render(device, lighting.get(), camera->view, &camera->frustum);
  if (wing) wing->Render(device, lighting.get(), camera->view, &camera->frustum);
  device->SetRenderState(gfx::RenderState::Lighting, 0u);
  if (particles) particles->Draw(device, camera->view, &camera->frustum);
  if (glows) glows->DrawGlowTrails(device, camera->view, &camera->frustum);
  if (SettingOn(settings, app::SettingId::MOTIONBLUR) != 0 && blurQuad) blurQuad->DrawPass(device);
  if (fading && fadeQuad) {
    backdrop::DrawFade(device, *fadeQuad, fade);
  }
}

void ShowroomScene::RenderSecondPass(gfx::Device* device) {
  if (scene == nullptr || SettingOn(settings, app::SettingId::MOTIONBLUR) == 0 || !blurQuad ||
      !blurQuad->HasTexture()) {
    return;
  }
  if (blurTimer < kBlurCaptureInterval) return;
  while (blurTimer > kBlurCaptureInterval) blurTimer -= kBlurCaptureInterval;
  device->SetRenderState(gfx::RenderState::Lighting, 0u);
  blurQuad->BeginCapture(device);
  device->SetRenderState(gfx::RenderState::ZWriteEnable, 1u);
  if (logo) logo->RenderSecondPass(device, camera->view, &camera->frustum);
  if (wing) wing->RenderSecondPass(device, camera->view, &camera->frustum);
  scene->CollectVisible(camera->frustum);
  render::SceneForward(*scene, device, camera->view);
  device->SetRenderState(gfx::RenderState::ZWriteEnable, 0u);
  if (glows) glows->DrawSecondPass(device, camera->view, &camera->frustum);
  if (particles) particles->DrawSecondPass(device, camera->view, &camera->frustum);
  blurQuad->EndCapture(device);
  ++blurCaptures;
}

void ShowroomScene::RenderReflectionTexture(gfx::Device* device) {
  if (scene == nullptr) return;
  scene->CollectVisible(camera->frustum);
  scene->CollectReflectors(camera->frustum.viewDirection);
  if (SettingOn(settings, app::SettingId::SCENEREFLECTION) != 0 && scene->HasGeometry()) {
    RenderReflectionTargets(device);
  }
}

void ShowroomScene::RenderReflectionTargets(gfx::Device* device) {
  const Matrix4 projection = platform::PerspectiveFovLH(settings->GetFloat(app::FloatSettingId::FOV) * kPi / 180.0f,
                                                        Aspect(settings), 10.0f, 1500.0f);
  device->SetTransform(gfx::TransformState::Projection, projection);
  device->SetRenderState(gfx::RenderState::CullMode, gfx::CullMode::Clockwise);
  for (size_t i = 0; i < scene->GetReflectorCount(); ++i) {
    render::ImageResource* image = scene->GetReflector(i);
    if (image == nullptr || image->BeginRenderToTexture() != platform::kOk) continue;
    const Matrix4 reflectedView = backdrop::BeginReflectorPass(device, *image, skyBox != nullptr, camera->view,
                                                               projection, reflectionFrustum);
    DrawSkyBox(device, reflectedView);
    scene->CollectVisible(reflectionFrustum);
    render::SceneForwardDraw(*scene, device, reflectedView, nullptr, nullptr);
    device->SetRenderState(gfx::RenderState::Lighting, 1u);
    device->SetRenderState(gfx::RenderState::Lighting, 0u);
    device->SetRenderState(gfx::RenderState::CullMode, gfx::CullMode::CounterClockwise);
    if (particles) particles->Draw(device, reflectedView, &reflectionFrustum);
    if (glows) glows->DrawGlowTrails(device, reflectedView, &reflectionFrustum);
    device->SetRenderState(gfx::RenderState::CullMode, gfx::CullMode::Clockwise);
    device->SetRenderState(gfx::RenderState::ClipPlaneEnable, 0u);
    image->EndRenderToTexture();
    ++reflectionTargetsDrawn;
  }
  device->SetRenderState(gfx::RenderState::CullMode, gfx::CullMode::CounterClockwise);
}

bool ShowroomScene::IsCubeMappingOn(gfx::Device*) const {
  return SettingOn(settings, app::SettingId::CUBEMAPPING) != 0;
}

void ShowroomScene::RestoreDeviceObjects(gfx::Device* device) {
  if (fadeQuad) fadeQuad->Build(device, settings);
  if (SettingOn(settings, app::SettingId::MOTIONBLUR) != 0 && blurQuad) blurQuad->Build(device, settings);
}

void ShowroomScene::Unload() {
  glows.reset();
  particles.reset();
  fadeQuad.reset();
  blurQuad.reset();
  wing.reset();
  logo.reset();
  if (resources != nullptr) {
    if (scene != nullptr) render::ReleaseScene(*resources, scene);
    if (skyBox != nullptr) geometry::ReleaseMeshModel(*resources, skyBox);
    if (glowSkyBox != nullptr) geometry::ReleaseMeshModel(*resources, glowSkyBox);
  }
  scene = nullptr;
  skyBox = glowSkyBox = nullptr;
  camera.reset();
  // The lights go now; the emptied lighting object goes with the scene.
  if (lighting) lighting->Release();
}

}  // namespace frontend
