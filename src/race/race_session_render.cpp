// The race's render passes: road reflection, rear-view mirror, the 3D pass with the cars and their shadows, the
// blur pass, and the HUD drawn last.
#include "race/race_session.h"

#include "platform/math/math.h"
#include "race/hud/race_hud.h"
#include "vehicle/vehicle.h"
#include "vehicle/vehicle_presentation.h"
#include "vehicle/vehicle_renderer.h"

namespace race {

using vehicle::PresentationOf;

void RaceSession::RenderReflection(platform::gfx::Device* device) {
  if (settings != nullptr && settings->GetInt(app::SettingId::SCENEREFLECTION) == 0) return;
  scenery_.RenderReflection(device);
}

// Cars keep their own environment maps up to date when they are drawn; nothing is rendered here.
void RaceSession::RenderMirror(platform::gfx::Device* device) { (void)device; }

void RaceSession::RenderMirrorView(platform::gfx::Device* device) {
  if (player_ == nullptr) return;
  const Vec3 eye = player_->position + player_->upAxis * (player_->bodyHeight * 0.5f);
  scenery_.RenderMirrorView(device, eye, player_->forwardAxis);
}

void RaceSession::RenderCars(platform::gfx::Device* device, const render::ViewFrustum& frustum, bool drawPlayer,
                             bool alternate) {
  for (vehicle::Vehicle* car : world_.Cars()) {
    if (car == player_ && !drawPlayer) continue;
    vehicle::VehiclePresentation* presentation = PresentationOf(*car);
    if (presentation == nullptr || presentation->renderer == nullptr) continue;
    const platform::Matrix4 identity = platform::IdentityMatrix();
    if (alternate) {
      presentation->renderer->RenderAlternatePass(device, identity, &frustum, 0);
    } else {
      presentation->renderer->Render(device, scenery_.lighting.get(), identity, &frustum, 0, nullptr);
    }
  }
  if (alternate || scenery_.camera == nullptr) return;
  // Shadows after the lit cars, blended over the track without writing depth.
  device->SetRenderState(platform::gfx::RenderState::Lighting, 0);
  device->SetRenderState(platform::gfx::RenderState::AlphaBlendEnable, 1);
  device->SetRenderState(platform::gfx::RenderState::ZWriteEnable, 0);
  const bool stencil = settings != nullptr && settings->GetInt(app::SettingId::STENCILSHADOWS) > 0;
  for (vehicle::Vehicle* car : world_.Cars()) {
    if (car == player_ && !drawPlayer) continue;
    vehicle::VehiclePresentation* presentation = PresentationOf(*car);
    if (presentation == nullptr || presentation->renderer == nullptr) continue;
    presentation->renderer->RenderGroundShadow(device, scenery_.camera->view, &frustum);
    presentation->renderer->RenderShadowModel(device, scenery_.lighting.get(), &frustum, stencil);
  }
  device->SetRenderState(platform::gfx::RenderState::ZWriteEnable, 1);
  device->SetRenderState(platform::gfx::RenderState::AlphaBlendEnable, 0);
}

void RaceSession::Render(platform::gfx::Device* device) {
  if (device == nullptr || scenery_.camera == nullptr) return;
  scenery_.Render(device, [this, device](const render::RaceCamera& camera) {
    RenderCars(device, camera.frustum, !camera.IsInCarView(), false);
  });
}

void RaceSession::RenderSecondPass(platform::gfx::Device* device) {
  if (device == nullptr) return;
  scenery_.RenderSecondPass(device, [this, device](const render::RaceCamera& camera) {
    RenderCars(device, camera.frustum, !camera.IsInCarView(), true);
  });
}

void RaceSession::DrawHud(platform::gfx::Device* device) {
  if (hud == nullptr || device == nullptr) return;
  hud->Draw(device);
  if (settings != nullptr && settings->GetInt(app::SettingId::REARVIEW) != 0 && scenery_.mirrorTarget != nullptr) {
    hud->DrawMirror(device, scenery_.mirrorTarget);
  }
}

void RaceSession::DrawFadeOverlay(platform::gfx::Device* device) { scenery_.RestoreOverlays(device); }

}  // namespace race
