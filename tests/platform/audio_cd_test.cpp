// Music from an audio CD through the libcdio back end, on BIN/CUE images the test writes: tracks counted, the
// chosen track heard at its own tone, the play modes' follow-on, pause and resume with the mixer's ramp, stop,
// a data disc, an image cut short, and a read asked to stop.
#include "platform/audio/cd_audio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "contentgen/cd_image.h"
#include "platform/os.h"
#include "sound_capture/sound_capture.h"

namespace {

namespace fs = std::filesystem;
using platform::audio::CdAudio;
using platform::audio::CdPlayMode;
using platform::audio::kCdFramesPerSector;
using platform::audio::Mixer;

constexpr int kRate = platform::audio::kCdSampleRate;
constexpr double kStep = 0.05;  // seconds of sound per frame of the test
constexpr int kAmplitude = 8000;
// Each track its own tone, far enough apart for a zero-crossing count to tell them.
constexpr double kTones[] = {441.0, 630.0, 882.0};
constexpr double kTrackSeconds = 2.0;

class CdMusic : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("corsaire_cd_" + std::to_string(std::random_device{}()));
    fs::create_directories(folder_);
    for (double hertz : kTones) tracks_.push_back({contentgen::CdTone(hertz, kTrackSeconds, kAmplitude), true});
    disc_ = contentgen::WriteCdImage((folder_ / "disc").string(), tracks_);
    ASSERT_FALSE(disc_.empty());
    mixer_.SetRecording(true);
  }
  void TearDown() override {
    cd_.reset();
    fs::remove_all(folder_);
  }

  CdAudio& Open(const std::string& image) {
    cd_ = std::make_unique<CdAudio>(mixer_, platform::audio::OpenCdioDisc, image);
    cd_->GetNumTracks();
    cd_->WaitForDetection();
    return *cd_;
  }
  // Frames of the game: the reader done with what it may read, the player's update, then a frame of sound.
  void Run(double seconds) {
    for (double t = 0; t < seconds - 1e-9; t += kStep) {
      cd_->WaitForReader();
      cd_->Update();
      mixer_.Advance(kStep);
      const std::vector<int16_t> block = mixer_.TakeRecording();
      heard_.insert(heard_.end(), block.begin(), block.end());
      tracksHeard_.push_back(cd_->GetTrack());
    }
  }
  size_t FramesHeard() const { return heard_.size() / 2; }
  double HertzOver(size_t from, size_t to) const { return sound_capture::ToneHertz(heard_, kRate, from, to); }
  // The tracks in the order they played, each once per stretch.
  std::vector<int> TrackOrder() const {
    std::vector<int> order;
    for (int track : tracksHeard_) {
      if (track != 0 && (order.empty() || order.back() != track)) order.push_back(track);
    }
    return order;
  }

  fs::path folder_;
  std::vector<contentgen::CdImageTrack> tracks_;
  std::string disc_;
  Mixer mixer_{kRate, 8};
  std::unique_ptr<CdAudio> cd_;
  std::vector<int16_t> heard_;
  std::vector<int> tracksHeard_;
};

TEST_F(CdMusic, CountsTheTracksOfAnAudioDiscAndNoneWithoutOne) {
  const std::string data = contentgen::WriteCdImage((folder_ / "data").string(), {{std::vector<int16_t>(588 * 2 * 300), false}});
  const std::string cut = contentgen::WriteCdImage((folder_ / "cut").string(), tracks_, 200);
  struct Case {
    const char* what;
    std::string device;
    int tracks;
  } cases[] = {
      {"three audio tracks", disc_, 3},
      {"a data disc", data, 0},
      {"an image cut short still lists its tracks", cut, 3},
      {"a device that is not there", (folder_ / "missing.cue").string(), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CdAudio& cd = Open(c.device);
    EXPECT_EQ(cd.GetNumTracks(), c.tracks);
    EXPECT_EQ(cd.Play(1), c.tracks > 0) << "a track plays only from a disc";
  }
  CdAudio none(mixer_, platform::audio::OpenNoDisc, disc_);
  none.GetNumTracks();
  none.WaitForDetection();
  EXPECT_EQ(none.GetNumTracks(), 0) << "the null back end never has a disc";
}

TEST_F(CdMusic, TheChosenTrackPlaysSampleForSampleAtItsTone) {
  CdAudio& cd = Open(disc_);
  cd.SetPlayMode(CdPlayMode::kOnce);
  ASSERT_TRUE(cd.Play(2));
  EXPECT_FALSE(cd.Play(4)) << "past the last track";
  EXPECT_EQ(cd.GetTrack(), 2);
  Run(1.0);
  ASSERT_NE(cd.Channel(), platform::audio::kNoChannel);
  // The first frame heard is the track's first: CD audio is at the mixer's own rate, at full volume.
  const auto start = static_cast<size_t>(std::find_if(heard_.begin(), heard_.end(), [](int16_t s) { return s != 0; }) -
                                         heard_.begin()) / 2;
  ASSERT_LT(start, FramesHeard());
  const std::vector<int16_t>& track = tracks_[1].frames;
  // The very first frame is the tone's zero: compare from where the recording starts hearing the track.
  const size_t offset = 1;
  ASSERT_EQ(heard_[2 * start], track[2 * offset]);
  int mismatches = 0;
  for (size_t f = start; f < FramesHeard(); ++f) {
    mismatches += heard_[2 * f] != track[2 * (f - start + offset)] || heard_[2 * f + 1] != track[2 * (f - start + offset) + 1];
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_NEAR(HertzOver(start, FramesHeard()), kTones[1], 1.0);

  // A lower volume ramps down to its level: the tone's peaks shrink to half.
  cd.SetVolume(128);
  const size_t from = FramesHeard();
  Run(0.2);
  const sound_capture::CaptureFigures figures = sound_capture::Measure(heard_, kRate, from + kRate / 20);
  EXPECT_NEAR(figures.peak, kAmplitude * 128 / 255, 40);
}

TEST_F(CdMusic, ContinuousPlayGoesOnToTheNextTrackAndWrapsToTheFirst) {
  CdAudio& cd = Open(disc_);
  cd.SetPlayMode(CdPlayMode::kContinuous);
  ASSERT_TRUE(cd.Play(2));
  Run(3 * kTrackSeconds + 1.0);
  const std::vector<int> order = TrackOrder();
  ASSERT_GE(order.size(), 3u);
  EXPECT_EQ(std::vector<int>(order.begin(), order.begin() + 3), (std::vector<int>{2, 3, 1}));
  // Each stretch of the recording carries its track's tone.
  for (int track : {2, 3, 1}) {
    SCOPED_TRACE(track);
    const auto first = std::find(tracksHeard_.begin(), tracksHeard_.end(), track) - tracksHeard_.begin();
    // A second into the stretch: the track is handed to the mixer in the frame after it is read.
    const auto from = static_cast<size_t>((static_cast<double>(first) * kStep + 0.5) * kRate);
    EXPECT_NEAR(HertzOver(from, from + kRate), kTones[track - 1], 1.0);
  }
}

TEST_F(CdMusic, RandomPlayNeverPicksTheLastTrack) {
  std::vector<contentgen::CdImageTrack> shortTracks;
  for (int t = 0; t < 4; ++t) shortTracks.push_back({contentgen::CdTone(300.0 + 100 * t, 0.2, kAmplitude), true});
  CdAudio& cd = Open(contentgen::WriteCdImage((folder_ / "short").string(), shortTracks));
  ASSERT_EQ(cd.GetNumTracks(), 4);
  platform::CrtSeed(12345);
  cd.SetPlayMode(CdPlayMode::kRandom);
  ASSERT_TRUE(cd.Play(1));
  Run(12.0);
  const std::set<int> played(tracksHeard_.begin(), tracksHeard_.end());
  EXPECT_EQ(played.count(4), 0u) << "the last track is never drawn";
  EXPECT_EQ(played, (std::set<int>{1, 2, 3})) << "every other track comes up";
  EXPECT_GE(TrackOrder().size(), 10u) << "a random track follows every end";
}

TEST_F(CdMusic, PauseFadesOutAndResumeGoesOnWhereItStopped) {
  CdAudio& cd = Open(disc_);
  ASSERT_TRUE(cd.Play(1));
  Run(0.5);
  const size_t pausedAt = FramesHeard();
  cd.SetPaused(true);
  EXPECT_TRUE(cd.GetPaused());
  Run(0.3);
  cd.SetPaused(false);
  Run(0.5);
  const sound_capture::CaptureFigures figures = sound_capture::Measure(heard_, kRate, pausedAt);
  ASSERT_EQ(figures.silences.size(), 1u);
  const sound_capture::Silence& silence = figures.silences[0];
  // The fade takes the mixer's ramp: a step of a few units, not the tone's thousands.
  EXPECT_LT(silence.stepIn, 300);
  EXPECT_LT(silence.stepOut, 300);
  EXPECT_GT(silence.frames, static_cast<size_t>(0.25 * kRate));
  // With the silence taken out, what is heard is the track without a frame lost or repeated: the tone keeps
  // its phase, so the sound after the fade-in matches the track at the position the fade-out reached.
  const size_t silenceStart = silence.startFrame;
  const size_t silenceEnd = silence.startFrame + silence.frames;
  const auto firstSound = static_cast<size_t>(std::find_if(heard_.begin(), heard_.end(), [](int16_t s) { return s != 0; }) -
                                              heard_.begin()) / 2;
  const size_t position = silenceStart - firstSound + 1;  // track frames played before the hold
  const size_t check = silenceEnd + static_cast<size_t>(0.02 * kRate);  // past the fade-in
  const std::vector<int16_t>& track = tracks_[0].frames;
  int mismatches = 0;
  for (size_t f = check; f < check + 2000; ++f) mismatches += heard_[2 * f] != track[2 * (position + f - silenceEnd)];
  EXPECT_EQ(mismatches, 0);
  // A track started while paused is heard.
  cd.SetPaused(true);
  ASSERT_TRUE(cd.Play(2));
  EXPECT_FALSE(cd.GetPaused());
  const size_t restarted = FramesHeard();
  Run(0.5);
  EXPECT_NEAR(HertzOver(restarted + kRate / 10, FramesHeard()), kTones[1], 1.0);
}

TEST_F(CdMusic, StopEndsTheMusicWithAFade) {
  CdAudio& cd = Open(disc_);
  ASSERT_TRUE(cd.Play(3));
  Run(0.5);
  const int channel = cd.Channel();
  const size_t stoppedAt = FramesHeard();
  cd.Stop();
  EXPECT_FALSE(cd.IsPlaying());
  EXPECT_EQ(cd.GetTrack(), 0);
  Run(1.0);
  EXPECT_FALSE(mixer_.IsPlaying(channel));
  const sound_capture::CaptureFigures figures = sound_capture::Measure(heard_, kRate, stoppedAt);
  ASSERT_EQ(figures.silences.size(), 1u);
  EXPECT_LT(figures.silences[0].stepIn, 300) << "the stop fades";
  EXPECT_EQ(figures.silences[0].startFrame + figures.silences[0].frames, FramesHeard()) << "silent to the end";
}

TEST_F(CdMusic, AnImageCutShortEndsTheTrackThereAndPlayGoesOn) {
  // The file stops 60 sectors into track 2; track 3 lies wholly past its end.
  const int cutAt = contentgen::CdImageTrackSectors(tracks_)[1] + 60;
  CdAudio& cd = Open(contentgen::WriteCdImage((folder_ / "cut").string(), tracks_, cutAt));
  cd.SetPlayMode(CdPlayMode::kContinuous);
  ASSERT_TRUE(cd.Play(2));
  Run(2.5);
  ASSERT_GE(TrackOrder().size(), 2u);
  EXPECT_EQ(TrackOrder()[0], 2);
  EXPECT_EQ(TrackOrder().back(), 1) << "on past the unreadable track to the first";
  // Track 2 is heard for the 60 sectors the image holds, then track 1's tone follows.
  const auto firstSound = static_cast<size_t>(std::find_if(heard_.begin(), heard_.end(), [](int16_t s) { return s != 0; }) -
                                              heard_.begin()) / 2;
  const size_t trackTwoFrames = 60 * kCdFramesPerSector;
  EXPECT_NEAR(HertzOver(firstSound, firstSound + trackTwoFrames - 10), kTones[1], 1.0);
  const sound_capture::CaptureFigures after = sound_capture::Measure(heard_, kRate, firstSound + trackTwoFrames - 1);
  ASSERT_FALSE(after.silences.empty());
  const size_t resumed = after.silences[0].startFrame + after.silences[0].frames;
  EXPECT_LT(resumed - (firstSound + trackTwoFrames), static_cast<size_t>(0.2 * kRate)) << "no stall at the cut";
  EXPECT_NEAR(HertzOver(resumed, resumed + kRate / 2), kTones[0], 1.0);
}

TEST_F(CdMusic, AReadAskedToStopGivesUpBeforeItsNextSector) {
  std::atomic<bool> stop{true};
  const std::unique_ptr<platform::audio::CdDisc> disc = platform::audio::OpenCdioDisc(disc_);
  ASSERT_NE(disc, nullptr);
  disc->SetStopFlag(&stop);
  const int sectors = platform::audio::kCdReadSectors;
  std::vector<int16_t> frames(static_cast<size_t>(sectors) * kCdFramesPerSector * 2);
  EXPECT_EQ(disc->ReadSectors(disc->FirstSector(1), sectors, frames.data()), 0);
  stop = false;
  EXPECT_EQ(disc->ReadSectors(disc->FirstSector(1), sectors, frames.data()), sectors) << "a read not stopped reads on";
}

}  // namespace
