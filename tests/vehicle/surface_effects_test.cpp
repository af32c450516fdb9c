// Tests of what the ground throws back: wheel particles by surface and speed, nitrous flames at the exhausts,
// and the controller's surface effect that follows the ground and fades after it.
#include "vehicle/surface_effects.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "vehicle_fixture.h"

namespace vehicle {
namespace {

using platform::Vec3;

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

std::array<uint8_t, kSurfaceCount> On(int surface) {
  std::array<uint8_t, kSurfaceCount> touched{};
  touched[surface] = 1;
  return touched;
}

TEST(SurfaceEffects, RoadEffectFollowsTheSurfaceFadesAfterItAndStopsWithTheRace) {
  testing::RecordingForceFeedback controller;
  SurfaceForceFeedback feedback(&controller);
  feedback.Start();
  EXPECT_TRUE(controller.IsPlaying(kEngineRumbleEffect));
  feedback.Update(0.01f, 40, On(kSurfaceGrass), false, 1000, 6000, false);
  EXPECT_TRUE(controller.IsPlaying(6));
  EXPECT_FALSE(controller.IsPlaying(10)) << "no skid effect without a sliding wheel";
  // Pavement at 10 mph: half strength times its factor 0.25; grass fades out within 0.2 s and stops.
  for (int i = 0; i < 20; ++i) feedback.Update(0.01f, 10, On(kSurfacePave), false, 1000, 6000, false);
  EXPECT_EQ(controller.gains[11], 1250);
  EXPECT_FALSE(controller.IsPlaying(6));
  // A slide on water drives its skid effect, which shares a number with the car row's silent road state.
  feedback.Update(0.01f, 40, On(kSurfaceWater), true, 1000, 6000, false);
  feedback.Update(0.01f, 40, On(kSurfaceWater), true, 1000, 6000, false);
  EXPECT_TRUE(controller.IsPlaying(13));
  feedback.Stop();
  EXPECT_EQ(controller.calls.back(), "stop all");
  for (float state : feedback.roadEffectStates) EXPECT_EQ(state, 0.0f);
}

}  // namespace
}  // namespace vehicle
