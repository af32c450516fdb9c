// Tests of race order, knock-out choice, the finish record and career progress.
#include "race/race_order.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "vehicle/vehicle.h"

namespace {

using vehicle::Vehicle;

struct Field {
  std::vector<std::unique_ptr<Vehicle>> owned;
  std::vector<Vehicle*> cars;
  Vehicle& Add(const char* name, float progress, int32_t bestLap = 0) {
    owned.push_back(std::make_unique<Vehicle>(nullptr, nullptr, name, true));
    owned.back()->progress = progress;
    owned.back()->bestLap = bestLap;
    cars.push_back(owned.back().get());
    return *owned.back();
  }
};

TEST(KnockOut, TheLastCarGoesAtALapsEndOneALap) {
  struct Car {
    float progress;
    int32_t bestLap;
  };
  struct Case {
    const char* what;
    std::vector<Car> cars;  // listed in race order unless a car is lapped
    int32_t laps;
    int32_t knockedOut;
    int expected;
  };
  const Case cases[] = {
      {"four cars, three laps: every other car is a lap ahead", {{1.9f, 1}, {1.8f, 1}, {1.7f, 1}, {0.9f, 0}}, 3, 0, 3},
      {"four cars, three laps: the last passes threshold 0", {{1.9f, 1}, {1.8f, 1}, {1.7f, 1}, {1.1f, 1}}, 3, 0, 3},
      {"level on the first lap", {{0.5f, 0}, {0.4f, 0}, {0.3f, 0}}, 3, 0, -1},
      {"a lapped car goes wherever it stands", {{3.5f, 3}, {1.2f, 1}, {1.0f, 1}}, 5, 0, 1},
      {"a single car stays", {{0.0f, 0}}, 3, 0, -1},
      {"equal progress: the later of the list goes", {{1.5f, 1}, {1.5f, 1}}, 1, 0, 1},
      {"more cars than laps: nobody goes from the grid", {{0.3f, 0}, {0.2f, 0}, {0.1f, 0}, {-0.1f, 0}}, 2, 0, -1},
      {"more cars than laps: the last goes at the first lap's end", {{1.3f, 1}, {1.2f, 1}, {1.1f, 1}, {1.0f, 1}}, 2, 0, 3},
      {"more cars than laps: one car a lap, not all at once", {{1.3f, 1}, {1.2f, 1}, {1.1f, 1}}, 2, 1, -1},
      {"more cars than laps: the next at the second lap's end", {{2.3f, 2}, {2.2f, 2}, {2.1f, 2}}, 2, 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Field field;
    for (const Car& car : c.cars) field.Add("", car.progress, car.bestLap);
    const int32_t maxLaps = race::UpdateRaceOrder(field.cars, race::kRaceKnockout);
    EXPECT_EQ(race::KnockOutIndex(field.cars, race::kRaceKnockout, c.laps, maxLaps, c.knockedOut), c.expected);
    EXPECT_EQ(race::KnockOutIndex(field.cars, race::kRaceLap, c.laps, maxLaps, c.knockedOut), -1);
  }
}

TEST(RaceResult, NamesFollowPositionsEveryCarIsFlaggedAndAPositionOutsideTheFieldIsLeftOut) {
  Field field;
  Vehicle& slow = field.Add("Slow", 0.2f);
  Vehicle& fast = field.Add("Fast", 1.5f);
  race::UpdateRaceOrder(field.cars, race::kRaceLap);
  const auto result = race::BuildRaceResult(field.cars, 2, 150, 83.5f, nullptr);
  EXPECT_EQ(result->names, (std::vector<std::string>{"Fast", "Slow"}));
  EXPECT_EQ(result->times, (std::vector<float>{83.5f, 83.5f}));
  EXPECT_EQ(result->place, 2u);
  EXPECT_EQ(result->stuntPoints, 150);
  EXPECT_TRUE(slow.raceFlag == 1 && fast.raceFlag == 1);
  // Instead of writing past the tables.
  fast.racePosition = 7;
  EXPECT_EQ(race::BuildRaceResult(field.cars, 1, 0, 10, nullptr)->names, (std::vector<std::string>{"", "Slow"}));
}

TEST(CareerProgress, OnlyWinningTheCurrentTierRaisesItAndNeverPastTheLast) {
  EXPECT_EQ(race::CareerProgressAfter(1, 1, 1), 2);
  EXPECT_EQ(race::CareerProgressAfter(4, 4, 1), 4);
  EXPECT_EQ(race::CareerProgressAfter(2, 1, 1), 2);
  EXPECT_EQ(race::CareerProgressAfter(1, 1, 2), 1);
}

}  // namespace
