// The menu showroom: scene objects, the displayed car, the camera's shots and cuts, and its drawing passes.
#include "frontend/showroom_scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/data_file.h"
#include "app/paths.h"
#include "app/settings.h"
#include "frontend/backdrop_shared.h"
#include "frontend/menu_screen.h"
#include "geometry/models/mesh_model.h"
#include "geometry/path.h"
#include "platform/math/math.h"
#include "platform/os.h"
#include "race/content_database.h"
#include "race/player_profile.h"
#include "render/effects/glow_trails.h"
#include "render/effects/particle_system.h"
#include "render/effects/race_camera.h"
#include "render/effects/scene_lighting.h"
#include "render/effects/screen_quad.h"
#include "render/resources/cube_map.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"
#include "render/scene/scene.h"
#include "vehicle/vehicle.h"
#include "vehicle/vehicle_assembly.h"
#include "vehicle/vehicle_presentation.h"
#include "vehicle/vehicle_renderer.h"

namespace frontend {

namespace gfx = platform::gfx;
using platform::Matrix4;
using platform::Vec3;

using backdrop::SettingOn;
using backdrop::StartsWith;
using backdrop::Upper;

namespace {

// The view with its translation row cleared, for sky boxes that stay around the eye.
Matrix4 WithoutTranslation(Matrix4 view) {
  view.m[3][0] = view.m[3][1] = view.m[3][2] = 0;
  return view;
}

}  // namespace

float ShowroomBlurAlpha(float framesPerSecond) {
  const float a = backdrop::BlurAlphaBeforeLimits(framesPerSecond);
  if (a > 1.0f) return 1.0f;
  if (a < 0.25f) return 0.25f;
  return a;
}

Showroom::Showroom(render::ResourceManager* resources, app::Settings* settings, race::ContentDatabase* database,
                   race::PlayerProfile* profile, bool randomCar, std::function<int()> random)
    : profile(profile),
      settings(settings),
      resources(resources),
      database(database),
      randomCar(randomCar),
      random_(std::move(random)) {
  carSpotOrientation = platform::IdentityMatrix();
  if (settings != nullptr) carName = settings->GetString(app::StringSettingId::VEHICLE);
  if (database != nullptr) carFile = database->FindVehicle(carName);
  const int r = Random();
  if (randomCar && database != nullptr && database->VehicleCount() > 0) {
    const int index = (r % database->VehicleCount() + database->VehicleCount()) % database->VehicleCount();
    carName = database->vehicleNames[index];
    carFile = database->vehiclePaths[index];
  }
  camera = std::make_unique<render::RaceCamera>(settings);
  lighting = std::make_unique<render::SceneLighting>(settings);
  lighting->SetAmbient(0.3f, 0.3f, 0.3f);
  lighting->SetSpecular(0.5f, 0.5f, 0.5f);
}

Showroom::~Showroom() {
  car.reset();
  glows.reset();
  particles.reset();
  fadeQuad.reset();
  blurQuad.reset();
  ReleaseModels();
  camera.reset();
  if (lighting) lighting->Release();
  lighting.reset();
}

int Showroom::Random() { return random_ ? random_() : platform::CrtRand(); }

void Showroom::ReleaseModels() {
  if (resources == nullptr) return;
  if (scene != nullptr) render::ReleaseScene(*resources, scene);
  if (skyBox != nullptr) geometry::ReleaseMeshModel(*resources, skyBox);
  if (glowSkyBox != nullptr) geometry::ReleaseMeshModel(*resources, glowSkyBox);
  scene = nullptr;
  skyBox = glowSkyBox = nullptr;
}

void Showroom::Load(gfx::Device* device, const std::string& sceneFile) {
  car.reset();  // the car's glows belong to the old glow system
  glows = std::make_unique<render::GlowTrailSystem>(device, resources, settings);
  particles = std::make_unique<render::ParticleSystem>(device, resources, settings);
  ReleaseModels();
  cameraPaths.clear();
  scene = render::LoadScene(*resources, device, sceneFile, "", true, true, true, false);
  const std::string base = resources->BaseFolder();
  sceneFolder = app::GetFolderPart(app::NormalizePathSlashes(app::MakeGameFolderPath(base, sceneFile)));
  LoadSceneObjects(device);
  fadeQuad = std::make_unique<render::ColorQuad>();
  fadeQuad->Create(device, settings);
  blurQuad = std::make_unique<render::ScreenQuad>();
  blurQuad->Create(device, resources, settings, "", "", 256, 0.75f);
  lighting->SetAmbient(scene->ambient.x, scene->ambient.y, scene->ambient.z);
}

void Showroom::LoadSceneObjects(gfx::Device* device) {
  target = {0, 0, 0};
  currentPath = -1;
  hasCarSpot = false;
  for (size_t i = 0; const geometry::Path* path = scene->GetPath(i); ++i) {
    if (!StartsWith(Upper(path->Name()), "CAMERAPATH")) continue;
    cameraPaths.push_back(path);
    currentPath = nextPath = static_cast<int32_t>(cameraPaths.size()) - 1;
  }
  for (size_t i = 0; const geometry::SceneNode* node = scene->GetNode(i); ++i) {
    const std::string name = Upper(node->name);
    const std::string& value = node->leadingString;
    if (StartsWith(name, "FLARE")) {
      if (glows) glows->AddGlowTrailPoint(node->position, render::kGlowFlare, backdrop::FlareSize(value),
                                          render::GlowColourFromName(name));
    } else if (StartsWith(name, "VEHICLE")) {
      hasCarSpot = true;
      carSpot = node->position;
    } else if (name == "CAMERA") {
      camera->eye = node->position;
    } else if (name == "TARGET") {
      target = node->position;
      camera->lookAt = node->position;
    } else if (name == "SKYBOX" || name == "GLOWSKYBOX") {
      const std::string file = sceneFolder + value;
      if (value.empty() || !app::FileExists(file)) continue;
      geometry::MeshModel* model = geometry::LoadMeshModel(*resources, device, file, "", false, true);
      (name == "SKYBOX" ? skyBox : glowSkyBox) = model;
    } else if (name != "SHOWROOM") {
      // Every other node is one of the scene's lights; the lighting keeps a copy of its own.
      backdrop::AddSceneLight(*lighting, *node);
    }
  }
  // A marker may give the car's spot its orientation.
  for (const auto& marker : scene->markers) {
    if (!StartsWith(Upper(marker->name), "VEHICLE")) continue;
    hasCarSpot = true;
    carSpot = marker->position;
    carSpotOrientation = marker->matrix;
  }
  camera->Apply();
  LoadVehicle(device);
}

void Showroom::LoadVehicle(gfx::Device* device) {
  std::unique_ptr<vehicle::Vehicle> next;
  if (hasCarSpot && !carFile.empty()) {
    next = std::make_unique<vehicle::Vehicle>(resources, settings, "Player", false);
    if (profile != nullptr) profile->GetWorkingSelection(selection_);
    const std::string path = app::NormalizePathSlashes(app::MakeGameFolderPath(resources->BaseFolder(), carFile));
    if (next->LoadDefinition(path, profile != nullptr ? &selection_ : nullptr, nullptr, 0, false)) {
      vehicle::PresentationServices services;
      services.sounds = resources;
      services.device = device;
      vehicle::AppearanceOptions options;
      options.cubeMapping = SettingOn(settings, app::SettingId::CUBEMAPPING) != 0;
      options.dynamicReflections = SettingOn(settings, app::SettingId::DYNAMICREFLECTIONS) != 0;
      if (vehicle::AssembleAppearance(*next, app::DataFile(path), resources, services, glows.get(), options) ==
          nullptr) {
        std::printf("%s: the car's body could not be loaded\n", path.c_str());
        next.reset();
      }
    } else {
      std::printf("%s: the car's definition could not be read\n", path.c_str());
      next.reset();
    }
    if (next) {
      Vec3 spot = carSpot;
      spot.y += next->GetRestHeight();
      next->SetTransform(spot, carSpotOrientation);
      // The turntable's light is white; the car is never stepped here, so nothing else colours its wheels.
      next->SetWheelColour(1, 1, 1);
    }
  }
  car = std::move(next);
  resources->PurgeUnused();
  if (render::CubeMap* cube = CarCubeMapToRender()) RenderCarCubeMap(device, car->position, cube);
}

render::CubeMap* Showroom::CarCubeMapToRender() const {
  if (!car || SettingOn(settings, app::SettingId::CUBEMAPPING) == 0) return nullptr;
  auto* presentation = vehicle::PresentationOf(*car);
  if (presentation == nullptr || presentation->cubeMap == nullptr) return nullptr;
  render::CubeMap* cube = presentation->cubeMap;
  return cube->ready && cube->mode == render::kCubeRenderTarget ? cube : nullptr;
}

void Showroom::Update(float dt) {
  // The car's light glows sit on its body and face the camera.
  if (auto* presentation = car ? vehicle::PresentationOf(*car) : nullptr) {
    presentation->UpdateLightGlows(camera->frustum.viewDirection);
  }
  if (fading) {
    const float previous = fade;
    fade += dt;
    if (fade >= 1.0f && previous < 1.0f) {
      fade = 1.0f;  // the cut always happens at full black
      currentPath = nextPath;
    }
    if (fade >= 2.0f) fading = false;
  }
  const int32_t count = static_cast<int32_t>(cameraPaths.size());
  if (count > 1) {
    shotTimer -= dt;
    if (shotTimer <= 0) {
      nextPath = Random() % count;
      if (nextPath < 0 || nextPath >= count) nextPath = 0;
      if (nextPath == currentPath) nextPath = (nextPath + 1) % count;
      shotTimer = static_cast<float>(Random() % 10 + 8);
      if (shotTimer < 8) shotTimer += 10;  // a negative draw still gives 8 to 17 seconds
      fading = true;
      fade = 0;
    }
  }
  if (currentPath >= 0 && currentPath < count) {
    pathDistance += dt * kShowroomCameraSpeed;
    camera->eye = cameraPaths[currentPath]->SmoothPointAt(pathDistance);
    camera->lookAt = target;
  }
  camera->Apply();
  if (particles) particles->Update(dt);
  if (glows) glows->UpdateGlowTrails(dt);
  blurTimer += dt;
}

void Showroom::UpdateMotionBlur(float framesPerSecond) {
  if (SettingOn(settings, app::SettingId::MOTIONBLUR) == 0 || !blurQuad) return;
  blurQuad->SetAlpha(ShowroomBlurAlpha(framesPerSecond));
}

void Showroom::Render(gfx::Device* device) {
  carLoaded = false;
  const std::string wanted = settings->GetString(app::StringSettingId::VEHICLE);
  const bool profileChanged = profile != nullptr && profile->changed;
  if (wanted == carName && !profileChanged) {
    if (!car && scene != nullptr) {
      carName = wanted;
      carFile = database != nullptr ? database->FindVehicle(carName) : std::string();
      LoadVehicle(device);
      carLoaded = car != nullptr;
    }
  } else {
    if (profile != nullptr) profile->changed = false;
    carName = wanted;
    carFile = database != nullptr ? database->FindVehicle(carName) : std::string();
    LoadVehicle(device);
  }
  device->SetTransform(gfx::TransformState::Projection, camera->projection);
  device->SetRenderState(gfx::RenderState::Lighting, 0u);
  DrawSkyBox(device, camera->view);
  if (scene != nullptr) {
    scene->CollectVisible(camera->frustum);
    // The reflective floor shows its own reflection target through the camera's projection.
    scene->Draw(device, camera->view, nullptr);
  }
  device->SetRenderState(gfx::RenderState::Lighting, 1u);
  auto* presentation = car ? vehicle::PresentationOf(*car) : nullptr;
  if (presentation != nullptr && presentation->renderer) {
    presentation->renderer->Render(device, lighting.get(), camera->view, &camera->frustum, 0,
                                   presentation->cubeMap ? presentation->cubeMap->GetCubeTexture() : nullptr);
  }
  device->SetRenderState(gfx::RenderState::Lighting, 0u);
  DrawCarShadow(device, camera->view, &camera->frustum);
  DrawCarGlow(device, camera->view, &camera->frustum);
  if (particles) particles->Draw(device, camera->view, &camera->frustum);
  if (glows) glows->DrawGlowTrails(device, camera->view, &camera->frustum);
  if (SettingOn(settings, app::SettingId::MOTIONBLUR) != 0 && blurQuad) blurQuad->DrawPass(device);
  if (fading && fadeQuad) {
    backdrop::DrawFade(device, *fadeQuad, fade);
  }
}

void Showroom::DrawSkyBox(gfx::Device* device, const Matrix4& view) {
  backdrop::DrawSkyBox(device, skyBox, view);
}

void Showroom::DrawGlowSkyBox(gfx::Device* device, const Matrix4& view) {
  if (glowSkyBox == nullptr) return;
  const float farClip = settings->GetFloat(app::FloatSettingId::FARCLIP);
  device->SetRenderState(gfx::RenderState::ZWriteEnable, 0u);
  glowSkyBox->Draw(device, platform::ScalingMatrix(farClip, farClip, farClip) * WithoutTranslation(view),
                   Vec3{0, -1, 0});
}

void Showroom::DrawCarShadow(gfx::Device* device, const Matrix4& view, const render::ViewFrustum* frustum) {
  auto* presentation = car ? vehicle::PresentationOf(*car) : nullptr;
  if (presentation == nullptr || !presentation->renderer) return;
  device->SetRenderState(gfx::RenderState::AlphaBlendEnable, 1u);
  device->SetRenderState(gfx::RenderState::SrcBlend, gfx::Blend::SrcAlpha);
  device->SetRenderState(gfx::RenderState::DestBlend, gfx::Blend::InvSrcAlpha);
  device->SetTextureStageState(0, gfx::TextureStageState::AlphaArg1, gfx::texture_arg::kTexture);
  device->SetRenderState(gfx::RenderState::ZEnable, 1u);
  device->SetRenderState(gfx::RenderState::ZWriteEnable, 0u);
  if (presentation->shadowTexture != nullptr) {
    device->SetTexture(0, render::GetImageTexture(presentation->shadowTexture));
    presentation->renderer->RenderGroundShadow(device, view, frustum);
  }
  device->SetTextureStageState(0, gfx::TextureStageState::AlphaArg1, gfx::texture_arg::kDiffuse);
  if (presentation->shadowModel != nullptr) {
    presentation->renderer->RenderShadowModel(device, lighting.get(), view, frustum,
                                              SettingOn(settings, app::SettingId::STENCILSHADOWS) != 0);
  }
  device->SetRenderState(gfx::RenderState::ZWriteEnable, 1u);
  device->SetRenderState(gfx::RenderState::AlphaBlendEnable, 0u);
  device->SetRenderState(gfx::RenderState::SrcBlend, gfx::Blend::One);
  device->SetRenderState(gfx::RenderState::DestBlend, gfx::Blend::Zero);
}

void Showroom::DrawCarGlow(gfx::Device* device, const Matrix4& view, const render::ViewFrustum* frustum) {
  auto* presentation = car ? vehicle::PresentationOf(*car) : nullptr;
  if (presentation == nullptr || !presentation->renderer) return;
  device->SetRenderState(gfx::RenderState::AlphaBlendEnable, 1u);
  device->SetRenderState(gfx::RenderState::SrcBlend, gfx::Blend::One);
  device->SetRenderState(gfx::RenderState::DestBlend, gfx::Blend::One);
  device->SetTextureStageState(0, gfx::TextureStageState::AlphaArg1, gfx::texture_arg::kDiffuse);
  device->SetRenderState(gfx::RenderState::ZEnable, 1u);
  device->SetRenderState(gfx::RenderState::ZWriteEnable, 0u);
  if (presentation->neonTexture != nullptr && presentation->neonTexture->loaded) {
    device->SetTexture(0, render::GetImageTexture(presentation->neonTexture));
    presentation->renderer->RenderGroundShadow(device, view, frustum);
  }
  device->SetRenderState(gfx::RenderState::ZWriteEnable, 1u);
  device->SetRenderState(gfx::RenderState::AlphaBlendEnable, 0u);
  device->SetRenderState(gfx::RenderState::DestBlend, gfx::Blend::Zero);
}

void Showroom::RenderSecondPass(gfx::Device* device) {
  if (SettingOn(settings, app::SettingId::MOTIONBLUR) == 0 || !blurQuad || !blurQuad->HasTexture()) return;
  if (blurTimer < kBlurCaptureInterval) return;
  while (blurTimer > kBlurCaptureInterval) blurTimer -= kBlurCaptureInterval;
  device->SetRenderState(gfx::RenderState::Lighting, 0u);
  blurQuad->BeginCapture(device);
  device->SetRenderState(gfx::RenderState::ZWriteEnable, 1u);
  auto* presentation = car ? vehicle::PresentationOf(*car) : nullptr;
  if (presentation != nullptr && presentation->renderer) {
    presentation->renderer->RenderAlternatePass(device, camera->view, &camera->frustum, 0);
  }
  if (scene != nullptr) {
    scene->CollectVisible(camera->frustum);
    render::SceneForward(*scene, device, camera->view);
  }
  device->SetRenderState(gfx::RenderState::ZWriteEnable, 0u);
  DrawCarGlow(device, camera->view, &camera->frustum);
  DrawGlowSkyBox(device, camera->view);
  if (glows) glows->DrawSecondPass(device, camera->view, &camera->frustum);
  if (particles) particles->DrawSecondPass(device, camera->view, &camera->frustum);
  blurQuad->EndCapture(device);
}

void Showroom::RenderReflections(gfx::Device* device) {
  if (scene == nullptr) return;
  scene->CollectVisible(camera->frustum);
  scene->CollectReflectors(camera->frustum.viewDirection);
  if (SettingOn(settings, app::SettingId::SCENEREFLECTION) != 0 && scene->HasGeometry()) {
    RenderReflectionTargets(device);
  }
}

void Showroom::RenderReflectionTargets(gfx::Device* device) {
  const float pi = 3.14159265f;
  const float aspect = static_cast<float>(settings->GetInt(app::SettingId::SCREENWIDTH)) /
                       static_cast<float>(std::max(1, settings->GetInt(app::SettingId::SCREENHEIGHT)));
  const Matrix4 projection =
      platform::PerspectiveFovLH(settings->GetFloat(app::FloatSettingId::FOV) * pi / 180.0f, aspect, 100.0f, 1200.0f);
  device->SetTransform(gfx::TransformState::Projection, projection);
  device->SetRenderState(gfx::RenderState::CullMode, gfx::CullMode::Clockwise);
  for (size_t i = 0; i < scene->GetReflectorCount(); ++i) {
    render::ImageResource* image = scene->GetReflector(i);
    if (image == nullptr) continue;
    if (image->BeginRenderToTexture() != platform::kOk) continue;
    const Matrix4 reflectedView = backdrop::BeginReflectorPass(device, *image, skyBox != nullptr, camera->view,
                                                               projection, reflectionFrustum);
    DrawSkyBox(device, reflectedView);
    scene->CollectVisible(reflectionFrustum);
    render::SceneForwardDraw(*scene, device, reflectedView, nullptr, nullptr);
    device->SetRenderState(gfx::RenderState::Lighting, 1u);
    auto* presentation = car ? vehicle::PresentationOf(*car) : nullptr;
    if (presentation != nullptr && presentation->renderer) {
      presentation->renderer->Render(device, lighting.get(), reflectedView, &reflectionFrustum, 0, nullptr);
    }
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

void Showroom::RenderCubeMap(gfx::Device* device) {
  if (render::CubeMap* cube = CarCubeMapToRender()) RenderCarCubeMap(device, car->position, cube);
}

void Showroom::RenderCarCubeMap(gfx::Device* device, const Vec3& eye, render::CubeMap* cubeMap) {
  device->SetRenderState(gfx::RenderState::Lighting, 0u);
  const Matrix4 projection = platform::PerspectiveFovLH(3.14159265f / 2.0f, 1.0f, 1.0f, 1500.0f);
  device->SetTransform(gfx::TransformState::Projection, projection);
  // The camera's axes: the transposed rotation of its view.
  const Matrix4& view = camera->view;
  const Vec3 right{view.m[0][0], view.m[1][0], view.m[2][0]};
  const Vec3 up{view.m[0][1], view.m[1][1], view.m[2][1]};
  const Vec3 forward{view.m[0][2], view.m[1][2], view.m[2][2]};
  const Vec3 looks[6] = {right, -right, up, -up, forward, -forward};
  const Vec3 ups[6] = {up, up, -forward, forward, up, up};
  if (cubeMap->BeginCubeRender() != platform::kOk) return;
  for (uint32_t face = 0; face < 6; ++face) {
    const Matrix4 faceView = platform::LookAtLH(eye, eye + looks[face], ups[face]);
    camera->UpdateFrustum(faceView, projection);
    cubeFrustum = camera->frustum;
    cubeMap->SetCubeRenderFace(face);
    const uint32_t flags = skyBox != nullptr ? gfx::clear_flags::kZBuffer
                                              : gfx::clear_flags::kTarget | gfx::clear_flags::kZBuffer;
    device->Clear(flags | gfx::clear_flags::kStencil, 0, 1.0f, 0);
    DrawSkyBox(device, faceView);
    if (scene != nullptr) {
      scene->CollectVisible(cubeFrustum);
      render::SceneForwardDraw(*scene, device, faceView, nullptr, nullptr);
    }
    ++cubeFacesDrawn;
  }
  cubeMap->EndCubeRender();
  camera->Apply();  // the camera's own frustum back
}

void Showroom::RestoreDeviceObjects(gfx::Device* device) {
  if (fadeQuad) fadeQuad->Build(device, settings);
  if (SettingOn(settings, app::SettingId::MOTIONBLUR) != 0 && blurQuad) blurQuad->Build(device, settings);
}

BackdropFactory MakeShowroomFactory(std::function<int()> random) {
  return [random](const ScreenServices& services, int option) -> std::unique_ptr<MenuBackdrop> {
    return std::make_unique<Showroom>(services.resourceManager, services.settings, services.contentDatabase,
                                      services.profile, option != 0, random);
  };
}

}  // namespace frontend
