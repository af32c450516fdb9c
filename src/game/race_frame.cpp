// The race frame's steps, shared by the game application and the race report.
#include "game/race_frame.h"

#include "platform/math/math.h"
#include "race/race_session.h"

namespace game {

namespace gfx = platform::gfx;
using app::SettingId;

void RenderRaceOffscreen(race::RaceSession& session, const app::Settings& settings, gfx::Device* device) {
  device->MarkPass("reflection");
  if (settings.GetInt(SettingId::SCENEREFLECTION) != 0) session.RenderReflection(device);
  device->MarkPass("cube maps");
  session.UpdateCarCubeMap(device);
  device->MarkPass("mirror");
  session.RenderMirrorView(device);
}

void SetDeviceBaseline(const app::Settings& settings, gfx::Device* device) {
  if (device == nullptr) return;
  device->SetTransform(gfx::TransformState::World, platform::IdentityMatrix());
  for (uint32_t stage = 0; stage < 3; ++stage) {
    device->SetTextureStageState(stage, gfx::TextureStageState::MinFilter, gfx::TextureFilter::Linear);
    device->SetTextureStageState(stage, gfx::TextureStageState::MagFilter, gfx::TextureFilter::Linear);
    device->SetTextureStageState(stage, gfx::TextureStageState::MipFilter,
                                 static_cast<uint32_t>(settings.GetInt(SettingId::MIPFILTER)));
  }
  device->SetTextureStageState(0, gfx::TextureStageState::ColorOp, gfx::TextureOp::Modulate);
  device->SetTextureStageState(0, gfx::TextureStageState::AlphaOp, gfx::TextureOp::Modulate);
  device->SetTextureStageState(0, gfx::TextureStageState::AlphaArg1, gfx::texture_arg::kDiffuse);
  device->SetTextureStageState(0, gfx::TextureStageState::AlphaArg2, gfx::texture_arg::kCurrent);
  device->SetTextureStageState(0, gfx::TextureStageState::ColorArg1, gfx::texture_arg::kTexture);
  device->SetTextureStageState(0, gfx::TextureStageState::ColorArg2, gfx::texture_arg::kCurrent);
  for (uint32_t stage = 1; stage < 3; ++stage) {
    device->SetTextureStageState(stage, gfx::TextureStageState::ColorOp, gfx::TextureOp::Disable);
    device->SetTextureStageState(stage, gfx::TextureStageState::AlphaOp, gfx::TextureOp::Modulate);
    device->SetTextureStageState(stage, gfx::TextureStageState::AlphaArg1, gfx::texture_arg::kDiffuse);
    device->SetTextureStageState(stage, gfx::TextureStageState::AlphaArg2, gfx::texture_arg::kCurrent);
    device->SetTextureStageState(stage, gfx::TextureStageState::TexCoordIndex, 0u);
    device->SetTextureStageState(stage, gfx::TextureStageState::ColorArg1, gfx::texture_arg::kTexture);
    device->SetTextureStageState(stage, gfx::TextureStageState::ColorArg2, gfx::texture_arg::kCurrent);
  }
  device->SetRenderState(gfx::RenderState::SrcBlend, gfx::Blend::One);
  device->SetRenderState(gfx::RenderState::DestBlend, gfx::Blend::Zero);
  device->SetRenderState(gfx::RenderState::Lighting, 1u);
  device->SetRenderState(gfx::RenderState::AlphaTestEnable, 0u);
  if (settings.GetInt(SettingId::SPECULAR) != 0) {
    device->SetRenderState(gfx::RenderState::SpecularEnable, 1u);
    device->SetRenderState(gfx::RenderState::SpecularMaterialSource, gfx::MaterialColorSource::Material);
  }
  device->SetRenderState(gfx::RenderState::CullMode, gfx::CullMode::CounterClockwise);
}

void ClearFrame(const app::Settings& settings, gfx::Device* device) {
  uint32_t clearFlags = gfx::clear_flags::kTarget | gfx::clear_flags::kZBuffer;
  if (settings.GetInt(SettingId::STENCILSHADOWS) != 0) clearFlags |= gfx::clear_flags::kStencil;
  device->Clear(clearFlags, 0, 1.0f, 0);
}

void Begin2D(const app::Settings& settings, gfx::Device* device) {
  if (settings.GetInt(SettingId::ALPHAWRITE) != 0) {
    device->SetRenderState(gfx::RenderState::AlphaTestEnable, 1u);
    device->SetRenderState(gfx::RenderState::AlphaRef, 1u);
    device->SetRenderState(gfx::RenderState::AlphaFunc, gfx::CompareFunc::Greater);
  }
  device->SetTransform(gfx::TransformState::Projection,
                       platform::OrthoLH(kVirtualScreenWidth, kVirtualScreenHeight, 1.0f, 10.0f));
  device->SetTransform(gfx::TransformState::View, platform::IdentityMatrix());
  device->SetTransform(gfx::TransformState::World, platform::IdentityMatrix());
  device->SetRenderState(gfx::RenderState::Lighting, 0u);
  device->SetRenderState(gfx::RenderState::AlphaBlendEnable, 1u);
  device->SetTextureStageState(0, gfx::TextureStageState::AlphaArg1, gfx::texture_arg::kTexture);
  device->SetRenderState(gfx::RenderState::SrcBlend, gfx::Blend::SrcAlpha);
  device->SetRenderState(gfx::RenderState::DestBlend, gfx::Blend::InvSrcAlpha);
  device->SetRenderState(gfx::RenderState::ZWriteEnable, 0u);
  device->SetRenderState(gfx::RenderState::ZEnable, 0u);
}

void End2D(const app::Settings& settings, gfx::Device* device) {
  device->SetRenderState(gfx::RenderState::ZWriteEnable, 1u);
  device->SetRenderState(gfx::RenderState::ZEnable, 1u);
  device->SetRenderState(gfx::RenderState::AlphaBlendEnable, 0u);
  device->SetTextureStageState(0, gfx::TextureStageState::AlphaArg1, gfx::texture_arg::kDiffuse);
  device->SetRenderState(gfx::RenderState::SrcBlend, gfx::Blend::One);
  device->SetRenderState(gfx::RenderState::DestBlend, gfx::Blend::Zero);
  device->SetRenderState(gfx::RenderState::Lighting, 1u);
  if (settings.GetInt(SettingId::ALPHAWRITE) != 0) device->SetRenderState(gfx::RenderState::AlphaTestEnable, 0u);
}

platform::HResult DrawRaceFrame(race::RaceSession& session, const app::Settings& settings, gfx::Device* device) {
  if (device == nullptr) return platform::kOk;
  RenderRaceOffscreen(session, settings, device);
  const platform::HResult begin = device->BeginScene();
  if (platform::Failed(begin)) return begin;
  ClearFrame(settings, device);
  session.Render(device);
  Begin2D(settings, device);
  session.DrawHud(device);
  End2D(settings, device);
  device->EndScene();
  session.RenderSecondPass(device);
  return platform::kOk;
}

}  // namespace game
