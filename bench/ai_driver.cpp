// Cost of the computer drivers: one sub-step of eight drivers on the test world's racing line (path projections,
// look-ahead, edges and bend sums), the work the race repeats up to five times a frame.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "contentgen/test_world.h"
#include "geometry/collision_tree.h"
#include "vehicle/ai_driver.h"

namespace {

using vehicle::Vec3;

class ParkedCar final : public vehicle::AICar {
 public:
  ParkedCar(Vec3 position, Vec3 heading) : position_(position), heading_(heading) {}
  Vec3 Position() const override { return position_; }
  Vec3 Velocity() const override { return heading_ * 1500.0f; }
  Vec3 ForwardAxis() const override { return heading_; }
  float SpeedMph() const override { return 85; }
  float BodyWidth() const override { return 72; }
  float BodyLength() const override { return 180; }
  int RacePosition() const override { return 3; }
  int GearIndex() const override { return 4; }
  bool WrongWay() const override { return false; }
  bool AnyWheelOnGround() const override { return true; }
  bool AllWheelsOnGround() const override { return true; }
  bool IsTippedOver() const override { return false; }
  bool HasBodyContact() const override { return false; }
  bool IsRespawning() const override { return false; }
  bool IsNitrousActive() const override { return false; }
  float SteeringRange() const override { return 30; }
  void SetControls(float, float, bool, bool, float) override {}
  void Respawn(const geometry::Path*) override {}
  void SavePreviousPosition() override {}

 private:
  Vec3 position_, heading_;
};

class OneLineRace final : public vehicle::AIRace {
 public:
  explicit OneLineRace(const geometry::Path* path) : paths_{path} {}
  const std::vector<const geometry::Path*>& AIPaths(bool) const override { return paths_; }
  const geometry::Path* NearestAIPath(const Vec3&, bool) const override { return paths_.front(); }
  bool FindCarAhead(const vehicle::AICar&, const Vec3&, float, float, float, vehicle::CarAhead&) const override {
    return false;
  }
  bool IsOffWorld(const vehicle::AICar&) const override { return false; }
  int CountCollidableCarsNear(const Vec3&, float) const override { return 1; }

 private:
  std::vector<const geometry::Path*> paths_;
};

void BM_EightDriversOneSubStep(benchmark::State& state) {
  const contentgen::ColFile file = contentgen::BuildTestWorld();
  const std::vector<unsigned char> bytes = contentgen::EncodeCollisionFile(file);
  geometry::CollisionTree tree;
  if (!tree.LoadFromMemory(bytes.data(), bytes.size(), "city.COL", true) || tree.Paths().empty()) {
    state.SkipWithError("no racing line");
    return;
  }
  OneLineRace race(tree.Paths()[0].get());
  std::vector<std::unique_ptr<ParkedCar>> cars;
  std::vector<std::unique_ptr<vehicle::AIDriver>> drivers;
  for (int i = 0; i < 8; ++i) {
    Vec3 heading;
    const float along = contentgen::test_world::Perimeter() * static_cast<float>(i) / 8.0f;
    const Vec3 at = contentgen::test_world::CentreAt(along, &heading);
    cars.push_back(std::make_unique<ParkedCar>(at, heading));
    drivers.push_back(std::make_unique<vehicle::AIDriver>(&race, cars.back().get(), false, [] { return 500; }));
  }
  for (auto _ : state) {
    for (auto& driver : drivers) {
      driver->Update(10, 0.01f);
      driver->ApplyControls();
    }
    benchmark::DoNotOptimize(drivers.front()->steering);
  }
}
BENCHMARK(BM_EightDriversOneSubStep);

}  // namespace
