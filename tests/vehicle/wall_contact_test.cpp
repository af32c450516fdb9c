// A car against a wall of the sample tracks' barrier surface: a glancing approach under power slides on along
// the wall, and a car pinned nose-in with its wheels spinning earns no powerslide however long it scrapes.
#include <gtest/gtest.h>

#include <cmath>

#include "vehicle/stunt_tracker.h"
#include "vehicle/wheel.h"
#include "vehicle_fixture.h"

namespace vehicle_test {
namespace {

constexpr float kWallX = 1500;

TEST(WallContact, GlancingCarsSlideOnAndPinnedCarsEarnNoPowerslide) {
  const struct {
    const char* car;
    float approachDegrees;  // between the car's heading and the wall's face
    bool slidesOn;
  } cases[] = {
      {"BERLINE", 90, false}, {"COUPE", 90, false}, {"PICKUP", 90, false},
      {"BERLINE", 20, true},  {"COUPE", 20, true},  {"ROADSTER", 20, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.car << " at " << c.approachDegrees << " degrees");
    platform::CrtSeed(5);
    auto tree = FlatWorld("PAVE_TEST", 20000, kWallX, "ROUGHPAVE_BARRIER");
    vehicle::TrackWorld world(*tree);
    auto car = LoadCar(c.car);
    const float toWall = (90 - c.approachDegrees) / 57.2958f;
    PlaceAt(*car, world, {kWallX - car->FrontExtent() - 60, 30, 0}, {std::cos(toWall), 0, std::sin(toWall)});
    car->SetPlayerFlag(true);
    Drive(*car, world, 1.5f, 0.25f, 0);  // creep up to the wall
    const Vec3 atWall = car->position;
    bool spun = false;
    for (int step = 0; step < 300; ++step) {
      Drive(*car, world, 0.01f, 1, 0);
      ASSERT_LT(car->position.x, kWallX) << "step " << step;
      spun = spun || car->AnyWheelSkidding();
      ASSERT_FALSE(car->stunts->HasActiveEvent(vehicle::kStuntPowerslide)) << "step " << step;
    }
    EXPECT_EQ(car->stunts->CountScoringEvents(), 0);
    if (c.slidesOn) {
      EXPECT_GT(std::fabs(car->position.z - atWall.z), 300) << "the car slides on along the wall";
      EXPECT_GT(car->speedMph, 20);
    } else {
      EXPECT_TRUE(spun) << "full throttle against the wall spins the wheels";
      EXPECT_LT(car->stunts->sinceCrash, 1.0f) << "the scrape keeps wiping";
    }
  }
}

}  // namespace
}  // namespace vehicle_test
