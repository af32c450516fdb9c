// Tests of display-mode changes while running: window/full-screen switch, resolution change, size changes.
#include <gtest/gtest.h>

#include "app/graphics_app.h"
#include "app/graphics_app_fixture.h"

namespace app {
namespace {

using testing::Harness;
using testing::RecordingApp;
namespace gfx = platform::gfx;

const char* const kResetFailed = "Could not reset the Direct3D device.\n\nThis game will now exit.";

TEST(ToggleFullscreen, SizeChangeDuringTheSwitchDoesNotResetASecondTime) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  platform::HResult sizeResult = platform::kFail;
  // The window's own resize arrives while the device is being rebuilt.
  app.onRestore = [&] { sizeResult = app.HandlePossibleSizeChange(); };
  ASSERT_EQ(app.ToggleFullscreen(), platform::kOk);
  EXPECT_EQ(sizeResult, platform::kOk);
  EXPECT_EQ(Harness::NullDeviceOf(app)->Stats().resets, 1u);
}

TEST(ChangeResolution, InAWindowKeepsTheTopLeftAndInFullScreenPicksTheModeOfTheNewSize) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  const platform::Rect before = harness.windows.GetWindowRect(app.window);
  gfx::NullDevice* device = Harness::NullDeviceOf(app);
  for (auto [width, height] : {std::pair{800, 600}, {512, 384}}) {
    SCOPED_TRACE(width);
    const uint32_t resetsBefore = device->Stats().resets;
    ASSERT_EQ(app.ChangeResolution(width, height), platform::kOk);
    EXPECT_EQ(harness.windows.GetWindowRect(app.window).left, before.left);
    EXPECT_EQ(harness.windows.GetWindowRect(app.window).top, before.top);
    EXPECT_EQ(harness.windows.GetClientRect(app.window).Width(), width);
    EXPECT_EQ(device->Parameters().backBufferHeight, static_cast<uint32_t>(height));
    EXPECT_EQ(device->Stats().resets, resetsBefore + 1) << "the size check afterwards finds nothing new";
  }
  ASSERT_EQ(app.ToggleFullscreen(), platform::kOk);
  ASSERT_EQ(app.ChangeResolution(800, 600), platform::kOk);
  EXPECT_FALSE(device->Parameters().windowed);
  EXPECT_EQ(device->Parameters().backBufferWidth, 800u);
  ASSERT_EQ(app.ToggleFullscreen(), platform::kOk);
  EXPECT_EQ(harness.windows.GetClientRect(app.window).Width(), 800) << "back in a window at the new size";
}

TEST(HandlePossibleSizeChange, ResetsOnlyWhenTheClientSizeChangedAndReportsAFailedReset) {
  Harness harness;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  gfx::NullDevice* device = Harness::NullDeviceOf(app);
  EXPECT_EQ(app.HandlePossibleSizeChange(), platform::kOk);
  EXPECT_EQ(device->Stats().resets, 0u);

  platform::Rect outer = harness.windows.GetWindowRect(app.window);
  outer.right += 100;
  outer.bottom += 50;
  harness.windows.SetWindowPos(app.window, outer, true);
  EXPECT_EQ(app.HandlePossibleSizeChange(), platform::kOk);
  EXPECT_EQ(device->Parameters().backBufferWidth, 740u);
  EXPECT_EQ(device->Parameters().backBufferHeight, 530u);

  device->FailNextResets(1, platform::kDeviceLost);
  outer.right += 10;
  harness.windows.SetWindowPos(app.window, outer, true);
  EXPECT_EQ(app.HandlePossibleSizeChange(), static_cast<platform::HResult>(0x8200000Cu));
  EXPECT_TRUE(app.ready);
  EXPECT_TRUE(app.closing);
  ASSERT_EQ(harness.windows.MessageBoxes().size(), 1u);
  EXPECT_EQ(harness.windows.MessageBoxes()[0].text, kResetFailed);
}

}  // namespace
}  // namespace app
