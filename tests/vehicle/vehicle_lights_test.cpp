// Tests of a car's lights: which body parts make glows, brake, reverse and head lights switching, glows
// brightest toward the camera, and every glow expired when the lights are cleared.
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
      {"DRIVER", "driver.mdl", {0, 20, 0}},
  };
}

TEST(VehicleLights, LightPartsMakeGlowsThatSwitchWithBrakeReverseAndHeadlights) {
  render::GlowTrailSystem glows(nullptr, nullptr, nullptr);
  VehicleLights lights;
  lights.LoadLights(&glows, Lamps());
  // Two headlights of two glows each plus a tail glow per brake light; "HEADLIGH" is too short to be one.
  ASSERT_EQ(lights.headlightGlows.size(), 6u);
  ASSERT_EQ(lights.brakeGlows.size(), 2u);
  ASSERT_EQ(lights.reverseGlows.size(), 1u);
  EXPECT_FLOAT_EQ(lights.headlightGlows[2]->scale, 2.0f);
  EXPECT_FLOAT_EQ(lights.headlightGlows[4]->scale, 0.75f) << "tail glow at half the brake light's size";

  const Matrix4 still = platform::IdentityMatrix();
  lights.UpdateLightGlows(still, {}, {0, 0, 1}, false, 0.1f, 2);
  EXPECT_FALSE(lights.brakeGlows[0]->visible) << "exactly 0.1 stays dark";
  EXPECT_FALSE(lights.reverseGlows[0]->visible);
  EXPECT_FALSE(lights.headlightGlows[0]->visible);
  lights.UpdateLightGlows(still, {}, {0, 0, 1}, true, -0.11f, kReverseGear);
  EXPECT_TRUE(lights.brakeGlows[1]->visible);
  EXPECT_TRUE(lights.reverseGlows[0]->visible);
  EXPECT_TRUE(lights.headlightGlows[5]->visible);
  // Seen from behind, the brake lights shine and the headlights do not.
  EXPECT_GT(lights.brakeGlows[0]->alpha, 200.0f);
  EXPECT_EQ(lights.headlightGlows[0]->alpha, 0.0f);

  render::GlowPoint* head = lights.headlightGlows[0];
  lights.ClearLights();
  EXPECT_TRUE(head->expired);
  EXPECT_TRUE(lights.headlightGlows.empty());
  glows.UpdateGlowTrails(0.01f);  // frees them
}

}  // namespace
}  // namespace vehicle
