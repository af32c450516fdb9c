// WAV parsing: formats the mixer takes, and truncated or corrupt files that must be refused without a crash.
#include <gtest/gtest.h>

#include "contentgen/wav_writer.h"
#include "platform/audio/wav.h"

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
  const std::vector<uint8_t> good = contentgen::EncodeWav({1, 2, 3, 4}, 8000, 1, 16);
  const auto patched = [&](size_t offset, uint8_t value) {
    std::vector<uint8_t> bytes = good;
    bytes[offset] = value;
    return bytes;
  };
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"shorter than the RIFF header", std::vector<uint8_t>(good.begin(), good.begin() + 11)},
      {"not WAVE", patched(8, 'X')},
      {"format chunk longer than the file", patched(17, 0xFF)},
      {"three channels", patched(22, 3)},
      {"24 bits", patched(34, 24)},
      {"compressed", patched(20, 2)},
      {"no data chunk", std::vector<uint8_t>(good.begin(), good.begin() + 36)},
      {"empty data chunk", std::vector<uint8_t>(good.begin(), good.begin() + 44)},
  };
  for (const auto& c : cases) {
    SampleData data;
    std::string error;
    EXPECT_FALSE(ParseWav(c.bytes.data(), c.bytes.size(), data, error)) << c.what;
    EXPECT_TRUE(data.samples.empty()) << c.what;
  }
  std::vector<uint8_t> zeroRate = good;
  zeroRate[24] = zeroRate[25] = zeroRate[26] = zeroRate[27] = 0;
  SampleData data;
  std::string error;
  EXPECT_FALSE(ParseWav(zeroRate.data(), zeroRate.size(), data, error));
}

}  // namespace
