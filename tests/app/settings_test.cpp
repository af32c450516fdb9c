// Tests of the settings table, its accessors, the control bindings and the derived values.
#include "app/settings.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

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

TEST_F(SettingsTest, StartsFromTheTableDefaults) {
  EXPECT_EQ(settings.GetInt(S::SCREENWIDTH), 640);
  EXPECT_EQ(settings.GetInt(S::FULLSCREEN), 1);
  EXPECT_EQ(settings.GetInt(S::MASTERVOLUME), 60);
  EXPECT_EQ(settings.GetInt(S::NORMALADDITIVE), 11);
  EXPECT_EQ(settings.GetInt(S::VIEWDISTANCE), 3);
  EXPECT_EQ(settings.GetFloat(FloatSettingId::NEARCLIP), 10.0f);
  EXPECT_EQ(settings.GetFloat(FloatSettingId::FARCLIP), 6000.0f);
  EXPECT_EQ(settings.GetFloat(FloatSettingId::FOV), 45.0f);
  for (int i = 0; i < kStringSettingCount; ++i) EXPECT_EQ(settings.GetString(static_cast<StringSettingId>(i)), "");
  EXPECT_TRUE(settings.IsFirstRun());
  EXPECT_FALSE(settings.TakeResolutionChanged());

  std::set<std::string> keys;
  for (int i = 0; i < kIntSettingCount; ++i) {
    EXPECT_EQ(static_cast<int>(SettingsTable[i].id), i);
    EXPECT_EQ(settings.GetInt(SettingsTable[i].id), SettingsTable[i].defaultValue);
    keys.insert(SettingsTable[i].key);
  }
  EXPECT_EQ(keys.size(), static_cast<size_t>(kIntSettingCount));
  EXPECT_STREQ(SettingsTable[46].key, "TRACKCAMERA");
}

TEST_F(SettingsTest, OutOfRangeIndicesAreHarmless) {
  EXPECT_EQ(settings.GetInt(static_cast<S>(47)), 0);
  EXPECT_EQ(settings.GetInt(static_cast<S>(-1)), 0);
  settings.SetInt(static_cast<S>(1000), 5);
  EXPECT_EQ(settings.GetFloat(static_cast<FloatSettingId>(3)), 0.0f);
  EXPECT_EQ(settings.GetString(static_cast<StringSettingId>(5)), "");
  settings.SetString(static_cast<StringSettingId>(-3), "x");
}

TEST_F(SettingsTest, ResolutionChangedOnlyWhenWidthOrHeightChanges) {
  settings.SetInt(S::SCREENWIDTH, 640);
  EXPECT_FALSE(settings.TakeResolutionChanged());
  settings.SetInt(S::RESOLUTION, 3);
  EXPECT_FALSE(settings.TakeResolutionChanged());
  settings.UpdateDerived();  // fullscreen by default: 1024x768
  EXPECT_EQ(settings.GetInt(S::SCREENWIDTH), 1024);
  EXPECT_EQ(settings.GetInt(S::SCREENHEIGHT), 768);
  EXPECT_TRUE(settings.TakeResolutionChanged());
  EXPECT_FALSE(settings.TakeResolutionChanged());
  settings.SetInt(S::SCREENHEIGHT, 700);
  settings.SetInt(S::SHOWFPS, 1);  // a later unrelated store does not clear it
  EXPECT_TRUE(settings.TakeResolutionChanged());
}

TEST_F(SettingsTest, DerivedValuesFollowResolutionViewDistanceAndReflections) {
  settings.SetInt(S::FULLSCREEN, 1);
  for (int resolution = 0; resolution < kResolutionCount; ++resolution) {
    settings.SetInt(S::RESOLUTION, resolution);
    settings.UpdateDerived();
    EXPECT_EQ(settings.GetInt(S::SCREENWIDTH), ResolutionWidths[resolution]);
    EXPECT_EQ(settings.GetInt(S::SCREENHEIGHT), ResolutionHeights[resolution]);
  }
  settings.SetInt(S::FULLSCREEN, 0);
  for (int resolution = 0; resolution < kResolutionCount; ++resolution) {
    settings.SetInt(S::RESOLUTION, resolution);
    settings.UpdateDerived();
    EXPECT_EQ(settings.GetInt(S::SCREENWIDTH), 640);
    EXPECT_EQ(settings.GetInt(S::SCREENHEIGHT), 480);
  }
  for (int distance = 0; distance < kViewDistanceCount; ++distance) {
    settings.SetInt(S::VIEWDISTANCE, distance);
    settings.UpdateDerived();
    EXPECT_EQ(settings.GetFloat(FloatSettingId::FARCLIP), ViewDistanceFarClips[distance]);
  }

  settings.SetInt(S::DYNAMICREFLECTIONS, 1);
  settings.SetInt(S::REFLECTIONDETAIL, 0);
  settings.UpdateDerived();
  EXPECT_EQ(settings.GetInt(S::CUBEMAPPING), 0);
  EXPECT_EQ(settings.GetInt(S::DYNAMICREFLECTIONS), 1);  // left as it was
  settings.SetInt(S::REFLECTIONDETAIL, 1);
  settings.UpdateDerived();
  EXPECT_EQ(settings.GetInt(S::CUBEMAPPING), 1);
  EXPECT_EQ(settings.GetInt(S::DYNAMICREFLECTIONS), 0);
  settings.SetInt(S::REFLECTIONDETAIL, 2);
  settings.UpdateDerived();
  EXPECT_EQ(settings.GetInt(S::CUBEMAPPING), 1);
  EXPECT_EQ(settings.GetInt(S::DYNAMICREFLECTIONS), 1);

  settings.SetInt(S::CDMUSIC, 1);
  settings.SetInt(S::MP3MUSIC, 1);
  settings.UpdateDerived();
  EXPECT_EQ(settings.GetInt(S::MP3MUSIC), 0);
  settings.SetInt(S::CDMUSIC, 0);
  settings.SetInt(S::MP3MUSIC, 1);
  settings.UpdateDerived();
  EXPECT_EQ(settings.GetInt(S::MP3MUSIC), 1);
}

TEST_F(SettingsTest, DerivedValuesClampTableIndicesAndDeviceCodes) {
  settings.SetInt(S::FULLSCREEN, 1);
  settings.SetInt(S::RESOLUTION, 99);
  settings.SetInt(S::VIEWDISTANCE, -7);
  settings.SetInt(S::REFLECTIONDETAIL, 5);
  settings.SetInt(S::PARTICLES, 40);
  settings.SetInt(S::GLOWDETAIL, -1);
  settings.UpdateDerived();
  EXPECT_EQ(settings.GetInt(S::RESOLUTION), 3);
  EXPECT_EQ(settings.GetInt(S::SCREENWIDTH), 1024);
  EXPECT_EQ(settings.GetInt(S::VIEWDISTANCE), 0);
  EXPECT_EQ(settings.GetFloat(FloatSettingId::FARCLIP), ViewDistanceFarClips[0]);
  EXPECT_EQ(settings.GetInt(S::REFLECTIONDETAIL), 2);
  EXPECT_EQ(settings.GetInt(S::PARTICLES), 2);
  EXPECT_EQ(settings.GetInt(S::GLOWDETAIL), 0);

  settings.SetInt(S::MIPFILTER, 1);
  settings.SetInt(S::CLAMPUVS, 4);
  settings.SetInt(S::NORMALMODULATE, 5);
  settings.SetInt(S::NORMALADDITIVE, 7);
  settings.UpdateDerived();
  EXPECT_EQ(settings.GetInt(S::MIPFILTER), 1);
  EXPECT_EQ(settings.GetInt(S::CLAMPUVS), 4);
  EXPECT_EQ(settings.GetInt(S::NORMALMODULATE), 5);
  EXPECT_EQ(settings.GetInt(S::NORMALADDITIVE), 7);
  settings.SetInt(S::MIPFILTER, 77);
  settings.SetInt(S::CLAMPUVS, -1);
  settings.SetInt(S::NORMALMODULATE, 26);
  settings.SetInt(S::NORMALADDITIVE, 0);
  settings.UpdateDerived();
  EXPECT_EQ(settings.GetInt(S::MIPFILTER), 2);
  EXPECT_EQ(settings.GetInt(S::CLAMPUVS), 3);
  EXPECT_EQ(settings.GetInt(S::NORMALMODULATE), 6);
  EXPECT_EQ(settings.GetInt(S::NORMALADDITIVE), 11);
}

TEST_F(SettingsTest, DefaultKeysAndRebinding) {
  EXPECT_EQ(settings.GetKey(static_cast<int>(InputAction::Left)), 37);
  EXPECT_EQ(settings.GetKey(static_cast<int>(InputAction::Handbrake)), 32);
  EXPECT_EQ(settings.GetKey(static_cast<int>(InputAction::ShiftUp)), 'A');
  EXPECT_EQ(settings.GetKey(11), 80);
  EXPECT_EQ(settings.GetKey(12), -1);
  EXPECT_EQ(settings.GetKey(255), -1);
  EXPECT_EQ(settings.GetKey(-1), -1);
  EXPECT_STREQ(InputActionNames[5], "shift up");
  EXPECT_STREQ(InputActionNames[11], "pause");

  settings.BindKey(static_cast<int>(InputAction::Camera), 65);
  EXPECT_EQ(settings.GetKey(static_cast<int>(InputAction::Camera)), 65);
  EXPECT_EQ(settings.GetKey(static_cast<int>(InputAction::ShiftUp)), -1);

  settings.BindKey(300, 'H');  // unbinds it, stores nothing
  EXPECT_EQ(settings.GetKey(static_cast<int>(InputAction::Headlights)), -1);

  settings.DefaultKeys();
  EXPECT_EQ(settings.GetKey(static_cast<int>(InputAction::ShiftUp)), 'A');
  EXPECT_EQ(settings.GetKey(static_cast<int>(InputAction::Camera)), 'C');
}

TEST_F(SettingsTest, JoystickBindingsExcludeEachOther) {
  settings.BindJoyAxis(0, 1, -1);
  EXPECT_EQ(settings.GetJoyAxis(0), 1);
  EXPECT_EQ(settings.GetJoyAxisDir(0), -1);
  settings.BindJoyButton(0, 3);
  EXPECT_EQ(settings.GetJoyButton(0), 3);
  EXPECT_EQ(settings.GetJoyAxis(0), -1);
  EXPECT_EQ(settings.GetJoyAxisDir(0), 0);

  settings.BindJoyButton(4, 3);  // the button moves
  EXPECT_EQ(settings.GetJoyButton(0), -1);
  EXPECT_EQ(settings.GetJoyButton(4), 3);
  settings.BindJoyAxis(4, 2, 1);  // the axis clears the button
  EXPECT_EQ(settings.GetJoyButton(4), -1);
  settings.BindJoyAxis(5, 2, -1);  // the other half of the same axis stays
  EXPECT_EQ(settings.GetJoyAxis(4), 2);
  settings.BindJoyAxis(6, 2, 1);
  EXPECT_EQ(settings.GetJoyAxis(4), -1);
  EXPECT_EQ(settings.GetJoyAxisDir(4), 0);

  settings.SetJoyButtonRaw(6, 9);  // raw setters leave the rest
  EXPECT_EQ(settings.GetJoyAxis(6), 2);
  EXPECT_EQ(settings.GetJoyButton(6), 9);
  settings.SetJoyAxisRaw(255, 1, 1);
  settings.SetJoyButtonRaw(-2, 1);
  EXPECT_EQ(settings.GetJoyAxis(255), -1);

  settings.ClearBindings();
  for (int action = 0; action < kActionSlots; ++action) {
    EXPECT_EQ(settings.GetKey(action), -1);
    EXPECT_EQ(settings.GetJoyButton(action), -1);
    EXPECT_EQ(settings.GetJoyAxis(action), -1);
    EXPECT_EQ(settings.GetJoyAxisDir(action), 0);
  }
}

TEST_F(SettingsTest, DefaultJoystickLaysOutAxesThenButtons) {
  EXPECT_EQ(settings.GetJoyAxis(0), -1);  // no controller yet
  settings.SetJoystickCounts(4, 10);
  settings.DefaultJoystick();
  for (int axis = 0; axis < 4; ++axis) {
    EXPECT_EQ(settings.GetJoyAxis(2 * axis), axis);
    EXPECT_EQ(settings.GetJoyAxisDir(2 * axis), -1);
    EXPECT_EQ(settings.GetJoyAxis(2 * axis + 1), axis);
    EXPECT_EQ(settings.GetJoyAxisDir(2 * axis + 1), 1);
  }
  for (int button = 0; button < 10; ++button) EXPECT_EQ(settings.GetJoyButton(8 + button), button);
  EXPECT_EQ(settings.GetJoyButton(18), -1);

  settings.SetJoystickCounts(200, 400);  // a controller reporting absurd counts stays inside the maps
  settings.DefaultJoystick();
  EXPECT_EQ(settings.GetJoyAxis(254), 127);
  EXPECT_EQ(settings.GetJoyButton(254), -1);
}

}  // namespace
}  // namespace app
