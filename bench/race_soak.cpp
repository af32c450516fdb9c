// Soak of a whole race: eight computer-driven cars on the generated city circuit for an hour of simulated time,
// started and stepped through the game's own road (the headless race over the built game folder, with its sounds,
// damage and particles). Reports the laps of every car, car positions that stopped being finite (must be 0), cars
// that made no headway for more than a minute, and the resident memory after loading, after the first simulated
// minute and at the end (must not grow once the race has settled).
// CORSAIRE_SOAK_SECONDS shortens or lengthens the race (simulated seconds, 3600 by default).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/headless_race.h"
#include "race/race_list.h"
#include "race_report/race_report.h"
#include "resident_memory.h"
#include "vehicle/vehicle.h"

namespace {

constexpr int kCars = 8;
constexpr float kDefaultSoakSeconds = 3600.0f;
constexpr float kSettleSeconds = 60.0f;
// A car counts as stuck when it has not gained this much of a lap for longer than kStuckSeconds.
constexpr float kHeadwayLaps = 0.02f;
constexpr float kStuckSeconds = 60.0f;
constexpr int32_t kEndlessLaps = 100000;

float SoakSeconds() {
  const char* text = std::getenv("CORSAIRE_SOAK_SECONDS");
  const float seconds = text != nullptr ? std::strtof(text, nullptr) : 0.0f;
  return seconds > 0 ? seconds : kDefaultSoakSeconds;
}

// Headway of each car along the race path: how long since it last gained kHeadwayLaps, and the spells stuck.
struct HeadwayWatch {
  std::vector<float> bestProgress, lastGain;
  std::vector<int> stuckSpells;
  std::vector<bool> stuckNow;

  explicit HeadwayWatch(size_t cars)
      : bestProgress(cars, -1e9f), lastGain(cars, 0.0f), stuckSpells(cars, 0), stuckNow(cars, false) {}

  void Observe(size_t car, float progress, float now) {
    if (progress >= bestProgress[car] + kHeadwayLaps) {
      bestProgress[car] = progress;
      lastGain[car] = now;
      stuckNow[car] = false;
    } else if (!stuckNow[car] && now - lastGain[car] > kStuckSeconds) {
      stuckNow[car] = true;
      ++stuckSpells[car];
    }
  }
};

void BM_RaceSoak(benchmark::State& state) {
  const float seconds = SoakSeconds();
  for (auto _ : state) {
    game::HeadlessRace race(CORSAIRE_GAME_DIR, 1);
    // The first practice venue, made a full grid and a race no car can finish within the soak.
    race::RaceList* venues = game::RaceListByName(race.Content(), "QUICKRACE");
    race::RaceDefinition* venue = venues != nullptr ? venues->At(0) : nullptr;
    if (venue == nullptr) {
      state.SkipWithError("the game folder has no practice venue");
      return;
    }
    venue->opponents = kCars - 1;
    venue->playerStart = 0;
    venue->laps = kEndlessLaps;
    std::string error;
    if (!race.Load("QUICKRACE", 0, error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    race.DriveEveryCar();
    const std::vector<vehicle::Vehicle*> cars(race.Session()->Racers().begin(), race.Session()->Racers().end());
    const double rssLoaded = bench::ResidentMegabytes();
    double rssSettled = rssLoaded;
    race_report::Recorder recorder(race);
    HeadwayWatch headway(cars.size());
    // Simulated time counted in whole frames: a running float sum drifts by seconds over an hour.
    long frames = 0;
    race_report::Run(race, seconds, [&] {
      const float now = static_cast<float>(++frames * static_cast<double>(race_report::kFrameTime));
      recorder.Observe();
      for (size_t i = 0; i < cars.size(); ++i) headway.Observe(i, cars[i]->progress, now);
      if (now < kSettleSeconds) rssSettled = bench::ResidentMegabytes();
    });
    const double rssEnd = bench::ResidentMegabytes();
    const race_report::Report report = recorder.Finish();

    int stuckCars = 0;
    std::printf("\nrace soak: %zu cars, %.0f s simulated\n", cars.size(),
                static_cast<double>(frames) * race_report::kFrameTime);
    for (size_t i = 0; i < report.cars.size(); ++i) {
      stuckCars += headway.stuckSpells[i] > 0 ? 1 : 0;
      std::printf("  car %zu %-10s laps %3d  place %d  stuck spells %d\n", i + 1, report.cars[i].driver.c_str(),
                  report.cars[i].laps, report.cars[i].place, headway.stuckSpells[i]);
      state.counters["laps_car" + std::to_string(i + 1)] = report.cars[i].laps;
    }
    std::printf("  non-finite positions %u, cars stuck over %.0f s %d\n", report.nonFinite,
                static_cast<double>(kStuckSeconds), stuckCars);
    std::printf("  resident memory: %.1f MB loaded, %.1f MB after %.0f s, %.1f MB at the end\n", rssLoaded, rssSettled,
                static_cast<double>(kSettleSeconds), rssEnd);
    state.counters["cars"] = static_cast<double>(cars.size());
    state.counters["non_finite"] = report.nonFinite;
    state.counters["stuck_cars"] = stuckCars;
    state.counters["rss_loaded_mb"] = rssLoaded;
    state.counters["rss_settled_mb"] = rssSettled;
    state.counters["rss_end_mb"] = rssEnd;
  }
}
BENCHMARK(BM_RaceSoak)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
