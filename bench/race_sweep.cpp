// Every race of every race list of the built game folder, 200 simulated seconds each with a computer driver in
// every car, counted by the race report's figures: per list the time turned round, respawns for every five laps
// (worst car), wall contacts, cars short of their laps, the widest best-lap spread of one class in a lap race and
// the racing goals missed (each missed goal is printed, then a summary line per list). The racing tests run one lap race
// of each circuit the same way; this is the whole sweep, run by hand (bench_race_sweep) after a change to the
// cars, the circuits or the physics. RACE_SWEEP_SEED=N races other fields than the tests' (seed 1);
// RACE_SWEEP_GAME=FOLDER races another game folder than the build's (one written by contentgen from a trial
// content change), so several trials can be swept side by side from one build (each with its own TMPDIR).
// PutBacks presses the player's reset key at 192 places round every circuit, both ways round, and prints how
// many landings left the car's body on the road and the worst angle to the road.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "game/headless_race.h"
#include "race/race_definition.h"
#include "race_report/put_back_measure.h"
#include "race_report/race_report.h"
#include "race_report/racing_figures.h"

namespace {

namespace fs = std::filesystem;

constexpr float kRaceSeconds = 200;

// The game folder (the build's, or RACE_SWEEP_GAME) copied once, so whatever the races save never touches it.
const std::string& GameFolder() {
  static const std::string folder = [] {
    const char* chosen = std::getenv("RACE_SWEEP_GAME");
    const fs::path source = chosen != nullptr && *chosen != '\0' ? fs::path(chosen) : fs::path(CORSAIRE_GAME_DIR);
    const fs::path copy = fs::temp_directory_path() / "corsaire_bench_race_sweep";
    fs::remove_all(copy);
    fs::copy(source, copy, fs::copy_options::recursive);
    return copy.string() + "/";
  }();
  return folder;
}

// The seed of every race's random choices (opponents, their cars and upgrades, instant races' laps): 1, or
// RACE_SWEEP_SEED, so the goals can be checked against other fields than the one the tests race.
uint32_t Seed() {
  const char* text = std::getenv("RACE_SWEEP_SEED");
  const long seed = text != nullptr ? std::strtol(text, nullptr, 10) : 1;
  return seed > 0 ? static_cast<uint32_t>(seed) : 1;
}

void BM_RaceSweep(benchmark::State& state, const char* list) {
  double cars = 0, spins = 0, spun = 0, respawns = 0, walls = 0, missed = 0, races = 0, unfinished = 0;
  double carSeconds = 0, worstSpunShare = 0, worstRespawnRate = 0, worstSpread = 0;
  for (auto _ : state) {
    cars = spins = spun = respawns = walls = missed = races = unfinished = 0;
    carSeconds = worstSpunShare = worstRespawnRate = worstSpread = 0;
    for (int index = 0;; ++index) {
      game::HeadlessRace race(GameFolder(), Seed());
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
        carSeconds += report.seconds;
        worstSpunShare = std::max(worstSpunShare, static_cast<double>(car.figures.spunSeconds / report.seconds));
        // Respawns for every five laps driven; a car that drove none counts as one lap.
        const double laps = std::max<double>(static_cast<double>(car.figures.lapTimes.size()), 1.0);
        worstRespawnRate = std::max(worstRespawnRate, car.figures.respawns * 5.0 / laps);
        const bool needsLaps = report.type != "CHICKEN" || car.player;
        if (needsLaps && car.knockedOutAt < 0 && static_cast<int32_t>(car.figures.lapTimes.size()) < report.laps) {
          ++unfinished;
        }
      }
      cars += static_cast<double>(figures.size());
      ++races;
      if (report.type == "LAP") worstSpread = std::max(worstSpread, static_cast<double>(race_report::BestLapSpread(figures)));
      race_report::RaceGoals goals;
      goals.maxWallContacts = race_report::kWallContactsPerCar;
      const race_report::RaceFacts facts{report.race, report.type, report.laps, report.seconds};
      for (const std::string& line : race_report::MissedGoals(facts, figures, knockedOut, goals)) {
        std::fprintf(stderr, "%s %d (%s): %s\n", list, index, report.race.c_str(), line.c_str());
        ++missed;
      }
      // A car whose position stops being finite has left the simulation, whatever its figures say.
      if (report.nonFinite != 0) {
        std::fprintf(stderr, "%s %d (%s): %u car positions were not finite\n", list, index, report.race.c_str(),
                     report.nonFinite);
        ++missed;
      }
    }
  }
  if (cars == 0) {
    state.SkipWithError("no races");
    return;
  }
  std::fprintf(stderr,
               "%s: %.0f races, turned round %.2f%% of the time (worst car %.2f%%), respawns per 5 laps worst car "
               "%.2f, wall contacts %.0f, unfinished cars %.0f, best-lap spread %.1f%%, goals missed %.0f\n",
               list, races, 100 * spun / carSeconds, 100 * worstSpunShare, worstRespawnRate, walls, unfinished,
               100 * worstSpread, missed);
  state.counters["races"] = races;
  state.counters["spins_per_car"] = spins / cars;
  state.counters["spun_percent"] = 100 * spun / carSeconds;
  state.counters["respawns_per_car"] = respawns / cars;
  state.counters["respawns_per_5_laps_worst"] = worstRespawnRate;
  state.counters["wall_contacts"] = walls;
  state.counters["unfinished"] = unfinished;
  state.counters["best_lap_spread_percent"] = 100 * worstSpread;
  state.counters["goals_missed"] = missed;
}
void BM_PutBacks(benchmark::State& state) {
  constexpr int kSpots = 192;
  double spots = 0, onRoad = 0, worstHeading = 0;
  for (auto _ : state) {
    spots = onRoad = worstHeading = 0;
    for (const race_report::SampleCircuit& circuit : race_report::SampleCircuits()) {
      for (bool reversed : {false, true}) {
        race_report::PutBackFigures figures;
        std::string error;
        if (!race_report::MeasurePutBacks(GameFolder(), circuit, reversed, kSpots, figures, error)) {
          state.SkipWithError(error.c_str());
          return;
        }
        std::fprintf(stderr, "put-backs %s %s: %d of %d on the road, worst heading %.1f degrees, worst corner %.0f in "
                     "%s the edge\n", circuit.name.c_str(), reversed ? "reversed" : "forward", figures.onRoad,
                     figures.spots, figures.worstHeading, std::fabs(figures.worstOverEdge),
                     figures.worstOverEdge > 0 ? "past" : "inside");
        spots += figures.spots;
        onRoad += figures.onRoad;
        worstHeading = std::max(worstHeading, static_cast<double>(figures.worstHeading));
      }
    }
  }
  state.counters["put_backs"] = spots;
  state.counters["off_road"] = spots - onRoad;
  state.counters["worst_heading_degrees"] = worstHeading;
}
BENCHMARK(BM_PutBacks)->Unit(benchmark::kSecond)->Iterations(1);

BENCHMARK_CAPTURE(BM_RaceSweep, CAREER, "CAREER")->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_RaceSweep, CONTEST, "CONTEST")->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_RaceSweep, QUICKRACE, "QUICKRACE")->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_RaceSweep, INSTANTRACE, "INSTANTRACE")->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_RaceSweep, DEMO, "DEMO")->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
