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

// A world that keeps skid marks, as a race does.
class MarkingWorld final : public VehicleWorld {
 public:
  explicit MarkingWorld(render::SkidmarkManager& marks) : marks_(marks) {}
  void QueryWorldBox(const Vec3&, const Vec3&) override {}
  bool CastSphere(const Vec3&, const Vec3&, float, bool, SphereHit&) override { return false; }
  int CountCarsNear(const Vec3&, float) const override { return 0; }
  render::SkidmarkSegment* AddSkidSegment(platform::gfx::Device* device, const Vec3& point,
                                          const platform::Matrix4& orientation, int style, float width) override {
    return marks_.AddSegment(device, point, orientation, style, width);
  }

 private:
  render::SkidmarkManager& marks_;
};

TEST(WheelEffects, SkidStripLiesAtTheOuterEdgeAndFollowsTheSurfaceUnderTheTyre) {
  for (const auto& [mountX, x] : {std::pair{-30.0f, 96.0f}, {30.0f, 104.0f}, {0.0f, 100.0f}}) {
    EXPECT_EQ(SkidMarkPoint(Sliding(kSurfacePave, mountX)), (Vec3{x, 0, 50})) << mountX;
  }
  testing::NullDeviceFixture fixture;
  testing::FakeSoundSource sounds;
  render::SkidmarkManager marks;
  MarkingWorld world(marks);
  WheelEffects wheel(sounds);
  wheel.UpdateSkidmark(fixture.device, &world, Sliding(kSurfacePave), 0.01f);
  render::SkidmarkSegment* pavement = wheel.skidSegment;
  ASSERT_NE(pavement, nullptr);
  EXPECT_EQ(pavement->style, 1);
  wheel.UpdateSkidmark(fixture.device, &world, Sliding(kSurfacePave), 0.01f);
  EXPECT_EQ(wheel.skidSegment, pavement) << "the same strip grows";
  wheel.UpdateSkidmark(fixture.device, &world, Sliding(kSurfaceDirt), 0.01f);
  EXPECT_FALSE(pavement->open);
  ASSERT_NE(wheel.skidSegment, nullptr);
  EXPECT_EQ(wheel.skidSegment->style, 2);
  wheel.UpdateSkidmark(fixture.device, &world, Sliding(kSurfaceWater), 0.01f);
  EXPECT_EQ(wheel.skidSegment, nullptr) << "water leaves no mark";
  wheel.UpdateSkidmark(fixture.device, &world, Sliding(99), 0.01f);
  ASSERT_NE(wheel.skidSegment, nullptr);
  EXPECT_EQ(wheel.skidSegment->style, 1) << "a surface id beyond the table counts as pavement";
  WheelContact gripping = Sliding(kSurfaceGrass);
  gripping.skidding = false;
  wheel.UpdateSkidmark(fixture.device, &world, gripping, 0.01f);
  EXPECT_EQ(wheel.skidSegment, nullptr);

  marks.capacity = 0;  // no room: no strip, tried again the next frame
  wheel.UpdateSkidmark(fixture.device, &world, Sliding(kSurfacePave), 0.01f);
  EXPECT_EQ(wheel.skidSegment, nullptr);
  marks.capacity = 10;
  wheel.UpdateSkidmark(fixture.device, &world, Sliding(kSurfacePave), 0.01f);
  EXPECT_NE(wheel.skidSegment, nullptr);
  // A world that keeps no marks gives no strip; without a world the open strip is closed.
  render::SkidmarkSegment* open = wheel.skidSegment;
  RecordingWorld unmarked;
  wheel.UpdateSkidmark(fixture.device, nullptr, Sliding(kSurfacePave), 0.01f);
  EXPECT_FALSE(open->open);
  EXPECT_EQ(wheel.skidSegment, nullptr);
  wheel.UpdateSkidmark(fixture.device, &unmarked, Sliding(kSurfacePave), 0.01f);
  EXPECT_EQ(wheel.skidSegment, nullptr);
}

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


// The player's controller through a drive: each frame the skid effects, then the road effects with the engine's
// rumble, as the car's sound step runs them. Effects ramp in at 500 a second and fade at 5 a second.
TEST(SurfaceEffects, TheControllerFeelsTheGroundUnderTheWheelsAndTheEngine) {
  testing::RecordingForceFeedback controller;
  SurfaceForceFeedback feel(&controller);
  feel.Start();
  constexpr int kGrassRoad = 6, kPaveRoad = 11, kSkid = 10, kNoDrive = 13;
  const struct Step {
    const char* what;
    int surface;  // under the wheels; -1 in the air
    bool skidding;
    float mph, rpm;
    bool nitrous;
    int frames;                            // of 0.01 s
    std::vector<std::pair<int, int>> gains;  // effect, gain; 0 for an effect that must not play
  } steps[] = {
      {"rolling on grass at 40 mph", kSurfaceGrass, false, 40, 3000, false, 1,
       {{kGrassRoad, 10000}, {kSkid, 0}, {kPaveRoad, 0}}},
      {"sliding on pavement at 10 mph", kSurfacePave, true, 10, 3000, false, 1,
       {{kGrassRoad, 9500}, {kSkid, 1250}, {kPaveRoad, 1250}}},
      {"in the air, everything fades", -1, false, 10, 3000, false, 20, {{kGrassRoad, 0}, {kSkid, 0}, {kPaveRoad, 0}}},
      {"a no-drive wall is never felt", kSurfaceNoDrive, true, 40, 3000, false, 5, {{kNoDrive, 0}, {kSkid, 0}}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    std::array<uint8_t, kSurfaceCount> touched{};
    if (step.surface >= 0) touched[step.surface] = 1;
    for (int i = 0; i < step.frames; ++i) {
      feel.UpdateSkidEffects(0.01f, step.mph, touched, step.skidding);
      feel.UpdateRoadEffects(0.01f, step.mph, touched, step.rpm, 6000, step.nitrous);
    }
    for (const auto& [effect, gain] : step.gains) {
      EXPECT_EQ(controller.IsPlaying(effect), gain > 0) << "effect " << effect;
      if (gain > 0) EXPECT_NEAR(controller.gains[effect], gain, 1) << "effect " << effect;
    }
    EXPECT_NEAR(controller.gains[kEngineRumbleEffect], 5500, 1) << "half the redline";
  }
  // Idling, then on nitrous: 0.4 of full, doubled.
  const std::array<uint8_t, kSurfaceCount> none{};
  for (const auto& [nitrous, gain] : {std::pair{false, 4000}, {true, 8000}}) {
    feel.UpdateSkidEffects(0.01f, 0, none, false);
    feel.UpdateRoadEffects(0.01f, 0, none, 0, 6000, nitrous);
    EXPECT_NEAR(controller.gains[kEngineRumbleEffect], gain, 1) << (nitrous ? "nitrous" : "idle");
  }
  // Stopped, nothing more reaches the controller.
  feel.Stop();
  controller.gains.clear();
  std::array<uint8_t, kSurfaceCount> grass{};
  grass[kSurfaceGrass] = 1;
  feel.UpdateSkidEffects(0.01f, 40, grass, true);
  feel.UpdateRoadEffects(0.01f, 40, grass, 3000, 6000, false);
  EXPECT_TRUE(controller.gains.empty());
}

}  // namespace
}  // namespace vehicle
