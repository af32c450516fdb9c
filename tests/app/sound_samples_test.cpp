// Shared sound samples: one load per canonical name, reference counts, purging, and missing files.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "app/sound_samples.h"
#include "contentgen/wav_writer.h"

namespace {

namespace fs = std::filesystem;

class SoundSamples : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("corsaire_samples_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                                           "_" + std::to_string(std::random_device{}()));
    fs::create_directories(folder_ / "SOUNDS");
    ASSERT_TRUE(contentgen::WriteWav((folder_ / "SOUNDS" / "tally.wav").string(), {1, 2, 3}, 8000, 1));
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string Folder() const { return folder_.string() + "/"; }
  fs::path folder_;
  platform::audio::Mixer mixer_{8000, 4};
};

TEST_F(SoundSamples, OneRecordPerNameHowEverItIsWritten) {
  app::SoundSampleCache cache(mixer_, Folder());
  const app::SoundSample first = app::LoadSoundSample(cache, "SOUNDS//tally.wav", true);
  ASSERT_NE(first, platform::audio::kNoSample);
  EXPECT_EQ(app::LoadSoundSample(cache, "sounds\\TALLY.WAV", false), first) << "reused whatever the loop flag";
  EXPECT_EQ(app::LoadSoundSample(cache, Folder() + "SOUNDS/tally.wav", true), first) << "absolute names match too";
  EXPECT_EQ(cache.Count(), 1u);
  EXPECT_EQ(cache.ReferenceCount(first), 3);
  EXPECT_EQ(cache.CanonicalName("sounds\\\\tally.wav"), cache.CanonicalName("SOUNDS/TALLY.WAV"));
}

TEST_F(SoundSamples, ReleasedSamplesAreFreedOnlyByThePurge) {
  app::SoundSampleCache cache(mixer_, Folder());
  const app::SoundSample sample = app::LoadSoundSample(cache, "SOUNDS//tally.wav", true);
  const int channel = mixer_.PlaySound(platform::audio::kFreeChannel, sample);
  app::ReleaseSoundSample(cache, sample);
  EXPECT_EQ(cache.ReferenceCount(sample), 0);
  EXPECT_TRUE(mixer_.IsPlaying(channel));
  app::ReleaseSoundSample(cache, sample);  // never below zero
  app::ReleaseSoundSample(cache, 0);
  app::ReleaseSoundSample(cache, 9999);
  cache.PurgeUnreferenced();
  EXPECT_EQ(cache.Count(), 0u);
  EXPECT_FALSE(mixer_.IsPlaying(channel)) << "a freed sample's channels stop";
  EXPECT_EQ(mixer_.PlaySound(platform::audio::kFreeChannel, sample), platform::audio::kNoChannel);
}

TEST_F(SoundSamples, AMissingFileRecordsNothingAndIsTriedAgain) {
  app::SoundSampleCache cache(mixer_, Folder());
  EXPECT_EQ(app::LoadSoundSample(cache, "SOUNDS//late.wav", false), platform::audio::kNoSample);
  EXPECT_EQ(cache.Count(), 0u);
  ASSERT_TRUE(contentgen::WriteWav((folder_ / "SOUNDS" / "late.wav").string(), {5}, 8000, 1));
  EXPECT_NE(app::LoadSoundSample(cache, "SOUNDS//late.wav", false), platform::audio::kNoSample);
  EXPECT_EQ(cache.Count(), 1u);
}

}  // namespace
