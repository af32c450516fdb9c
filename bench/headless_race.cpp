// Speed and memory of the game's own headless race (the road race_report and the race tests take): the city
// circuit's quick race from the game folder the build wrote, on the null graphics device, a computer driver in
// every car, frames of 0.05 s as the game steps them (race, resources, sound). Reports the time of a frame, the
// simulated seconds per second of processor time, and the process's resident memory with the race loaded.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "game/headless_race.h"
#include "resident_memory.h"

namespace {

namespace fs = std::filesystem;

constexpr float kFrameSeconds = 0.05f;
// Two minutes of racing from the start hold: the countdown, the laps and the finish.
constexpr int kRaceFrames = 2400;

// The game folder copied once, so whatever the race saves never touches the build's own.
const std::string& GameFolder() {
  static const std::string folder = [] {
    const fs::path copy = fs::temp_directory_path() / "corsaire_bench_headless_race";
    fs::remove_all(copy);
    fs::copy(CORSAIRE_GAME_DIR, copy, fs::copy_options::recursive);
    return copy.string() + "/";
  }();
  return folder;
}

void BM_HeadlessRaceFrame(benchmark::State& state) {
  game::HeadlessRace race(GameFolder(), 1);
  std::string error;
  if (!race.Load("QUICKRACE", 0, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  race.DriveEveryCar();
  for (auto _ : state) race.Frame(kFrameSeconds);
  state.SetItemsProcessed(state.iterations());
  state.counters["x_real_time"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kFrameSeconds, benchmark::Counter::kIsRate);
  state.counters["rss_MB"] = bench::ResidentMegabytes();
  state.counters["cars"] = static_cast<double>(race.Session()->Racers().size());
}
BENCHMARK(BM_HeadlessRaceFrame)->Unit(benchmark::kMicrosecond)->Iterations(kRaceFrames);

}  // namespace
