// Tests of whole cars driving on generated worlds: settling at ride height, pulling away, top speed, coasting,
// braking, steering, standing still in neutral, inert cars, determinism, hitting a wall or another car; and the
// body on its wheels: roll and weight transfer.
#include "vehicle/vehicle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "vehicle_fixture.h"

namespace {

using namespace vehicle_test;

constexpr float kMph = 17.6f;  // inches per second

class CarOnFlatGround : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    platform::CrtSeed(1);
    tree_ = FlatWorld("PAVE_TEST");
    world_ = std::make_unique<vehicle::TrackWorld>(*tree_);
    car_ = LoadCar(GetParam());
    ASSERT_TRUE(car_->CanDrive());
    world_->AddCar(car_.get());
    // At the origin: far out (350,000 inches) a float position steps by 1/32 inch, which swallows the first
    // hundredths of an inch a car moves when it pulls away gently.
    PlaceAt(*car_, *world_, {0, 30, 0});
  }
  std::unique_ptr<geometry::CollisionTree> tree_;
  std::unique_ptr<vehicle::TrackWorld> world_;
  std::unique_ptr<Vehicle> car_;
};

TEST_P(CarOnFlatGround, ReleasedAboveTheGroundSettlesAtRestAtItsRideHeight) {
  car_->SetTransform(car_->position + Vec3{0, 25, 0}, car_->rotation);
  Drive(*car_, *world_, 3, 0, 0);
  EXPECT_NEAR(car_->position.y, car_->GetRestHeight(), 0.5f);
  EXPECT_LT(car_->speedMph, 0.5f);
  EXPECT_TRUE(car_->AllWheelsOnGround());
  EXPECT_GT(car_->upAxis.y, 0.999f);
  EXPECT_FALSE(car_->IsTippedOver());
}

TEST_P(CarOnFlatGround, FullThrottleAcceleratesToAPlausibleTopSpeed) {
  Drive(*car_, *world_, 5, 1, 0);
  const float atFive = car_->speedMph;
  EXPECT_GT(atFive, 40);
  EXPECT_GT(car_->engine->Gear(), vehicle::kGearFirst);
  Drive(*car_, *world_, 45, 1, 0);
  const float atFifty = car_->speedMph;
  Drive(*car_, *world_, 10, 1, 0);
  EXPECT_GT(atFifty, atFive);
  EXPECT_GT(car_->speedMph, 80);
  EXPECT_LT(car_->speedMph, 250);
  EXPECT_NEAR(car_->speedMph, atFifty, 0.1f * atFifty);  // hardly gaining: top speed reached
  EXPECT_LE(car_->engine->engineRpm, car_->engine->redlineRpm * 1.1f);
  EXPECT_NEAR(car_->position.z, 0, 50);  // straight ahead
}

// Also what keeps undriven wheels under power out of the low-speed coasting damping: with it, the saloon and
// the coupe creep at about 1 mph on a tenth of the throttle and reach 12 mph in five seconds of full throttle.
TEST_P(CarOnFlatGround, LightThrottlePullsAwayAndMoreThrottlePullsHarder) {
  float lighter = 2;  // mph: a tenth of the throttle must do better than a crawl
  for (float throttle : {0.1f, 0.3f, 1.0f}) {
    PlaceAt(*car_, *world_, {0, 30, 0});
    Drive(*car_, *world_, 0.5f, 0, 0);
    Drive(*car_, *world_, 3, throttle, 0);
    EXPECT_GT(car_->speedMph, lighter + 1) << "throttle " << throttle;
    lighter = car_->speedMph;
  }
}

// Coasting also checks that undriven wheels add no grip along their travel: with it, a car rolling at 25 mph
// with the throttle shut speeds up to 29 mph.
TEST_P(CarOnFlatGround, ShutThrottleCoastsDownAndBrakingFromSpeedStops) {
  for (auto& wheel : car_->wheels) {
    wheel->velocity = car_->forwardAxis * (25 * kMph);
    wheel->spin = 25 * kMph / wheel->radius;
  }
  Drive(*car_, *world_, 5, 0, 0);
  EXPECT_LT(car_->speedMph, 23);
  Drive(*car_, *world_, 6, 1, 0);
  ASSERT_GT(car_->speedMph, 50);
  float slowest = car_->speedMph;
  for (int i = 0; i < 800 && slowest > 2; ++i) {
    Drive(*car_, *world_, 0.01f, 0, 1);
    slowest = std::min(slowest, car_->speedMph);
  }
  EXPECT_LE(slowest, 2);
}

TEST_P(CarOnFlatGround, SteeringRightTurnsTheHeadingRight) {
  Drive(*car_, *world_, 2, 0.6f, 0);
  Drive(*car_, *world_, 0.5f, 0.4f, 0, 1);
  // Heading +x, right is -z in car space terms (x right, z forward, y up).
  EXPECT_LT(car_->forwardAxis.z, -0.2f);
  EXPECT_LT(car_->position.z, -10);
}

INSTANTIATE_TEST_SUITE_P(SampleCars, CarOnFlatGround, ::testing::Values("BERLINE", "PICKUP", "COUPE", "ROADSTER"));

// A car in neutral, an inert car and a car without engine or wheels must each stay exactly where they are.
TEST(Vehicle, CarsThatCannotDriveStayPut) {
  auto tree = FlatWorld("PAVE_TEST");
  vehicle::TrackWorld world(*tree);
  auto neutral = LoadCar("COUPE");
  PlaceAt(*neutral, world, {0, 30, 0});
  neutral->engine->ForceGear(vehicle::kGearNeutral);
  Drive(*neutral, world, 0.5f, 0, 0);
  const Vec3 before = neutral->position;
  Drive(*neutral, world, 2, 0, 0);
  EXPECT_EQ(neutral->position, before);
  EXPECT_EQ(neutral->velocity, Vec3{});

  auto inert = LoadCar("COUPE", true);
  inert->SetTransform({0, 200, 0}, platform::IdentityMatrix());
  Drive(*inert, world, 1, 1, 0, 1);
  EXPECT_EQ(inert->position, (Vec3{0, 200, 0}));
  Vec3 centre, point, normal;
  EXPECT_FALSE(inert->HitTestSweptSphere({0, 500, 0}, {0, 0, 0}, 2, centre, point, normal));

  Vehicle bare(nullptr, nullptr, "Nobody", false);
  EXPECT_FALSE(bare.CanDrive());
  bare.Update(world, 0.01f);  // must not touch the missing parts
  EXPECT_EQ(bare.position, Vec3{});
}

// What the wheels stand on after each step: the surfaces under the wheels that touch the ground (an unknown
// surface as pavement) and the mean of the four ground colours, which tints the body.
TEST(Vehicle, TheWheelsOnTheGroundGiveTheSurfacesTouchedAndTheBodysTint) {
  auto car = LoadCar("BERLINE");
  const struct {
    const char* what;
    std::array<bool, 4> onGround;
    std::array<int, 4> surface;
    std::vector<int> touched;
  } cases[] = {
      {"grass on the left, dirt on the right", {true, true, true, true},
       {vehicle::kSurfaceGrass, vehicle::kSurfaceDirt, vehicle::kSurfaceGrass, vehicle::kSurfaceDirt},
       {vehicle::kSurfaceDirt, vehicle::kSurfaceGrass}},
      {"front wheels in the air over water", {false, false, true, true},
       {vehicle::kSurfaceWater, vehicle::kSurfaceWater, vehicle::kSurfaceCobble, vehicle::kSurfaceCobble},
       {vehicle::kSurfaceCobble}},
      {"a surface beyond the table", {true, false, false, false}, {99, 0, 0, 0}, {vehicle::kSurfacePave}},
      {"all four in the air", {false, false, false, false}, {1, 2, 3, 4}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (int i = 0; i < 4; ++i) {
      car->wheels[i]->onGround = c.onGround[i];
      car->wheels[i]->surface = c.surface[i];
    }
    car->UpdateSurfaces();
    std::vector<int> touched;
    for (int s = 0; s < vehicle::kSurfaceCount; ++s) {
      if (car->surfacesTouched[s] != 0) touched.push_back(s);
    }
    EXPECT_EQ(touched, c.touched);
  }
  const Vec3 colours[4] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0.5f}};
  for (int i = 0; i < 4; ++i) car->wheels[i]->groundColour = colours[i];
  car->UpdateGroundTint();
  EXPECT_FLOAT_EQ(car->groundTint[0], 0.5f);
  EXPECT_FLOAT_EQ(car->groundTint[1], 0.5f);
  EXPECT_FLOAT_EQ(car->groundTint[2], 0.375f);

  // The car's own step gathers them: on grass, only grass is touched.
  auto grass = FlatWorld("GRASS_FIELD");
  vehicle::TrackWorld world(*grass);
  PlaceAt(*car, world, {0, 30, 0});
  Drive(*car, world, 0.3f, 0.5f, 0);
  std::vector<int> touched;
  for (int s = 0; s < vehicle::kSurfaceCount; ++s) {
    if (car->surfacesTouched[s] != 0) touched.push_back(s);
  }
  EXPECT_EQ(touched, std::vector<int>{vehicle::kSurfaceGrass});
}

TEST(Vehicle, SameInputsGiveTheSameDriveOnTheCircuit) {
  auto run = [] {
    platform::CrtSeed(7);
    vehicle::TrackWorld world(CityTree());
    auto car = LoadCar("ROADSTER");
    world.AddCar(car.get());
    PlaceOnCircuit(*car, world, 200);
    for (int i = 0; i < 600; ++i) {
      const float steer = std::sin(i * 0.02f) * 0.5f;
      car->SetControls(i < 400 ? 1.0f : 0.0f, i < 400 ? 0.0f : 1.0f, i > 500, false, steer, false, false);
      car->Update(world, 0.01f);
    }
    return std::make_pair(car->position, car->velocity);
  };
  const auto first = run(), second = run();
  EXPECT_EQ(first.first, second.first);
  EXPECT_EQ(first.second, second.second);
  EXPECT_GT(platform::Length(first.first - contentgen::test_world::CentreAt(200)), 500);
}

// The hull never ends up through the wall, and the impact shakes the car and wipes its stunts. What a crash
// shows, sounds and dents like in a race is tested through the race (race_effects_test).
TEST(VehicleCollision, FullThrottleIntoAWallStopsTheCarWithoutLettingItThrough) {
  platform::CrtSeed(5);
  auto tree = FlatWorld("PAVE_TEST", 20000, 1500);
  vehicle::TrackWorld world(*tree);
  auto car = LoadCar("COUPE");
  PlaceAt(*car, world, {0, 30, 0});
  car->SetPlayerFlag(true);
  float maxShake = 0, fastest = 0;
  for (int i = 0; i < 500; ++i) {
    Drive(*car, world, 0.01f, 1, 0);
    maxShake = std::max(maxShake, car->shake);
    fastest = std::max(fastest, car->speedMph);
    ASSERT_LT(car->position.x + car->FrontExtent() * 0.9f, 1500) << "step " << i;
  }
  EXPECT_GT(fastest, 40);
  EXPECT_LT(car->speedMph, 15);
  EXPECT_GT(maxShake, 0);
  EXPECT_LT(car->stunts->sinceCrash, 5.0f);
}

TEST(VehicleCollision, CarsHoldEachOtherBackButNotWhileRespawning) {
  auto tree = FlatWorld("PAVE_TEST", 20000);
  vehicle::TrackWorld world(*tree);
  auto parked = LoadCar("PICKUP");
  auto mover = LoadCar("COUPE");
  world.AddCar(parked.get());
  world.AddCar(mover.get());
  PlaceAt(*parked, world, {600, 30, 0});
  PlaceAt(*mover, world, {0, 30, 0});
  for (int i = 0; i < 300; ++i) {
    Drive(*mover, world, 0.01f, 1, 0);
    Drive(*parked, world, 0.01f, 0, 0);
  }
  EXPECT_LT(mover->position.x + mover->FrontExtent(), parked->position.x - parked->FrontExtent() + 20);
  PlaceAt(*mover, world, {0, 30, 0});
  mover->respawning = true;
  Drive(*mover, world, 2.9f, 1, 0);
  EXPECT_TRUE(mover->respawning);
  EXPECT_GT(mover->position.x, parked->position.x + 100);
}

// A coupe assembled but not placed, with its wheels put where a test wants them.
std::unique_ptr<Vehicle> Assembled() {
  auto car = LoadCar("COUPE");
  car->SetTransform({0, 100, 0}, platform::IdentityMatrix());
  return car;
}

TEST(BodyDynamics, LevelWheelsGiveALevelBodyAndRaisedRightWheelsRollIt) {
  auto car = Assembled();
  car->PlaceBodyOnWheels();
  EXPECT_NEAR(car->upAxis.y, 1.0f, 1e-5f);
  EXPECT_NEAR(car->position.y, 100.0f, 1e-3f);
  car->wheels[vehicle::kFrontRight]->position.y += 10;
  car->wheels[vehicle::kRearRight]->position.y += 10;
  car->PlaceBodyOnWheels();
  EXPECT_LT(car->upAxis.x, -0.1f);  // the right side up: the up axis leans left
  EXPECT_NEAR(car->rightAxis.y, 10 / std::sqrt(60.0f * 60 + 100), 1e-3f);
}

TEST(BodyDynamics, BrakingMovesLoadForwardWithinItsLimitsAndNonFiniteAccelerationIsIgnored) {
  auto car = Assembled();
  car->localAcceleration = {0, 0, -5000};  // hard braking
  car->ApplyWeightTransfer(0.01f);
  EXPECT_FLOAT_EQ(car->wheels[vehicle::kRearLeft]->load, 0.1f);
  EXPECT_FLOAT_EQ(car->wheels[vehicle::kFrontRight]->load, 1.0f);
  car->localAcceleration = {0, 0, 0.0001f};  // no transfer at the threshold
  car->ApplyWeightTransfer(0.01f);
  EXPECT_FLOAT_EQ(car->frontLoad, std::min(2 * car->frontShare, 1.0f));

  car->previousLocalVelocity = {0, 0, 0};
  car->localVelocity = {NAN, 1, INFINITY};
  car->UpdateLocalAcceleration(0.01f);
  EXPECT_EQ(car->localAcceleration.x, 0.0f);
  EXPECT_FLOAT_EQ(car->localAcceleration.y, 100.0f);
  EXPECT_EQ(car->localAcceleration.z, 0.0f);
}

}  // namespace
