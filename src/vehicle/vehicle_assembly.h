// Putting a car's appearance on its simulation: the body model and its levels of detail, the chassis laid out
// from the body's parts, the presentation side (sounds, shadow, lights, exhausts), the upgrade parts, the
// material and logo upgrades, and the environment cube.
#pragma once

#include <string>
#include <vector>

#include "app/data_file.h"
#include "vehicle/vehicle_presentation.h"

namespace vehicle {

// One LOD record of a definition: model file, switch depth, whether the wheels are drawn with it.
struct LodRecord {
  std::string file;
  float distance = 0;
  bool drawWheels = false;
};
// The LOD records in file order; a record without a file is skipped, a missing depth reads 0, a missing
// wheel flag reads NO.
std::vector<LodRecord> ReadLodRecords(const app::DataFile& definition);

// The settings that shape the appearance.
struct AppearanceOptions {
  bool cubeMapping = false;          // CUBEMAPPING
  bool dynamicReflections = false;   // DYNAMICREFLECTIONS
};

constexpr char kEnvironmentCubeFile[] = "CUBEMAPS\\envmap.dds";
constexpr uint32_t kCarCubeSize = 128;
constexpr char kLogoMaterial[] = "LOGO1";
constexpr char kLogoPicture[] = "LOGO1.PNG";
constexpr char kSecondLogoFile[] = "logo2.png";

// Loads the body named by the car's VEHICLE_MODEL with the definition's LOD records, assembles the chassis,
// and hangs a VehiclePresentation (owning the body and the renderer) on the car. Returns the presentation, or
// null (the car untouched) when the body cannot be used.
VehiclePresentation* AssembleAppearance(Vehicle& car, const app::DataFile& definition, render::ResourceManager* resources,
                                        PresentationServices services, render::GlowTrailSystem* glows,
                                        const AppearanceOptions& options);

// The key colour passed with the car's single pictures (opaque magenta), which load without colour keying.
constexpr uint32_t kPictureColourKey = 0xFFFF00FF;
// The HEADLIGHT and NEON pictures and the SHADOW pair named by the definition, each from the car's folder.
void LoadCarPictures(VehiclePresentation& presentation, const Vehicle& car, render::ResourceManager* resources,
                     platform::gfx::Device* device);

// Upgrade parts from the installed VISUAL_PART properties (model file, body part to sit on), each with the
// VIEWABLE_DISTANCE of its upgrade.
void LoadVisualParts(VehiclePresentation& presentation, const Vehicle& car, render::ResourceManager* resources,
                     platform::gfx::Device* device);

// Every installed MATERIAL property (material name, colour picture, alpha picture, reflective flag) repaints
// the body's and the upgrade parts' materials of that name; on the body, a LOGO1 material showing LOGO1.PNG
// takes logo2.png. Returns the number of materials repainted.
int ApplyMaterialUpgrades(VehiclePresentation& presentation, const Vehicle& car, render::ResourceManager* resources,
                          platform::gfx::Device* device);

// The damage model of a car whose definition names DAMAGE_MODEL: the crumpled body loaded (shared), the car's
// own body made deformable, and zone parts matched by material name in both. Built after the paint, so a
// repaired zone takes back the car's paint. Nothing without a body or a damaged body that loads.
void BuildDamageModel(VehiclePresentation& presentation, Vehicle& car, render::ResourceManager* resources,
                      platform::gfx::Device* device);

}  // namespace vehicle
