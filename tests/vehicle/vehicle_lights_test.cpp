// Tests of a car's lights: which body parts make glows, glows brightest toward the camera, brake, reverse and
// head lights switching, exhaust points following the body, and the ground tint.
#include "vehicle/vehicle_lights.h"

#include <gtest/gtest.h>

#include "platform/math/math.h"
#include "render/effects/glow_trails.h"

namespace vehicle {
namespace {

std::vector<BodyPart> Lamps() {
  return {
      {"HEADLIGHT_LEFT", "", {-25, 30, 90}},   {"headlight_right", "2", {25, 30, 90}},
      {"BRAKELIGHT_L", "1.5", {-25, 35, -90}}, {"BrakeLight_R", "", {25, 35, -90}},
      {"REVERSELIGHT", "", {0, 35, -92}},      {"HEADLIGH", "", {0, 0, 0}},
      {"DRIVER", "driver.mdl", {0, 20, 0}},    {"HEADLIGHTX", "lamp", {0, 30, 95}},
  };
}

TEST(VehicleLights, LightPartsByPrefixAndSize) {
  EXPECT_TRUE(PartNameStartsWith("headlight_2", "HEADLIGHT"));
  EXPECT_FALSE(PartNameStartsWith("HEADLIGH", "HEADLIGHT")) << "shorter than the prefix is never a light";
  EXPECT_FLOAT_EQ(LightPartSize(""), 1.0f);
  EXPECT_FLOAT_EQ(LightPartSize("2.5"), 2.5f);
  EXPECT_FLOAT_EQ(LightPartSize("lamp"), 0.0f);

  render::GlowTrailSystem glows(nullptr, nullptr, nullptr);
  VehicleLights lights;
  lights.LoadLights(&glows, Lamps());
  // Three headlights (two glows each) plus a tail glow per brake light.
  EXPECT_EQ(lights.headlightGlows.size(), 8u);
  EXPECT_EQ(lights.headlightPoints.size(), 8u);
  EXPECT_EQ(lights.brakeGlows.size(), 2u);
  EXPECT_EQ(lights.reverseGlows.size(), 1u);
  EXPECT_FLOAT_EQ(lights.headlightGlows[2]->scale, 2.0f);
  EXPECT_FLOAT_EQ(lights.brakeGlows[0]->scale, 1.5f);
  EXPECT_FLOAT_EQ(lights.headlightGlows[4]->scale, 0.75f) << "tail glow at half the brake light's size";
  EXPECT_FLOAT_EQ(lights.headlightGlows[6]->scale, 0.0f) << "a text size reads as 0";

  VehicleLights without;
  without.LoadLights(nullptr, Lamps());
  EXPECT_TRUE(without.headlightGlows.empty());
}

TEST(VehicleLights, SeenFromBehindBrakeLightsShineAndHeadlightsDoNot) {
  render::GlowTrailSystem glows(nullptr, nullptr, nullptr);
  VehicleLights lights;
  lights.LoadLights(&glows, Lamps());
  const Vec3 cameraLooksForward{0, 0, 1};  // behind the car, looking the way it faces
  lights.UpdateLightGlows(platform::IdentityMatrix(), {0, 0, 0}, cameraLooksForward, true, 1.0f, 3);
  const float brakeFacing = -platform::Dot(platform::Normalize(Vec3{-25, 35, -90}), cameraLooksForward);
  EXPECT_NEAR(lights.brakeGlows[0]->alpha, brakeFacing * 255.0f, 1e-3f);
  EXPECT_GT(lights.brakeGlows[0]->alpha, 200.0f);
  EXPECT_EQ(lights.headlightGlows[0]->alpha, 0.0f);
  EXPECT_TRUE(lights.headlightGlows[0]->visible);
}

TEST(VehicleLights, BrakeReverseAndHeadlightsSwitch) {
  render::GlowTrailSystem glows(nullptr, nullptr, nullptr);
  VehicleLights lights;
  lights.LoadLights(&glows, Lamps());
  const Matrix4 still = platform::IdentityMatrix();
  lights.UpdateLightGlows(still, {}, {0, 0, 1}, false, 0.1f, 2);
  EXPECT_FALSE(lights.brakeGlows[0]->visible) << "exactly 0.1 stays dark";
  EXPECT_FALSE(lights.reverseGlows[0]->visible);
  EXPECT_FALSE(lights.headlightGlows[0]->visible);
  lights.UpdateLightGlows(still, {}, {0, 0, 1}, true, -0.11f, kReverseGear);
  EXPECT_TRUE(lights.brakeGlows[1]->visible);
  EXPECT_TRUE(lights.reverseGlows[0]->visible);
  EXPECT_TRUE(lights.headlightGlows[5]->visible);
}

TEST(VehicleLights, GlowsAndExhaustsFollowTheTurnedBody) {
  render::GlowTrailSystem glows(nullptr, nullptr, nullptr);
  VehicleLights lights;
  lights.LoadLights(&glows, {{"REVERSELIGHT", "", {0, 35, -92}}});
  lights.exhaustPoints = {{-10, 5, -95}};
  const Matrix4 quarterTurn = platform::RotationYMatrix(3.14159265f / 2);
  lights.UpdateLightGlows(quarterTurn, {1000, 0, 500}, {1, 0, 0}, true, 0, 2);
  const Vec3 expected = platform::TransformNormal({0, 35, -92}, quarterTurn) + Vec3{1000, 0, 500};
  EXPECT_NEAR(lights.reverseGlows[0]->position.x, expected.x, 1e-3f);
  EXPECT_NEAR(lights.reverseGlows[0]->position.z, expected.z, 1e-3f);
  ASSERT_EQ(lights.exhaustWork.size(), 1u);
  const Vec3 exhaust = platform::TransformNormal({-10, 5, -95}, quarterTurn) + Vec3{1000, 0, 500};
  EXPECT_NEAR(lights.exhaustWork[0].x, exhaust.x, 1e-3f);
  EXPECT_NEAR(lights.exhaustWork[0].z, exhaust.z, 1e-3f);
}

TEST(VehicleLights, ClearingExpiresEveryGlow) {
  render::GlowTrailSystem glows(nullptr, nullptr, nullptr);
  VehicleLights lights;
  lights.LoadLights(&glows, Lamps());
  render::GlowPoint* head = lights.headlightGlows[0];
  render::GlowPoint* brake = lights.brakeGlows[0];
  lights.ClearLights();
  EXPECT_TRUE(head->expired);
  EXPECT_TRUE(brake->expired);
  EXPECT_TRUE(lights.headlightGlows.empty());
  EXPECT_TRUE(lights.brakePoints.empty());
  glows.UpdateGlowTrails(0.01f);  // frees them
}

TEST(VehicleLights, GroundTintIsTheMeanOfTheWheels) {
  const auto tint = MeanGroundTint({Vec3{1, 1, 1}, Vec3{1, 1, 1}, Vec3{0.2f, 0.4f, 0.6f}, Vec3{0.2f, 0.4f, 0.6f}});
  EXPECT_FLOAT_EQ(tint[0], 0.6f);
  EXPECT_FLOAT_EQ(tint[1], 0.7f);
  EXPECT_FLOAT_EQ(tint[2], 0.8f);
}

}  // namespace
}  // namespace vehicle
