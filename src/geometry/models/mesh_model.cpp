// MeshModel: life cycle, material access, casts, damage morph and shadows; loading and drawing live beside it.
#include "geometry/models/mesh_model.h"

#include "app/box_tests.h"
#include "render/resources/resource_manager.h"

namespace geometry {

MeshModel::MeshModel(render::ResourceManager* manager, const app::Settings* settingsIn)
    : resourceManager(manager), settings(settingsIn) {}

MeshModel::~MeshModel() { Clear(); }

void MeshModel::Clear() {
  if (meshData) meshData->ReleaseShadow();
  geometry.reset();
  meshData.reset();
  nodes.clear();
  paths.clear();
  markers.clear();
  for (auto& list : kindLists) list.clear();
  materialNames.clear();
  materialGroups.clear();
  boundsMin = boundsMax = {};
  materialCount = triangleCount = groupCount = 0;
  shadowEnabled = false;
}

render::ImageResource* MeshModel::GetMaterialImage(int32_t slot) const {
  if (!meshData) return nullptr;
  for (const auto& batch : meshData->Batches()) {
    if (batch->materialId == slot) return batch->image;
  }
  return nullptr;
}

void MeshModel::SetPartMaterial(int32_t slot, render::ImageResource* image) {
  if (!meshData) return;
  for (const auto& batch : meshData->Batches()) {
    if (batch->materialId == slot && batch->image != image) batch->SetImage(image);
  }
}

bool MeshModel::UsesEnvironmentMap() const {
  return !kindLists[KindIndex(MaterialKind::SharedReflection)].empty() ||
         !kindLists[KindIndex(MaterialKind::SharedReflectionBlended)].empty();
}

bool MeshModel::Raycast(const platform::Vec3& start, const platform::Vec3& end, platform::Vec3& hitPoint,
                        platform::Vec3& normal) const {
  if (!geometry) return false;
  app::Aabb box{start, start};
  box.AddPoint(end);
  float best = kNoHitDistance;
  return geometry->SegmentHitSimple(start, end, box.min, box.max, hitPoint, normal, best);
}

bool MeshModel::SweptSphereHit(const platform::Vec3& start, const platform::Vec3& end, float radius,
                               platform::Vec3& centre, platform::Vec3& contact, platform::Vec3& normal) const {
  if (!geometry) return false;
  app::Aabb box{start, start};
  box.AddPoint(end);
  const platform::Vec3 grow{radius, radius, radius};
  float best = kNoHitDistance;
  return geometry->SphereHitSimple(start, end, box.min - grow, box.max + grow, radius, centre, contact, normal, best);
}

void MeshModel::MakeDeformable() {
  if (meshData) meshData->MakeDeformable();
}

void MeshModel::DeformTowards(const MeshModel& other, const platform::Vec3& point, float radius, float amount) {
  if (meshData && other.meshData) meshData->DeformTowards(*other.meshData, point, radius, amount);
}

void MeshModel::EnableShadow(platform::gfx::Device* device) {
  shadowEnabled = true;
  if (meshData) meshData->EnableShadow(device);
}

void MeshModel::DrawShadow(platform::gfx::Device* device, const platform::Matrix4& matrix,
                           const platform::Vec3& light) {
  if (meshData && geometry) meshData->DrawShadow(device, *geometry, matrix, light);
}

void MeshModel::ReleaseShadow() {
  if (meshData) meshData->ReleaseShadow();
}

void MeshModel::RestoreShadow(platform::gfx::Device* device) {
  if (meshData) meshData->RestoreShadow(device);
}

MeshModel* LoadMeshModel(render::ResourceManager& manager, platform::gfx::Device* device, const std::string& path,
                         const std::string& textureFolder, bool ignoreOrigins, bool withMaterials, bool unique) {
  return manager.LoadShared<MeshModel>(
      render::ResourceKind::kMeshModel, path, unique, [&](const std::string& normalised) {
        auto model = std::make_shared<MeshModel>(&manager, manager.GetSettings());
        model->Load(device, normalised, textureFolder, ignoreOrigins, withMaterials);
        return model;
      });
}

void ReleaseMeshModel(render::ResourceManager& manager, const MeshModel* model) {
  manager.ReleaseShared(render::ResourceKind::kMeshModel, model);
}

}  // namespace geometry
