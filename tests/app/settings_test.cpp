// Tests of the settings: the resolution-changed flag, derived values, clamping and the control bindings.
#include "app/settings.h"

#include <gtest/gtest.h>

#include "app/hardware_info.h"
#include "device_facts_fixture.h"

namespace app {
namespace {

using S = SettingId;

class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() : hardware(testing_support::FastMachine()), settings(hardware, "", "") {
    hardware.DetectFrom(testing_support::CapableDeviceFacts());
  }
  HardwareInfo hardware;
  Settings settings;
};

TEST_F(SettingsTest, OutOfRangeIndicesAreHarmless) {
  EXPECT_EQ(settings.GetInt(static_cast<S>(47)), 0);
  EXPECT_EQ(settings.GetInt(static_cast<S>(-1)), 0);
  settings.SetInt(static_cast<S>(1000), 5);
  EXPECT_EQ(settings.GetFloat(static_cast<FloatSettingId>(3)), 0.0f);
  settings.SetString(static_cast<StringSettingId>(-3), "x");
  EXPECT_EQ(settings.GetKey(255), -1);
  EXPECT_EQ(settings.GetKey(-1), -1);
}

TEST_F(SettingsTest, ResolutionChangedOnlyWhenWidthOrHeightChanges) {
  settings.SetInt(S::SCREENWIDTH, 640);
  settings.SetInt(S::RESOLUTION, 3);
  EXPECT_FALSE(settings.TakeResolutionChanged());
  settings.UpdateDerived();  // full screen by default: 1024x768
  EXPECT_EQ(settings.GetInt(S::SCREENWIDTH), 1024);
  EXPECT_TRUE(settings.TakeResolutionChanged());
  EXPECT_FALSE(settings.TakeResolutionChanged());
  settings.SetInt(S::SCREENHEIGHT, 700);
  settings.SetInt(S::SHOWFPS, 1);  // a later unrelated store does not clear it
  EXPECT_TRUE(settings.TakeResolutionChanged());
}

TEST_F(SettingsTest, DerivedValuesFollowTheirRulesAndClampHandEditedValues) {
  const struct {
    const char* what;
    std::vector<std::pair<S, int>> set;
    std::vector<std::pair<S, int>> expected;
  } cases[] = {
      {"a window is always 640x480", {{S::FULLSCREEN, 0}, {S::RESOLUTION, 3}},
       {{S::SCREENWIDTH, 640}, {S::SCREENHEIGHT, 480}}},
      {"dynamic reflections", {{S::REFLECTIONDETAIL, 2}, {S::DYNAMICREFLECTIONS, 0}}, {{S::CUBEMAPPING, 1}, {S::DYNAMICREFLECTIONS, 1}}},
      {"table indices clamp",
       {{S::FULLSCREEN, 1}, {S::RESOLUTION, 99}, {S::VIEWDISTANCE, -7}, {S::REFLECTIONDETAIL, 5}, {S::PARTICLES, 40}},
       {{S::RESOLUTION, 3}, {S::SCREENWIDTH, 1024}, {S::VIEWDISTANCE, 0}, {S::REFLECTIONDETAIL, 2}, {S::PARTICLES, 2}}},
      {"unknown device codes fall back to their defaults",
       {{S::MIPFILTER, 77}, {S::CLAMPUVS, -1}, {S::NORMALMODULATE, 26}, {S::NORMALADDITIVE, 0}},
       {{S::MIPFILTER, 2}, {S::CLAMPUVS, 3}, {S::NORMALMODULATE, 6}, {S::NORMALADDITIVE, 11}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Settings fresh(hardware, "", "");
    for (auto [id, value] : c.set) fresh.SetInt(id, value);
    fresh.UpdateDerived();
    for (auto [id, value] : c.expected) EXPECT_EQ(fresh.GetInt(id), value) << static_cast<int>(id);
  }
  settings.SetInt(S::VIEWDISTANCE, 1);
  settings.UpdateDerived();
  EXPECT_EQ(settings.GetFloat(FloatSettingId::FARCLIP), ViewDistanceFarClips[1]);
}

TEST_F(SettingsTest, JoystickBindingsExcludeEachOther) {
  settings.BindJoyAxis(0, 1, -1);
  settings.BindJoyButton(0, 3);  // a button clears the action's axis
  EXPECT_EQ(settings.GetJoyAxis(0), -1);
  EXPECT_EQ(settings.GetJoyAxisDir(0), 0);
  settings.BindJoyButton(4, 3);  // the button moves
  EXPECT_EQ(settings.GetJoyButton(0), -1);
  settings.BindJoyAxis(4, 2, 1);  // the axis clears the button
  EXPECT_EQ(settings.GetJoyButton(4), -1);
  settings.BindJoyAxis(5, 2, -1);  // the other half of the same axis stays
  EXPECT_EQ(settings.GetJoyAxis(4), 2);
  settings.BindJoyAxis(6, 2, 1);
  EXPECT_EQ(settings.GetJoyAxis(4), -1);
  settings.SetJoyButtonRaw(6, 9);  // raw setters leave the rest
  EXPECT_EQ(settings.GetJoyAxis(6), 2);
  settings.SetJoyAxisRaw(255, 1, 1);
  EXPECT_EQ(settings.GetJoyAxis(255), -1);
  // Every map answers -1 outside its slots, the axis direction included.
  for (const int action : {255, 256, 1000}) {
    EXPECT_EQ(settings.GetKey(action), -1) << action;
    EXPECT_EQ(settings.GetJoyButton(action), -1) << action;
    EXPECT_EQ(settings.GetJoyAxis(action), -1) << action;
    EXPECT_EQ(settings.GetJoyAxisDir(action), -1) << action;
  }
}

TEST_F(SettingsTest, DefaultJoystickLaysOutAxesThenButtonsInsideTheMaps) {
  settings.SetJoystickCounts(4, 10);
  settings.DefaultJoystick();
  EXPECT_EQ(settings.GetJoyAxis(6), 3);
  EXPECT_EQ(settings.GetJoyAxisDir(6), -1);
  EXPECT_EQ(settings.GetJoyAxisDir(7), 1);
  EXPECT_EQ(settings.GetJoyButton(8), 0);
  EXPECT_EQ(settings.GetJoyButton(17), 9);
  EXPECT_EQ(settings.GetJoyButton(18), -1);
  settings.SetJoystickCounts(200, 400);  // a controller reporting absurd counts
  settings.DefaultJoystick();
  EXPECT_EQ(settings.GetJoyAxis(254), 127);
  EXPECT_EQ(settings.GetJoyButton(254), -1);
}

}  // namespace
}  // namespace app
