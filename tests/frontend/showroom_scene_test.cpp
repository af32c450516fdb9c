// Menu showroom: the car on its spot, shots and faded cuts along the camera paths, and the car reload rules.
#include "frontend/showroom_scene.h"

#include <deque>
#include <filesystem>

#include "contentgen/car_models.h"
#include "contentgen/showroom_scene.h"
#include "contentgen/sky_box.h"
#include "contentgen/vehicle_content.h"
#include "frontend_test_support.h"
#include "geometry/path.h"
#include "render/effects/race_camera.h"
#include "render/effects/screen_quad.h"
#include "vehicle/vehicle.h"

namespace {

using frontend::Showroom;

class ShowroomTest : public frontend_test::FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    ASSERT_TRUE(contentgen::WriteShowroomScene(folder_));
    const auto& cars = contentgen::SampleCars();
    ASSERT_GE(cars.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
      ASSERT_TRUE(contentgen::WriteSampleCar(folder_, cars[i]));
      database_->vehicleNames.push_back(cars[i].name);
      database_->vehiclePaths.push_back(contentgen::CarFolder(cars[i]) + contentgen::kCarDefinitionFile);
      database_->vehicleClasses.push_back(0);
    }
    settings_->SetString(app::StringSettingId::VEHICLE, cars[0].name);
  }

  // A showroom whose random numbers come from the queue (0 once it runs dry).
  std::unique_ptr<Showroom> Open(bool randomCar = false, const std::string& scene = "SHOWROOM\\showroom.scn") {
    auto showroom = std::make_unique<Showroom>(resources_.get(), settings_.get(), database_.get(), profile_.get(),
                                               randomCar, [this] {
                                                 if (draws_.empty()) return 0;
                                                 const int r = draws_.front();
                                                 draws_.pop_front();
                                                 return r;
                                               });
    showroom->Load(device_, scene);
    return showroom;
  }

  std::deque<int> draws_;
};

void ExpectNear(const platform::Vec3& a, const platform::Vec3& b) {
  EXPECT_NEAR(a.x, b.x, 1e-3f);
  EXPECT_NEAR(a.y, b.y, 1e-3f);
  EXPECT_NEAR(a.z, b.z, 1e-3f);
}

TEST_F(ShowroomTest, LoadsPathsAndTheSettingsCarOnItsSpotAndTheCameraGlidesAlongAPath) {
  auto showroom = Open();
  ASSERT_EQ(showroom->cameraPaths.size(), 2u);
  EXPECT_EQ(showroom->currentPath, 1) << "the last camera path found is followed first";
  ASSERT_NE(showroom->DisplayedVehicle(), nullptr);
  EXPECT_EQ(showroom->carName, contentgen::SampleCars()[0].name);
  const vehicle::Vehicle& car = *showroom->DisplayedVehicle();
  EXPECT_NEAR(car.position.x, showroom->carSpot.x, 1e-3f);
  EXPECT_NEAR(car.position.y, showroom->carSpot.y + car.GetRestHeight(), 1e-3f) << "raised by its rest height";
  // The camera glides along its path at fifty inches a second, looking at the target.
  showroom->Update(1.0f);
  ExpectNear(showroom->camera->eye, showroom->cameraPaths[1]->SmoothPointAt(50.0f));
  ExpectNear(showroom->camera->lookAt, showroom->target);
}

TEST_F(ShowroomTest, FirstCutFadesToBlackAfterFiveSecondsAndCutsAtFullBlack) {
  draws_ = {0, 0, 4};  // the car draw at construction, the next path, the shot length
  auto showroom = Open();
  showroom->Update(4.0f);
  EXPECT_FALSE(showroom->fading);
  showroom->Update(1.0f);  // the timer reaches exactly 0: a cut starts
  EXPECT_TRUE(showroom->fading);
  EXPECT_EQ(showroom->nextPath, 0);
  EXPECT_FLOAT_EQ(showroom->shotTimer, 12.0f) << "4 mod 10 + 8 whole seconds";
  EXPECT_EQ(showroom->currentPath, 1) << "still on the old path while fading out";
  showroom->Update(0.5f);
  showroom->RenderMain(device_);
  EXPECT_NEAR(showroom->fadeQuad->alpha, 0.5f, 1e-5f);
  showroom->Update(0.2f);
  EXPECT_EQ(showroom->currentPath, 1);
  showroom->Update(0.7f);  // carries the fade past 1.0
  EXPECT_FLOAT_EQ(showroom->fade, 1.0f);
  EXPECT_EQ(showroom->currentPath, 0);
  showroom->Update(1.1f);
  EXPECT_FALSE(showroom->fading) << "fade-in over at 2.0";
}

TEST_F(ShowroomTest, CarIsReloadedWhenTheSettingOrTheProfileChanges) {
  auto showroom = Open();
  ASSERT_NE(showroom->DisplayedVehicle(), nullptr);
  // A mark on the car shows whether the next pass replaced it.
  showroom->DisplayedVehicle()->position.x = 9999.0f;
  EXPECT_FALSE(showroom->RenderMain(device_));
  EXPECT_FLOAT_EQ(showroom->DisplayedVehicle()->position.x, 9999.0f) << "same car, profile unchanged: kept";

  settings_->SetString(app::StringSettingId::VEHICLE, contentgen::SampleCars()[1].name);
  EXPECT_FALSE(showroom->RenderMain(device_)) << "a replaced car does not report a fresh load";
  EXPECT_EQ(showroom->carFile, database_->vehiclePaths[1]);
  ASSERT_NE(showroom->DisplayedVehicle(), nullptr);
  EXPECT_NEAR(showroom->DisplayedVehicle()->position.x, showroom->carSpot.x, 1e-3f);

  showroom->DisplayedVehicle()->position.x = 9999.0f;
  profile_->changed = true;
  showroom->RenderMain(device_);
  EXPECT_FALSE(profile_->changed) << "the showroom takes the change";
  ASSERT_NE(showroom->DisplayedVehicle(), nullptr);
  EXPECT_NEAR(showroom->DisplayedVehicle()->position.x, showroom->carSpot.x, 1e-3f) << "same car reloaded";
}

// The showroom scene with a sky box and a glow box beside it, and the car's spot given by a marker turned a
// quarter round.
void WriteShowroomWithSkiesAndAMarker(const std::string& folder, const platform::Vec3& spot) {
  contentgen::ScnFile scene = contentgen::BuildShowroomScene();
  for (const auto& [name, file] : {std::pair{"SKYBOX", "night.MDL"}, std::pair{"GLOWSKYBOX", "nightglow.MDL"}}) {
    contentgen::NodeRecord node;
    node.name = name;
    node.text = file;
    scene.nodes.push_back(node);
  }
  contentgen::MarkerRecord marker;
  marker.name = "VEHICLE_SPOT";
  marker.position = spot;
  const float quarterTurn[3][3] = {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}};
  std::copy(&quarterTurn[0][0], &quarterTurn[0][0] + 9, &marker.rotation[0][0]);
  scene.markers.push_back(marker);
  const std::string showroom = folder + contentgen::kShowroomFolder + "/";
  ASSERT_TRUE(contentgen::WriteSceneFile(showroom + contentgen::kShowroomSceneFile, scene));
  ASSERT_TRUE(contentgen::WriteSkyBoxes(showroom, "night", contentgen::SkyLook{}));
}

TEST_F(ShowroomTest, TheScenesSkyBoxesAndAMarkedCarSpotAreUsed) {
  const platform::Vec3 spot{30, 25, -10};
  WriteShowroomWithSkiesAndAMarker(folder_, spot);
  auto showroom = Open();
  EXPECT_NE(showroom->skyBox, nullptr);
  EXPECT_NE(showroom->glowSkyBox, nullptr);
  ASSERT_TRUE(showroom->hasCarSpot);
  ExpectNear(showroom->carSpot, spot);
  EXPECT_FLOAT_EQ(showroom->carSpotOrientation.m[0][2], -1.0f) << "the marker turns the car";
  EXPECT_FLOAT_EQ(showroom->carSpotOrientation.m[2][0], 1.0f);
  ASSERT_NE(showroom->DisplayedVehicle(), nullptr);
  EXPECT_NEAR(showroom->DisplayedVehicle()->position.x, spot.x, 1e-3f);
  EXPECT_NEAR(showroom->DisplayedVehicle()->position.z, spot.z, 1e-3f);
}

// The data files may write a separator before a name of the game folder: the room, its skies and the car still
// come from there.
TEST_F(ShowroomTest, ARoomAndACarNamedWithASeparatorFirstAreTheGameFolders) {
  WriteShowroomWithSkiesAndAMarker(folder_, {0, 25, 0});
  const std::string definition = database_->vehiclePaths[0];
  const struct {
    const char* what;
    std::string scene, car;
  } cases[] = {
      {"a backslash", "\\SHOWROOM\\showroom.scn", "\\" + definition},
      {"two slashes", "//SHOWROOM//showroom.scn", "//" + definition},
      {"a slash", "/SHOWROOM/showroom.scn", "/" + definition},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    database_->vehiclePaths[0] = c.car;
    auto showroom = Open(false, c.scene);
    EXPECT_NE(showroom->skyBox, nullptr);
    ASSERT_NE(showroom->DisplayedVehicle(), nullptr);
    EXPECT_EQ(showroom->DisplayedVehicle()->mass, contentgen::SampleCars()[0].mass);
  }
}

TEST_F(ShowroomTest, MotionBlurCapturesTheShowroomAtItsOwnPaceOnlyWhileItIsOn) {
  settings_->SetInt(app::SettingId::MOTIONBLUR, 1);
  WriteShowroomWithSkiesAndAMarker(folder_, {0, 25, 0});
  auto showroom = Open();
  ASSERT_TRUE(showroom->blurQuad && showroom->blurQuad->HasTexture()) << "the null device makes render targets";
  const auto drawsOfASecondPass = [&](float after) {
    showroom->Update(after);
    device_->ClearRecords();
    showroom->RenderSecondPass(device_);
    return DrawCount();
  };
  EXPECT_EQ(drawsOfASecondPass(frontend::kBlurCaptureInterval / 2), 0u) << "not yet time for a capture";
  EXPECT_GT(drawsOfASecondPass(frontend::kBlurCaptureInterval * 3), 0u) << "the car, the room and its glows";
  EXPECT_EQ(drawsOfASecondPass(0.0f), 0u) << "one capture however late it comes";
  settings_->SetInt(app::SettingId::MOTIONBLUR, 0);
  EXPECT_EQ(drawsOfASecondPass(1.0f), 0u);
}

TEST_F(ShowroomTest, ACarWhoseFilesAreMissingLeavesTheTurntableEmpty) {
  const std::string carFolder = folder_ + contentgen::CarFolder(contentgen::SampleCars()[0]);
  const struct {
    const char* what;
    std::string file;
  } cases[] = {{"the body model", carFolder + contentgen::kCarBodyModel},
               {"the definition", carFolder + contentgen::kCarDefinitionFile}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(std::filesystem::remove(c.file));
    auto showroom = Open();
    EXPECT_TRUE(showroom->hasCarSpot);
    EXPECT_EQ(showroom->DisplayedVehicle(), nullptr);
    device_->ClearRecords();
    showroom->Update(0.1f);
    showroom->RenderMain(device_);
    EXPECT_GT(DrawCount(), 0u) << "the room is still shown";
  }
}

}  // namespace
