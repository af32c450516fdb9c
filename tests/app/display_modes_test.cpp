// Tests of display-mode changes while running: window/full-screen switch, resolution change, size changes.
#include <gtest/gtest.h>

#include <memory>

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

TEST(FullScreen, TakesTheChosenModeAndGivesTheDesktopBackOnLeavingOnAFatalErrorAndOnExit) {
  Harness harness;
  auto app = std::make_unique<RecordingApp>(harness.Services());
  app->SetWindowSize(800, 600);
  ASSERT_EQ(app->Create(), platform::kOk);
  const platform::Point desktop{1024, 768};
  const auto displayIs = [&](platform::Point size) {
    const platform::Point now = harness.windows.DisplaySize();
    return now.x == size.x && now.y == size.y;
  };

  ASSERT_EQ(app->ToggleFullscreen(), platform::kOk);
  ASSERT_FALSE(harness.windows.FullscreenModeCalls().empty());
  EXPECT_EQ(harness.windows.FullscreenModeCalls().back(), (platform::FullscreenMode{800, 600, 60, 800, 600}));
  EXPECT_TRUE(displayIs({800, 600})) << "the screen is switched to the wanted mode";
  EXPECT_EQ(Harness::NullDeviceOf(*app)->Parameters().backBufferWidth, 800u);
  ASSERT_EQ(app->ChangeResolution(640, 480), platform::kOk);
  EXPECT_TRUE(displayIs({640, 480})) << "a new resolution in full screen switches the screen again";
  EXPECT_EQ(harness.windows.GetClientRect(app->window).Width(), 640);

  ASSERT_EQ(app->ToggleFullscreen(), platform::kOk);
  EXPECT_TRUE(displayIs(desktop)) << "leaving full screen";

  ASSERT_EQ(app->ToggleFullscreen(), platform::kOk);
  ASSERT_TRUE(displayIs({640, 480}));
  app->ShowFatalError(static_cast<platform::HResult>(0x8007000Eu), 1);
  EXPECT_TRUE(displayIs(desktop)) << "before the fatal-error box";
  ASSERT_EQ(harness.windows.MessageBoxes().size(), 1u);

  Harness second;
  app.reset();
  app = std::make_unique<RecordingApp>(second.Services());
  ASSERT_EQ(app->Create(), platform::kOk);
  ASSERT_EQ(app->ToggleFullscreen(), platform::kOk);
  ASSERT_TRUE(second.windows.DisplaySize().x == 640);
  app.reset();
  EXPECT_EQ(second.windows.DisplaySize().x, desktop.x) << "on exit";
}

TEST(FullScreen, AScreenWithoutTheWantedModeShowsThePictureWholeAndTheMouseMapsToIt) {
  const struct {
    int desktopWidth, desktopHeight;
    platform::Point screen, client;
  } cases[] = {
      // 1280 x 1024 shows 800 x 600 as 1280 x 960 with bars of 32 above and below.
      {1280, 1024, {640, 512}, {400, 300}}, {1280, 1024, {0, 32}, {0, 0}}, {1280, 1024, {1279, 991}, {799, 599}},
      {1280, 1024, {640, 5}, {400, 0}},  // on a bar: the picture's edge
      // 1920 x 1080 shows it as 1440 x 1080 with bars of 240 left and right.
      {1920, 1080, {960, 540}, {400, 300}}, {1920, 1080, {240, 0}, {0, 0}}, {1920, 1080, {1679, 1079}, {799, 599}},
      {1920, 1080, {1800, 540}, {799, 300}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.desktopWidth) + " " + std::to_string(c.screen.x) + "," + std::to_string(c.screen.y));
    Harness harness;
    // A screen with one mode, its own, as a virtual or single-mode display has.
    gfx::NullAdapter& adapter = harness.machine.adapters.at(0);
    const gfx::DisplayMode only{static_cast<uint32_t>(c.desktopWidth), static_cast<uint32_t>(c.desktopHeight), 60,
                                gfx::Format::X8R8G8B8};
    adapter.modes = {only};
    adapter.desktopMode = only;
    harness.windows.SetDesktopSize(c.desktopWidth, c.desktopHeight);
    harness.windows.SetDisplayModes({{c.desktopWidth, c.desktopHeight}});
    RecordingApp app(harness.Services());
    app.SetWindowSize(800, 600);
    ASSERT_EQ(app.Create(), platform::kOk);
    ASSERT_EQ(app.ToggleFullscreen(), platform::kOk);

    EXPECT_EQ(Harness::NullDeviceOf(app)->Parameters().backBufferWidth, 800u) << "the picture keeps its size";
    EXPECT_EQ(Harness::NullDeviceOf(app)->Parameters().backBufferHeight, 600u);
    EXPECT_EQ(harness.windows.GetClientRect(app.window), (platform::Rect{0, 0, 800, 600}));
    const platform::Point client = harness.windows.ScreenToClient(app.window, c.screen);
    EXPECT_EQ(client.x, c.client.x);
    EXPECT_EQ(client.y, c.client.y);
  }
}

}  // namespace
}  // namespace app
