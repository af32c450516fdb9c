// Tests of the presentation side hung on a car: surfaces and ground tint gathered after the collisions, the
// shadow draped under the car, sounds loaded from the shared folders and played by surface, landing and crash
// sounds, lights and exhausts on the body, and silence when the car goes.
#include "vehicle/vehicle_presentation.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/math/math.h"
#include "render/effects/glow_trails.h"
#include "vehicle/fake_sound_source.h"

namespace vehicle {
namespace {

using testing::FakeSoundSource;

class FlatWorld final : public VehicleWorld {
 public:
  void QueryWorldBox(const Vec3&, const Vec3&) override {}
  bool CastSphere(const Vec3& start, const Vec3& end, float, bool, SphereHit& hit) override {
    if (start.y < 0 || end.y > 0) return false;
    hit.contact = {start.x, 0, start.z};
    hit.normal = {0, 1, 0};
    return true;
  }
  int CountCarsNear(const Vec3&, float) const override { return 0; }
  void SpawnParticles(int type, const Vec3&, const Vec3&) override { particles.push_back(type); }
  std::vector<int> particles;
};

ChassisLayout Layout() {
  ChassisLayout layout;
  layout.tyrePositions[0] = {-30, 0, 60};
  layout.tyrePositions[1] = {30, 0, 60};
  layout.tyrePositions[2] = {-30, 0, -60};
  layout.tyrePositions[3] = {30, 0, -60};
  return layout;
}

class PresentationTest : public ::testing::Test {
 protected:
  PresentationTest() : car(nullptr, nullptr, "Tester", false) {
    car.folder = "CARS/TEST/";
    car.AssembleChassis(Layout());
    PresentationServices services;
    services.sounds = &sounds;
    services.random = [] { return 750; };
    auto owned = std::make_unique<VehiclePresentation>(car, services);
    presentation = owned.get();
    car.features = std::move(owned);
  }

  void StandOn(int surface, Vec3 colour) {
    for (auto& wheel : car.wheels) {
      wheel->onGround = true;
      wheel->surface = surface;
      wheel->groundColour = colour;
      wheel->velocity = {0, 0, 300};
      wheel->position = car.position + wheel->mountLocal;
    }
  }

  FakeSoundSource sounds;
  Vehicle car;
  VehiclePresentation* presentation = nullptr;
};

TEST_F(PresentationTest, LoadsTyreSoundsTwoFoldersAboveTheCar) {
  presentation->LoadSounds();
  EXPECT_NE(sounds.Find("CARS/TEST/../../SOUNDS/CARSOUNDS/paved.wav"), 0u);
  EXPECT_NE(sounds.Find("CARS/TEST/../../SOUNDS/CARSOUNDS/softtire.wav"), 0u);
  EXPECT_NE(sounds.Find("CARS/TEST/../../SOUNDS/CARSOUNDS/crash.wav"), 0u);
  EXPECT_EQ(sounds.Find("CARS/TEST/../../SOUNDS/CARSOUNDS/a.wav"), 0u) << "no engine, no engine sounds";
  car.features.reset();
  EXPECT_EQ(sounds.Held(), 0) << "every sample given back with the car";
}

TEST_F(PresentationTest, GathersSurfacesTintShadowAndDustAfterTheCollisions) {
  presentation->BuildShadow();
  ASSERT_NE(presentation->shadow, nullptr);
  EXPECT_FLOAT_EQ(presentation->shadow->width, 2 * car.collisionMax.x + kShadowSideMargin);
  car.position = {0, 10, 0};
  car.worldMatrix = platform::TranslationMatrix(car.position);
  StandOn(kSurfaceGrass, {0.5f, 0.5f, 0.5f});
  car.wheels[0]->groundColour = {1, 1, 1};
  car.wheels[3]->onGround = false;
  car.wheels[3]->surface = kSurfaceDirt;
  FlatWorld world;
  presentation->AfterCollisions(car, world, 0.01f);
  EXPECT_EQ(car.surfacesTouched[kSurfaceGrass], 1);
  EXPECT_EQ(car.surfacesTouched[kSurfaceDirt], 0) << "an airborne wheel touches nothing";
  EXPECT_FLOAT_EQ(car.groundTint[0], (1 + 0.5f * 3) / 4);
  EXPECT_EQ(world.particles, (std::vector<int>{4, 4, 4})) << "grass from the three grounded wheels";
  EXPECT_FLOAT_EQ(presentation->shadow->Vertices()[0].y, -10 + kShadowLift);
}

TEST_F(PresentationTest, PlayerHearsItsSurfaceAndLandings) {
  presentation->LoadSounds();
  car.isPlayer = true;
  car.velocity = {0, 0, 300};
  StandOn(kSurfaceGrass, {1, 1, 1});
  FlatWorld world;
  presentation->AfterCollisions(car, world, 0.01f);
  presentation->UpdateSounds(0.01f);
  const int rolling = presentation->Sounds()->rollChannels[kSurfaceGrass];
  EXPECT_NE(rolling, -1);

  car.wheels[1]->landing = 2;
  presentation->AfterCollisions(car, world, 0.01f);
  EXPECT_FLOAT_EQ(presentation->WheelEffectsOf(1)->timers[1], 1.0f) << "a medium landing";

  car.features.reset();
  EXPECT_FALSE(sounds.SampleMixer().IsPlaying(rolling)) << "the loops stop with the car; one-shots run out";
}

TEST_F(PresentationTest, ComputerCarMakesNoTyreSounds) {
  presentation->LoadSounds();
  car.velocity = {0, 0, 300};
  StandOn(kSurfaceGrass, {1, 1, 1});
  FlatWorld world;
  presentation->AfterCollisions(car, world, 0.01f);
  presentation->UpdateSounds(0.01f);
  EXPECT_EQ(sounds.SampleMixer().GetChannelsPlaying(), 0);
}

TEST_F(PresentationTest, LightsAndExhaustsRideOnTheBody) {
  render::GlowTrailSystem glows(nullptr, nullptr, nullptr);
  car.exhaustPartNames = {"exhaust_left", "NO_SUCH_PART"};
  presentation->LoadLights(&glows, {{"HEADLIGHT_L", "", {-20, 30, 90}},
                                    {"BRAKELIGHT_L", "", {-20, 30, -90}},
                                    {"EXHAUST_LEFT", "", {-15, 8, -95}}});
  ASSERT_EQ(presentation->lights.exhaustPoints.size(), 2u);
  EXPECT_EQ(presentation->lights.exhaustPoints[0], (Vec3{-15, 8, -95}));
  EXPECT_EQ(presentation->lights.exhaustPoints[1], (Vec3{0, 0, 0}));
  car.position = {100, 0, 0};
  car.wheels[kRearLeft]->brake = 0.5f;
  presentation->UpdateLightGlows({0, 0, 1});
  EXPECT_TRUE(presentation->lights.brakeGlows[0]->visible);
  EXPECT_FLOAT_EQ(presentation->lights.exhaustWork[0].x, 85.0f);
  render::GlowPoint* head = presentation->lights.headlightGlows[0];
  car.features.reset();
  EXPECT_TRUE(head->expired);
}

TEST_F(PresentationTest, SoundStepRunsDownTheCrashCooldowns) {
  presentation->LoadSounds();
  car.listenerDistance = 0;
  car.PlayCrashSound(0);
  ASSERT_GT(car.crashCooldowns[0], 0.0f);
  const float start = car.crashCooldowns[0];
  presentation->UpdateSounds(0.25f);
  EXPECT_FLOAT_EQ(car.crashCooldowns[0], start - 0.25f);
  for (int step = 0; step < 4; ++step) presentation->UpdateSounds(0.25f);
  EXPECT_LE(car.crashCooldowns[0], 0.0f) << "the same crash may sound again after its second";
}

}  // namespace
}  // namespace vehicle
