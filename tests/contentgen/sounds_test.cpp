// The sample sounds, music and effect files: every file the game opens by a fixed name is written and loads.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "contentgen/ffe_writer.h"
#include "contentgen/music.h"
#include "contentgen/sounds.h"
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

}  // namespace
