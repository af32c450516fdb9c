// The sample city circuit and its cars for the driving benchmarks: collision loaded once, cars placed on the centre line.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "contentgen/test_world.h"
#include "contentgen/vehicle_content.h"
#include "geometry/collision_tree.h"
#include "platform/math/math.h"
#include "vehicle/vehicle.h"

namespace bench {

// The circuit's collision tree and a temporary folder holding every sample car, built on first use.
struct City {
  City() {
    const auto bytes = contentgen::EncodeCollisionFile(contentgen::BuildTestWorld());
    tree.LoadFromMemory(bytes.data(), bytes.size(), "city.COL", true);
    folder = (std::filesystem::temp_directory_path() / "corsaire_bench_city").string() + "/";
    for (const auto& car : contentgen::SampleCars()) contentgen::WriteSampleCar(folder, car);
  }
  geometry::CollisionTree tree;
  std::string folder;
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
  car->AssembleChassis(layout);
  platform::Vec3 heading;
  car->position = contentgen::test_world::CentreAt(distance, &heading) + platform::Vec3{0, 30, 0};
  car->rotation = platform::Transpose(platform::LookAtLH({}, heading, {0, 1, 0}));
  car->Reset(world, nullptr);
  return car;
}

}  // namespace bench
