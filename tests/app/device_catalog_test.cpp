// Tests of the device catalog and of the device choice made from it.
#include "app/device_catalog.h"

#include <gtest/gtest.h>

#include "app/graphics_app_fixture.h"

namespace app {
namespace {

using platform::gfx::DisplayMode;
using platform::gfx::Format;
using platform::gfx::NullDefaultDescription;
using platform::gfx::NullDescription;
using platform::gfx::NullGraphicsSystem;
using testing::Harness;
using testing::RecordingApp;
namespace present_interval = platform::gfx::present_interval;

DeviceCatalog FrameworkCatalog(const NullGraphicsSystem& system) { return DeviceCatalog(&system, 320, 240, 5, 0, 16, 4); }

TEST(DeviceCatalog, KeepsModesAndCombinationsThatMeetTheMinimums) {
  NullDescription machine = NullDefaultDescription();
  machine.adapters[0].modes.push_back(DisplayMode{300, 200, 60, Format::X8R8G8B8});   // too small
  machine.adapters[0].modes.push_back(DisplayMode{640, 480, 60, Format::A4R4G4B4});  // 4 bits per channel
  machine.adapters[0].caps.presentationIntervals = present_interval::kImmediate | present_interval::kOne |
                                                   present_interval::kTwo | present_interval::kFour;
  NullGraphicsSystem system(machine);
  DeviceCatalog catalog = FrameworkCatalog(system);
  ASSERT_EQ(catalog.Enumerate(), platform::kOk);
  EXPECT_EQ(catalog.Adapters()[0].displayModes.size(), 6u);
  const DeviceEntry& device = catalog.Adapters()[0].devices[0];

  // X8R8G8B8 desktop formats take A8R8G8B8 and X8R8G8B8 back buffers, R5G6B5 only itself; full screen first.
  ASSERT_EQ(device.formatCombos.size(), 6u);
  const FormatCombo& first = device.formatCombos[0];
  EXPECT_FALSE(first.windowed);

  // With a 4-bit stencil minimum D16 does not qualify.
  EXPECT_EQ(first.depthStencilFormats, std::vector<Format>{Format::D24S8});
  // A window never gets multi-frame present intervals.
  for (const FormatCombo& combo : device.formatCombos) {
    EXPECT_EQ(combo.presentIntervals.size(), combo.windowed ? 3u : 5u);
  }
}

TEST(DeviceCatalog, AdaptersWithoutUsableCombinationsAreLeftOutAndNoSystemFails) {
  NullDescription machine = NullDefaultDescription();
  machine.adapters[0].depthStencilFormats.clear();
  machine.adapters.push_back(NullDefaultDescription().adapters[0]);
  NullGraphicsSystem system(machine);
  DeviceCatalog catalog = FrameworkCatalog(system);
  ASSERT_EQ(catalog.Enumerate(), platform::kOk);
  ASSERT_EQ(catalog.Adapters().size(), 1u);
  EXPECT_EQ(catalog.Adapters()[0].adapterOrdinal, 1u);
  EXPECT_EQ(catalog.Adapters()[0].devices[0].formatCombos[0].adapterOrdinal, 1u);

  DeviceCatalog empty(nullptr, 320, 240, 5, 0, 16, 4);
  EXPECT_EQ(empty.Enumerate(), platform::kFail);
  EXPECT_TRUE(empty.Adapters().empty());
}

TEST(DeviceChoice, FullscreenModeOfTheWantedSize) {
  const auto mode = [](uint32_t width, uint32_t height, uint32_t refresh) {
    return DisplayMode{width, height, refresh, Format::X8R8G8B8};
  };
  const std::vector<DisplayMode> modes = {mode(640, 480, 60), mode(800, 480, 60), mode(800, 600, 60),
                                          mode(800, 600, 75), mode(800, 600, 85)};
  const struct {
    const char* what;
    std::vector<DisplayMode> modes;
    uint32_t desktopRefresh;
    int width, height;
    DisplayMode expected;
  } cases[] = {
      {"the desktop's refresh rate", modes, 75, 800, 600, mode(800, 600, 75)},
      {"else the fastest", modes, 70, 800, 600, mode(800, 600, 85)},
      {"a missing size takes the first of the same width", modes, 60, 800, 500, mode(800, 480, 60)},
      {"else the first mode", modes, 60, 900, 700, mode(640, 480, 60)},
      {"a faster mode of another size never wins", {mode(800, 480, 100), mode(800, 600, 60)}, 75, 800, 600,
       mode(800, 600, 60)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Harness harness;
    harness.machine.adapters[0].modes = c.modes;
    harness.machine.adapters[0].desktopMode = mode(1024, 768, c.desktopRefresh);
    RecordingApp app(harness.Services());
    app.SetWindowSize(c.width, c.height);
    ASSERT_EQ(app.Create(), platform::kOk);
    EXPECT_EQ(app.deviceSettings.fullscreenChoice.displayMode, c.expected);
  }
}

TEST(DeviceChoice, ACardWithoutStencilRunsAfterDroppingTheStencilMinimumAndNoDepthFormatFails) {
  Harness harness;
  harness.machine.adapters[0].depthStencilFormats = {Format::D32, Format::D16};
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  EXPECT_EQ(app.presentParameters.autoDepthStencilFormat, Format::D16);

  Harness none;
  none.machine.adapters[0].depthStencilFormats.clear();
  RecordingApp refused(none.Services());
  EXPECT_EQ(refused.Create(), platform::kFail);
  ASSERT_EQ(none.windows.MessageBoxes().size(), 1u);
  EXPECT_EQ(none.windows.MessageBoxes()[0].text,
            "Could not find any compatible Direct3D\ndevices.\n\nThis game will now exit.");
}

}  // namespace
}  // namespace app
