// Tests of drawing a car on the null device: level of detail by depth, wheels drawn or not by the level, the
// respawn blink in every pass, culling, and the ground's light on the body and its upgrade parts. What a car
// looks like in a race frame is tested on the display (race_frame_test).
#include "vehicle/vehicle_renderer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "contentgen/car_models.h"
#include "geometry/models/mesh_model.h"
#include "platform/math/math.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"
#include "vehicle/fake_sound_source.h"
#include "vehicle/null_device_fixture.h"
#include "vehicle/vehicle_presentation.h"

namespace vehicle {
namespace {


TEST(VehicleRendererLod, LastLevelNotBeyondTheDepthWins) {
  std::vector<LodLevel> lods = {{nullptr, 0, true}, {nullptr, 1500, true}, {nullptr, 4000, false}};
  EXPECT_EQ(SelectLodIndex(lods, 2000), 1u);
  EXPECT_EQ(SelectLodIndex(lods, -10), 0u);
  EXPECT_EQ(SelectLodIndex(lods, 4000), 2u);
  EXPECT_EQ(SelectLodIndex({}, 100), 0u);
}

class VehicleRendererTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = (std::filesystem::path(CORSAIRE_GAME_DIR).parent_path() / "scratch" / "vehicle_renderer").string() + "/";
    std::filesystem::create_directories(folder_ + "CAR");
    ASSERT_TRUE(contentgen::WriteCarModels(folder_ + "CAR/", contentgen::CarModelSpec{}));
  }

  VehicleRendererTest() : car(&resources, nullptr, "Drawn", false), body(fixture.device, &resources) {
    EXPECT_TRUE(body.LoadBodyModel("CAR/", contentgen::kCarBodyModel, nullptr));
    car.AssembleChassis(body.Layout());
    PresentationServices services;
    services.sounds = &sounds;
    services.device = fixture.device;
    auto owned = std::make_unique<VehiclePresentation>(car, services);
    presentation = owned.get();
    car.features = std::move(owned);
    presentation->BuildShadow();
    for (auto& wheel : car.wheels) {
      wheel->position = wheel->mountLocal;
      wheel->drawOrientation = platform::IdentityMatrix();
    }
    renderer = std::make_unique<VehicleRenderer>(car, body, presentation);
    view = platform::LookAtLH({0, 150, -600}, {0, 0, 0}, {0, 1, 0});
    projection = platform::PerspectiveFovLH(1.0f, 4.0f / 3.0f, 10.0f, 20000.0f);
    frustum.BuildOrdinary(view, projection);
  }

  size_t Draws() { return fixture.Null().Draws().size(); }

  testing::NullDeviceFixture fixture;
  testing::FakeSoundSource sounds;
  render::ResourceManager resources{nullptr, folder_};
  Vehicle car;
  VehicleBody body;
  VehiclePresentation* presentation = nullptr;
  std::unique_ptr<VehicleRenderer> renderer;
  Matrix4 view, projection;
  render::ViewFrustum frustum;
  static std::string folder_;
};
std::string VehicleRendererTest::folder_;

TEST_F(VehicleRendererTest, LevelsChooseBodyAndWhetherWheelsAreDrawn) {
  body.AddLod("CAR/", contentgen::kCarLodModel, 0.5f, false);  // beyond the near plane: chosen here
  const Matrix4 identity = platform::IdentityMatrix();

  ASSERT_TRUE(renderer->Render(fixture.device, nullptr, identity, &frustum, 0, nullptr));
  EXPECT_EQ(renderer->lodIndex, 1u);
  const size_t farDraws = Draws();
  EXPECT_GT(farDraws, 0u);

  fixture.Null().ClearRecords();
  ASSERT_TRUE(renderer->Render(fixture.device, nullptr, identity, &frustum, -1e6f, nullptr));
  EXPECT_EQ(renderer->lodIndex, 0u) << "a large negative bias brings the full body back";
  EXPECT_GT(Draws(), farDraws) << "the full body comes with its four wheels";
}

TEST_F(VehicleRendererTest, RespawnBlinkHidesEveryPassCullingHidesACarBehindAndInertCarsSkipTheNormalPass) {
  const Matrix4 identity = platform::IdentityMatrix();
  render::ViewFrustum mirrored;
  car.respawning = true;
  car.respawnVisible = false;
  EXPECT_FALSE(renderer->Render(fixture.device, nullptr, identity, &frustum, 0, nullptr));
  EXPECT_FALSE(renderer->RenderAlternatePass(fixture.device, identity, &frustum, 0));
  EXPECT_FALSE(renderer->RenderReflected(fixture.device, nullptr, view, projection, &mirrored, 0, nullptr));
  EXPECT_FALSE(renderer->RenderGroundShadow(fixture.device, view, &frustum));
  EXPECT_EQ(Draws(), 0u);

  car.respawnVisible = true;
  EXPECT_TRUE(renderer->Render(fixture.device, nullptr, identity, &frustum, 0, nullptr));
  EXPECT_TRUE(renderer->RenderGroundShadow(fixture.device, view, &frustum));

  car.respawning = false;
  car.position = {0, 0, -5000};  // behind the camera
  car.worldMatrix = platform::TranslationMatrix(car.position);
  EXPECT_FALSE(renderer->Render(fixture.device, nullptr, identity, &frustum, 0, nullptr));
  EXPECT_FALSE(renderer->RenderGroundShadow(fixture.device, view, &frustum));
  car.worldMatrix = platform::IdentityMatrix();
  car.inert = true;
  EXPECT_FALSE(renderer->Render(fixture.device, nullptr, identity, &frustum, 0, nullptr));
  EXPECT_TRUE(renderer->RenderAlternatePass(fixture.device, identity, &frustum, 0)) << "the second pass ignores inert";
}

TEST_F(VehicleRendererTest, DrawingTintsTheBodyAndItsUpgradePartsWithTheGroundsLight) {
  presentation->visualParts.push_back(std::make_unique<VisualPartModel>(
      fixture.device, &resources, "CAR/" + std::string(contentgen::kCarExhaustTipsModel), Vec3{0, 10, -80}));
  car.groundTint[0] = 0.25f, car.groundTint[1] = 0.5f, car.groundTint[2] = 0.75f;
  ASSERT_TRUE(renderer->Render(fixture.device, nullptr, view, &frustum, 0, nullptr));
  for (const geometry::MeshModel* model : {body.lods[0].model, presentation->visualParts[0]->model}) {
    ASSERT_NE(model, nullptr);
    int tinted = 0;
    for (uint32_t slot = 0; slot < model->materialCount; ++slot) {
      const render::ImageResource* image = model->GetMaterialImage(static_cast<int32_t>(slot));
      if (image == nullptr) continue;
      EXPECT_FLOAT_EQ(image->material.diffuse.r, 0.25f);
      EXPECT_FLOAT_EQ(image->material.diffuse.b, 0.75f);
      ++tinted;
    }
    EXPECT_GT(tinted, 0);
  }
}

}  // namespace
}  // namespace vehicle
