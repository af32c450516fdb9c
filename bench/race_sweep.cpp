// Every race of every race list of the built game folder, 200 simulated seconds each with a computer driver in
// every car, counted by the race report's figures: per list the spins, time turned round, respawns and wall
// contacts per car, and the racing goals missed (each missed goal is printed). The racing tests run one lap race
// of each circuit the same way; this is the whole sweep, run by hand (bench_race_sweep) after a change to the
// cars, the circuits or the physics.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "game/headless_race.h"
#include "race/race_definition.h"
#include "race_report/race_report.h"
#include "race_report/racing_figures.h"

namespace {

namespace fs = std::filesystem;

constexpr float kRaceSeconds = 200;

// The game folder copied once, so whatever the races save never touches the build's own.
const std::string& GameFolder() {
  static const std::string folder = [] {
    const fs::path copy = fs::temp_directory_path() / "corsaire_bench_race_sweep";
    fs::remove_all(copy);
    fs::copy(CORSAIRE_GAME_DIR, copy, fs::copy_options::recursive);
    return copy.string() + "/";
  }();
  return folder;
}

void BM_RaceSweep(benchmark::State& state, const char* list) {
  double cars = 0, spins = 0, spun = 0, respawns = 0, walls = 0, missed = 0, races = 0;
  for (auto _ : state) {
    cars = spins = spun = respawns = walls = missed = races = 0;
    for (int index = 0;; ++index) {
      game::HeadlessRace race(GameFolder(), 1);
      std::string error;
      if (!race.Load(list, index, error)) break;
      race.DriveEveryCar();
      race_report::Recorder recorder(race);
      recorder.Observe();
      race_report::Run(race, kRaceSeconds, [&recorder] { recorder.Observe(); });
      const race_report::Report report = recorder.Finish();
      std::vector<race_report::CarFigures> figures;
      std::vector<bool> knockedOut;
      for (const race_report::CarLine& car : report.cars) {
        figures.push_back(car.figures);
        knockedOut.push_back(car.knockedOutAt >= 0);
        spins += car.figures.spins;
        spun += car.figures.spunSeconds;
        respawns += car.figures.respawns;
        walls += car.figures.wallContacts;
      }
      cars += static_cast<double>(figures.size());
      ++races;
      race_report::RaceGoals goals;
      goals.maxWallContacts = race_report::kWallContactsPerCar;
      const race_report::RaceFacts facts{report.race, report.type, report.laps, report.seconds};
      for (const std::string& line : race_report::MissedGoals(facts, figures, knockedOut, goals)) {
        std::fprintf(stderr, "%s %d (%s): %s\n", list, index, report.race.c_str(), line.c_str());
        ++missed;
      }
    }
  }
  if (cars == 0) {
    state.SkipWithError("no races");
    return;
  }
  state.counters["races"] = races;
  state.counters["spins_per_car"] = spins / cars;
  state.counters["spun_s_per_car"] = spun / cars;
  state.counters["respawns_per_car"] = respawns / cars;
  state.counters["wall_contacts"] = walls;
  state.counters["goals_missed"] = missed;
}
BENCHMARK_CAPTURE(BM_RaceSweep, CAREER, "CAREER")->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_RaceSweep, CONTEST, "CONTEST")->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_RaceSweep, QUICKRACE, "QUICKRACE")->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_RaceSweep, INSTANTRACE, "INSTANTRACE")->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_RaceSweep, DEMO, "DEMO")->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
