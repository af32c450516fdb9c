// Intro scene: the camera and wing flights along their paths.
#include "frontend/intro_scene.h"

#include "contentgen/intro_scene.h"
#include "contentgen/scn_writer.h"
#include "frontend/showroom_scene.h"
#include "frontend_test_support.h"
#include "platform/math/math.h"
#include "geometry/models/mesh_model.h"
#include "geometry/path.h"
#include "render/effects/scene_lighting.h"
#include "render/effects/screen_quad.h"

namespace {

using frontend::ShowroomScene;

class IntroSceneTest : public frontend_test::FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    ASSERT_TRUE(contentgen::WriteIntroScene(folder_));
  }
  void TearDown() override {
    intro_.reset();  // gives its scene back while the resource manager lives
    FrontEndTest::TearDown();
  }
  ShowroomScene& Open() {
    intro_ = std::make_unique<ShowroomScene>(resources_.get(), settings_.get());
    intro_->Load(device_, frontend::kIntroScene);
    return *intro_;
  }

  std::unique_ptr<ShowroomScene> intro_;
};

void ExpectNear(const platform::Vec3& a, const platform::Vec3& b, float tolerance = 1e-2f) {
  EXPECT_NEAR(a.x, b.x, tolerance);
  EXPECT_NEAR(a.y, b.y, tolerance);
  EXPECT_NEAR(a.z, b.z, tolerance);
}

TEST_F(IntroSceneTest, CameraAndWingFlyAlongTheirPathsWithTheWingFacingAhead) {
  ShowroomScene& intro = Open();
  EXPECT_EQ(intro.wing, nullptr) << "a WING node without a model file flies nothing";
  intro.wing = std::make_unique<frontend::IntroModel>(resources_.get(), settings_.get());
  ASSERT_NE(intro.cameraPath, nullptr);
  const geometry::Path& path = *intro.wingPath;
  intro.Update(1.0f);  // progress 0.4 of each path
  ExpectNear(intro.camera->eye, intro.cameraPath->SmoothPointAt(intro.cameraPath->TotalLength() * 0.4f));
  ExpectNear(intro.camera->target, intro.target);
  const float distance = path.TotalLength() * 0.4f;
  ExpectNear(intro.wing->position, path.SmoothPointAt(distance));
  // Row 2 of the orientation is the direction of flight.
  const platform::Vec3 ahead = platform::Normalize(path.SmoothPointAt(distance + 2.0f) - path.SmoothPointAt(distance));
  ExpectNear({intro.wing->orientation.m[2][0], intro.wing->orientation.m[2][1], intro.wing->orientation.m[2][2]},
             ahead);
  intro.Update(5.0f);
  ExpectNear(intro.camera->eye, intro.cameraPath->SmoothPointAt(intro.cameraPath->TotalLength()));
  EXPECT_FLOAT_EQ(intro.wingDistance, path.TotalLength() - 2.0f) << "stops 2 inches before the end";

  // Without its path the wing stays at the origin.
  intro.wingPath = nullptr;
  intro.wing = std::make_unique<frontend::IntroModel>(resources_.get(), settings_.get());
  intro.Update(1.0f);
  ExpectNear(intro.wing->position, {0, 0, 0});
  EXPECT_TRUE(platform::IsIdentity(intro.wing->orientation));
}

// The intro with its wing and logo nodes naming these model files (in the intro's folder).
void WriteIntroWithModels(const std::string& folder, const std::string& wing, const std::string& logo,
                          const platform::Vec3& logoAt) {
  contentgen::ScnFile scene = contentgen::BuildIntroScene();
  for (contentgen::NodeRecord& node : scene.nodes) {
    if (node.name == "WING") node.text = wing;
  }
  contentgen::NodeRecord logoNode;
  logoNode.name = "LOGO";
  logoNode.position = logoAt;
  logoNode.text = logo;
  scene.nodes.push_back(logoNode);
  ASSERT_TRUE(contentgen::WriteSceneFile(folder + contentgen::kIntroFolder + "/" + contentgen::kIntroSceneFile, scene));
}

TEST_F(IntroSceneTest, TheLogoAndWingTheSceneNamesAreLoadedPlacedAndDrawnWhereTheCameraLooks) {
  const platform::Vec3 logoAt{0, 140, -2400};  // a little ahead of the camera, well inside its far clip
  WriteIntroWithModels(folder_, "sky.MDL", "skyglow.MDL", logoAt);
  const struct {
    const char* what;
    int cubeMapping, dynamicReflections;
  } cases[] = {{"plain", 0, 0}, {"with a dynamic environment cube", 1, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    settings_->SetInt(app::SettingId::CUBEMAPPING, c.cubeMapping);
    settings_->SetInt(app::SettingId::DYNAMICREFLECTIONS, c.dynamicReflections);
    ShowroomScene& intro = Open();
    ASSERT_TRUE(intro.logo && intro.wing);
    ASSERT_TRUE(intro.logo->model != nullptr && intro.wing->model != nullptr);
    ExpectNear(intro.logo->position, logoAt);
    EXPECT_EQ(intro.logo->cubeMap != nullptr, c.cubeMapping != 0);
    EXPECT_EQ(intro.IsCubeMappingOn(device_), c.cubeMapping != 0);
    // The answer follows the live setting; the models keep the cube maps they were loaded with.
    settings_->SetInt(app::SettingId::CUBEMAPPING, 1 - c.cubeMapping);
    EXPECT_EQ(intro.IsCubeMappingOn(device_), c.cubeMapping == 0);
    EXPECT_EQ(intro.logo->cubeMap != nullptr, c.cubeMapping != 0);
    settings_->SetInt(app::SettingId::CUBEMAPPING, c.cubeMapping);

    // Through the intro's own drawing: the logo adds draws of its own.
    device_->ClearRecords();
    intro.Render(device_);
    const size_t withLogo = DrawCount();
    auto logo = std::move(intro.logo);
    device_->ClearRecords();
    intro.Render(device_);
    EXPECT_LT(DrawCount(), withLogo);

    // Where the camera looks it is drawn; far behind the camera it is not.
    EXPECT_TRUE(logo->Render(device_, intro.lighting.get(), intro.camera->view, &intro.camera->frustum));
    EXPECT_TRUE(logo->RenderSecondPass(device_, intro.camera->view, &intro.camera->frustum));
    logo->position = intro.camera->eye + (intro.camera->eye - intro.camera->target) * 4.0f;
    EXPECT_FALSE(logo->Render(device_, intro.lighting.get(), intro.camera->view, &intro.camera->frustum));
    EXPECT_FALSE(logo->RenderSecondPass(device_, intro.camera->view, &intro.camera->frustum));
    EXPECT_TRUE(logo->Render(device_, nullptr, intro.camera->view, nullptr)) << "without a frustum nothing is culled";
    logo.reset();
  }
}

// Unloading gives the scene's lights back with the lighting's material; drawing the models afterwards sets none.
TEST_F(IntroSceneTest, UnloadReleasesTheLightingTheSceneFilled) {
  ShowroomScene& intro = Open();
  ASSERT_NE(intro.lighting->lights, nullptr);
  ASSERT_FALSE(intro.lighting->lights->empty()) << "the intro scene's light nodes";
  intro.Unload();
  ASSERT_NE(intro.lighting, nullptr);
  EXPECT_EQ(intro.lighting->lights, nullptr);
  EXPECT_EQ(intro.lighting->material, nullptr);
  intro.Unload();  // twice is harmless
}

TEST_F(IntroSceneTest, AModelFileTheSceneNamesButTheFolderLacksIsAnEmptyModelThatDrawsNothing) {
  settings_->SetInt(app::SettingId::CUBEMAPPING, 1);
  WriteIntroWithModels(folder_, "gone.MDL", "missing.MDL", {0, 140, -2400});
  ShowroomScene& intro = Open();
  ASSERT_TRUE(intro.logo && intro.wing);
  for (const frontend::IntroModel* model : {intro.logo.get(), intro.wing.get()}) {
    ASSERT_NE(model->model, nullptr);
    EXPECT_EQ(model->model->triangleCount, 0u);
    EXPECT_EQ(model->cubeMap, nullptr) << "no environment cube for an empty model";
  }
  intro.Update(1.0f);
  device_->ClearRecords();
  intro.Render(device_);
  const size_t withEmptyModels = DrawCount();
  EXPECT_GT(withEmptyModels, 0u) << "the rest of the intro still draws";
  intro.logo.reset();
  intro.wing.reset();
  device_->ClearRecords();
  intro.Render(device_);
  EXPECT_EQ(DrawCount(), withEmptyModels);
}

TEST_F(IntroSceneTest, MotionBlurCapturesTheSceneAtItsOwnPaceAndItsTrailStaysFaint) {
  settings_->SetInt(app::SettingId::MOTIONBLUR, 1);
  WriteIntroWithModels(folder_, "sky.MDL", "skyglow.MDL", {0, 80, 0});
  ShowroomScene& intro = Open();
  ASSERT_TRUE(intro.blurQuad && intro.blurQuad->HasTexture()) << "the null device makes render targets";
  intro.Update(frontend::kBlurCaptureInterval / 2);
  intro.RenderSecondPass(device_);
  EXPECT_EQ(intro.blurCaptures, 0u) << "not yet time for a capture";
  intro.Update(frontend::kBlurCaptureInterval * 3);
  intro.RenderSecondPass(device_);
  EXPECT_EQ(intro.blurCaptures, 1u) << "one capture however late it comes";
  intro.RenderSecondPass(device_);
  EXPECT_EQ(intro.blurCaptures, 1u);
  settings_->SetInt(app::SettingId::MOTIONBLUR, 0);
  intro.Update(1.0f);
  intro.RenderSecondPass(device_);
  EXPECT_EQ(intro.blurCaptures, 1u) << "with motion blur off nothing is captured";

  // The intro's trail is fainter than the showroom's at any frame rate.
  for (const float framesPerSecond : {1.0f, 15.0f, 30.0f, 75.0f, 1000.0f}) {
    EXPECT_LT(frontend::kIntroBlurAlpha, frontend::ShowroomBlurAlpha(framesPerSecond)) << framesPerSecond;
  }
}

}  // namespace
