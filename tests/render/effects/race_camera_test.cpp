// Race camera: smoothing rates, distance clamp, shake decay, projection caching, the in-car and look-back views and
// the wall pull-in of the chase eye. The race's own tests follow the player's car and read the view keys.
#include "render/effects/race_camera.h"

#include <cmath>

#include <gtest/gtest.h>

#include "contentgen/col_writer.h"
#include "geometry/collision_tree.h"
#include "platform/math/math.h"
#include "platform/os.h"
#include "render/effects/effects_test_support.h"

namespace {

using platform::Vec3;
using render::RaceCamera;

class RaceCameraTest : public effects_test::EffectsTest {};

TEST_F(RaceCameraTest, ProjectionIsRebuiltOnlyWhenItsSettingsChange) {
  RaceCamera camera(settings_.get());
  camera.projection.m[0][1] = 123.0f;  // a marker that a rebuild would overwrite
  camera.Apply();
  EXPECT_EQ(camera.projection.m[0][1], 123.0f) << "unchanged settings keep the matrix";
  SetInt(app::SettingId::SCREENWIDTH, 1024);
  SetInt(app::SettingId::SCREENHEIGHT, 600);
  camera.Apply();
  EXPECT_EQ(camera.projection.m[0][1], 0.0f);
  EXPECT_FLOAT_EQ(camera.cachedAspect, 1024.0f / 600.0f);
  camera.projection.m[0][1] = 7.0f;
  ReadSettings("FOV:60\n");
  camera.Apply();
  EXPECT_EQ(camera.projection.m[0][1], 0.0f);
  EXPECT_FLOAT_EQ(camera.cachedFov, 60.0f * 0.01745329252f);
  const float aspect = camera.cachedAspect;
  SetInt(app::SettingId::SCREENHEIGHT, 0);
  camera.Apply();
  EXPECT_FLOAT_EQ(camera.cachedAspect, aspect) << "a zero height keeps the last aspect";
  EXPECT_TRUE(std::isfinite(camera.projection.m[0][0]));
}

TEST_F(RaceCameraTest, ShakeIsCappedBeforeItDecays) {
  RaceCamera camera(settings_.get());
  camera.shake = 12.0f;
  camera.DecayShake(1.0f);
  EXPECT_NEAR(camera.shake, 0.5f, 1e-6f);
  camera.shake = 2.0f;
  camera.DecayShake(0.5f);
  EXPECT_NEAR(camera.shake, 2.0f * std::pow(0.1, 0.5), 1e-6f);
}

TEST_F(RaceCameraTest, FollowRateAndDistanceApproachTheirTargetsAtTwoRatesEach) {
  RaceCamera camera(settings_.get());
  camera.desiredFollowRate = 7.0f;
  camera.PlaceChase(nullptr, 0.5f);
  EXPECT_NEAR(camera.followRate, 7.0f + (1.0f - 7.0f) * std::pow(0.3, 0.5), 1e-5f) << "rising slowly";
  camera.desiredFollowRate = 3.0f;
  camera.followRate = 7.0f;
  camera.PlaceChase(nullptr, 0.5f);
  EXPECT_NEAR(camera.followRate, 3.0f + 4.0f * std::pow(0.01, 0.5), 1e-5f) << "falling fast";
  camera.desiredDistance = -50.0f;
  camera.PlaceChase(nullptr, 0.0f);
  EXPECT_EQ(camera.desiredDistance, -35.0f);
  camera.desiredDistance = 35.0f;
  camera.PlaceChase(nullptr, 0.0f);
  EXPECT_EQ(camera.desiredDistance, 35.0f);
  camera.PlaceChase(nullptr, 1.0f);
  EXPECT_NEAR(camera.distance, 35.0f - 35.0f * 0.05f, 1e-4f) << "moving in uses 0.05^dt";
  camera.desiredDistance = 0.0f;
  const float before = camera.distance;
  camera.PlaceChase(nullptr, 1.0f);
  EXPECT_NEAR(camera.distance, before * 0.1f, 1e-4f) << "moving out uses 0.1^dt";
}

TEST_F(RaceCameraTest, InCarViewLooksAheadAndLookBackOverridesIt) {
  RaceCamera camera(settings_.get());
  camera.NextView();
  ASSERT_TRUE(camera.IsInCarView());
  camera.lookAt = {0, 10, 0};
  camera.Update(nullptr, 0.01f);
  EXPECT_NEAR(camera.eye.y, 10.0f + 32.0f, 1e-4f);
  EXPECT_NEAR(camera.eye.z, 40.0f, 1e-4f);
  EXPECT_EQ(camera.lookAt, (Vec3{0, 42, 41})) << "looks one unit ahead along the car";
  camera.lookAt = {0, 0, 0};
  camera.lookBack = true;
  EXPECT_FALSE(camera.IsInCarView()) << "look-back wins over the in-car view while its key is held";
  camera.Update(nullptr, 0.01f);
  EXPECT_EQ(camera.eye, (Vec3{0, 50, 250}));
  EXPECT_LT(camera.frustum.viewDirection.z, -0.9f) << "looking back at the car";
  camera.lookBack = false;
  camera.NextView();
  EXPECT_EQ(camera.viewMode, 0) << "the views wrap";
}

TEST_F(RaceCameraTest, ChaseEyeIsPulledInFrontOfAWall) {
  // A wall across z = -100 facing the car at the origin.
  contentgen::ColFile file;
  file.materialNames = {"NODRIVE"};
  contentgen::ColMeshBlock wall;
  wall.vertices = {{-500, -500, -100}, {500, -500, -100}, {500, 500, -100}, {-500, 500, -100}};
  wall.cornerVertices = {0, 1, 2, 3};
  // (b - a) x (c - a) points along +z, toward the car.
  wall.groups.push_back({0, {{0, 1, 2}, {0, 2, 3}}});
  file.blocks.push_back(wall);
  const std::string path = folder_ + "wall.col";
  ASSERT_TRUE(contentgen::WriteCollisionFile(path, file));
  geometry::CollisionTree tree;
  ASSERT_TRUE(tree.Load(path, false));

  RaceCamera free(settings_.get());
  free.Update(nullptr, 0.01f);
  EXPECT_NEAR(free.eye.z, -200.0f, 1e-3f) << "without a tree nothing pulls the eye in";

  RaceCamera walled(settings_.get());
  walled.Update(&tree, 0.01f);
  EXPECT_GT(walled.eye.z, -100.0f) << "the eye stops on the car's side of the wall";
  EXPECT_LT(walled.eye.z, 0.0f);
}

}  // namespace
