// Speed of the race step: frames of 0.05 s (five sub-steps) per second with eight cars on the city circuit,
// seven of them computer-driven, following an AI path laid along the circuit. Each run is one whole race from
// the same seed, so runs compare like with like; the label gives every car's laps and place at the end, and the
// counters the simulated seconds per second of processor time and the process's resident memory.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "city_circuit.h"
#include "resident_memory.h"
#include "contentgen/test_world.h"
#include "contentgen/vehicle_content.h"
#include "platform/os.h"
#include "race/race_definition.h"
#include "race/race_session.h"

namespace {

constexpr int kCars = 8;
constexpr int kPathPoints = 120;
constexpr float kFrameSeconds = 0.05f;
// 90 s of racing: every computer car finishes its three laps well inside it.
constexpr int kRaceFrames = 1800;

// One race on the city circuit: the player's car stands at the start, seven computer cars race.
struct BenchRace {
  BenchRace()
      : definition(0, "Bench", "TRACKS/CITY/city.scn", nullptr, race::kModeQuick, race::kRaceLap, 3, 0, kCars - 1,
                   false),
        session(nullptr, &definition, true) {
    platform::CrtSeed(1);
    session.World().SetCollision(&bench::TheCity().tree);
    auto path = std::make_unique<geometry::Path>("AIPATH", true, platform::Vec3{});
    const float perimeter = contentgen::test_world::Perimeter();
    for (int i = 0; i < kPathPoints; ++i) path->AddPoint(contentgen::test_world::CentreAt(perimeter * i / kPathPoints));
    path->UpdateClosingSegment();
    session.World().AddAIPath(std::move(path));
    session.World().MeasurePathEdges();
    const auto& samples = contentgen::SampleCars();
    for (int i = 0; i < kCars; ++i) {
      session.AddRacer(bench::CarOnCentreLine(session.World(), samples[static_cast<size_t>(i) % samples.size()],
                                              100.0f + 400.0f * i),
                       i == 0);
    }
    session.ReleaseRacers();
    flow.state = app::game_state::kRacing;
  }

  // "laps/place@progress" for every car, newest racer first.
  std::string Standings() const {
    std::string text;
    for (const vehicle::Vehicle* car : session.Racers()) {
      if (!text.empty()) text += ' ';
      char progress[16];
      std::snprintf(progress, sizeof progress, "%.3f", car->progress);
      text += std::to_string(car->bestLap) + "/" + std::to_string(car->racePosition) + "@" + progress;
    }
    return text;
  }

  race::RaceDefinition definition;
  race::RaceSession session;
  app::ScreenFlow flow;
};

void BM_RaceStepEightCars(benchmark::State& state) {
  auto race = std::make_unique<BenchRace>();
  int frame = 0;
  for (auto _ : state) {
    if (frame == kRaceFrames) {
      state.PauseTiming();
      race = std::make_unique<BenchRace>();
      frame = 0;
      state.ResumeTiming();
    }
    race->session.Step(race->flow, kFrameSeconds);
    benchmark::DoNotOptimize(race->session.raceTime);
    ++frame;
  }
  state.SetLabel(race->Standings());
  state.SetItemsProcessed(state.iterations());
  state.counters["x_real_time"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kFrameSeconds, benchmark::Counter::kIsRate);
  state.counters["rss_MB"] = bench::ResidentMegabytes();
}
BENCHMARK(BM_RaceStepEightCars)->Unit(benchmark::kMicrosecond)->Iterations(kRaceFrames);

}  // namespace
