// Speed of the particle system on the null device: particles updated per second, and particles updated and
// drawn (billboard matrices, frame and fade changes, draw calls) per second, at full and half live counts.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "app/hardware_info.h"
#include "app/settings.h"
#include "contentgen/effect_textures.h"
#include "platform/gfx/null_graphics.h"
#include "platform/math/math.h"
#include "platform/os.h"
#include "render/effects/particle_system.h"
#include "render/resources/resource_manager.h"
#include "render/scene/view_frustum.h"

namespace {

using platform::Vec3;

// Everything a particle system needs, on a null device with the generated pictures in a scratch folder.
struct Rig {
  Rig() {
    folder = (std::filesystem::temp_directory_path() / "corsaire_bench_particles").string() + "/";
    std::filesystem::create_directories(folder);
    contentgen::WriteEffectTextures(folder);
    hardware = std::make_unique<app::HardwareInfo>(app::MachineFacts{});
    settings = std::make_unique<app::Settings>(*hardware, folder, folder);
    platform::gfx::PresentParameters parameters;
    parameters.backBufferWidth = 640;
    parameters.backBufferHeight = 480;
    parameters.backBufferFormat = platform::gfx::Format::X8R8G8B8;
    graphics.CreateDevice(0, platform::gfx::DeviceType::Hal, 0, 0, parameters, &device);
    resources = std::make_unique<render::ResourceManager>(settings.get(), folder);
  }
  ~Rig() {
    resources.reset();
    if (device != nullptr) device->Release();
  }

  std::string folder;
  std::unique_ptr<app::HardwareInfo> hardware;
  std::unique_ptr<app::Settings> settings;
  platform::gfx::NullGraphicsSystem graphics;
  platform::gfx::Device* device = nullptr;
  std::unique_ptr<render::ResourceManager> resources;
};

Rig& TheRig() {
  static Rig* rig = new Rig;
  return *rig;
}

size_t LiveParticles(const render::ParticleSystem& system) {
  size_t total = 0;
  for (const auto& emitter : system.emitters) total += emitter->particles.size();
  return total;
}

// Tops smoke, sparks and flames emitters up toward count particles each in front of the camera. The caps count
// the particles of the last update, so a full emitter may refuse a few; the attempts are bounded.
void Fill(render::ParticleSystem& system, int count) {
  platform::CrtSeed(1);
  const int types[3] = {render::kParticleSmoke, render::kParticleSparks, render::kParticleFlames};
  for (int type : types) {
    render::ParticleEmitter* emitter = system.Emitter(type);
    for (int attempt = 0; attempt < count * 20 && emitter->particles.size() < static_cast<size_t>(count); ++attempt) {
      const Vec3 at{static_cast<float>(platform::CrtRand() % 400) - 200.0f, 10, 200};
      const Vec3 velocity{0, 0, 0};
      system.SpawnBurst(type, &at, &velocity);
    }
  }
}

void BM_UpdateParticles(benchmark::State& state) {
  Rig& rig = TheRig();
  render::ParticleSystem system(rig.device, rig.resources.get(), rig.settings.get());
  const int count = static_cast<int>(state.range(0));
  int64_t processed = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Fill(system, count);
    processed += static_cast<int64_t>(LiveParticles(system));
    state.ResumeTiming();
    system.Update(0.001f);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(processed);
}
BENCHMARK(BM_UpdateParticles)->Arg(100)->Arg(200);

void BM_UpdateAndDrawParticles(benchmark::State& state) {
  Rig& rig = TheRig();
  render::ParticleSystem system(rig.device, rig.resources.get(), rig.settings.get());
  const int count = static_cast<int>(state.range(0));
  const platform::Matrix4 view = platform::LookAtLH({0, 50, -100}, {0, 0, 200}, {0, 1, 0});
  render::ViewFrustum frustum;
  frustum.BuildOrdinary(view, platform::PerspectiveFovLH(0.8f, 4.0f / 3.0f, 10.0f, 6000.0f));
  int64_t processed = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Fill(system, count);
    processed += static_cast<int64_t>(LiveParticles(system));
    static_cast<platform::gfx::NullDevice*>(rig.device)->ClearRecords();
    state.ResumeTiming();
    system.Update(0.001f);
    system.Draw(rig.device, view, &frustum);
  }
  state.SetItemsProcessed(processed);
}
BENCHMARK(BM_UpdateAndDrawParticles)->Arg(100)->Arg(200);

}  // namespace
