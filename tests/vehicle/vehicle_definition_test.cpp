// Tests of loading a car from its definition: bad and missing values, and the upgrade overrides of its keys,
// engine and ratings.
#include "vehicle/vehicle_definition.h"

#include <gtest/gtest.h>

#include "app/data_file.h"
#include "contentgen/data_file_writer.h"
#include "vehicle/vehicle.h"
#include "vehicle_fixture.h"

namespace {

using platform::Vec3;
using vehicle::Vehicle;

std::unique_ptr<Vehicle> FromText(const std::string& definition, const std::string& upgrades = "",
                                  vehicle::UpgradeSelection* selection = nullptr) {
  const std::string folder = vehicle_test::ScratchFolder("definition");
  contentgen::WriteTextFile(folder + "upgrades.dat", upgrades);
  auto car = std::make_unique<Vehicle>(nullptr, nullptr, "Tester", false);
  car->LoadDefinitionFrom(app::DataFile::FromText(definition, folder + "car.dat"), folder, selection, nullptr, 0,
                          true);
  return car;
}

TEST(VehicleDefinition, BadValuesEmptyRecordsAndMissingFilesNeverBreakTheCar) {
  auto car = FromText("<MASS>,heavy\n<COST>\n<CGHEIGHT>,1e999\n<VEHICLE_NAME>\n<EXHAUST>\n<TORQUE_CURVE>,t.crv\n");
  EXPECT_EQ(car->mass, 1500.0f);  // no mass would divide the weight transfer by zero
  EXPECT_EQ(car->cost, 1000);
  EXPECT_EQ(car->cgHeight, 0.0f);
  EXPECT_EQ(car->exhaustPartNames, std::vector<std::string>{""});
  EXPECT_EQ(car->engine, nullptr) << "an engine needs both of its keys";
  EXPECT_FALSE(car->CanDrive());
  Vehicle missing(nullptr, nullptr, "Nobody", false);
  EXPECT_FALSE(missing.LoadDefinition("/nonexistent/car.dat", nullptr, nullptr, 0, false));
  EXPECT_NE(missing.upgrades, nullptr);
  EXPECT_FALSE(missing.CanDrive());
}

TEST(VehicleDefinition, InstalledUpgradesOverrideDrivetrainNeonAndRatings) {
  const std::string upgrades =
      "[UPGRADE]\n<ID>,1\n<CATEGORY>,Transmission\n<DRIVETRAIN>,RWD\n<STAT_STYLE>,12.5\n[/UPGRADE]\n"
      "[UPGRADE]\n<ID>,2\n<CATEGORY>,Neon\n<NEON>\n[/UPGRADE]\n";
  vehicle::UpgradeSelection selection;
  for (uint32_t id : {1u, 2u}) {
    selection.SetOwned(id, true);
    selection.SetInstalled(id, true);
  }
  auto car = FromText("<UPGRADES>,upgrades.dat\n<DRIVETRAIN>,AWD\n<NEON>,file_neon.png\n", upgrades, &selection);
  EXPECT_EQ(car->drivetrain, vehicle::kRearWheelDrive);
  EXPECT_EQ(car->neonFile, "file_neon.png");  // an empty NEON value list leaves the file's image
  EXPECT_EQ(car->ratings[0], 10.0f);
}

TEST(VehicleDefinition, SampleEngineUpgradeRaisesTorqueAndRedline) {
  const auto& sample = vehicle_test::Design("COUPE");
  const std::string folder = vehicle_test::ScratchFolder("cars");
  contentgen::WriteSampleCar(folder, sample);
  const std::string path = folder + contentgen::CarFolder(sample) + contentgen::kCarDefinitionFile;
  auto load = [&](std::vector<uint32_t> ids) {
    vehicle::UpgradeSelection selection;
    for (uint32_t id : ids) {
      selection.SetOwned(id, true);
      selection.SetInstalled(id, true);
    }
    auto car = std::make_unique<Vehicle>(nullptr, nullptr, "Tester", false);
    car->LoadDefinition(path, &selection, nullptr, 0, false);
    return car;
  };
  auto stock = load({});
  auto tuned = load({6, 5, 11});  // engine, air intake, nitrous kit
  EXPECT_FLOAT_EQ(tuned->engine->redlineRpm, stock->engine->redlineRpm + 300);
  EXPECT_NEAR(tuned->engine->torqueCurve.Evaluate(4000), stock->engine->torqueCurve.Evaluate(4000) * 1.15f * 1.05f,
              0.01f);
  EXPECT_FLOAT_EQ(tuned->engine->nitrousCapacity, 200);
  EXPECT_GT(tuned->ratings[4], stock->ratings[4]);  // acceleration rating
  tuned->ReloadCurves();  // the reload key reads the files again, without the upgrade scaling
  EXPECT_FLOAT_EQ(tuned->engine->torqueCurve.Evaluate(4000), stock->engine->torqueCurve.Evaluate(4000));
}

}  // namespace
