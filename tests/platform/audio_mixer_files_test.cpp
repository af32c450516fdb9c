// Sound files loaded into the mixer: a WAV on disk plays as written, a missing or damaged file gives no sample.
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "contentgen/wav_writer.h"
#include "platform/audio/mixer.h"

namespace {

namespace fs = std::filesystem;
using platform::audio::kFreeChannel;
using platform::audio::kNoChannel;
using platform::audio::kNoSample;
using platform::audio::Mixer;

constexpr int kRate = 8000;

TEST(MixerFiles, AWavFilePlaysAndABadOneGivesNoSample) {
  const fs::path folder = fs::temp_directory_path() / ("corsaire_mixer_files_" + std::to_string(getpid()));
  fs::create_directories(folder);
  const std::vector<int16_t> samples = {8000, -8000, 4000, 0};
  ASSERT_TRUE(contentgen::WriteWav((folder / "horn.wav").string(), samples, kRate, 1));
  std::ofstream((folder / "notes.wav").string()) << "not a sound at all";
  const std::vector<uint8_t> whole = contentgen::EncodeWav(samples, kRate, 1);
  std::ofstream cut((folder / "cut.wav").string(), std::ios::binary);
  cut.write(reinterpret_cast<const char*>(whole.data()), 30);  // the header stops inside the format chunk
  cut.close();

  Mixer mixer(kRate, 4);
  for (const char* bad : {"missing.wav", "notes.wav", "cut.wav"}) {
    EXPECT_EQ(mixer.LoadSample((folder / bad).string(), false), kNoSample) << bad;
  }
  const auto sample = mixer.LoadSample((folder / "horn.wav").string(), false);
  ASSERT_NE(sample, kNoSample);
  ASSERT_NE(mixer.PlaySound(kFreeChannel, sample), kNoChannel);
  std::vector<int16_t> out(8, 12345);
  mixer.Render(out.data(), 4);
  for (size_t f = 0; f < samples.size(); ++f) {
    EXPECT_EQ(out[2 * f], samples[f]) << "left, frame " << f;
    EXPECT_EQ(out[2 * f + 1], samples[f]) << "right, frame " << f;
  }
  fs::remove_all(folder);
}

}  // namespace
