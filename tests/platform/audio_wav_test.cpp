// WAV parsing: formats the mixer takes, and truncated or corrupt files that must be refused without a crash.
#include <gtest/gtest.h>

#include "contentgen/wav_writer.h"
#include "platform/audio/wav.h"
#include "loader_refusal.h"

namespace {

using platform::audio::ParseWav;
using platform::audio::SampleData;

TEST(WavParsing, ReadsSixteenBitExactlyAndWidensEightBit) {
  const std::vector<int16_t> samples = {0, 256, -256, 32767, -32768, 1234};
  SampleData data;
  std::string error;
  std::vector<uint8_t> bytes = contentgen::EncodeWav(samples, 22050, 2, 16);
  ASSERT_TRUE(ParseWav(bytes.data(), bytes.size(), data, error)) << error;
  EXPECT_EQ(data.rate, 22050);
  EXPECT_EQ(data.FrameCount(), 3u);
  EXPECT_EQ(data.samples, samples);
  // Stored as (s >> 8) + 128, read back as (byte - 128) * 256.
  bytes = contentgen::EncodeWav(samples, 11025, 1, 8);
  ASSERT_TRUE(ParseWav(bytes.data(), bytes.size(), data, error)) << error;
  EXPECT_EQ(data.samples, (std::vector<int16_t>{0, 256, -256, 32512, -32768, 1024}));
}

TEST(WavParsing, SkipsUnknownChunksAndCutsATruncatedDataChunk) {
  std::vector<uint8_t> bytes = contentgen::EncodeWav({10, 20, 30, 40}, 8000, 1, 16);
  // Put a "LIST" chunk of odd length (padded) between the format and data chunks.
  const std::vector<uint8_t> extra = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
  bytes.insert(bytes.begin() + 36, extra.begin(), extra.end());
  SampleData data;
  std::string error;
  ASSERT_TRUE(ParseWav(bytes.data(), bytes.size(), data, error)) << error;
  EXPECT_EQ(data.samples, (std::vector<int16_t>{10, 20, 30, 40}));

  bytes.resize(bytes.size() - 1);  // half of the last sample gone: three whole frames stay
  ASSERT_TRUE(ParseWav(bytes.data(), bytes.size(), data, error)) << error;
  EXPECT_EQ(data.samples, (std::vector<int16_t>{10, 20, 30}));
}

TEST(WavParsing, RefusesCorruptFilesAndLeavesTheSampleEmpty) {
  using loader_refusal::Patched;
  const std::vector<uint8_t> good = contentgen::EncodeWav({1, 2, 3, 4}, 8000, 1, 16);
  loader_refusal::ExpectAllRefused(
      {loader_refusal::Cut(good, 11), {"not WAVE", Patched(good, 8, 'X', 1)},
       {"format chunk longer than the file", Patched(good, 17, 0xFF, 1)}, {"three channels", Patched(good, 22, 3, 1)},
       {"24 bits", Patched(good, 34, 24, 1)}, {"compressed", Patched(good, 20, 2, 1)}, {"rate 0", Patched(good, 24, 0)},
       {"no data chunk", loader_refusal::Cut(good, 36).bytes}, {"empty data chunk", loader_refusal::Cut(good, 44).bytes},
       {"no format chunk before the data", Patched(good, 12, 'X', 1)}},
      [](const uint8_t* data, size_t size) {
        SampleData sample;
        std::string error;
        return ParseWav(data, size, sample, error) || !sample.samples.empty();
      });
}

}  // namespace
