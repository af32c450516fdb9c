// Speed of the race step: frames of 0.05 s (five sub-steps) per second with eight cars on the city circuit,
// seven of them computer-driven, following an AI path laid along the circuit.
#include <benchmark/benchmark.h>

#include <memory>

#include "city_circuit.h"
#include "contentgen/test_world.h"
#include "contentgen/vehicle_content.h"
#include "race/race_definition.h"
#include "race/race_session.h"

namespace {

constexpr int kCars = 8;
constexpr int kPathPoints = 120;

void BM_RaceStepEightCars(benchmark::State& state) {
  race::RaceDefinition definition(0, "Bench", "TRACKS/CITY/city.scn", nullptr, race::kModeQuick, race::kRaceLap,
                                  3, 0, kCars - 1, false);
  race::RaceSession session(nullptr, &definition, true);
  session.World().SetCollision(&bench::TheCity().tree);
  auto path = std::make_unique<geometry::Path>("AIPATH", true, platform::Vec3{});
  const float perimeter = contentgen::test_world::Perimeter();
  for (int i = 0; i < kPathPoints; ++i) path->AddPoint(contentgen::test_world::CentreAt(perimeter * i / kPathPoints));
  path->UpdateClosingSegment();
  session.World().AddAIPath(std::move(path));
  session.World().MeasurePathEdges();
  const auto& samples = contentgen::SampleCars();
  for (int i = 0; i < kCars; ++i) {
    session.AddRacer(
        bench::CarOnCentreLine(session.World(), samples[static_cast<size_t>(i) % samples.size()], 100.0f + 400.0f * i),
        i == 0);
  }
  session.ReleaseRacers();
  app::ScreenFlow flow;
  flow.state = app::game_state::kRacing;
  for (auto _ : state) {
    session.Step(flow, 0.05f);
    benchmark::DoNotOptimize(session.raceTime);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RaceStepEightCars)->Unit(benchmark::kMicrosecond);

}  // namespace
