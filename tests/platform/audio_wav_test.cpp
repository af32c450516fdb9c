// WAV parsing: formats the mixer takes, and truncated or corrupt files that must be refused without a crash.
#include <gtest/gtest.h>

#include "contentgen/wav_writer.h"
#include "platform/audio/wav.h"

namespace {

using platform::audio::ParseWav;
using platform::audio::SampleData;

TEST(WavParsing, ReadsSixteenBitStereoExactly) {
  const std::vector<int16_t> samples = {0, -1, 32767, -32768, 1234, -4321};
  const std::vector<uint8_t> bytes = contentgen::EncodeWav(samples, 22050, 2, 16);
  SampleData data;
  std::string error;
  ASSERT_TRUE(ParseWav(bytes.data(), bytes.size(), data, error)) << error;
  EXPECT_EQ(data.rate, 22050);
  EXPECT_EQ(data.channels, 2);
  EXPECT_EQ(data.FrameCount(), 3u);
  EXPECT_EQ(data.samples, samples);
}

TEST(WavParsing, WidensEightBitUnsignedSamples) {
  // Stored as (s >> 8) + 128, read back as (byte - 128) * 256.
  const std::vector<int16_t> samples = {0, 256, -256, 32767, -32768};
  const std::vector<uint8_t> bytes = contentgen::EncodeWav(samples, 11025, 1, 8);
  SampleData data;
  std::string error;
  ASSERT_TRUE(ParseWav(bytes.data(), bytes.size(), data, error)) << error;
  EXPECT_EQ(data.channels, 1);
  EXPECT_EQ(data.samples, (std::vector<int16_t>{0, 256, -256, 32512, -32768}));
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
  SampleData data;
  std::string error;

  EXPECT_FALSE(ParseWav(nullptr, 0, data, error));
  EXPECT_FALSE(ParseWav(good.data(), 11, data, error)) << "shorter than the RIFF header";

  std::vector<uint8_t> notWave = good;
  notWave[8] = 'X';
  EXPECT_FALSE(ParseWav(notWave.data(), notWave.size(), data, error));

  std::vector<uint8_t> hugeFormat = good;
  hugeFormat[16] = 0xFF;  // format chunk length far beyond the file
  hugeFormat[17] = 0xFF;
  EXPECT_FALSE(ParseWav(hugeFormat.data(), hugeFormat.size(), data, error));

  std::vector<uint8_t> threeChannels = good;
  threeChannels[22] = 3;
  EXPECT_FALSE(ParseWav(threeChannels.data(), threeChannels.size(), data, error));

  std::vector<uint8_t> twentyFourBit = good;
  twentyFourBit[34] = 24;
  EXPECT_FALSE(ParseWav(twentyFourBit.data(), twentyFourBit.size(), data, error));

  std::vector<uint8_t> compressed = good;
  compressed[20] = 2;  // ADPCM
  EXPECT_FALSE(ParseWav(compressed.data(), compressed.size(), data, error));

  std::vector<uint8_t> zeroRate = good;
  zeroRate[24] = zeroRate[25] = zeroRate[26] = zeroRate[27] = 0;
  EXPECT_FALSE(ParseWav(zeroRate.data(), zeroRate.size(), data, error));

  std::vector<uint8_t> noData(good.begin(), good.begin() + 36);
  EXPECT_FALSE(ParseWav(noData.data(), noData.size(), data, error));
  EXPECT_EQ(error, "no data chunk");

  std::vector<uint8_t> emptyData(good.begin(), good.begin() + 44);
  EXPECT_FALSE(ParseWav(emptyData.data(), emptyData.size(), data, error));

  EXPECT_TRUE(data.samples.empty());
  EXPECT_EQ(data.rate, 0);
}

}  // namespace
