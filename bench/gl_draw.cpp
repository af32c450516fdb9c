// Benchmark of the OpenGL device on a scene-like frame: a few thousand small batches with mixed textures, combiner
// set-ups, lighting and blending. Reports draw calls per second and program switches per frame. Needs a display
// (run it under tests/display/with_xvfb.sh).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/gfx/gl_device.h"
#include "platform/gfx/graphics.h"
#include "platform/window_system.h"

namespace {

using namespace platform;
using namespace platform::gfx;

struct LitVertex {
  float x, y, z, nx, ny, nz, u, v;
};

constexpr uint32_t kBatches = 3000;
constexpr uint32_t kTrianglesPerBatch = 8;

// One window, device and the resources of the workload, made once for all runs.
struct Scene {
  std::unique_ptr<WindowSystem> windows;
  WindowHandle window = 0;
  std::unique_ptr<GraphicsSystem> system;
  Device* device = nullptr;
  VertexBuffer* vertices = nullptr;
  std::vector<Texture*> textures;

  bool Open() {
    windows = CreateSdlWindowSystem();
    if (!windows) return false;
    window = windows->CreateWindow("Corsaire benchmark", window_style::kWindowed, 320, 240,
                                   [this](WindowHandle w, uint32_t m, uintptr_t wp, intptr_t lp) {
                                     return windows->DefWindowProc(w, m, wp, lp);
                                   });
    if (window == 0) return false;
    system = CreateGlGraphicsSystem(*windows);
    if (!system) return false;
    PresentParameters parameters;
    parameters.backBufferWidth = 320;
    parameters.backBufferHeight = 240;
    parameters.backBufferFormat = Format::X8R8G8B8;
    parameters.deviceWindow = window;
    parameters.presentationInterval = present_interval::kImmediate;
    if (Failed(system->CreateDevice(0, DeviceType::Hal, window, 0, parameters, &device))) return false;
    const uint32_t vertexCount = kBatches * kTrianglesPerBatch * 3;
    if (Failed(device->CreateVertexBuffer(vertexCount * sizeof(LitVertex), usage::kWriteOnly,
                                          fvf::kXyz | fvf::kNormal | fvf::kTex1, Pool::Managed, &vertices)))
      return false;
    uint8_t* data = nullptr;
    vertices->Lock(0, 0, &data, 0);
    auto* v = reinterpret_cast<LitVertex*>(data);
    for (uint32_t i = 0; i < vertexCount; ++i) {
      const float x = static_cast<float>(i % 97) / 48.0f - 1.0f;
      const float y = static_cast<float>((i / 3) % 89) / 44.0f - 1.0f;
      const float corner = static_cast<float>(i % 3) * 0.05f;
      v[i] = {x + corner, y - corner * (i % 2), 0.5f, 0, 0, -1, corner * 10, corner * 5};
    }
    vertices->Unlock();
    for (uint32_t t = 0; t < 8; ++t) {
      Texture* texture = nullptr;
      device->CreateTexture(32, 32, 0, 0, Format::A8R8G8B8, Pool::Managed, &texture);
      LockedRect locked;
      texture->LockRect(0, locked, nullptr, 0);
      std::memset(locked.bits, static_cast<int>(t * 30), static_cast<size_t>(locked.pitch) * 32);
      texture->UnlockRect(0);
      textures.push_back(texture);
    }
    Light light;
    light.diffuse = {1, 1, 1, 1};
    light.direction = {0, 0, 1};
    device->SetLight(0, light);
    device->LightEnable(0, true);
    Material material;
    material.diffuse = {1, 1, 1, 1};
    device->SetMaterial(material);
    return true;
  }

  ~Scene() {
    for (Texture* texture : textures) texture->Release();
    if (vertices != nullptr) vertices->Release();
    if (device != nullptr) device->Release();
    system.reset();
    if (windows && window != 0) windows->DestroyWindow(window);
  }

  // One frame: batches grouped by material as a scene draws them, each material its own stage set-up.
  void Frame() {
    device->Clear(clear_flags::kTarget | clear_flags::kZBuffer, 0xFF203040, 1.0f, 0);
    device->BeginScene();
    device->SetVertexShader(fvf::kXyz | fvf::kNormal | fvf::kTex1);
    device->SetStreamSource(0, vertices, sizeof(LitVertex));
    for (uint32_t batch = 0; batch < kBatches; ++batch) {
      const uint32_t material = batch / (kBatches / 12);  // 12 materials, drawn in order
      device->SetTexture(0, textures[batch % textures.size()]);
      device->SetTextureStageState(0, TextureStageState::ColorOp,
                                   material % 3 == 0 ? TextureOp::Modulate : (material % 3 == 1 ? TextureOp::Modulate2x : TextureOp::AddSmooth));
      device->SetRenderState(RenderState::AlphaBlendEnable, material % 4 == 3);
      device->SetRenderState(RenderState::Lighting, material % 2 == 0);
      device->SetRenderState(RenderState::TextureFactor, 0xFF000000u | batch);
      device->DrawPrimitive(PrimitiveType::TriangleList, batch * kTrianglesPerBatch * 3, kTrianglesPerBatch);
    }
    device->EndScene();
    device->Present();
  }
};

void BM_SceneFrame(benchmark::State& state) {
  static Scene* scene = nullptr;
  if (scene == nullptr) {
    scene = new Scene;
    if (!scene->Open()) {
      state.SkipWithError("no display or no OpenGL 3.3");
      return;
    }
  }
  auto& gl = static_cast<GlDevice&>(*scene->device);
  scene->Frame();  // builds the programs once
  const GlDevice::Counters before = gl.GetCounters();
  uint64_t frames = 0;
  for (auto _ : state) {
    scene->Frame();
    ++frames;
  }
  const GlDevice::Counters after = gl.GetCounters();
  state.counters["draws_per_second"] =
      benchmark::Counter(static_cast<double>(after.draws - before.draws), benchmark::Counter::kIsRate);
  state.counters["program_switches_per_frame"] =
      static_cast<double>(after.programSwitches - before.programSwitches) / static_cast<double>(frames);
  state.counters["programs_cached"] = static_cast<double>(gl.CachedPrograms());
}
BENCHMARK(BM_SceneFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
