// Speed of the race step: frames of 0.05 s (five sub-steps) per second with eight cars on the city circuit,
// seven of them computer-driven, following an AI path laid along the circuit.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "contentgen/test_world.h"
#include "contentgen/vehicle_content.h"
#include "geometry/collision_tree.h"
#include "platform/math/math.h"
#include "race/race_definition.h"
#include "race/race_session.h"
#include "vehicle/vehicle.h"

namespace {

constexpr int kCars = 8;
constexpr int kPathPoints = 120;

struct City {
  City() {
    const auto bytes = contentgen::EncodeCollisionFile(contentgen::BuildTestWorld());
    tree.LoadFromMemory(bytes.data(), bytes.size(), "city.COL", true);
    folder = (std::filesystem::temp_directory_path() / "corsaire_bench_race").string() + "/";
    for (const auto& car : contentgen::SampleCars()) contentgen::WriteSampleCar(folder, car);
  }
  geometry::CollisionTree tree;
  std::string folder;
};

City& TheCity() {
  static City city;
  return city;
}

std::unique_ptr<vehicle::Vehicle> GridCar(race::RaceWorld& world, const contentgen::SampleCar& sample, float distance) {
  auto car = std::make_unique<vehicle::Vehicle>(nullptr, nullptr, "Bench", false);
  car->LoadDefinition(TheCity().folder + contentgen::CarFolder(sample) + contentgen::kCarDefinitionFile, nullptr,
                      nullptr, 0, true);
  vehicle::ChassisLayout layout;
  const auto tyres = contentgen::TyrePositions(sample);
  for (int i = 0; i < 4; ++i) {
    layout.tyrePositions[i] = tyres[i];
    layout.tyreRadius[i] = sample.tyreRadius;
  }
  car->AssembleChassis(layout);
  platform::Vec3 heading;
  car->position = contentgen::test_world::CentreAt(distance, &heading) + platform::Vec3{0, 30, 0};
  car->rotation = platform::Transpose(platform::LookAtLH({}, heading, {0, 1, 0}));
  car->Reset(world, nullptr);
  return car;
}

void BM_RaceStepEightCars(benchmark::State& state) {
  race::RaceDefinition definition(0, "Bench", "TRACKS/CITY/city.scn", nullptr, race::kModeQuick, race::kRaceLap,
                                  3, 0, kCars - 1, false);
  race::RaceSession session(nullptr, &definition, true);
  session.World().SetCollision(&TheCity().tree);
  auto path = std::make_unique<geometry::Path>("AIPATH", true, platform::Vec3{});
  const float perimeter = contentgen::test_world::Perimeter();
  for (int i = 0; i < kPathPoints; ++i) path->AddPoint(contentgen::test_world::CentreAt(perimeter * i / kPathPoints));
  path->UpdateClosingSegment();
  session.World().AddAIPath(std::move(path));
  session.World().MeasurePathEdges();
  const auto& samples = contentgen::SampleCars();
  for (int i = 0; i < kCars; ++i) {
    session.AddRacer(GridCar(session.World(), samples[static_cast<size_t>(i) % samples.size()], 100.0f + 400.0f * i),
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
