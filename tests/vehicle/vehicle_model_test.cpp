// Tests of a car's body models round-tripped through the sample car writer: the parts laid out for the
// simulation, tyre and hull sizes from their models, a unique body per car with shared tyres, levels of detail,
// incomplete bodies and the ground tint in the body's materials.
#include "vehicle/vehicle_model.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "contentgen/car_models.h"
#include "geometry/models/mesh_model.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"
#include "vehicle/null_device_fixture.h"

namespace vehicle {
namespace {

class VehicleBodyTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = (std::filesystem::path(CORSAIRE_GAME_DIR).parent_path() / "scratch" / "vehicle_model").string() + "/";
    std::filesystem::create_directories(folder_ + "CAR");
    ASSERT_TRUE(contentgen::WriteCarModels(folder_ + "CAR/", Spec()));
  }
  static contentgen::CarModelSpec Spec() {
    contentgen::CarModelSpec spec;
    spec.halfTrack = 31;
    spec.frontAxle = 55;
    spec.rearAxle = -52;
    return spec;
  }

  testing::NullDeviceFixture fixture;
  render::ResourceManager resources{nullptr, folder_};
  static std::string folder_;
};
std::string VehicleBodyTest::folder_;

TEST_F(VehicleBodyTest, BodyPartsLayOutTheChassis) {
  VehicleBody body(fixture.device, &resources);
  ASSERT_TRUE(body.LoadBodyModel("CAR/", contentgen::kCarBodyModel, nullptr));
  const contentgen::CarModelSpec spec = Spec();
  const ChassisLayout layout = body.Layout();
  EXPECT_EQ(layout.tyrePositions[kFrontLeft], (Vec3{-spec.halfTrack, spec.tyreRadius, spec.frontAxle}));
  EXPECT_EQ(layout.tyrePositions[kRearRight], (Vec3{spec.halfTrack, spec.tyreRadius, spec.rearAxle}));
  for (int i = 0; i < 4; ++i) {
    ASSERT_NE(body.tyreModels[i], nullptr);
    EXPECT_FLOAT_EQ(layout.tyreRadius[i], body.tyreModels[i]->boundsMax.y);
    EXPECT_GT(layout.tyreWidth[i], 0.0f);
  }
  ASSERT_NE(body.collisionModel, nullptr);
  EXPECT_EQ(layout.collisionMax, body.collisionModel->boundsMax);
  EXPECT_EQ(layout.bodyMax, body.lods[0].model->boundsMax);
  ASSERT_EQ(body.lods.size(), 1u);
  EXPECT_EQ(body.lods[0].distance, 0.0f);
  EXPECT_TRUE(body.lods[0].drawWheels);

  Vec3 exhaust;
  EXPECT_TRUE(body.FindPart("exhaust_left", exhaust));
  EXPECT_LT(exhaust.z, 0.0f);
  EXPECT_FALSE(body.FindPart("SPOILER_MOUNT", exhaust));
  bool headlightSized = false;
  for (const BodyPart& part : body.parts) headlightSized |= part.name == "HEADLIGHT_LEFT" && std::atof(part.file.c_str()) > 0;
  EXPECT_TRUE(headlightSized) << "light sizes ride in the part's file field";
  Vec3 seat;
  ASSERT_TRUE(body.FindPart("DRIVER", seat));
  EXPECT_EQ(body.driverPosition, seat);
  EXPECT_EQ(body.driverFile.rfind("CAR/", 0), 0u) << "the driver's file lies in the car's folder";
}

TEST_F(VehicleBodyTest, EachCarDentsItsOwnBodyButSharesTyres) {
  VehicleBody first(fixture.device, &resources);
  VehicleBody second(fixture.device, &resources);
  ASSERT_TRUE(first.LoadBodyModel("CAR/", contentgen::kCarBodyModel, nullptr));
  ASSERT_TRUE(second.LoadBodyModel("CAR/", contentgen::kCarBodyModel, nullptr));
  EXPECT_NE(first.lods[0].model, second.lods[0].model);
  EXPECT_EQ(first.tyreModels[0], second.tyreModels[0]);
  const render::SharedRecord* tyres = resources.FindSharedRecord(render::ResourceKind::kMeshModel, first.tyreModels[0]);
  ASSERT_NE(tyres, nullptr);
  EXPECT_EQ(tyres->refCount, 8);
  second.Release();
  EXPECT_EQ(tyres->refCount, 4);
}

TEST_F(VehicleBodyTest, LevelsOfDetailFollowTheBody) {
  VehicleBody body(fixture.device, &resources);
  ASSERT_TRUE(body.LoadBodyModel("CAR/", contentgen::kCarBodyModel, nullptr));
  body.AddLod("CAR/", contentgen::kCarLodModel, 1500, false);
  body.AddLod("CAR/", contentgen::kCarLodModel, 4000, false);
  ASSERT_EQ(body.lods.size(), 3u);
  EXPECT_FLOAT_EQ(body.lods[1].distance, 1500.0f);
  EXPECT_FALSE(body.lods[2].drawWheels);
  EXPECT_NE(body.lods[1].model, body.lods[2].model) << "each level is a copy of its own";
}

TEST_F(VehicleBodyTest, BodyWithoutItsPartsIsRefused) {
  VehicleBody body(fixture.device, &resources);
  EXPECT_FALSE(body.LoadBodyModel("CAR/", "missing.MDL", nullptr));
  VehicleBody tyreOnly(fixture.device, &resources);
  EXPECT_FALSE(tyreOnly.LoadBodyModel("CAR/", contentgen::kCarTyreModel, nullptr)) << "no tyre or hull parts";
  EXPECT_FALSE(body.WantsCubeMap(true));
}

TEST_F(VehicleBodyTest, AWheelTakesItsGroundsLightIntoItsTyre) {
  VehicleBody body(fixture.device, &resources);
  ASSERT_TRUE(body.LoadBodyModel("CAR/", contentgen::kCarBodyModel, nullptr));
  // A wheel on grass takes the grass's light into its tyre's materials.
  body.ApplyTyreColour(2, {0.1f, 0.9f, 0.2f});
  body.ApplyTyreColour(9, {0, 0, 0});  // no such wheel
  const geometry::MeshModel& tyre = *body.tyreModels[2];
  for (uint32_t slot = 0; slot < tyre.materialCount; ++slot) {
    const render::ImageResource* image = tyre.GetMaterialImage(static_cast<int32_t>(slot));
    if (image != nullptr) {
      EXPECT_FLOAT_EQ(image->material.diffuse.g, 0.9f);
    }
  }
}

}  // namespace
}  // namespace vehicle
