// The sample cars' upgrade catalogues, loaded and assembled as the race builds a car: every category offers a
// part to buy, and each part changes something of the car beyond its ratings (engine, gearbox, tyres, brakes,
// body, pictures, riding parts, exhausts).
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/data_file.h"
#include "contentgen/vehicle_content.h"
#include "geometry/models/mesh_model.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"
#include "vehicle_fixture.h"
#include "vehicle/upgrades.h"
#include "vehicle/vehicle.h"
#include "vehicle/vehicle_assembly.h"
#include "vehicle/vehicle_model.h"
#include "vehicle/vehicle_presentation.h"

namespace vehicle {
namespace {

class SampleUpgrades : public ::testing::Test {
 protected:
  // What a player could see or measure of a car, its ratings left out.
  std::string Signature(const std::vector<uint32_t>& installed) {
    UpgradeSelection selection;
    for (uint32_t id : installed) {
      selection.SetOwned(id, true);
      selection.SetInstalled(id, true);
    }
    Vehicle car(&resources, nullptr, "Tester", false);
    EXPECT_TRUE(car.LoadDefinition(path, &selection, nullptr, 0, false));
    PresentationServices services;
    services.sounds = &sounds;
    services.device = fixture.device;
    const VehiclePresentation* view = AssembleAppearance(car, app::DataFile(path), &resources, services, nullptr, {});
    EXPECT_NE(view, nullptr);
    std::ostringstream out;
    const Engine& engine = *car.engine;
    out << engine.torqueCurve.Evaluate(4000) << ' ' << engine.redlineRpm << ' ' << engine.turboCurve.MaxY() << ' '
        << engine.nitrousCapacity << ' ' << engine.gearbox.shiftDelay << ' ' << engine.gearbox.gearRatio[2] << ' '
        << car.drivetrain << ' ' << car.neonFile << ' ' << car.vehicleModelFile << ' ';
    for (const std::string& exhaust : car.exhaustPartNames) out << exhaust << ' ';
    for (const auto& wheel : car.wheels) {
      out << wheel->brakingTorque << ' ' << wheel->shockLength << ' ' << wheel->tireCurvesFolder << ' '
          << wheel->rearDownforce << ' ';
    }
    if (view == nullptr) return out.str();
    out << view->visualParts.size() << ' ';
    auto pictures = [&out](const geometry::MeshModel& model) {
      for (size_t slot = 0; slot < model.materialNames.size(); ++slot) {
        const render::ImageResource* image = model.GetMaterialImage(static_cast<int32_t>(slot));
        out << (image != nullptr ? image->colourName : "-") << ' ';
      }
    };
    for (const geometry::MeshModel* tyre : view->body->tyreModels) pictures(*tyre);
    pictures(*view->body->lods[0].model);
    return out.str();
  }

  testing::NullDeviceFixture fixture;
  testing::FakeSoundSource sounds;
  render::ResourceManager resources{nullptr, ""};
  std::string path;
};

TEST_F(SampleUpgrades, EveryCategoryOffersAPartThatChangesTheCar) {
  const std::string folder = vehicle_test::ScratchFolder("cars");
  for (const contentgen::SampleCar& sample : contentgen::SampleCars()) {
    SCOPED_TRACE(sample.name);
    ASSERT_TRUE(contentgen::WriteSampleCar(folder, sample));
    path = folder + contentgen::CarFolder(sample) + contentgen::kCarDefinitionFile;
    Vehicle catalogue(nullptr, nullptr, "Catalogue", true);
    ASSERT_TRUE(catalogue.LoadDefinition(path, nullptr, nullptr, 0, false));
    UpgradeList& list = *catalogue.upgrades;
    // Effects are measured on the starter and on the car that comes with a turbo of its own.
    const bool measure = &sample == &contentgen::SampleCars().front() || sample.turbo;
    const std::string stock = measure ? Signature({}) : std::string();
    for (uint32_t category = 0; category < kUpgradeCategoryCount; ++category) {
      ASSERT_GT(list.CountPurchaseableInCategory(category), 0) << "nothing to buy in category " << category;
      for (int n = 0; n < list.CountPurchaseableInCategory(category); ++n) {
        const KeyedRecord& upgrade = *list.NthPurchaseableInCategory(category, n);
        SCOPED_TRACE(upgrade.name);
        EXPECT_GE(upgrade.cost, 300);
        EXPECT_LE(upgrade.cost, 3000);
        if (!measure) continue;
        // An upgrade that needs others is compared with a car that has them.
        const std::vector<uint32_t> needed(upgrade.requiredIds.begin(), upgrade.requiredIds.end());
        std::vector<uint32_t> with = needed;
        with.push_back(upgrade.id);
        EXPECT_NE(Signature(with), needed.empty() ? stock : Signature(needed));
      }
    }
  }
}

}  // namespace
}  // namespace vehicle
