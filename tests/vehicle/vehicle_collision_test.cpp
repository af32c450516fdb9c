// Tests of the car's collision response: a wall stops the car without letting it through, crash sounds wait
// their cooldown, a car holds another back unless it is respawning. What a crash shows, sounds and dents like
// in a race is tested through the race (race_effects_test).
#include <gtest/gtest.h>

#include <vector>

#include "vehicle/vehicle.h"
#include "vehicle_fixture.h"

namespace {

using namespace vehicle_test;

// Records the crash sounds the car asks for.
class RecordingFeatures : public vehicle::VehicleFeatures {
 public:
  void PlayCrashSound(Vehicle&, int kind, int volume) override { sounds.push_back({kind, volume}); }
  std::vector<std::pair<int, int>> sounds;
};

class CarAndWall : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::CrtSeed(5);
    tree_ = FlatWorld("PAVE_TEST", 20000, 1500);
    world_ = std::make_unique<vehicle::TrackWorld>(*tree_);
    car_ = LoadCar("COUPE");
    auto features = std::make_unique<RecordingFeatures>();
    features_ = features.get();
    car_->features = std::move(features);
    PlaceAt(*car_, *world_, {0, 30, 0});
  }
  std::unique_ptr<geometry::CollisionTree> tree_;
  std::unique_ptr<vehicle::TrackWorld> world_;
  std::unique_ptr<Vehicle> car_;
  RecordingFeatures* features_ = nullptr;
};

TEST_F(CarAndWall, FullThrottleIntoAWallStopsAndPushesBack) {
  car_->SetPlayerFlag(true);
  float maxShake = 0, fastest = 0;
  for (int i = 0; i < 500; ++i) {
    Drive(*car_, *world_, 0.01f, 1, 0);
    maxShake = std::max(maxShake, car_->shake);
    fastest = std::max(fastest, car_->speedMph);
    // The hull never ends up through the wall.
    ASSERT_LT(car_->position.x + car_->FrontExtent() * 0.9f, 1500) << "step " << i;
  }
  EXPECT_GT(fastest, 40);
  EXPECT_LT(car_->speedMph, 15);
  EXPECT_GT(maxShake, 0);
  EXPECT_LT(car_->stunts->sinceCrash, 5.0f) << "the impact wipes the stunts";
}

TEST_F(CarAndWall, CrashSoundsWaitTheirCooldownAndFadeWithDistance) {
  car_->PlayCrashSound(1);
  car_->PlayCrashSound(1);
  car_->PlayCrashSound(0);  // another kind may overlap
  ASSERT_EQ(features_->sounds.size(), 2u);
  car_->TickCrashCooldowns(1.01f);
  car_->PlayCrashSound(1);
  EXPECT_EQ(features_->sounds.size(), 3u);
  car_->TickCrashCooldowns(2);
  car_->DistanceTo(car_->position + Vec3{1000, 0, 0});
  car_->PlayCrashSound(2);
  EXPECT_EQ(features_->sounds.size(), 3u);  // too far to be heard: nothing, no cooldown
  EXPECT_EQ(car_->crashCooldowns[2], 0.0f);
}

TEST(VehicleCollision, CarsHitEachOtherButNotWhileRespawning) {
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

  // A respawning car drives through.
  PlaceAt(*mover, world, {0, 30, 0});
  mover->respawning = true;
  Drive(*mover, world, 2.9f, 1, 0);
  EXPECT_TRUE(mover->respawning);
  EXPECT_GT(mover->position.x, parked->position.x + 100);
}

}  // namespace
