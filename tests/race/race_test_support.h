// Shared helpers of the race-data tests: a scratch folder per test, a clock set by hand and settings.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "app/hardware_info.h"
#include "app/settings.h"
#include "platform/os.h"

namespace race_test {

// A folder of its own for each test, removed afterwards. Path() ends with '/'.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& prefix) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() /
              (prefix + "_" + info->test_suite_name() + "_" + info->name() + "_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder_);
  }
  ~ScratchFolder() {
    std::error_code error;
    std::filesystem::remove_all(folder_, error);
  }
  std::string Path() const { return folder_.string() + "/"; }
  std::string File(const std::string& name) const { return Path() + name; }

  void Write(const std::string& name, const std::string& text) const {
    std::filesystem::create_directories(std::filesystem::path(File(name)).parent_path());
    std::ofstream(File(name), std::ios::binary) << text;
  }
  std::vector<unsigned char> Read(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // Names of the entries of the folder (or a subfolder), sorted.
  std::vector<std::string> Entries(const std::string& sub = "") const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_ / sub)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path folder_;
};

// A clock that reads what the test sets, in microseconds.
class ManualClock : public platform::Clock {
 public:
  int64_t Ticks() const override { return ticks; }
  int64_t TicksPerSecond() const override { return 1000000; }
  int64_t ticks = 0;
};

// Settings over a default machine, as the game builds them before reading config.dat.
struct SettingsHolder {
  app::HardwareInfo hardware;
  app::Settings settings{hardware, "", ""};
};

}  // namespace race_test
