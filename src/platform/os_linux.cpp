// Linux operating-system services: executable folder, single-instance lock, monotonic clock, program launching,
// processor and memory facts.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/os.h"

extern char** environ;

namespace platform {
namespace {

constexpr int64_t kNanosecondsPerSecond = 1000000000;
constexpr const char* kDocumentOpener = "xdg-open";

class FileInstanceLock final : public InstanceLock {
 public:
  explicit FileInstanceLock(std::string path) : path_(std::move(path)) {}
  ~FileInstanceLock() override { Release(); }

  bool TryAcquire() override {
    if (fd_ >= 0) return true;
    // Close-on-exec: a program the game launches must not keep the lock alive after the game has ended.
    const int fd = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
      std::fprintf(stderr, "instance lock: cannot open %s: %s\n", path_.c_str(), std::strerror(errno));
      return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      close(fd);
      return false;
    }
    fd_ = fd;
    return true;
  }

  void Release() override {
    if (fd_ < 0) return;
    flock(fd_, LOCK_UN);
    close(fd_);
    fd_ = -1;
  }

 private:
  std::string path_;
  int fd_ = -1;
};

class MonotonicClock final : public Clock {
 public:
  int64_t Ticks() const override {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * kNanosecondsPerSecond + now.tv_nsec;
  }
  int64_t TicksPerSecond() const override { return kNanosecondsPerSecond; }
};

// Children started without waiting; reaped as soon as they end, so none stays a zombie. The exit statuses of
// the last ones reaped are kept for whoever asks how they went.
constexpr size_t kKeptOutcomes = 32;
std::mutex childrenMutex;
std::vector<pid_t> runningChildren;
std::vector<std::pair<pid_t, int>> endedChildren;

void ReapFinishedChildrenLocked() {
  std::erase_if(runningChildren, [](pid_t child) {
    int status = 0;
    const pid_t result = waitpid(child, &status, WNOHANG);
    if (result == child) {
      endedChildren.emplace_back(child, status);
      if (endedChildren.size() > kKeptOutcomes) endedChildren.erase(endedChildren.begin());
    }
    return result == child || (result < 0 && errno == ECHILD);
  });
}

void ReapFinishedChildren() {
  std::lock_guard<std::mutex> lock(childrenMutex);
  ReapFinishedChildrenLocked();
}

void ReapFinishedChildrenAtExit() { ReapFinishedChildren(); }

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// A bare name runs when a folder of PATH holds an executable of that name.
bool IsProgramOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::string folders = path;
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = end > start ? folders.substr(start, end - start) : ".";
    if (IsExecutableFile(folder + "/" + name)) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

int64_t SpawnProgram(const std::string& program, const std::vector<std::string>& arguments, int outputFile) {
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 2);
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (outputFile >= 0) posix_spawn_file_actions_adddup2(&actions, outputFile, STDOUT_FILENO);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGCHLD}) sigaddset(&defaults, signal);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  pid_t child = 0;
  const int error = posix_spawnp(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    std::fprintf(stderr, "launch: cannot start %s: %s\n", program.c_str(), std::strerror(error));
    return 0;
  }
  return child;
}

namespace {

int ReadIntegerFile(const char* path) {
  std::ifstream file(path);
  long long value = 0;
  if (!(file >> value) || value <= 0) return 0;
  return static_cast<int>(value > 0x7fffffff ? 0x7fffffff : value);
}

}  // namespace

std::string ExecutableFolder() {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return {};
    if (static_cast<size_t>(length) < buffer.size()) {
      const std::string path(buffer.data(), static_cast<size_t>(length));
      const size_t slash = path.rfind('/');
      return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool SetCurrentFolder(const std::string& folder) { return !folder.empty() && chdir(folder.c_str()) == 0; }

std::unique_ptr<InstanceLock> CreateInstanceLock(const std::string& name) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string folder = runtime != nullptr && runtime[0] != '\0' && IsDirectory(runtime) ? runtime : "/tmp";
  // The name becomes one file name: separators would point somewhere else.
  std::string fileName = name.empty() ? std::string("instance") : name;
  for (char& c : fileName) {
    if (c == '/' || c == '\\') c = '_';
  }
  return std::make_unique<FileInstanceLock>(folder + "/" + fileName + ".lock");
}

Clock& SystemClock() {
  static MonotonicClock clock;
  return clock;
}

std::FILE* DivertStandardOutput() {
  std::fflush(stdout);
  const int original = dup(STDOUT_FILENO);
  if (original < 0) return nullptr;
  std::FILE* result = fdopen(original, "w");
  if (result == nullptr) {
    close(original);
    return nullptr;
  }
  if (dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
    std::fclose(result);
    return nullptr;
  }
  return result;
}

void SleepMilliseconds(int milliseconds) {
  if (milliseconds <= 0) return;
  timespec remaining{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

int64_t LaunchProgram(const std::string& programOrDocument, const std::vector<std::string>& arguments, bool wait) {
  static const bool reapAtExit = std::atexit(ReapFinishedChildrenAtExit) == 0;
  (void)reapAtExit;
  ReapFinishedChildren();
  if (programOrDocument.empty()) return 0;

  pid_t child = 0;
  const bool isAddress = programOrDocument.find("://") != std::string::npos;
  const bool hasFolder = programOrDocument.find('/') != std::string::npos;
  if (!isAddress && ((hasFolder && IsExecutableFile(programOrDocument)) ||
                     (!hasFolder && IsProgramOnPath(programOrDocument)))) {
    child = static_cast<pid_t>(SpawnProgram(programOrDocument, arguments));
  } else {
    // Documents and addresses go to the desktop's handler; a document name is found as data files are.
    const std::string target = isAddress ? programOrDocument : ResolveDataPath(programOrDocument);
    child = static_cast<pid_t>(SpawnProgram(kDocumentOpener, {target}));
  }
  if (child <= 0) return 0;

  if (wait) {
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
  } else {
    std::lock_guard<std::mutex> lock(childrenMutex);
    runningChildren.push_back(child);
  }
  return child;
}

ProgramOutcome LaunchedProgramOutcome(int64_t process) {
  std::lock_guard<std::mutex> lock(childrenMutex);
  ReapFinishedChildrenLocked();
  const auto child = static_cast<pid_t>(process);
  if (std::find(runningChildren.begin(), runningChildren.end(), child) != runningChildren.end()) {
    return ProgramOutcome::kRunning;
  }
  const auto ended = std::find_if(endedChildren.begin(), endedChildren.end(),
                                  [child](const std::pair<pid_t, int>& entry) { return entry.first == child; });
  if (ended == endedChildren.end()) return ProgramOutcome::kFailed;
  const int status = ended->second;
  endedChildren.erase(ended);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ProgramOutcome::kSucceeded : ProgramOutcome::kFailed;
}

void ReapFinishedPrograms() { ReapFinishedChildren(); }

int ProcessorMegahertz() {
  const int kilohertz = ReadIntegerFile("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq");
  if (kilohertz > 0) return kilohertz / 1000;
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  while (std::getline(cpuinfo, line)) {
    if (line.rfind("cpu MHz", 0) != 0) continue;
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const double megahertz = std::strtod(line.c_str() + colon + 1, nullptr);
    if (std::isfinite(megahertz) && megahertz > 0 && megahertz < 1e6) return static_cast<int>(std::lround(megahertz));
  }
  return 0;
}

uint64_t InstalledMemoryBytes() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || pageSize <= 0) return 0;
  return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
}

void ReturnFreedMemory() {
#ifdef __GLIBC__
  malloc_trim(0);
#endif
}

}  // namespace platform
