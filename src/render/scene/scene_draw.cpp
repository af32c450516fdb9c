// Scene drawing: the main pass, the depth-and-self-lit second pass and the projected-texture pass, walking the
// visible pieces kind by kind with each kind's blend and texture-stage states, and returning the device to the
// render-state baseline after each.
#include "platform/math/math.h"
#include "render/resources/image_resource.h"
#include "render/scene/scene.h"
#include "render/scene/scene_settings.h"

namespace render {

namespace gfx = platform::gfx;
using geometry::MaterialKind;
using gfx::Blend;
using gfx::RenderState;
using gfx::TextureOp;
using gfx::TextureStageState;
namespace arg = gfx::texture_arg;

namespace {

constexpr uint32_t kAlphaTestReference = 50;
constexpr uint32_t kAlphaTestReferenceLate = 1;
constexpr float kDegreesToRadians = static_cast<float>(0.01745329252);
constexpr float kDefaultFarClip = 10000.0f;
constexpr float kProjectorFieldOfView = 1.57079632679f;

const std::vector<std::vector<MeshPart*>>& Lists(const SceneBuckets& buckets, MaterialKind kind) {
  return buckets[geometry::KindIndex(kind)];
}

void SetBlend(gfx::Device* device, Blend source, Blend destination) {
  device->SetRenderState(RenderState::SrcBlend, source);
  device->SetRenderState(RenderState::DestBlend, destination);
}

void SetStage(gfx::Device* device, uint32_t stage, TextureOp op, uint32_t arg1, uint32_t arg2) {
  device->SetTextureStageState(stage, TextureStageState::ColorOp, op);
  device->SetTextureStageState(stage, TextureStageState::ColorArg1, arg1);
  device->SetTextureStageState(stage, TextureStageState::ColorArg2, arg2);
}

// Whether a material of the kinds drawn before `behind` blends with what is under it.
bool OpaqueKindsBlend(const SceneBuckets& buckets) {
  for (MaterialKind kind :
       {MaterialKind::Plain, MaterialKind::NormalMapped, MaterialKind::SharedReflection, MaterialKind::MapReflection}) {
    for (const auto& list : Lists(buckets, kind)) {
      for (const MeshPart* part : list) {
        if (part->image != nullptr && (part->image->additiveBlend || part->image->alphaBlend)) return true;
      }
    }
  }
  return false;
}

}  // namespace

int Scene::Setting(int id) const { return SceneSetting(settings, static_cast<app::SettingId>(id)); }

void Scene::SetVertexFormat(gfx::Device* device, uint32_t format) {
  if (format == currentVertexFormat) return;
  device->SetVertexShader(format);
  currentVertexFormat = format;
}

void Scene::BindPart(gfx::Device* device, const MeshPart* part, const ScenePart*& lastBound) {
  if (part->part != lastBound) {
    part->Bind(device);
    lastBound = part->part;
  }
  SetVertexFormat(device, part->part->vertexFormat);
}

void Scene::DrawBucket(gfx::Device* device, const std::vector<std::vector<MeshPart*>>& lists) {
  const ScenePart* lastBound = nullptr;
  const MeshPart* secondBinder = nullptr;
  ImageResource* currentSecond = nullptr;
  for (const auto& list : lists) {
    bool firstDrawn = false;
    for (const MeshPart* part : list) {
      if (!part->enabled) continue;
      BindPart(device, part, lastBound);
      if (part->secondImage != currentSecond) {
        if (secondBinder != nullptr) secondBinder->UnbindSecondTexture(device);
        secondBinder = nullptr;
        currentSecond = part->secondImage;
        if (currentSecond != nullptr) {
          part->BindSecondTexture(device);
          secondBinder = part;
        }
      }
      if (!firstDrawn) {
        part->DrawWithMaterial(device, &collectedFrustum_);
        firstDrawn = true;
      } else {
        part->Draw(device, &collectedFrustum_);
      }
    }
    if (!list.empty()) list.front()->RestoreMaterialStates(device);
  }
  if (secondBinder != nullptr) secondBinder->UnbindSecondTexture(device);
}

void Scene::DrawOverlayKind(gfx::Device* device, const std::vector<std::vector<MeshPart*>>& lists, int32_t pass) {
  const ScenePart* lastBound = nullptr;
  for (const auto& list : lists) {
    bool textureSet = false;
    for (const MeshPart* part : list) {
      const ImageResource* image = part->image;
      if (!part->enabled || image == nullptr || !image->hasBaseTexture || !image->hasOverlay ||
          image->overlayPass != pass) {
        continue;
      }
      BindPart(device, part, lastBound);
      if (!textureSet) {
        device->SetTexture(0, image->GetImageSurface());
        textureSet = true;
      }
      const bool scrolling = image->IsImageAnimating(1);
      if (scrolling) {
        device->SetTextureStageState(0, TextureStageState::TextureTransformFlags, gfx::texture_transform::kCount2);
        Matrix4 scroll = platform::IdentityMatrix();
        scroll.m[2][0] = image->uOffset[1];
        scroll.m[2][1] = image->vOffset[1];
        device->SetTransform(gfx::TransformState::Texture0, scroll);
      }
      part->Draw(device, &collectedFrustum_);
      if (scrolling) {
        device->SetTextureStageState(0, TextureStageState::TextureTransformFlags, gfx::texture_transform::kDisable);
      }
    }
  }
}

Matrix4 Scene::SetupProjection() const {
  const float width = static_cast<float>(Setting(static_cast<int>(app::SettingId::SCREENWIDTH)));
  const float height = static_cast<float>(Setting(static_cast<int>(app::SettingId::SCREENHEIGHT)));
  const float aspect = height > 0 ? width / height : 1.0f;
  const float fov = SceneFloatSetting(settings, app::FloatSettingId::FOV, 45.0f) * kDegreesToRadians;
  const float farClip = SceneFloatSetting(settings, app::FloatSettingId::FARCLIP, kDefaultFarClip);
  return platform::PerspectiveFovLH(fov, aspect, 0.0f, farClip);
}

void Scene::Draw(gfx::Device* device, const Matrix4& view, gfx::BaseTexture* reflectionTexture,
                 const std::function<void()>& behind) {
  const Matrix4 textureMatrix = platform::Multiply(SetupProjection(), reflectionTextureMatrix);
  DrawVisible(device, view, &textureMatrix, reflectionTexture, behind);
}

void Scene::DrawVisible(gfx::Device* device, const Matrix4& view, const Matrix4* reflectionMatrix,
                        gfx::BaseTexture* reflectionTexture, const std::function<void()>& behind) {
  const bool alphaWrite = Setting(static_cast<int>(app::SettingId::ALPHAWRITE)) != 0;
  const uint32_t mipFilter = static_cast<uint32_t>(Setting(static_cast<int>(app::SettingId::MIPFILTER)));
  const uint32_t clampUvs = static_cast<uint32_t>(Setting(static_cast<int>(app::SettingId::CLAMPUVS)));
  const bool behindFirst = behind && OpaqueKindsBlend(visibleParts);
  if (behindFirst) behind();
  device->SetTransform(gfx::TransformState::View, view);
  device->SetVertexShader(kSceneFormatPlain);
  currentVertexFormat = kSceneFormatPlain;

  DrawBucket(device, Lists(visibleParts, MaterialKind::Plain));

  const auto& normalMapped = Lists(visibleParts, MaterialKind::NormalMapped);
  const bool normalSetup = !normalMapped.empty() && Setting(static_cast<int>(app::SettingId::NORMALMAPPING)) > 0;
  if (normalSetup) {
    SetStage(device, 0, TextureOp::DotProduct3, arg::kTexture, arg::kDiffuse);
    SetStage(device, 1, TextureOp::AddSigned, arg::kTexture, arg::kCurrent);
  }
  DrawBucket(device, normalMapped);
  if (normalSetup) {
    SetStage(device, 0, TextureOp::Modulate, arg::kTexture, arg::kCurrent);
    device->SetTextureStageState(1, TextureStageState::ColorOp, TextureOp::Disable);
  }

  // Planar reflection on stage 1, projected from the reflection target's view.
  auto drawPlanar = [&](MaterialKind kind) {
    const auto& lists = Lists(visibleParts, kind);
    if (lists.empty()) return;
    const bool setup = Setting(static_cast<int>(app::SettingId::SCENEREFLECTION)) != 0 && reflectionMatrix != nullptr;
    if (setup) {
      if (reflectionTexture != nullptr) device->SetTexture(1, reflectionTexture);
      device->SetTransform(gfx::TransformState::Texture1, *reflectionMatrix);
      device->SetTextureStageState(1, TextureStageState::MipFilter, gfx::TextureFilter::None);
      device->SetTextureStageState(1, TextureStageState::AddressU, clampUvs);
      device->SetTextureStageState(1, TextureStageState::AddressV, clampUvs);
      device->SetTextureStageState(1, TextureStageState::TextureTransformFlags,
                                   gfx::texture_transform::kCount3 | gfx::texture_transform::kProjected);
      device->SetTextureStageState(1, TextureStageState::TexCoordIndex, gfx::texcoord_index::kCameraSpacePosition | 1u);
      device->SetTextureStageState(0, TextureStageState::AlphaArg1, arg::kTexture);
      SetStage(device, 1, TextureOp::ModulateAlphaAddColor, arg::kCurrent, arg::kTexture);
    }
    DrawBucket(device, lists);
    device->SetTextureStageState(0, TextureStageState::AlphaArg1, arg::kDiffuse);
    device->SetTextureStageState(1, TextureStageState::TexCoordIndex, 0u);
    SetStage(device, 1, TextureOp::Disable, arg::kTexture, arg::kCurrent);
    device->SetTextureStageState(1, TextureStageState::TextureTransformFlags, gfx::texture_transform::kDisable);
    device->SetTextureStageState(1, TextureStageState::MipFilter, mipFilter);
    device->SetTextureStageState(1, TextureStageState::AddressU, gfx::TextureAddress::Wrap);
    device->SetTextureStageState(1, TextureStageState::AddressV, gfx::TextureAddress::Wrap);
  };
  // Environment reflection on stage 1 from the camera-space reflection vector.
  auto drawEnvironment = [&](MaterialKind kind) {
    const auto& lists = Lists(visibleParts, kind);
    const bool setup = !lists.empty() && Setting(static_cast<int>(app::SettingId::CUBEMAPPING)) > 0;
    if (setup) {
      device->SetTextureStageState(1, TextureStageState::TexCoordIndex,
                                   gfx::texcoord_index::kCameraSpaceReflectionVector);
      device->SetTextureStageState(0, TextureStageState::AlphaArg1, arg::kTexture);
      SetStage(device, 1, TextureOp::ModulateAlphaAddColor, arg::kCurrent, arg::kTexture);
    }
    DrawBucket(device, lists);
    if (setup) {
      device->SetTextureStageState(1, TextureStageState::TexCoordIndex, 0u);
      device->SetTextureStageState(0, TextureStageState::AlphaArg1, arg::kDiffuse);
      device->SetTextureStageState(1, TextureStageState::ColorOp, TextureOp::Disable);
    }
  };
  drawPlanar(MaterialKind::SharedReflection);
  drawEnvironment(MaterialKind::MapReflection);
  if (behind && !behindFirst) {
    behind();
    device->SetTransform(gfx::TransformState::View, view);
    device->SetVertexShader(currentVertexFormat);
  }

  const auto& alphaFirst = Lists(visibleParts, MaterialKind::AlphaFirst);
  const auto& alpha = Lists(visibleParts, MaterialKind::Alpha);
  const auto& alphaLast = Lists(visibleParts, MaterialKind::AlphaLast);
  if (!alphaFirst.empty() || !alpha.empty() || !alphaLast.empty()) {
    device->SetTextureStageState(0, TextureStageState::AlphaArg1, arg::kTexture);
    device->SetTextureStageState(0, TextureStageState::MipFilter, gfx::TextureFilter::None);
    device->SetRenderState(RenderState::AlphaBlendEnable, true);
    SetBlend(device, Blend::SrcAlpha, Blend::InvSrcAlpha);
    if (alphaWrite) {
      device->SetRenderState(RenderState::AlphaTestEnable, true);
      device->SetRenderState(RenderState::AlphaRef, kAlphaTestReference);
      device->SetRenderState(RenderState::AlphaFunc, gfx::CompareFunc::Greater);
    }
    DrawBucket(device, alphaFirst);
    DrawBucket(device, alpha);
    if (alphaWrite) device->SetRenderState(RenderState::AlphaRef, kAlphaTestReferenceLate);
    device->SetRenderState(RenderState::ZWriteEnable, false);
    device->SetTextureStageState(0, TextureStageState::MipFilter, mipFilter);
    DrawBucket(device, alphaLast);
  }

  device->SetTextureStageState(0, TextureStageState::AlphaArg1, arg::kDiffuse);
  device->SetRenderState(RenderState::AlphaBlendEnable, true);
  SetBlend(device, Blend::Zero, Blend::SrcColor);
  SetStage(device, 0, TextureOp::Modulate, arg::kTexture, arg::kCurrent);
  device->SetTextureStageState(0, TextureStageState::AlphaArg1, arg::kDiffuse);
  device->SetTextureStageState(0, TextureStageState::AlphaArg2, arg::kCurrent);
  device->SetRenderState(RenderState::ZWriteEnable, false);
  DrawBucket(device, Lists(visibleParts, MaterialKind::Multiply));
  for (const auto& kind : visibleParts) DrawOverlayKind(device, kind, geometry::kMultiplyOverlayPass);

  SetBlend(device, Blend::One, Blend::One);
  DrawBucket(device, Lists(visibleParts, MaterialKind::Additive));
  drawPlanar(MaterialKind::SharedReflectionBlended);
  drawEnvironment(MaterialKind::MapReflectionBlended);
  for (const auto& kind : visibleParts) DrawOverlayKind(device, kind, geometry::kAdditiveOverlayPass);

  device->SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::Modulate);
  device->SetRenderState(RenderState::ZWriteEnable, true);
  device->SetRenderState(RenderState::AlphaBlendEnable, false);
  SetBlend(device, Blend::One, Blend::Zero);
  device->SetTextureStageState(0, TextureStageState::ColorArg2, arg::kCurrent);
  if (alphaWrite) device->SetRenderState(RenderState::AlphaTestEnable, false);
}

void Scene::DrawSecondPass(gfx::Device* device, const Matrix4& view, const SceneBuckets& lists) {
  const bool alphaWrite = Setting(static_cast<int>(app::SettingId::ALPHAWRITE)) != 0;
  const uint32_t mipFilter = static_cast<uint32_t>(Setting(static_cast<int>(app::SettingId::MIPFILTER)));
  device->SetTransform(gfx::TransformState::View, view);
  device->SetVertexShader(kSceneFormatPlain);
  currentVertexFormat = kSceneFormatPlain;
  device->SetRenderState(RenderState::AlphaBlendEnable, true);
  if (alphaWrite) device->SetRenderState(RenderState::AlphaTestEnable, true);
  SetStage(device, 0, TextureOp::SelectArg1, arg::kDiffuse, arg::kCurrent);
  SetBlend(device, Blend::Zero, Blend::One);

  const ScenePart* lastBound = nullptr;
  for (MaterialKind kind : {MaterialKind::Plain, MaterialKind::Alpha, MaterialKind::SharedReflection,
                            MaterialKind::NormalMapped, MaterialKind::MapReflection}) {
    for (const auto& list : Lists(lists, kind)) {
      for (const MeshPart* part : list) {
        if (part->image != nullptr && !part->image->depthWrite) break;
        if (!part->enabled) continue;
        BindPart(device, part, lastBound);
        if (kind == MaterialKind::Alpha) {
          if (alphaWrite) {
            device->SetRenderState(RenderState::AlphaTestEnable, true);
            device->SetRenderState(RenderState::AlphaRef, kAlphaTestReference);
            device->SetRenderState(RenderState::AlphaFunc, gfx::CompareFunc::Greater);
          }
          device->SetTextureStageState(0, TextureStageState::AlphaArg1, arg::kTexture);
          part->DrawWithMaterial(device, &collectedFrustum_);
          part->RestoreMaterialStates(device);
          if (alphaWrite) device->SetRenderState(RenderState::AlphaRef, kAlphaTestReferenceLate);
          device->SetTextureStageState(0, TextureStageState::AlphaArg1, arg::kDiffuse);
        } else {
          part->Draw(device, &collectedFrustum_);
        }
      }
    }
  }

  device->SetTextureStageState(1, TextureStageState::MipFilter, gfx::TextureFilter::None);
  device->SetRenderState(RenderState::ZWriteEnable, false);
  SetBlend(device, Blend::One, Blend::One);
  SetStage(device, 0, TextureOp::Modulate, arg::kTexture, arg::kCurrent);
  DrawBucket(device, Lists(visibleParts, MaterialKind::Additive));

  lastBound = nullptr;
  for (MaterialKind kind :
       {MaterialKind::Plain, MaterialKind::SharedReflection, MaterialKind::NormalMapped, MaterialKind::MapReflection}) {
    for (const auto& list : Lists(lists, kind)) {
      bool drawn = false;
      for (const MeshPart* part : list) {
        if (part->image != nullptr &&
            (!part->image->depthWrite || part->image->lightValue != geometry::kSelfLitValue)) {
          break;
        }
        if (!part->enabled) continue;
        BindPart(device, part, lastBound);
        part->DrawWithMaterial(device, &collectedFrustum_);
        drawn = true;
      }
      if (drawn) list.front()->RestoreMaterialStates(device);
    }
  }
  for (const auto& kind : visibleParts) DrawOverlayKind(device, kind, geometry::kAdditiveOverlayPass);

  device->SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::Modulate);
  device->SetRenderState(RenderState::ZWriteEnable, true);
  device->SetRenderState(RenderState::AlphaBlendEnable, false);
  SetBlend(device, Blend::One, Blend::Zero);
  device->SetTextureStageState(1, TextureStageState::MipFilter, mipFilter);
  if (alphaWrite) device->SetRenderState(RenderState::AlphaTestEnable, false);
}

void Scene::DrawProjected(gfx::Device* device, const Matrix4& view, const Matrix4& projectorView) {
  const bool alphaWrite = Setting(static_cast<int>(app::SettingId::ALPHAWRITE)) != 0;
  const uint32_t clampUvs = static_cast<uint32_t>(Setting(static_cast<int>(app::SettingId::CLAMPUVS)));
  const float farClip = SceneFloatSetting(settings, app::FloatSettingId::FARCLIP, kDefaultFarClip);
  const Matrix4 projectorProjection = platform::PerspectiveFovLH(kProjectorFieldOfView, 1.0f, 1.0f, farClip);
  Matrix4 inverseView;
  if (!platform::Inverse(view, &inverseView)) inverseView = platform::IdentityMatrix();
  const Matrix4 textureMatrix = platform::Multiply(
      platform::Multiply(platform::Multiply(inverseView, projectorView), projectorProjection), reflectionTextureMatrix);
  device->SetTransform(gfx::TransformState::Texture0, textureMatrix);
  device->SetTextureStageState(0, TextureStageState::AddressU, clampUvs);
  device->SetTextureStageState(0, TextureStageState::AddressV, clampUvs);
  device->SetTextureStageState(0, TextureStageState::TextureTransformFlags,
                               gfx::texture_transform::kCount3 | gfx::texture_transform::kProjected);
  device->SetTextureStageState(0, TextureStageState::TexCoordIndex, gfx::texcoord_index::kCameraSpacePosition | 1u);

  device->SetTransform(gfx::TransformState::View, view);
  device->SetVertexShader(kSceneFormatPlain);
  currentVertexFormat = kSceneFormatPlain;
  if (alphaWrite) device->SetRenderState(RenderState::AlphaTestEnable, true);
  device->SetRenderState(RenderState::AlphaBlendEnable, true);
  device->SetRenderState(RenderState::ZWriteEnable, false);
  SetStage(device, 0, TextureOp::SelectArg1, arg::kTexture, arg::kCurrent);
  SetBlend(device, Blend::One, Blend::One);

  const ScenePart* lastBound = nullptr;
  for (MaterialKind kind :
       {MaterialKind::Plain, MaterialKind::SharedReflection, MaterialKind::NormalMapped, MaterialKind::MapReflection}) {
    for (const auto& list : Lists(visibleParts, kind)) {
      for (const MeshPart* part : list) {
        if (!part->enabled) continue;
        BindPart(device, part, lastBound);
        part->Draw(device, &collectedFrustum_);
      }
    }
  }

  device->SetRenderState(RenderState::ZWriteEnable, true);
  device->SetRenderState(RenderState::AlphaBlendEnable, false);
  SetBlend(device, Blend::One, Blend::Zero);
  device->SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::Modulate);
  device->SetTextureStageState(0, TextureStageState::TexCoordIndex, 0u);
  device->SetTextureStageState(0, TextureStageState::TextureTransformFlags, gfx::texture_transform::kDisable);
  device->SetTextureStageState(0, TextureStageState::AddressU, gfx::TextureAddress::Wrap);
  device->SetTextureStageState(0, TextureStageState::AddressV, gfx::TextureAddress::Wrap);
  if (alphaWrite) device->SetRenderState(RenderState::AlphaTestEnable, false);
}

void SceneForwardDraw(Scene& scene, gfx::Device* device, const Matrix4& view, const Matrix4* reflectionMatrix,
                      gfx::BaseTexture* reflectionTexture, const std::function<void()>& behind) {
  scene.DrawVisible(device, view, reflectionMatrix, reflectionTexture, behind);
}

void SceneForward(Scene& scene, gfx::Device* device, const Matrix4& view) {
  scene.DrawSecondPass(device, view, scene.visibleParts);
}

}  // namespace render
