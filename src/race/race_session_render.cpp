// The race's render passes: road reflection, one car's environment cube, rear-view mirror, the 3D pass with the
// cars, their shadows, headlights and glows, the glow capture, and the HUD drawn last.
#include "race/race_session.h"

#include <algorithm>

#include "geometry/models/mesh_model.h"
#include "app/settings.h"
#include "platform/math/math.h"
#include "race/hud/race_hud.h"
#include "render/effects/box_corners.h"
#include "render/resources/cube_map.h"
#include "render/resources/image_resource.h"
#include "vehicle/vehicle.h"
#include "vehicle/vehicle_presentation.h"
#include "vehicle/vehicle_renderer.h"

namespace race {

namespace {

namespace gfx = platform::gfx;
using gfx::RenderState;
using gfx::TransformState;
using vehicle::PresentationOf;
using vehicle::VehiclePresentation;

constexpr float kPi = 3.14159265f;
// The reflection is drawn to a quarter of the view distance, fogged over its last stretch.
constexpr float kReflectionFarScale = 0.25f;
constexpr float kReflectionFogLength = 3000.0f;
// Level-of-detail depth added for cars seen in the reflection and in the mirror (inches).
constexpr float kReflectionDetailBias = 1500.0f;
constexpr float kMirrorDetailBias = 1000.0f;
// The player's headlights: the projector's height above the car, how far down it looks for every unit ahead,
// and the depth bias that keeps the beam on the road it lights.
constexpr float kHeadlightProjectorHeight = 60.0f;
constexpr float kHeadlightProjectorDip = 0.6f;
constexpr uint32_t kHeadlightDepthBias = 5;

VehiclePresentation* Drawable(const vehicle::Vehicle* car) {
  VehiclePresentation* presentation = car != nullptr ? PresentationOf(*car) : nullptr;
  return presentation != nullptr && presentation->renderer != nullptr ? presentation : nullptr;
}

bool Loaded(const render::ImageResource* image) { return image != nullptr && image->loaded; }

// The car's own cube when it is ready to be looked up (it may still be waiting for its first drawing).
gfx::BaseTexture* EnvironmentOf(const VehiclePresentation& presentation, bool cubeMapping) {
  if (!cubeMapping || !presentation.HasReflectionCubeMap() || !presentation.cubeMap->ready) return nullptr;
  return presentation.cubeMap->GetCubeTexture();
}

// The camera's axes, the rows of its rotation: right, up and forward.
void CameraAxes(const Matrix4& view, Vec3* right, Vec3* up, Vec3* forward) {
  *right = Vec3{view.m[0][0], view.m[1][0], view.m[2][0]};
  *up = Vec3{view.m[0][1], view.m[1][1], view.m[2][1]};
  *forward = Vec3{view.m[0][2], view.m[1][2], view.m[2][2]};
}

}  // namespace

void RaceSession::RenderReflection(gfx::Device* device) {
  if (device == nullptr || settings == nullptr || settings->GetInt(app::SettingId::SCENEREFLECTION) == 0) return;
  RaceScenery& s = scenery_;
  if (s.reflectionTarget == nullptr || !s.reflectionTarget->targetReady || s.camera == nullptr) return;
  const Matrix4 projection = s.CameraProjection(kReflectionFarScale);
  device->SetTransform(TransformState::Projection, projection);
  if (s.reflectionTarget->BeginRenderToTexture() != platform::kOk) return;
  device->Clear(gfx::clear_flags::kTarget | gfx::clear_flags::kZBuffer, 0, 1.0f, 0);
  device->SetRenderState(RenderState::Lighting, 0);
  s.reflectionView.BuildOrdinary(s.camera->view, projection);
  if (s.reflection != nullptr) {
    s.reflection->CollectVisible(s.reflectionView);
    const float farClip = s.FloatSetting(app::FloatSettingId::FARCLIP) * kReflectionFarScale;
    const bool fog = s.BeginFog(device, std::max(farClip - kReflectionFogLength, 0.0f), farClip);
    render::SceneForwardDraw(*s.reflection, device, s.camera->view, nullptr, nullptr);
    // Each car mirrored in the ground under it.
    const bool cubeMapping = s.Setting(app::SettingId::CUBEMAPPING) != 0;
    for (vehicle::Vehicle* car : world_.Cars()) {
      VehiclePresentation* presentation = Drawable(car);
      if (presentation == nullptr) continue;
      render::ViewFrustum mirrored;
      presentation->renderer->RenderReflected(device, s.lighting.get(), s.camera->view, projection, &mirrored,
                                              kReflectionDetailBias, EnvironmentOf(*presentation, cubeMapping));
    }
    RaceScenery::EndFog(device, fog);
  }
  device->SetTransform(TransformState::Projection, s.camera->projection);
  if (s.glows != nullptr) s.glows->DrawReflection(device, s.camera->view, &s.camera->frustum);
  s.reflectionTarget->EndRenderToTexture();
}

void RaceSession::UpdateCarCubeMap(gfx::Device* device) {
  RaceScenery& s = scenery_;
  const std::vector<vehicle::Vehicle*>& cars = world_.Cars();
  if (device == nullptr || s.camera == nullptr || cars.empty() || s.Setting(app::SettingId::CUBEMAPPING) == 0) return;
  // The next car in turn after the last one drawn (from the front when that one has gone), at most one pass.
  const auto last = std::find(cars.begin(), cars.end(), s.cubeMapCursor);
  const size_t start = last == cars.end() ? 0 : static_cast<size_t>(last - cars.begin()) + 1;
  vehicle::Vehicle* chosen = nullptr;
  for (size_t n = 0; n < cars.size() && chosen == nullptr; ++n) {
    vehicle::Vehicle* car = cars[(start + n) % cars.size()];
    const VehiclePresentation* presentation = Drawable(car);
    if (presentation == nullptr || (car == player_ && s.camera->IsInCarView())) continue;
    if (!presentation->HasReflectionCubeMap()) continue;
    const render::CubeMap* cube = presentation->cubeMap;
    // A cube read from its file (a static reflection) has nothing to draw.
    if (!cube->ready || cube->mode != render::kCubeRenderTarget) continue;
    const auto& lods = presentation->body->lods;
    const size_t level = presentation->renderer->lodIndex;
    if (level >= lods.size() || lods[level].model == nullptr || !lods[level].model->UsesEnvironmentMap()) continue;
    if (!presentation->renderer->IsInView(s.camera->frustum)) continue;
    chosen = car;
  }
  if (chosen == nullptr) return;
  s.cubeMapCursor = chosen;
  render::CubeMap& cube = *PresentationOf(*chosen)->cubeMap;
  const Matrix4 projection = s.Projection(kPi / 2, 1.0f, 1.0f);
  device->SetTransform(TransformState::Projection, projection);
  device->SetRenderState(RenderState::Lighting, 0);
  Vec3 right, up, forward;
  CameraAxes(s.camera->view, &right, &up, &forward);
  const Vec3 looks[6] = {right, -right, up, -up, forward, -forward};
  const Vec3 ups[6] = {up, up, -forward, forward, up, up};
  const Vec3 eye = chosen->position;
  if (cube.BeginCubeRender() != platform::kOk) return;
  for (uint32_t face = 0; face < 6; ++face) {
    const Matrix4 view = platform::LookAtLH(eye, eye + looks[face], ups[face]);
    s.cubeView.BuildOrdinary(view, projection);
    cube.SetCubeRenderFace(face);
    device->Clear(s.skyBox != nullptr ? gfx::clear_flags::kZBuffer : gfx::clear_flags::kTarget | gfx::clear_flags::kZBuffer,
                  0, 1.0f, 0);
    if (s.track != nullptr) s.track->CollectVisible(s.cubeView);
    s.DrawTrackAndSky(device, view);
  }
  cube.EndCubeRender();
  device->SetTransform(TransformState::Projection, s.camera->projection);
}

void RaceSession::RenderMirrorView(gfx::Device* device) {
  RaceScenery& s = scenery_;
  if (device == nullptr || player_ == nullptr || s.mirrorTarget == nullptr || !s.mirrorTarget->targetReady ||
      s.Setting(app::SettingId::REARVIEW) == 0) {
    return;
  }
  const Matrix4 projection =
      s.Projection(kPi / 4, static_cast<float>(kMirrorTargetWidth) / static_cast<float>(kMirrorTargetHeight), 1.0f);
  const Vec3 eye = player_->position + player_->upAxis * (player_->bodyHeight * 0.5f);
  const Matrix4 view = platform::LookAtLH(eye, eye - player_->forwardAxis, Vec3{0, 1, 0});
  s.mirrorView.BuildOrdinary(view, projection);
  device->SetTransform(TransformState::Projection, projection);
  if (s.mirrorTarget->BeginRenderToTexture() != platform::kOk) return;
  device->Clear(s.skyBox != nullptr ? gfx::clear_flags::kZBuffer : gfx::clear_flags::kTarget | gfx::clear_flags::kZBuffer,
                0, 1.0f, 0);
  device->SetRenderState(RenderState::Lighting, 0);
  if (s.track != nullptr) s.track->CollectVisible(s.mirrorView);
  s.DrawTrackAndSky(device, view);
  // The cars behind: every racer but the player's own.
  device->SetRenderState(RenderState::Lighting, 1);
  const bool cubeMapping = s.Setting(app::SettingId::CUBEMAPPING) != 0;
  for (vehicle::Vehicle* car : world_.Cars()) {
    VehiclePresentation* presentation = Drawable(car);
    if (presentation == nullptr || car == player_) continue;
    presentation->renderer->Render(device, s.lighting.get(), view, &s.mirrorView, kMirrorDetailBias,
                                   EnvironmentOf(*presentation, cubeMapping));
  }
  s.mirrorTarget->EndRenderToTexture();
  if (s.camera != nullptr) device->SetTransform(TransformState::Projection, s.camera->projection);
}

void RaceSession::DrawHeadlightProjection(gfx::Device* device) {
  RaceScenery& s = scenery_;
  const VehiclePresentation* presentation = Drawable(player_);
  if (presentation == nullptr || s.track == nullptr || s.Setting(app::SettingId::HEADLIGHTS) == 0 ||
      !player_->headlightsOn || !Loaded(presentation->headlightTexture)) {
    return;
  }
  const Vec3 eye = player_->position + player_->upAxis * kHeadlightProjectorHeight;
  const Vec3 look = platform::Normalize(player_->forwardAxis - player_->upAxis * kHeadlightProjectorDip);
  const Matrix4 projector = platform::LookAtLH(eye, eye + look, player_->upAxis);
  // Nothing behind the projector catches the beam.
  device->SetClipPlane(0, platform::PlaneFromPointNormal(eye, look));
  device->SetRenderState(RenderState::ClipPlaneEnable, 1u);
  device->SetRenderState(RenderState::ZBias, kHeadlightDepthBias);
  device->SetTexture(0, render::GetImageTexture(presentation->headlightTexture));
  s.track->DrawProjected(device, s.camera->view, projector);
  device->SetRenderState(RenderState::ZBias, 0u);
  device->SetRenderState(RenderState::ClipPlaneEnable, 0u);
}

void RaceSession::RenderRacers(gfx::Device* device, const render::ViewFrustum& frustum, bool drawPlayer) {
  const Matrix4& view = scenery_.camera->view;
  const bool cubeMapping = scenery_.Setting(app::SettingId::CUBEMAPPING) != 0;
  for (vehicle::Vehicle* car : world_.Cars()) {
    VehiclePresentation* presentation = Drawable(car);
    if (presentation == nullptr || (car == player_ && !drawPlayer)) continue;
    presentation->renderer->Render(device, scenery_.lighting.get(), view, &frustum, 0,
                                   EnvironmentOf(*presentation, cubeMapping));
  }
}

void RaceSession::RenderRacersAltPass(gfx::Device* device, const render::ViewFrustum& frustum, bool drawPlayer) {
  const Matrix4& view = scenery_.camera->view;
  for (vehicle::Vehicle* car : world_.Cars()) {
    VehiclePresentation* presentation = Drawable(car);
    if (presentation == nullptr || (car == player_ && !drawPlayer)) continue;
    presentation->renderer->RenderAlternatePass(device, view, &frustum, 0);
  }
}

std::optional<gfx::Rect> RaceSession::RenderRacerShadows(gfx::Device* device, const render::ViewFrustum& frustum,
                                                        bool drawPlayer) {
  const Matrix4& view = scenery_.camera->view;
  device->SetRenderState(RenderState::AlphaBlendEnable, 1);
  device->SetRenderState(RenderState::SrcBlend, gfx::Blend::SrcAlpha);
  device->SetRenderState(RenderState::DestBlend, gfx::Blend::InvSrcAlpha);
  device->SetRenderState(RenderState::ZWriteEnable, 0);
  // The shadow picture's alpha shapes the shadow, the grid's colour fades it as the car leaves the ground.
  device->SetTextureStageState(0, gfx::TextureStageState::AlphaArg1, gfx::texture_arg::kTexture);
  for (vehicle::Vehicle* car : world_.Cars()) {
    VehiclePresentation* presentation = Drawable(car);
    if (presentation == nullptr || (car == player_ && !drawPlayer) || !Loaded(presentation->shadowTexture)) continue;
    device->SetTexture(0, render::GetImageTexture(presentation->shadowTexture));
    presentation->renderer->RenderGroundShadow(device, view, &frustum);
  }
  device->SetTextureStageState(0, gfx::TextureStageState::AlphaArg1, gfx::texture_arg::kDiffuse);
  const bool stencil = scenery_.Setting(app::SettingId::STENCILSHADOWS) > 0;
  gfx::Viewport viewport;
  viewport.width = static_cast<uint32_t>(std::max(scenery_.Setting(app::SettingId::SCREENWIDTH), 0));
  viewport.height = static_cast<uint32_t>(std::max(scenery_.Setting(app::SettingId::SCREENHEIGHT), 0));
  device->GetViewport(viewport);
  const Matrix4 viewProjection = view * scenery_.camera->projection;
  std::optional<gfx::Rect> area;
  for (vehicle::Vehicle* car : world_.Cars()) {
    VehiclePresentation* presentation = Drawable(car);
    if (presentation == nullptr || (car == player_ && !drawPlayer)) continue;
    Vec3 volumeMin, volumeMax;
    if (!presentation->renderer->RenderShadowModel(device, scenery_.lighting.get(), view, &frustum, stencil,
                                                   &volumeMin, &volumeMax)) {
      continue;
    }
    const std::optional<gfx::Rect> covered =
        render::BoxOnScreen(volumeMin, volumeMax, viewProjection, viewport.width, viewport.height);
    if (!covered) continue;
    if (!area) {
      area = covered;
    } else {
      area->left = std::min(area->left, covered->left);
      area->top = std::min(area->top, covered->top);
      area->right = std::max(area->right, covered->right);
      area->bottom = std::max(area->bottom, covered->bottom);
    }
  }
  device->SetRenderState(RenderState::ZWriteEnable, 1);
  device->SetRenderState(RenderState::AlphaBlendEnable, 0);
  device->SetRenderState(RenderState::SrcBlend, gfx::Blend::One);
  device->SetRenderState(RenderState::DestBlend, gfx::Blend::Zero);
  return area;
}

// The light the cars throw, added onto the picture: every drawn car's neon glow on the ground under it, and the
// beam of every other car's lit headlights on the road ahead (the player's own beam is projected instead).
void RaceSession::DrawCarLights(gfx::Device* device, const render::ViewFrustum& frustum, bool drawPlayer) {
  const Matrix4& view = scenery_.camera->view;
  device->SetRenderState(RenderState::AlphaBlendEnable, 1);
  device->SetRenderState(RenderState::SrcBlend, gfx::Blend::One);
  device->SetRenderState(RenderState::DestBlend, gfx::Blend::One);
  device->SetRenderState(RenderState::ZWriteEnable, 0);
  for (vehicle::Vehicle* car : world_.Cars()) {
    VehiclePresentation* presentation = Drawable(car);
    if (presentation == nullptr || (car == player_ && !drawPlayer)) continue;
    if (Loaded(presentation->neonTexture)) {
      device->SetTexture(0, render::GetImageTexture(presentation->neonTexture));
      presentation->renderer->RenderGroundShadow(device, view, &frustum);
    }
    if (car != player_ && car->headlightsOn && Loaded(presentation->headlightTexture)) {
      device->SetTexture(0, render::GetImageTexture(presentation->headlightTexture));
      presentation->renderer->RenderLightPool(device, view, &frustum);
    }
  }
  device->SetRenderState(RenderState::AlphaBlendEnable, 0);
  device->SetRenderState(RenderState::SrcBlend, gfx::Blend::One);
  device->SetRenderState(RenderState::DestBlend, gfx::Blend::Zero);
  device->SetRenderState(RenderState::ZWriteEnable, 1);
}

bool RaceSession::CameraDrawsPlayer() const {
  const render::RaceCamera* camera = scenery_.camera.get();
  if (camera == nullptr || camera->IsInCarView()) return false;
  if (player_ == nullptr) return true;
  // The eye in the car's own frame (rows of rotation are its side, up and forward axes), against the body's box
  // grown by the near clip distance: an eye that close sees the body cut open by the near plane.
  const Vec3 local = platform::TransformNormal(camera->eye - player_->position, platform::Transpose(player_->rotation));
  const float nearClip = camera->settings != nullptr ? camera->settings->GetFloat(app::FloatSettingId::NEARCLIP) : 0;
  const Vec3 margin{nearClip, nearClip, nearClip};
  const Vec3 low = player_->bodyMin - margin, high = player_->bodyMax + margin;
  return !(local.x > low.x && local.x < high.x && local.y > low.y && local.y < high.y && local.z > low.z &&
           local.z < high.z);
}

void RaceSession::Render(gfx::Device* device) {
  RaceScenery& s = scenery_;
  if (device == nullptr || s.camera == nullptr) return;
  const render::RaceCamera& camera = *s.camera;
  const bool drawPlayer = CameraDrawsPlayer();
  device->SetTransform(TransformState::Projection, camera.projection);
  device->SetRenderState(RenderState::Lighting, 0);
  if (s.track != nullptr) {
    s.track->CollectVisible(camera.frustum);
    s.track->Draw(device, camera.view,
                  s.reflectionTarget != nullptr ? s.reflectionTarget->GetRenderTargetTexture() : nullptr,
                  [&] { s.DrawSkyBehind(device, camera.view); });
    device->MarkPass("3d: headlight");
    DrawHeadlightProjection(device);
  } else {
    s.DrawSkyBox(device, camera.view);
  }
  device->MarkPass("3d: cars");
  device->SetRenderState(RenderState::Lighting, 1);
  RenderRacers(device, camera.frustum, drawPlayer);
  device->SetRenderState(RenderState::Lighting, 0);
  // The shade goes only where the volumes can have set the stencil.
  device->MarkPass("3d: shadows");
  const std::optional<gfx::Rect> shaded = RenderRacerShadows(device, camera.frustum, drawPlayer);
  if (s.shadeQuad != nullptr && s.Setting(app::SettingId::STENCILSHADOWS) > 0 && shaded) {
    s.shadeQuad->DrawStencilShadow(device, &*shaded);
  }
  device->MarkPass("3d: car lights");
  DrawCarLights(device, camera.frustum, drawPlayer);
  device->MarkPass("3d: skid marks");
  if (s.skids != nullptr) s.skids->Draw(device, camera.view, &camera.frustum);
  device->MarkPass("3d: particles");
  if (s.particles != nullptr) s.particles->Draw(device, camera.view, &camera.frustum);
  device->MarkPass("3d: glow trails");
  if (s.glows != nullptr) s.glows->DrawGlowTrails(device, camera.view, &camera.frustum);
  device->MarkPass("3d: blur");
  if (s.blurOverlay != nullptr && s.Setting(app::SettingId::MOTIONBLUR) != 0) s.blurOverlay->DrawPass(device);
}

void RaceSession::RenderSecondPass(gfx::Device* device) {
  RaceScenery& s = scenery_;
  if (device == nullptr || s.camera == nullptr || s.blurOverlay == nullptr || !s.blurOverlay->HasTexture() ||
      s.Setting(app::SettingId::MOTIONBLUR) == 0) {
    return;
  }
  const render::RaceCamera& camera = *s.camera;
  const bool drawPlayer = CameraDrawsPlayer();
  device->SetRenderState(RenderState::Lighting, 0);
  s.blurOverlay->BeginCapture(device);
  device->SetRenderState(RenderState::ZWriteEnable, 1);
  RenderRacersAltPass(device, camera.frustum, drawPlayer);
  device->SetRenderState(RenderState::ZWriteEnable, 1);
  if (s.track != nullptr) {
    s.track->CollectVisible(camera.frustum);
    render::SceneForward(*s.track, device, camera.view);
  }
  device->SetRenderState(RenderState::ZWriteEnable, 0);
  s.DrawGlowSkyBox(device, camera.view);
  device->SetRenderState(RenderState::ZWriteEnable, 0);
  DrawCarLights(device, camera.frustum, drawPlayer);
  if (s.glows != nullptr) s.glows->DrawSecondPass(device, camera.view, &camera.frustum);
  if (s.particles != nullptr) s.particles->DrawSecondPass(device, camera.view, &camera.frustum);
  s.blurOverlay->EndCapture(device);
}

void RaceSession::DrawHud(gfx::Device* device) {
  if (hud == nullptr || device == nullptr) return;
  hud->Draw(device);
  if (settings != nullptr && settings->GetInt(app::SettingId::REARVIEW) != 0 && scenery_.mirrorTarget != nullptr) {
    hud->DrawMirror(device, scenery_.mirrorTarget);
  }
}

void RaceSession::DrawFadeOverlay(gfx::Device* device) { scenery_.RestoreOverlays(device); }

}  // namespace race
