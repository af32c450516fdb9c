// The CD player on a drive that lags: a stand-in disc whose opens and reads wait for the test's say-so. The music
// holds while the reader is behind and goes on where it stopped, the effects play on meanwhile, and the player's
// end does not wait for a drive stuck in an open or a read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio/cd_audio.h"

namespace {

using platform::audio::CdAudio;
using platform::audio::CdDisc;
using platform::audio::kCdFramesPerSector;
using platform::audio::Mixer;

constexpr int kRate = platform::audio::kCdSampleRate;
constexpr int kTrackSectors = 30 * platform::audio::kCdReadSectors;
constexpr int kTrackFrames = kTrackSectors * kCdFramesPerSector;
constexpr int kBlock = 1024;  // frames per audio callback
constexpr int kEvery = 1 << 30;

// The left side of the track's frame f: never 0, and one unit from either neighbour, so that a frame lost or
// played twice, or a cut without a fade, shows.
int16_t Tone(int f) { return static_cast<int16_t>(1000 + std::abs(f % 8000 - 4000)); }

class LaggingDisc;

// What the test lets through, shared with the discs and with a reader that outlives the player.
struct Drive {
  std::mutex mutex;
  std::condition_variable changed;
  int opensAllowed = kEvery, readsAllowed = kEvery;
  int opens = 0, reads = 0, stuck = 0, discsOpen = 0;
  int openers = 0;  // not yet freed: the player's reader still holds its opener
  const LaggingDisc* reading = nullptr;  // the disc a stuck read is on

  // Counts an open or a read and holds it until the test allows that many.
  void Pass(int& count, const int& allowed, std::unique_lock<std::mutex>& lock) {
    const int number = ++count;
    ++stuck;
    changed.notify_all();
    changed.wait(lock, [&] { return number <= allowed; });
    --stuck;
  }
  void Allow(int opens, int reads) {
    std::lock_guard lock(mutex);
    opensAllowed = opens;
    readsAllowed = reads;
    changed.notify_all();
  }
  template <typename Done>
  void WaitUntil(Done done) {
    std::unique_lock lock(mutex);
    changed.wait(lock, done);
  }
};

// One audio track of kTrackSectors; its reads ignore the stop flag, as a drive deep in a scratch's retries does.
class LaggingDisc final : public CdDisc {
 public:
  explicit LaggingDisc(std::shared_ptr<Drive> drive) : drive_(std::move(drive)) {
    std::lock_guard lock(drive_->mutex);
    ++drive_->discsOpen;
  }
  ~LaggingDisc() override {
    std::lock_guard lock(drive_->mutex);
    --drive_->discsOpen;
    drive_->changed.notify_all();
  }
  int TrackCount() const override { return 1; }
  bool IsAudioTrack(int track) const override { return track == 1; }
  int32_t FirstSector(int) const override { return 0; }
  int32_t SectorCount(int) const override { return kTrackSectors; }
  int ReadSectors(int32_t sector, int count, int16_t* frames) override {
    {
      std::unique_lock lock(drive_->mutex);
      drive_->reading = this;
      drive_->Pass(drive_->reads, drive_->readsAllowed, lock);
      drive_->reading = nullptr;
    }
    for (int f = 0; f < count * kCdFramesPerSector; ++f) {
      frames[2 * f] = Tone(sector * kCdFramesPerSector + f);
      frames[2 * f + 1] = 0;
    }
    return count;
  }
  bool StopAskedNow() const { return StopAsked(); }

 private:
  std::shared_ptr<Drive> drive_;
};

platform::audio::CdOpener LaggingOpener(const std::shared_ptr<Drive>& drive) {
  struct Lease {
    explicit Lease(std::shared_ptr<Drive> d) : drive(std::move(d)) {
      std::lock_guard lock(drive->mutex);
      ++drive->openers;
    }
    ~Lease() {
      std::lock_guard lock(drive->mutex);
      --drive->openers;
      drive->changed.notify_all();
    }
    std::shared_ptr<Drive> drive;
  };
  return [lease = std::make_shared<Lease>(drive)](const std::string&) -> std::unique_ptr<CdDisc> {
    Drive& drive = *lease->drive;
    {
      std::unique_lock lock(drive.mutex);
      drive.Pass(drive.opens, drive.opensAllowed, lock);
    }
    return std::make_unique<LaggingDisc>(lease->drive);
  };
}

TEST(CdSlowDrive, TheMusicHoldsWhileTheReaderIsBehindAndGoesOnWhereItStopped) {
  auto drive = std::make_shared<Drive>();
  // Enough for the track to start (a read is a tenth of a second), then the drive stalls on the next read.
  const int startReads = 15;
  drive->Allow(kEvery, startReads);
  Mixer mixer(kRate, 4);
  CdAudio cd(mixer, LaggingOpener(drive), "");
  cd.GetNumTracks();
  cd.WaitForDetection();
  cd.SetPlayMode(platform::audio::CdPlayMode::kOnce);
  ASSERT_TRUE(cd.Play(1));
  drive->WaitUntil([&] { return drive->stuck == 1 && drive->reads == startReads + 1; });
  // An engine loop on the right; the CD plays its left side only.
  platform::audio::SampleData engine{kRate, 1, std::vector<int16_t>(100, 3000)};
  const int engineChannel = mixer.PlaySound(platform::audio::kFreeChannel, mixer.CreateSample(engine, true));
  mixer.SetPan(engineChannel, platform::audio::kPanRight);
  std::vector<int16_t> block(2 * kBlock);
  mixer.Render(block.data(), kBlock);  // the loop fades in
  cd.Update();
  ASSERT_NE(cd.Channel(), platform::audio::kNoChannel);

  std::vector<int16_t> heard;  // the CD's side
  auto mix = [&] {
    mixer.Render(block.data(), kBlock);
    int engineFrames = 0, cdFrames = 0;
    for (int f = 0; f < kBlock; ++f) {
      heard.push_back(block[2 * f]);
      engineFrames += block[2 * f + 1] == 3000;
      cdFrames += block[2 * f] != 0;
    }
    EXPECT_EQ(engineFrames, kBlock) << "the engine plays on in every mix";
    return cdFrames;
  };
  // What was read plays out, then the music holds: a whole mix without it, the track neither ended nor dropped.
  const int readFrames = startReads * platform::audio::kCdReadSectors * kCdFramesPerSector;
  for (int mixes = 0; mix() > 0;) ASSERT_LT(++mixes, readFrames / kBlock + 4) << "the music never holds";
  ASSERT_EQ(mix(), 0) << "held";
  cd.Update();
  EXPECT_TRUE(cd.IsPlaying());
  EXPECT_TRUE(mixer.IsPlaying(cd.Channel()));

  // The reader catches up: the very next mix goes on with the music, not with silence queued meanwhile.
  drive->Allow(kEvery, kEvery);
  cd.WaitForReader();
  const size_t resumedAt = heard.size();
  mix();
  EXPECT_NE(heard[resumedAt], 0) << "the music goes on at once";
  for (int m = 0; m < kTrackFrames / kBlock + 4 && cd.IsPlaying(); ++m) {
    mix();
    cd.Update();
  }
  EXPECT_FALSE(cd.IsPlaying()) << "the track ends once all of it is played";

  // With the hold taken out, every frame of the track was heard once, in order, faded only at the hold's edges.
  std::vector<int16_t> music;
  for (int16_t value : heard) {
    if (value != 0) music.push_back(value);
  }
  ASSERT_EQ(music.size(), static_cast<size_t>(kTrackFrames));
  int louder = 0, faded = 0, largestStep = 0;
  for (int f = 0; f < kTrackFrames; ++f) {
    louder += music[f] > Tone(f);
    faded += music[f] < Tone(f);
  }
  // The track's own start and end are not the hold's: its first frame and the step after its last are left out.
  for (size_t f = 1; f < std::min(heard.size(), resumedAt + kRate / 10); ++f) {
    largestStep = std::max(largestStep, std::abs(heard[f] - heard[f - 1]));
  }
  const int ramp = static_cast<int>(std::lround(platform::audio::kRampSeconds * kRate));
  EXPECT_EQ(louder, 0);
  EXPECT_LE(faded, 2 * (ramp + 2)) << "faded only over the two ramps";
  EXPECT_LT(largestStep, 100) << "the hold fades out and in rather than clicking";
}

TEST(CdSlowDrive, ThePlayersEndDoesNotWaitForADriveThatIsStuck) {
  struct Case {
    const char* what;
    int opensAllowed;
    int readsAllowed;
    bool play;
    int reads;  // started before the end: none follows it
  } cases[] = {
      {"a detection the drive has not answered", 0, kEvery, false, 0},
      {"a track's open while the disc spins up", 1, kEvery, true, 0},
      {"a read deep in a scratch's retries", kEvery, 0, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto drive = std::make_shared<Drive>();
    drive->Allow(c.opensAllowed, c.readsAllowed);
    auto mixer = std::make_unique<Mixer>(kRate, 4);
    auto cd = std::make_unique<CdAudio>(*mixer, LaggingOpener(drive), "");
    cd->GetNumTracks();
    if (c.play) {
      cd->WaitForDetection();
      ASSERT_TRUE(cd->Play(1));
    }
    drive->WaitUntil([&] { return drive->stuck == 1; });
    cd.reset();  // returns with the drive still stuck
    if (c.reads > 0) {
      std::lock_guard lock(drive->mutex);
      ASSERT_NE(drive->reading, nullptr);
      EXPECT_TRUE(drive->reading->StopAskedNow()) << "the read was asked to give up at its next sector";
    }
    // The drive answers at last, with the mixer gone too: the reader left behind closes the disc without reading
    // on, and frees all it held (sanitizers catch it touching what the player or the mixer owned).
    mixer.reset();
    drive->Allow(kEvery, kEvery);
    drive->WaitUntil([&] { return drive->openers == 0; });
    std::lock_guard lock(drive->mutex);
    EXPECT_EQ(drive->discsOpen, 0);
    EXPECT_EQ(drive->reads, c.reads);
  }
}

}  // namespace
