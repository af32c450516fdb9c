// Tests of the rules a car's appearance is assembled by: which level-of-detail records count and what their
// missing values read as, the pictures, shadow hull and crumpled body a definition names or leaves out, and
// upgrade parts and paints whose properties lack values, and a chassis laid out from tyres that stand on one
// axle or at no finite depth, the engine's sound folder written with or without its separator, and crash and
// stunt sounds asked for by kinds that do not exist.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>

#include "app/data_file.h"
#include "contentgen/car_models.h"
#include "geometry/models/mesh_model.h"
#include "render/effects/glow_trails.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"
#include "vehicle/damage_model.h"
#include "vehicle/engine.h"
#include "vehicle/part_models.h"
#include "vehicle/track_world.h"
#include "vehicle/vehicle_assembly.h"
#include "vehicle/vehicle_model.h"
#include "vehicle/vehicle_sounds.h"
#include "vehicle_fixture.h"

namespace vehicle {
namespace {

TEST(CarAssemblyRules, LevelRecordsWithoutAFileAreSkippedAndMissingValuesReadAsNearAndWheelless) {
  const app::DataFile definition = app::DataFile::FromText(
      "<LOD>\n<LOD>,\n<LOD>,a.MDL\n<LOD>,b.MDL,1200\n<LOD>,c.MDL,900,Yes\n<LOD>,d.MDL,far,no\n<LOD>,e.MDL,50,YES,extra\n");
  const std::vector<LodRecord> records = ReadLodRecords(definition);
  struct Expected {
    const char* file;
    float distance;
    bool wheels;
  } const expected[] = {{"a.MDL", 0, false}, {"b.MDL", 1200, false}, {"c.MDL", 900, true}, {"d.MDL", 0, false},
                        {"e.MDL", 50, true}};
  ASSERT_EQ(records.size(), std::size(expected));
  for (size_t i = 0; i < records.size(); ++i) {
    SCOPED_TRACE(expected[i].file);
    EXPECT_EQ(records[i].file, expected[i].file);
    EXPECT_FLOAT_EQ(records[i].distance, expected[i].distance);
    EXPECT_EQ(records[i].drawWheels, expected[i].wheels);
  }
}

class AssemblyRules : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = (std::filesystem::path(CORSAIRE_GAME_DIR).parent_path() / "scratch" / "assembly_rules" /
               std::to_string(std::random_device{}())).string() + "/";
    std::filesystem::create_directories(folder_ + "CAR");
    ASSERT_TRUE(contentgen::WriteCarModels(folder_ + "CAR/", contentgen::CarModelSpec{}));
  }
  static void TearDownTestSuite() { std::filesystem::remove_all(folder_); }

  std::unique_ptr<Vehicle> NewCar() {
    auto car = std::make_unique<Vehicle>(&resources, nullptr, "Assembled", false);
    car->folder = "CAR/";
    car->vehicleModelFile = contentgen::kCarBodyModel;
    car->upgrades = std::make_unique<UpgradeList>();
    return car;
  }
  VehiclePresentation* Assemble(Vehicle& car, const std::string& upgrades, render::ResourceManager* from) {
    car.upgrades->LoadFromText(upgrades);
    for (auto& upgrade : car.upgrades->Upgrades()) upgrade->installed = true;
    PresentationServices services;
    services.sounds = &sounds;
    services.device = fixture.device;
    return AssembleAppearance(car, app::DataFile::FromText(""), from, services, &glows, {});
  }

  testing::NullDeviceFixture fixture;
  testing::FakeSoundSource sounds;
  render::ResourceManager resources{nullptr, folder_};
  render::GlowTrailSystem glows{nullptr, nullptr, nullptr};
  static std::string folder_;
};
std::string AssemblyRules::folder_;

bool Loaded(const render::ImageResource* image) { return image != nullptr && image->loaded; }

TEST_F(AssemblyRules, WhatTheDefinitionNamesIsLoadedAndWhatItLeavesOutStaysAway) {
  struct Case {
    const char* what;
    std::function<void(Vehicle&)> name;
    std::function<void(const Vehicle&, const VehiclePresentation&)> check;
  };
  const Case cases[] = {
      {"nothing named", [](Vehicle&) {},
       [](const Vehicle& car, const VehiclePresentation& view) {
         EXPECT_EQ(view.headlightTexture, nullptr);
         EXPECT_EQ(view.neonTexture, nullptr);
         EXPECT_EQ(view.shadowTexture, nullptr);
         EXPECT_EQ(view.shadowModel, nullptr);
         EXPECT_EQ(view.damagedModel, nullptr);
         EXPECT_EQ(car.damage, nullptr);
       }},
      {"pictures with the shadow's alpha",
       [](Vehicle& car) {
         car.headlightFile = contentgen::kCarHeadlightPicture;
         car.neonFile = contentgen::kCarNeonPicture;
         car.shadowFile = contentgen::kCarShadowPicture;
         car.shadowAlphaFile = contentgen::kCarShadowAlphaPicture;
       },
       [](const Vehicle&, const VehiclePresentation& view) {
         EXPECT_TRUE(Loaded(view.headlightTexture));
         EXPECT_TRUE(Loaded(view.neonTexture));
         EXPECT_TRUE(Loaded(view.shadowTexture));
       }},
      {"a shadow without its alpha", [](Vehicle& car) { car.shadowFile = contentgen::kCarShadowPicture; },
       [](const Vehicle&, const VehiclePresentation& view) { EXPECT_TRUE(Loaded(view.shadowTexture)); }},
      {"the shadow hull and the crumpled body",
       [](Vehicle& car) {
         car.shadowModelFile = contentgen::kCarShadowModel;
         car.damageModelFile = contentgen::kCarDamagedModel;
       },
       [](const Vehicle& car, const VehiclePresentation& view) {
         ASSERT_NE(view.shadowModel, nullptr);
         EXPECT_FALSE(view.shadowModel->Empty());
         ASSERT_NE(car.damage, nullptr);
         EXPECT_TRUE(car.damage->Active());
       }},
      {"a crumpled body that is not there", [](Vehicle& car) { car.damageModelFile = "flattened.MDL"; },
       [](const Vehicle& car, const VehiclePresentation&) { EXPECT_EQ(car.damage, nullptr) << "no dents at all"; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto car = NewCar();
    c.name(*car);
    VehiclePresentation* view = Assemble(*car, "", &resources);
    ASSERT_NE(view, nullptr);
    c.check(*car, *view);
  }
  auto car = NewCar();
  car->damageModelFile = contentgen::kCarDamagedModel;
  VehiclePresentation view(*car, {});
  BuildDamageModel(view, *car, &resources, fixture.device);
  EXPECT_EQ(car->damage, nullptr) << "no body to dent";
}

TEST_F(AssemblyRules, UpgradePropertiesWithoutTheirValuesAreSkipped) {
  auto car = NewCar();
  VehiclePresentation* view = Assemble(
      *car,
      "[UPGRADE]\n<ID>,1\n<CATEGORY>,Spoiler\n<VISUAL_PART>\n<VISUAL_PART>,wing.MDL\n<VIEWABLE_DISTANCE>\n"
      "[/UPGRADE]\n[UPGRADE]\n<ID>,2\n<CATEGORY>,Color\n<MATERIAL>,roof_paint\n<MATERIAL>,front_paint,glass.png,,0\n"
      "[/UPGRADE]\n",
      &resources);
  ASSERT_NE(view, nullptr);
  ASSERT_EQ(view->visualParts.size(), 1u) << "a part without a model file is left out";
  EXPECT_EQ(view->visualParts[0]->viewDistance, 0.0f) << "a distance without a value: always shown";
  EXPECT_EQ(ApplyMaterialUpgrades(*view, *car, nullptr, fixture.device), 0) << "nothing to load paint from";
  const geometry::MeshModel& body = *view->body->lods[0].model;
  for (size_t slot = 0; slot < body.materialNames.size(); ++slot) {
    const render::ImageResource* image = body.GetMaterialImage(static_cast<int32_t>(slot));
    if (image == nullptr) continue;
    std::string name = image->colourName;
    for (char& ch : name) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    const bool glass = name.find("GLASS.PNG") != std::string::npos;
    std::string material = body.materialNames[slot];
    for (char& ch : material) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (material == "FRONT_PAINT") {
      EXPECT_TRUE(glass) << "painted, without an alpha picture";
    }
    if (material == "ROOF_PAINT") {
      EXPECT_FALSE(glass) << "a paint without its picture changes nothing";
    }
  }
}

TEST_F(AssemblyRules, WithoutResourcesNoBodyIsBuilt) {
  auto car = NewCar();
  EXPECT_EQ(Assemble(*car, "", nullptr), nullptr);
  EXPECT_EQ(car->features, nullptr);
}

// Weight shares follow the axles the body's tyres stand on; a body whose axles stand on top of each other, or
// whose tyres lie at no finite depth, still gives a car that drives without dividing by zero.
TEST(CarAssemblyRules, AxlesOnTopOfEachOtherOrAtNoFiniteDepthStillGiveAFiniteCar) {
  const auto& design = vehicle_test::Design("COUPE");
  auto car = vehicle_test::LoadCar("COUPE");
  const ChassisLayout layout = vehicle_test::LayoutOf(design);
  EXPECT_FLOAT_EQ(car->wheelbase, car->wheels[kFrontLeft]->mountLocal.z - car->wheels[kRearLeft]->mountLocal.z);
  EXPECT_NEAR(car->frontShare + car->rearShare, 1.0f, 1e-5f);

  const Vehicle plain(nullptr, nullptr, "Plain", false);
  struct Case {
    const char* what;
    std::function<void(ChassisLayout&)> damage;
  } const cases[] = {
      {"all four tyres on one axle", [](ChassisLayout& l) { for (auto& p : l.tyrePositions) p.z = 0; }},
      {"tyres at an infinite depth", [](ChassisLayout& l) { for (auto& p : l.tyrePositions) p.y = -INFINITY; }},
  };
  auto tree = vehicle_test::FlatWorld("PAVE", 20000);
  TrackWorld world(*tree);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto damaged = vehicle_test::LoadCar("COUPE");
    ChassisLayout broken = layout;
    c.damage(broken);
    damaged->AssembleChassis(broken);
    for (const auto& wheel : damaged->wheels) {
      EXPECT_TRUE(std::isfinite(wheel->mountLocal.y) && std::isfinite(wheel->mountLocal.z));
    }
    if (damaged->wheels[kFrontLeft]->mountLocal.z == damaged->wheels[kRearLeft]->mountLocal.z) {
      EXPECT_EQ(damaged->wheelbase, plain.wheelbase) << "the even defaults";
      EXPECT_EQ(damaged->frontShare, 0.5f);
      EXPECT_EQ(damaged->rearShare, 0.5f);
    }
    vehicle_test::PlaceAt(*damaged, world, {0, 0, 0}, {0, 0, 1});
    vehicle_test::Drive(*damaged, world, 0.5f, 1.0f, 0.0f);
    EXPECT_TRUE(std::isfinite(damaged->position.x) && std::isfinite(damaged->position.y) &&
                std::isfinite(damaged->position.z));
  }
}

// The engine's sound folder is found whether the definition writes it with its closing separator or without.
TEST_F(AssemblyRules, TheEngineSoundFolderIsFoundWithOrWithoutItsSeparator) {
  auto engineSamples = [this](const std::string& folder) {
    testing::FakeSoundSource own;
    auto car = NewCar();
    car->engine = std::make_unique<Engine>(app::DataFile::FromText(""), 0, nullptr);
    car->engine->soundsFolder = folder;
    car->upgrades->LoadFromText("");
    PresentationServices services;
    services.sounds = &own;
    services.device = fixture.device;
    EXPECT_NE(AssembleAppearance(*car, app::DataFile::FromText(""), &resources, services, &glows, {}), nullptr);
    std::vector<std::string> names;
    for (const auto& [sample, name] : own.names) {
      if (name.rfind("CAR/", 0) == 0 && name.find("engine") != std::string::npos) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> bare = engineSamples("CAR/engine");
  ASSERT_FALSE(bare.empty());
  for (const std::string& name : bare) EXPECT_EQ(name.rfind("CAR/engine/", 0), 0u) << name;
  EXPECT_EQ(engineSamples("CAR/engine/"), bare);
  for (const std::string& name : engineSamples("CAR\\engine\\")) {
    EXPECT_EQ(name.find("\\/"), std::string::npos) << name << ": no separator added after one";
  }
}

// A crash or stunt sound of no known kind plays nothing; known ones play once loaded, however loud asked.
TEST(CarSoundRules, SoundsOfNoKnownKindPlayNothing) {
  testing::FakeSoundSource sounds(2);
  VehicleSounds car(sounds);
  EXPECT_FALSE(car.PlayCrash(0, 100)) << "nothing loaded yet";
  EXPECT_FALSE(car.PlayStunt(0));
  car.LoadSounds("CARS/TEST/");
  car.LoadStuntSounds();
  for (int kind : {-1, kCrashSoundCount}) EXPECT_FALSE(car.PlayCrash(kind, 100)) << kind;
  for (int stunt : {-1, 99}) EXPECT_FALSE(car.PlayStunt(stunt)) << stunt;
  platform::audio::Mixer& mixer = sounds.SampleMixer();
  EXPECT_TRUE(car.PlayCrash(0, 1000));
  EXPECT_EQ(mixer.GetChannelsPlaying(), 1);
  EXPECT_TRUE(car.PlayStunt(0));
  EXPECT_EQ(mixer.GetChannelsPlaying(), 2);
}

}  // namespace
}  // namespace vehicle
