// Test harness for the application framework: a recording application on the null window and graphics backends,
// an in-memory single-instance lock and an injected timer and sleep.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/graphics_app.h"
#include "platform/gfx/null_graphics.h"
#include "platform/null_window_system.h"

namespace app::testing {

// Locks that live in one table, so two applications in one test see each other.
struct LockTable {
  struct Lock : platform::InstanceLock {
    Lock(LockTable& table, std::string name) : table(table), name(std::move(name)) {}
    ~Lock() override { Release(); }
    bool TryAcquire() override { return held || (held = table.held.insert(name).second); }
    void Release() override {
      if (held) table.held.erase(name);
      held = false;
    }
    LockTable& table;
    std::string name;
    bool held = false;
  };
  std::set<std::string> held;
};

// An application that records every hook it gets and fails on request.
class RecordingApp : public GraphicsApp {
 public:
  using GraphicsApp::GraphicsApp;

  // Hook names in call order.
  std::vector<std::string> log;
  // Key messages that reached the application's message handling: (message, wParam).
  std::vector<std::pair<uint32_t, uintptr_t>> keys;
  int pauses = 0;
  int resumes = 0;
  int frameMoves = 0;
  int renders = 0;
  int finalCleanups = 0;

  // Results FrameMove gives, front first; kOk once the list is used up.
  std::deque<platform::HResult> frameMoveResults;
  platform::HResult initResult = platform::kOk;
  platform::HResult restoreResult = platform::kOk;
  // The run ends (quit request) once this many frames have been moved; 0 never.
  int quitAfterFrames = 0;
  // Called at the start of each FrameMove with the frame number (1 = first).
  std::function<void(int)> onFrameMove;
  // Called inside RestoreDeviceObjects.
  std::function<void()> onRestore;

  platform::HResult OneTimeInit() override { return Logged("OneTimeInit", platform::kOk); }
  platform::HResult InitDeviceObjects() override { return Logged("InitDeviceObjects", initResult); }
  platform::HResult RestoreDeviceObjects() override {
    log.push_back("RestoreDeviceObjects");
    if (onRestore) onRestore();
    return restoreResult;
  }
  platform::HResult InvalidateDeviceObjects() override { return Logged("InvalidateDeviceObjects", platform::kOk); }
  platform::HResult DeleteDeviceObjects() override { return Logged("DeleteDeviceObjects", platform::kOk); }
  platform::HResult FinalCleanup() override {
    ++finalCleanups;
    return Logged("FinalCleanup", platform::kOk);
  }
  platform::HResult FrameMove() override {
    ++frameMoves;
    if (onFrameMove) onFrameMove(frameMoves);
    if (frameMoveResults.empty()) return platform::kOk;
    const platform::HResult result = frameMoveResults.front();
    frameMoveResults.pop_front();
    return result;
  }
  platform::HResult Render() override { return ++renders, platform::kOk; }
  platform::HResult Logged(const char* hook, platform::HResult result) {
    log.push_back(hook);
    return result;
  }
  bool IsQuitRequested() override { return quitAfterFrames > 0 && frameMoves >= quitAfterFrames; }
  platform::HResult Pause() override { return ++pauses, GraphicsApp::Pause(); }
  platform::HResult Resume() override { return ++resumes, GraphicsApp::Resume(); }
  intptr_t MsgProc(platform::WindowHandle hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    if (message == platform::wm::kKeyDown || message == platform::wm::kKeyUp || message == platform::wm::kChar) {
      keys.emplace_back(message, wParam);
    }
    return GraphicsApp::MsgProc(hwnd, message, wParam, lParam);
  }

  // The framework's state, for the tests to read and set.
  using GraphicsApp::closing;
  using GraphicsApp::device;
  using GraphicsApp::deviceSettings;
  using GraphicsApp::failedFrames;
  using GraphicsApp::presentParameters;
  using GraphicsApp::ready;
  using GraphicsApp::running;
  using GraphicsApp::window;
  using GraphicsApp::windowed;
};

// The services on the null backends, with their records.
struct Harness {
  platform::NullWindowSystem windows;
  platform::gfx::NullDescription machine = platform::gfx::NullDefaultDescription();
  LockTable locks;
  // The graphics system the last application made (owned by the application; null once released).
  platform::gfx::NullGraphicsSystem* graphics = nullptr;
  bool graphicsAvailable = true;
  int graphicsCreated = 0;
  std::vector<int> sleeps;
  uint32_t directXVersion = 0x00090000;

  GraphicsAppServices Services() {
    GraphicsAppServices services;
    services.windows = &windows;
    services.createGraphics = [this]() -> std::unique_ptr<platform::gfx::GraphicsSystem> {
      ++graphicsCreated;
      if (!graphicsAvailable) return nullptr;
      auto system = std::make_unique<platform::gfx::NullGraphicsSystem>(machine);
      graphics = system.get();
      return system;
    };
    services.createInstanceLock = [this](const std::string& name) -> std::unique_ptr<platform::InstanceLock> {
      return std::make_unique<LockTable::Lock>(locks, name);
    };
    services.timer = [](int) { return 0.0; };
    services.sleep = [this](int milliseconds) { sleeps.push_back(milliseconds); };
    services.directXVersion = [this] { return directXVersion; };
    return services;
  }

  // The device the application holds, as the null device it is.
  static platform::gfx::NullDevice* NullDeviceOf(const RecordingApp& app) {
    return static_cast<platform::gfx::NullDevice*>(app.device);
  }

  // Counts the messages of one kind handed to the window procedure through the loop.
  int DispatchedCount(uint32_t message) const {
    int count = 0;
    for (const platform::Message& dispatched : windows.DispatchedMessages()) {
      if (dispatched.message == message) ++count;
    }
    return count;
  }
};

}  // namespace app::testing
