// The software mixer rendered to a buffer on the null output and compared with samples computed by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/audio/mixer.h"

namespace {

using platform::audio::kFreeChannel;
using platform::audio::kNoChannel;
using platform::audio::Mixer;
using platform::audio::SampleData;
using platform::audio::SampleId;

constexpr int kRate = 8000;

SampleId Mono(Mixer& mixer, std::vector<int16_t> values, bool loop, int rate = kRate) {
  SampleData data;
  data.rate = rate;
  data.channels = 1;
  data.samples = std::move(values);
  return mixer.CreateSample(std::move(data), loop);
}

std::vector<int16_t> Render(Mixer& mixer, int frames) {
  std::vector<int16_t> out(static_cast<size_t>(frames) * 2, 12345);
  mixer.Render(out.data(), frames);
  return out;
}

int Scaled(double value) { return static_cast<int>(std::lrint(value)); }

TEST(Mixer, ScalesByChannelVolumeAndEffectsMasterButNotAbsoluteVolume) {
  Mixer mixer(kRate, 4);
  const SampleId sample = Mono(mixer, {10000, 10000}, true);
  const int a = mixer.PlaySound(kFreeChannel, sample);
  mixer.SetVolume(a, 128);
  mixer.SetSfxMasterVolume(51);
  std::vector<int16_t> out = Render(mixer, 1);
  EXPECT_EQ(out[0], Scaled(10000.0f * (128 / 255.0f) * (51 / 255.0f)));

  mixer.SetVolumeAbsolute(a, 200);  // music-style volume ignores the master
  out = Render(mixer, 1);
  EXPECT_EQ(out[0], Scaled(10000.0 * 200 / 255.0));
}

TEST(Mixer, PansBetweenTheTwoSides) {
  Mixer mixer(kRate, 4);
  const int channel = mixer.PlaySound(kFreeChannel, Mono(mixer, {12800}, true));
  const struct {
    int pan, left, right;
  } cases[] = {{platform::audio::kPanLeft, 12800, 0}, {platform::audio::kPanRight, 0, 12800}, {64, 12800, 6400},
               {191, Scaled(12800.0 * 64 / 127.0), 12800}};
  for (const auto& c : cases) {
    mixer.SetPan(channel, c.pan);
    const std::vector<int16_t> out = Render(mixer, 1);
    EXPECT_EQ(out[0], c.left) << c.pan;
    EXPECT_EQ(out[1], c.right) << c.pan;
  }
}

TEST(Mixer, ResamplesByTheFrequencyRatioWithLinearInterpolation) {
  Mixer mixer(kRate, 4);
  const SampleId sample = Mono(mixer, {0, 1000, 2000, 3000}, false);
  const int half = mixer.PlaySound(kFreeChannel, sample);
  ASSERT_TRUE(mixer.SetFrequency(half, kRate / 2));
  std::vector<int16_t> out = Render(mixer, 8);
  const int expectedHalf[] = {0, 500, 1000, 1500, 2000, 2500, 3000, 3000};
  for (int f = 0; f < 8; ++f) EXPECT_EQ(out[2 * f], expectedHalf[f]) << "frame " << f;
  EXPECT_FALSE(mixer.IsPlaying(half));

  // A sample recorded at another rate plays at its own rate: 4000 Hz on an 8000 Hz output halves the step.
  const SampleId slow = Mono(mixer, {0, 1000}, false, kRate / 2);
  mixer.PlaySound(kFreeChannel, slow);
  out = Render(mixer, 2);
  EXPECT_EQ(out[2], 500);
}

TEST(Mixer, LoopsRepeatAndOneShotsFreeTheirChannel) {
  Mixer mixer(kRate, 4);
  const SampleId loop = Mono(mixer, {1, 2, 3}, true);
  const SampleId once = Mono(mixer, {100, 200}, false);
  const int looping = mixer.PlaySound(kFreeChannel, loop);
  const int oneShot = mixer.PlaySound(kFreeChannel, once);
  const std::vector<int16_t> out = Render(mixer, 7);
  const int expected[] = {101, 202, 3, 1, 2, 3, 1};
  for (int f = 0; f < 7; ++f) EXPECT_EQ(out[2 * f], expected[f]) << "frame " << f;
  EXPECT_FALSE(mixer.IsPlaying(oneShot));
  EXPECT_EQ(mixer.GetChannelsPlaying(), 1);
  EXPECT_FALSE(mixer.SetVolume(oneShot, 10)) << "a finished channel's handle is stale";

  EXPECT_TRUE(mixer.StopSound(looping));
  EXPECT_EQ(mixer.GetChannelsPlaying(), 0);
  EXPECT_EQ(Render(mixer, 2), (std::vector<int16_t>{0, 0, 0, 0}));
}

TEST(Mixer, StealsTheLeastImportantOldestChannelWhenAllAreBusy) {
  Mixer mixer(kRate, 2);
  const SampleId sample = Mono(mixer, {1000}, true);
  const int first = mixer.PlaySound(kFreeChannel, sample);
  const int second = mixer.PlaySound(kFreeChannel, sample);

  // Equal priorities: the longest-playing channel goes.
  const int third = mixer.PlaySound(kFreeChannel, sample);
  ASSERT_NE(third, kNoChannel);
  EXPECT_FALSE(mixer.IsPlaying(first));
  EXPECT_TRUE(mixer.IsPlaying(second));
  EXPECT_FALSE(mixer.StopSound(first)) << "stopping a stolen channel must not stop the new sound";
  EXPECT_TRUE(mixer.IsPlaying(third));

  // A more important channel is kept; the other one is taken.
  mixer.SetPriority(second, 200);
  const int fourth = mixer.PlaySound(kFreeChannel, sample);
  EXPECT_TRUE(mixer.IsPlaying(second));
  EXPECT_FALSE(mixer.IsPlaying(third));
  EXPECT_TRUE(mixer.IsPlaying(fourth));

  // Nothing at or below the new sound's priority: no channel.
  mixer.SetPriority(fourth, 129);
  EXPECT_EQ(mixer.PlaySound(kFreeChannel, sample), kNoChannel);
  EXPECT_EQ(mixer.GetChannelsPlaying(), 2);

  // A named channel is taken whatever plays on it.
  const int named = mixer.PlaySound(1, sample);
  EXPECT_EQ(named % platform::audio::kMaxChannelCount, 1);
  EXPECT_EQ(mixer.PlaySound(2, sample), kNoChannel) << "only channels 0 and 1 exist";
}

TEST(Mixer, PausedChannelsHoldTheirPlaceAndStillCount) {
  Mixer mixer(kRate, 2);
  const SampleId sample = Mono(mixer, {10, 20, 30}, false);
  const int channel = mixer.PlaySound(kFreeChannel, sample);
  Render(mixer, 1);
  mixer.SetPaused(channel, true);
  EXPECT_EQ(Render(mixer, 2), (std::vector<int16_t>{0, 0, 0, 0}));
  EXPECT_EQ(mixer.GetChannelsPlaying(), 1);
  mixer.SetPaused(channel, false);
  const std::vector<int16_t> out = Render(mixer, 2);
  EXPECT_EQ(out[0], 20);
  EXPECT_EQ(out[2], 30);
}

TEST(Mixer, MixesChannelsClipsTheSumAndKeepsStereoSides) {
  Mixer mixer(kRate, 4);
  const SampleId loud = Mono(mixer, {30000, -30000}, false);
  mixer.PlaySound(kFreeChannel, loud);
  mixer.PlaySound(kFreeChannel, loud);
  SampleData stereo;
  stereo.rate = kRate;
  stereo.channels = 2;
  stereo.samples = {100, -100, 200, -200};
  mixer.PlaySound(kFreeChannel, mixer.CreateSample(stereo, false));
  EXPECT_EQ(Render(mixer, 2), (std::vector<int16_t>{32767, 32767, -32768, -32768}));
  mixer.PlaySound(kFreeChannel, mixer.CreateSample(stereo, false));
  EXPECT_EQ(Render(mixer, 2), (std::vector<int16_t>{100, -100, 200, -200}));
}

TEST(Mixer, FreeingASampleStopsItsChannelsAndUnknownHandlesDoNothing) {
  Mixer mixer(kRate, 2);
  const SampleId sample = Mono(mixer, {5}, true);
  const int channel = mixer.PlaySound(kFreeChannel, sample);
  mixer.FreeSample(sample);
  EXPECT_FALSE(mixer.IsPlaying(channel));
  EXPECT_EQ(mixer.PlaySound(kFreeChannel, sample), kNoChannel);
  EXPECT_FALSE(mixer.SetFrequency(12345678, 100));
  EXPECT_EQ(mixer.CreateSample(SampleData{}, false), platform::audio::kNoSample);
}

TEST(Mixer, AdvanceOnTheNullOutputEndsOneShots) {
  Mixer mixer(kRate, 2);
  ASSERT_FALSE(mixer.HasDevice());
  const SampleId sample = Mono(mixer, std::vector<int16_t>(kRate / 2, 1), false);  // half a second
  const int channel = mixer.PlaySound(kFreeChannel, sample);
  mixer.Advance(0.25);
  EXPECT_TRUE(mixer.IsPlaying(channel));
  mixer.Advance(0.3);
  EXPECT_FALSE(mixer.IsPlaying(channel));
}

}  // namespace
