// The sample content races cleanly: a lap race on each sample circuit of the built game folder, 200 simulated
// seconds with a computer driver in every car, counted by the race report's own figures and held to the racing
// goals. A change to the cars, the circuits or the physics that brings back pirouettes, wall grinding, respawns
// or a procession fails here; bench_race_sweep runs every race of every list the same way.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/headless_race.h"
#include "race/race_definition.h"
#include "race_report/race_report.h"
#include "race_report/racing_figures.h"

namespace race_report {
namespace {

constexpr float kRaceSeconds = 200;

struct Circuit {
  const char* race;  // its name in the practice list
  int index;         // and its place there
};

class RacingGoals : public ::testing::TestWithParam<Circuit> {};

TEST_P(RacingGoals, EveryCarRacesCleanlyForTwoHundredSeconds) {
  const Circuit& circuit = GetParam();
  game::HeadlessRace race(CORSAIRE_GAME_DIR, 1);
  std::string error;
  ASSERT_TRUE(race.Load("QUICKRACE", circuit.index, error)) << error;
  ASSERT_EQ(race.Definition()->name, circuit.race);
  race.DriveEveryCar();
  Recorder recorder(race);
  recorder.Observe();
  race_report::Run(race, kRaceSeconds, [&recorder] { recorder.Observe(); });
  const Report report = recorder.Finish();

  std::vector<CarFigures> figures;
  std::vector<bool> knockedOut;
  for (const CarLine& car : report.cars) {
    figures.push_back(car.figures);
    knockedOut.push_back(car.knockedOutAt >= 0);
  }
  ASSERT_GE(figures.size(), 3u);
  RaceGoals goals;
  goals.maxWallContacts = kWallContactsPerCar;
  const RaceFacts facts{report.race, report.type, report.laps, report.seconds};
  for (const std::string& line : MissedGoals(facts, figures, knockedOut, goals)) ADD_FAILURE() << line;
  for (size_t i = 0; i < report.cars.size(); ++i) {
    const CarLine& car = report.cars[i];
    SCOPED_TRACE(car.vehicle);
    // A car that finished lapped on: a race of these circuits is more than one lap of 200 s.
    EXPECT_GE(car.figures.lapTimes.size(), static_cast<size_t>(report.laps)) << "car " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(SampleCircuits, RacingGoals,
                         ::testing::Values(Circuit{"City Circuit", 0}, Circuit{"Downtown Grid", 3},
                                           Circuit{"Harbour Docks", 5}, Circuit{"Canal Route", 8}),
                         [](const ::testing::TestParamInfo<Circuit>& info) {
                           std::string name;
                           for (const char c : std::string(info.param.race)) {
                             if (c != ' ') name += c;
                           }
                           return name;
                         });

}  // namespace
}  // namespace race_report
