// Shared helpers of the race tests: a scratch folder per test, a clock set by hand, settings, a race over the
// sample game folder and a HUD with its sample pictures, both on a null device.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "../vehicle/null_device_fixture.h"
#include "app/data_file.h"
#include "app/hardware_info.h"
#include "app/settings.h"
#include "contentgen/content.h"
#include "contentgen/hud_content.h"
#include "contentgen/images.h"
#include "contentgen/race_content.h"
#include "contentgen/sounds.h"
#include "platform/audio/mixer.h"
#include "platform/os.h"
#include "platform/window_system.h"
#include "race/content_database.h"
#include "race/hud/race_hud.h"
#include "race/race_definition.h"
#include "race/race_session.h"
#include "render/resources/resource_manager.h"

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

// A race on the generated city of the sample game folder, written once for the suite: the content list, a mixer,
// the resource manager and a null device, loaded in stages as the game loads it.
class SampleRace : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = (std::filesystem::temp_directory_path() / ("corsaire_race_" + std::to_string(std::random_device{}())))
                  .string() + "/";
    ASSERT_TRUE(contentgen::WriteAllContent(folder_));
  }
  static void TearDownTestSuite() { std::filesystem::remove_all(folder_); }

  SampleRace() : resources(&holder.settings, folder_) {
    content = std::make_unique<race::ContentDatabase>(&holder.settings, "", &clock);
    content->LoadFrom(app::DataFile(folder_ + contentgen::kManifestFile), folder_, folder_);
    resources.SetMixer(&mixer);
  }
  // The race with the content list's cars, or with none; report hears each stage.
  race::RaceSession& Load(race::ContentDatabase* cars, const std::function<void(uint32_t)>& report = {}) {
    session = std::make_unique<race::RaceSession>(&resources, &holder.settings, cars, nullptr, &definition, 0);
    for (int stage = 0; stage < 20 && !session->LoadTrack(gfx.device, report); ++stage) {
    }
    return *session;
  }
  void Key(int action, bool down) {
    session->ForwardInput(down ? platform::wm::kKeyDown : platform::wm::kKeyUp,
                          static_cast<uintptr_t>(holder.settings.GetKey(action)));
  }

  inline static std::string folder_;
  SettingsHolder holder;
  ManualClock clock;
  platform::audio::Mixer mixer{8000, 32};
  render::ResourceManager resources;
  std::unique_ptr<race::ContentDatabase> content;
  vehicle::testing::NullDeviceFixture gfx;
  race::RaceDefinition definition{0, "City", "TRACKS/CITY/city.scn", nullptr, race::kModeQuick, race::kRaceLap,
                                  2, 0, 3, false};
  app::ScreenFlow flow;
  std::unique_ptr<race::RaceSession> session;
};

// The HUD's pictures, fonts and sounds in a scratch folder, a resource manager with a mixer of its own and a null
// device; HUDs for a race of a chosen type.
class HudFixture : public ::testing::Test {
 protected:
  HudFixture() {
    const std::string folder = folder_.Path();
    EXPECT_TRUE(contentgen::WriteImageContent(folder) && contentgen::WriteSoundAndForceContent(folder) &&
                contentgen::WriteHudContent(folder));
    resources_->SetMixer(&mixer_);
  }
  static race::RaceDefinition Definition(uint32_t type, int32_t laps = 3) {
    return race::RaceDefinition(0, "TEST", "TRACKS\\CITY\\", nullptr, 0, type, laps, 0, 3, false);
  }
  race::RaceHud& MakeHud(const race::RaceDefinition& definition) {
    hud_ = std::make_unique<race::RaceHud>(device_, resources_.get(), &settings_.settings, definition);
    return *hud_;
  }

  vehicle::testing::NullDeviceFixture gfx_;
  platform::gfx::NullDevice* device_ = &gfx_.Null();
  ScratchFolder folder_{"hud"};
  SettingsHolder settings_;
  platform::audio::Mixer mixer_{22050, 8};
  std::unique_ptr<render::ResourceManager> resources_ =
      std::make_unique<render::ResourceManager>(&settings_.settings, folder_.Path());
  std::unique_ptr<race::RaceHud> hud_;
};

}  // namespace race_test
