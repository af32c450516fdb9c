// Tests of what the ground throws back: wheel particles by surface and speed, nitrous flames at the exhausts,
// and the controller's surface effects and engine rumble.
#include "vehicle/surface_effects.h"

#include <gtest/gtest.h>

#include <vector>

#include "vehicle/fake_force_feedback.h"

namespace vehicle {
namespace {

using platform::Vec3;
using testing::RecordingForceFeedback;

struct Burst {
  int type;
  Vec3 position;
  Vec3 velocity;
};

class RecordingWorld final : public VehicleWorld {
 public:
  void QueryWorldBox(const Vec3&, const Vec3&) override {}
  bool CastSphere(const Vec3&, const Vec3&, float, bool, SphereHit&) override { return false; }
  int CountCarsNear(const Vec3&, float) const override { return 0; }
  void SpawnParticles(int type, const Vec3& position, const Vec3& velocity) override {
    bursts.push_back({type, position, velocity});
  }
  std::vector<Burst> bursts;
};

WheelDust Wheel(int surface, float speed, bool skidding = false) {
  WheelDust wheel;
  wheel.onGround = true;
  wheel.skidding = skidding;
  wheel.surface = surface;
  wheel.position = {10, 12, 20};
  wheel.radius = 12;
  wheel.velocity = {0, 0, speed};
  return wheel;
}

// A generator that always answers 750: every spread is 750 / 500 − 1 = 0.5.
int Fixed() { return 750; }

TEST(SurfaceEffects, WheelsThrowTheirSurfacesParticlesAboveWalkingPace) {
  RecordingWorld world;
  EmitWheelParticles(world, {Wheel(kSurfaceGrass, 40)}, false, {}, {}, Fixed);
  EXPECT_TRUE(world.bursts.empty()) << "40 in/s is not fast enough";
  EmitWheelParticles(world, {Wheel(kSurfaceGrass, 41)}, false, {}, {}, Fixed);
  ASSERT_EQ(world.bursts.size(), 1u);
  EXPECT_EQ(world.bursts[0].type, 4);
  EXPECT_EQ(world.bursts[0].position, (Vec3{10, 0, 20})) << "at the contact patch";
  EXPECT_EQ(world.bursts[0].velocity, (Vec3{0.5f, 0, 0.5f}));

  world.bursts.clear();
  EmitWheelParticles(world, {Wheel(kSurfacePave, 300)}, false, {}, {}, Fixed);
  EXPECT_TRUE(world.bursts.empty()) << "rolling on pavement raises nothing";
  EmitWheelParticles(world, {Wheel(kSurfacePave, 300, true)}, false, {}, {}, Fixed);
  ASSERT_EQ(world.bursts.size(), 1u);
  EXPECT_EQ(world.bursts[0].type, kParticleSmoke);

  world.bursts.clear();
  EmitWheelParticles(world, {Wheel(kSurfaceElectric, 300, true)}, false, {}, {}, Fixed);
  ASSERT_EQ(world.bursts.size(), 2u) << "sparks rolling and sliding";
  EXPECT_EQ(world.bursts[0].type, 7);
  EXPECT_EQ(world.bursts[1].type, 7);

  world.bursts.clear();
  WheelDust airborne = Wheel(kSurfaceDirt, 300);
  airborne.onGround = false;
  EmitWheelParticles(world, {airborne, Wheel(99, 300, true)}, false, {}, {}, Fixed);
  ASSERT_EQ(world.bursts.size(), 1u) << "an unknown surface counts as pavement";
  EXPECT_EQ(world.bursts[0].type, kParticleSmoke);
}

TEST(SurfaceEffects, NitrousFlamesAtEveryExhaust) {
  RecordingWorld world;
  const std::vector<Vec3> exhausts = {{-10, 5, -90}, {10, 5, -90}};
  EmitWheelParticles(world, {}, false, exhausts, {0, 0, 1000}, Fixed);
  EXPECT_TRUE(world.bursts.empty());
  EmitWheelParticles(world, {}, true, exhausts, {0, 0, 1000}, Fixed);
  ASSERT_EQ(world.bursts.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(world.bursts[i].type, kFlameParticle);
    EXPECT_EQ(world.bursts[i].position, exhausts[i]);
    EXPECT_EQ(world.bursts[i].velocity, (Vec3{5, 0, 905}));
  }
}

std::array<uint8_t, kSurfaceCount> On(int surface) {
  std::array<uint8_t, kSurfaceCount> touched{};
  touched[surface] = 1;
  return touched;
}

TEST(SurfaceEffects, StartRunsTheEngineRumbleAndStopSilencesEverything) {
  RecordingForceFeedback controller;
  SurfaceForceFeedback feedback(&controller);
  feedback.Start();
  EXPECT_TRUE(feedback.running);
  EXPECT_EQ(controller.calls.front(), "stop all");
  EXPECT_TRUE(controller.IsPlaying(kEngineRumbleEffect));
  EXPECT_EQ(controller.lastIterations[kEngineRumbleEffect], 0) << "looping";

  feedback.Update(0.01f, 0, {}, false, 6000, 6000, false);
  EXPECT_EQ(controller.gains[kEngineRumbleEffect], 10000);
  feedback.Update(0.01f, 0, {}, false, 3000, 6000, false);
  EXPECT_EQ(controller.gains[kEngineRumbleEffect], 5500);
  feedback.Update(0.01f, 0, {}, false, 3000, 6000, true);
  EXPECT_EQ(controller.gains[kEngineRumbleEffect], 10000) << "doubled under nitrous, capped at full";

  feedback.Update(0.01f, 40, On(kSurfaceGrass), false, 3000, 6000, false);
  feedback.Stop();
  EXPECT_FALSE(feedback.running);
  EXPECT_EQ(controller.calls.back(), "stop all");
  for (float state : feedback.roadEffectStates) EXPECT_EQ(state, 0.0f);

  SurfaceForceFeedback none;
  none.Start();
  none.Update(0.01f, 40, On(kSurfaceGrass), true, 3000, 6000, false);
  none.Stop();
  EXPECT_FALSE(none.running);
}

TEST(SurfaceEffects, RoadEffectFollowsTheSurfaceAndFadesAfterIt) {
  RecordingForceFeedback controller;
  SurfaceForceFeedback feedback(&controller);
  feedback.Start();
  feedback.Update(0.01f, 40, On(kSurfaceGrass), false, 1000, 6000, false);
  EXPECT_TRUE(controller.IsPlaying(6));
  EXPECT_EQ(controller.gains[6], 10000);
  EXPECT_FALSE(controller.IsPlaying(10)) << "no skid effect without a sliding wheel";

  // Pavement at 10 mph: half strength times its factor 0.25.
  feedback.Update(0.01f, 10, On(kSurfacePave), false, 1000, 6000, false);
  EXPECT_EQ(controller.gains[11], 1250);
  EXPECT_FLOAT_EQ(feedback.roadEffectStates[kSurfaceGrass], 1.0f - 0.05f) << "grass fades at 5 per second";
  for (int i = 0; i < 19; ++i) feedback.Update(0.01f, 10, On(kSurfacePave), false, 1000, 6000, false);
  EXPECT_FALSE(controller.IsPlaying(6)) << "faded out within 0.2 s and stopped";
  EXPECT_TRUE(controller.IsPlaying(11));

  // A slide on water drives its skid effect, which shares a number with the car row.
  feedback.Update(0.01f, 40, On(kSurfaceWater), true, 1000, 6000, false);
  EXPECT_TRUE(controller.IsPlaying(13));
  EXPECT_EQ(controller.gains[13], 10000);
  feedback.Update(0.01f, 40, On(kSurfaceWater), true, 1000, 6000, false);
  EXPECT_TRUE(controller.IsPlaying(13)) << "the car row's silent road state does not stop it";

  // Touching another car drives nothing.
  SurfaceForceFeedback cars(&controller);
  cars.Start();
  cars.Update(0.01f, 40, On(kSurfaceVehicle), true, 1000, 6000, false);
  EXPECT_FALSE(controller.IsPlaying(13));
}

}  // namespace
}  // namespace vehicle
