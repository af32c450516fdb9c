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
  NullGraphicsSystem system(machine);
  DeviceCatalog catalog = FrameworkCatalog(system);
  ASSERT_EQ(catalog.Enumerate(), platform::kOk);

  ASSERT_EQ(catalog.Adapters().size(), 1u);
  const AdapterEntry& adapter = catalog.Adapters()[0];
  EXPECT_EQ(adapter.identifier.description, "NULL ADAPTER");
  EXPECT_EQ(adapter.displayModes.size(), 6u);
  ASSERT_EQ(adapter.devices.size(), 1u);
  const DeviceEntry& device = adapter.devices[0];
  EXPECT_EQ(device.deviceType, platform::gfx::DeviceType::Hal);

  // X8R8G8B8 desktop formats take A8R8G8B8 and X8R8G8B8 back buffers, R5G6B5 only itself; full screen first.
  ASSERT_EQ(device.formatCombos.size(), 6u);
  const FormatCombo& first = device.formatCombos[0];
  EXPECT_EQ(first.adapterFormat, Format::X8R8G8B8);
  EXPECT_EQ(first.backBufferFormat, Format::A8R8G8B8);
  EXPECT_FALSE(first.windowed);
  EXPECT_TRUE(device.formatCombos[1].windowed);
  EXPECT_EQ(device.formatCombos[5].adapterFormat, Format::R5G6B5);
  EXPECT_EQ(device.formatCombos[5].backBufferFormat, Format::R5G6B5);

  // With a 4-bit stencil minimum D16 does not qualify.
  EXPECT_EQ(first.depthStencilFormats, std::vector<Format>{Format::D24S8});
  EXPECT_EQ(first.multiSampleTypes, (std::vector<uint32_t>{0, 2}));
  EXPECT_EQ(first.vertexProcessingTypes,
            (std::vector<VertexProcessingType>{VertexProcessingType::PureHardware, VertexProcessingType::Hardware,
                                               VertexProcessingType::Software}));
  EXPECT_EQ(first.presentIntervals,
            (std::vector<uint32_t>{present_interval::kImmediate, present_interval::kDefault, present_interval::kOne}));
}

TEST(DeviceCatalog, WindowedCombinationsNeverOfferMultiFramePresentIntervals) {
  NullDescription machine = NullDefaultDescription();
  machine.adapters[0].caps.presentationIntervals = present_interval::kImmediate | present_interval::kOne |
                                                   present_interval::kTwo | present_interval::kThree |
                                                   present_interval::kFour;
  NullGraphicsSystem system(machine);
  DeviceCatalog catalog = FrameworkCatalog(system);
  ASSERT_EQ(catalog.Enumerate(), platform::kOk);
  for (const FormatCombo& combo : catalog.Adapters()[0].devices[0].formatCombos) {
    if (combo.windowed) {
      EXPECT_EQ(combo.presentIntervals.size(), 3u);
    } else {
      EXPECT_EQ(combo.presentIntervals,
                (std::vector<uint32_t>{present_interval::kImmediate, present_interval::kDefault,
                                       present_interval::kOne, present_interval::kTwo, present_interval::kThree,
                                       present_interval::kFour}));
    }
  }
}

TEST(DeviceCatalog, VertexProcessingFollowsTheTransformCaps) {
  struct Case {
    uint32_t devCaps;
    std::vector<VertexProcessingType> expected;
  };
  const uint32_t tnl = platform::gfx::dev_caps::kHwTransformAndLight;
  const uint32_t pure = platform::gfx::dev_caps::kPureDevice;
  for (const Case& check : {Case{0, {VertexProcessingType::Software}},
                            Case{tnl, {VertexProcessingType::Hardware, VertexProcessingType::Software}},
                            Case{pure, {VertexProcessingType::Software}}}) {
    NullDescription machine = NullDefaultDescription();
    machine.adapters[0].caps.devCaps = check.devCaps;
    NullGraphicsSystem system(machine);
    DeviceCatalog catalog = FrameworkCatalog(system);
    ASSERT_EQ(catalog.Enumerate(), platform::kOk);
    EXPECT_EQ(catalog.Adapters()[0].devices[0].formatCombos[0].vertexProcessingTypes, check.expected);
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

TEST(DeviceCatalog, FormatBitTables) {
  EXPECT_EQ(ColorChannelBits(Format::X8R8G8B8), 8);
  EXPECT_EQ(ColorChannelBits(Format::A1R5G5B5), 5);
  EXPECT_EQ(ColorChannelBits(Format::X4R4G4B4), 4);
  EXPECT_EQ(ColorChannelBits(Format::A8R3G3B2), 2);
  EXPECT_EQ(ColorChannelBits(Format::A2B10G10R10), 10);
  EXPECT_EQ(ColorChannelBits(Format::P8), 0);
  EXPECT_EQ(AlphaChannelBits(Format::A8R8G8B8), 8);
  EXPECT_EQ(AlphaChannelBits(Format::A1R5G5B5), 1);
  EXPECT_EQ(AlphaChannelBits(Format::X8R8G8B8), 0);
  EXPECT_EQ(DepthBits(Format::D15S1), 15);
  EXPECT_EQ(StencilBits(Format::D15S1), 1);
  EXPECT_EQ(StencilBits(Format::D24X4S4), 4);
  EXPECT_EQ(StencilBits(Format::D24X8), 0);
}

// A machine whose only modes are the given ones (X8R8G8B8), with the desktop at the given refresh rate.
Harness MachineWithModes(std::vector<DisplayMode> modes, uint32_t desktopRefresh) {
  Harness harness;
  harness.machine.adapters[0].modes = std::move(modes);
  harness.machine.adapters[0].desktopMode = DisplayMode{1024, 768, desktopRefresh, Format::X8R8G8B8};
  return harness;
}

DisplayMode ChosenFullscreenMode(Harness& harness, int width, int height) {
  RecordingApp app(harness.Services());
  app.SetWindowSize(width, height);
  EXPECT_EQ(app.Create(), platform::kOk);
  return app.deviceSettings.fullscreenChoice.displayMode;
}

TEST(DeviceChoice, FullscreenModePrefersTheDesktopRefreshRateElseTheFastest) {
  const std::vector<DisplayMode> modes = {
      {640, 480, 60, Format::X8R8G8B8}, {800, 600, 60, Format::X8R8G8B8}, {800, 600, 75, Format::X8R8G8B8},
      {800, 600, 85, Format::X8R8G8B8}, {1024, 768, 60, Format::X8R8G8B8}};
  {
    Harness harness = MachineWithModes(modes, 75);
    EXPECT_EQ(ChosenFullscreenMode(harness, 800, 600), (DisplayMode{800, 600, 75, Format::X8R8G8B8}));
  }
  {
    Harness harness = MachineWithModes(modes, 70);
    EXPECT_EQ(ChosenFullscreenMode(harness, 800, 600), (DisplayMode{800, 600, 85, Format::X8R8G8B8}));
  }
}

TEST(DeviceChoice, MissingSizeTakesTheFirstOfTheSameWidthElseTheFirstMode) {
  const std::vector<DisplayMode> modes = {
      {640, 480, 60, Format::X8R8G8B8}, {800, 480, 60, Format::X8R8G8B8}, {800, 600, 60, Format::X8R8G8B8}};
  {
    Harness harness = MachineWithModes(modes, 60);
    EXPECT_EQ(ChosenFullscreenMode(harness, 800, 500), (DisplayMode{800, 480, 60, Format::X8R8G8B8}));
  }
  {
    Harness harness = MachineWithModes(modes, 60);
    EXPECT_EQ(ChosenFullscreenMode(harness, 900, 700), (DisplayMode{640, 480, 60, Format::X8R8G8B8}));
  }
  {
    // A faster mode of the right width only never beats the wanted size.
    Harness harness = MachineWithModes({{800, 480, 100, Format::X8R8G8B8}, {800, 600, 60, Format::X8R8G8B8}}, 75);
    EXPECT_EQ(ChosenFullscreenMode(harness, 800, 600), (DisplayMode{800, 600, 60, Format::X8R8G8B8}));
  }
}

TEST(DeviceChoice, CardWithoutStencilFormatsRunsAfterDroppingTheStencilMinimum) {
  Harness harness;
  harness.machine.adapters[0].depthStencilFormats = {Format::D32, Format::D16};
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  EXPECT_EQ(app.deviceSettings.windowedChoice.depthStencilFormat, Format::D16);
  EXPECT_EQ(app.deviceSettings.windowedChoice.formatCombo->depthStencilFormats,
            (std::vector<Format>{Format::D16, Format::D32}));
  EXPECT_EQ(app.presentParameters.autoDepthStencilFormat, Format::D16);
}

TEST(DeviceChoice, NoDepthFormatAtAllFailsWithTheNoDeviceMessage) {
  Harness harness;
  harness.machine.adapters[0].depthStencilFormats.clear();
  RecordingApp app(harness.Services());
  EXPECT_EQ(app.Create(), platform::kFail);
  ASSERT_EQ(harness.windows.MessageBoxes().size(), 1u);
  EXPECT_EQ(harness.windows.MessageBoxes()[0].text,
            "Could not find any compatible Direct3D\ndevices.\n\nThis game will now exit.");
  EXPECT_EQ(app.device, nullptr);
}

TEST(DeviceChoice, SixteenBitDesktopTakesTheExactWindowedMatch) {
  Harness harness;
  harness.machine.adapters[0].desktopMode = DisplayMode{1024, 768, 60, Format::R5G6B5};
  // The card would also put 32-bit back buffers on a 16-bit desktop; the exact match still wins.
  harness.machine.adapters[0].backBufferMustMatchAdapter = false;
  RecordingApp app(harness.Services());
  ASSERT_EQ(app.Create(), platform::kOk);
  const FormatCombo* combo = app.deviceSettings.windowedChoice.formatCombo;
  ASSERT_NE(combo, nullptr);
  EXPECT_TRUE(combo->windowed);
  EXPECT_EQ(combo->adapterFormat, Format::R5G6B5);
  EXPECT_EQ(combo->backBufferFormat, Format::R5G6B5);
  EXPECT_EQ(app.presentParameters.backBufferFormat, Format::R5G6B5);
}

TEST(DeviceChoice, MultisampleFlagsFollowTheCardAndTheWish) {
  {
    Harness harness;  // two samples offered, stretch-blit multisampling supported
    RecordingApp app(harness.Services());
    ASSERT_EQ(app.Create(), platform::kOk);
    EXPECT_TRUE(app.windowedMultisampleAvailable);
    EXPECT_TRUE(app.windowedMultisampleOn);
    EXPECT_TRUE(app.fullscreenMultisampleAvailable);
    EXPECT_TRUE(app.fullscreenMultisampleOn);
    EXPECT_FALSE(app.multisampleByRenderState);
    EXPECT_EQ(app.deviceSettings.windowedChoice.multiSampleType, 2u);
    EXPECT_EQ(app.presentParameters.multiSampleType, 2u);
  }
  {
    Harness harness;
    harness.machine.adapters[0].caps.rasterCaps &= ~platform::gfx::raster_caps::kStretchBltMultisample;
    RecordingApp app(harness.Services());
    app.multisampleWanted = false;
    ASSERT_EQ(app.Create(), platform::kOk);
    EXPECT_TRUE(app.multisampleByRenderState);
    EXPECT_TRUE(app.windowedMultisampleAvailable);
    EXPECT_FALSE(app.windowedMultisampleOn);
    EXPECT_EQ(app.deviceSettings.windowedChoice.multiSampleType, 0u);
  }
  {
    Harness harness;
    harness.machine.adapters[0].multiSampleTypes = {0};
    RecordingApp app(harness.Services());
    ASSERT_EQ(app.Create(), platform::kOk);
    EXPECT_FALSE(app.windowedMultisampleAvailable);
    EXPECT_FALSE(app.windowedMultisampleOn);
    EXPECT_EQ(app.presentParameters.multiSampleType, 0u);
  }
}

TEST(DeviceChoice, StartsInFullScreenWhenAskedOrWhenNoWindowedChoiceExists) {
  {
    Harness harness;
    RecordingApp app(harness.Services());
    app.startFullscreen = true;
    ASSERT_EQ(app.Create(), platform::kOk);
    EXPECT_FALSE(app.windowed);
    EXPECT_FALSE(app.presentParameters.windowed);
    EXPECT_EQ(app.presentParameters.presentationInterval, present_interval::kImmediate);
  }
  {
    Harness harness;
    harness.machine.adapters[0].windowedBackBufferFormats.clear();
    RecordingApp app(harness.Services());
    ASSERT_EQ(app.Create(), platform::kOk);
    EXPECT_FALSE(app.windowed);
    EXPECT_EQ(app.deviceSettings.windowedChoice.formatCombo, nullptr);
    EXPECT_EQ(harness.windows.GetWindowStyle(app.window), platform::window_style::kFullscreen);
  }
}

}  // namespace
}  // namespace app
