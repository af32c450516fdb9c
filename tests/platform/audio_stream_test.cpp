// Music streams: generated Ogg Vorbis decoded block by block, played to the decoder's end, looped, handed on to
// a queued stream without a gap, cut with a fade, and files that are not music refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
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

// The longest run of frames that are exactly zero on both sides, in frames [from, to).
size_t LongestSilence(const std::vector<int16_t>& stereo, size_t from, size_t to) {
  size_t longest = 0, run = 0;
  for (size_t f = from; f < std::min(to, stereo.size() / 2); ++f) {
    run = stereo[2 * f] == 0 && stereo[2 * f + 1] == 0 ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  return longest;
}

TEST_F(MusicStream, AQueuedStreamFollowsInTheSameBufferAndACutFadesOut) {
  Write("short.ogg", contentgen::EncodeOggVorbis(contentgen::SynthesiseTune(1, 0.5, kRate), kRate, 2));
  Mixer mixer(kRate, 4);
  mixer.SetRecording(true);
  const auto first = mixer.OpenStream(Path("short.ogg"), false);
  const auto second = mixer.OpenStream(Path("tune.ogg"), false);
  const int channel = mixer.PlayStream(kFreeChannel, first);
  EXPECT_FALSE(mixer.QueueStream(channel, first)) << "a stream cannot follow itself";
  EXPECT_FALSE(mixer.QueueStream(channel + 1, second)) << "no stream plays there";

  // Its end is known ahead: the player has time to choose what follows.
  double played = 0;
  while (!mixer.IsStreamEnding(first) && played < 1.0) {
    mixer.Advance(0.02);
    played += 0.02;
  }
  EXPECT_LT(played, 0.5 - 0.1);
  EXPECT_FALSE(mixer.IsStreamEnded(first));
  ASSERT_TRUE(mixer.QueueStream(channel, second));
  mixer.Advance(0.5);
  EXPECT_TRUE(mixer.IsStreamEnded(first));
  EXPECT_TRUE(mixer.IsPlaying(channel)) << "the same channel plays on";
  EXPECT_FALSE(mixer.IsStreamEnded(second));
  mixer.CloseStream(first);
  EXPECT_TRUE(mixer.IsPlaying(channel)) << "closing the finished stream leaves the one that follows";

  // Cut in the middle, the music fades out over a few milliseconds instead of stopping dead.
  mixer.CloseStream(second);
  EXPECT_FALSE(mixer.IsPlaying(channel));
  mixer.Advance(0.05);
  const std::vector<int16_t> heard = mixer.TakeRecording();
  ASSERT_GT(heard.size(), static_cast<size_t>(kRate));
  const size_t cut = static_cast<size_t>((played + 0.5) * kRate);
  EXPECT_LT(LongestSilence(heard, 1, cut), static_cast<size_t>(kRate / 500)) << "no gap between the two tunes";
  int largestStep = 0;
  for (size_t f = cut; f + 1 < heard.size() / 2; ++f) largestStep = std::max(largestStep, std::abs(heard[2 * f + 2] - heard[2 * f]));
  int music = 0;
  for (size_t f = cut - kRate / 10; f < cut; ++f) music = std::max(music, std::abs(heard[2 * f + 2] - heard[2 * f]));
  EXPECT_LE(largestStep, music) << "the cut is no steeper than the music itself";
  EXPECT_EQ(heard.back(), 0);
}

// MP3 music (a player's own folder) goes through the MP3 decoder: its format is read from the file, the whole
// tune comes out in blocks, a rewind starts it again, and the mixer plays it to its end.
TEST_F(MusicStream, MpegAudioDecodesThroughTheMp3Decoder) {
  for (const int channels : {1, 2}) {
    SCOPED_TRACE(channels);
    const std::vector<int16_t> tune = contentgen::SynthesiseTune(1, 1.0, 44100);  // a second of mono samples
    std::vector<int16_t> samples;
    for (int16_t sample : tune) samples.insert(samples.end(), static_cast<size_t>(channels), sample);
    const std::vector<uint8_t> mpeg = contentgen::EncodeMpegAudio(samples, 44100, channels);
    ASSERT_FALSE(mpeg.empty());
    const std::string path = Write("tune" + std::to_string(channels) + ".mp3", mpeg);
    auto decoder = platform::audio::OpenStreamDecoder(path);
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(decoder->Rate(), 44100);
    EXPECT_EQ(decoder->Channels(), channels);
    std::vector<int16_t> block(1152 * 2);
    size_t frames = 0;
    int got = 0;
    double energy = 0;
    while ((got = decoder->Read(block.data(), 1152)) > 0) {
      frames += static_cast<size_t>(got);
      for (int i = 0; i < got * channels; ++i) energy += static_cast<double>(block[i]) * block[i];
    }
    // Whole 1152-frame blocks with the encoder's delay: about a second, and not silence.
    EXPECT_GE(frames, tune.size());
    EXPECT_LE(frames, tune.size() + 3 * 1152);
    EXPECT_GT(energy / static_cast<double>(frames * channels), 1e5);
    ASSERT_TRUE(decoder->Rewind());
    EXPECT_EQ(decoder->Read(block.data(), 1152), 1152);

    Mixer mixer(44100, 2);
    const auto stream = mixer.OpenStream(path, false);
    ASSERT_NE(mixer.PlayStream(kFreeChannel, stream), kNoChannel);
    mixer.Advance(0.5);
    EXPECT_FALSE(mixer.IsStreamEnded(stream)) << "half of the tune is still to come";
    mixer.Advance(2.0);
    EXPECT_TRUE(mixer.IsStreamEnded(stream));
  }
}

}  // namespace
