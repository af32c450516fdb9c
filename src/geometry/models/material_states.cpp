// Render-state set-ups of the material kinds and of one material run.
#include "geometry/models/material_states.h"

#include <cmath>

#include "platform/math/math.h"
#include "render/resources/cube_map.h"
#include "render/resources/image_resource.h"

namespace geometry {

namespace {

using platform::gfx::Blend;
using platform::gfx::CompareFunc;
using platform::gfx::RenderState;
using platform::gfx::TextureFilter;
using platform::gfx::TextureOp;
using platform::gfx::TextureStageState;
using platform::gfx::TransformState;
namespace arg = platform::gfx::texture_arg;
namespace transform = platform::gfx::texture_transform;
namespace texcoord = platform::gfx::texcoord_index;
using app::SettingId;

void Stage(Device* device, uint32_t stage, TextureStageState state, platform::gfx::StateValue value) {
  device->SetTextureStageState(stage, state, value);
}
void Render(Device* device, RenderState state, platform::gfx::StateValue value) {
  device->SetRenderState(state, value);
}

// A translation of two-component texture coordinates: the classic device reads it from the third row.
platform::Matrix4 ScrollMatrix(float u, float v) {
  platform::Matrix4 matrix = platform::IdentityMatrix();
  matrix.m[2][0] = u;
  matrix.m[2][1] = v;
  return matrix;
}

TransformState TextureTransform(uint32_t stage) {
  return static_cast<TransformState>(static_cast<uint32_t>(TransformState::Texture0) + stage);
}

platform::gfx::BaseTexture* CubeTextureOf(const render::ImageResource* image) {
  const render::CubeMap* cube = image->GetCubeMap();
  return cube != nullptr ? cube->GetCubeTexture() : nullptr;
}

}  // namespace

int SettingValue(const app::Settings* settings, app::SettingId id) {
  return settings != nullptr ? settings->GetInt(id) : 0;
}

void SetBaselineStates(Device* device, const app::Settings* settings) {
  Stage(device, 0, TextureStageState::ColorOp, TextureOp::Modulate);
  Stage(device, 0, TextureStageState::ColorArg1, arg::kTexture);
  Stage(device, 0, TextureStageState::ColorArg2, arg::kCurrent);
  Stage(device, 0, TextureStageState::AlphaArg1, arg::kDiffuse);
  Stage(device, 1, TextureStageState::ColorOp, TextureOp::Disable);
  Stage(device, 1, TextureStageState::ColorArg1, arg::kTexture);
  Stage(device, 1, TextureStageState::ColorArg2, arg::kCurrent);
  Stage(device, 1, TextureStageState::TexCoordIndex, 0u);
  Stage(device, 1, TextureStageState::TextureTransformFlags, transform::kDisable);
  Stage(device, 2, TextureStageState::ColorOp, TextureOp::Disable);
  Render(device, RenderState::AlphaBlendEnable, false);
  Render(device, RenderState::SrcBlend, Blend::One);
  Render(device, RenderState::DestBlend, Blend::Zero);
  Render(device, RenderState::ZWriteEnable, true);
  Render(device, RenderState::AlphaTestEnable, false);
  Render(device, RenderState::SpecularEnable, SettingValue(settings, SettingId::SPECULAR) != 0);
}

void RestoreAfterKinds(Device* device, const app::Settings* settings) {
  Stage(device, 0, TextureStageState::ColorOp, TextureOp::Modulate);
  Render(device, RenderState::ZWriteEnable, true);
  Render(device, RenderState::AlphaBlendEnable, false);
  Render(device, RenderState::SrcBlend, Blend::One);
  Render(device, RenderState::DestBlend, Blend::Zero);
  Stage(device, 0, TextureStageState::ColorArg2, arg::kCurrent);
  if (SettingValue(settings, SettingId::ALPHAWRITE) != 0) Render(device, RenderState::AlphaTestEnable, false);
}

bool UsesNormalMap(const app::Settings* settings, const render::ImageResource* image) {
  return image != nullptr && SettingValue(settings, SettingId::NORMALMAPPING) > 0 && image->hasNormalMap;
}

uint32_t ScrollStage(const app::Settings* settings, const render::ImageResource* image) {
  return UsesNormalMap(settings, image) ? 1u : 0u;
}

void BeginMaterial(Device* device, const app::Settings* settings, const render::ImageResource* image) {
  if (image == nullptr || !image->loaded) return;
  device->SetMaterial(image->material);

  if (UsesNormalMap(settings, image)) {
    device->SetTexture(0, image->GetNormalMapTexture());
    device->SetTexture(2, image->GetImageTexture());
  } else if (image->hasBaseTexture) {
    device->SetTexture(0, image->GetImageTexture());
  } else if (image->hasOverlay) {
    device->SetTexture(0, image->GetImageSurface());
  }
  if (image->hasCubeMap) {
    device->SetTexture(1, CubeTextureOf(image));
  } else if (image->hasEnvironmentMap) {
    device->SetTexture(1, image->GetEnvironmentTexture());
  }

  if (image->additiveBlend) {
    Render(device, RenderState::ZWriteEnable, false);
    Render(device, RenderState::AlphaBlendEnable, true);
    Render(device, RenderState::SrcBlend, Blend::One);
    Render(device, RenderState::DestBlend, Blend::One);
  } else if (image->alphaBlend) {
    if (!image->depthWrite) Render(device, RenderState::ZWriteEnable, false);
    Render(device, RenderState::AlphaBlendEnable, true);
    Render(device, RenderState::SrcBlend, Blend::SrcAlpha);
    Render(device, RenderState::DestBlend, Blend::InvSrcAlpha);
  }

  if (image->IsImageAnimating(0)) {
    const uint32_t stage = ScrollStage(settings, image);
    Stage(device, stage, TextureStageState::TextureTransformFlags, transform::kCount2);
    device->SetTransform(TextureTransform(stage), ScrollMatrix(image->uOffset[0], image->vOffset[0]));
  }
}

void DrawSpecularPass(Device* device, const app::Settings* settings, const render::ImageResource* image,
                      const std::function<void()>& draw) {
  if (!UsesNormalMap(settings, image) || SettingValue(settings, SettingId::SPECULAR) == 0 ||
      SettingValue(settings, SettingId::SPECULARMAPPING) == 0) {
    return;
  }
  const int modulate = SettingValue(settings, SettingId::NORMALMODULATE);
  device->SetTexture(0, image->GetNormalMapTexture());
  Render(device, RenderState::AlphaBlendEnable, true);
  Render(device, RenderState::DestBlend, Blend::One);
  if (image->hasSeparateAlpha) {
    device->SetTexture(1, image->GetAlphaTexture());
    Stage(device, 1, TextureStageState::ColorArg1, arg::kTexture);
    Stage(device, 1, TextureStageState::ColorOp, TextureOp::Modulate);
    Stage(device, 2, TextureStageState::ColorArg2, arg::kSpecular);
    Stage(device, 2, TextureStageState::ColorArg1, arg::kCurrent);
    Stage(device, 2, TextureStageState::ColorOp, static_cast<uint32_t>(modulate));
  } else {
    Stage(device, 2, TextureStageState::ColorOp, TextureOp::Disable);
    Stage(device, 1, TextureStageState::ColorArg1, arg::kCurrent);
    Stage(device, 1, TextureStageState::ColorArg2, arg::kSpecular);
    Stage(device, 1, TextureStageState::ColorOp, static_cast<uint32_t>(modulate));
  }
  draw();
  Render(device, RenderState::AlphaBlendEnable, false);
  Stage(device, 2, TextureStageState::ColorOp, TextureOp::Modulate);
  Stage(device, 2, TextureStageState::ColorArg1, arg::kTexture);
  Stage(device, 2, TextureStageState::ColorArg2, arg::kCurrent);
  Stage(device, 1, TextureStageState::ColorArg1, arg::kDiffuse);
  Stage(device, 1, TextureStageState::ColorArg2, arg::kCurrent);
  Stage(device, 1, TextureStageState::ColorOp,
        static_cast<uint32_t>(SettingValue(settings, SettingId::NORMALADDITIVE)));
}

void EndMaterial(Device* device, const app::Settings* settings, const render::ImageResource* image) {
  if (image == nullptr || !image->loaded) return;
  if (image->IsImageAnimating(0)) {
    Stage(device, ScrollStage(settings, image), TextureStageState::TextureTransformFlags, transform::kDisable);
  }
  if (image->additiveBlend) {
    Render(device, RenderState::ZWriteEnable, true);
    Render(device, RenderState::AlphaBlendEnable, false);
    Render(device, RenderState::DestBlend, Blend::Zero);
  } else if (image->alphaBlend) {
    if (!image->depthWrite) Render(device, RenderState::ZWriteEnable, true);
    Render(device, RenderState::AlphaBlendEnable, false);
    Render(device, RenderState::SrcBlend, Blend::One);
    Render(device, RenderState::DestBlend, Blend::Zero);
  }
}

bool ShowsOverlay(const render::ImageResource* image, int32_t pass) {
  return image != nullptr && image->hasBaseTexture && image->hasOverlay && image->overlayPass == pass;
}

bool BeginOverlay(Device* device, const render::ImageResource* image) {
  device->SetTexture(0, image->GetImageSurface());
  if (!image->IsImageAnimating(1)) return false;
  Stage(device, 0, TextureStageState::TextureTransformFlags, transform::kCount2);
  device->SetTransform(TransformState::Texture0, ScrollMatrix(image->uOffset[1], image->vOffset[1]));
  return true;
}

void EndOverlay(Device* device, bool scrolled) {
  if (scrolled) Stage(device, 0, TextureStageState::TextureTransformFlags, transform::kDisable);
}

uint32_t PackNormalColor(platform::Vec3 light) {
  const platform::Vec3 n = platform::Normalize(light);
  auto pack = [](float c) { return static_cast<uint32_t>(static_cast<int32_t>(c * 127.0f + 128.0f)) & 0xFFu; };
  return 0xFF000000u | pack(n.x) << 16 | pack(n.y) << 8 | pack(n.z);
}

void BeginNormalMappedKind(Device* device, const app::Settings* settings, platform::Vec3 light) {
  if (SettingValue(settings, SettingId::NORMALMAPPING) <= 0) return;
  Stage(device, 0, TextureStageState::ColorArg1, arg::kTexture);
  Stage(device, 0, TextureStageState::ColorArg2, arg::kTFactor);
  Stage(device, 0, TextureStageState::ColorOp, TextureOp::DotProduct3);
  Stage(device, 1, TextureStageState::ColorArg1, arg::kDiffuse);
  Stage(device, 1, TextureStageState::ColorArg2, arg::kCurrent);
  Stage(device, 1, TextureStageState::ColorOp,
        static_cast<uint32_t>(SettingValue(settings, SettingId::NORMALADDITIVE)));
  Stage(device, 2, TextureStageState::ColorArg1, arg::kTexture);
  Stage(device, 2, TextureStageState::ColorArg2, arg::kCurrent);
  Stage(device, 2, TextureStageState::ColorOp, TextureOp::Modulate);
  Render(device, RenderState::TextureFactor, PackNormalColor(light));
  if (SettingValue(settings, SettingId::SPECULAR) != 0) Render(device, RenderState::SpecularEnable, false);
}

void EndNormalMappedKind(Device* device, const app::Settings* settings) {
  if (SettingValue(settings, SettingId::NORMALMAPPING) <= 0) return;
  if (SettingValue(settings, SettingId::SPECULAR) != 0) Render(device, RenderState::SpecularEnable, true);
  Stage(device, 0, TextureStageState::ColorArg1, arg::kTexture);
  Stage(device, 0, TextureStageState::ColorArg2, arg::kCurrent);
  Stage(device, 0, TextureStageState::ColorOp, TextureOp::Modulate);
  Stage(device, 1, TextureStageState::ColorArg2, arg::kCurrent);
  Stage(device, 1, TextureStageState::ColorArg1, arg::kTexture);
  Stage(device, 1, TextureStageState::ColorOp, TextureOp::Disable);
  Stage(device, 2, TextureStageState::ColorOp, TextureOp::Disable);
}

namespace {
bool ReflectionSpecular(const app::Settings* settings) {
  return SettingValue(settings, SettingId::REFLECTIONSPECULARMAPPING) != 0 &&
         SettingValue(settings, SettingId::SPECULAR) != 0;
}
}  // namespace

void SetupReflection(Device* device, const app::Settings* settings) {
  Stage(device, 0, TextureStageState::AlphaArg1, arg::kTexture);
  Stage(device, 1, TextureStageState::TexCoordIndex, 0u | texcoord::kCameraSpaceReflectionVector);
  Stage(device, 1, TextureStageState::ColorArg1, arg::kCurrent);
  Stage(device, 1, TextureStageState::ColorArg2, arg::kTexture);
  Stage(device, 1, TextureStageState::ColorOp, TextureOp::ModulateAlphaAddColor);
  if (ReflectionSpecular(settings)) {
    Render(device, RenderState::SpecularEnable, false);
    Stage(device, 2, TextureStageState::ColorArg1, arg::kCurrent);
    Stage(device, 2, TextureStageState::ColorArg2, arg::kSpecular);
    Stage(device, 2, TextureStageState::ColorOp, TextureOp::ModulateAlphaAddColor);
  }
}

void RestoreReflection(Device* device, const app::Settings* settings) {
  Stage(device, 0, TextureStageState::AlphaArg1, arg::kDiffuse);
  Stage(device, 1, TextureStageState::TexCoordIndex, 0u);
  Stage(device, 1, TextureStageState::ColorArg2, arg::kCurrent);
  Stage(device, 1, TextureStageState::ColorArg1, arg::kTexture);
  Stage(device, 1, TextureStageState::ColorOp, TextureOp::Disable);
  Stage(device, 1, TextureStageState::TextureTransformFlags, transform::kDisable);
  if (ReflectionSpecular(settings)) {
    Render(device, RenderState::SpecularEnable, true);
    Stage(device, 2, TextureStageState::ColorArg2, arg::kCurrent);
    Stage(device, 2, TextureStageState::ColorArg1, arg::kTexture);
    Stage(device, 2, TextureStageState::ColorOp, TextureOp::Disable);
  }
}

bool SpecularMaskEnabled(const app::Settings* settings) {
  return SettingValue(settings, SettingId::SPECULARMAPPING) > 0 && SettingValue(settings, SettingId::SPECULAR) > 0;
}

void SetupSpecularMask(Device* device, const app::Settings* settings) {
  if (!SpecularMaskEnabled(settings)) return;
  Stage(device, 0, TextureStageState::AlphaArg1, arg::kTexture);
  Stage(device, 1, TextureStageState::ColorArg1, arg::kCurrent);
  Stage(device, 1, TextureStageState::ColorArg2, arg::kSpecular);
  Stage(device, 1, TextureStageState::ColorOp, TextureOp::ModulateAlphaAddColor);
  Render(device, RenderState::SpecularEnable, false);
}

void RestoreSpecularMask(Device* device, const app::Settings* settings) {
  if (!SpecularMaskEnabled(settings)) return;
  Stage(device, 0, TextureStageState::AlphaArg1, arg::kDiffuse);
  Stage(device, 1, TextureStageState::ColorArg2, arg::kCurrent);
  Stage(device, 1, TextureStageState::ColorArg1, arg::kTexture);
  Stage(device, 1, TextureStageState::ColorOp, TextureOp::Disable);
  Render(device, RenderState::SpecularEnable, true);
}

void SetupMapReflection(Device* device) {
  Stage(device, 1, TextureStageState::TexCoordIndex, 0u | texcoord::kCameraSpaceReflectionVector);
  Stage(device, 0, TextureStageState::AlphaArg1, arg::kTexture);
  Stage(device, 1, TextureStageState::ColorArg1, arg::kCurrent);
  Stage(device, 1, TextureStageState::ColorArg2, arg::kTexture);
  Stage(device, 1, TextureStageState::ColorOp, TextureOp::ModulateAlphaAddColor);
}

void RestoreMapReflection(Device* device) {
  Stage(device, 1, TextureStageState::TexCoordIndex, 0u);
  Stage(device, 0, TextureStageState::AlphaArg1, arg::kDiffuse);
  Stage(device, 1, TextureStageState::ColorArg1, arg::kTexture);
  Stage(device, 1, TextureStageState::ColorArg2, arg::kCurrent);
  Stage(device, 1, TextureStageState::ColorOp, TextureOp::Disable);
}

ReflectionSetup ChooseReflectionSetup(const app::Settings* settings, MaterialKind kind,
                                      const platform::gfx::BaseTexture* environment) {
  const bool cubes = SettingValue(settings, SettingId::CUBEMAPPING) > 0;
  switch (kind) {
    case MaterialKind::SharedReflection:
    case MaterialKind::SharedReflectionBlended:
      return cubes && environment != nullptr ? ReflectionSetup::Reflection : ReflectionSetup::SpecularMask;
    case MaterialKind::CubeReflection:
    case MaterialKind::CubeReflectionBlended:
      return cubes ? ReflectionSetup::Reflection : ReflectionSetup::SpecularMask;
    case MaterialKind::MapReflection:
    case MaterialKind::MapReflectionBlended:
      return cubes ? ReflectionSetup::MapReflection : ReflectionSetup::None;
    default:
      return ReflectionSetup::None;
  }
}

void BeginReflectionKind(Device* device, const app::Settings* settings, MaterialKind kind,
                         platform::gfx::BaseTexture* environment) {
  switch (ChooseReflectionSetup(settings, kind, environment)) {
    case ReflectionSetup::Reflection:
      if (kind == MaterialKind::SharedReflection || kind == MaterialKind::SharedReflectionBlended) {
        device->SetTexture(1, environment);
      }
      SetupReflection(device, settings);
      break;
    case ReflectionSetup::SpecularMask:
      SetupSpecularMask(device, settings);
      break;
    case ReflectionSetup::MapReflection:
      SetupMapReflection(device);
      break;
    case ReflectionSetup::None:
      break;
  }
}

void EndReflectionKind(Device* device, const app::Settings* settings, MaterialKind kind,
                       const platform::gfx::BaseTexture* environment) {
  switch (ChooseReflectionSetup(settings, kind, environment)) {
    case ReflectionSetup::Reflection:
      RestoreReflection(device, settings);
      break;
    case ReflectionSetup::SpecularMask:
      RestoreSpecularMask(device, settings);
      break;
    case ReflectionSetup::MapReflection:
      RestoreMapReflection(device);
      break;
    case ReflectionSetup::None:
      break;
  }
}

void BeginTransparentSection(Device* device, const app::Settings* settings) {
  Stage(device, 0, TextureStageState::AlphaArg1, arg::kTexture);
  Stage(device, 0, TextureStageState::MipFilter, TextureFilter::None);
  Render(device, RenderState::AlphaBlendEnable, true);
  Render(device, RenderState::SrcBlend, Blend::SrcAlpha);
  Render(device, RenderState::DestBlend, Blend::InvSrcAlpha);
  if (SettingValue(settings, SettingId::ALPHAWRITE) != 0) {
    Render(device, RenderState::AlphaTestEnable, true);
    Render(device, RenderState::AlphaRef, 50u);
    Render(device, RenderState::AlphaFunc, CompareFunc::Greater);
  }
}

void LateTransparentSection(Device* device, const app::Settings* settings) {
  if (SettingValue(settings, SettingId::ALPHAWRITE) != 0) Render(device, RenderState::AlphaRef, 1u);
  Render(device, RenderState::ZWriteEnable, false);
  Stage(device, 0, TextureStageState::MipFilter,
        static_cast<uint32_t>(SettingValue(settings, SettingId::MIPFILTER)));
}

void EndTransparentSection(Device* device) { Stage(device, 0, TextureStageState::AlphaArg1, arg::kDiffuse); }

void BeginMultiplySection(Device* device) {
  Render(device, RenderState::AlphaBlendEnable, true);
  Render(device, RenderState::SrcBlend, Blend::Zero);
  Render(device, RenderState::DestBlend, Blend::SrcColor);
  Stage(device, 0, TextureStageState::ColorOp, TextureOp::Modulate);
  Stage(device, 0, TextureStageState::ColorArg1, arg::kTexture);
  Stage(device, 0, TextureStageState::ColorArg2, arg::kTexture);
  Stage(device, 0, TextureStageState::AlphaArg1, arg::kDiffuse);
  Stage(device, 0, TextureStageState::AlphaArg2, arg::kCurrent);
  Render(device, RenderState::ZWriteEnable, false);
}

void BeginAdditiveSection(Device* device) {
  Render(device, RenderState::SrcBlend, Blend::One);
  Render(device, RenderState::DestBlend, Blend::One);
}

}  // namespace geometry
