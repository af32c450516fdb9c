// Desktop services: programs run and their output kept, the folder dialogs tried in turn, the music folder found
// from the user-dirs file, and folder addresses turned into paths.
#include "platform/desktop.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <string>
#include <vector>

#include "platform/null_desktop.h"

namespace platform {
namespace {

TEST(SystemLauncher, RunKeepsTheOutputAndTheExitStatusAndCapsWhatItKeeps) {
  ProcessLauncher& launcher = SystemLauncher();
  std::string output = "stale";
  EXPECT_EQ(launcher.Run("sh", {"-c", "printf 'one\\ntwo'; exit 3"}, output), 3);
  EXPECT_EQ(output, "one\ntwo");
  EXPECT_EQ(launcher.Run("sh", {"-c", "head -c 200000 /dev/zero"}, output), 0);
  EXPECT_EQ(output.size(), kMaxProgramOutput) << "the rest is read and dropped, so the program still ends";
  EXPECT_EQ(launcher.Run("sh", {"-c", "kill -9 $$"}, output), -1);
  EXPECT_EQ(launcher.Run("corsaire-no-such-program", {}, output), -1);
  EXPECT_EQ(output, "");
}

TEST(DesktopFolderChooser, TriesZenityThenKdialogAndReadsTheirAnswers) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, RecordingLauncher::Answer>> answers;
    FolderChoice expected;
    std::string folder;
    size_t programsRun;
  };
  const Case cases[] = {
      {"zenity chosen", {{"zenity", {0, "/home/ana/Music/Rock Band/\n"}}}, FolderChoice::kChosen,
       "/home/ana/Music/Rock Band", 1},
      {"zenity cancelled", {{"zenity", {1, ""}}, {"kdialog", {0, "/x\n"}}}, FolderChoice::kCancelled, "", 1},
      {"zenity broken, kdialog chosen", {{"zenity", {255, ""}}, {"kdialog", {0, "/srv/music\n"}}},
       FolderChoice::kChosen, "/srv/music", 2},
      {"only kdialog, cancelled", {{"kdialog", {1, ""}}}, FolderChoice::kCancelled, "", 2},
      {"zenity answers nothing", {{"zenity", {0, "\n"}}}, FolderChoice::kUnavailable, "", 2},
      {"neither installed", {}, FolderChoice::kUnavailable, "", 2},
  };
  for (const Case& c : cases) {
    RecordingLauncher launcher;
    for (const auto& [program, answer] : c.answers) launcher.answers[program] = answer;
    std::unique_ptr<FolderChooser> chooser = CreateDesktopFolderChooser(launcher, false);
    std::string chosen;
    EXPECT_EQ(chooser->Choose("Select MP3 Folder", "/home/ana/Music", chosen), c.expected) << c.what;
    EXPECT_EQ(chosen, c.folder) << c.what;
    ASSERT_EQ(launcher.calls.size(), c.programsRun) << c.what;
    EXPECT_TRUE(launcher.calls[0].waited);
    EXPECT_EQ(launcher.calls[0].program, "zenity");
    EXPECT_EQ(launcher.calls[0].arguments, (std::vector<std::string>{"--file-selection", "--directory",
                                                                     "--title=Select MP3 Folder",
                                                                     "--filename=/home/ana/Music/"}));
    if (c.programsRun == 2) {
      EXPECT_EQ(launcher.calls[1].arguments, (std::vector<std::string>{"--getexistingdirectory", "/home/ana/Music",
                                                                       "--title", "Select MP3 Folder"}));
    }
  }
}

TEST(DesktopFolders, MusicFolderFromTheUserDirsFile) {
  const std::pair<const char*, const char*> cases[] = {
      {"XDG_MUSIC_DIR=\"$HOME/Music\"\n", "/home/ana/Music"},
      {"# XDG_MUSIC_DIR=\"$HOME/Old\"\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n  XDG_MUSIC_DIR=\"/srv/Musik\"  \r\n",
       "/srv/Musik"},
      {"XDG_MUSIC_DIR=\"$HOME/A\"\nXDG_MUSIC_DIR=\"$HOME/B\"\n", "/home/ana/B"},
      {"XDG_MUSIC_DIR=\"relative/Music\"\n", ""},
      {"XDG_MUSIC_DIR_X=\"/x\"\nMUSIC=\"/y\"\n", ""},
      {"", ""},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(MusicFolderFromUserDirs(text, "/home/ana"), expected) << text;
  EXPECT_EQ(MusicFolderFromUserDirs("XDG_MUSIC_DIR=\"$HOME/Music\"\n", ""), "") << "no home to expand";
  const std::string music = UserMusicFolder();
  EXPECT_EQ(music.back(), '/');
  EXPECT_TRUE(IsFolder(music)) << music;
}

TEST(DesktopFolders, AddressesAndParents) {
  const std::pair<const char*, const char*> uris[] = {
      {"file:///home/ana/My%20Music/", "/home/ana/My Music"},
      {"file://localhost/srv/m%c3%basica", "/srv/m\xc3\xbasica"},
      {"file:///", "/"},
      {"file:///a%00b", ""},
      {"file://otherhost/srv", ""},
      {"https://example.com/x", ""},
      {"file:///bad%zzescape", "/bad%zzescape"},
      {"file:///trailing%2", "/trailing%2"},
  };
  for (const auto& [uri, path] : uris) EXPECT_EQ(FolderFromFileUri(uri), path) << uri;
  const std::pair<const char*, const char*> parents[] = {
      {"/a/b/", "/a/"}, {"/a/b", "/a/"}, {"/a", "/"}, {"/", "/"}, {"", "/"}};
  for (const auto& [folder, parent] : parents) EXPECT_EQ(ParentFolder(folder), parent) << folder;
}

TEST(DesktopFolders, ThePortalIsUnavailableWithoutASessionBus) {
  // No bus address and no runtime folder: nothing is started to find one.
  const char* busAddress = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string savedBus = busAddress != nullptr ? busAddress : "";
  const std::string savedRuntime = runtime != nullptr ? runtime : "";
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  setenv("XDG_RUNTIME_DIR", "/nonexistent-corsaire-runtime", 1);
  std::string chosen;
  EXPECT_EQ(ChooseFolderThroughPortal("Select MP3 Folder", "/", chosen), FolderChoice::kUnavailable);
  EXPECT_EQ(chosen, "");
  if (busAddress != nullptr) setenv("DBUS_SESSION_BUS_ADDRESS", savedBus.c_str(), 1);
  if (runtime != nullptr) {
    setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
  } else {
    unsetenv("XDG_RUNTIME_DIR");
  }
}

}  // namespace
}  // namespace platform
