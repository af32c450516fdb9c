// Music streams: generated Ogg Vorbis decoded block by block, played to the decoder's end, looped, and
// files that are not music refused.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <fstream>

#include "contentgen/music.h"
#include "platform/audio/mixer.h"
#include "platform/audio/stream_decoder.h"

namespace {

namespace fs = std::filesystem;
using platform::audio::kFreeChannel;
using platform::audio::kNoChannel;
using platform::audio::kNoStream;
using platform::audio::Mixer;

constexpr int kRate = 22050;

class MusicStream : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("corsaire_stream_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                                           "_" + std::to_string(std::random_device{}()));
    fs::create_directories(folder_);
    tune_ = contentgen::SynthesiseTune(0, 1.0, kRate);
    Write("tune.ogg", contentgen::EncodeOggVorbis(tune_, kRate, 2));
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = (folder_ / name).string();
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  std::string Path(const std::string& name) const { return (folder_ / name).string(); }

  fs::path folder_;
  std::vector<int16_t> tune_;
};

TEST_F(MusicStream, OggDecoderGivesTheEncodedLengthAndShape) {
  auto decoder = platform::audio::OpenStreamDecoder(Path("tune.ogg"));
  ASSERT_NE(decoder, nullptr);
  EXPECT_EQ(decoder->Rate(), kRate);
  EXPECT_EQ(decoder->Channels(), 2);
  std::vector<int16_t> decoded;
  std::vector<int16_t> block(512 * 2);
  int got = 0;
  while ((got = decoder->Read(block.data(), 512)) > 0) decoded.insert(decoded.end(), block.begin(), block.begin() + got * 2);
  ASSERT_EQ(decoded.size(), tune_.size()) << "Vorbis keeps the exact frame count";
  // Lossy, but close: the error energy is small beside the signal's.
  double signal = 0, noise = 0;
  for (size_t i = 0; i < tune_.size(); ++i) {
    signal += static_cast<double>(tune_[i]) * tune_[i];
    noise += static_cast<double>(tune_[i] - decoded[i]) * (tune_[i] - decoded[i]);
  }
  EXPECT_LT(noise, signal * 0.1);

  ASSERT_TRUE(decoder->Rewind());
  ASSERT_GT(decoder->Read(block.data(), 512), 0);
  EXPECT_EQ(block[1], decoded[1]);
}

TEST_F(MusicStream, PlaysToTheDecoderEndOrLoops) {
  Mixer mixer(kRate, 4);
  const auto once = mixer.OpenStream(Path("tune.ogg"), false);
  const auto looped = mixer.OpenStream(Path("tune.ogg"), true);
  const int onceChannel = mixer.PlayStream(kFreeChannel, once);
  const int loopChannel = mixer.PlayStream(kFreeChannel, looped);
  ASSERT_NE(onceChannel, kNoChannel);
  mixer.Advance(0.9);
  EXPECT_TRUE(mixer.IsPlaying(onceChannel)) << "the whole second plays";
  mixer.Advance(0.2);
  EXPECT_FALSE(mixer.IsPlaying(onceChannel));
  EXPECT_TRUE(mixer.IsStreamEnded(once));
  mixer.Advance(2.0);
  EXPECT_TRUE(mixer.IsPlaying(loopChannel));
  EXPECT_FALSE(mixer.IsStreamEnded(looped));
}

TEST_F(MusicStream, FilesThatAreNotMusicAreRefused) {
  const std::vector<uint8_t> ogg = contentgen::EncodeOggVorbis(tune_, kRate, 2);
  const std::string refused[] = {Write("text.mp3", {'h', 'e', 'l', 'l', 'o', '\n'}), Write("empty.ogg", {}),
                                 Write("header_only.ogg", std::vector<uint8_t>(ogg.begin(), ogg.begin() + 40)),
                                 Path("missing.ogg")};
  for (const std::string& path : refused) EXPECT_EQ(platform::audio::OpenStreamDecoder(path), nullptr) << path;
  Mixer mixer(kRate, 2);
  EXPECT_EQ(mixer.OpenStream(Path("missing.ogg"), false), kNoStream);
  EXPECT_EQ(mixer.PlayStream(kFreeChannel, kNoStream), kNoChannel);
}

TEST_F(MusicStream, ATruncatedOggPlaysWhatItHasAndEnds) {
  const std::vector<uint8_t> ogg = contentgen::EncodeOggVorbis(tune_, kRate, 2);
  Write("cut.ogg", std::vector<uint8_t>(ogg.begin(), ogg.begin() + static_cast<long>(ogg.size() * 3 / 4)));
  Mixer mixer(kRate, 2);
  const auto stream = mixer.OpenStream(Path("cut.ogg"), false);
  ASSERT_NE(stream, kNoStream);
  const int channel = mixer.PlayStream(kFreeChannel, stream);
  mixer.Advance(2.0);
  EXPECT_FALSE(mixer.IsPlaying(channel));
  EXPECT_TRUE(mixer.IsStreamEnded(stream));
}

}  // namespace
