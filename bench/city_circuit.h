// The sample city circuit and its cars for the driving benchmarks: collision loaded once, cars placed on the centre line.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "contentgen/car_models.h"
#include "contentgen/test_world.h"
#include "contentgen/vehicle_content.h"
#include "geometry/collision_tree.h"
#include "geometry/models/mesh_model.h"
#include "null_device.h"
#include "platform/math/math.h"
#include "render/resources/resource_manager.h"
#include "vehicle/vehicle.h"

namespace bench {

// The circuit's collision tree and a temporary folder holding every sample car, built on first use, with the
// cars' hull models (the shapes cars meet each other by).
struct City {
  City() {
    const auto bytes = contentgen::EncodeCollisionFile(contentgen::BuildTestWorld());
    tree.LoadFromMemory(bytes.data(), bytes.size(), "city.COL", true);
    folder = (std::filesystem::temp_directory_path() / "corsaire_bench_city").string() + "/";
    for (const auto& car : contentgen::SampleCars()) contentgen::WriteSampleCar(folder, car);
  }
  // The hull of a sample car, loaded once and shared by every car of that model.
  geometry::MeshModel* Hull(const contentgen::SampleCar& sample) {
    return geometry::LoadModel(resources, devices.device,
                               folder + contentgen::CarFolder(sample) + contentgen::kCarCollisionModel, "", false, false);
  }
  geometry::CollisionTree tree;
  std::string folder;
  NullDevice devices;
  render::ResourceManager resources{nullptr, ""};
};

inline City& TheCity() {
  static City city;
  return city;
}

// A sample car loaded from the city's folder, standing 30 units above the centre line at `distance` along the
// circuit and facing along it, reset against `world`.
inline std::unique_ptr<vehicle::Vehicle> CarOnCentreLine(vehicle::VehicleWorld& world,
                                                         const contentgen::SampleCar& sample, float distance) {
  auto car = std::make_unique<vehicle::Vehicle>(nullptr, nullptr, "Bench", false);
  car->LoadDefinition(TheCity().folder + contentgen::CarFolder(sample) + contentgen::kCarDefinitionFile, nullptr,
                      nullptr, 0, true);
  vehicle::ChassisLayout layout;
  const auto tyres = contentgen::TyrePositions(sample);
  for (int i = 0; i < 4; ++i) {
    layout.tyrePositions[i] = tyres[i];
    layout.tyreRadius[i] = sample.tyreRadius;
  }
  if (const geometry::MeshModel* hull = TheCity().Hull(sample); hull != nullptr && !hull->Empty()) {
    layout.collisionMin = hull->boundsMin;
    layout.collisionMax = hull->boundsMax;
    car->collisionModel = hull;
  }
  car->AssembleChassis(layout);
  platform::Vec3 heading;
  car->position = contentgen::test_world::CentreAt(distance, &heading) + platform::Vec3{0, 30, 0};
  car->rotation = platform::Transpose(platform::LookAtLH({}, heading, {0, 1, 0}));
  car->Reset(world, nullptr);
  return car;
}

}  // namespace bench
