// Tests of the application framework on the null backends: start-up, the main loop, lost devices, fatal errors.
#include "app/graphics_app.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/app_timer.h"
#include "app/fatal_errors.h"
#include "app/graphics_app_fixture.h"

namespace app {
namespace {

using platform::HResult;
using testing::Harness;
using testing::RecordingApp;
namespace wm = platform::wm;

TEST(GraphicsAppCreate, OpensA640By480WindowWithTheDeviceAndItsObjects) {
  Harness harness;
  RecordingApp app(harness.Services());
  app.SetWindowTitle("Test Title");
  ASSERT_EQ(app.Create(), platform::kOk);

  EXPECT_TRUE(app.ready);
  EXPECT_TRUE(app.windowed);
  ASSERT_EQ(harness.windows.WindowsCreated(), 1);
  const auto* window = harness.windows.FindWindow(app.window);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->title, "Test Title");
  EXPECT_EQ(window->style, platform::window_style::kWindowed);
  EXPECT_TRUE(window->visible);
  const platform::Rect client = harness.windows.GetClientRect(app.window);
  EXPECT_EQ(client.Width(), 640);
  EXPECT_EQ(client.Height(), 480);

  ASSERT_NE(app.device, nullptr);
  EXPECT_TRUE(app.presentParameters.windowed);
  EXPECT_EQ(app.presentParameters.backBufferWidth, 640u);
  EXPECT_EQ(app.presentParameters.backBufferHeight, 480u);
  EXPECT_EQ(app.log, (std::vector<std::string>{"OneTimeInit", "InitDeviceObjects", "RestoreDeviceObjects"}));
  EXPECT_EQ(harness.locks.requestedNames, std::vector<std::string>{"Torvaneracing"});
  EXPECT_TRUE(harness.windows.MessageBoxes().empty());
}

TEST(GraphicsAppCreate, SecondInstanceEndsWithoutWindowOrMessage) {
  Harness harness;
  RecordingApp first(harness.Services());
  ASSERT_EQ(first.Create(), platform::kOk);
  const int windowsBefore = harness.windows.WindowsCreated();
  const int graphicsBefore = harness.graphicsCreated;

  RecordingApp second(harness.Services());
  EXPECT_EQ(second.Create(), platform::kFail);
  EXPECT_EQ(harness.windows.WindowsCreated(), windowsBefore);
  EXPECT_EQ(harness.graphicsCreated, graphicsBefore);
  EXPECT_TRUE(harness.windows.MessageBoxes().empty());
  EXPECT_TRUE(second.log.empty());
}

TEST(GraphicsAppCreate, LockIsGivenBackOnCloseSoALaterStartRuns) {
  Harness harness;
  {
    RecordingApp first(harness.Services());
    ASSERT_EQ(first.Create(), platform::kOk);
    harness.windows.PostMessage(first.window, wm::kClose, 0, 0);
    EXPECT_EQ(first.Run(), 0);
    EXPECT_TRUE(harness.locks.held.empty());
  }
  RecordingApp later(harness.Services());
  EXPECT_EQ(later.Create(), platform::kOk);
}

TEST(GraphicsAppCreate, DesktopColorDepthBelow16OrExactly24IsRefused) {
  const std::string message =
      "This game must be run in 16- or 32-bit color mode. Please change your desktop color depth and try again.";
  struct Case {
    int depth;
    bool accepted;
  };
  for (const Case& check : {Case{8, false}, Case{15, false}, Case{16, true}, Case{24, false}, Case{32, true}}) {
    SCOPED_TRACE(check.depth);
    Harness harness;
    harness.windows.SetDesktopColorDepth(check.depth);
    RecordingApp app(harness.Services());
    const HResult result = app.Create();
    if (check.accepted) {
      EXPECT_EQ(result, platform::kOk);
      EXPECT_TRUE(harness.windows.MessageBoxes().empty());
    } else {
      EXPECT_EQ(result, platform::kFail);
      ASSERT_EQ(harness.windows.MessageBoxes().size(), 1u);
      EXPECT_EQ(harness.windows.MessageBoxes()[0].text, message);
      EXPECT_EQ(harness.windows.MessageBoxes()[0].flags & platform::message_box::kIconError,
                platform::message_box::kIconError);
      EXPECT_EQ(harness.windows.WindowsCreated(), 0);
      EXPECT_EQ(harness.graphicsCreated, 0);
    }
  }
}

TEST(GraphicsAppCreate, MissingGraphicsSystemIsReportedOnceAndFails) {
  Harness harness;
  harness.graphicsAvailable = false;
  RecordingApp app(harness.Services());
  app.SetWindowTitle("Corsaire");
  EXPECT_EQ(app.Create(), platform::kFail);
  ASSERT_EQ(harness.windows.MessageBoxes().size(), 1u);
  EXPECT_EQ(harness.windows.MessageBoxes()[0].caption, "Corsaire");
  EXPECT_EQ(harness.windows.MessageBoxes()[0].text,
            std::string(FatalErrorMessage(app_error::kNoGraphicsSystem)) + "\n\nThis game will now exit.");
  EXPECT_EQ(harness.windows.WindowsCreated(), 0);
}

TEST(GraphicsAppCreate, FailedDeviceObjectsAreDeletedAndReportedOnce) {
  Harness harness;
  RecordingApp app(harness.Services());
  app.initResult = platform::kOutOfMemory;
  EXPECT_EQ(app.Create(), platform::kFail);
  EXPECT_FALSE(app.ready);
  EXPECT_EQ(app.device, nullptr);
  EXPECT_EQ(app.log, (std::vector<std::string>{"OneTimeInit", "InitDeviceObjects", "DeleteDeviceObjects"}));
  // Shown by the device set-up; Create's own report of the same failure is not shown again.
  ASSERT_EQ(harness.windows.MessageBoxes().size(), 1u);
  EXPECT_EQ(harness.windows.MessageBoxes()[0].text, "Not enough memory.\n\nThis game will now exit.");
}

TEST(GraphicsAppCreate, OldAdaptersAndOldFeatureLevelsStayOutOfFullScreen) {
  {
    Harness harness;
    harness.machine.adapters[0].identifier.description = "3Dfx Voodoo3 AGP";
    RecordingApp app(harness.Services());
    ASSERT_EQ(app.Create(), platform::kOk);
    EXPECT_FALSE(app.directX9Capable);
    EXPECT_FALSE(app.startFullscreen);
  }
  {
    Harness harness;
    harness.directXVersion = 0x00080102;
    RecordingApp app(harness.Services());
    ASSERT_EQ(app.Create(), platform::kOk);
    EXPECT_FALSE(app.directX9Capable);
  }
  {
    Harness harness;
    RecordingApp app(harness.Services());
    ASSERT_EQ(app.Create(), platform::kOk);
    EXPECT_TRUE(app.directX9Capable);
  }
}

TEST(GraphicsAppLoop, ThreeFailedFramesCloseTheWindowExactlyOnce) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  app.frameMoveResults = {platform::kFail, platform::kFail, platform::kFail, platform::kFail, platform::kFail};

  EXPECT_EQ(app.Run(), 0);
  // closing stops further frames at once: the third failure is the last frame.
  EXPECT_EQ(app.frameMoves, 3);
  EXPECT_EQ(harness.DispatchedCount(wm::kClose), 1);
  EXPECT_EQ(app.finalCleanups, 1);
  EXPECT_EQ(app.device, nullptr);
}

TEST(GraphicsAppLoop, ASuccessfulFrameResetsTheFailureCount) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  app.frameMoveResults = {platform::kFail, platform::kFail, platform::kOk, platform::kFail,
                          platform::kFail, platform::kOk,  platform::kFail, platform::kFail};
  app.onFrameMove = [&](int frame) {
    if (frame == 3) {
      EXPECT_EQ(app.failedFrames, 2);
    }
    if (frame == 4) {
      EXPECT_EQ(app.failedFrames, 0);
    }
  };
  app.quitAfterFrames = 8;

  EXPECT_EQ(app.Run(), 0);
  EXPECT_EQ(app.frameMoves, 8);
  EXPECT_EQ(app.failedFrames, 2);
  EXPECT_EQ(harness.DispatchedCount(wm::kClose), 1);
  EXPECT_EQ(app.finalCleanups, 1);
}

TEST(GraphicsAppLoop, LostDeviceWaitsUntilResettableThenInvalidatesResetsAndRestores) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  platform::gfx::NullDevice* device = Harness::NullDeviceOf(app);
  std::vector<int> resetsAtHook;
  app.log.clear();
  // Lost during the first frame: its Present reports it; two more tests still find it lost.
  app.onFrameMove = [&](int frame) {
    if (frame == 1) device->LoseDevice(3);
  };
  app.onRestore = [&] { resetsAtHook.push_back(static_cast<int>(device->Stats().resets)); };
  app.quitAfterFrames = 2;

  EXPECT_EQ(app.Run(), 0);
  // Idle passes while lost: three answers "lost", one "not reset" (reset), one that recovers and draws.
  EXPECT_EQ(harness.sleeps, (std::vector<int>{100, 100, 100, 100, 100}));
  EXPECT_EQ(app.frameMoves, 2);
  EXPECT_GE(app.pauses, 3);
  const std::vector<std::string> expected = {"InvalidateDeviceObjects", "RestoreDeviceObjects",
                                             "InvalidateDeviceObjects", "DeleteDeviceObjects", "FinalCleanup"};
  EXPECT_EQ(app.log, expected);
  // The device was reset between the invalidation and the restore.
  EXPECT_EQ(resetsAtHook, std::vector<int>{1});
}

TEST(GraphicsAppLoop, FailedRestoreAfterResetIsReportedAndCountsAsAFailedFrame) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  platform::gfx::NullDevice* device = Harness::NullDeviceOf(app);
  int failedFramesAtSecondFrame = -1;
  uint32_t resetsAtSecondFrame = 0;
  app.onFrameMove = [&](int frame) {
    if (frame == 1) {
      device->LoseDevice(0);
      app.restoreResult = platform::kOutOfMemory;
    }
    if (frame == 2) {
      failedFramesAtSecondFrame = app.failedFrames;
      resetsAtSecondFrame = device->Stats().resets;
    }
  };
  app.quitAfterFrames = 2;

  EXPECT_EQ(app.Run(), 0);
  ASSERT_EQ(harness.windows.MessageBoxes().size(), 1u);
  EXPECT_EQ(harness.windows.MessageBoxes()[0].text, "FAILED RESTORE");
  EXPECT_EQ(harness.windows.MessageBoxes()[0].caption, "Load Error");
  EXPECT_EQ(harness.windows.MessageBoxes()[0].flags, platform::message_box::kIconError);
  EXPECT_EQ(failedFramesAtSecondFrame, 1);
  EXPECT_EQ(resetsAtSecondFrame, 1u);
}

TEST(GraphicsAppFatalError, IsShownOnceAndClosesTheWindowAfterTheCurrentFrame) {
  Harness harness;
  RecordingApp app(harness.Services());
  app.SetWindowTitle("Corsaire");
  ASSERT_EQ(app.Create(), platform::kOk);
  HResult first = platform::kOk;
  HResult second = platform::kOk;
  int rendersAtFatal = -1;
  app.onFrameMove = [&](int frame) {
    if (frame == 2) {
      rendersAtFatal = app.renders;
      first = app.ShowFatalError(app_error::kResetFailed, 1);
      second = app.ShowFatalError(platform::kOutOfVideoMemory, 1);
      // Nothing is torn down in the middle of the frame.
      EXPECT_NE(app.device, nullptr);
    }
  };

  EXPECT_EQ(app.Run(), 0);
  EXPECT_EQ(first, platform::kFail);
  EXPECT_EQ(second, platform::kOutOfVideoMemory);
  ASSERT_EQ(harness.windows.MessageBoxes().size(), 1u);
  EXPECT_EQ(harness.windows.MessageBoxes()[0].text,
            "Could not reset the Direct3D device.\n\nThis game will now exit.");
  EXPECT_EQ(harness.windows.MessageBoxes()[0].caption, "Corsaire");
  EXPECT_EQ(harness.windows.MessageBoxes()[0].flags, platform::message_box::kIconError);
  // The frame that raised it was drawn to the end, and it was the last.
  EXPECT_EQ(app.frameMoves, 2);
  EXPECT_EQ(app.renders, rendersAtFatal + 1);
  EXPECT_EQ(harness.DispatchedCount(wm::kClose), 1);
  EXPECT_EQ(app.finalCleanups, 1);
}

TEST(GraphicsAppFatalError, MessagesFollowTheCodeTable) {
  EXPECT_STREQ(FatalErrorMessage(app_error::kNoCompatibleDevice), "Could not find any compatible Direct3D\ndevices.");
  EXPECT_STREQ(FatalErrorMessage(app_error::kMediaNotFound), "Could not load required media.");
  EXPECT_STREQ(FatalErrorMessage(platform::kFileNotFound), "Could not load required media.");
  EXPECT_STREQ(FatalErrorMessage(platform::kOutOfVideoMemory), "Not enough video memory.");
  EXPECT_STREQ(FatalErrorMessage(platform::kDriverInternalError),
               "A serious problem occured inside the display driver.");
  const char* other =
      "Ostrel Torvane requires 3DAcceleration.Currently the system is not configured for 3DAcceleration.";
  EXPECT_STREQ(FatalErrorMessage(app_error::kNoWindow), other);
  EXPECT_STREQ(FatalErrorMessage(platform::kFail), other);
}

TEST(GraphicsAppClose, RunsTheShutdownOnceInOrder) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  app.log.clear();
  // The player closes the window while a failure also asks for it.
  harness.windows.PostMessage(app.window, wm::kClose, 0, 0);
  harness.windows.PostMessage(app.window, wm::kClose, 0, 0);

  EXPECT_EQ(app.Run(), 0);
  EXPECT_EQ(app.log, (std::vector<std::string>{"InvalidateDeviceObjects", "DeleteDeviceObjects", "FinalCleanup"}));
  EXPECT_EQ(app.device, nullptr);
  EXPECT_TRUE(harness.windows.MessageBoxes().empty());
  EXPECT_EQ(app.frameMoves, 0);
}

TEST(GraphicsAppClose, QuitAlreadyWaitingEndsRunAtOnceWithItsCode) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  harness.windows.PostQuitMessage(7);
  EXPECT_EQ(app.Run(), 7);
  EXPECT_EQ(app.frameMoves, 0);
}

TEST(GraphicsAppKeys, EscapeReachesTheApplicationUnchangedInAWindowAndInFullScreen) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  const auto sendEscape = [&] {
    harness.windows.PostMessage(app.window, wm::kKeyDown, platform::vk::kEscape, 0);
    harness.windows.PostMessage(app.window, wm::kChar, platform::vk::kEscape, 0);
    harness.windows.PostMessage(app.window, wm::kKeyUp, platform::vk::kEscape, 0);
  };
  const std::vector<std::pair<uint32_t, uintptr_t>> expected = {
      {wm::kKeyDown, 27}, {wm::kChar, 27}, {wm::kKeyUp, 27}};

  // In a window.
  app.quitAfterFrames = 1;
  sendEscape();
  EXPECT_EQ(app.Run(), 0);
  EXPECT_EQ(app.keys, expected);
  EXPECT_EQ(app.pauses, 0);

  // In full screen.
  Harness fullscreenHarness;
  RecordingApp fullscreen(fullscreenHarness.Services());
  ASSERT_EQ(fullscreen.Create(), platform::kOk);
  ASSERT_EQ(fullscreen.ToggleFullscreen(), platform::kOk);
  ASSERT_FALSE(fullscreen.windowed);
  fullscreen.quitAfterFrames = 1;
  fullscreenHarness.windows.PostMessage(fullscreen.window, wm::kKeyDown, platform::vk::kEscape, 0);
  fullscreenHarness.windows.PostMessage(fullscreen.window, wm::kChar, platform::vk::kEscape, 0);
  fullscreenHarness.windows.PostMessage(fullscreen.window, wm::kKeyUp, platform::vk::kEscape, 0);
  EXPECT_EQ(fullscreen.Run(), 0);
  EXPECT_EQ(fullscreen.keys, expected);
  EXPECT_EQ(fullscreen.pauses, 0);
}

TEST(GraphicsAppMessages, FocusAndMinimizePauseAndResume) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  harness.windows.SendMessage(app.window, wm::kKillFocus, 0, 0);
  EXPECT_FALSE(app.running);
  harness.windows.SendMessage(app.window, wm::kSetFocus, 0, 0);
  EXPECT_TRUE(app.running);
  harness.windows.SendMessage(app.window, wm::kSize, platform::size_kind::kMinimized, 0);
  EXPECT_FALSE(app.running);
  harness.windows.SendMessage(app.window, wm::kSize, platform::size_kind::kRestored, 0);
  EXPECT_TRUE(app.running);
  EXPECT_EQ(app.pauses, 2);
  EXPECT_EQ(app.resumes, 2);
  // Left clicks go to their hooks and are answered.
  EXPECT_EQ(harness.windows.SendMessage(app.window, wm::kLButtonDown, 0, 0), 0);
  // Full-screen-only answers.
  EXPECT_EQ(harness.windows.SendMessage(app.window, wm::kNcHitTest, 0, 0), 0);
  ASSERT_EQ(app.ToggleFullscreen(), platform::kOk);
  EXPECT_EQ(harness.windows.SendMessage(app.window, wm::kNcHitTest, 0, 0), platform::kHitClient);
  EXPECT_EQ(harness.windows.SendMessage(app.window, wm::kSysCommand, platform::sys_command::kMove, 0), 1);
}

TEST(GraphicsAppMessages, PaintDrawsTheLastFrameOnlyWhileTheLoopDoesNot) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  platform::gfx::NullDevice* device = Harness::NullDeviceOf(app);

  harness.windows.SendMessage(app.window, wm::kPaint, 0, 0);
  EXPECT_EQ(app.renders, 0);

  // During a switch the loop is held; the window is painted from a fresh render.
  app.ready = false;
  harness.windows.SendMessage(app.window, wm::kPaint, 0, 0);
  EXPECT_EQ(app.renders, 1);
  EXPECT_EQ(device->Stats().presents, 1u);
  app.ready = true;

  // Over the client area the pointer is hidden, as the game draws its own.
  harness.windows.ShowCursor(true);
  EXPECT_EQ(harness.windows.SendMessage(app.window, wm::kSetCursor, 0, platform::MakeLParam(1, 0)), 0);
  EXPECT_FALSE(harness.windows.CursorShown());
}

// A clock the tests move by hand, read by the real application timer.
class ManualClock : public platform::Clock {
 public:
  int64_t Ticks() const override { return ticks; }
  int64_t TicksPerSecond() const override { return 1000; }
  int64_t ticks = 5000;
};

TEST(GraphicsAppFps, TextAppearsOnlyAfterMoreThanOneSecondOfRunningTimerTime) {
  ManualClock clock;
  SetAppTimerClock(&clock);
  Harness harness;
  GraphicsAppServices services = harness.Services();
  services.timer = [](int command) { return AppTimer(command); };
  RecordingApp app(services);
  ASSERT_EQ(app.Create(), platform::kOk);
  AppTimer(TimerCommand::Start);

  // Stopped: however long the frames take, the application time stands still.
  AppTimer(TimerCommand::Stop);
  app.onFrameMove = [&](int) { clock.ticks += 500; };
  app.quitAfterFrames = 10;
  app.Run();
  EXPECT_EQ(app.GetFpsText(), "");

  // Running: exactly one second is not enough, more is.
  Harness runningHarness;
  GraphicsAppServices runningServices = runningHarness.Services();
  runningServices.timer = [](int command) { return AppTimer(command); };
  SetAppTimerClock(&clock);
  RecordingApp running(runningServices);
  ASSERT_EQ(running.Create(), platform::kOk);
  AppTimer(TimerCommand::Start);
  running.onFrameMove = [&](int frame) {
    if (frame == 5) {
      EXPECT_EQ(running.GetFpsText(), "") << "after exactly 1 s";
    }
    clock.ticks += 250;
  };
  running.quitAfterFrames = 5;
  running.Run();
  // Five frames in 1.25 s.
  EXPECT_EQ(running.GetFpsText(), "FPS : 4.00");
  SetAppTimerClock(nullptr);
}

}  // namespace
}  // namespace app
