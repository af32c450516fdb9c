// Benchmark of the game's own frame on the OpenGL device at 800x600 with every detail option on: the main menu
// over the showroom, and a quick race on the city circuit with eight cars, every one computer-driven. Reports
// frames per second, start-up to the first menu frame, the track's load time and the resident memory, the
// processor time of all threads and of the game's own thread (game_thread_ms: it transforms and bins every
// triangle the rasteriser's threads then fill), and with pass timing the time, draws, distinct draw set-ups and
// samples of each pass, and where the driver counts them its vertex-program runs, primitives out of the clipper
// and fragment-program runs.
// Needs a display, best one of 800x600 so presenting does not scale:
//   XVFB_SCREEN=800x600x24 tests/display/with_xvfb.sh build-rel/bench/bench_race_render
// RACE_RENDER_SETTINGS="FSAA:0 MOTIONBLUR:0" switches options off to measure what they cost. For a count of
// instructions that a loaded machine does not disturb, rasterise on the game's thread and collect only the
// measured frames:
//   LP_NUM_THREADS=0 RACE_RENDER_FRAMES=20 valgrind --tool=callgrind --collect-atstart=no
//     --toggle-collect='*RunFrames*' build-rel/bench/bench_race_render --benchmark_filter=BM_RaceFrame/pass_timing:0
// With RACE_RENDER_SOAK_SECONDS set, BM_RenderedSoak races on, drawing every frame, for that many seconds of the
// game's time in RACE_RENDER_SOAK_STEP-second frames (0.05 unless given) and reports the resident memory after the
// first lap (90 s) and at the end, the most it grew between, the heap in use and held free, the resident memory
// once the allocator has handed back what it held free, and the bytes of the live textures:
//   RACE_RENDER_SOAK_SECONDS=600 build-rel/bench/bench_race_render --benchmark_filter=BM_RenderedSoak
// With RACE_RENDER_SHOTS naming a folder, the race benchmark without pass timing writes four of its frames there
// (race_0.png to race_3.png, spread over the measured frames), so two builds' pictures of the same race can be
// compared pixel by pixel.
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <malloc.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "app/app_timer.h"
#include "app/hardware_info.h"
#include "app/settings.h"
#include "contentgen/content.h"
#include "contentgen/png_writer.h"
#include "frontend/race_request.h"
#include "game/game_application.h"
#include "platform/audio/mixer.h"
#include "platform/gfx/gl_device.h"
#include "platform/os.h"
#include "platform/window_system.h"
#include "race/race_list.h"

namespace {

namespace fs = std::filesystem;
namespace gs = app::game_state;
using app::SettingId;
using Clock = std::chrono::steady_clock;

constexpr int kCars = 8;
// Every frame lasts this long in the game's clock, whatever it took, so each run renders the same race.
constexpr double kFrameSeconds = 1.0 / 60.0;
// The countdown and the racing before measuring (the field spreads out, skid marks, smoke and glows build up)
// run in the game's longest frames, then the last stretch in measured frames so the frame rate the game
// follows (the blur's fade) has settled.
constexpr double kWarmUpFrameSeconds = 0.05;
constexpr int kWarmUpFrames = 50;
constexpr int kSettleFrames = 90;
constexpr int kFrameBudget = 3000;
// Frames measured per run: a fixed count, so every run renders the same frames of the same race.
// RACE_RENDER_FRAMES sets another count (fewer for valgrind, more for perf).
int MeasuredFrames(int count) {
  const char* frames = std::getenv("RACE_RENDER_FRAMES");
  return frames != nullptr && std::atoi(frames) > 0 ? std::atoi(frames) : count;
}
const int kMenuFrames = MeasuredFrames(200);
const int kRaceFrames = MeasuredFrames(300);

// The settings of a player who switched every detail option on, at 800x600 (full screen: the game keeps its
// window at 640x480).
const std::map<SettingId, int> kFullDetail = {
    {SettingId::FULLSCREEN, 1},      {SettingId::RESOLUTION, 2},         {SettingId::FSAA, 1},
    {SettingId::MOTIONBLUR, 1},      {SettingId::REFLECTIONDETAIL, 2},   {SettingId::SCENEREFLECTION, 1},
    {SettingId::STENCILSHADOWS, 1},  {SettingId::HEADLIGHTS, 1},         {SettingId::VIEWDISTANCE, 3},
    {SettingId::REARVIEW, 1},        {SettingId::PARTICLES, 2},          {SettingId::SKIDMARKS, 2},
    {SettingId::GLOWDETAIL, 2},      {SettingId::ALPHAFADE, 1},          {SettingId::SHOWFPS, 0},
    {SettingId::TURNONHEADLIGHT, 1},
};

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }
double ProcessorSeconds(std::clock_t from) { return static_cast<double>(std::clock() - from) / CLOCKS_PER_SEC; }
// Processor time of the calling thread alone: the game's own thread, which also transforms, clips and bins every
// triangle for the rasteriser's threads, so it bounds the frame rate however many threads rasterise.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Resident and peak resident memory of this process in megabytes, from the kernel's status file.
double StatusMegabytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.rfind(key, 0) == 0) return std::stod(line.substr(key.size())) / 1024.0;
  }
  return 0;
}

class FreeLock : public platform::InstanceLock {
 public:
  bool TryAcquire() override { return true; }
  void Release() override {}
};

class BenchGame : public game::GameApplication {
 public:
  using GameApplication::GameApplication;
  platform::gfx::GlDevice* Gl() const { return dynamic_cast<platform::gfx::GlDevice*>(device); }
};

struct Session {
  std::string folder;
  std::unique_ptr<platform::WindowSystem> windows;
  platform::audio::Mixer mixer{platform::audio::kDefaultOutputRate, platform::audio::kDefaultChannelCount};
  platform::FixedClock raceListClock{1};
  std::unique_ptr<BenchGame> game;
  double clock = 0;
  double frameSeconds = kFrameSeconds;
  std::string error;
  // Wall time and the processor time of every thread; the second is less stretched by a loaded machine.
  double startUpSeconds = 0, trackLoadSeconds = 0, startUpProcessorSeconds = 0, trackLoadProcessorSeconds = 0;

  ~Session() {
    game.reset();
    windows.reset();
    if (!folder.empty()) fs::remove_all(folder);
  }

  // One frame as the main loop runs it: the waiting window messages, then update, render and present.
  void Frame() {
    platform::Message message;
    while (windows->PeekMessage(message, true)) windows->DispatchMessage(message);
    game->RenderFrame();
  }
  app::ScreenFlow& Flow() const { return *game->GetScreenFlow(); }

  bool WriteGameFolder() {
    const std::string name = "corsaire_bench_render_" + std::to_string(std::random_device{}());
    folder = (fs::temp_directory_path() / name).string() + "/";
    if (!contentgen::WriteAllContent(folder)) return Fail("the sample content cannot be written");
    app::HardwareInfo hardware;
    app::Settings settings(hardware, folder, folder);
    settings.LoadConfig(folder + "default_config.dat");
    for (const auto& [id, value] : kFullDetail) settings.SetInt(id, value);
    // For measuring what one option costs: RACE_RENDER_SETTINGS="FSAA:0 MOTIONBLUR:0" overrides the above.
    if (const char* overrides = std::getenv("RACE_RENDER_SETTINGS")) {
      std::istringstream words(overrides);
      std::string word;
      while (words >> word) {
        const size_t colon = word.find(':');
        for (const app::IntSettingDef& def : app::SettingsTable) {
          if (colon != std::string::npos && word.compare(0, colon, def.key) == 0 && std::strlen(def.key) == colon)
            settings.SetInt(def.id, std::atoi(word.c_str() + colon + 1));
        }
      }
    }
    settings.SetFirstRun(false);
    return settings.SaveConfig() || Fail("config.dat cannot be written");
  }

  // From nothing to the first frame of the main menu over the showroom, the intro and the notice skipped as
  // the player's first click would.
  bool StartToMenus() {
    const Clock::time_point start = Clock::now();
    const std::clock_t processorStart = std::clock();
    windows = platform::CreateSdlWindowSystem();
    if (!windows) return Fail("no display");
    app::GraphicsAppServices services;
    platform::WindowSystem& desktop = *windows;
    services.windows = &desktop;
    services.createGraphics = [&desktop] { return platform::gfx::CreateGlGraphicsSystem(desktop); };
    services.createInstanceLock = [](const std::string&) { return std::make_unique<FreeLock>(); };
    services.timer = [this](int command) {
      switch (static_cast<app::TimerCommand>(command)) {
        case app::TimerCommand::ElapsedTime:
          clock += frameSeconds;
          return frameSeconds;
        case app::TimerCommand::ApplicationTime:
          return clock;
        case app::TimerCommand::AbsoluteTime:
          return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
        default:
          return 0.0;
      }
    };
    services.sleep = [](int) {};
    game::GameServices gameServices;
    gameServices.programFolder = folder;
    gameServices.mixer = &mixer;
    gameServices.raceListClock = &raceListClock;  // the same race, opponents and upgrades every run
    game = std::make_unique<BenchGame>(services, gameServices);
    if (platform::Failed(game->Create()) || game->Gl() == nullptr) return Fail("no OpenGL 3.3 device");
    Flow().Reset(gs::kEnterMenus, 0, app::menu_screen::kFirstMenu);
    for (int frame = 0; frame < kFrameBudget && Flow().state != gs::kMenus; ++frame) Frame();
    if (Flow().state != gs::kMenus) return Fail("the menus never came");
    Frame();
    startUpSeconds = Seconds(start);
    startUpProcessorSeconds = ProcessorSeconds(processorStart);
    return true;
  }

  // From the main menu through the loading screen into a racing field of eight computer-driven cars; endless
  // asks for a race no car finishes.
  bool StartRace(bool endless = false) {
    race::ContentDatabase& content = *game->GetContentDatabase();
    race::RaceDefinition* definition = content.quickRaces ? content.quickRaces->At(0) : nullptr;
    if (definition == nullptr) return Fail("no quick race");
    definition->opponents = kCars - 1;  // as the practice screen stores its choice
    if (endless) definition->laps = 100000;
    const Clock::time_point start = Clock::now();
    const std::clock_t processorStart = std::clock();
    Flow().RequestRaceStart(frontend::EncodeRaceParameter(content, definition));
    for (int frame = 0; frame < kFrameBudget && Flow().state != gs::kCountdown; ++frame) Frame();
    if (Flow().state != gs::kCountdown || game->GetRaceSession() == nullptr) return Fail("the race never loaded");
    trackLoadSeconds = Seconds(start);
    trackLoadProcessorSeconds = ProcessorSeconds(processorStart);
    game->GetRaceSession()->HandPlayerToDriver();
    frameSeconds = kWarmUpFrameSeconds;
    for (int frame = 0; frame < kFrameBudget && Flow().state != gs::kRacing; ++frame) Frame();
    for (int frame = 0; frame < kWarmUpFrames; ++frame) Frame();
    frameSeconds = kFrameSeconds;
    for (int frame = 0; frame < kSettleFrames; ++frame) Frame();
    if (Flow().state != gs::kRacing) return Fail("the race is not running after the countdown");
    return true;
  }

  bool Fail(const std::string& why) {
    error = why;
    return false;
  }
};

Session* TheSession(benchmark::State& state, bool race) {
  static std::unique_ptr<Session> session;
  if (session == nullptr) {
    session = std::make_unique<Session>();
    if (!session->WriteGameFolder() || !session->StartToMenus()) {
      std::fprintf(stderr, "race_render: %s\n", session->error.c_str());
    }
  }
  if (session->error.empty() && race && session->game->GetRaceSession() == nullptr && !session->StartRace()) {
    std::fprintf(stderr, "race_render: %s\n", session->error.c_str());
  }
  if (!session->error.empty()) {
    state.SkipWithError(session->error.c_str());
    return nullptr;
  }
  return session.get();
}

// Short counter names of the passes the game marks; the 3D pass is split by what it draws into.
std::string CounterName(const platform::gfx::GlDevice::PassTime& time) {
  if (time.pass == "3d" && time.target.rfind("cube face", 0) == 0) return "cubemaps";
  if (time.pass == "3d" && time.target.rfind("texture", 0) == 0) return "3d_textures";
  // The race marks what its 3D pass draws ("3d: cars"); the table shows each, the counter the whole pass.
  if (time.pass.rfind("3d: ", 0) == 0) return "3d";
  if (time.pass == "second pass") return "second";
  if (time.pass == "cube maps") return "cubemaps";
  return time.pass;
}

// The pass table of each benchmark's last run, printed once when the program ends.
struct PassTables {
  std::map<std::string, std::string> text;
  ~PassTables() {
    for (const auto& [name, table] : text) std::printf("\n%s\n%s", name.c_str(), table.c_str());
  }
} passTables;

// Writes the picture the last frame left in the back buffer as a PNG file.
void WriteShot(Session& session, const std::string& path) {
  platform::gfx::GlDevice& gl = *session.game->Gl();
  const auto width = static_cast<uint32_t>(session.game->GetSettings()->GetInt(SettingId::SCREENWIDTH));
  const auto height = static_cast<uint32_t>(session.game->GetSettings()->GetInt(SettingId::SCREENHEIGHT));
  const std::vector<uint32_t> pixels = gl.ReadPixels(0, 0, width, height);
  if (pixels.size() != static_cast<size_t>(width) * height) {
    std::fprintf(stderr, "race_render: the frame cannot be read back for %s\n", path.c_str());
    return;
  }
  contentgen::PictureData picture(width, height);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) picture.Set(x, y, pixels[static_cast<size_t>(y) * width + x]);
  if (!contentgen::WritePng(path, picture, false)) std::fprintf(stderr, "race_render: %s cannot be written\n", path.c_str());
}

void RunFrames(benchmark::State& state, Session& session, bool passTiming, const std::string& name) {
  platform::gfx::GlDevice& gl = *session.game->Gl();
  session.Frame();
  gl.SetPassTiming(passTiming);
  gl.ClearPassTimes();
  const uint64_t drawsBefore = gl.GetCounters().glDraws;
  const uint64_t requestsBefore = gl.GetCounters().draws;
  const uint64_t programsBefore = gl.GetCounters().programsBuilt;
  int64_t frames = 0;
  const std::clock_t processorBefore = std::clock();
  const double threadBefore = ThreadSeconds();
  const char* shots = name == "race" && !passTiming ? std::getenv("RACE_RENDER_SHOTS") : nullptr;
  const int64_t shotEvery = std::max<int64_t>(1, state.max_iterations / 4);
  for (auto _ : state) {
    session.Frame();
    if (shots != nullptr && frames % shotEvery == 0 && frames / shotEvery < 4) {
      state.PauseTiming();
      WriteShot(session, std::string(shots) + "/race_" + std::to_string(frames / shotEvery) + ".png");
      state.ResumeTiming();
    }
    ++frames;
  }
  gl.SetPassTiming(false);
  const double perFrame = frames > 0 ? 1.0 / static_cast<double>(frames) : 0.0;
  state.counters["fps"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
  // Processor time of every thread (the rasteriser's too) per frame: the work a frame costs, which a loaded
  // machine stretches less than the wall time.
  state.counters["cpu_ms"] = ProcessorSeconds(processorBefore) * 1000.0 * perFrame;
  state.counters["game_thread_ms"] = (ThreadSeconds() - threadBefore) * 1000.0 * perFrame;
  // GL draw calls, and the draws the game asked for (the device joins those in a row with nothing changed).
  state.counters["draws"] = static_cast<double>(gl.GetCounters().glDraws - drawsBefore) * perFrame;
  state.counters["draw_requests"] = static_cast<double>(gl.GetCounters().draws - requestsBefore) * perFrame;
  state.counters["programs_built"] = static_cast<double>(gl.GetCounters().programsBuilt - programsBefore);
  state.counters["rss_MB"] = StatusMegabytes("VmRSS");
  state.counters["peak_rss_MB"] = StatusMegabytes("VmHWM");
  state.counters["textures_MB"] = static_cast<double>(gl.TextureBytes()) / (1024.0 * 1024.0);
  state.counters["startup_s"] = session.startUpSeconds;
  state.counters["startup_cpu_s"] = session.startUpProcessorSeconds;
  if (session.trackLoadSeconds > 0) {
    state.counters["track_load_s"] = session.trackLoadSeconds;
    state.counters["track_load_cpu_s"] = session.trackLoadProcessorSeconds;
  }
  if (!passTiming) return;
  std::map<std::string, double> milliseconds;
  char line[200];
  // set-ups: the distinct buffer, texture and state set-ups among a pass's draw calls, what grouping the draws by
  // set-up (each keeping its own transforms, material and lights) could bring the calls down to.
  std::snprintf(line, sizeof line, "%-12s %-24s %9s %8s %9s %8s %10s %9s %9s %10s\n", "pass", "target", "ms/frame",
                "draws", "requests", "set-ups", "samples", "vertices", "primitives", "fragments");
  std::string table = line;
  double setUps = 0;
  for (const auto& time : gl.PassTimes()) {
    milliseconds[CounterName(time) + "_ms"] += time.seconds * 1000.0 * perFrame;
    setUps += static_cast<double>(time.setUps) * perFrame;
    std::snprintf(line, sizeof line, "%-12s %-24s %9.3f %8.1f %9.1f %8.1f %10.0f %9.0f %9.0f %10.0f\n",
                  time.pass.c_str(), time.target.c_str(), time.seconds * 1000.0 * perFrame,
                  static_cast<double>(time.draws) * perFrame, static_cast<double>(time.requests) * perFrame,
                  static_cast<double>(time.setUps) * perFrame, static_cast<double>(time.samples) * perFrame,
                  static_cast<double>(time.vertices) * perFrame, static_cast<double>(time.primitives) * perFrame,
                  static_cast<double>(time.fragments) * perFrame);
    table += line;
  }
  for (const auto& [counter, value] : milliseconds) state.counters[counter] = value;
  state.counters["draw_setups"] = setUps;
  passTables.text[name] = table;
}

void BM_MainMenuFrame(benchmark::State& state) {
  Session* session = TheSession(state, false);
  if (session != nullptr) RunFrames(state, *session, state.range(0) != 0, "main menu over the showroom");
}
BENCHMARK(BM_MainMenuFrame)
    ->ArgName("pass_timing")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(kMenuFrames)->UseRealTime();

void BM_RaceFrame(benchmark::State& state) {
  Session* session = TheSession(state, true);
  if (session != nullptr) RunFrames(state, *session, state.range(0) != 0, "race");
}
BENCHMARK(BM_RaceFrame)
    ->ArgName("pass_timing")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(kRaceFrames)->UseRealTime();

double EnvironmentSeconds(const char* name, double otherwise) {
  const char* text = std::getenv(name);
  const double value = text != nullptr ? std::atof(text) : 0.0;
  return value > 0 ? value : otherwise;
}

// Megabytes of the heap in use (the game's and the driver's allocations alike).
double HeapMegabytes() { return static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0); }
// Megabytes the allocator holds free inside the heap, which stay resident until trimmed.
double HeapFreeMegabytes() { return static_cast<double>(mallinfo2().fordblks) / (1024.0 * 1024.0); }

void BM_RenderedSoak(benchmark::State& state) {
  constexpr double kFirstLapSeconds = 90.0;
  const double seconds = EnvironmentSeconds("RACE_RENDER_SOAK_SECONDS", 600.0);
  const double step = EnvironmentSeconds("RACE_RENDER_SOAK_STEP", 0.05);
  // A session of its own: its race never ends.
  Session session;
  if (!session.WriteGameFolder() || !session.StartToMenus() || !session.StartRace(true)) {
    state.SkipWithError(session.error.c_str());
    return;
  }
  platform::gfx::GlDevice& gl = *session.game->Gl();
  for (auto _ : state) {
    session.frameSeconds = step;
    const double start = session.clock;
    double lapRss = 0, lapHeap = 0, lapHeapFree = 0, lapTextures = 0, highest = 0;
    long frames = 0;
    while (session.clock - start < seconds && session.Flow().state == gs::kRacing) {
      session.Frame();
      ++frames;
      const double rss = StatusMegabytes("VmRSS");
      if (session.clock - start < kFirstLapSeconds) {
        lapRss = rss;
        lapHeap = HeapMegabytes();
        lapHeapFree = HeapFreeMegabytes();
        lapTextures = static_cast<double>(gl.TextureBytes()) / (1024.0 * 1024.0);
      } else {
        highest = std::max(highest, rss);
      }
    }
    state.counters["frames"] = static_cast<double>(frames);
    state.counters["race_s"] = session.clock - start;
    state.counters["rss_first_lap_MB"] = lapRss;
    state.counters["rss_end_MB"] = StatusMegabytes("VmRSS");
    state.counters["rss_growth_after_first_lap_MB"] = highest > 0 ? highest - lapRss : 0;
    state.counters["heap_first_lap_MB"] = lapHeap;
    state.counters["heap_end_MB"] = HeapMegabytes();
    state.counters["heap_free_first_lap_MB"] = lapHeapFree;
    state.counters["heap_free_end_MB"] = HeapFreeMegabytes();
    state.counters["textures_first_lap_MB"] = lapTextures;
    state.counters["textures_end_MB"] = static_cast<double>(gl.TextureBytes()) / (1024.0 * 1024.0);
    // What the allocator holds free but resident: handing it back shows how much of the growth is live memory
    // (a leak, the game's or the driver's) and how much is churn the allocator kept.
    malloc_trim(0);
    state.counters["rss_after_trim_MB"] = StatusMegabytes("VmRSS");
    if (session.Flow().state != gs::kRacing) {
      const std::string why = "the race stopped before the soak's end, " + std::to_string(session.clock - start) +
                              " s in (game state " + std::to_string(session.Flow().state) + ")";
      state.SkipWithError(why.c_str());
    }
  }
}
// Only when asked for: it runs for many minutes.
const bool renderedSoakRegistered =
    std::getenv("RACE_RENDER_SOAK_SECONDS") != nullptr &&
    benchmark::RegisterBenchmark("BM_RenderedSoak", BM_RenderedSoak)
            ->Iterations(1)
            ->Unit(benchmark::kSecond)
            ->UseRealTime() != nullptr;

}  // namespace
