// Speed of the car simulation: car sub-steps per second on the city circuit, driving and standing.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "city_circuit.h"
#include "contentgen/test_world.h"
#include "contentgen/vehicle_content.h"
#include "vehicle/track_world.h"

namespace {

std::unique_ptr<vehicle::Vehicle> CarOnCircuit(vehicle::TrackWorld& world, const contentgen::SampleCar& sample) {
  auto car = bench::CarOnCentreLine(world, sample, 100);
  world.AddCar(car.get());
  return car;
}

// One car driving round the circuit with a weaving steer; the car is put back after 20 s of driving.
void BM_CarSubStepDriving(benchmark::State& state) {
  vehicle::TrackWorld world(bench::TheCity().tree);
  auto car = CarOnCircuit(world, contentgen::SampleCars()[2]);
  int step = 0;
  for (auto _ : state) {
    car->SetControls(0.8f, 0, false, false, std::sin(step * 0.01f) * 0.3f, false, false);
    car->Update(world, 0.01f);
    if (++step % 2000 == 0) {
      car->position = contentgen::test_world::CentreAt(100) + platform::Vec3{0, 30, 0};
      car->Reset(world, nullptr);
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CarSubStepDriving);

// Eight cars stepped together (a full grid): each sub-step runs every car.
void BM_GridSubStep(benchmark::State& state) {
  vehicle::TrackWorld world(bench::TheCity().tree);
  std::vector<std::unique_ptr<vehicle::Vehicle>> cars;
  for (int i = 0; i < 8; ++i) {
    auto car = CarOnCircuit(world, contentgen::SampleCars()[i % 4]);
    car->position = contentgen::test_world::CentreAt(100.0f + 300.0f * i) + platform::Vec3{0, 30, 0};
    car->Reset(world, nullptr);
    cars.push_back(std::move(car));
  }
  for (auto _ : state) {
    for (auto& car : cars) {
      car->SetControls(0.5f, 0, false, false, 0, false, false);
      car->Update(world, 0.01f);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(cars.size()));
}
BENCHMARK(BM_GridSubStep);

}  // namespace
