// Tests of config.dat and default_config.dat: load, save, the line rules and hand-edited files.
#include "app/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/hardware_info.h"
#include "app/settings.h"
#include "app/text_file_reader.h"
#include "platform/file_system.h"
#include "contentgen/default_config.h"
#include "device_facts_fixture.h"

namespace app {
namespace {

using S = SettingId;
namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
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

TEST(SettingsNumbers, HandEditedNumbersReadSafely) {
  const std::pair<const char*, int> ints[] = {
      {"  42abc", 42}, {"abc", 0}, {"99999999999999999999", 2147483647}, {"-99999999999999999999", -2147483647 - 1}};
  for (const auto& [text, value] : ints) EXPECT_EQ(ParseLeadingInt(text), value) << text;
  const std::pair<const char*, float> floats[] = {{"\t1.5e2x", 150.0f}, {"-.5", -0.5f}, {"nan", 0.0f},
                                                  {"inf", 0.0f},         {"1e999", 0.0f}, {"0x10", 0.0f}};
  for (const auto& [text, value] : floats) EXPECT_EQ(ParseLeadingFloat(text), value) << text;
}

TEST_F(SettingsFileTest, RoundTripKeepsTableAndBindings) {
  ASSERT_TRUE(contentgen::WriteDefaultConfig(folder.string()));
  Settings settings(hardware, folderText, folderText);
  settings.LoadConfig((folder / "absent.dat").string());
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
  settings.SetJoyButtonRaw(200, 7);
  settings.UpdateDerived();
  ASSERT_TRUE(settings.SaveConfig());

  Settings loaded(hardware, folderText, folderText);
  loaded.LoadConfig("no_such_config.dat");  // falls back to config.dat in the config folder
  EXPECT_FALSE(loaded.IsAutoConfigurePending());
  EXPECT_FALSE(loaded.IsFirstRun());
  EXPECT_EQ(loaded.GetString(StringSettingId::MP3FOLDER), "C:\\Music\\Rock");
  EXPECT_EQ(loaded.GetJoyButton(200), 7);
  // Every value and binding read back: the reloaded settings write the same file again.
  EXPECT_EQ(loaded.ConfigText(), ReadText(folder / "config.dat"));
}

TEST_F(SettingsFileTest, LineRulesForValues) {
  Settings settings = FromText(
      "# comment line\nFOV:60.5\nNEARCLIP\nSHOWFPS:abc\nMASTERVOLUME:30 # volume\nSFXVOLUME : 1\nmusicvolume:1\n"
      "TRACK:D:\\x,y\nGUID\n\nSHOWFPS:1\n");
  EXPECT_EQ(settings.GetFloat(FloatSettingId::FOV), 60.5f);
  EXPECT_EQ(settings.GetFloat(FloatSettingId::NEARCLIP), 10.0f);
  EXPECT_EQ(settings.GetInt(S::MASTERVOLUME), 30);
  EXPECT_EQ(settings.GetInt(S::SFXVOLUME), 100);  // "SFXVOLUME " is no key
  EXPECT_EQ(settings.GetInt(S::MUSICVOLUME), 100);
  EXPECT_EQ(settings.GetString(StringSettingId::TRACK), "D:\\x:y");
  EXPECT_EQ(settings.GetString(StringSettingId::GUID), "");
  EXPECT_EQ(settings.GetInt(S::SHOWFPS), 0) << "reading stops at the first empty line";
  EXPECT_TRUE(FromText("SHOWFPS:1\nFIRSTRUN:0").IsFirstRun()) << "the last line needs its line feed";
  EXPECT_FALSE(FromText("SHOWFPS:1\r\nFIRSTRUN:0\r\n").IsFirstRun());
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

TEST_F(SettingsFileTest, AKeyLineChangesOnlyItsKeyAndAction) {
  const Settings defaults(hardware, folderText, folderText);
  struct Case {
    const char* text;
    int action;       // the action the lines bind
    int key;          // the key it ends with (-1: none)
    int robbedAction; // an action whose default key the lines took, or -1
  };
  const Case cases[] = {
      {"KEYMAP:7:66\n", 7, 66, -1},
      {"KEYMAP:5:65\n", 5, 65, -1},                // A is already "shift up": nothing else moves
      {"KEYMAP:2:37\n", 2, 37, 0},                 // the left arrow leaves "left" for "accelerate"
      {"KEYMAP:5:65\nKEYMAP:9:65\n", 9, 65, 5},    // a later line takes the key from "shift up"
      {"KEYMAP:3:-1\n", 3, -1, -1},                // "brake" saved without a key
      {"KEYMAP:40:38\n", 40, 38, 2},               // a high slot still takes the key from the game's actions
      {"KEYMAP:7:-2\n", 7, -1, -1},                // any negative key leaves the action without one
      {"KEYMAP:7:66\nKEYMAP:300:66\n", 7, -1, -1}, // an action past the table takes the key and keeps nothing
      {"KEYMAP:300:65\n", 300, -1, 5},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(platform::WriteFileAtomically(folderText + "config.dat", c.text, std::string(c.text).size()));
    Settings loaded(hardware, folderText, folderText);
    loaded.LoadConfig((folder / "config.dat").string());
    EXPECT_EQ(loaded.GetKey(c.action), c.key) << c.text;
    for (int action = 0; action < kKeyUnbindActions; ++action) {
      if (action == c.action) continue;
      const int expected = action == c.robbedAction ? -1 : defaults.GetKey(action);
      EXPECT_EQ(loaded.GetKey(action), expected) << c.text << " action " << action;
    }
    // What a save then writes reads back the same.
    const std::string saved = loaded.ConfigText();
    EXPECT_EQ(FromText(saved).ConfigText(), saved) << c.text;
  }
}

TEST_F(SettingsFileTest, AKeySharedWithAHighSlotSavesWhatTheNextStartReads) {
  // A hand edit binds key 0 to slot 37 first and to "left" after; reading the saved file would take the key
  // from "left" again, so the save must not promise a binding the next start cannot read.
  Settings edited = FromText("KEYMAP:37:0\nKEYMAP:0:0\n");
  ASSERT_EQ(edited.GetKey(37), 0);
  const std::string saved = edited.ConfigText();
  EXPECT_EQ(saved.find("KEYMAP:0:0\n"), std::string::npos);
  Settings reloaded = FromText(saved);
  EXPECT_EQ(reloaded.GetKey(0), -1);
  EXPECT_EQ(reloaded.GetKey(37), 0);
  EXPECT_EQ(reloaded.ConfigText(), saved);
}

TEST_F(SettingsFileTest, HandEditedOutOfRangeValuesNeverIndexOutside) {
  // The game's own start-up test holds the resolution, view distance and key codes in range; these are the rest.
  Settings settings = FromText(
      "REFLECTIONDETAIL:9\nSKIDMARKS:-4\nKEYMAP:-1:65\nKEYMAP:255:65\nKEYMAP:100000:65\nKEYMAP:3:256\n"
      "JOYBUTTONMAP:-3:1\nJOYBUTTONMAP:1:128\nJOYBUTTONMAP:254:127\n"
      "JOYAXISMAP:7:-1:1\nJOYAXISMAP:7:8:1\nJOYAXISMAP:7:1:5\nJOYAXISMAP:999:1:1\n");
  EXPECT_EQ(settings.GetInt(S::REFLECTIONDETAIL), 2);
  EXPECT_EQ(settings.GetInt(S::SKIDMARKS), 0);
  EXPECT_EQ(settings.GetKey(3), 40) << "a bad binding line is ignored: the default stands";
  EXPECT_EQ(settings.GetKey(5), -1) << "a line for an action outside the table still takes its key";
  EXPECT_EQ(settings.GetJoyButton(1), -1);
  EXPECT_EQ(settings.GetJoyButton(254), 127);
  for (int action = 0; action < kActionSlots; ++action) EXPECT_LT(settings.GetJoyAxis(action), kJoyAxisLimit);
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
  EXPECT_EQ(loaded.GetString(StringSettingId::VEHICLE), "coupe\nSHOWFPS:1");
}

// A music folder's name may hold any byte but NUL: whatever it holds, the file the game saves reads back whole,
// with the same folder, and a second save writes the same file.
TEST_F(SettingsFileTest, AMusicFolderOfAnyByteSurvivesASaveAndAStart) {
  std::string everyByte;
  std::vector<std::string> names;
  for (int byte = 1; byte < 256; ++byte) {
    const std::string b(1, static_cast<char>(byte));
    everyByte += b;
    // First, doubled, inside and last.
    for (const std::string& name : {b + "/music", "/mu" + b + b + "sic/" + b + "x" + b}) names.push_back(name);
  }
  // What reading joins, drops or decodes: doubled and edge colons, commas beside colons, text that looks like
  // the escapes, and a name as long as the system allows with every byte one that is escaped.
  for (const char* name : {"::", ":a:", "a::b", "a:,:b", "a:\t:b", "%", "100%", "%23", "%2C%3a", "%%3A", "%0",
                           "C:\\Music\\Rock", " lead and trail "}) {
    names.push_back(name);
  }
  names.push_back(std::string(4096, '\x1b'));
  names.push_back(everyByte);
  Settings player(hardware, folderText, folderText);
  player.SetInt(S::MP3MUSIC, 1);
  player.SetInt(S::CDMUSIC, 0);
  player.SetFirstRun(false);
  player.UpdateDerived();
  for (const std::string& name : names) {
    SCOPED_TRACE(::testing::PrintToString(name));
    player.SetString(StringSettingId::MP3FOLDER, name);
    // What LoadConfig does with the bytes it read: the damage check, then the lines.
    const std::string saved = player.ConfigText();
    ASSERT_EQ(ConfigFileProblem(saved), "");
    const Settings loaded = FromText(saved);
    ASSERT_EQ(loaded.GetString(StringSettingId::MP3FOLDER), name);
    EXPECT_EQ(loaded.GetInt(S::MP3MUSIC), 1);
    EXPECT_EQ(loaded.ConfigText(), saved);
  }
  // And once through the file itself.
  ASSERT_TRUE(player.SaveConfig());
  Settings loaded(hardware, folderText, folderText);
  loaded.LoadConfig("no_such_config.dat");
  EXPECT_EQ(loaded.DamagedConfigMessage(), "");
  EXPECT_FALSE(loaded.IsAutoConfigurePending());
  EXPECT_EQ(loaded.GetString(StringSettingId::MP3FOLDER), everyByte);
  EXPECT_FALSE(fs::exists(folder / "config.dat.bad"));
}

// Files without the escapes' mark line (older ones, hand-written ones) read as they stand: a '%' is a '%'.
TEST_F(SettingsFileTest, AHandWrittenFolderReadsAsItStands) {
  const std::pair<const char*, const char*> lines[] = {
      {"MP3FOLDER:/music/100% hits\n", "/music/100% hits"}, {"MP3FOLDER:/music/%41%4a\n", "/music/%41%4a"},
      {"MP3FOLDER:C:\\Music\\Rock\n", "C:\\Music\\Rock"}, {"MP3FOLDER:D:\\x,y\n", "D:\\x:y"},
      {"MP3FOLDER:/music/a%2Cb%3A%00\n", "/music/a%2Cb%3A%00"}};
  for (const auto& [line, folderName] : lines) {
    EXPECT_EQ(FromText(line).GetString(StringSettingId::MP3FOLDER), folderName) << line;
  }
}

// A string too long for any line the reader takes is left out of the file rather than have the whole file set
// aside at the next start.
TEST_F(SettingsFileTest, AStringTooLongToReadBackIsLeftOutAndTheRestOfTheFileKept) {
  Settings player(hardware, folderText, folderText);
  player.SetString(StringSettingId::MP3FOLDER, std::string(kMaxConfigLineBytes, '#'));
  player.SetInt(S::MASTERVOLUME, 42);
  ASSERT_TRUE(player.SaveConfig());
  Settings loaded(hardware, folderText, folderText);
  loaded.LoadConfig("no_such_config.dat");
  EXPECT_EQ(loaded.DamagedConfigMessage(), "");
  EXPECT_EQ(loaded.GetString(StringSettingId::MP3FOLDER), "");
  EXPECT_EQ(loaded.GetInt(S::MASTERVOLUME), 42);
}

// A config.dat written by the game, then changed: a setting's value replaced by the given text.
std::string WithValue(std::string text, const std::string& key, const std::string& value) {
  const size_t start = text.find("\n" + key + ":") + 1;
  const size_t end = text.find('\n', start);
  return text.replace(start, end - start, key + ":" + value);
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Numbers beyond a setting's range are clamped as the file is read, so the next save writes the clamped value.
TEST_F(SettingsFileTest, OutOfRangeNumbersAreClampedWhenReadAndNeverWrittenBack) {
  ASSERT_TRUE(contentgen::WriteDefaultConfig(folder.string()));
  Settings game(hardware, folderText, folderText);
  game.LoadConfig("no_such_config.dat");
  game.SetFirstRun(false);
  const std::string saved = game.ConfigText();
  const struct {
    const char* key;
    const char* written;
    int read;
  } ints[] = {{"MASTERVOLUME", "99999", 100}, {"MUSICVOLUME", "-50", 0},  {"SFXVOLUME", "100", 100},
              {"FULLSCREEN", "7", 1},         {"MAXLIGHTS", "64", 8},     {"TRACKCAMERA", "-3", 0},
              {"GLOWDETAIL", "5", 2},         {"GAMESPLAYED", "12345", 12345}, {"CDMUSIC", "3", 2}};
  std::string text = saved;
  for (const auto& c : ints) text = WithValue(text, c.key, c.written);
  text = WithValue(WithValue(text, "FOV", "1000"), "NEARCLIP", "-4.5");
  WriteText(folder / "config.dat", text);

  Settings loaded(hardware, folderText, folderText);
  loaded.LoadConfig("no_such_config.dat");
  EXPECT_FALSE(loaded.IsAutoConfigurePending()) << "a number out of range is no damage";
  EXPECT_FALSE(fs::exists(folder / "config.dat.bad"));
  for (const auto& c : ints) {
    const auto def = std::find_if(SettingsTable.begin(), SettingsTable.end(),
                                  [&](const IntSettingDef& d) { return std::string(d.key) == c.key; });
    EXPECT_EQ(loaded.GetInt(def->id), c.read) << c.key;
  }
  EXPECT_EQ(loaded.GetFloat(FloatSettingId::FOV), 120.0f);
  EXPECT_EQ(loaded.GetFloat(FloatSettingId::NEARCLIP), 1.0f);
  ASSERT_TRUE(loaded.SaveConfig());
  const std::string written = ReadText(folder / "config.dat");
  EXPECT_NE(written.find("\nMASTERVOLUME:100\n"), std::string::npos);
  EXPECT_EQ(written.find("99999"), std::string::npos);
}

// A damaged config.dat is kept beside the new one, and the game starts as a first run does: in a window, with the
// first-run detail fitted to the machine, instead of the table's full screen with every effect.
TEST_F(SettingsFileTest, ADamagedConfigIsKeptAndTheGameStartsAsAFirstRun) {
  ASSERT_TRUE(contentgen::WriteDefaultConfig(folder.string()));
  Settings firstRun(hardware, folderText, folderText);
  firstRun.LoadConfig("no_such_config.dat");
  firstRun.Validate();
  ASSERT_EQ(firstRun.GetInt(S::FULLSCREEN), 0);

  // The player's own settings, as the game saved them: full screen, every effect.
  Settings player(hardware, folderText, folderText);
  player.SetInt(S::FULLSCREEN, 1);
  player.SetInt(S::MOTIONBLUR, 1);
  player.SetFirstRun(false);
  const std::string good = player.ConfigText();
  ASSERT_EQ(ConfigFileProblem(good), "");

  std::mt19937 random(21);
  std::string noise(700, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"random bytes", noise},
      {"an empty file", ""},
      {"NUL bytes only", std::string(64, '\0')},
      {"no setting in the part read of a longer file", std::string(platform::kMaxTextFileBytes + 1, '#') + "\n"},
      {"a first line that is empty", "\n" + good},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_NE(ConfigFileProblem(c.text), "");
    fs::remove(folder / "config.dat.bad");
    WriteText(folder / "config.dat", c.text);
    Settings loaded(hardware, folderText, folderText);
    ::testing::internal::CaptureStderr();
    loaded.LoadConfig("no_such_config.dat");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("config.dat: damaged settings"), std::string::npos) << said;
    EXPECT_NE(said.find("kept as " + folderText + "config.dat.bad,"), std::string::npos) << said;
    EXPECT_EQ(ReadText(folder / "config.dat.bad"), c.text);
    EXPECT_TRUE(loaded.IsFirstRun());
    const std::string& message = loaded.DamagedConfigMessage();
    EXPECT_NE(message.find("could not be read"), std::string::npos) << message;
    EXPECT_NE(message.find("kept as " + folderText + "config.dat.bad."), std::string::npos) << message;
    EXPECT_NE(message.find("first-run settings"), std::string::npos) << message;
    loaded.Validate();
    EXPECT_EQ(loaded.GetInt(S::FULLSCREEN), 0);
    EXPECT_EQ(loaded.ConfigText(), firstRun.ConfigText());

    // The next save writes a sound file beside the kept one.
    ASSERT_TRUE(loaded.SaveConfig());
    EXPECT_EQ(ConfigFileProblem(ReadText(folder / "config.dat")), "");
    EXPECT_EQ(ReadText(folder / "config.dat.bad"), c.text);
  }

  // A second damaged file keeps the first copy and takes the next name.
  WriteText(folder / "config.dat", "\x01");
  Settings again(hardware, folderText, folderText);
  again.LoadConfig("no_such_config.dat");
  EXPECT_EQ(ReadText(folder / "config.dat.bad2"), "\x01");
  EXPECT_EQ(ReadText(folder / "config.dat.bad"), cases[std::size(cases) - 1].text);
  EXPECT_NE(again.DamagedConfigMessage().find("config.dat.bad2."), std::string::npos);
}

// A file whose only setting lies past the part of it that is read is set aside whole, copied from the file
// itself, and the next start with a sound file has nothing to tell.
TEST_F(SettingsFileTest, AConfigTooLargeToReadIsKeptWholeAndASoundOneTellsNothing) {
  ASSERT_TRUE(contentgen::WriteDefaultConfig(folder.string()));
  const std::string huge = std::string(platform::kMaxTextFileBytes, '#') + "\nSHOWFPS:1\n";
  WriteText(folder / "config.dat", huge);
  Settings loaded(hardware, folderText, folderText);
  ::testing::internal::CaptureStderr();
  loaded.LoadConfig("no_such_config.dat");
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("damaged settings"), std::string::npos) << said;
  EXPECT_TRUE(loaded.IsAutoConfigurePending()) << "started as a first run";
  EXPECT_EQ(loaded.GetInt(S::SHOWFPS), 0);
  EXPECT_EQ(ReadText(folder / "config.dat.bad"), huge);
  EXPECT_NE(loaded.DamagedConfigMessage().find("config.dat.bad."), std::string::npos);

  ASSERT_TRUE(loaded.SaveConfig());
  Settings next(hardware, folderText, folderText);
  next.LoadConfig("no_such_config.dat");
  EXPECT_EQ(next.DamagedConfigMessage(), "");
  EXPECT_FALSE(fs::exists(folder / "config.dat.bad2"));
}

// Lines the reading rules skip or read leniently are no damage: each has its own small effect, every other line
// of the file takes effect, no copy is set aside and there is nothing to tell the player.
TEST_F(SettingsFileTest, SkippedAndLenientLinesKeepTheRestOfTheFile) {
  const Settings defaults(hardware, folderText, folderText);
  Settings player(hardware, folderText, folderText);
  player.SetInt(S::FULLSCREEN, 0);
  player.SetInt(S::MOTIONBLUR, 0);
  player.SetInt(S::SHOWFPS, 1);
  player.SetInt(S::MASTERVOLUME, 37);
  player.SetFirstRun(false);
  player.BindKey(static_cast<int>(InputAction::Camera), 'V');
  const std::string good = WithValue(player.ConfigText(), "FOV", "60.5");
  ASSERT_NE(defaults.GetInt(S::FULLSCREEN), 0);
  ASSERT_NE(defaults.GetInt(S::MOTIONBLUR), 0);
  ASSERT_NE(defaults.GetInt(S::SHOWFPS), 1);
  ASSERT_NE(defaults.GetFloat(FloatSettingId::FOV), 60.5f);
  // The file with one line replaced by another.
  auto withLine = [&](const std::string& key, const std::string& line) {
    std::string text = good;
    const size_t start = text.find("\n" + key + ":") + 1;
    return text.replace(start, text.find('\n', start) - start, line);
  };

  using Check = std::function<void(const Settings&)>;
  const int camera = static_cast<int>(InputAction::Camera);
  const struct {
    const char* what;
    std::string text;
    Check check;
  } cases[] = {
      {"a line naming no setting", "garbage line\n" + good, [](const Settings&) {}},
      {"a key this game does not know", "TURBOBOOST:1\n" + good, [](const Settings&) {}},
      {"a misspelt setting", withLine("SHOWFPS", "SHOWFSP:1"),
       [&](const Settings& s) { EXPECT_EQ(s.GetInt(S::SHOWFPS), defaults.GetInt(S::SHOWFPS)); }},
      {"a space before the colon", withLine("SHOWFPS", "SHOWFPS : 1"),
       [&](const Settings& s) { EXPECT_EQ(s.GetInt(S::SHOWFPS), defaults.GetInt(S::SHOWFPS)); }},
      {"a word where a number belongs", withLine("SHOWFPS", "SHOWFPS:abc"),
       [](const Settings& s) { EXPECT_EQ(s.GetInt(S::SHOWFPS), 0); }},
      {"a setting without its value", withLine("FOV", "FOV"),
       [&](const Settings& s) { EXPECT_EQ(s.GetFloat(FloatSettingId::FOV), defaults.GetFloat(FloatSettingId::FOV)); }},
      {"a word for a number", WithValue(good, "MASTERVOLUME", "loud"),
       [](const Settings& s) { EXPECT_EQ(s.GetInt(S::MASTERVOLUME), 0); }},
      {"a number followed by a word", WithValue(good, "FOV", "45deg"),
       [](const Settings& s) { EXPECT_EQ(s.GetFloat(FloatSettingId::FOV), 45.0f); }},
      {"a number out of range", WithValue(good, "MASTERVOLUME", "99999"),
       [](const Settings& s) { EXPECT_EQ(s.GetInt(S::MASTERVOLUME), 100); }},
      {"FIRSTRUN without its number", WithValue(good, "FIRSTRUN", "yes"),
       [](const Settings& s) { EXPECT_FALSE(s.IsFirstRun()) << "a word reads as 0"; }},
      {"a key line without its key", "KEYMAP:" + std::to_string(camera) + "\n" + good,
       [&](const Settings& s) { EXPECT_EQ(s.GetKey(camera), 'V'); }},
      {"a last line without its line end", good.substr(0, good.size() - 1),
       [](const Settings& s) { EXPECT_TRUE(s.IsFirstRun()) << "FIRSTRUN:0 unended is not applied"; }},
      {"a file cut inside its last line", good.substr(0, good.size() - 3),
       [](const Settings& s) { EXPECT_TRUE(s.IsFirstRun()); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ConfigFileProblem(c.text), "");
    WriteText(folder / "config.dat", c.text);
    Settings loaded(hardware, folderText, folderText);
    loaded.LoadConfig("no_such_config.dat");
    EXPECT_FALSE(fs::exists(folder / "config.dat.bad"));
    EXPECT_FALSE(loaded.IsAutoConfigurePending()) << "not a first run";
    EXPECT_EQ(loaded.DamagedConfigMessage(), "");
    // Every other line took effect.
    EXPECT_EQ(loaded.GetInt(S::FULLSCREEN), 0);
    EXPECT_EQ(loaded.GetInt(S::MOTIONBLUR), 0);
    EXPECT_EQ(loaded.GetKey(camera), 'V');
    if (c.text.find("FOV:60.5\n") != std::string::npos) EXPECT_EQ(loaded.GetFloat(FloatSettingId::FOV), 60.5f);
    if (c.text.find("MASTERVOLUME:37\n") != std::string::npos) EXPECT_EQ(loaded.GetInt(S::MASTERVOLUME), 37);
    c.check(loaded);
  }

  // An empty line ends the reading: the lines above it count, the ones below are not read.
  std::string stopped = good;
  stopped.insert(stopped.find("\nMOTIONBLUR:") + 1, "\n");
  EXPECT_EQ(ConfigFileProblem(stopped), "");
  Settings cut = FromText(stopped);
  EXPECT_EQ(cut.GetInt(S::FULLSCREEN), 0);
  EXPECT_EQ(cut.GetInt(S::MOTIONBLUR), defaults.GetInt(S::MOTIONBLUR));
}

// Files as the line rules read them, whoever wrote them: every line reading takes is applied and nothing is set
// aside, whatever follows the lines (a crash's NUL bytes, a DOS end-of-file byte) or whatever bytes they hold.
TEST_F(SettingsFileTest, EveryLineTheRulesReadIsAppliedAndNothingSetAside) {
  Settings player(hardware, folderText, folderText);
  player.SetInt(S::SHOWFPS, 1);
  player.SetInt(S::MASTERVOLUME, 37);
  player.SetString(StringSettingId::MP3FOLDER, "/m/Rock");
  player.SetFirstRun(false);
  const std::string good = player.ConfigText();
  std::string crlf;
  for (char c : good) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const std::string tooLong(kMaxConfigLineBytes + 1, 'x');
  std::mt19937 random(7);
  std::string noise(size_t{2} << 20, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  // The lines run past the first pieces of the file read.
  std::string spread = good;
  spread.insert(spread.find('\n') + 1, "#" + std::string(size_t{200} << 10, 'x') + "\n");
  const struct {
    const char* what;
    std::string text;
    int showFps, masterVolume;
    std::string folder;
    bool firstRun;
    std::string said;  // on stderr
  } cases[] = {
      {"CRLF lines", crlf, 1, 37, "/m/Rock", false, ""},
      {"a NUL tail", good + std::string(64, '\0'), 1, 37, "/m/Rock", false, ""},
      {"2 MiB of NUL bytes after the lines", good + std::string(size_t{2} << 20, '\0'), 1, 37, "/m/Rock", false, ""},
      {"2 MiB of random bytes after the lines", good + noise, 1, 37, "/m/Rock", false, ""},
      {"a long comment among the lines, then NUL bytes", spread + std::string(size_t{2} << 20, '\0'), 1, 37, "/m/Rock",
       false, ""},
      {"a 0x1A byte without line end", good + "\x1a", 1, 37, "/m/Rock", false, ""},
      {"binary bytes after the lines", good + "\x89\x01\x1b\x7f\xff\n\x02", 1, 37, "/m/Rock", false, ""},
      {"form feeds in comments", "# by hand\f\n" + WithValue(good, "SHOWFPS", "1 #\f"), 1, 37, "/m/Rock", false, ""},
      {"a NUL inside a value", WithValue(good, "MP3FOLDER", std::string("/m/Ro\0ck", 8)), 1, 37, "/m/Ro", false, ""},
      {"older escapes", WithValue(good, "MP3FOLDER", "/m/Rock%2CPop%3A%25%23%0A%41"), 1, 37,
       "/m/Rock%2CPop%3A%25%23%0A%41", false, ""},
      {"a comma in a folder", WithValue(good, "MP3FOLDER", "D:\\x,y"), 1, 37, "D:\\x:y", false, ""},
      {"a last line without line end", good.substr(0, good.size() - 1), 1, 37, "/m/Rock", true, ""},
      {"an empty third line", "SHOWFPS:1\nMASTERVOLUME:37\n\n" + good, 1, 37, "", true, ""},
      {"a folder too long to take", WithValue(good, "MP3FOLDER", tooLong), 1, 37, "", false,
       folderText + "config.dat: MP3FOLDER is longer than " + std::to_string(kMaxConfigLineBytes) +
           " characters; it is not taken\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(folder / "config.dat.bad");
    WriteText(folder / "config.dat", c.text);
    Settings loaded(hardware, folderText, folderText);
    ::testing::internal::CaptureStderr();
    loaded.LoadConfig("no_such_config.dat");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.said);
    EXPECT_EQ(loaded.GetInt(S::SHOWFPS), c.showFps);
    EXPECT_EQ(loaded.GetInt(S::MASTERVOLUME), c.masterVolume);
    EXPECT_EQ(loaded.GetString(StringSettingId::MP3FOLDER), c.folder);
    EXPECT_EQ(loaded.IsFirstRun(), c.firstRun);
    EXPECT_EQ(loaded.DamagedConfigMessage(), "");
    EXPECT_FALSE(loaded.IsAutoConfigurePending());
    EXPECT_FALSE(fs::exists(folder / "config.dat.bad"));
    // A save writes the settings held, without the tail, and the next start reads them back.
    ASSERT_TRUE(loaded.SaveConfig());
    Settings next(hardware, folderText, folderText);
    next.LoadConfig("no_such_config.dat");
    EXPECT_EQ(next.ConfigText(), loaded.ConfigText());
  }
}

// Only a save holding a value its line cannot carry escapes its values, and says so in a line of its own that
// reading needs wherever it stands among the lines read; an ordinary save holds every value as it stands.
TEST_F(SettingsFileTest, OnlyASaveWithValuesThatNeedEscapesIsMarkedAndEscaped) {
  Settings player(hardware, folderText, folderText);
  player.SetString(StringSettingId::MP3FOLDER, "/music/100%/");
  const std::string plain = player.ConfigText();
  EXPECT_NE(plain.find("\nMP3FOLDER:/music/100%/\n"), std::string::npos);
  EXPECT_EQ(plain.find("ESCAPEDSTRINGS"), std::string::npos);
  EXPECT_EQ(FromText(plain).GetString(StringSettingId::MP3FOLDER), "/music/100%/");

  player.SetString(StringSettingId::VEHICLE, "Rock,Pop");
  const std::string marked = player.ConfigText();
  ASSERT_NE(marked.find("\nESCAPEDSTRINGS:1\nGAMENAME:"), std::string::npos) << "before the string lines";
  EXPECT_NE(marked.find("\nMP3FOLDER:/music/100%25/\n"), std::string::npos);
  EXPECT_NE(marked.find("\nVEHICLE:Rock%2CPop\n"), std::string::npos);
  std::string markLast = marked;
  markLast.erase(markLast.find("ESCAPEDSTRINGS:1\n"), 17);
  markLast.insert(markLast.find("FIRSTRUN:"), "ESCAPEDSTRINGS:1\n");
  for (const std::string& text : {marked, markLast}) {
    const Settings loaded = FromText(text);
    EXPECT_EQ(loaded.GetString(StringSettingId::MP3FOLDER), "/music/100%/");
    EXPECT_EQ(loaded.GetString(StringSettingId::VEHICLE), "Rock,Pop");
  }
  // A mark after the line where reading stops is not read.
  const std::string unread = "VEHICLE:Rock%2CPop\n\nESCAPEDSTRINGS:1\n";
  EXPECT_EQ(FromText(unread).GetString(StringSettingId::VEHICLE), "Rock%2CPop");
}

}  // namespace
}  // namespace app
