// The player's music folder found from the desktop's user-dirs file, and documents opened without waiting.
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/desktop.h"
#include "platform/scoped_env.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

TEST(DesktopFolders, TheMusicFolderComesFromTheUserDirsFileElseHome) {
  const fs::path root = fs::temp_directory_path() / ("corsaire_user_dirs_" + std::to_string(getpid()));
  fs::remove_all(root);
  struct Case {
    const char* what;
    const char* configHome;  // relative to root; null leaves XDG_CONFIG_HOME unset
    const char* userDirs;    // written to <config>/user-dirs.dirs; null writes no file
    bool homeExists;
    std::string expected;  // relative to the home folder, or "/" alone
  };
  const Case cases[] = {
      {"music folder named", "config", "XDG_MUSIC_DIR=\"$HOME/Tunes\"\n", true, "Tunes/"},
      {"in the home's .config", nullptr, "XDG_MUSIC_DIR=\"$HOME/Tunes\"\n", true, "Tunes/"},
      {"music folder missing", "config", "XDG_MUSIC_DIR=\"$HOME/Gone\"\n", true, ""},
      {"no music entry", "config", "XDG_DESKTOP_DIR=\"$HOME/Tunes\"\n", true, ""},
      {"no file", "config", nullptr, true, ""},
      {"no home either", "config", nullptr, false, "/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(root);
    const fs::path home = root / "home";
    if (c.homeExists) fs::create_directories(home / "Tunes");
    const fs::path config = c.configHome != nullptr ? root / c.configHome : home / ".config";
    if (c.userDirs != nullptr) {
      fs::create_directories(config);
      std::ofstream(config / "user-dirs.dirs") << c.userDirs;
    }
    ScopedEnv homeEnv("HOME", home.c_str());
    ScopedEnv configEnv("XDG_CONFIG_HOME", c.configHome != nullptr ? config.c_str() : nullptr);
    const std::string expected = c.expected == "/" ? "/" : home.string() + "/" + c.expected;
    EXPECT_EQ(UserMusicFolder(), expected);
  }
  {
    // A relative config setting is not a folder the desktop would use: the home's .config decides.
    fs::remove_all(root);
    const fs::path home = root / "home";
    fs::create_directories(home / "Songs");
    fs::create_directories(home / ".config");
    std::ofstream(home / ".config" / "user-dirs.dirs") << "XDG_MUSIC_DIR=\"$HOME/Songs\"\n";
    ScopedEnv homeEnv("HOME", home.c_str());
    ScopedEnv configEnv("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(UserMusicFolder(), home.string() + "/Songs/");
  }
  fs::remove_all(root);
}

TEST(SystemLauncher, OpenStartsAProgramWithoutWaitingAndRefusesNothingToOpen) {
  ProcessLauncher& launcher = SystemLauncher();
  EXPECT_TRUE(launcher.Open("true", {}));
  EXPECT_FALSE(launcher.Open("", {}));
}

}  // namespace
}  // namespace platform
