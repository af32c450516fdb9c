// Tests of putting a car's appearance on its simulation with the sample car models: levels of detail from the
// definition, the chassis from the body's parts, upgrade parts on their body parts, material and logo
// repainting, the cube-map setting, and a refused body leaving the car alone.
#include "vehicle/vehicle_assembly.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "contentgen/car_models.h"
#include "geometry/models/mesh_model.h"
#include "render/effects/glow_trails.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"
#include "vehicle/fake_sound_source.h"
#include "vehicle/null_device_fixture.h"

namespace vehicle {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

class AssemblyTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = (std::filesystem::path(CORSAIRE_GAME_DIR).parent_path() / "scratch" / "vehicle_assembly").string() + "/";
    std::filesystem::create_directories(folder_ + "CAR");
    ASSERT_TRUE(contentgen::WriteCarModels(folder_ + "CAR/", contentgen::CarModelSpec{}));
  }

  AssemblyTest() : car(&resources, nullptr, "Assembled", false) {
    car.folder = "CAR/";
    car.vehicleModelFile = contentgen::kCarBodyModel;
    car.upgrades = std::make_unique<UpgradeList>();
  }

  void InstallUpgrades(const std::string& text) {
    car.upgrades->LoadFromText(text);
    for (auto& upgrade : car.upgrades->Upgrades()) upgrade->installed = true;
  }

  PresentationServices Services() {
    PresentationServices services;
    services.sounds = &sounds;
    services.device = fixture.device;
    return services;
  }

  // The colour picture's name of the first material of that name on the body.
  std::string PictureOf(const VehiclePresentation& view, const char* material) {
    const geometry::MeshModel& model = *view.body->lods[0].model;
    for (size_t slot = 0; slot < model.materialNames.size(); ++slot) {
      if (Upper(model.materialNames[slot]) != material) continue;
      const render::ImageResource* image = model.GetMaterialImage(static_cast<int32_t>(slot));
      return image != nullptr ? Upper(image->colourName) : std::string();
    }
    return {};
  }

  testing::NullDeviceFixture fixture;
  testing::FakeSoundSource sounds;
  render::ResourceManager resources{nullptr, folder_};
  // Outlives the car: a car lets go of its glows when it goes.
  render::GlowTrailSystem glows{nullptr, nullptr, nullptr};
  Vehicle car;
  static std::string folder_;
};
std::string AssemblyTest::folder_;

TEST(ReadLodRecords, TakesFileDepthAndWheelFlagInOrder) {
  const auto definition =
      app::DataFile::FromText("<LOD>,lod1.MDL,1500,NO\n<LOD>,lod2.MDL,4000,yes\n<LOD>\n<LOD>,lod3.MDL\n");
  const std::vector<LodRecord> lods = ReadLodRecords(definition);
  ASSERT_EQ(lods.size(), 3u);
  EXPECT_EQ(lods[0].file, "lod1.MDL");
  EXPECT_FLOAT_EQ(lods[0].distance, 1500.0f);
  EXPECT_FALSE(lods[0].drawWheels);
  EXPECT_TRUE(lods[1].drawWheels) << "YES in any case";
  EXPECT_FLOAT_EQ(lods[2].distance, 0.0f);
  EXPECT_FALSE(lods[2].drawWheels);
}

TEST_F(AssemblyTest, BuildsTheCarFromItsBodyAndDefinition) {
  car.exhaustPartNames = {"EXHAUST_LEFT", "EXHAUST_RIGHT"};
  const auto definition = app::DataFile::FromText("<LOD>,lod1.MDL,1500,NO\n<LOD>,lod1.MDL,4000,NO\n");
  VehiclePresentation* view = AssembleAppearance(car, definition, &resources, Services(), &glows, {});
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(car.features.get(), view);
  ASSERT_EQ(view->body->lods.size(), 3u);
  EXPECT_FLOAT_EQ(view->body->lods[2].distance, 4000.0f);
  for (const auto& wheel : car.wheels) ASSERT_NE(wheel, nullptr);
  EXPECT_FLOAT_EQ(car.wheels[kFrontRight]->mountLocal.x, contentgen::CarModelSpec{}.halfTrack);
  EXPECT_EQ(view->lights.exhaustPoints.size(), 2u);
  EXPECT_EQ(view->lights.brakeGlows.size(), 2u);
  ASSERT_NE(view->shadow, nullptr);
  ASSERT_NE(view->renderer, nullptr);
  EXPECT_EQ(view->cubeMap, nullptr) << "CUBEMAPPING off: no cube map";
  // The seated driver turns with the steering through its STEER clip.
  ASSERT_NE(view->driverModel, nullptr);
  auto* driver = static_cast<SharedAnimatedModel*>(view->driverAnimation.get());
  ASSERT_NE(driver->model, nullptr);
  EXPECT_GT(driver->ClipLength(kSteerClip), 0);
  view->driverModel->SetSteer(1.0f);
  view->driverModel->UpdateSteerPose();
  EXPECT_NE(sounds.Find("CAR/../../SOUNDS/CARSOUNDS/paved.wav"), 0u);
  EXPECT_NE(PictureOf(*view, "LOGO1").find("LOGO1.PNG"), std::string::npos) << "no MATERIAL upgrade: logo kept";
}

TEST_F(AssemblyTest, UpgradePartsSitOnTheirBodyPartsWithTheirViewingDistance) {
  InstallUpgrades(
      "[UPGRADE]\n<ID>,6\n<CATEGORY>,Spoiler\n<VISUAL_PART>,tyre.MDL,exhaust_left\n<VIEWABLE_DISTANCE>,500\n"
      "[/UPGRADE]\n"
      "[UPGRADE]\n<ID>,7\n<CATEGORY>,Scoop\n<VISUAL_PART>,tyre.MDL\n[/UPGRADE]\n");
  VehiclePresentation* view = AssembleAppearance(car, app::DataFile::FromText(""), &resources, Services(), nullptr, {});
  ASSERT_NE(view, nullptr);
  ASSERT_EQ(view->visualParts.size(), 2u);
  Vec3 exhaust;
  ASSERT_TRUE(view->body->FindPart("EXHAUST_LEFT", exhaust));
  EXPECT_EQ(view->visualParts[0]->placement.attachPoint, exhaust);
  EXPECT_FLOAT_EQ(view->visualParts[0]->viewDistance, 500.0f);
  EXPECT_EQ(view->visualParts[1]->placement.attachPoint, (Vec3{0, 0, 0})) << "no part named: the car's origin";
  EXPECT_FLOAT_EQ(view->visualParts[1]->viewDistance, 0.0f);
}

TEST_F(AssemblyTest, MaterialUpgradeRepaintsAndSwapsTheLogo) {
  InstallUpgrades("[UPGRADE]\n<ID>,5\n<CATEGORY>,Color\n<MATERIAL>,roof_paint,glass.png,glassa.png,1\n[/UPGRADE]\n");
  VehiclePresentation* view = AssembleAppearance(car, app::DataFile::FromText(""), &resources, Services(), nullptr, {});
  ASSERT_NE(view, nullptr);
  EXPECT_NE(PictureOf(*view, "ROOF_PAINT").find("GLASS.PNG"), std::string::npos);
  EXPECT_EQ(PictureOf(*view, "FRONT_PAINT").find("GLASS.PNG"), std::string::npos) << "only the named material";
  EXPECT_NE(PictureOf(*view, "LOGO1").find("LOGO2.PNG"), std::string::npos);
  const geometry::MeshModel& model = *view->body->lods[0].model;
  for (size_t slot = 0; slot < model.materialNames.size(); ++slot) {
    if (Upper(model.materialNames[slot]) != "ROOF_PAINT") continue;
    EXPECT_TRUE(model.GetMaterialImage(static_cast<int32_t>(slot))->reflective) << "flag 1 makes it reflective";
  }
  // A second pass finds no LOGO1.PNG any more: nothing else to swap.
  EXPECT_EQ(ApplyMaterialUpgrades(*view, car, &resources, fixture.device), 1);
}

TEST_F(AssemblyTest, UnusableBodyLeavesTheCarAlone) {
  car.vehicleModelFile = "missing.MDL";
  EXPECT_EQ(AssembleAppearance(car, app::DataFile::FromText(""), &resources, Services(), nullptr, {}), nullptr);
  EXPECT_EQ(car.features, nullptr);
  EXPECT_EQ(car.wheels[0], nullptr);
  car.vehicleModelFile.clear();
  EXPECT_EQ(AssembleAppearance(car, app::DataFile::FromText(""), &resources, Services(), nullptr, {}), nullptr);
}

}  // namespace
}  // namespace vehicle
