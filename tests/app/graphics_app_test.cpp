// Tests of the application framework on the null backends: start-up, the main loop, lost devices, fatal errors.
#include "app/graphics_app.h"

#include <gtest/gtest.h>

#include "app/app_timer.h"
#include "app/fatal_errors.h"
#include "app/graphics_app_fixture.h"

namespace app {
namespace {

using platform::HResult;
using testing::Harness;
using testing::RecordingApp;
namespace wm = platform::wm;

std::string OnlyMessage(const Harness& harness) {
  return harness.windows.MessageBoxes().size() == 1 ? harness.windows.MessageBoxes()[0].text : "<not one message>";
}

TEST(GraphicsAppCreate, ASecondInstanceEndsSilentlyUntilTheFirstCloses) {
  Harness harness;
  {
    RecordingApp first(harness.Services());
    ASSERT_EQ(first.Create(), platform::kOk);
    RecordingApp second(harness.Services());
    EXPECT_EQ(second.Create(), platform::kFail);
    EXPECT_EQ(harness.windows.WindowsCreated(), 1);
    EXPECT_EQ(harness.graphicsCreated, 1);
    EXPECT_TRUE(harness.windows.MessageBoxes().empty());
    harness.windows.PostMessage(first.window, wm::kClose, 0, 0);
    EXPECT_EQ(first.Run(), 0);
  }
  RecordingApp later(harness.Services());
  EXPECT_EQ(later.Create(), platform::kOk);
}

TEST(GraphicsAppCreate, DesktopColorDepthBelow16OrExactly24IsRefused) {
  for (auto [depth, accepted] : {std::pair{8, false}, {15, false}, {16, true}, {24, false}, {32, true}}) {
    SCOPED_TRACE(depth);
    Harness harness;
    harness.windows.SetDesktopColorDepth(depth);
    RecordingApp app(harness.Services());
    EXPECT_EQ(app.Create(), accepted ? platform::kOk : platform::kFail);
    EXPECT_EQ(harness.graphicsCreated, accepted ? 1 : 0);
    if (!accepted) {
      EXPECT_EQ(OnlyMessage(harness),
                "This game must be run in 16- or 32-bit color mode. Please change your desktop color depth and try "
                "again.");
    }
  }
}

TEST(GraphicsAppCreate, FailuresAreReportedOnce) {
  {
    Harness harness;
    harness.graphicsAvailable = false;
    RecordingApp app(harness.Services());
    EXPECT_EQ(app.Create(), platform::kFail);
    EXPECT_EQ(OnlyMessage(harness),
              std::string(FatalErrorMessage(app_error::kNoGraphicsSystem)) + "\n\nThis game will now exit.");
    EXPECT_EQ(harness.windows.WindowsCreated(), 0);
  }
  {
    Harness harness;
    RecordingApp app(harness.Services());
    app.initResult = platform::kOutOfMemory;
    EXPECT_EQ(app.Create(), platform::kFail);
    EXPECT_EQ(app.device, nullptr);
    EXPECT_EQ(app.log, (std::vector<std::string>{"OneTimeInit", "InitDeviceObjects", "DeleteDeviceObjects"}));
    EXPECT_EQ(OnlyMessage(harness), "Not enough memory.\n\nThis game will now exit.");
  }
}

TEST(GraphicsAppCreate, EachStartUpFailureTellsThePlayerWhatWentWrong) {
  const struct {
    HResult failure;
    const char* message;
  } cases[] = {
      {platform::kOutOfVideoMemory, "Not enough video memory."},
      {platform::kDriverInternalError, "A serious problem occured inside the display driver."},
      {platform::kFileNotFound, "Could not load required media."},
      {app_error::kMediaNotFound, "Could not load required media."},
      {platform::kFail, "Ostrel Torvane requires 3DAcceleration.Currently the system is not configured for "
                        "3DAcceleration."},
      {app_error::kNoWindow, "Ostrel Torvane requires 3DAcceleration.Currently the system is not configured for "
                             "3DAcceleration."},
      {app_error::kNoWindowableDevice,
       "This game cannot run in a desktop\nwindow with the current display settings.\nPlease change your desktop "
       "settings to a\n16- or 32-bit display mode and re-run this\nsample."},
      {app_error::kNoHardwareDevice, "No hardware-accelerated Direct3D devices\nwere found."},
      {app_error::kHardwareLacksFeatures,
       "This game requires functionality that is\nnot available on your Direct3D hardware\naccelerator."},
      {app_error::kHardwareCannotWindow,
       "Your Direct3D hardware accelerator cannot\nrender into a window.\nPress F2 while the app is running to see "
       "a\nlist of available devices and modes."},
      {app_error::kHardwareCannotUseDesktop,
       "Your Direct3D hardware accelerator cannot\nrender into a window with the current\ndesktop display "
       "settings.\n"},
      {app_error::kHardwareLacksFeaturesOnDesktop,
       "This game requires functionality that is\nnot available on your Direct3D hardware\naccelerator with the "
       "current desktop display\nsettings.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    Harness harness;
    RecordingApp app(harness.Services());
    app.initResult = c.failure;
    EXPECT_EQ(app.Create(), platform::kFail);
    EXPECT_EQ(OnlyMessage(harness), std::string(c.message) + "\n\nThis game will now exit.");
  }
}

TEST(GraphicsAppCreate, AMachineWithoutAUsableGraphicsDeviceIsToldSo) {
  Harness harness;
  harness.machine.adapters.clear();
  RecordingApp app(harness.Services());
  EXPECT_EQ(app.Create(), platform::kFail);
  EXPECT_EQ(OnlyMessage(harness),
            std::string(FatalErrorMessage(app_error::kNoCompatibleDevice)) + "\n\nThis game will now exit.");
  EXPECT_EQ(app.device, nullptr);
}

TEST(GraphicsAppLoop, ThreeFailedFramesInARowCloseTheWindowOnce) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  // A good frame starts the count again; closing stops further frames at once.
  app.frameMoveResults = {platform::kFail, platform::kFail, platform::kOk,   platform::kFail,
                          platform::kFail, platform::kFail, platform::kFail, platform::kFail};
  EXPECT_EQ(app.Run(), 0);
  EXPECT_EQ(app.frameMoves, 6);
  EXPECT_EQ(harness.DispatchedCount(wm::kClose), 1);
  EXPECT_EQ(app.finalCleanups, 1);
}

TEST(GraphicsAppLoop, LostDeviceWaitsUntilResettableThenInvalidatesResetsAndRestores) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  platform::gfx::NullDevice* device = Harness::NullDeviceOf(app);
  std::vector<int> resetsAtRestore;
  app.log.clear();
  // Lost during the first frame: its Present reports it; two more tests still find it lost.
  app.onFrameMove = [&](int frame) {
    if (frame == 1) device->LoseDevice(3);
  };
  app.onRestore = [&] { resetsAtRestore.push_back(static_cast<int>(device->Stats().resets)); };
  app.quitAfterFrames = 2;
  EXPECT_EQ(app.Run(), 0);
  // Idle passes while lost: three answers "lost", one "not reset" (reset), one that recovers and draws.
  EXPECT_EQ(harness.sleeps, (std::vector<int>{100, 100, 100, 100, 100}));
  EXPECT_EQ(app.frameMoves, 2);
  EXPECT_EQ(app.log, (std::vector<std::string>{"InvalidateDeviceObjects", "RestoreDeviceObjects",
                                               "InvalidateDeviceObjects", "DeleteDeviceObjects", "FinalCleanup"}));
  EXPECT_EQ(resetsAtRestore, std::vector<int>{1}) << "reset between the invalidation and the restore";
}

TEST(GraphicsAppLoop, FailedRestoreAfterResetIsReportedAndCountsAsAFailedFrame) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  int failedFramesAtSecondFrame = -1;
  app.onFrameMove = [&](int frame) {
    if (frame == 1) {
      Harness::NullDeviceOf(app)->LoseDevice(0);
      app.restoreResult = platform::kOutOfMemory;
    }
    if (frame == 2) failedFramesAtSecondFrame = app.failedFrames;
  };
  app.quitAfterFrames = 2;
  EXPECT_EQ(app.Run(), 0);
  EXPECT_EQ(OnlyMessage(harness), "FAILED RESTORE");
  EXPECT_EQ(failedFramesAtSecondFrame, 1);
}

TEST(GraphicsAppFatalError, IsShownOnceAndClosesTheWindowAfterTheCurrentFrame) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  HResult first = platform::kOk, second = platform::kOk;
  int rendersAtFatal = -1;
  app.onFrameMove = [&](int frame) {
    if (frame != 2) return;
    rendersAtFatal = app.renders;
    first = app.ShowFatalError(app_error::kResetFailed, 1);
    second = app.ShowFatalError(platform::kOutOfVideoMemory, 1);
    EXPECT_NE(app.device, nullptr) << "nothing is torn down in the middle of the frame";
  };
  EXPECT_EQ(app.Run(), 0);
  EXPECT_EQ(first, platform::kFail);
  EXPECT_EQ(second, platform::kOutOfVideoMemory);
  EXPECT_EQ(OnlyMessage(harness), "Could not reset the Direct3D device.\n\nThis game will now exit.");
  // The frame that raised it was drawn to the end, and it was the last.
  EXPECT_EQ(app.frameMoves, 2);
  EXPECT_EQ(app.renders, rendersAtFatal + 1);
  EXPECT_EQ(harness.DispatchedCount(wm::kClose), 1);
}

// The framework on its own: every stage it leaves to the application does nothing and succeeds, so a bare
// application starts, draws frames, never asks to quit by itself and closes cleanly with the window.
TEST(GraphicsAppHooks, ABareApplicationStartsDrawsAndClosesOnTheFrameworksOwnDefaults) {
  struct BareApp : GraphicsApp {
    using GraphicsApp::GraphicsApp;
    using GraphicsApp::device;
    using GraphicsApp::window;
  };
  Harness harness;
  BareApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  EXPECT_NE(app.device, nullptr);
  EXPECT_TRUE(harness.windows.MessageBoxes().empty()) << "no failure to report";
  for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(app.RenderFrame(), platform::kOk);
  EXPECT_FALSE(app.IsQuitRequested());
  harness.windows.PostMessage(app.window, wm::kClose, 0, 0);
  EXPECT_EQ(app.Run(), 0);
  EXPECT_EQ(app.device, nullptr) << "the device went with the window";
}

TEST(GraphicsAppClose, RunsTheShutdownOnceInOrderAndAWaitingQuitKeepsItsCode) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  app.log.clear();
  // The player closes the window while a failure also asks for it.
  harness.windows.PostMessage(app.window, wm::kClose, 0, 0);
  harness.windows.PostMessage(app.window, wm::kClose, 0, 0);
  EXPECT_EQ(app.Run(), 0);
  EXPECT_EQ(app.log, (std::vector<std::string>{"InvalidateDeviceObjects", "DeleteDeviceObjects", "FinalCleanup"}));
  EXPECT_EQ(app.frameMoves, 0);

  Harness quitting;
  RecordingApp other(quitting.Services());
  ASSERT_EQ(other.Create(), platform::kOk);
  quitting.windows.PostQuitMessage(7);
  EXPECT_EQ(other.Run(), 7);
}

TEST(GraphicsAppKeys, EscapeReachesTheApplicationUnchangedInAWindowAndInFullScreen) {
  for (bool fullscreen : {false, true}) {
    SCOPED_TRACE(fullscreen);
    Harness harness;
    RecordingApp app(harness.Services());
    ASSERT_EQ(app.Create(), platform::kOk);
    if (fullscreen) {
      ASSERT_EQ(app.ToggleFullscreen(), platform::kOk);
    }
    for (uint32_t message : {wm::kKeyDown, wm::kChar, wm::kKeyUp}) {
      harness.windows.PostMessage(app.window, message, platform::vk::kEscape, 0);
    }
    app.quitAfterFrames = 1;
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(app.keys, (std::vector<std::pair<uint32_t, uintptr_t>>{{wm::kKeyDown, 27}, {wm::kChar, 27}, {wm::kKeyUp, 27}}));
    EXPECT_EQ(app.pauses, 0);
  }
}

TEST(GraphicsAppFrameRate, CountsFramesOverTheRealClockEvenWhileTheGameTimerStands) {
  Harness harness;
  double clock = 5000.0;  // the real clock is far from zero when the game starts
  GraphicsAppServices services = harness.Services();
  services.timer = [&clock](int command) {
    return command == static_cast<int>(TimerCommand::AbsoluteTime) ? clock : 0.0;  // game time stands still
  };
  RecordingApp app(services);
  ASSERT_EQ(app.Create(), platform::kOk);
  for (int frame = 1; frame <= 4; ++frame) {
    clock += 0.3;
    ASSERT_EQ(app.RenderFrame(), platform::kOk);
    EXPECT_EQ(app.GetFpsText(), "") << "frame " << frame << ": not yet more than a second since the first frame";
  }
  clock += 0.3;  // 1.2 s after the first frame, five frames counted
  ASSERT_EQ(app.RenderFrame(), platform::kOk);
  EXPECT_EQ(app.GetFpsText(), "FPS : 4.17");
}

// Losing the focus or being minimised pauses the game; getting the focus back or being restored resumes it.
TEST(GraphicsAppMessages, FocusLossAndMinimisingPauseAndRestoringResumes) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  const struct {
    const char* what;
    uint32_t message;
    uintptr_t wParam;
    bool running;
  } steps[] = {{"focus lost", wm::kKillFocus, 0, false},
               {"focus back", wm::kSetFocus, 0, true},
               {"minimised", wm::kSize, platform::size_kind::kMinimized, false},
               {"restored", wm::kSize, platform::size_kind::kRestored, true},
               {"minimised again", wm::kSize, platform::size_kind::kMinimized, false},
               {"maximised from the taskbar", wm::kSize, platform::size_kind::kMaximized, true}};
  int pauses = 0;
  for (const auto& step : steps) {
    harness.windows.SendMessage(app.window, step.message, step.wParam, 0);
    EXPECT_EQ(app.running, step.running) << step.what;
    pauses += step.running ? 0 : 1;
  }
  EXPECT_EQ(app.pauses, pauses);
  EXPECT_EQ(app.resumes, pauses);
}

// In full screen the window cannot be moved, sized or maximised and every point of it is client area; in a
// window those requests go on to the system.
TEST(GraphicsAppMessages, FullScreenRefusesMovesAndSizes) {
  for (const bool fullscreen : {false, true}) {
    SCOPED_TRACE(fullscreen);
    Harness harness;
    RecordingApp app(harness.Services());
    ASSERT_EQ(app.Create(), platform::kOk);
    if (fullscreen) {
      ASSERT_EQ(app.ToggleFullscreen(), platform::kOk);
    }
    for (const uint32_t command : {uint32_t{platform::sys_command::kMove}, uint32_t{platform::sys_command::kSize},
                                   uint32_t{platform::sys_command::kMaximize}, platform::sys_command::kMove | 2u}) {
      EXPECT_EQ(harness.windows.SendMessage(app.window, wm::kSysCommand, command, 0), fullscreen ? 1 : 0) << command;
    }
    EXPECT_EQ(harness.windows.SendMessage(app.window, wm::kNcHitTest, 0, 0), fullscreen ? platform::kHitClient : 0);
  }
}

}  // namespace
}  // namespace app
