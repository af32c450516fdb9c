// Race HUD costs on the null device: a frame's Update from eight racers with stunt lines, and a full Draw.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "null_device.h"
#include "race/hud/race_hud.h"
#include "race/race_definition.h"

namespace {

std::vector<race::HudRacerView> Racers() {
  std::vector<race::HudRacerView> racers(8);
  for (size_t i = 0; i < racers.size(); ++i) {
    racers[i].driverName = "Driver " + std::to_string(i);
    racers[i].racePosition = static_cast<int32_t>(i + 1);
    racers[i].position = {static_cast<float>(i) * 100.0f, 0.0f, 50.0f};
    racers[i].forwardAxis = {0.0f, 0.0f, 1.0f};
  }
  racers[3].isPlayer = true;
  racers[3].hasStunts = true;
  racers[3].stuntEvents = {{0, 120}, {1, 40}, {4, 300}, {2, 250}};
  racers[3].scoringEvents = 4;
  racers[3].stuntPoints = 710;
  return racers;
}

void HudFrame(benchmark::State& state) {
  bench::NullDevice null;
  const race::RaceDefinition definition(0, "BENCH", "TRACKS\\CITY\\", nullptr, 0, race::kRaceLap, 3, 0, 7, false);
  race::RaceHud hud(null.device, nullptr, nullptr, definition);
  hud.BuildPositionRows(null.device, 8);
  const std::vector<race::HudRacerView> racers = Racers();
  float time = 0;
  for (auto _ : state) {
    time += 0.016f;
    hud.SetRaceTime(time);
    hud.Update(racers);
    hud.Draw(null.device);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(HudFrame);

}  // namespace
