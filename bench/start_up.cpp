// Start-up and track load of the game on its real window, OpenGL device and mixer, over a copy of the game
// folder the build wrote: from making the application to its first frame and to the first frame of the main menu
// (intro and notice passed at once, as a player clicking through them; frames are timed at 20 a second so fades
// take their frames, not their seconds), and the load of the city circuit's quick race from the loading screen to
// the cars held at the start. Needs a display (run it under tests/display/with_xvfb.sh); without one it falls
// back to the null graphics system and says so in the label. The page cache is warm after the first run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/app_timer.h"
#include "game/game_application.h"
#include "game/headless_race.h"
#include "platform/gfx/graphics.h"
#include "platform/gfx/null_graphics.h"
#include "platform/null_window_system.h"
#include "platform/os.h"
#include "platform/window_system.h"
#include "resident_memory.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double kFrameSeconds = 0.05;
// Far more frames than the fades between the notice and the menu take.
constexpr int kMaxFrames = 400;

// A lock that always succeeds, so a game running beside the benchmark changes nothing.
class FreeLock : public platform::InstanceLock {
 public:
  bool TryAcquire() override { return true; }
  void Release() override {}
};

// The game folder copied once, so whatever the runs save never touches the build's own.
const std::string& GameFolder() {
  static const std::string folder = [] {
    const fs::path copy = fs::temp_directory_path() / "corsaire_bench_start_up";
    fs::remove_all(copy);
    fs::copy(CORSAIRE_GAME_DIR, copy, fs::copy_options::recursive);
    return copy.string() + "/";
  }();
  return folder;
}

bool HaveDisplay() { return std::getenv("DISPLAY") != nullptr; }

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Creation to the first frame, and to the first frame drawn in the main menu.
void BM_StartUpToMainMenu(benchmark::State& state) {
  const std::string& folder = GameFolder();
  double firstFrame = 0, menu = 0, resident = 0;
  int frames = 0;
  bool realGraphics = false;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    std::unique_ptr<platform::WindowSystem> windows;
    if (HaveDisplay()) windows = platform::CreateSdlWindowSystem();
    realGraphics = windows != nullptr;
    if (!realGraphics) windows = std::make_unique<platform::NullWindowSystem>();
    platform::WindowSystem& desktop = *windows;
    app::GraphicsAppServices services;
    services.windows = &desktop;
    services.createGraphics = [&desktop, realGraphics]() -> std::unique_ptr<platform::gfx::GraphicsSystem> {
      if (realGraphics) return platform::gfx::CreateGlGraphicsSystem(desktop);
      return std::make_unique<platform::gfx::NullGraphicsSystem>();
    };
    services.createInstanceLock = [](const std::string&) { return std::make_unique<FreeLock>(); };
    services.timer = [](int command) {
      return command == static_cast<int>(app::TimerCommand::ElapsedTime) ? kFrameSeconds : 0.0;
    };
    services.sleep = [](int) {};
    game::GameServices gameServices;
    gameServices.programFolder = folder;
    auto application = std::make_unique<game::GameApplication>(services, gameServices);
    if (platform::Failed(application->Create()) || platform::Failed(application->RenderFrame())) {
      state.SkipWithError("the game did not start");
      break;
    }
    firstFrame = SecondsSince(start);
    application->GetScreenFlow()->Reset(app::game_state::kDisclaimer, 0, app::menu_screen::NoScreenChange);
    application->GetGuiContext()->accepted = true;
    for (frames = 1; frames <= kMaxFrames && application->GetScreenFlow()->state != app::game_state::kMenus; ++frames) {
      application->RenderFrame();
    }
    application->RenderFrame();
    menu = SecondsSince(start);
    state.SetIterationTime(menu);
    resident = bench::ResidentMegabytes();
    state.PauseTiming();
    application.reset();
    windows.reset();
    state.ResumeTiming();
  }
  state.counters["first_frame_s"] = firstFrame;
  state.counters["main_menu_s"] = menu;
  state.counters["frames"] = frames;
  state.counters["rss_MB"] = resident;
  state.SetLabel(realGraphics ? "OpenGL" : "null graphics");
}
BENCHMARK(BM_StartUpToMainMenu)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The city circuit's quick race: track, scenery, paths and cars loaded stage by stage, as the loading screen does.
void BM_TrackLoad(benchmark::State& state) {
  const std::string& folder = GameFolder();
  std::unique_ptr<platform::WindowSystem> windows;
  if (HaveDisplay()) windows = platform::CreateSdlWindowSystem();
  std::unique_ptr<platform::gfx::GraphicsSystem> graphics;
  platform::gfx::Device* device = nullptr;
  if (windows) {
    const platform::WindowHandle window = windows->CreateWindow(
        "Corsaire benchmark", platform::window_style::kWindowed, 800, 600,
        [&windows](platform::WindowHandle w, uint32_t m, uintptr_t wp, intptr_t lp) {
          return windows->DefWindowProc(w, m, wp, lp);
        });
    graphics = platform::gfx::CreateGlGraphicsSystem(*windows);
    platform::gfx::PresentParameters parameters;
    parameters.backBufferWidth = 800;
    parameters.backBufferHeight = 600;
    parameters.backBufferFormat = platform::gfx::Format::X8R8G8B8;
    parameters.deviceWindow = window;
    parameters.presentationInterval = platform::gfx::present_interval::kImmediate;
    if (graphics == nullptr || window == 0 ||
        platform::Failed(graphics->CreateDevice(0, platform::gfx::DeviceType::Hal, window, 0, parameters, &device))) {
      device = nullptr;
    }
  }
  double seconds = 0, resident = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto race = std::make_unique<game::HeadlessRace>(folder, 1);
    std::string error;
    state.ResumeTiming();
    const Clock::time_point start = Clock::now();
    if (!race->Load("QUICKRACE", 0, error, device, graphics.get())) {
      state.SkipWithError(error.c_str());
      break;
    }
    seconds = SecondsSince(start);
    state.SetIterationTime(seconds);
    resident = bench::ResidentMegabytes();
    state.PauseTiming();
    race.reset();
    state.ResumeTiming();
  }
  if (device != nullptr) device->Release();
  state.counters["track_load_s"] = seconds;
  state.counters["rss_MB"] = resident;
  state.SetLabel(device != nullptr ? "OpenGL" : "null graphics");
}
BENCHMARK(BM_TrackLoad)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
