// Putting a car's appearance on its simulation: body, chassis, presentation, parts, paint and cube map.
#include "vehicle/vehicle_assembly.h"

#include <cctype>
#include <cstdlib>

#include "geometry/models/mesh_model.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"

namespace vehicle {

namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Repaints every material of the model whose name matches; returns how many.
int Repaint(geometry::MeshModel* model, const std::string& materialName, render::ImageResource* image) {
  if (model == nullptr || image == nullptr) return 0;
  int painted = 0;
  for (size_t slot = 0; slot < model->materialNames.size(); ++slot) {
    if (Upper(model->GetNameAt(slot)) != materialName) continue;
    model->SetPartMaterial(static_cast<int32_t>(slot), image);
    ++painted;
  }
  return painted;
}

}  // namespace

std::vector<LodRecord> ReadLodRecords(const app::DataFile& definition) {
  std::vector<LodRecord> records;
  for (int n = 0; const app::DataRecord* record = definition.NthRecord("LOD", n); ++n) {
    if (record->values.empty() || record->values[0].empty()) continue;
    LodRecord lod;
    lod.file = record->values[0];
    if (record->values.size() > 1) lod.distance = static_cast<float>(std::strtod(record->values[1].c_str(), nullptr));
    lod.drawWheels = record->values.size() > 2 && Upper(record->values[2]) == "YES";
    records.push_back(lod);
  }
  return records;
}

VehiclePresentation* AssembleAppearance(Vehicle& car, const app::DataFile& definition, render::ResourceManager* resources,
                                        PresentationServices services, render::GlowTrailSystem* glows,
                                        const AppearanceOptions& options) {
  platform::gfx::Device* device = services.device;
  auto body = std::make_unique<VehicleBody>(device, resources);
  if (car.vehicleModelFile.empty() || !body->LoadBodyModel(car.folder, car.vehicleModelFile, car.upgrades.get())) {
    return nullptr;
  }
  for (const LodRecord& lod : ReadLodRecords(definition)) body->AddLod(car.folder, lod.file, lod.distance, lod.drawWheels);
  car.AssembleChassis(body->Layout());
  car.collisionModel = body->collisionModel != nullptr && !body->collisionModel->Empty() ? body->collisionModel : nullptr;

  auto presentation = std::make_unique<VehiclePresentation>(car, std::move(services));
  VehiclePresentation& view = *presentation;
  view.LoadSounds();
  view.BuildShadow();
  view.LoadLights(glows, body->parts);
  view.body = std::move(body);
  view.renderer = std::make_unique<VehicleRenderer>(car, *view.body, &view);
  if (!view.body->driverFile.empty()) {
    view.driverAnimation = std::make_unique<SharedAnimatedModel>(device, resources, view.body->driverFile);
    view.driverModel = std::make_unique<PartModel>(view.driverAnimation.get(), view.body->driverPosition);
  }
  LoadVisualParts(view, car, resources, device);
  ApplyMaterialUpgrades(view, car, resources, device);
  if (resources != nullptr && !car.shadowModelFile.empty()) {
    view.shadowModel = geometry::LoadModel(*resources, device, car.folder + car.shadowModelFile, "", false, false);
    view.shadowModelOwner = resources;
    if (view.shadowModel != nullptr) view.shadowModel->EnableShadow(device);
  }
  BuildDamageModel(view, car, resources, device);
  if (resources != nullptr) LoadCarPictures(view, car, resources, device);
  if (resources != nullptr && view.body->WantsCubeMap(options.cubeMapping)) {
    view.cubeMap = options.dynamicReflections ? resources->CreateCubeRenderTarget(device, kCarCubeSize, 3)
                                              : resources->LoadCubeMap(device, kEnvironmentCubeFile);
    view.cubeMapOwner = resources;
  }
  car.features = std::move(presentation);
  return &view;
}

void BuildDamageModel(VehiclePresentation& presentation, Vehicle& car, render::ResourceManager* resources,
                      platform::gfx::Device* device) {
  if (resources == nullptr || car.damageModelFile.empty() || presentation.body == nullptr ||
      presentation.body->lods.empty() || presentation.body->lods[0].model == nullptr) {
    return;
  }
  geometry::MeshModel* body = presentation.body->lods[0].model;
  geometry::MeshModel* damaged = geometry::LoadModel(*resources, device, car.folder + car.damageModelFile, "", false, true);
  presentation.damageOwner = resources;
  presentation.damagedModel = damaged;
  if (damaged == nullptr || damaged->Empty() || body->Empty()) return;
  body->MakeDeformable();
  for (size_t slot = 0; slot < body->materialNames.size(); ++slot) {
    presentation.bodyMaterials.push_back(resources->AddImageReference(body->GetMaterialImage(static_cast<int32_t>(slot))));
  }
  DamageMeshes meshes;
  meshes.bodyPartNames = body->materialNames;
  meshes.damagedPartNames = damaged->materialNames;
  meshes.bodySize = body->boundsMax - body->boundsMin;
  meshes.deform = [body, damaged](Vec3 point, float radius, float strength) {
    body->DeformTowards(*damaged, point, radius, strength);
  };
  std::vector<render::ImageResource*>* own = &presentation.bodyMaterials;
  meshes.setMaterial = [body, damaged, own](uint32_t bodyPart, uint32_t damagedPart, bool isDamaged) {
    render::ImageResource* image = isDamaged ? damaged->GetMaterialImage(static_cast<int32_t>(damagedPart))
                                             : (bodyPart < own->size() ? (*own)[bodyPart] : nullptr);
    if (image != nullptr) body->SetPartMaterial(static_cast<int32_t>(bodyPart), image);
  };
  car.damage = std::make_unique<DamageModel>(std::move(meshes));
}

void LoadCarPictures(VehiclePresentation& presentation, const Vehicle& car, render::ResourceManager* resources,
                     platform::gfx::Device* device) {
  presentation.imageOwner = resources;
  if (!car.headlightFile.empty()) {
    presentation.headlightTexture =
        resources->LoadImage(device, car.folder + car.headlightFile, false, kPictureColourKey, false, true);
  }
  if (!car.neonFile.empty()) {
    presentation.neonTexture =
        resources->LoadImage(device, car.folder + car.neonFile, false, kPictureColourKey, false, true);
  }
  if (!car.shadowFile.empty()) {
    const std::string alpha = car.shadowAlphaFile.empty() ? std::string() : car.folder + car.shadowAlphaFile;
    presentation.shadowTexture = resources->LoadImagePair(device, car.folder + car.shadowFile, alpha, false, true);
  }
}

void LoadVisualParts(VehiclePresentation& presentation, const Vehicle& car, render::ResourceManager* resources,
                     platform::gfx::Device* device) {
  presentation.visualParts.clear();
  if (car.upgrades == nullptr) return;
  const UpgradeList& upgrades = *car.upgrades;
  const int count = upgrades.CountInstalledProperties(kKeyVisualPart);
  for (int n = 0; n < count; ++n) {
    const UpgradeProperty* property = upgrades.NthInstalledProperty(kKeyVisualPart, n);
    if (property == nullptr || property->values.empty()) continue;
    Vec3 attach;
    if (property->values.size() >= 2 && presentation.body != nullptr) {
      presentation.body->FindPart(property->values[1], attach);
    }
    auto part = std::make_unique<VisualPartModel>(device, resources, car.folder + property->values[0], attach);
    if (const KeyedRecord* owner = upgrades.FindById(property->upgradeId)) {
      const UpgradeProperty* distance = owner->FindProperty(kKeyViewableDistance);
      if (distance != nullptr && !distance->values.empty()) {
        part->viewDistance = static_cast<float>(std::strtod(distance->values[0].c_str(), nullptr));
      }
    }
    presentation.visualParts.push_back(std::move(part));
  }
}

int ApplyMaterialUpgrades(VehiclePresentation& presentation, const Vehicle& car, render::ResourceManager* resources,
                          platform::gfx::Device* device) {
  if (car.upgrades == nullptr || resources == nullptr || presentation.body == nullptr) return 0;
  const UpgradeList& upgrades = *car.upgrades;
  int painted = 0;
  // The badges the body came with: each MATERIAL property swaps them for the second logo again, whatever an
  // earlier property put there.
  std::vector<std::vector<int32_t>> logoSlots(presentation.body->lods.size());
  for (size_t level = 0; level < presentation.body->lods.size(); ++level) {
    const geometry::MeshModel* model = presentation.body->lods[level].model;
    if (model == nullptr) continue;
    for (size_t slot = 0; slot < model->materialNames.size(); ++slot) {
      if (Upper(model->GetNameAt(slot)) != kLogoMaterial) continue;
      const render::ImageResource* current = model->GetMaterialImage(static_cast<int32_t>(slot));
      if (current == nullptr || Upper(current->colourName).find(kLogoPicture) == std::string::npos) continue;
      logoSlots[level].push_back(static_cast<int32_t>(slot));
    }
  }
  const int carriers = upgrades.CountInstalledWithProperty(kKeyMaterial);
  for (int n = 0; n < carriers; ++n) {
    const KeyedRecord* upgrade = upgrades.NthInstalledWithProperty(kKeyMaterial, n);
    if (upgrade == nullptr) continue;
    for (const UpgradeProperty& property : upgrade->properties) {
      if (property.key != kKeyMaterial || property.values.size() < 2) continue;
      const std::string material = Upper(property.values[0]);
      const std::string alpha = property.values.size() > 2 && !property.values[2].empty()
                                    ? car.folder + property.values[2] : std::string();
      render::ImageResource* paint =
          resources->CreateImage(device, car.folder + property.values[1], alpha, "", "", "", true, true);
      if (property.values.size() > 3 && std::atoi(property.values[3].c_str()) == 1) paint->SetReflective(true);
      for (size_t level = 0; level < presentation.body->lods.size(); ++level) {
        geometry::MeshModel* model = presentation.body->lods[level].model;
        painted += Repaint(model, material, paint);
        if (model == nullptr) continue;
        for (const int32_t slot : logoSlots[level]) {
          render::ImageResource* logo =
              resources->LoadImage(device, car.folder + kSecondLogoFile, false, 0, true, true);
          model->SetPartMaterial(slot, logo);
          resources->ReleaseImage(logo);
          ++painted;
        }
      }
      for (auto& part : presentation.visualParts) painted += Repaint(part->model, material, paint);
      // The materials hold their own references now.
      resources->ReleaseImage(paint);
    }
  }
  return painted;
}

}  // namespace vehicle
