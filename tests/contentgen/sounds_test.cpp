// The sample sounds, music and effect files: every file the game opens by a fixed name is written and loads;
// impacts and surfaces leave headroom, and one-shots and tunes start and end at silence.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "contentgen/ffe_writer.h"
#include "contentgen/music.h"
#include "contentgen/sounds.h"
#include "contentgen/track_sounds.h"
#include "platform/audio/stream_decoder.h"
#include "platform/audio/wav.h"
#include "platform/file_system.h"
#include "platform/input/ffe_reader.h"

namespace {

namespace fs = std::filesystem;

TEST(SoundContent, EverySoundMusicAndEffectFileIsWrittenAndReadable) {
  const fs::path folder = fs::temp_directory_path() / ("corsaire_sound_content_" + std::to_string(std::random_device{}()));
  fs::remove_all(folder);
  ASSERT_TRUE(contentgen::WriteSoundAndForceContent(folder.string()));

  // The names the menus, HUD, stunts and cars open, as they write them.
  for (const char* name : {"SOUNDS//tally.wav", "SOUNDS//failure.wav", "SOUNDS//success.wav", "SOUNDS//start1.wav",
                           "SOUNDS//start2.wav", "SOUNDS\\CARSOUNDS\\skidpavement.wav", "SOUNDS\\CARSOUNDS\\hitelectric.wav",
                           "SOUNDS\\CARSOUNDS\\smallglass.wav", "SOUNDS\\CARSOUNDS\\tirehit.wav"}) {
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(platform::ReadWholeFile(platform::ResolveDataPath(folder.string() + "/" + name), bytes, platform::kMaxSoundFileBytes)) << name;
  }
  for (const std::string& name : contentgen::SoundFileNames()) {
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(platform::ReadWholeFile((folder / name).string(), bytes, platform::kMaxSoundFileBytes)) << name;
    platform::audio::SampleData data;
    std::string error;
    EXPECT_TRUE(platform::audio::ParseWav(bytes.data(), bytes.size(), data, error)) << name << ": " << error;
    EXPECT_GT(data.FrameCount(), 1000u) << name;
  }
  EXPECT_GE(contentgen::SoundFileNames().size(), 38u);

  for (const std::string& name : contentgen::MusicFileNames()) {
    auto decoder = platform::audio::OpenStreamDecoder((folder / name).string());
    ASSERT_NE(decoder, nullptr) << name;
    std::vector<int16_t> block(4096 * 2);
    EXPECT_EQ(decoder->Read(block.data(), 4096), 4096) << name;
  }

  for (const char* name : {"FF/effects.ffe", "FF/wheeleffects.ffe"}) {
    std::vector<platform::input::ForceEffect> effects;
    ASSERT_TRUE(platform::input::LoadForceEffectFile((folder / name).string(), effects)) << name;
    EXPECT_GE(effects.size(), 14u) << name;
  }
  fs::remove_all(folder);
}

TEST(SoundContent, ImpactsAndSurfacesLeaveHeadroomAndOneShotsStartAndEndAtSilence) {
  const fs::path folder = fs::temp_directory_path() / ("corsaire_sound_levels_" + std::to_string(std::random_device{}()));
  fs::remove_all(folder);
  ASSERT_TRUE(contentgen::WriteSoundAndForceContent(folder.string()));
  const std::string car = contentgen::kCarSoundFolder;
  const std::string engine = contentgen::kEngineSoundFolder;
  constexpr int kHalfScale = 16384;  // -6 dBFS
  const struct {
    std::string name;
    bool headroom;  // peaks at -6 dBFS or below
    bool oneShot;   // first and last sample exactly zero
  } cases[] = {
      {car + "crash.wav", true, true},         {car + "bigcrash.wav", true, true},
      {car + "scrapecrash.wav", true, true},   {car + "scrape.wav", true, true},
      {car + "bigglass.wav", true, true},      {car + "smallglass.wav", true, true},
      {car + "softtire.wav", true, true},      {car + "tirehit.wav", true, true},
      {car + "hitelectric.wav", true, true},   {car + "skidpavement.wav", true, false},
      {car + "skidgravel.wav", true, false},   {car + "paved.wav", true, false},
      {car + "gravel.wav", true, false},       {car + "water.wav", true, false},
      {car + "electric.wav", true, false},     {"SOUNDS/tally.wav", false, true},
      {"SOUNDS/start1.wav", false, true},      {"SOUNDS/success.wav", false, true},
      {engine + "turboengage.wav", false, true}, {engine + "nitrodisengage.wav", false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(platform::ReadWholeFile((folder / c.name).string(), bytes, platform::kMaxSoundFileBytes));
    platform::audio::SampleData data;
    std::string error;
    ASSERT_TRUE(platform::audio::ParseWav(bytes.data(), bytes.size(), data, error)) << error;
    int peak = 0;
    for (int16_t value : data.samples) peak = std::max(peak, std::abs(static_cast<int>(value)));
    if (c.headroom) {
      EXPECT_LE(peak, kHalfScale);
    }
    EXPECT_GT(peak, kHalfScale / 16) << "still heard";
    if (c.oneShot) {
      EXPECT_EQ(data.samples.front(), 0);
      EXPECT_EQ(data.samples.back(), 0);
      EXPECT_LT(std::abs(data.samples[1]), peak / 4) << "faded in, not stepped";
    }
  }

  // Track loops play beside the cars' sounds: they leave the same headroom and are never clipped flat.
  using contentgen::TrackSound;
  for (TrackSound sound : {TrackSound::kFountain, TrackSound::kWaves, TrackSound::kFoghorn, TrackSound::kWeir,
                           TrackSound::kTraffic, TrackSound::kWorks}) {
    SCOPED_TRACE(contentgen::TrackSoundFile(sound));
    const std::vector<int16_t> loop = contentgen::TrackSoundLoop(sound);
    int peak = 0;
    for (int16_t value : loop) peak = std::max(peak, std::abs(static_cast<int>(value)));
    EXPECT_LE(peak, kHalfScale);
    EXPECT_GT(peak, kHalfScale / 4) << "still heard";
  }

  // The tunes, decoded, start and end close to silence (-32 dBFS, against -12 dBFS unfaded), so one can follow
  // another without a click.
  for (const std::string& name : contentgen::MusicFileNames()) {
    SCOPED_TRACE(name);
    auto decoder = platform::audio::OpenStreamDecoder((folder / name).string());
    ASSERT_NE(decoder, nullptr);
    std::vector<int16_t> all, block(4096 * 2);
    for (int got = 0; (got = decoder->Read(block.data(), 4096)) > 0;) all.insert(all.end(), block.begin(), block.begin() + got * 2);
    ASSERT_GT(all.size(), 8u);
    for (size_t i : {size_t{0}, size_t{1}, all.size() - 2, all.size() - 1}) EXPECT_LT(std::abs(all[i]), 800) << i;
  }
  fs::remove_all(folder);
}

}  // namespace
