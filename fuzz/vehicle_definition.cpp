// Fuzzing a car's definition file, read the way a race loads a car: with its upgrade catalogue, torque and
// steering curves from a generated car folder, so the keys naming them reach real files. Every value a
// definition sets must land inside the tables the simulation indexes.
#include <cmath>

#include "app/data_file.h"
#include "contentgen/vehicle_content.h"
#include "fuzz_support.h"
#include "vehicle/engine.h"
#include "vehicle/steering.h"
#include "vehicle/upgrades.h"
#include "vehicle/vehicle.h"

namespace {

std::string carFolder;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  const contentgen::SampleCar& car = contentgen::SampleCars().front();
  Check(contentgen::WriteSampleCar(fuzz_support::ScratchFolder(), car));
  carFolder = fuzz_support::ScratchFolder() + contentgen::CarFolder(car);
  fuzz_support::WriteGeneratedSeeds(*argc, *argv,
                                    {fuzz_support::TextSeed("vehicle.dat", contentgen::CarDefinitionText(car))});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = fuzz_support::Text(data, size);
  const app::DataFile file = app::DataFile::FromText(text, carFolder + contentgen::kCarDefinitionFile);
  // The player's car with an empty selection, and a computer car with upgrades drawn at random.
  vehicle::UpgradeSelection selection;
  for (vehicle::UpgradeSelection* chosen : {&selection, static_cast<vehicle::UpgradeSelection*>(nullptr)}) {
    vehicle::Vehicle car(nullptr, nullptr, "Fuzz", false);
    car.LoadDefinitionFrom(file, carFolder, chosen, nullptr, 0.0f, chosen == nullptr);
    Check(car.mass > 0 && std::isfinite(car.mass));
    Check(car.carClass >= 0 && car.carClass < vehicle::kCarClassCount);
    for (float rating : car.ratings) Check(rating >= 0 && rating <= 10);
    Check(car.upgrades != nullptr && car.upgrades->Size() <= vehicle::kMaxUpgrades);
    Check(car.steering != nullptr);
    (void)car.steering->GetAngle();
    if (car.engine != nullptr) {
      const vehicle::Gearbox& gearbox = car.engine->gearbox;
      Check(gearbox.topGear >= 2 && gearbox.topGear <= vehicle::kMaxGear);
      (void)car.engine->torqueCurve.Evaluate(car.engine->redlineRpm);
    }
  }
  return 0;
}
