// The software mixer rendered to a buffer on the null output and compared with samples computed by hand: volume,
// pan, resampling, channel stealing, the ramps that keep stops, pauses and volume changes from clicking, merged
// one-shot starts, the output limiter and the recording output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
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

// Frames a ramp takes at kRate.
const int kRamp = static_cast<int>(std::lround(platform::audio::kRampSeconds * kRate));

// The largest change between neighbouring frames of the left side, the frame before `out` included.
int LargestStep(int16_t before, const std::vector<int16_t>& out) {
  int largest = 0;
  int previous = before;
  for (size_t i = 0; i < out.size(); i += 2) {
    largest = std::max(largest, std::abs(out[i] - previous));
    previous = out[i];
  }
  return largest;
}

TEST(Mixer, ScalesByChannelVolumeAndEffectsMasterButNotAbsoluteVolume) {
  Mixer mixer(kRate, 4);
  const SampleId sample = Mono(mixer, {10000, 10000}, true);
  const int a = mixer.PlaySound(kFreeChannel, sample);
  mixer.SetVolume(a, 128);
  mixer.SetSfxMasterVolume(51);
  Render(mixer, kRamp);  // a loop fades in
  std::vector<int16_t> out = Render(mixer, 1);
  EXPECT_EQ(out[0], Scaled(10000.0f * (128 / 255.0f) * (51 / 255.0f)));

  // A playing channel glides to its new volume over the ramp, then holds it; music-style volume ignores the
  // master.
  mixer.SetVolumeAbsolute(a, 200);
  out = Render(mixer, kRamp + 1);
  EXPECT_LT(out[0], Scaled(10000.0 * 200 / 255.0));
  EXPECT_GT(out[0], Scaled(10000.0f * (128 / 255.0f) * (51 / 255.0f)));
  EXPECT_EQ(out[2 * kRamp], Scaled(10000.0 * 200 / 255.0));
}

TEST(Mixer, PansBetweenTheTwoSides) {
  Mixer mixer(kRate, 4);
  const int channel = mixer.PlaySound(kFreeChannel, Mono(mixer, {12800}, true));
  Render(mixer, kRamp);
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
  // A loop fades in from silence: its first frame is far below the sample, the frame after the ramp is the sample.
  const std::vector<int16_t> start = Render(mixer, kRamp + 1);
  EXPECT_LT(start[0], 1);
  EXPECT_EQ(start[2 * kRamp], 1 + kRamp % 3);
  Render(mixer, 2);  // back to the loop's start
  const int oneShot = mixer.PlaySound(kFreeChannel, once);
  const std::vector<int16_t> out = Render(mixer, 7);
  const int expected[] = {101, 202, 3, 1, 2, 3, 1};
  for (int f = 0; f < 7; ++f) EXPECT_EQ(out[2 * f], expected[f]) << "frame " << f;
  EXPECT_FALSE(mixer.IsPlaying(oneShot));
  EXPECT_EQ(mixer.GetChannelsPlaying(), 1);
  EXPECT_FALSE(mixer.SetVolume(oneShot, 10)) << "a finished channel's handle is stale";

  // Stopped early, the loop is gone at once for the caller and fades out of the mix over the ramp.
  EXPECT_TRUE(mixer.StopSound(looping));
  EXPECT_EQ(mixer.GetChannelsPlaying(), 0);
  const std::vector<int16_t> tail = Render(mixer, kRamp + 2);
  EXPECT_NE(tail[0], 0);
  EXPECT_EQ(tail[2 * kRamp], 0);
  EXPECT_EQ(tail[2 * kRamp + 2], 0);
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

TEST(Mixer, PausedChannelsFadeOutHoldTheirPlaceAndStillCount) {
  Mixer mixer(kRate, 2);
  std::vector<int16_t> ramp(1000);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<int16_t>(10 * i);
  const int channel = mixer.PlaySound(kFreeChannel, Mono(mixer, ramp, false));
  Render(mixer, 100);
  mixer.SetPaused(channel, true);
  // It plays on for the ramp, fading out, then holds: kRamp frames of the sample have passed.
  const std::vector<int16_t> fading = Render(mixer, kRamp + 10);
  EXPECT_GT(fading[0], 900);
  EXPECT_EQ(fading[2 * kRamp], 0);
  EXPECT_EQ(fading[2 * (kRamp + 9)], 0);
  EXPECT_EQ(mixer.GetChannelsPlaying(), 1);
  mixer.SetPaused(channel, false);
  const std::vector<int16_t> out = Render(mixer, kRamp + 1);
  EXPECT_LT(out[0], 100) << "unpaused, it fades in";
  EXPECT_EQ(out[2 * kRamp], 10 * (100 + kRamp - 1 + kRamp)) << "from where the fade left it";

  // Paused before anything of it was heard, a sound is silent from the start.
  const int quiet = mixer.PlaySound(kFreeChannel, Mono(mixer, {5000, 5000, 5000}, true));
  mixer.SetPaused(quiet, true);
  mixer.StopSound(channel);
  Render(mixer, kRamp);
  EXPECT_EQ(Render(mixer, 2), (std::vector<int16_t>{0, 0, 0, 0}));
}

TEST(Mixer, MixesChannelsLimitsTheSumBelowFullScaleAndKeepsStereoSides) {
  Mixer mixer(kRate, 8);
  // Four loud sounds at once would sum to four times full scale.
  std::vector<int16_t> loud(kRate / 4);
  for (size_t i = 0; i < loud.size(); ++i) loud[i] = static_cast<int16_t>(i % 2 == 0 ? 30000 : -30000);
  for (int i = 0; i < 4; ++i) mixer.PlaySound(kFreeChannel, Mono(mixer, loud, false));
  const std::vector<int16_t> out = Render(mixer, kRate / 4);
  const auto [low, high] = std::minmax_element(out.begin(), out.end());
  EXPECT_LT(*high, 32767);
  EXPECT_GT(*low, -32768);
  EXPECT_GT(out[0], 0);
  EXPECT_LT(out[2], 0) << "the limited signal keeps its sign";
  EXPECT_GT(out.back() * -1, 20000) << "and most of its level";

  // Once the loud sounds are over the gain comes back: a quiet stereo sound plays exactly as it is.
  Render(mixer, kRate);
  SampleData stereo;
  stereo.rate = kRate;
  stereo.channels = 2;
  stereo.samples = {100, -100, 200, -200};
  mixer.PlaySound(kFreeChannel, mixer.CreateSample(stereo, false));
  mixer.PlaySound(kFreeChannel, mixer.CreateSample(stereo, false));
  EXPECT_EQ(Render(mixer, 2), (std::vector<int16_t>{200, -200, 400, -400}));
}

TEST(Mixer, ASecondStartOfAnUnheardOneShotIsMergedIntoTheFirst) {
  Mixer mixer(kRate, 8);
  const SampleId crash = Mono(mixer, std::vector<int16_t>(100, 10000), false);
  const SampleId engine = Mono(mixer, std::vector<int16_t>(100, 1000), true);
  // Two wheels and the body start the same crash in one frame, each at its own volume.
  const int first = mixer.PlaySound(kFreeChannel, crash);
  mixer.SetVolume(first, 100);
  const int second = mixer.PlaySound(kFreeChannel, crash);
  mixer.SetVolume(second, 200);
  const int third = mixer.PlaySound(kFreeChannel, crash);
  mixer.SetVolume(third, 150);
  mixer.SetPriority(third, 30);
  EXPECT_EQ(second, first);
  EXPECT_EQ(third, first);
  EXPECT_EQ(mixer.GetVolume(first), 200) << "the loudest request wins";
  // Loops are never merged: two cars' engines are two sounds.
  const int engineA = mixer.PlaySound(kFreeChannel, engine);
  const int engineB = mixer.PlaySound(kFreeChannel, engine);
  EXPECT_NE(engineA, engineB);
  EXPECT_EQ(mixer.GetChannelsPlaying(), 3);
  std::vector<int16_t> out = Render(mixer, 1);
  EXPECT_NEAR(out[0], 10000.0 * 200 / 255.0 + 2 * 1000.0 / kRamp, 1.0) << "the engines fading in";

  // Once heard, a new start is a new sound at its own place; a named channel is always started.
  const int later = mixer.PlaySound(kFreeChannel, crash);
  EXPECT_NE(later, first);
  const int named = mixer.PlaySound(7, crash);
  EXPECT_EQ(mixer.PlaySound(6, crash) % platform::audio::kMaxChannelCount, 6);
  EXPECT_NE(named, later);
  for (const auto& [sample, starts] : mixer.SampleStarts()) {
    if (sample == crash) {
      EXPECT_EQ(starts, 4u) << "the merged starts started nothing";
    }
  }
}

// What a player hears at each early end, pause, resume and volume change: never a step, only a ramp.
TEST(Mixer, StopsPausesAndVolumeChangesRampInsteadOfStepping) {
  constexpr int kLevel = 20000;
  struct Case {
    const char* what;
    std::function<void(Mixer&, int channel, SampleId sample)> act;
  };
  const Case cases[] = {
      {"stop", [](Mixer& m, int c, SampleId) { m.StopSound(c); }},
      {"pause", [](Mixer& m, int c, SampleId) { m.SetPaused(c, true); }},
      {"free the sample", [](Mixer& m, int, SampleId s) { m.FreeSample(s); }},
      {"effects master to 0", [](Mixer& m, int, SampleId) { m.SetSfxMasterVolume(0); }},
      {"volume to 0", [](Mixer& m, int c, SampleId) { m.SetVolume(c, 0); }},
      {"stolen by a new sound", [](Mixer& m, int, SampleId) {
         m.PlaySound(0, m.CreateSample(SampleData{kRate, 1, std::vector<int16_t>(100, 0)}, false));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Mixer mixer(kRate, 1);
    const SampleId sample = Mono(mixer, {kLevel}, true);
    const int channel = mixer.PlaySound(kFreeChannel, sample);
    const std::vector<int16_t> before = Render(mixer, 2 * kRamp);
    ASSERT_EQ(before.back(), kLevel);
    c.act(mixer, channel, sample);
    const std::vector<int16_t> after = Render(mixer, 2 * kRamp);
    EXPECT_LE(LargestStep(before.back(), after), kLevel / kRamp + 2);
    EXPECT_EQ(after.back(), 0);
  }

  // Resuming the game unpauses the music and gives the effects their master volume back: both come back up
  // the same way.
  Mixer mixer(kRate, 2);
  const int music = mixer.PlaySound(kFreeChannel, Mono(mixer, {kLevel / 2}, true));
  mixer.SetVolumeAbsolute(music, 255);
  mixer.PlaySound(kFreeChannel, Mono(mixer, {kLevel / 2}, true));
  mixer.SetPaused(music, true);
  mixer.SetSfxMasterVolume(0);
  Render(mixer, 2 * kRamp);
  mixer.SetPaused(music, false);
  mixer.SetSfxMasterVolume(255);
  const std::vector<int16_t> after = Render(mixer, 2 * kRamp);
  EXPECT_LE(LargestStep(0, after), kLevel / kRamp + 2);
  EXPECT_EQ(after.back(), kLevel);
}

TEST(Mixer, RecordingKeepsWhatTheNullOutputRendered) {
  Mixer mixer(kRate, 2);
  mixer.PlaySound(kFreeChannel, Mono(mixer, {1000, 2000}, true));
  mixer.Advance(0.01);
  EXPECT_TRUE(mixer.TakeRecording().empty()) << "nothing is kept until asked";
  mixer.SetRecording(true);
  mixer.Advance(0.5);
  const std::vector<int16_t> recorded = mixer.TakeRecording();
  ASSERT_EQ(recorded.size(), static_cast<size_t>(kRate / 2 * 2));
  EXPECT_EQ(std::abs(recorded[0] - recorded[2]), 1000);
  EXPECT_EQ(recorded[0], recorded[1]);
  EXPECT_TRUE(mixer.TakeRecording().empty()) << "taken once";
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
