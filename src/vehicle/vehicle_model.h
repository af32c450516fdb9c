// A car's body as its models describe it: the full-detail body (the car's own copy, to dent and paint) with its
// named parts (tyres, hull, driver, lights, exhausts), the levels of detail, the tyre and hull models, and the
// ground tint written into the body's materials.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/gfx/graphics.h"
#include "vehicle/vehicle.h"
#include "vehicle/vehicle_lights.h"

namespace geometry {
class MeshModel;
}
namespace render {
class ResourceManager;
}

namespace vehicle {

// Part names the body loader recognises (upper-cased whole names).
extern const std::array<const char*, 4> kTyrePartNames;  // front left, front right, rear left, rear right
constexpr char kCollisionPartName[] = "COLLISION";
constexpr char kDriverPartName[] = "DRIVER";

// Writes the colour into the diffuse colour of every material of the model (the ground's light on a car).
void TintModel(const geometry::MeshModel& model, float r, float g, float b);

struct LodLevel {
  geometry::MeshModel* model = nullptr;
  float distance = 0;  // switch depth
  bool drawWheels = true;
};

class VehicleBody {
 public:
  VehicleBody(platform::gfx::Device* device, render::ResourceManager* resources);
  // Gives every model back.
  ~VehicleBody();
  VehicleBody(const VehicleBody&) = delete;
  VehicleBody& operator=(const VehicleBody&) = delete;

  // Loads folder + file as level 0 (unique copy) and reads its parts: tyre models (an installed tyre upgrade's
  // first value replaces the part's file), the hull, the driver. False, with nothing usable, when the body has
  // no geometry, lacks one of the four tyres or the hull.
  bool LoadBodyModel(const std::string& folder, const std::string& file, const UpgradeList* upgrades);
  // The models the body's part list names, in list order: each tyre (an installed tyre upgrade's first value
  // replaces the part's file; a repeated part's later entry replaces the earlier), the hull, and the first
  // driver, all from folder. False when a tyre or the hull is missing.
  bool LoadParts(const std::string& folder, const UpgradeList* upgrades);
  // One more level of detail (a unique copy of folder + file).
  void AddLod(const std::string& folder, const std::string& file, float distance, bool drawWheels);
  // The layout the simulation assembles the car from: tyre positions and sizes, hull and body boxes.
  ChassisLayout Layout() const { return layout; }
  // Position of the part whose upper-cased name equals the upper-cased name; false when none does.
  bool FindPart(const std::string& name, Vec3& position) const;
  // The body wants an environment cube (and the setting allows one).
  bool WantsCubeMap(bool cubeMappingSetting) const;
  // Writes the tint into the diffuse colour of every material of the level's model.
  void ApplyGroundTint(size_t level, const float tint[3]) const;
  // Writes a wheel's ground colour into its tyre model's materials (just before that wheel is drawn).
  void ApplyTyreColour(int wheel, const Vec3& colour) const;
  void Release();

  std::vector<BodyPart> parts;
  std::vector<LodLevel> lods;
  std::array<geometry::MeshModel*, 4> tyreModels{};
  geometry::MeshModel* collisionModel = nullptr;
  std::string driverFile;  // folder + file of the DRIVER part, empty without one
  Vec3 driverPosition;
  ChassisLayout layout;

 private:
  geometry::MeshModel* LoadUnique(const std::string& path);

  platform::gfx::Device* device_;
  render::ResourceManager* resources_;
};

}  // namespace vehicle
