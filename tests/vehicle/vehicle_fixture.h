// Shared fixtures of the car tests: sample cars written by the content writers into a scratch folder, the city
// circuit's collision world, a car placed on it; a null graphics device, a sample source that records what it
// hands out, and a force-feedback output that keeps what each effect was last told.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/sound_samples.h"
#include "contentgen/test_world.h"
#include "contentgen/vehicle_content.h"
#include "geometry/collision_tree.h"
#include "platform/audio/mixer.h"
#include "platform/gfx/null_graphics.h"
#include "platform/math/math.h"
#include "platform/os.h"
#include "vehicle/force_feedback_output.h"
#include "vehicle/track_world.h"
#include "vehicle/vehicle.h"

namespace vehicle_test {

using platform::Vec3;
using vehicle::Vehicle;

// A scratch folder of this test program, made on first use.
// Each test gets its own folder: the suite runs tests in parallel processes, which must not rewrite each other's
// files while one of them reads.
inline std::string ScratchFolder(const std::string& name) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string owner = test != nullptr ? std::string(test->test_suite_name()) + "." + test->name() : "shared";
  const auto folder =
      std::filesystem::path(CORSAIRE_GAME_DIR).parent_path() / "scratch" / "vehicle" / owner / name;
  std::filesystem::create_directories(folder);
  return folder.string() + "/";
}

// The city circuit, loaded once.
inline geometry::CollisionTree& CityTree() {
  static geometry::CollisionTree* tree = [] {
    auto* t = new geometry::CollisionTree;
    const auto bytes = contentgen::EncodeCollisionFile(contentgen::BuildTestWorld());
    t->LoadFromMemory(bytes.data(), bytes.size(), "city.COL", true);
    return t;
  }();
  return *tree;
}

inline const contentgen::SampleCar& Design(const std::string& name) {
  for (const auto& car : contentgen::SampleCars()) {
    if (car.name == name) return car;
  }
  return contentgen::SampleCars().front();
}

// The body layout the sample car's model is built to.
inline vehicle::ChassisLayout LayoutOf(const contentgen::SampleCar& car) {
  vehicle::ChassisLayout layout;
  const auto tyres = contentgen::TyrePositions(car);
  for (int i = 0; i < 4; ++i) {
    layout.tyrePositions[i] = tyres[i];
    layout.tyreRadius[i] = car.tyreRadius;
    layout.tyreWidth[i] = car.tyreWidth;
  }
  // The hull stands on the wheels' centres; the drawn body sits lower, on the ground under them.
  const float half = car.bodyLength / 2, ground = -contentgen::OriginHeight(contentgen::ModelSpecOf(car));
  layout.collisionMin = {-car.bodyHalfWidth, 0, -half};
  layout.collisionMax = {car.bodyHalfWidth, car.bodyHeight, half};
  layout.bodyMin = {-car.bodyHalfWidth, ground, -half};
  layout.bodyMax = {car.bodyHalfWidth, ground + car.bodyHeight, half};
  return layout;
}

// A flat square ground of half size `half` (y = 0) of one surface, with an optional wall across +x at wallX
// (facing -x, 150 high, 4000 long) of the wall material, as a collision tree.
inline std::unique_ptr<geometry::CollisionTree> FlatWorld(const std::string& groundMaterial, float half = 400000,
                                                          float wallX = 0,
                                                          const std::string& wallMaterial = "NODRIVE_WALL") {
  contentgen::ColFile file;
  file.materialNames = {groundMaterial, wallMaterial};
  contentgen::ColMeshBlock block;
  auto quad = [&block](int16_t material, Vec3 a, Vec3 b, Vec3 c, Vec3 d, Vec3 facing) {
    const int32_t base = static_cast<int32_t>(block.vertices.size());
    for (const Vec3& v : {a, b, c, d}) {
      block.cornerVertices.push_back(static_cast<int32_t>(block.vertices.size()));
      block.vertices.push_back(v);
    }
    auto add = [&](int32_t i, int32_t j, int32_t k) {
      const Vec3 n = platform::Cross(block.vertices[j] - block.vertices[i], block.vertices[k] - block.vertices[i]);
      if (platform::Dot(n, facing) < 0) std::swap(j, k);
      for (auto& group : block.groups) {
        if (group.material == material) {
          group.triangles.push_back({i, j, k});
          return;
        }
      }
      block.groups.push_back({material, {{i, j, k}}});
    };
    add(base, base + 1, base + 2);
    add(base, base + 2, base + 3);
  };
  const int tiles = 40;
  const float size = 2 * half / tiles;
  for (int i = 0; i < tiles; ++i) {
    for (int j = 0; j < tiles; ++j) {
      const float x = -half + i * size, z = -half + j * size;
      quad(0, {x, 0, z}, {x + size, 0, z}, {x + size, 0, z + size}, {x, 0, z + size}, {0, 1, 0});
    }
  }
  if (wallX != 0) {
    quad(1, {wallX, 0, -2000}, {wallX, 0, 2000}, {wallX, 150, 2000}, {wallX, 150, -2000}, {-1, 0, 0});
  }
  file.blocks.push_back(std::move(block));
  const auto bytes = contentgen::EncodeCollisionFile(file);
  auto tree = std::make_unique<geometry::CollisionTree>();
  tree->LoadFromMemory(bytes.data(), bytes.size(), "flat.COL", true);
  return tree;
}

// A sample car loaded from its written definition and assembled, not yet placed.
inline std::unique_ptr<Vehicle> LoadCar(const std::string& name, bool inert = false) {
  const auto& sample = Design(name);
  const std::string folder = ScratchFolder("cars");
  contentgen::WriteSampleCar(folder, sample);
  auto car = std::make_unique<Vehicle>(nullptr, nullptr, "Tester", inert);
  car->LoadDefinition(folder + contentgen::CarFolder(sample) + contentgen::kCarDefinitionFile, nullptr, nullptr,
                      0, true);
  car->AssembleChassis(LayoutOf(sample));
  return car;
}

// Rows right, up, forward for a car heading along a horizontal direction.
inline platform::Matrix4 Heading(const Vec3& forward) {
  return platform::Transpose(platform::LookAtLH({}, forward, {0, 1, 0}));
}

// Puts the car at a point heading along a direction, settled onto the ground below.
inline void PlaceAt(Vehicle& car, vehicle::VehicleWorld& world, const Vec3& at, const Vec3& heading = {1, 0, 0}) {
  car.position = at;
  car.rotation = Heading(heading);
  car.Reset(world, nullptr);
}

// Puts the car at a distance along the circuit's centreline (on the south straight for small distances).
inline void PlaceOnCircuit(Vehicle& car, vehicle::VehicleWorld& world, float distance, float lateral = 0) {
  Vec3 heading;
  Vec3 at = contentgen::test_world::CentreAt(distance, &heading);
  at += contentgen::test_world::InwardAt(distance) * lateral;
  car.position = at + Vec3{0, 30, 0};
  car.rotation = Heading(heading);
  car.Reset(world, nullptr);
}

// Steps the car for a time in sub-steps of 0.01 s with fixed controls.
inline void Drive(Vehicle& car, vehicle::VehicleWorld& world, float seconds, float throttle, float brake,
                  float steer = 0, bool handbrake = false) {
  const int steps = static_cast<int>(seconds / 0.01f + 0.5f);
  for (int i = 0; i < steps; ++i) {
    car.SetControls(throttle, brake, handbrake, false, steer, false, false);
    car.Update(world, 0.01f);
  }
}

}  // namespace vehicle_test

namespace vehicle::testing {

struct NullDeviceFixture {
  NullDeviceFixture() {
    platform::gfx::PresentParameters p;
    p.windowed = true;
    p.backBufferFormat = platform::gfx::Format::X8R8G8B8;
    p.backBufferWidth = 640;
    p.backBufferHeight = 480;
    EXPECT_EQ(system.CreateDevice(0, platform::gfx::DeviceType::Hal, 1, 0, p, &device), platform::kOk);
  }
  ~NullDeviceFixture() {
    if (device != nullptr) device->Release();
  }
  NullDeviceFixture(const NullDeviceFixture&) = delete;
  NullDeviceFixture& operator=(const NullDeviceFixture&) = delete;
  platform::gfx::NullDevice& Null() { return *static_cast<platform::gfx::NullDevice*>(device); }

  platform::gfx::NullGraphicsSystem system;
  platform::gfx::Device* device = nullptr;
};

class FakeSoundSource final : public app::SoundSampleSource {
 public:
  explicit FakeSoundSource(int channels = platform::audio::kDefaultChannelCount) : mixer_(22050, channels) {}

  app::SoundSample AcquireSample(const std::string& name, bool loop) override {
    auto found = byName_.find(name);
    if (found != byName_.end()) {
      ++references[found->second];
      return found->second;
    }
    platform::audio::SampleData data;
    data.rate = 22050;
    data.channels = 1;
    data.samples.assign(2205, 1000);
    const app::SoundSample sample = mixer_.CreateSample(std::move(data), loop);
    byName_[name] = sample;
    names[sample] = name;
    references[sample] = 1;
    return sample;
  }
  void DropSample(app::SoundSample sample) override {
    if (sample != 0 && references.count(sample) != 0) --references[sample];
  }
  platform::audio::Mixer& SampleMixer() override { return mixer_; }

  // The sample loaded under that name, or 0.
  app::SoundSample Find(const std::string& name) const {
    auto found = byName_.find(name);
    return found == byName_.end() ? 0 : found->second;
  }
  int Held() const {
    int total = 0;
    for (const auto& entry : references) total += entry.second;
    return total;
  }

  std::map<app::SoundSample, std::string> names;
  std::map<app::SoundSample, int> references;

 private:
  platform::audio::Mixer mixer_;
  std::map<std::string, app::SoundSample> byName_;
};

class RecordingForceFeedback final : public ForceFeedbackOutput {
 public:
  void PlayEffect(int effect, int iterations) override {
    playing[effect] = true;
    lastIterations[effect] = iterations;
  }
  void StopEffect(int effect) override { playing[effect] = false; }
  void SetEffectGain(int effect, int gain) override { gains[effect] = gain; }
  void StopAllEffects() override {
    for (auto& entry : playing) entry.second = false;
  }
  bool Ready() const override { return ready; }

  bool IsPlaying(int effect) const {
    auto found = playing.find(effect);
    return found != playing.end() && found->second;
  }

  bool ready = true;
  std::map<int, bool> playing;
  std::map<int, int> lastIterations;
  std::map<int, int> gains;
};

}  // namespace vehicle::testing
