// Tests of the models fixed to a car: placement at their attachment points, the driver's steering pose, the
// viewing distance, lighting direction in the part's frame and shared loading of upgrade parts.
#include "vehicle/part_models.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "geometry/models/mesh_model.h"
#include "geometry/scene_records.h"
#include "platform/math/math.h"
#include "render/effects/scene_lighting.h"
#include "render/resources/resource_manager.h"
#include "vehicle/null_device_fixture.h"

namespace vehicle {
namespace {

// An animated model with one "STEER" clip that remembers how it was posed and drawn.
class ClipModel final : public PosableModel {
 public:
  int ClipLength(const std::string& clip) const override { return clip == kSteerClip ? frames : 0; }
  void PlayClip(const std::string& clip, float position) override {
    lastClip = clip;
    lastPosition = position;
  }
  void Draw(platform::gfx::Device*, const Matrix4& world, const Vec3& light) override {
    ++plainDraws;
    lastWorld = world;
    lastLight = light;
  }
  void DrawWithEnvironment(platform::gfx::Device*, const Matrix4& world, platform::gfx::BaseTexture*,
                           const Vec3& light) override {
    ++environmentDraws;
    lastWorld = world;
    lastLight = light;
  }
  void DrawSimple(platform::gfx::Device*, const Matrix4& world) override {
    ++simpleDraws;
    lastWorld = world;
  }

  int frames = 30;
  std::string lastClip;
  float lastPosition = -1;
  int plainDraws = 0, environmentDraws = 0, simpleDraws = 0;
  Matrix4 lastWorld;
  Vec3 lastLight;
};

void ExpectMatrixNear(const Matrix4& a, const Matrix4& b) {
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(a.m[r][c], b.m[r][c], 1e-4f) << r << "," << c;
  }
}

TEST(PartModels, SteeringPicksTheMatchingFrameOfTheSteerClip) {
  EXPECT_FLOAT_EQ(SteerClipPosition(-1, 30), 0.0f);
  EXPECT_FLOAT_EQ(SteerClipPosition(0, 30), 15.0f);
  EXPECT_FLOAT_EQ(SteerClipPosition(1, 30), 30.0f);
  ClipModel clips;
  PartModel driver(&clips, {0, 20, -10});
  driver.SetSteer(0.5f);
  driver.UpdateSteerPose();
  EXPECT_EQ(clips.lastClip, "STEER");
  EXPECT_FLOAT_EQ(clips.lastPosition, 22.5f);
  PartModel empty(nullptr, {});
  empty.UpdateSteerPose();  // no model: nothing to pose
}

TEST(PartModels, ViewDistanceHidesFarParts) {
  ClipModel clips;
  PartModel driver(&clips, {});
  driver.UpdateVisibility(1e9f);
  EXPECT_TRUE(driver.visible) << "0 means always shown";
  driver.viewDistance = 500;
  driver.UpdateVisibility(500);
  EXPECT_TRUE(driver.visible);
  driver.UpdateVisibility(500.5f);
  EXPECT_FALSE(driver.visible);
  driver.Render(nullptr, nullptr, platform::IdentityMatrix(), nullptr);
  driver.RenderSimple(nullptr, platform::IdentityMatrix());
  EXPECT_EQ(clips.plainDraws + clips.simpleDraws, 0);
}

TEST(PartModels, PartSitsAtItsAttachmentPointOnTheTurnedCar) {
  ClipModel clips;
  PartModel driver(&clips, {0, 20, -10});
  const Matrix4 car = platform::RotationYMatrix(0.7f) * platform::TranslationMatrix(100, 5, -40);
  driver.SetTransform(car);
  const Vec3 expected = platform::TransformCoord({0, 20, -10}, car);
  EXPECT_NEAR(driver.placement.worldPosition.x, expected.x, 1e-4f);
  EXPECT_NEAR(driver.placement.worldPosition.z, expected.z, 1e-4f);
  EXPECT_EQ(driver.placement.rotation.m[3][0], 0.0f);
  EXPECT_EQ(driver.placement.rotation.m[3][2], 0.0f);

  const Matrix4 extra = platform::TranslationMatrix(0, 1, 0);
  driver.Render(nullptr, nullptr, extra, nullptr);
  EXPECT_EQ(clips.plainDraws, 1);
  ExpectMatrixNear(clips.lastWorld, platform::RotationYMatrix(0.7f) *
                                        platform::TranslationMatrix(driver.placement.worldPosition) * extra);
  EXPECT_EQ(clips.lastLight, (Vec3{0, -1, 0})) << "no lighting: straight down";

  // An environment map picks the environment draw; the second pass draws plainly.
  int fakeTexture = 0;
  driver.Render(nullptr, nullptr, extra, reinterpret_cast<platform::gfx::BaseTexture*>(&fakeTexture));
  EXPECT_EQ(clips.environmentDraws, 1);
  driver.RenderSimple(nullptr, extra);
  EXPECT_EQ(clips.simpleDraws, 1);
}

TEST(PartModels, SunDirectionIsTurnedIntoThePartsFrame) {
  render::SceneLighting lighting(nullptr);
  lighting.AddLight(std::make_unique<geometry::SceneNode>("SUN ", 2, 0.0f, Vec3{}, Vec3{1, 0, 0}, Vec3{1, 1, 1}));
  const Matrix4 quarter = platform::RotationYMatrix(3.14159265f / 2);
  const Vec3 light = PartLightDirection(&lighting, nullptr, quarter);
  Matrix4 inverse;
  ASSERT_TRUE(platform::Inverse(quarter, &inverse));
  const Vec3 expected = platform::TransformNormal(*lighting.FindSunLight(), inverse);
  EXPECT_NEAR(light.x, expected.x, 1e-5f);
  EXPECT_NEAR(light.z, expected.z, 1e-5f);
  EXPECT_EQ(PartLightDirection(nullptr, nullptr, quarter), (Vec3{0, -1, 0}));
}

TEST(PartModels, UpgradePartsShareTheirModelAndGiveItBack) {
  testing::NullDeviceFixture fixture;
  render::ResourceManager resources(nullptr, "/nonexistent-vehicle-parts/");
  const geometry::MeshModel* shared = nullptr;
  {
    VisualPartModel spoiler(fixture.device, &resources, "CARS/TEST/spoiler.mdl", {0, 40, -80});
    VisualPartModel twin(fixture.device, &resources, "CARS/TEST/spoiler.mdl", {0, 40, -80});
    ASSERT_NE(spoiler.model, nullptr) << "a missing file still gives a registered, empty model";
    EXPECT_EQ(spoiler.model, twin.model);
    shared = spoiler.model;
    const render::SharedRecord* record = resources.FindSharedRecord(render::ResourceKind::kMeshModel, shared);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->refCount, 2);

    spoiler.viewDistance = 500;
    spoiler.UpdateVisibility(600);
    EXPECT_FALSE(spoiler.visible);
    spoiler.Render(nullptr, nullptr);  // hidden: nothing drawn
    twin.SetTransform(platform::TranslationMatrix(10, 0, 0));
    EXPECT_FLOAT_EQ(twin.placement.worldPosition.x, 10.0f);
    twin.Render(nullptr, nullptr);  // an empty model draws nothing, without failing
  }
  const render::SharedRecord* record = resources.FindSharedRecord(render::ResourceKind::kMeshModel, shared);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->refCount, 0);
}

}  // namespace
}  // namespace vehicle
