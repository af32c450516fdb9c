// Intro scene: the camera and wing flights along their paths.
#include "frontend/intro_scene.h"

#include "contentgen/intro_scene.h"
#include "frontend/showroom_scene.h"
#include "frontend_test_support.h"
#include "platform/math/math.h"
#include "geometry/path.h"
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

}  // namespace
