// Speed of the collision tree on the generated city circuit: build time, box queries, segment and sphere casts,
// against a scan of every triangle. The partition must beat the scan at least twentyfold on car-size casts.
#include <benchmark/benchmark.h>

#include <chrono>
#include <random>
#include <vector>

#include "contentgen/col_writer.h"
#include "contentgen/test_world.h"
#include "geometry/collision_tree.h"

namespace {

using geometry::CollisionTree;
using geometry::SurfaceHit;
using platform::Vec3;

// Car-size probes: a wheel's ground probe from the axle down, and a body sphere at ride height (clear of a flat
// road by a few inches) moving one simulation step.
constexpr float kAxleHeight = 14;
constexpr float kProbeHeight = 30;
constexpr float kBodyRadius = 40;
constexpr float kRideHeight = 46;
constexpr float kStepLength = 20;
constexpr int kProbeCount = 1024;

const std::vector<unsigned char>& WorldBytes() {
  static const std::vector<unsigned char> bytes = contentgen::EncodeCollisionFile(contentgen::BuildTestWorld());
  return bytes;
}

CollisionTree& World() {
  static CollisionTree* tree = [] {
    auto* loaded = new CollisionTree;
    const auto& bytes = WorldBytes();
    loaded->LoadFromMemory(bytes.data(), bytes.size(), "city.COL", true);
    return loaded;
  }();
  return *tree;
}

// Places on and beside the road, where cars drive.
struct Probe {
  Vec3 start, end;
};
const std::vector<Probe>& Probes() {
  static const std::vector<Probe> probes = [] {
    using namespace contentgen::test_world;
    std::mt19937 random(99);
    std::uniform_real_distribution<float> along(0, Perimeter()), across(-kRoadWidth, kRoadWidth), turn(-1, 1);
    std::vector<Probe> list;
    for (int i = 0; i < kProbeCount; ++i) {
      float d = along(random);
      Vec3 p = CentreAt(d) + InwardAt(d) * across(random) + Vec3{0, kRideHeight, 0};
      Vec3 heading;
      CentreAt(d, &heading);
      list.push_back({p, p + (heading + InwardAt(d) * turn(random)) * kStepLength});
    }
    return list;
  }();
  return probes;
}

// The wheel probe under a body position.
Vec3 Axle(const Vec3& body) { return body - Vec3{0, kRideHeight - kAxleHeight, 0}; }
Vec3 Down(const Vec3& body) { return Axle(body) - Vec3{0, kProbeHeight, 0}; }

void BM_TreeBuild(benchmark::State& state) {
  const auto& bytes = WorldBytes();
  for (auto _ : state) {
    CollisionTree tree;
    benchmark::DoNotOptimize(tree.LoadFromMemory(bytes.data(), bytes.size(), "city.COL", state.range(0) != 0));
  }
  state.SetLabel(state.range(0) ? "quadtree" : "octree");
}
BENCHMARK(BM_TreeBuild)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_QueryBox(benchmark::State& state) {
  CollisionTree& tree = World();
  size_t i = 0;
  for (auto _ : state) {
    const Probe& probe = Probes()[i++ % kProbeCount];
    tree.QueryBox(probe.start - Vec3{100, 60, 100}, probe.start + Vec3{100, 60, 100});
    benchmark::DoNotOptimize(tree.Candidates().data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_QueryBox);

void BM_SegmentCast(benchmark::State& state) {
  CollisionTree& tree = World();
  size_t i = 0;
  SurfaceHit hit;
  for (auto _ : state) {
    const Probe& probe = Probes()[i++ % kProbeCount];
    benchmark::DoNotOptimize(tree.SegmentCast(Axle(probe.start), Down(probe.start), hit));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SegmentCast);

void BM_SegmentScanAllTriangles(benchmark::State& state) {
  const geometry::ModelGeometry& g = *World().Geometry();
  size_t i = 0;
  SurfaceHit hit;
  for (auto _ : state) {
    const Probe& probe = Probes()[i++ % kProbeCount];
    float best = geometry::kNoHitDistance;
    benchmark::DoNotOptimize(g.SegmentHit(Axle(probe.start), Down(probe.start), Down(probe.start), Axle(probe.start), hit, best));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SegmentScanAllTriangles);

void BM_SphereCast(benchmark::State& state) {
  CollisionTree& tree = World();
  size_t i = 0;
  SurfaceHit hit;
  for (auto _ : state) {
    const Probe& probe = Probes()[i++ % kProbeCount];
    benchmark::DoNotOptimize(tree.SphereCast(probe.start, probe.end, kBodyRadius, hit));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SphereCast);

void BM_SphereScanAllTriangles(benchmark::State& state) {
  const geometry::ModelGeometry& g = *World().Geometry();
  size_t i = 0;
  SurfaceHit hit;
  for (auto _ : state) {
    const Probe& probe = Probes()[i++ % kProbeCount];
    Vec3 pad{kBodyRadius, kBodyRadius, kBodyRadius};
    Vec3 low = platform::Vec3{std::min(probe.start.x, probe.end.x), std::min(probe.start.y, probe.end.y),
                              std::min(probe.start.z, probe.end.z)} - pad;
    Vec3 high = platform::Vec3{std::max(probe.start.x, probe.end.x), std::max(probe.start.y, probe.end.y),
                               std::max(probe.start.z, probe.end.z)} + pad;
    float best = geometry::kNoHitDistance;
    benchmark::DoNotOptimize(g.SphereHit(probe.start, probe.end, low, high, kBodyRadius, hit, best));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SphereScanAllTriangles);

// Both ways over the same probes in one run; "speedup" is scan time over tree time (must be at least 20).
void BM_CastSpeedupOverScan(benchmark::State& state) {
  CollisionTree& tree = World();
  const geometry::ModelGeometry& g = *tree.Geometry();
  using Clock = std::chrono::steady_clock;
  Clock::duration treeTime{}, scanTime{};
  SurfaceHit hit;
  for (auto _ : state) {
    auto begin = Clock::now();
    for (const Probe& probe : Probes()) {
      benchmark::DoNotOptimize(tree.SegmentCast(Axle(probe.start), Down(probe.start), hit));
      benchmark::DoNotOptimize(tree.SphereCast(probe.start, probe.end, kBodyRadius, hit));
    }
    auto middle = Clock::now();
    for (const Probe& probe : Probes()) {
      float best = geometry::kNoHitDistance;
      benchmark::DoNotOptimize(g.SegmentHit(Axle(probe.start), Down(probe.start), Down(probe.start), Axle(probe.start), hit, best));
      Vec3 pad{kBodyRadius + kStepLength, kBodyRadius + kStepLength, kBodyRadius + kStepLength};
      best = geometry::kNoHitDistance;
      benchmark::DoNotOptimize(g.SphereHit(probe.start, probe.end, probe.start - pad, probe.start + pad, kBodyRadius, hit, best));
    }
    treeTime += middle - begin;
    scanTime += Clock::now() - middle;
  }
  state.counters["speedup"] = treeTime.count() > 0 ? static_cast<double>(scanTime.count()) / static_cast<double>(treeTime.count()) : 0;
  state.counters["triangles"] = static_cast<double>(g.TriangleCount());
}
BENCHMARK(BM_CastSpeedupOverScan)->Unit(benchmark::kMillisecond);

}  // namespace
