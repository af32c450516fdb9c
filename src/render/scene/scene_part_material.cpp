// The material stage operations of scene pieces: textures, blending and uv scroll of a list's material, their
// undo, and the second-uv texture.
#include "platform/math/math.h"
#include "render/resources/cube_map.h"
#include "render/resources/image_resource.h"
#include "render/scene/scene_part.h"
#include "render/scene/scene_settings.h"

namespace render {

namespace gfx = platform::gfx;
using gfx::RenderState;
using gfx::TextureStageState;

namespace {

gfx::TransformState TextureTransform(uint32_t stage) {
  return static_cast<gfx::TransformState>(static_cast<uint32_t>(gfx::TransformState::Texture0) + stage);
}

}  // namespace

bool MeshPart::NormalMapping() const { return SceneSetting(settings, app::SettingId::NORMALMAPPING) > 0; }

uint32_t MeshPart::ScrollStage() const { return (NormalMapping() && image != nullptr && image->hasNormalMap) ? 1 : 0; }

uint32_t MeshPart::SecondTextureStage() const {
  const bool stageOneTaken = (NormalMapping() && image->hasNormalMap) || image->hasEnvironmentMap ||
                             image->hasCubeMap || (image->reflective && image->renderTargetReady);
  return stageOneTaken ? 2 : 1;
}

void MeshPart::DrawWithMaterial(gfx::Device* device, const ViewFrustum* frustum) const {
  if (image != nullptr && image->loaded) {
    device->SetMaterial(image->material);
    const bool normalMapping = NormalMapping();
    if (normalMapping && image->hasNormalMap) {
      device->SetTexture(0, image->GetNormalMapTexture());
      device->SetTexture(1, image->GetImageTexture());
    } else if (image->hasBaseTexture) {
      device->SetTexture(0, image->GetImageTexture());
    } else if (image->hasOverlay) {
      device->SetTexture(0, image->GetImageSurface());
    }
    // An environment from a .dds file is a cube map: without it bound the reflection would read whatever
    // texture stage 1 last held.
    if (image->hasCubeMap && image->GetCubeMap() != nullptr) {
      device->SetTexture(1, image->GetCubeMap()->GetCubeTexture());
    } else if (image->hasEnvironmentMap) {
      device->SetTexture(1, image->GetEnvironmentTexture());
    } else if (image->reflective && image->renderTargetReady) {
      device->SetTexture(1, image->GetRenderTargetTexture());
    }
    if (image->additiveBlend) {
      device->SetRenderState(RenderState::ZWriteEnable, false);
      device->SetRenderState(RenderState::AlphaBlendEnable, true);
      device->SetRenderState(RenderState::SrcBlend, gfx::Blend::One);
      device->SetRenderState(RenderState::DestBlend, gfx::Blend::One);
    } else if (image->alphaBlend) {
      if (!image->depthWrite) device->SetRenderState(RenderState::ZWriteEnable, false);
      device->SetRenderState(RenderState::AlphaBlendEnable, true);
      device->SetRenderState(RenderState::SrcBlend, gfx::Blend::SrcAlpha);
      device->SetRenderState(RenderState::DestBlend, gfx::Blend::InvSrcAlpha);
    }
    if (image->IsImageAnimating(0)) {
      const uint32_t stage = ScrollStage();
      device->SetTextureStageState(stage, TextureStageState::TextureTransformFlags, gfx::texture_transform::kCount2);
      platform::Matrix4 scroll = platform::IdentityMatrix();
      scroll.m[2][0] = image->uOffset[0];
      scroll.m[2][1] = image->vOffset[0];
      device->SetTransform(TextureTransform(stage), scroll);
    }
  }
  Draw(device, frustum);
}

void MeshPart::RestoreMaterialStates(gfx::Device* device) const {
  if (image == nullptr) return;
  if (image->reflective || image->hasEnvironmentMap || image->hasCubeMap) {
    if (image->additiveBlend) {
      device->SetRenderState(RenderState::ZWriteEnable, true);
      device->SetRenderState(RenderState::AlphaBlendEnable, false);
      device->SetRenderState(RenderState::DestBlend, gfx::Blend::Zero);
    } else if (image->alphaBlend) {
      if (!image->depthWrite) device->SetRenderState(RenderState::ZWriteEnable, true);
      device->SetRenderState(RenderState::AlphaBlendEnable, false);
      device->SetRenderState(RenderState::SrcBlend, gfx::Blend::One);
      device->SetRenderState(RenderState::DestBlend, gfx::Blend::Zero);
    }
  }
  if (image->loaded && image->IsImageAnimating(0)) {
    device->SetTextureStageState(ScrollStage(), TextureStageState::TextureTransformFlags,
                                 gfx::texture_transform::kDisable);
  }
}

void MeshPart::BindSecondTexture(gfx::Device* device) const {
  if (image == nullptr || secondImage == nullptr || !image->loaded || !secondImage->loaded) return;
  const uint32_t stage = SecondTextureStage();
  device->SetTextureStageState(stage, TextureStageState::TexCoordIndex, 1u);
  device->SetTexture(stage, secondImage->GetImageTexture());
  device->SetTextureStageState(stage, TextureStageState::ColorArg1, gfx::texture_arg::kTexture);
  device->SetTextureStageState(stage, TextureStageState::ColorOp, gfx::TextureOp::Modulate2x);
}

void MeshPart::UnbindSecondTexture(gfx::Device* device) const {
  if (image == nullptr || secondImage == nullptr || !image->loaded || !secondImage->loaded) return;
  // The same stage the bind used: a reflective image without its render target leaves stage 1 to the second
  // texture, and clearing stage 2 instead would leave stage 1 modulating every later draw.
  const uint32_t stage = SecondTextureStage();
  device->SetTextureStageState(stage, TextureStageState::TexCoordIndex, 0u);
  device->SetTextureStageState(stage, TextureStageState::ColorOp, gfx::TextureOp::Disable);
}

}  // namespace render
