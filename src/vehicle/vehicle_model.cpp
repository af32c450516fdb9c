// A car's body models: the body and its parts, levels of detail, tyre and hull models, ground tint.
#include "vehicle/vehicle_model.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>

#include "geometry/models/mesh_model.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"

namespace vehicle {

const std::array<const char*, 4> kTyrePartNames = {"FRONT_LEFT_TIRE", "FRONT_RIGHT_TIRE", "REAR_LEFT_TIRE",
                                                   "REAR_RIGHT_TIRE"};

namespace {

constexpr std::array<uint32_t, 4> kTyreUpgradeKeys = {kKeyFrontLeftTire, kKeyFrontRightTire, kKeyRearLeftTire,
                                                      kKeyRearRightTire};

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

VehicleBody::VehicleBody(platform::gfx::Device* device, render::ResourceManager* resources)
    : device_(device), resources_(resources) {}

VehicleBody::~VehicleBody() { Release(); }

void VehicleBody::Release() {
  if (resources_ != nullptr) {
    for (LodLevel& level : lods) {
      if (level.model != nullptr) geometry::ReleaseModel(*resources_, level.model);
    }
    for (geometry::MeshModel*& tyre : tyreModels) {
      if (tyre != nullptr) geometry::ReleaseModel(*resources_, tyre);
    }
    if (collisionModel != nullptr) geometry::ReleaseModel(*resources_, collisionModel);
  }
  lods.clear();
  tyreModels.fill(nullptr);
  collisionModel = nullptr;
  parts.clear();
}

geometry::MeshModel* VehicleBody::LoadUnique(const std::string& path) {
  if (resources_ == nullptr) return nullptr;
  platform::gfx::Device* device = device_;
  render::ResourceManager* manager = resources_;
  return resources_->LoadShared<geometry::MeshModel>(
      render::ResourceKind::kMeshModel, path, true, [device, manager](const std::string& normalised) {
        auto model = std::make_shared<geometry::MeshModel>(manager, manager->GetSettings());
        model->Load(device, normalised, "", false, true);
        return model;
      });
}

bool VehicleBody::LoadBodyModel(const std::string& folder, const std::string& file, const UpgradeList* upgrades) {
  Release();
  geometry::MeshModel* body = LoadUnique(folder + file);
  if (body == nullptr) return false;
  lods.push_back({body, 0.0f, true});
  layout.bodyMin = body->boundsMin;
  layout.bodyMax = body->boundsMax;

  for (const auto& marker : body->markers) {
    parts.push_back({marker->name, marker->leadingString, marker->position});
  }
  const bool complete = LoadParts(folder, upgrades) && !body->Empty();
  if (!complete) {
    std::printf("%s%s: a car body needs geometry, four tyre parts and a COLLISION part\n", folder.c_str(),
                file.c_str());
  }
  return complete;
}

bool VehicleBody::LoadParts(const std::string& folder, const UpgradeList* upgrades) {
  bool tyreFound[4] = {};
  bool hullFound = false;
  for (const BodyPart& part : parts) {
    const std::string name = Upper(part.name);
    // A part named twice is built twice: the later one replaces the earlier.
    for (int i = 0; i < 4; ++i) {
      if (name != kTyrePartNames[i]) continue;
      tyreFound[i] = true;
      std::string tyreFile = part.file;
      if (upgrades != nullptr) {
        const UpgradeProperty* swap = upgrades->InstalledProperty(kTyreUpgradeKeys[i]);
        if (swap != nullptr && !swap->values.empty()) tyreFile = swap->values[0];
      }
      layout.tyrePositions[i] = part.position;
      if (tyreModels[i] != nullptr) geometry::ReleaseModel(*resources_, tyreModels[i]);
      tyreModels[i] = geometry::LoadModel(*resources_, device_, folder + tyreFile, "", false, true);
      // The tyre's size from its model: radius the largest height, width the x extent; a tyre whose model
      // does not load has no size.
      const bool loaded = tyreModels[i] != nullptr && !tyreModels[i]->Empty();
      layout.tyreRadius[i] = loaded ? tyreModels[i]->boundsMax.y : 0.0f;
      layout.tyreWidth[i] = loaded ? tyreModels[i]->boundsMax.x - tyreModels[i]->boundsMin.x : 0.0f;
    }
    if (name == kCollisionPartName) {
      hullFound = true;
      if (collisionModel != nullptr) geometry::ReleaseModel(*resources_, collisionModel);
      collisionModel = geometry::LoadModel(*resources_, device_, folder + part.file, "", false, false);
      if (collisionModel != nullptr && !collisionModel->Empty()) {
        layout.collisionMin = collisionModel->boundsMin;
        layout.collisionMax = collisionModel->boundsMax;
      }
    }
    if (name == kDriverPartName && driverFile.empty()) {
      driverFile = folder + part.file;
      driverPosition = part.position;
    }
  }
  return hullFound && std::all_of(std::begin(tyreFound), std::end(tyreFound), [](bool found) { return found; });
}

void VehicleBody::AddLod(const std::string& folder, const std::string& file, float distance, bool drawWheels) {
  geometry::MeshModel* model = LoadUnique(folder + file);
  if (model != nullptr) lods.push_back({model, distance, drawWheels});
}

bool VehicleBody::FindPart(const std::string& name, Vec3& position) const {
  const std::string wanted = Upper(name);
  for (const BodyPart& part : parts) {
    if (Upper(part.name) == wanted) {
      position = part.position;
      return true;
    }
  }
  return false;
}

bool VehicleBody::WantsCubeMap(bool cubeMappingSetting) const {
  return cubeMappingSetting && !lods.empty() && lods[0].model != nullptr && lods[0].model->UsesEnvironmentMap();
}

void TintModel(const geometry::MeshModel& model, float r, float g, float b) {
  for (uint32_t slot = 0; slot < model.materialCount; ++slot) {
    render::ImageResource* image = model.GetMaterialImage(static_cast<int32_t>(slot));
    if (image == nullptr) continue;
    image->material.diffuse.r = r;
    image->material.diffuse.g = g;
    image->material.diffuse.b = b;
  }
}

void VehicleBody::ApplyGroundTint(size_t level, const float tint[3]) const {
  if (level >= lods.size() || lods[level].model == nullptr) return;
  TintModel(*lods[level].model, tint[0], tint[1], tint[2]);
}

void VehicleBody::ApplyTyreColour(int wheel, const Vec3& colour) const {
  if (wheel < 0 || wheel >= 4 || tyreModels[wheel] == nullptr) return;
  TintModel(*tyreModels[wheel], colour.x, colour.y, colour.z);
}

}  // namespace vehicle
