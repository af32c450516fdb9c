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

TEST(RaceOrder, PositionsFollowProgressAndTiesKeepListOrder) {
  Field field;
  Vehicle& a = field.Add("A", 0.5f);
  Vehicle& b = field.Add("B", 2.25f);
  Vehicle& c = field.Add("C", 0.5f);
  Vehicle& d = field.Add("D", 1.0f);
  race::UpdateRaceOrder(field.cars, race::kRaceLap);
  EXPECT_EQ(b.racePosition, 1);
  EXPECT_EQ(d.racePosition, 2);
  EXPECT_EQ(a.racePosition, 3);  // equal progress: the earlier list entry stays ahead
  EXPECT_EQ(c.racePosition, 4);
}

TEST(RaceOrder, TimeTrialAndChickenKeepListPlaces) {
  for (int32_t type : {race::kRaceTimeTrial, race::kRaceChicken}) {
    Field field;
    Vehicle& a = field.Add("A", 0.1f);
    Vehicle& b = field.Add("B", 3.0f);
    race::UpdateRaceOrder(field.cars, type);
    EXPECT_EQ(a.racePosition, 1);
    EXPECT_EQ(b.racePosition, 2);
    EXPECT_EQ(race::KnockOutIndex(field.cars, type, 3, 3, 0), -1);
  }
}

TEST(RaceOrder, MaxLapsIsTheLargestBestLap) {
  Field field;
  field.Add("A", 0, 1);
  field.Add("B", 0, 3);
  EXPECT_EQ(race::UpdateRaceOrder(field.cars, race::kRaceLap), 3);
}

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

TEST(RaceResult, NamesAndTimesFollowPositionsAndEveryCarIsFlagged) {
  Field field;
  Vehicle& a = field.Add("Slow", 0.2f);
  Vehicle& b = field.Add("Fast", 1.5f);
  race::UpdateRaceOrder(field.cars, race::kRaceLap);
  const auto result = race::BuildRaceResult(field.cars, 2, 150, 83.5f, nullptr);
  ASSERT_EQ(result->names.size(), 2u);
  EXPECT_EQ(result->names[0], "Fast");
  EXPECT_EQ(result->names[1], "Slow");
  EXPECT_EQ(result->times, (std::vector<float>{83.5f, 83.5f}));
  EXPECT_EQ(result->place, 2u);
  EXPECT_EQ(result->stuntPoints, 150);
  EXPECT_FLOAT_EQ(result->raceTime, 83.5f);
  EXPECT_EQ(a.raceFlag, 1);
  EXPECT_EQ(b.raceFlag, 1);
}

TEST(RaceResult, APositionOutsideTheFieldIsLeftOutInsteadOfWrittenPastTheTables) {
  Field field;
  Vehicle& a = field.Add("A", 0);
  Vehicle& b = field.Add("B", 0);
  a.racePosition = 1;
  b.racePosition = 7;
  const auto result = race::BuildRaceResult(field.cars, 1, 0, 10, nullptr);
  EXPECT_EQ(result->names, (std::vector<std::string>{"A", ""}));
}

TEST(CareerProgress, WinningTheCurrentTierRaisesItUpToFour) {
  EXPECT_EQ(race::CareerProgressAfter(1, 1, 1), 2);
  EXPECT_EQ(race::CareerProgressAfter(4, 4, 1), 4);
  EXPECT_EQ(race::CareerProgressAfter(2, 1, 1), 2);  // an older race changes nothing
  EXPECT_EQ(race::CareerProgressAfter(1, 1, 2), 1);  // second place changes nothing
}

}  // namespace
