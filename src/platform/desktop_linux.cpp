// Desktop services on Linux: programs started without a shell, the XDG music folder, and folder dialogs from
// the desktop portal, zenity or kdialog.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/desktop.h"
#include "platform/os.h"


namespace platform {

namespace {

class PosixLauncher final : public ProcessLauncher {
 public:
  bool Open(const std::string& programOrDocument, const std::vector<std::string>& arguments) override {
    return LaunchProgram(programOrDocument, arguments, false) > 0;
  }
  int64_t Start(const std::string& programOrDocument, const std::vector<std::string>& arguments) override {
    return LaunchProgram(programOrDocument, arguments, false);
  }
  ProgramOutcome Outcome(int64_t id) override { return LaunchedProgramOutcome(id); }
  void ReapFinished() override { ReapFinishedPrograms(); }

  int Run(const std::string& program, const std::vector<std::string>& arguments, std::string& output) override {
    output.clear();
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return -1;
    const auto child = static_cast<pid_t>(SpawnProgram(program, arguments, pipeEnds[1]));
    close(pipeEnds[1]);
    if (child <= 0) {
      close(pipeEnds[0]);
      return -1;
    }
    char buffer[4096];
    for (;;) {
      const ssize_t count = read(pipeEnds[0], buffer, sizeof buffer);
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0) break;
      const size_t room = kMaxProgramOutput - output.size();
      output.append(buffer, std::min(room, static_cast<size_t>(count)));
    }
    close(pipeEnds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
      if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

// The folder a dialog printed: its first line, without the line end or a trailing separator.
std::string FirstLine(const std::string& output) {
  std::string line = output.substr(0, output.find('\n'));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  while (line.size() > 1 && line.back() == '/') line.pop_back();
  return line;
}

class DesktopFolderChooser final : public FolderChooser {
 public:
  DesktopFolderChooser(ProcessLauncher& launcher, bool usePortal) : launcher_(launcher), usePortal_(usePortal) {}

  FolderChoice Choose(const std::string& title, const std::string& startFolder, std::string& chosen) override {
    // The dialog usually opens on the click's press, before the game has read its release.
    ReleaseMouseCapture();
    if (usePortal_) {
      const FolderChoice answer = ChooseFolderThroughPortal(title, startFolder, chosen);
      if (answer != FolderChoice::kUnavailable) return answer;
    }
    std::string start = startFolder;
    if (!start.empty() && start.back() != '/') start += '/';
    // zenity opens inside a folder given with its trailing separator; kdialog takes the folder itself.
    const struct {
      const char* program;
      std::vector<std::string> arguments;
    } dialogs[] = {
        {"zenity", {"--file-selection", "--directory", "--title=" + title, "--filename=" + start}},
        {"kdialog", {"--getexistingdirectory", startFolder, "--title", title}},
    };
    for (const auto& dialog : dialogs) {
      std::string output;
      const int status = launcher_.Run(dialog.program, dialog.arguments, output);
      // Both answer 0 with the folder, 1 when the player cancels; anything else means the dialog could not run.
      if (status == 0 && !FirstLine(output).empty()) {
        chosen = FirstLine(output);
        return FolderChoice::kChosen;
      }
      if (status == 1) return FolderChoice::kCancelled;
    }
    return FolderChoice::kUnavailable;
  }

 private:
  ProcessLauncher& launcher_;
  bool usePortal_;
};

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  return home != nullptr ? home : "";
}

std::string WithSeparator(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

ProcessLauncher& SystemLauncher() {
  static PosixLauncher launcher;
  return launcher;
}

std::unique_ptr<FolderChooser> CreateDesktopFolderChooser(ProcessLauncher& launcher, bool usePortal) {
  return std::make_unique<DesktopFolderChooser>(launcher, usePortal);
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ParentFolder(const std::string& folder) {
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "/";
  return path.substr(0, slash + 1);
}

std::string MusicFolderFromUserDirs(const std::string& text, const std::string& home) {
  std::istringstream lines(text);
  std::string line;
  std::string found;
  while (std::getline(lines, line)) {
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    static constexpr char kKey[] = "XDG_MUSIC_DIR=";
    if (line.compare(start, sizeof kKey - 1, kKey) != 0) continue;
    std::string value = line.substr(start + sizeof kKey - 1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r')) value.pop_back();
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0) {
      if (home.empty()) continue;
      value = home + value.substr(5);
    }
    // Only absolute paths and paths from the home folder are valid values.
    if (value.empty() || value.front() != '/') continue;
    found = value;
  }
  return found;
}

std::string UserMusicFolder() {
  const std::string home = HomeFolder();
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  const std::string config = configHome != nullptr && configHome[0] == '/' ? configHome : home + "/.config";
  std::ifstream file(config + "/user-dirs.dirs");
  if (file) {
    std::ostringstream text;
    text << file.rdbuf();
    const std::string music = MusicFolderFromUserDirs(text.str(), home);
    if (IsFolder(music)) return WithSeparator(music);
  }
  if (IsFolder(home)) return WithSeparator(home);
  return "/";
}

}  // namespace platform
