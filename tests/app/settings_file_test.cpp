// Tests of config.dat and default_config.dat: load, save, the line rules and hand-edited files.
#include "app/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/hardware_info.h"
#include "app/machine_tier.h"
#include "app/settings.h"
#include "app/text_file_reader.h"
#include "contentgen/default_config.h"
#include "device_facts_fixture.h"

namespace app {
namespace {

using S = SettingId;
namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

class SettingsFileTest : public ::testing::Test {
 protected:
  SettingsFileTest() : hardware(testing_support::FastMachine()) {
    hardware.DetectFrom(testing_support::CapableDeviceFacts());
    folder = fs::path(::testing::TempDir()) /
             ("settings_file_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    folderText = folder.string() + "/";
  }
  ~SettingsFileTest() override { fs::remove_all(folder); }

  // Settings read from the given text, as if it were a config file.
  Settings FromText(const std::string& text) {
    Settings settings(hardware, folderText, folderText);
    TextFileReader reader;
    reader.OpenText(text);
    settings.ReadConfig(reader);
    return settings;
  }

  HardwareInfo hardware;
  fs::path folder;
  std::string folderText;
};

TEST(SettingsNumbers, TextsOfNumbers) {
  EXPECT_EQ(IntToString(-12), "-12");
  EXPECT_EQ(FloatToString(10.0f), "10");
  EXPECT_EQ(FloatToString(6000.0f), "6000");
  EXPECT_EQ(FloatToString(0.25f), "0.25");
  EXPECT_EQ(FloatToString(1234567.0f), "1.23457e+06");
  EXPECT_EQ(ParseLeadingInt("  42abc"), 42);
  EXPECT_EQ(ParseLeadingInt("-7"), -7);
  EXPECT_EQ(ParseLeadingInt("abc"), 0);
  EXPECT_EQ(ParseLeadingInt("1 "), 1);
  EXPECT_EQ(ParseLeadingInt("99999999999999999999"), 2147483647);
  EXPECT_EQ(ParseLeadingInt("-99999999999999999999"), -2147483647 - 1);
  EXPECT_EQ(ParseLeadingFloat("60.5"), 60.5f);
  EXPECT_EQ(ParseLeadingFloat("\t1.5e2x"), 150.0f);
  EXPECT_EQ(ParseLeadingFloat("-.5"), -0.5f);
  EXPECT_EQ(ParseLeadingFloat("nan"), 0.0f);
  EXPECT_EQ(ParseLeadingFloat("inf"), 0.0f);
  EXPECT_EQ(ParseLeadingFloat("1e999"), 0.0f);
  EXPECT_EQ(ParseLeadingFloat("0x10"), 0.0f);
}

TEST_F(SettingsFileTest, RoundTripKeepsTableAndBindings) {
  ASSERT_TRUE(contentgen::WriteDefaultConfig(folder.string()));
  Settings settings(hardware, folderText, folderText);
  EXPECT_EQ(settings.LoadConfig((folder / "absent.dat").string()), 0);
  EXPECT_TRUE(settings.IsAutoConfigurePending());

  settings.SetInt(S::MASTERVOLUME, 33);
  settings.SetInt(S::FULLSCREEN, 1);
  settings.SetInt(S::RESOLUTION, 3);
  settings.SetInt(S::GAMESPLAYED, -5);
  settings.SetString(StringSettingId::VEHICLE, "CARS\\coupe");
  settings.SetString(StringSettingId::MP3FOLDER, "C:\\Music\\Rock");
  settings.SetFirstRun(false);
  settings.BindKey(static_cast<int>(InputAction::Camera), 'V');
  settings.BindJoyButton(4, 2);
  settings.BindJoyAxis(2, 1, -1);
  settings.BindJoyAxis(3, 1, 1);
  settings.SetJoyButtonRaw(200, 7);
  settings.UpdateDerived();
  ASSERT_TRUE(settings.SaveConfig());
  ASSERT_TRUE(fs::exists(folder / "config.dat"));

  Settings loaded(hardware, folderText, folderText);
  loaded.LoadConfig("no_such_config.dat");  // falls back to config.dat in the config folder
  EXPECT_FALSE(loaded.IsAutoConfigurePending());
  for (int i = 0; i < kIntSettingCount; ++i) {
    EXPECT_EQ(loaded.GetInt(static_cast<S>(i)), settings.GetInt(static_cast<S>(i))) << SettingsTable[i].key;
  }
  for (int i = 0; i < kFloatSettingCount; ++i) {
    EXPECT_EQ(loaded.GetFloat(static_cast<FloatSettingId>(i)), settings.GetFloat(static_cast<FloatSettingId>(i)));
  }
  for (int i = 0; i < kStringSettingCount; ++i) {
    EXPECT_EQ(loaded.GetString(static_cast<StringSettingId>(i)), settings.GetString(static_cast<StringSettingId>(i)));
  }
  for (int action = 0; action < kActionSlots; ++action) {
    EXPECT_EQ(loaded.GetKey(action), settings.GetKey(action)) << action;
    EXPECT_EQ(loaded.GetJoyButton(action), settings.GetJoyButton(action)) << action;
    EXPECT_EQ(loaded.GetJoyAxis(action), settings.GetJoyAxis(action)) << action;
    EXPECT_EQ(loaded.GetJoyAxisDir(action), settings.GetJoyAxisDir(action)) << action;
  }
  EXPECT_FALSE(loaded.IsFirstRun());
  EXPECT_EQ(loaded.GetString(StringSettingId::MP3FOLDER), "C:\\Music\\Rock");
  EXPECT_EQ(loaded.GetInt(S::SCREENWIDTH), 1024);

  // Saving what was loaded writes the same file again.
  const std::string first = ReadText(folder / "config.dat");
  ASSERT_TRUE(loaded.SaveConfig());
  EXPECT_EQ(ReadText(folder / "config.dat"), first);
}

TEST_F(SettingsFileTest, FileLayoutIsSettingsThenBindingsThenFirstRun) {
  Settings settings(hardware, folderText, folderText);
  settings.BindJoyAxis(2, 1, -1);
  const std::string text = settings.ConfigText();
  EXPECT_EQ(text.rfind("SCREENWIDTH:640\n", 0), 0u);
  EXPECT_NE(text.find("\nTRACKCAMERA:0\nNEARCLIP:10\nFARCLIP:6000\nFOV:45\nGAMENAME:\n"), std::string::npos);
  EXPECT_NE(text.find("\nMP3FOLDER:\nKEYMAP:0:37\nKEYMAP:1:39\nKEYMAP:2:38\nJOYAXISMAP:2:1:-1\n"), std::string::npos);
  EXPECT_EQ(text.find("JOYBUTTONMAP"), std::string::npos);
  EXPECT_GE(text.size(), 11u);
  EXPECT_EQ(text.substr(text.size() - 11), "FIRSTRUN:1\n");
}

TEST_F(SettingsFileTest, MissingConfigFallsBackToDefaultFileAndPendsTheFirstRunPreset) {
  ASSERT_TRUE(contentgen::WriteDefaultConfig(folder.string()));
  Settings settings(hardware, folderText, folderText);
  settings.LoadConfig("no_such_config.dat");
  EXPECT_TRUE(settings.IsAutoConfigurePending());
  EXPECT_EQ(settings.GetInt(S::FULLSCREEN), 0);
  EXPECT_EQ(settings.GetInt(S::SCREENWIDTH), 640);
  EXPECT_EQ(settings.GetInt(S::SCREENHEIGHT), 480);
  // The delivered file carries the middle preset of the detail settings.
  for (const PresetEntry& entry : DetailPresets) {
    EXPECT_EQ(settings.GetInt(entry.id), entry.valueByTier[kFirstRunTier]) << static_cast<int>(entry.id);
  }
  EXPECT_EQ(settings.GetInt(S::CDMUSIC), 0);
  EXPECT_EQ(settings.GetInt(S::MP3MUSIC), 1);
  EXPECT_EQ(settings.GetKey(11), 'P');
  EXPECT_FALSE(settings.TakeResolutionChanged());  // the file's size matches the derived size

  settings.Validate();
  EXPECT_FALSE(settings.IsAutoConfigurePending());
  ASSERT_TRUE(settings.SaveConfig());
  EXPECT_TRUE(fs::exists(folder / "config.dat"));
  EXPECT_TRUE(fs::exists(folder / "default_config.dat"));
}

TEST_F(SettingsFileTest, NoFileAtAllLeavesDefaults) {
  Settings settings(hardware, folderText, folderText);
  settings.LoadConfig("no_such_config.dat");
  EXPECT_TRUE(settings.IsAutoConfigurePending());
  EXPECT_EQ(settings.GetInt(S::MASTERVOLUME), 60);
  EXPECT_EQ(settings.GetFloat(FloatSettingId::FARCLIP), ViewDistanceFarClips[3]);  // derived from the default
}

TEST_F(SettingsFileTest, ReadingStopsAtTheFirstEmptyLineAndNeedsTheLastLineFeed) {
  Settings stopped = FromText("SHOWFPS:1\nMASTERVOLUME:10\n\nSFXVOLUME:5\n");
  EXPECT_EQ(stopped.GetInt(S::SHOWFPS), 1);
  EXPECT_EQ(stopped.GetInt(S::MASTERVOLUME), 10);
  EXPECT_EQ(stopped.GetInt(S::SFXVOLUME), 100);

  EXPECT_TRUE(FromText("SHOWFPS:1\nFIRSTRUN:0").IsFirstRun());
  EXPECT_FALSE(FromText("SHOWFPS:1\nFIRSTRUN:0\n").IsFirstRun());
  EXPECT_FALSE(FromText("SHOWFPS:1\r\nFIRSTRUN:0\r\n").IsFirstRun());
}

TEST_F(SettingsFileTest, LineRulesForValues) {
  Settings settings = FromText(
      "# comment line\n"
      "FOV:60.5\n"
      "NEARCLIP\n"
      "SHOWFPS:abc\n"
      "MASTERVOLUME:30 # volume\n"
      "SFXVOLUME : 1\n"
      "musicvolume:1\n"
      "MP3FOLDER:C:\\Music\\Rock\n"
      "TRACK:D:\\x,y\n"
      "UNKNOWN:5\n"
      "GUID\n");
  EXPECT_EQ(settings.GetFloat(FloatSettingId::FOV), 60.5f);
  EXPECT_EQ(settings.GetFloat(FloatSettingId::NEARCLIP), 10.0f);
  EXPECT_EQ(settings.GetInt(S::SHOWFPS), 0);
  EXPECT_EQ(settings.GetInt(S::MASTERVOLUME), 30);
  EXPECT_EQ(settings.GetInt(S::SFXVOLUME), 100);  // "SFXVOLUME " is no key
  EXPECT_EQ(settings.GetInt(S::MUSICVOLUME), 100);
  EXPECT_EQ(settings.GetString(StringSettingId::MP3FOLDER), "C:\\Music\\Rock");
  EXPECT_EQ(settings.GetString(StringSettingId::TRACK), "D:\\x:y");
  EXPECT_EQ(settings.GetString(StringSettingId::GUID), "");
}

TEST_F(SettingsFileTest, LineRulesForBindings) {
  Settings settings = FromText("KEYMAP:5:65\nKEYMAP:9:65\nJOYAXISMAP:0:0\nJOYBUTTONMAP:3:4\nJOYAXISMAP:3:1:1\n");
  EXPECT_EQ(settings.GetKey(9), 65);
  EXPECT_EQ(settings.GetKey(5), -1);
  EXPECT_EQ(settings.GetJoyAxis(0), -1);  // direction missing: nothing
  // An action saved with both a button and an axis keeps only the axis, read last.
  EXPECT_EQ(settings.GetJoyButton(3), -1);
  EXPECT_EQ(settings.GetJoyAxis(3), 1);
  EXPECT_EQ(settings.GetJoyAxisDir(3), 1);

  Settings both(hardware, folderText, folderText);
  both.SetJoyButtonRaw(3, 4);
  both.SetJoyAxisRaw(3, 1, 1);
  const std::string text = both.ConfigText();
  EXPECT_NE(text.find("JOYBUTTONMAP:3:4\nJOYAXISMAP:3:1:1\n"), std::string::npos);
}

TEST_F(SettingsFileTest, UnboundActionsStayUnboundAfterReload) {
  Settings settings(hardware, folderText, folderText);
  settings.BindKey(static_cast<int>(InputAction::Right), -1);
  settings.BindKey(static_cast<int>(InputAction::Accelerate), 'A');  // takes A from "shift up"
  Settings loaded = FromText(settings.ConfigText());
  EXPECT_EQ(loaded.GetKey(static_cast<int>(InputAction::Right)), -1);
  EXPECT_EQ(loaded.GetKey(static_cast<int>(InputAction::ShiftUp)), -1);
  EXPECT_EQ(loaded.GetKey(static_cast<int>(InputAction::Accelerate)), 'A');
  EXPECT_EQ(loaded.GetKey(static_cast<int>(InputAction::Left)), 37);
  // A file without key lines keeps the default keys.
  EXPECT_EQ(FromText("SHOWFPS:1\n").GetKey(static_cast<int>(InputAction::Right)), 39);
}

TEST_F(SettingsFileTest, AKeySharedWithAHighSlotSavesWhatTheNextStartReads) {
  // A hand edit binds key 0 to slot 37 first and to "left" after; reading the saved file would take the key
  // from "left" again, so the save must not promise a binding the next start cannot read.
  Settings edited = FromText("KEYMAP:37:0\nKEYMAP:0:0\n");
  ASSERT_EQ(edited.GetKey(0), 0);
  ASSERT_EQ(edited.GetKey(37), 0);
  const std::string saved = edited.ConfigText();
  EXPECT_EQ(saved.find("KEYMAP:0:0\n"), std::string::npos);
  Settings reloaded = FromText(saved);
  EXPECT_EQ(reloaded.GetKey(0), -1);
  EXPECT_EQ(reloaded.GetKey(37), 0);
  EXPECT_EQ(reloaded.ConfigText(), saved);
}

TEST_F(SettingsFileTest, ReadValuesDoNotRaiseResolutionChangedUnlessDerivationDiffers) {
  Settings same = FromText("FULLSCREEN:1\nRESOLUTION:1\nSCREENWIDTH:640\nSCREENHEIGHT:480\n");
  EXPECT_FALSE(same.TakeResolutionChanged());
  Settings differs = FromText("FULLSCREEN:1\nRESOLUTION:2\nSCREENWIDTH:640\nSCREENHEIGHT:480\n");
  EXPECT_EQ(differs.GetInt(S::SCREENWIDTH), 800);
  EXPECT_TRUE(differs.TakeResolutionChanged());
}

TEST_F(SettingsFileTest, HandEditedOutOfRangeValuesNeverIndexOutside) {
  Settings settings = FromText(
      "FULLSCREEN:1\n"
      "RESOLUTION:2147483647\n"
      "VIEWDISTANCE:-2147483648\n"
      "REFLECTIONDETAIL:9\n"
      "SKIDMARKS:-4\n"
      "KEYMAP:-1:65\n"
      "KEYMAP:255:65\n"
      "KEYMAP:100000:65\n"
      "KEYMAP:2:-1\n"
      "KEYMAP:3:256\n"
      "KEYMAP:4:99999999999\n"
      "JOYBUTTONMAP:-3:1\n"
      "JOYBUTTONMAP:1:-1\n"
      "JOYBUTTONMAP:1:128\n"
      "JOYBUTTONMAP:254:127\n"
      "JOYAXISMAP:7:-1:1\n"
      "JOYAXISMAP:7:8:1\n"
      "JOYAXISMAP:7:1:5\n"
      "JOYAXISMAP:999:1:1\n");
  EXPECT_EQ(settings.GetInt(S::RESOLUTION), 3);
  EXPECT_EQ(settings.GetInt(S::SCREENWIDTH), 1024);
  EXPECT_EQ(settings.GetInt(S::VIEWDISTANCE), 0);
  EXPECT_EQ(settings.GetFloat(FloatSettingId::FARCLIP), ViewDistanceFarClips[0]);
  EXPECT_EQ(settings.GetInt(S::REFLECTIONDETAIL), 2);
  EXPECT_EQ(settings.GetInt(S::SKIDMARKS), 0);
  // Bad binding lines are ignored: the defaults stand.
  EXPECT_EQ(settings.GetKey(2), 38);
  EXPECT_EQ(settings.GetKey(3), 40);
  EXPECT_EQ(settings.GetKey(4), 32);
  EXPECT_EQ(settings.GetKey(5), 'A');  // KEYMAP lines for bad actions did not take A away
  EXPECT_EQ(settings.GetJoyButton(1), -1);
  EXPECT_EQ(settings.GetJoyButton(254), 127);
  EXPECT_EQ(settings.GetJoyAxis(7), -1);
  for (int action = 0; action < kActionSlots; ++action) {
    EXPECT_GE(settings.GetKey(action), -1);
    EXPECT_LT(settings.GetKey(action), kKeyCodeLimit);
    EXPECT_LT(settings.GetJoyButton(action), kJoyButtonLimit);
    EXPECT_LT(settings.GetJoyAxis(action), kJoyAxisLimit);
  }
}

TEST_F(SettingsFileTest, UnwritableFolderReportsFailureAndKeepsNothingHalfWritten) {
  Settings settings(hardware, folderText + "missing/folder/", folderText);
  EXPECT_FALSE(settings.SaveConfig());
  EXPECT_FALSE(fs::exists(folder / "missing"));
}

TEST_F(SettingsFileTest, SavedStringsStayOnOneLine) {
  Settings settings(hardware, folderText, folderText);
  settings.SetString(StringSettingId::VEHICLE, "coupe\nSHOWFPS:1");
  settings.SetInt(S::SHOWFPS, 0);
  ASSERT_TRUE(settings.SaveConfig());
  Settings loaded(hardware, folderText, folderText);
  loaded.LoadConfig("no_such_config.dat");
  EXPECT_EQ(loaded.GetInt(S::SHOWFPS), 0);
  EXPECT_EQ(loaded.GetString(StringSettingId::VEHICLE), "coupe SHOWFPS:1");
}

}  // namespace
}  // namespace app
