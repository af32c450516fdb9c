// Operating-system services: single-instance lock, launching programs, the runtime random sequence.
#include "platform/os.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

namespace platform {
namespace {

class ScratchFolder {
 public:
  ScratchFolder() {
    char pattern[] = "/tmp/corsaire-os-XXXXXX";
    if (mkdtemp(pattern) != nullptr) path_ = pattern;
  }
  ~ScratchFolder() {
    if (!path_.empty()) std::filesystem::remove_all(path_);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// True once the process is gone entirely: ended and reaped, not a zombie. Looks without reaping it.
bool Reaped(int64_t pid) {
  siginfo_t info{};
  return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) < 0 && errno == ECHILD &&
         !std::filesystem::exists("/proc/" + std::to_string(pid));
}

TEST(InstanceLock, SecondHolderIsRefusedUntilTheFirstReleasesAndLaunchedProgramsNeverHoldIt) {
  ScratchFolder runtime;
  ASSERT_FALSE(runtime.Path().empty());
  setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);  // the test runner gives each run a folder of its own
  auto first = CreateInstanceLock("Corsaire");
  auto second = CreateInstanceLock("Corsaire");
  auto other = CreateInstanceLock("Other/Game");
  unsetenv("XDG_RUNTIME_DIR");
  ASSERT_TRUE(first->TryAcquire());
  EXPECT_TRUE(first->TryAcquire()) << "taking a lock already held is no failure";
  EXPECT_FALSE(second->TryAcquire());
  EXPECT_TRUE(other->TryAcquire()) << "another name is another lock";
  EXPECT_TRUE(std::filesystem::exists(runtime.Path() + "/Other_Game.lock"));

  // A child that outlives us must not hold our lock: list the descriptors it was started with.
  const std::string listing = runtime.Path() + "/fds";
  ASSERT_GT(LaunchProgram("/usr/bin/find", {"/proc/self/fd/", "-lname", "*Corsaire.lock", "-fprint", listing}, true), 0);
  EXPECT_EQ(std::filesystem::file_size(listing), 0u);

  first->Release();
  first->Release();
  EXPECT_TRUE(second->TryAcquire());
  EXPECT_FALSE(first->TryAcquire());
  second.reset();
  EXPECT_TRUE(first->TryAcquire()) << "destroying the holder releases the lock";
}

TEST(InstanceLock, ALockFileThatCannotBeMadeRefusesTheLock) {
  ScratchFolder runtime;
  ASSERT_FALSE(runtime.Path().empty());
  setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
  auto tooLong = CreateInstanceLock(std::string(300, 'c'));  // longer than a file name may be
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_FALSE(tooLong->TryAcquire());
  tooLong->Release();
}

TEST(LaunchProgram, PassesArgumentsUninterpreted) {
  ScratchFolder scratch;
  ASSERT_FALSE(scratch.Path().empty());
  const std::string odd = scratch.Path() + "/a b;c$(x)`y` *";
  ASSERT_GT(LaunchProgram("/usr/bin/touch", {odd}, true), 0);
  EXPECT_TRUE(std::filesystem::exists(odd));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.Path()), {}), 1);
}

// Puts a stand-in for the desktop's document opener first on the search path: `touch`, so the name it was given
// shows up as a file.
class StandInOpener {
 public:
  explicit StandInOpener(const std::string& folder) {
    const char* path = getenv("PATH");
    savedPath_ = path != nullptr ? path : "";
    std::filesystem::create_directories(folder + "/bin");
    std::filesystem::create_symlink("/usr/bin/touch", folder + "/bin/xdg-open");
    setenv("PATH", (folder + "/bin:" + savedPath_).c_str(), 1);
  }
  ~StandInOpener() { setenv("PATH", savedPath_.c_str(), 1); }

 private:
  std::string savedPath_;
};

TEST(LaunchProgram, DocumentsAndAddressesGoToTheDesktopOpener) {
  ScratchFolder scratch;
  ASSERT_FALSE(scratch.Path().empty());
  StandInOpener opener(scratch.Path());
  std::filesystem::create_directories(scratch.Path() + "/Help");
  const std::string page = scratch.Path() + "/Help/Index.htm";
  { std::ofstream(page) << "<html></html>"; }
  const auto longAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 365);
  std::filesystem::last_write_time(page, longAgo);

  // A document is found as data files are, then handed over (here: touched).
  ASSERT_GT(LaunchProgram(scratch.Path() + "\\\\help\\INDEX.HTM", {"ignored"}, true), 0);
  EXPECT_GT(std::filesystem::last_write_time(page), longAgo);

  // An address goes over verbatim, query and all: made relative here so the stand-in can write it down.
  std::filesystem::create_directories(scratch.Path() + "/https:/example.com");
  const std::string previous = std::filesystem::current_path().string();
  ASSERT_TRUE(SetCurrentFolder(scratch.Path()));
  const int64_t opened = LaunchProgram("https://example.com/board?u=1&g=2 x", {}, true);
  ASSERT_TRUE(SetCurrentFolder(previous));
  ASSERT_GT(opened, 0);
  EXPECT_TRUE(std::filesystem::exists(scratch.Path() + "/https:/example.com/board?u=1&g=2 x"));
}

TEST(LaunchProgram, AWaitedChildIsReapedAtOnceAndOneStartedWithoutWaitingLater) {
  // A bare program name is looked up on the search path.
  for (const char* program : {"/bin/true", "/bin/false", "true"}) {
    const int64_t pid = LaunchProgram(program, {}, true);
    ASSERT_GT(pid, 0) << program;
    EXPECT_TRUE(Reaped(pid)) << program;
  }
  EXPECT_EQ(LaunchProgram("", {}, true), 0);
  const int64_t child = LaunchProgram("/bin/true", {}, false);
  ASSERT_GT(child, 0);
  // Wait until it has ended without reaping it ourselves: it is now a zombie only the launcher may collect.
  siginfo_t info{};
  ASSERT_EQ(waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT), 0);
  EXPECT_FALSE(Reaped(child));
  // The next launch collects every child that has ended.
  ASSERT_GT(LaunchProgram("/bin/true", {}, true), 0);
  EXPECT_TRUE(Reaped(child));
}

TEST(LaunchProgram, AProgramStartedWithoutWaitingTellsHowItEndedAndIsReapedWithoutAnotherLaunch) {
  const struct {
    const char* program;
    ProgramOutcome outcome;
  } cases[] = {{"/bin/true", ProgramOutcome::kSucceeded}, {"/bin/false", ProgramOutcome::kFailed}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program);
    const int64_t child = LaunchProgram(c.program, {}, false);
    ASSERT_GT(child, 0);
    siginfo_t info{};
    ASSERT_EQ(waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT), 0);
    EXPECT_FALSE(Reaped(child)) << "ended, not yet collected";
    // What the game does every frame: no zombie is left, and the outcome is kept for whoever asks.
    ReapFinishedPrograms();
    EXPECT_TRUE(Reaped(child));
    EXPECT_EQ(LaunchedProgramOutcome(child), c.outcome);
    EXPECT_EQ(LaunchedProgramOutcome(child), ProgramOutcome::kFailed) << "told once, then forgotten";
  }
  // Asked before anyone reaped it: the question reaps it.
  const int64_t child = LaunchProgram("/bin/true", {}, false);
  ASSERT_GT(child, 0);
  siginfo_t info{};
  ASSERT_EQ(waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT), 0);
  EXPECT_EQ(LaunchedProgramOutcome(child), ProgramOutcome::kSucceeded);
  EXPECT_TRUE(Reaped(child));
  EXPECT_EQ(LaunchedProgramOutcome(0), ProgramOutcome::kFailed) << "nothing was started";
}

// The leaderboard and the music playlist rely on the classic runtime's sequence for a given seed.
TEST(CrtRandom, SeedsGiveTheRuntimeSequence) {
  CrtSeed(1);
  for (int expected : {41, 18467, 6334, 26500, 19169}) EXPECT_EQ(CrtRand(), expected);
  CrtSeed(0);
  EXPECT_EQ(CrtRand(), 38);
}

}  // namespace
}  // namespace platform
