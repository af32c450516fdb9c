// Track scenery of a race: scene objects from the track's markers, the effect systems and the render passes.
#include "race/race_scenery.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "app/paths.h"
#include "geometry/models/mesh_model.h"
#include "geometry/scene_records.h"
#include "platform/math/math.h"
#include "race/race_timing.h"
#include "render/effects/box_corners.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"

namespace race {

namespace {
using platform::gfx::RenderState;

constexpr float kDegreesToRadians = 0.01745329252f;
constexpr float kBlurFadeAlpha = 0.75f;
constexpr uint32_t kBlurCaptureSize = 256;
constexpr float kRaceAmbient = 0.4f;
constexpr float kRaceSpecular = 0.5f;
constexpr char kSunLightName[] = "SUN ";
constexpr Vec3 kSunDirection{0.2f, -0.5f, -0.4f};

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Files of the track are named relative to the game folder the resource manager reads from.
bool DataFileExists(const render::ResourceManager& resources, const std::string& name) {
  return app::FileExists(app::NormalizePathSlashes(app::MakeGameFolderPath(resources.BaseFolder(), name)));
}

std::string FolderOf(const std::string& file) {
  const size_t slash = file.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}
}  // namespace

TrackSound ParseSoundNode(const std::string& text) {
  TrackSound sound;
  std::vector<std::string> tokens;
  std::string current;
  // Spaces around a token (before a comment, after '=') belong to the layout of the text, not to the value.
  auto flush = [&] {
    const size_t first = current.find_first_not_of(' ');
    if (first != std::string::npos) tokens.push_back(current.substr(first, current.find_last_not_of(' ') - first + 1));
    current.clear();
  };
  bool comment = false;
  for (char c : text) {
    if (c == '\n' || c == '\r') {
      comment = false;
      flush();
    } else if (comment) {
      continue;
    } else if (c == '#') {
      comment = true;
      flush();
    } else if (c == '=' || c == '\t') {
      flush();
    } else {
      current.push_back(c);
    }
  }
  flush();
  for (size_t i = 0; i + 1 < tokens.size(); ++i) {
    const std::string key = Upper(tokens[i]);
    if (key == "PATH") {
      sound.path = tokens[i + 1];
    } else if (key == "RADIUS") {
      // A radius too large to be a number keeps the default rather than reaching every corner of the world.
      const float radius = std::strtof(tokens[i + 1].c_str(), nullptr);
      if (std::isfinite(radius)) sound.radius = radius;
    } else if (key == "VOLUME") {
      // Volumes above 255 or below 0 are clamped: the emitter scales by them as a byte.
      sound.volume = static_cast<uint32_t>(std::clamp(std::atoi(tokens[i + 1].c_str()), 0, 255));
    }
  }
  return sound;
}

RaceScenery::RaceScenery(render::ResourceManager* resources, app::Settings* settings)
    : resources_(resources), settings_(settings) {}

RaceScenery::~RaceScenery() { Unload(); }

void RaceScenery::CreateEffects(platform::gfx::Device* device, uint32_t stage) {
  switch (stage) {
    case 1:
      shadeQuad = std::make_unique<render::ColorQuad>();
      shadeQuad->Create(device, settings_);
      shadeQuad->SetColor(0, 0, 0, kShadeAlpha);
      // The race's lighting (its SetupLighting): a grey ambient and specular and one sun.
      lighting = std::make_unique<render::SceneLighting>(settings_);
      lighting->SetAmbient(kRaceAmbient, kRaceAmbient, kRaceAmbient);
      lighting->SetSpecular(kRaceSpecular, kRaceSpecular, kRaceSpecular);
      // The sun lights the cars and sets the direction their stencil shadows fall in.
      lighting->AddLight(std::make_unique<geometry::SceneNode>(kSunLightName, geometry::light_kind::kDirectional, 0.0f,
                                                               Vec3{0, 0, 0}, kSunDirection, Vec3{1, 1, 1}));
      camera = std::make_unique<render::RaceCamera>(settings_);
      break;
    case 2:
      if (resources_ != nullptr) sounds = std::make_unique<app::SoundEmitterList>(*resources_);
      break;
    case 4: {
      skids = std::make_unique<render::SkidmarkManager>();
      skids->Init(device, resources_, settings_, "TREADS\\tread.png", "TREADS\\treada.png");
      // SKIDMARKS 0 is off, 1 keeps fewer marks, 2 (or more) the most.
      constexpr uint32_t kSkidCapacities[] = {0, 50, 100};
      skids->capacity = kSkidCapacities[std::clamp(Setting(app::SettingId::SKIDMARKS), 0, 2)];
      break;
    }
    case 5:
      glows = std::make_unique<render::GlowTrailSystem>(device, resources_, settings_);
      break;
    case 6:
      particles = std::make_unique<render::ParticleSystem>(device, resources_, settings_);
      break;
    default:
      break;
  }
}

void RaceScenery::LoadTrackScene(platform::gfx::Device* device, const std::string& trackFile) {
  // Its parts are built on the device: none, no scene.
  if (resources_ == nullptr || device == nullptr || track != nullptr || trackFile.empty()) return;
  // The pond and other planar mirrors show the reflection pass's picture, not targets of their own.
  track = render::LoadScene(*resources_, device, trackFile, "", true, false, true, false);
  trackFolder = FolderOf(trackFile);
}

geometry::MeshModel* RaceScenery::LoadSkyBox(platform::gfx::Device* device, const std::string& text) {
  std::string name = text;
  name.erase(std::remove_if(name.begin(), name.end(), [](char c) { return c == '\r' || c == '\n'; }), name.end());
  const std::string file = trackFolder + name;
  if (name.empty() || resources_ == nullptr || !DataFileExists(*resources_, file)) return nullptr;
  return geometry::LoadObjectResource(*resources_, device, file, "", false, true, false);
}

void RaceScenery::SetupSceneObjects(platform::gfx::Device* device) {
  if (track == nullptr) return;
  // The markers place them (the light nodes only light the scene).
  for (const auto& marker : track->markers) {
    if (marker == nullptr) continue;
    const std::string name = Upper(marker->name);
    if (name.rfind("FLARE", 0) == 0) {
      if (glows != nullptr) glows->AddGlowTrailPoint(marker->position, 0, 1.0f, render::GlowColourFromName(name));
    } else if (name == "SKYBOX") {
      if (skyBox == nullptr) skyBox = LoadSkyBox(device, marker->leadingString);
    } else if (name == "GLOWSKYBOX") {
      if (glowSkyBox == nullptr) glowSkyBox = LoadSkyBox(device, marker->leadingString);
    } else if (name.rfind("SOUND", 0) == 0) {
      const TrackSound sound = ParseSoundNode(marker->leadingString);
      if (sounds != nullptr && !sound.path.empty()) {
        sounds->Add(marker->position, trackFolder + sound.path, sound.volume, sound.radius);
      }
    }
  }
}

void RaceScenery::CreateOverlays(platform::gfx::Device* device, const std::string& reflectionFile,
                                 bool renderTargets) {
  blurOverlay = std::make_unique<render::ScreenQuad>();
  blurOverlay->Create(device, resources_, settings_, "IMAGES\\blur.png", "IMAGES\\bluralpha.png", kBlurCaptureSize,
                      kBlurFadeAlpha);
  if (resources_ != nullptr && renderTargets && track != nullptr && track->HasGeometry() && reflectionTarget == nullptr) {
    reflectionTarget = resources_->CreateImage(device, "", "", "", "", "", true, false);
    reflectionTarget->CreateRenderTarget(device, kReflectionTargetSize, kReflectionTargetSize);
    if (!reflectionFile.empty() && DataFileExists(*resources_, reflectionFile)) {
      reflection = render::LoadScene(*resources_, device, reflectionFile, "", false, false, true, false);
    }
  }
  if (resources_ != nullptr && renderTargets && Setting(app::SettingId::REARVIEW) != 0 && mirrorTarget == nullptr) {
    mirrorTarget = resources_->CreateImage(device, "", "", "", "", "", true, false);
    mirrorTarget->CreateRenderTarget(device, kMirrorTargetWidth, kMirrorTargetHeight);
  }
  if (lighting != nullptr && track != nullptr) lighting->SetAmbient(track->ambient.x, track->ambient.y, track->ambient.z);
  RestoreOverlays(device);
}

void RaceScenery::RestoreOverlays(platform::gfx::Device* device) {
  if (shadeQuad != nullptr) shadeQuad->Build(device, settings_);
  if (blurOverlay != nullptr && Setting(app::SettingId::MOTIONBLUR) != 0) blurOverlay->Build(device, settings_);
}

void RaceScenery::UpdateEffects(float dt) {
  if (particles != nullptr) particles->Update(dt);
  if (glows != nullptr) glows->UpdateGlowTrails(dt);
  if (sounds != nullptr && camera != nullptr) sounds->Update(camera->eye, dt);
}

void RaceScenery::UpdateOverlayAlpha(float framesPerSecond, bool nitrous) {
  if (blurOverlay == nullptr || Setting(app::SettingId::MOTIONBLUR) == 0) return;
  blurOverlay->SetAlpha(MotionBlurAlpha(framesPerSecond, nitrous));
}

Matrix4 RaceScenery::Projection(float fov, float aspect, float farScale) const {
  const float nearClip = std::max(FloatSetting(app::FloatSettingId::NEARCLIP), 1.0f);
  const float farClip = std::max(FloatSetting(app::FloatSettingId::FARCLIP) * farScale, nearClip + 1.0f);
  return platform::PerspectiveFovLH(fov, aspect, nearClip, farClip);
}

Matrix4 RaceScenery::CameraProjection(float farScale) const {
  const float height = static_cast<float>(std::max(Setting(app::SettingId::SCREENHEIGHT), 1));
  const float aspect = static_cast<float>(Setting(app::SettingId::SCREENWIDTH)) / height;
  return Projection(FloatSetting(app::FloatSettingId::FOV) * kDegreesToRadians, aspect, farScale);
}

void RaceScenery::DrawBox(platform::gfx::Device* device, geometry::MeshModel* box, const Matrix4& view, float scale) {
  if (box == nullptr) return;
  Matrix4 centred = view;
  centred.m[3][0] = centred.m[3][1] = centred.m[3][2] = 0;
  if (scale != 1.0f) centred = platform::ScalingMatrix(scale, scale, scale) * centred;
  device->SetRenderState(RenderState::ZWriteEnable, 0);
  // Only the sides of the box the view can reach are drawn: a view sees about three of the six.
  Matrix4 projection;
  std::vector<geometry::MeshBatch*> hidden;
  if (platform::Succeeded(device->GetTransform(platform::gfx::TransformState::Projection, projection))) {
    const Matrix4 toClip = centred * projection;
    for (const auto& list : box->kindLists) {
      for (geometry::MeshBatch* batch : list) {
        if (!batch->enabled || !render::BoxOutsideView(batch->boxMin, batch->boxMax, toClip)) continue;
        batch->enabled = false;
        hidden.push_back(batch);
      }
    }
  }
  box->Draw(device, centred, Vec3{0, -1, 0});
  for (geometry::MeshBatch* batch : hidden) batch->enabled = true;
}

void RaceScenery::DrawSkyBox(platform::gfx::Device* device, const Matrix4& view) {
  if (skyBox == nullptr) return;
  DrawBox(device, skyBox, view, 1.0f);
  device->SetRenderState(RenderState::ZWriteEnable, 1);
}

void RaceScenery::DrawSkyBehind(platform::gfx::Device* device, const Matrix4& view) {
  if (skyBox == nullptr) return;
  platform::gfx::Viewport viewport;
  if (platform::Failed(device->GetViewport(viewport))) {
    DrawSkyBox(device, view);
    return;
  }
  platform::gfx::Viewport farPlane = viewport;
  farPlane.minZ = farPlane.maxZ = 1.0f;
  device->SetViewport(farPlane);
  DrawSkyBox(device, view);
  device->SetViewport(viewport);
}

void RaceScenery::DrawTrackAndSky(platform::gfx::Device* device, const Matrix4& view) {
  if (track == nullptr) {
    DrawSkyBox(device, view);
    return;
  }
  render::SceneForwardDraw(*track, device, view, nullptr, nullptr, [&] { DrawSkyBehind(device, view); });
}

void RaceScenery::DrawGlowSkyBox(platform::gfx::Device* device, const Matrix4& view) {
  DrawBox(device, glowSkyBox, view, std::max(FloatSetting(app::FloatSettingId::FARCLIP), 1.0f));
}

bool RaceScenery::BeginFog(platform::gfx::Device* device, float start, float end) const {
  if (Setting(app::SettingId::FOGVERTEX) == 0) return false;
  device->SetRenderState(RenderState::FogEnable, 1);
  device->SetRenderState(RenderState::FogVertexMode, platform::gfx::FogMode::Linear);
  device->SetRenderState(RenderState::FogTableMode, platform::gfx::FogMode::None);
  device->SetRenderState(RenderState::RangeFogEnable, 0);
  device->SetRenderState(RenderState::FogStart, platform::gfx::FloatBits(start));
  device->SetRenderState(RenderState::FogEnd, platform::gfx::FloatBits(end));
  device->SetRenderState(RenderState::FogColor, 0xFF000000u);
  return true;
}

void RaceScenery::EndFog(platform::gfx::Device* device, bool fogOn) {
  if (fogOn) device->SetRenderState(RenderState::FogEnable, 0);
}

void RaceScenery::Unload() {
  if (sounds != nullptr) sounds->Clear();
  sounds.reset();
  particles.reset();
  glows.reset();
  if (skids != nullptr) skids->Shutdown();
  skids.reset();
  blurOverlay.reset();
  shadeQuad.reset();
  // The lights go now; the emptied lighting object goes with the scenery or the next load.
  if (lighting != nullptr) lighting->Release();
  camera.reset();
  if (resources_ != nullptr) {
    for (render::Scene** scene : {&track, &reflection}) {
      if (*scene != nullptr) render::ReleaseScene(*resources_, *scene);
      *scene = nullptr;
    }
    for (geometry::MeshModel** box : {&skyBox, &glowSkyBox}) {
      if (*box != nullptr) geometry::ReleaseMeshModel(*resources_, *box);
      *box = nullptr;
    }
    for (render::ImageResource** image : {&reflectionTarget, &mirrorTarget}) {
      if (*image != nullptr) resources_->ReleaseImage(*image);
      *image = nullptr;
    }
  }
}

}  // namespace race
