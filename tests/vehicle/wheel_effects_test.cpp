// Tests of what wheels and the ground give back: impact sounds for the player's wheels with their lock-out,
// capped controller jolts, skid-mark strips at the tyre's outer edge that follow the surface under a sliding
// tyre, particles by surface and speed, nitrous flames at the exhausts.
#include "vehicle/wheel_effects.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/math/math.h"
#include "render/effects/skidmark_manager.h"
#include "vehicle/surface_effects.h"
#include "vehicle_fixture.h"

namespace vehicle {
namespace {

using platform::Vec3;

WheelContact Sliding(int surface, float mountX = -30) {
  WheelContact wheel;
  wheel.skidding = wheel.onGround = true;
  wheel.surface = surface;
  wheel.position = {100, 12, 50};
  wheel.mountX = mountX;
  wheel.width = 8;
  wheel.radius = 12;
  wheel.orientation = platform::IdentityMatrix();
  return wheel;
}

TEST(WheelEffects, OnlyThePlayersWheelsSoundAndEachSoundLocksOutForASecond) {
  testing::FakeSoundSource sounds;
  WheelEffects wheel(sounds);
  wheel.LoadSounds("SOUNDS/CARSOUNDS/");
  EXPECT_FALSE(wheel.PlaySound(1)) << "a computer car's wheel is silent";
  wheel.audible = true;
  ASSERT_TRUE(wheel.PlaySound(1));
  EXPECT_FALSE(wheel.PlaySound(1)) << "locked out";
  EXPECT_TRUE(wheel.PlaySound(0)) << "each sound has its own lock-out";
  wheel.UpdateSoundTimers(0.6f);
  wheel.UpdateSoundTimers(0.6f);
  EXPECT_TRUE(wheel.PlaySound(1));
  wheel.listenerDistance = 995;
  EXPECT_FALSE(wheel.PlaySound(2)) << "too far to hear";
  EXPECT_EQ(wheel.timers[2], 0.0f) << "and no lock-out taken";
}

TEST(WheelEffects, JoltIsCappedAndNeedsAController) {
  testing::FakeSoundSource sounds;
  WheelEffects wheel(sounds);
  wheel.ForceFeedbackJolt(500);  // no controller: nothing to do
  testing::RecordingForceFeedback controller;
  wheel.forceFeedback = &controller;
  wheel.ForceFeedbackJolt(20000);
  EXPECT_TRUE(controller.IsPlaying(kJoltEffect));
  EXPECT_EQ(controller.lastIterations[kJoltEffect], 1);
  EXPECT_EQ(controller.gains[kJoltEffect], 10000);
  wheel.ForceFeedbackJolt(1234.9f);
  EXPECT_EQ(controller.gains[kJoltEffect], 1234);
}

TEST(WheelEffects, SkidStripLiesAtTheOuterEdgeAndFollowsTheSurfaceUnderTheTyre) {
  for (const auto& [mountX, x] : {std::pair{-30.0f, 96.0f}, {30.0f, 104.0f}, {0.0f, 100.0f}}) {
    EXPECT_EQ(SkidMarkPoint(Sliding(kSurfacePave, mountX)), (Vec3{x, 0, 50})) << mountX;
  }
  testing::NullDeviceFixture fixture;
  testing::FakeSoundSource sounds;
  render::SkidmarkManager marks;
  WheelEffects wheel(sounds);
  wheel.UpdateSkidmark(fixture.device, &marks, Sliding(kSurfacePave), 0.01f);
  render::SkidmarkSegment* pavement = wheel.skidSegment;
  ASSERT_NE(pavement, nullptr);
  EXPECT_EQ(pavement->style, 1);
  wheel.UpdateSkidmark(fixture.device, &marks, Sliding(kSurfacePave), 0.01f);
  EXPECT_EQ(wheel.skidSegment, pavement) << "the same strip grows";
  wheel.UpdateSkidmark(fixture.device, &marks, Sliding(kSurfaceDirt), 0.01f);
  EXPECT_FALSE(pavement->open);
  ASSERT_NE(wheel.skidSegment, nullptr);
  EXPECT_EQ(wheel.skidSegment->style, 2);
  wheel.UpdateSkidmark(fixture.device, &marks, Sliding(kSurfaceWater), 0.01f);
  EXPECT_EQ(wheel.skidSegment, nullptr) << "water leaves no mark";
  wheel.UpdateSkidmark(fixture.device, &marks, Sliding(99), 0.01f);
  ASSERT_NE(wheel.skidSegment, nullptr);
  EXPECT_EQ(wheel.skidSegment->style, 1) << "a surface id beyond the table counts as pavement";
  WheelContact gripping = Sliding(kSurfaceGrass);
  gripping.skidding = false;
  wheel.UpdateSkidmark(fixture.device, &marks, gripping, 0.01f);
  EXPECT_EQ(wheel.skidSegment, nullptr);

  marks.capacity = 0;  // no room: no strip, tried again the next frame
  wheel.UpdateSkidmark(fixture.device, &marks, Sliding(kSurfacePave), 0.01f);
  EXPECT_EQ(wheel.skidSegment, nullptr);
  marks.capacity = 10;
  wheel.UpdateSkidmark(fixture.device, &marks, Sliding(kSurfacePave), 0.01f);
  EXPECT_NE(wheel.skidSegment, nullptr);
}

class RecordingWorld final : public VehicleWorld {
 public:
  void QueryWorldBox(const Vec3&, const Vec3&) override {}
  bool CastSphere(const Vec3&, const Vec3&, float, bool, SphereHit&) override { return false; }
  int CountCarsNear(const Vec3&, float) const override { return 0; }
  void SpawnParticles(int type, const Vec3& position, const Vec3&) override {
    types.push_back(type);
    positions.push_back(position);
  }
  std::vector<int> types;
  std::vector<Vec3> positions;
};

WheelDust Wheel(int surface, float speed, bool skidding = false, bool onGround = true) {
  WheelDust wheel;
  wheel.onGround = onGround;
  wheel.skidding = skidding;
  wheel.surface = surface;
  wheel.position = {10, 12, 20};
  wheel.radius = 12;
  wheel.velocity = {0, 0, speed};
  return wheel;
}

TEST(SurfaceEffects, WheelsThrowTheirSurfacesParticlesAboveWalkingPaceAndNitrousFlamesAtTheExhausts) {
  struct Case {
    const char* label;
    WheelDust wheel;
    std::vector<int> types;
  } const cases[] = {
      {"grass at walking pace", Wheel(kSurfaceGrass, 40), {}},
      {"grass above it", Wheel(kSurfaceGrass, 41), {4}},
      {"rolling on pavement", Wheel(kSurfacePave, 300), {}},
      {"sliding on pavement", Wheel(kSurfacePave, 300, true), {kParticleSmoke}},
      {"sparks rolling and sliding", Wheel(kSurfaceElectric, 300, true), {7, 7}},
      {"airborne", Wheel(kSurfaceDirt, 300, false, false), {}},
      {"unknown surface as pavement", Wheel(99, 300, true), {kParticleSmoke}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    RecordingWorld world;
    EmitWheelParticles(world, {c.wheel}, false, {}, {}, [] { return 750; });
    EXPECT_EQ(world.types, c.types);
    if (c.types == std::vector<int>{4}) {
      EXPECT_EQ(world.positions[0], (Vec3{10, 0, 20})) << "at the contact patch";
    }
  }
  const std::vector<Vec3> exhausts = {{-10, 5, -90}, {10, 5, -90}};
  RecordingWorld world;
  EmitWheelParticles(world, {}, false, exhausts, {0, 0, 1000}, [] { return 750; });
  EXPECT_TRUE(world.types.empty());
  EmitWheelParticles(world, {}, true, exhausts, {0, 0, 1000}, [] { return 750; });
  EXPECT_EQ(world.types, (std::vector<int>{kFlameParticle, kFlameParticle}));
  EXPECT_EQ(world.positions, exhausts);
}

}  // namespace
}  // namespace vehicle
