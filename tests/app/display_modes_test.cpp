// Tests of display-mode changes while running: window/full-screen switch, resolution change, size changes.
#include <gtest/gtest.h>

#include "app/graphics_app.h"
#include "app/graphics_app_fixture.h"

namespace app {
namespace {

using testing::Harness;
using testing::RecordingApp;
namespace gfx = platform::gfx;

TEST(ToggleFullscreen, TwiceReturnsToTheSameWindowRectangleAndClientSize) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  // The player moved the window.
  const platform::Rect moved{200, 150, 200 + harness.windows.GetWindowRect(app.window).Width(),
                             150 + harness.windows.GetWindowRect(app.window).Height()};
  harness.windows.SetWindowPos(app.window, moved, true);
  const platform::Rect clientBefore = harness.windows.GetClientRect(app.window);
  gfx::NullDevice* device = Harness::NullDeviceOf(app);
  app.log.clear();

  ASSERT_EQ(app.ToggleFullscreen(), platform::kOk);
  EXPECT_FALSE(app.windowed);
  EXPECT_TRUE(app.ready);
  EXPECT_TRUE(app.startFullscreen);
  EXPECT_EQ(harness.windows.GetWindowStyle(app.window), platform::window_style::kFullscreen);
  EXPECT_FALSE(device->Parameters().windowed);
  EXPECT_EQ(device->Parameters().backBufferWidth, 640u);
  EXPECT_EQ(device->Parameters().backBufferHeight, 480u);
  // Full screen keeps the pointer inside the window.
  ASSERT_FALSE(harness.windows.ClipCursorCalls().empty());
  EXPECT_TRUE(harness.windows.ClipCursorCalls().back().has_value());

  ASSERT_EQ(app.ToggleFullscreen(), platform::kOk);
  EXPECT_TRUE(app.windowed);
  EXPECT_FALSE(app.startFullscreen);
  EXPECT_EQ(harness.windows.GetWindowStyle(app.window), platform::window_style::kWindowed);
  EXPECT_EQ(harness.windows.GetWindowRect(app.window), moved);
  EXPECT_EQ(harness.windows.GetClientRect(app.window), clientBefore);
  EXPECT_TRUE(device->Parameters().windowed);
  EXPECT_EQ(device->Parameters().backBufferWidth, 640u);
  EXPECT_FALSE(harness.windows.ClipCursorCalls().back().has_value());

  // Same adapter and device type both ways: the device was reset twice, never re-created.
  EXPECT_EQ(Harness::NullDeviceOf(app), device);
  EXPECT_EQ(device->Stats().resets, 2u);
  EXPECT_EQ(app.log, (std::vector<std::string>{"InvalidateDeviceObjects", "RestoreDeviceObjects",
                                               "InvalidateDeviceObjects", "RestoreDeviceObjects"}));
}

TEST(ToggleFullscreen, FailedSwitchPutsTheWindowBackAndReportsTheResetFailure) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  const platform::Rect before = harness.windows.GetWindowRect(app.window);
  Harness::NullDeviceOf(app)->FailNextResets(1, platform::kDeviceLost);

  EXPECT_EQ(app.ToggleFullscreen(), platform::kFail);
  EXPECT_TRUE(app.windowed);
  EXPECT_FALSE(app.ready);
  EXPECT_FALSE(app.ignoreSizeChange);
  EXPECT_TRUE(app.closing);
  EXPECT_EQ(harness.windows.GetWindowStyle(app.window), platform::window_style::kWindowed);
  EXPECT_EQ(harness.windows.GetWindowRect(app.window), before);
  ASSERT_EQ(harness.windows.MessageBoxes().size(), 1u);
  EXPECT_EQ(harness.windows.MessageBoxes()[0].text,
            "Could not reset the Direct3D device.\n\nThis game will now exit.");
}

TEST(ToggleFullscreen, RunningOutOfVideoMemoryKeepsItsOwnMessage) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  Harness::NullDeviceOf(app)->FailNextResets(1, platform::kOutOfVideoMemory);
  EXPECT_EQ(app.ToggleFullscreen(), platform::kFail);
  ASSERT_EQ(harness.windows.MessageBoxes().size(), 1u);
  EXPECT_EQ(harness.windows.MessageBoxes()[0].text, "Not enough video memory.\n\nThis game will now exit.");
}

TEST(ToggleFullscreen, SizeChangeDuringTheSwitchDoesNotResetASecondTime) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  gfx::NullDevice* device = Harness::NullDeviceOf(app);
  platform::HResult sizeResult = platform::kFail;
  // The window's own resize arrives while the device is being rebuilt.
  app.onRestore = [&] { sizeResult = app.HandlePossibleSizeChange(); };

  ASSERT_EQ(app.ToggleFullscreen(), platform::kOk);
  EXPECT_EQ(sizeResult, platform::kOk);
  EXPECT_EQ(device->Stats().resets, 1u);
  ASSERT_EQ(app.ToggleFullscreen(), platform::kOk);
  EXPECT_EQ(device->Stats().resets, 2u);
}

TEST(ChangeResolution, InAWindowKeepsTheTopLeftAndMakesTheClientAreaExact) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  const platform::Rect before = harness.windows.GetWindowRect(app.window);
  gfx::NullDevice* device = Harness::NullDeviceOf(app);

  for (auto [width, height] : {std::pair{800, 600}, std::pair{512, 384}, std::pair{1024, 768}}) {
    SCOPED_TRACE(width);
    const uint32_t resetsBefore = device->Stats().resets;
    ASSERT_EQ(app.ChangeResolution(width, height), platform::kOk);
    const platform::Rect after = harness.windows.GetWindowRect(app.window);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    const platform::Rect client = harness.windows.GetClientRect(app.window);
    EXPECT_EQ(client.Width(), width);
    EXPECT_EQ(client.Height(), height);
    EXPECT_EQ(device->Parameters().backBufferWidth, static_cast<uint32_t>(width));
    EXPECT_EQ(device->Parameters().backBufferHeight, static_cast<uint32_t>(height));
    // One reset per change; the size check afterwards finds nothing new.
    EXPECT_EQ(device->Stats().resets, resetsBefore + 1);
    EXPECT_EQ(Harness::NullDeviceOf(app), device);
  }
}

TEST(ChangeResolution, InFullScreenPicksTheModeOfTheNewSize) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  ASSERT_EQ(app.ToggleFullscreen(), platform::kOk);
  ASSERT_EQ(app.ChangeResolution(800, 600), platform::kOk);
  gfx::NullDevice* device = Harness::NullDeviceOf(app);
  EXPECT_FALSE(device->Parameters().windowed);
  EXPECT_EQ(device->Parameters().backBufferWidth, 800u);
  EXPECT_EQ(device->Parameters().backBufferHeight, 600u);

  // Back in a window, the client area has the new size at the old place.
  ASSERT_EQ(app.ToggleFullscreen(), platform::kOk);
  const platform::Rect client = harness.windows.GetClientRect(app.window);
  EXPECT_EQ(client.Width(), 800);
  EXPECT_EQ(client.Height(), 600);
  EXPECT_EQ(harness.windows.GetWindowRect(app.window).left, platform::NullWindowSystem::kDefaultLeft);
  EXPECT_EQ(device->Parameters().backBufferWidth, 800u);
}

TEST(HandlePossibleSizeChange, ResetsOnlyWhenTheClientSizeChanged) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  gfx::NullDevice* device = Harness::NullDeviceOf(app);

  EXPECT_EQ(app.HandlePossibleSizeChange(), platform::kOk);
  EXPECT_EQ(device->Stats().resets, 0u);

  // Something outside the game resized the window.
  platform::Rect outer = harness.windows.GetWindowRect(app.window);
  outer.right += 100;
  outer.bottom += 50;
  harness.windows.SetWindowPos(app.window, outer, true);
  EXPECT_EQ(app.HandlePossibleSizeChange(), platform::kOk);
  EXPECT_EQ(device->Stats().resets, 1u);
  EXPECT_EQ(device->Parameters().backBufferWidth, 740u);
  EXPECT_EQ(device->Parameters().backBufferHeight, 530u);
  EXPECT_TRUE(app.ready);
}

TEST(HandlePossibleSizeChange, FailedResetIsReportedAndLeavesTheProgramReady) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  Harness::NullDeviceOf(app)->FailNextResets(1, platform::kDeviceLost);
  platform::Rect outer = harness.windows.GetWindowRect(app.window);
  outer.right += 10;
  harness.windows.SetWindowPos(app.window, outer, true);

  EXPECT_EQ(app.HandlePossibleSizeChange(), static_cast<platform::HResult>(0x8200000Cu));
  EXPECT_TRUE(app.ready);
  EXPECT_TRUE(app.closing);
  ASSERT_EQ(harness.windows.MessageBoxes().size(), 1u);
  EXPECT_EQ(harness.windows.MessageBoxes()[0].text,
            "Could not reset the Direct3D device.\n\nThis game will now exit.");
}

}  // namespace
}  // namespace app
