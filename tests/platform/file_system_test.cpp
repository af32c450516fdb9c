// Data-path resolution, whole-file reads, crash-safe saves and folder listing in a scratch folder.
#include "platform/file_system.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/os.h"

namespace platform {
namespace {

class FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/corsaire-fs-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    std::filesystem::create_directories(root_ + "/Sounds/Engine");
    std::filesystem::create_directories(root_ + "/FONT");
    Write("Sounds/Tally.WAV", "tally");
    Write("Sounds/Engine/idle.ogg", "idle");
    Write("FONT/noire.png", "noire");
  }

  void TearDown() override { std::filesystem::remove_all(root_); }

  void Write(const std::string& relative, const std::string& content) {
    std::ofstream(root_ + "/" + relative, std::ios::binary) << content;
  }

  std::string Read(const std::string& relative) {
    std::ifstream file(root_ + "/" + relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
  }

  std::string root_;
};

TEST_F(FileSystemTest, ResolvesMixedCaseBackslashesAndDoubledSlashes) {
  Write("Sounds/crash.wav", "lower");
  Write("Sounds/CRASH.wav", "upper");
  const std::pair<std::string, std::string> cases[] = {
      {"/SOUNDS//tally.wav", "/Sounds/Tally.WAV"},
      {"\\\\sounds\\/engine///IDLE.OGG", "/Sounds/Engine/idle.ogg"},
      {"/sounds/", "/Sounds/"},
      // An exact spelling wins; neither matching exactly, the first in byte order.
      {"/sounds/crash.wav", "/Sounds/crash.wav"},
      {"/sounds/Crash.wav", "/Sounds/CRASH.wav"},
      // Unknown components are kept, so new files can be named.
      {"/Saves\\Slot1/Profile.DAT", "/Saves/Slot1/Profile.DAT"},
  };
  for (const auto& [asked, found] : cases) EXPECT_EQ(ResolveDataPath(root_ + asked), root_ + found) << asked;
  EXPECT_EQ(ResolveDataPath(""), "");
  const std::string previous = std::filesystem::current_path().string();
  ASSERT_TRUE(SetCurrentFolder(root_));
  const std::string relative = ResolveDataPath("./font/Noire.png");
  ASSERT_TRUE(SetCurrentFolder(previous));
  EXPECT_EQ(relative, "./FONT/noire.png");
}

TEST_F(FileSystemTest, AnswersFollowChangesToAFolderSeenBefore) {
  // A folder last changed long ago, whose listing is worth keeping between lookups.
  const std::string sounds = root_ + "/Sounds";
  const timespec longAgo[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, sounds.c_str(), longAgo, 0), 0);
  EXPECT_EQ(ResolveDataPath(root_ + "/sounds/tally.wav"), root_ + "/Sounds/Tally.WAV");
  EXPECT_EQ(ResolveDataPath(root_ + "/sounds/HORN.wav"), root_ + "/Sounds/HORN.wav");

  Write("Sounds/Horn.Wav", "horn");
  EXPECT_EQ(ResolveDataPath(root_ + "/sounds/HORN.wav"), root_ + "/Sounds/Horn.Wav");
  std::filesystem::rename(sounds + "/Tally.WAV", sounds + "/tally2.wav");
  EXPECT_EQ(ResolveDataPath(root_ + "/sounds/TALLY.WAV"), root_ + "/Sounds/TALLY.WAV");
  EXPECT_EQ(ResolveDataPath(root_ + "/sounds/TALLY2.WAV"), root_ + "/Sounds/tally2.wav");

  // The same path naming a new folder.
  std::filesystem::remove_all(sounds);
  std::filesystem::create_directories(sounds);
  ASSERT_EQ(utimensat(AT_FDCWD, sounds.c_str(), longAgo, 0), 0);
  EXPECT_EQ(ResolveDataPath(root_ + "/sounds/horn.wav"), root_ + "/Sounds/horn.wav");
}

TEST_F(FileSystemTest, ReadWholeFileHoldsToItsLimitAndFailsCleanlyOnWhatIsNotAFile) {
  const size_t limit = 200 * 1024;  // over three read chunks
  Write("exact.bin", std::string(limit, 'x'));
  Write("over.bin", std::string(limit + 1, 'x'));
  std::vector<unsigned char> bytes;
  std::string problem;
  EXPECT_TRUE(ReadWholeFile(root_ + "/EXACT.bin", bytes, limit, &problem)) << problem;
  EXPECT_EQ(bytes.size(), limit);
  EXPECT_FALSE(ReadWholeFile(root_ + "/over.bin", bytes, limit, &problem));
  EXPECT_TRUE(bytes.empty());
  EXPECT_NE(problem.find("larger than 204800 bytes"), std::string::npos) << problem;
  // The start of a file holds at most the limit and tells whether it is all; enough ends the read after a piece.
  bool whole = true;
  EXPECT_TRUE(ReadFileStart(root_ + "/over.bin", bytes, limit, nullptr, whole, problem));
  EXPECT_EQ(bytes.size(), limit);
  EXPECT_FALSE(whole);
  EXPECT_TRUE(ReadFileStart(root_ + "/exact.bin", bytes, limit, nullptr, whole, problem));
  EXPECT_TRUE(whole);
  EXPECT_TRUE(ReadFileStart(root_ + "/over.bin", bytes, limit, [](const auto&) { return true; }, whole, problem));
  EXPECT_LT(bytes.size(), limit);
  EXPECT_FALSE(whole);
  // Files whose size the file system does not know are read to their end, and held to the limit all the same.
  EXPECT_TRUE(ReadWholeFile("/proc/self/stat", bytes, kMaxTextFileBytes));
  EXPECT_FALSE(ReadWholeFile("/proc/self/stat", bytes, 8));
  // A pipe with no writer would block the read forever; a device never ends.
  ASSERT_EQ(mkfifo((root_ + "/pipe").c_str(), 0600), 0);
  for (const std::string& path : {root_ + "/missing.bin", root_ + "/Sounds", root_ + "/pipe", std::string("/dev/zero")}) {
    bytes = {1};
    EXPECT_FALSE(ReadWholeFile(path, bytes, kMaxTextFileBytes)) << path;
    EXPECT_TRUE(bytes.empty()) << path;
    EXPECT_FALSE(ReadFileStart(path, bytes, kMaxTextFileBytes, nullptr, whole, problem)) << path;
  }
}

TEST_F(FileSystemTest, FailedWritesKeepTheOldFileAndRemoveTheTemporary) {
  const std::string old = "old settings";
  ASSERT_TRUE(WriteFileAtomically(root_ + "/config.dat", old.data(), old.size()));

  // The file system refuses the bytes part-way (a file-size limit stands in for a full disk).
  const std::string longer(4096, 'x');
  rlimit previousLimit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previousLimit), 0);
  const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = previousLimit;
  small.rlim_cur = 16;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = WriteFileAtomically(root_ + "/config.dat", longer.data(), longer.size());
  setrlimit(RLIMIT_FSIZE, &previousLimit);
  signal(SIGXFSZ, previousHandler);
  EXPECT_FALSE(written);
  EXPECT_EQ(Read("config.dat"), old);

  // A folder in the way, and a folder that does not exist.
  EXPECT_FALSE(WriteFileAtomically(root_ + "/sounds", old.data(), old.size()));
  EXPECT_TRUE(std::filesystem::is_directory(root_ + "/Sounds"));
  EXPECT_FALSE(WriteFileAtomically(root_ + "/nowhere/config.dat", old.data(), old.size()));

  EXPECT_EQ(ListFolder(root_).size(), 3u) << "no temporary left";
}

}  // namespace
}  // namespace platform
