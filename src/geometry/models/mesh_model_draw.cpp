// Drawing a MeshModel by material kind: the kind lists in a fixed order, each with its own stage and blend
// set-up, material runs inside a list, overlay passes, and the self-lit second pass.
#include "geometry/models/material_states.h"
#include "geometry/models/mesh_model.h"
#include "render/resources/image_resource.h"

namespace geometry {

namespace {
using platform::gfx::Blend;
using platform::gfx::CompareFunc;
using platform::gfx::RenderState;
using platform::gfx::TextureFilter;
using platform::gfx::TextureOp;
using platform::gfx::TextureStageState;
namespace arg = platform::gfx::texture_arg;

const std::vector<MeshBatch*>& List(const std::array<std::vector<MeshBatch*>, kMaterialKindCount>& lists,
                                    MaterialKind kind) {
  return lists[static_cast<size_t>(KindIndex(kind))];
}
}  // namespace

bool MeshModel::InGroup(const MeshBatch* batch, int32_t group) const {
  if (group == -1) return true;
  const size_t slot = static_cast<size_t>(batch->materialId);
  return batch->materialId >= 0 && slot < materialGroups.size() && materialGroups[slot] == group;
}

void MeshModel::BindBuffers(platform::gfx::Device* device, const platform::Matrix4& matrix) const {
  device->SetTransform(platform::gfx::TransformState::View, matrix);
  device->SetVertexShader(kMeshVertexFormat);
  device->SetStreamSource(0, meshData->VertexBuffer(), kMeshVertexStride);
  device->SetIndices(meshData->IndexBuffer(), 0);
}

void MeshModel::Draw(platform::gfx::Device* device, const platform::Matrix4& matrix, const platform::Vec3& light) {
  DrawByKind(device, matrix, nullptr, -1, light);
}

void MeshModel::DrawWithEnvironment(platform::gfx::Device* device, const platform::Matrix4& matrix,
                                    platform::gfx::BaseTexture* environment, const platform::Vec3& light) {
  DrawByKind(device, matrix, environment, -1, light);
}

void MeshModel::DrawBatches(platform::gfx::Device* device, const std::vector<MeshBatch*>& list, int32_t group) {
  const MeshBatch* previous = nullptr;
  for (const MeshBatch* batch : list) {
    if (!batch->enabled || !InGroup(batch, group)) continue;
    if (previous == nullptr) {
      batch->Render(device);
    } else if (batch->image == previous->image) {
      batch->Draw(device);
    } else {
      previous->EndMaterial(device);
      batch->Render(device);
    }
    previous = batch;
  }
  if (previous != nullptr) previous->EndMaterial(device);
}

void MeshModel::DrawOverlays(platform::gfx::Device* device, const std::vector<MeshBatch*>& list, int32_t group,
                             int32_t pass) {
  for (const MeshBatch* batch : list) {
    if (!batch->enabled || !InGroup(batch, group) || !ShowsOverlay(batch->image, pass)) continue;
    const bool scrolled = BeginOverlay(device, batch->image);
    batch->Draw(device);
    EndOverlay(device, scrolled);
  }
}

void MeshModel::DrawReflectionKind(platform::gfx::Device* device, MaterialKind kind,
                                   platform::gfx::BaseTexture* environment, int32_t group) {
  const std::vector<MeshBatch*>& list = List(kindLists, kind);
  if (list.empty()) return;
  BeginReflectionKind(device, settings, kind, environment);
  DrawBatches(device, list, group);
  EndReflectionKind(device, settings, kind, environment);
}

void MeshModel::DrawByKind(platform::gfx::Device* device, const platform::Matrix4& matrix,
                           platform::gfx::BaseTexture* environment, int32_t group, const platform::Vec3& light) {
  if (!meshData || meshData->VertexBuffer() == nullptr || meshData->IndexBuffer() == nullptr) return;
  BindBuffers(device, matrix);

  DrawBatches(device, List(kindLists, MaterialKind::Plain), group);

  const std::vector<MeshBatch*>& normalMapped = List(kindLists, MaterialKind::NormalMapped);
  if (!normalMapped.empty()) {
    BeginNormalMappedKind(device, settings, light);
    DrawBatches(device, normalMapped, group);
    EndNormalMappedKind(device, settings);
  }
  DrawReflectionKind(device, MaterialKind::CubeReflection, environment, group);
  DrawReflectionKind(device, MaterialKind::SharedReflection, environment, group);
  DrawReflectionKind(device, MaterialKind::MapReflection, environment, group);

  if (!List(kindLists, MaterialKind::AlphaFirst).empty() || !List(kindLists, MaterialKind::Alpha).empty() ||
      !List(kindLists, MaterialKind::AlphaLast).empty()) {
    BeginTransparentSection(device, settings);
    DrawBatches(device, List(kindLists, MaterialKind::AlphaFirst), group);
    DrawBatches(device, List(kindLists, MaterialKind::Alpha), group);
    LateTransparentSection(device, settings);
    DrawBatches(device, List(kindLists, MaterialKind::AlphaLast), group);
    EndTransparentSection(device);
  }

  BeginMultiplySection(device);
  DrawBatches(device, List(kindLists, MaterialKind::Multiply), group);
  for (const auto& list : kindLists) DrawOverlays(device, list, group, kMultiplyOverlayPass);

  BeginAdditiveSection(device);
  DrawBatches(device, List(kindLists, MaterialKind::Additive), group);

  DrawReflectionKind(device, MaterialKind::CubeReflectionBlended, environment, group);
  DrawReflectionKind(device, MaterialKind::SharedReflectionBlended, environment, group);
  DrawReflectionKind(device, MaterialKind::MapReflectionBlended, environment, group);

  for (const auto& list : kindLists) DrawOverlays(device, list, group, kAdditiveOverlayPass);
  RestoreAfterKinds(device, settings);
}

void MeshModel::DrawPass(platform::gfx::Device* device, const platform::Matrix4& matrix) {
  if (!meshData || meshData->VertexBuffer() == nullptr || meshData->IndexBuffer() == nullptr) return;
  BindBuffers(device, matrix);
  const bool alphaWrite = SettingValue(settings, app::SettingId::ALPHAWRITE) != 0;

  // Depth only: the colour buffer is kept (ZERO / ONE) while depth is written.
  device->SetRenderState(RenderState::AlphaBlendEnable, true);
  if (alphaWrite) device->SetRenderState(RenderState::AlphaTestEnable, true);
  device->SetTextureStageState(0, TextureStageState::ColorArg1, arg::kDiffuse);
  device->SetTextureStageState(0, TextureStageState::ColorArg2, arg::kCurrent);
  device->SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::SelectArg1);
  device->SetRenderState(RenderState::SrcBlend, Blend::Zero);
  device->SetRenderState(RenderState::DestBlend, Blend::One);
  for (MaterialKind kind : {MaterialKind::Plain, MaterialKind::Alpha, MaterialKind::SharedReflection,
                            MaterialKind::CubeReflection, MaterialKind::NormalMapped, MaterialKind::MapReflection}) {
    for (const MeshBatch* batch : List(kindLists, kind)) {
      if (batch->image != nullptr && !batch->image->depthWrite) break;
      if (kind == MaterialKind::Alpha) {
        if (alphaWrite) {
          device->SetRenderState(RenderState::AlphaTestEnable, true);
          device->SetRenderState(RenderState::AlphaRef, 50u);
          device->SetRenderState(RenderState::AlphaFunc, CompareFunc::Greater);
        }
        device->SetTextureStageState(0, TextureStageState::AlphaArg1, arg::kTexture);
        if (batch->enabled) {
          batch->Render(device);
          batch->EndMaterial(device);
        }
        if (alphaWrite) device->SetRenderState(RenderState::AlphaRef, 1u);
        device->SetTextureStageState(0, TextureStageState::AlphaArg1, arg::kDiffuse);
      } else if (batch->enabled) {
        batch->Draw(device);
      }
    }
  }

  // The self-lit parts, added over what the first pass drew.
  device->SetTextureStageState(1, TextureStageState::MipFilter, TextureFilter::None);
  device->SetRenderState(RenderState::ZWriteEnable, false);
  device->SetRenderState(RenderState::SrcBlend, Blend::One);
  device->SetRenderState(RenderState::DestBlend, Blend::One);
  device->SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::Modulate);
  device->SetTextureStageState(0, TextureStageState::ColorArg1, arg::kTexture);
  device->SetTextureStageState(0, TextureStageState::ColorArg2, arg::kCurrent);
  DrawBatches(device, List(kindLists, MaterialKind::Additive), -1);
  for (MaterialKind kind : {MaterialKind::Plain, MaterialKind::SharedReflection, MaterialKind::CubeReflection,
                            MaterialKind::NormalMapped, MaterialKind::MapReflection}) {
    for (const MeshBatch* batch : List(kindLists, kind)) {
      if (batch->image != nullptr && (batch->image->lightValue != kSelfLitValue || !batch->image->depthWrite)) break;
      if (batch->enabled) batch->Render(device);
      batch->EndMaterial(device);
    }
  }
  for (const auto& list : kindLists) DrawOverlays(device, list, -1, kAdditiveOverlayPass);

  device->SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::Modulate);
  device->SetRenderState(RenderState::ZWriteEnable, true);
  device->SetRenderState(RenderState::AlphaBlendEnable, false);
  device->SetRenderState(RenderState::SrcBlend, Blend::One);
  device->SetRenderState(RenderState::DestBlend, Blend::Zero);
  device->SetTextureStageState(1, TextureStageState::MipFilter,
                               static_cast<uint32_t>(SettingValue(settings, app::SettingId::MIPFILTER)));
  if (alphaWrite) device->SetRenderState(RenderState::AlphaTestEnable, false);
}

}  // namespace geometry
