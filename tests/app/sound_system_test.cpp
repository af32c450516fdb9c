// Sound system: volume levels, pause, the music playlist walk and order, stream ends, tracks that follow one
// another without a gap, and the music start's retry, seeding and fallback rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <fstream>

#include "app/hardware_info.h"
#include "app/settings.h"
#include "app/sound_system.h"
#include "contentgen/music.h"

namespace {

namespace fs = std::filesystem;
using app::SettingId;
using app::SoundSystem;
using app::StringSettingId;

constexpr int kRate = 8000;

class SoundSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("corsaire_sound_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
               std::to_string(std::random_device{}()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    // A tenth of a second of music, so streams end within a few updates.
    tune_ = contentgen::EncodeOggVorbis(contentgen::SynthesiseTune(0, 0.1, kRate), kRate, 2);
    ASSERT_FALSE(tune_.empty());
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Program() const { return folder_.string() + "/"; }
  void Touch(const fs::path& relative, bool music = true) {
    const fs::path path = folder_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary);
    if (music) file.write(reinterpret_cast<const char*>(tune_.data()), static_cast<std::streamsize>(tune_.size()));
  }
  std::unique_ptr<SoundSystem> Make() {
    return std::make_unique<SoundSystem>(settings_, Program(), mixer_, [this] {
      ++seeds_;
      return 99u;
    });
  }
  std::string Relative(const std::string& path) const { return fs::path(path).filename().string(); }

  fs::path folder_;
  std::vector<uint8_t> tune_;
  app::HardwareInfo hardware_;
  app::Settings settings_{hardware_, "", ""};
  platform::audio::Mixer mixer_{kRate, 8};
  int seeds_ = 0;
};

TEST_F(SoundSystemTest, VolumesWaitWhilePaused) {
  auto sound = Make();
  EXPECT_EQ(mixer_.GetSfxMasterVolume(), 153) << "master 60, value 100";
  sound->Pause();
  EXPECT_EQ(mixer_.GetSfxMasterVolume(), 0);
  settings_.SetInt(SettingId::MASTERVOLUME, 100);
  sound->Update(0);
  EXPECT_EQ(mixer_.GetSfxMasterVolume(), 0);
  sound->Resume();
  EXPECT_EQ(mixer_.GetSfxMasterVolume(), 255);
}

TEST_F(SoundSystemTest, PlaylistDrawsOnceThenWalksInOrderAndWrapsToADrawAgain) {
  for (const char* name : {"M/a.ogg", "M/b.ogg", "M/c.ogg"}) Touch(name);
  auto sound = Make();
  const std::string root = folder_.string() + "/M";
  ASSERT_TRUE(sound->PlayMusicFolder(root));
  EXPECT_NE(sound->playlistIndex, 0) << "a draw never gives the first file";
  for (int step = 0; step < 3 && sound->playlistIndex != 0; ++step) {
    const int next = (sound->playlistIndex + 1) % 3;
    ASSERT_TRUE(sound->PlayMusicFolder(root));
    EXPECT_EQ(sound->playlistIndex, next);
  }
  EXPECT_EQ(sound->playlistIndex, 0) << "the walk wraps to the first file";
  ASSERT_TRUE(sound->PlayMusicFolder(root));
  EXPECT_NE(sound->playlistIndex, 0) << "after the first file the next call draws again";
  EXPECT_EQ(seeds_, 1) << "the generator is seeded once, not on every call";
  sound->SetPlayFirstFile(true);
  ASSERT_TRUE(sound->PlayMusicFolder(root));
  EXPECT_EQ(Relative(sound->musicFile), "a.ogg");
  EXPECT_FALSE(sound->PlayMusicFolder(folder_.string() + "/empty"));
}

TEST_F(SoundSystemTest, MusicVolumeZeroStopsTheStreamAndStartsNothing) {
  Touch("MUSIC/t.ogg");
  auto sound = Make();
  sound->PlayMusicFile("MUSIC/t.ogg", true);
  ASSERT_TRUE(sound->IsMusicPlaying());
  settings_.SetInt(SettingId::MUSICVOLUME, 0);
  sound->Update(0.01f);
  EXPECT_FALSE(sound->IsMusicPlaying());
  sound->PlayMusicFile("MUSIC/t.ogg", false);
  EXPECT_FALSE(sound->IsMusicPlaying());
}

TEST_F(SoundSystemTest, MusicStartIsRetriedAtMostOnceASecond) {
  auto sound = Make();
  sound->KeepMusicPlaying(10.0, true);  // no MUSIC folder yet
  EXPECT_FALSE(sound->IsMusicPlaying());
  Touch("MUSIC/first.ogg");
  Touch("MUSIC/second.ogg");
  sound->KeepMusicPlaying(10.5, true);
  EXPECT_FALSE(sound->IsMusicPlaying()) << "half a second later: not tried again";
  sound->KeepMusicPlaying(11.0, true);
  ASSERT_TRUE(sound->IsMusicPlaying());
  EXPECT_EQ(Relative(sound->musicFile), "first.ogg") << "the flag asks for the first file";
}

TEST_F(SoundSystemTest, AMissingMp3FolderIsKeptAndTheGameMusicPlaysInstead) {
  Touch("MUSIC/game.ogg");
  settings_.SetInt(SettingId::MP3MUSIC, 1);
  settings_.SetString(StringSettingId::MP3FOLDER, folder_.string() + "/unplugged_drive");
  auto sound = Make();
  sound->StartMusic(false);
  EXPECT_EQ(settings_.GetString(StringSettingId::MP3FOLDER), folder_.string() + "/unplugged_drive");
  ASSERT_TRUE(sound->IsMusicPlaying());
  EXPECT_EQ(Relative(sound->musicFile), "game.ogg");
}

TEST_F(SoundSystemTest, TheNextTrackStartsInTheFrameTheLastOneEnds) {
  for (const char* name : {"MUSIC/a.ogg", "MUSIC/b.ogg", "MUSIC/c.ogg"}) Touch(name);
  auto sound = Make();
  mixer_.SetRecording(true);
  std::vector<std::string> played;
  double now = 0;
  for (int frame = 0; frame < 60; ++frame, now += 0.02) {
    sound->Update(0.02f);
    sound->KeepMusicPlaying(now, false);
    if (played.empty() || played.back() != sound->musicFile) played.push_back(sound->musicFile);
  }
  // Tenth-of-a-second tunes over 1.2 s: about a dozen, in the playlist's order, with a draw after the first file.
  ASSERT_GE(played.size(), 8u);
  for (size_t i = 1; i < played.size(); ++i) {
    if (Relative(played[i - 1]) == "a.ogg") continue;  // a draw follows the first file
    const char expected = Relative(played[i - 1])[0] == 'b' ? 'c' : 'a';
    EXPECT_EQ(Relative(played[i])[0], expected) << i;
  }
  const std::vector<int16_t> heard = mixer_.TakeRecording();
  ASSERT_GT(heard.size(), static_cast<size_t>(kRate));
  size_t first = 0;
  while (first < heard.size() / 2 && heard[2 * first] == 0) ++first;
  size_t longest = 0, run = 0;
  for (size_t f = first; f < heard.size() / 2; ++f) {
    run = heard[2 * f] == 0 && heard[2 * f + 1] == 0 ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  EXPECT_LT(longest, static_cast<size_t>(kRate / 500)) << "no silence between tracks";

  sound->StopMusic();
  EXPECT_EQ(sound->nextStream, platform::audio::kNoStream) << "stopping the music drops the queued track too";
}

}  // namespace
