// Sound emitters: start and stop at the range edge, volume by distance, silence for a range of 0 or less.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>

#include "app/sound_emitter.h"
#include "contentgen/wav_writer.h"

namespace {

namespace fs = std::filesystem;
using platform::Vec3;

// Samples straight from a mixer, one per file name, with reference counts: the part of the resource manager
// that emitters use (the manager itself sits in a layer above the sound code).
struct MixerSamples final : app::SoundSampleSource {
  MixerSamples(platform::audio::Mixer& mixer, std::string folder) : mixer(mixer), folder(std::move(folder)) {}
  app::SoundSample AcquireSample(const std::string& name, bool loop) override {
    if (byName.count(name) == 0) {
      const app::SoundSample sample = mixer.LoadSample(folder + name, loop);
      if (sample == platform::audio::kNoSample) return sample;
      byName[name] = sample;
    }
    ++references[byName[name]];
    return byName[name];
  }
  void DropSample(app::SoundSample sample) override { --references[sample]; }
  platform::audio::Mixer& SampleMixer() override { return mixer; }
  platform::audio::Mixer& mixer;
  std::string folder;
  std::map<std::string, app::SoundSample> byName;
  std::map<app::SoundSample, int> references;
};

class SoundEmitters : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("corsaire_emitters_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                                           "_" + std::to_string(std::random_device{}()));
    fs::create_directories(folder_);
    ASSERT_TRUE(contentgen::WriteWav((folder_ / "hum.wav").string(), {100, 200}, 8000, 1));
  }
  void TearDown() override { fs::remove_all(folder_); }
  fs::path folder_;
  platform::audio::Mixer mixer_{8000, 8};
};

TEST_F(SoundEmitters, LoudEmittersAreCappedAndEmptyRangesOrMissingSamplesAreSilent) {
  MixerSamples cache(mixer_, folder_.string() + "/");
  app::SoundEmitterList list(cache);
  app::SoundEmitter& loud = list.Add({0, 0, 0}, "hum.wav", 400, 100);
  app::SoundEmitter& zero = list.Add({0, 0, 0}, "hum.wav", 255, 0);
  app::SoundEmitter& negative = list.Add({0, 0, 0}, "hum.wav", 255, -5);
  app::SoundEmitter& missing = list.Add({0, 0, 0}, "missing.wav", 100, 500);
  list.Update({0, 0, 0});
  EXPECT_EQ(mixer_.GetVolume(loud.channel), 255);
  EXPECT_EQ(zero.channel, platform::audio::kNoChannel);
  EXPECT_EQ(negative.channel, platform::audio::kNoChannel);
  EXPECT_EQ(missing.channel, platform::audio::kNoChannel);
  EXPECT_EQ(mixer_.GetChannelsPlaying(), 1);
}

TEST_F(SoundEmitters, NewestFirstAndClearStopsAndReleasesEverything) {
  MixerSamples cache(mixer_, folder_.string() + "/");
  app::SoundEmitterList list(cache);
  list.Add({0, 0, 0}, "hum.wav", 100, 500);
  list.Add({9, 0, 0}, "hum.wav", 100, 500);
  EXPECT_EQ(list.Emitters().front().position.x, 9.0f);
  ASSERT_EQ(cache.byName.size(), 1u);
  const app::SoundSample sample = list.Emitters().front().sample;
  EXPECT_EQ(cache.references[sample], 2);
  list.Update({0, 0, 0});
  EXPECT_EQ(mixer_.GetChannelsPlaying(), 2);
  list.Clear();
  EXPECT_EQ(mixer_.GetChannelsPlaying(), 0);
  EXPECT_EQ(cache.references[sample], 0);
  EXPECT_TRUE(list.Emitters().empty());
}

TEST_F(SoundEmitters, AStolenChannelIsStartedAgain) {
  platform::audio::Mixer small(8000, 1);
  MixerSamples cache(small, folder_.string() + "/");
  app::SoundEmitterList list(cache);
  app::SoundEmitter& emitter = list.Add({0, 0, 0}, "hum.wav", 100, 500);
  list.Update({0, 0, 0});
  const int first = emitter.channel;
  small.PlaySound(platform::audio::kFreeChannel, emitter.sample);  // takes the only channel
  EXPECT_FALSE(small.IsPlaying(first));
  list.Update({0, 0, 0});
  EXPECT_TRUE(small.IsPlaying(emitter.channel));
}

}  // namespace
