// The CD player: a reader thread that detects the disc and reads the playing track ahead into memory, and the
// mixer stream that plays what it read.
#include "platform/audio/cd_audio.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/os.h"

namespace platform::audio {
namespace {

constexpr size_t kStartBufferFrames = static_cast<size_t>(kCdStartBufferSeconds * kCdSampleRate);
constexpr size_t kReadAheadFrames = static_cast<size_t>(kCdReadAheadSeconds * kCdSampleRate);

}  // namespace

struct CdAudio::Session {
  explicit Session(int number) : track(number) {}
  const int track;
  // Under Shared::mutex.
  std::deque<int16_t> samples;  // read and not yet taken by the mixer, interleaved stereo
  int64_t framesRead = 0;
  bool ended = false;      // the reader has read the whole track, or as much as the disc gives
  bool cancelled = false;  // stopped: the reader drops it
  int32_t nextSector = 0;
  int32_t endSector = 0;
  bool started = false;  // the reader opened the disc for it
  bool noDisc = false;   // the drive had no disc (taken out while playing)
  size_t Buffered() const { return samples.size() / 2; }
};

struct CdAudio::Shared {
  CdOpener opener;
  std::string device;
  std::mutex mutex;
  std::condition_variable wake;      // the reader has something to do
  std::condition_variable finished;  // a detection or a read finished
  bool quit = false;
  bool readerDone = false;  // the reader has let the drive go and returns
  // Raised to cut short a read whose track was stopped, or at the player's end; the disc checks it between
  // sectors. The reader lowers it, under the mutex, before each read of a track still wanted.
  std::atomic<bool> stopRead{false};
  bool detectRequested = false;
  bool detecting = false;
  uint64_t detectionsDone = 0;
  int detectedTracks = 0;
  std::shared_ptr<Session> session;  // the track to read
  bool ReaderIdle() const {
    return !detectRequested && !detecting &&
           (session == nullptr || session->ended || session->cancelled || session->Buffered() >= kReadAheadFrames);
  }
};

// The mixer's view of a track: the frames the reader has read, taken in order. It runs in the audio callback
// under the mixer's lock, so it never waits for the reader: the reader holds the mutex only between reads.
class CdAudio::TrackDecoder final : public StreamDecoder {
 public:
  TrackDecoder(std::shared_ptr<Shared> shared, std::shared_ptr<Session> session)
      : shared_(std::move(shared)), session_(std::move(session)) {}
  int Rate() const override { return kCdSampleRate; }
  int Channels() const override { return 2; }
  int Read(int16_t* frames, int maxFrames) override {
    waiting_ = false;
    if (maxFrames <= 0) return 0;
    std::lock_guard lock(shared_->mutex);
    Session& session = *session_;
    if (session.samples.empty()) {
      if (session.ended || session.cancelled) return 0;
      // The reader fell behind (a scratch, a drive spinning up): nothing for now. The mixer holds the music
      // where it is rather than ending it, and it goes on from there once the reader catches up.
      waiting_ = true;
      shared_->wake.notify_all();
      return 0;
    }
    const size_t count = std::min(static_cast<size_t>(maxFrames), session.Buffered());
    std::copy_n(session.samples.begin(), count * 2, frames);
    session.samples.erase(session.samples.begin(), session.samples.begin() + static_cast<std::ptrdiff_t>(count * 2));
    if (session.Buffered() < kReadAheadFrames && !session.ended) shared_->wake.notify_all();
    return static_cast<int>(count);
  }
  bool Waiting() const override { return waiting_; }
  bool Rewind() override { return false; }  // a track that repeats is read again from the disc

 private:
  std::shared_ptr<Shared> shared_;
  std::shared_ptr<Session> session_;
  bool waiting_ = false;
};

CdAudio::CdAudio(Mixer& mixer, CdOpener opener, std::string device) : mixer_(mixer), shared_(std::make_shared<Shared>()) {
  shared_->opener = opener ? std::move(opener) : CdOpener(OpenNoDisc);
  shared_->device = std::move(device);
  reader_ = std::thread(ReaderLoop, shared_);
}

CdAudio::~CdAudio() {
  Stop();
  std::unique_lock lock(shared_->mutex);
  shared_->quit = true;
  shared_->stopRead = true;
  shared_->wake.notify_all();
  // A read cut short between sectors ends well within the wait, and the drive is let go before the game goes on.
  // A drive that holds the reader inside one sector's retries or inside an open cannot be interrupted: the reader
  // is left to finish on its own. It may: it owns the disc and what it shares, never touches the mixer or this
  // player, and once it sees the quit it only closes the disc. Should the process end first, the system closes
  // the drive.
  const bool done = shared_->finished.wait_for(lock, std::chrono::duration<double>(kCdQuitWaitSeconds),
                                               [this] { return shared_->readerDone; });
  lock.unlock();
  if (done) {
    reader_.join();
  } else {
    reader_.detach();
  }
}

void CdAudio::ReaderLoop(std::shared_ptr<Shared> sharedPointer) {
  Shared& shared = *sharedPointer;
  std::unique_ptr<CdDisc> disc;  // the disc the session reads; only this thread touches it
  const CdAudio::Session* discSession = nullptr;
  std::vector<int16_t> block(static_cast<size_t>(kCdReadSectors) * kCdFramesPerSector * 2);
  std::unique_lock lock(shared.mutex);
  while (!shared.quit) {
    if (shared.detectRequested) {
      shared.detectRequested = false;
      shared.detecting = true;
      lock.unlock();
      int tracks = 0;
      if (std::unique_ptr<CdDisc> probe = shared.opener(shared.device)) {
        // A disc without a single audio track (a data disc) plays nothing: it counts as no CD.
        for (int t = 1; t <= probe->TrackCount(); ++t) {
          if (probe->IsAudioTrack(t)) tracks = probe->TrackCount();
        }
      }
      lock.lock();
      shared.detectedTracks = tracks;
      shared.detecting = false;
      ++shared.detectionsDone;
      shared.finished.notify_all();
      continue;
    }
    const std::shared_ptr<Session> session = shared.session;
    if (session == nullptr || session->cancelled || session->ended || session->Buffered() >= kReadAheadFrames) {
      if (discSession != nullptr && discSession != session.get()) {
        // The track the disc was opened for is over: let the drive go.
        lock.unlock();
        disc.reset();
        discSession = nullptr;
        lock.lock();
        continue;
      }
      shared.wake.wait(lock);
      continue;
    }
    if (!session->started) {
      session->started = true;
      lock.unlock();
      if (discSession != session.get()) {
        disc.reset();
        disc = shared.opener(shared.device);
        discSession = session.get();
        if (disc != nullptr) disc->SetStopFlag(&shared.stopRead);
      }
      const bool audio = disc != nullptr && disc->IsAudioTrack(session->track);
      lock.lock();
      session->noDisc = disc == nullptr;
      if (audio) {
        session->nextSector = disc->FirstSector(session->track);
        session->endSector = session->nextSector + disc->SectorCount(session->track);
      }
      if (!audio || session->nextSector >= session->endSector) {
        session->ended = true;
        shared.finished.notify_all();
      }
      continue;
    }
    const int count = std::min(kCdReadSectors, session->endSector - session->nextSector);
    const int32_t from = session->nextSector;
    shared.stopRead = false;  // any stop asked so far was for a track before this one
    lock.unlock();
    const int got = std::clamp(disc->ReadSectors(from, count, block.data()), 0, count);
    lock.lock();
    if (!session->cancelled) {
      session->samples.insert(session->samples.end(), block.begin(),
                              block.begin() + static_cast<std::ptrdiff_t>(got) * kCdFramesPerSector * 2);
      session->framesRead += static_cast<int64_t>(got) * kCdFramesPerSector;
      session->nextSector += got;
      if (got < count) {
        std::printf("cd: track %d cannot be read past sector %d; it ends there\n", session->track, from + got);
      }
      if (got < count || session->nextSector >= session->endSector) session->ended = true;
    }
    shared.finished.notify_all();
  }
  lock.unlock();
  disc.reset();
  lock.lock();
  shared.readerDone = true;
  shared.finished.notify_all();
}

int CdAudio::GetNumTracks() {
  std::unique_lock lock(shared_->mutex);
  if (!shared_->detectRequested && !shared_->detecting) {
    shared_->detectRequested = true;
    shared_->wake.notify_all();
  }
  const uint64_t wanted = shared_->detectionsDone + 1;
  shared_->finished.wait_for(lock, std::chrono::duration<double>(kCdDetectionWaitSeconds),
                             [&] { return shared_->detectionsDone >= wanted; });
  return shared_->detectedTracks;
}

void CdAudio::WaitForDetection() {
  std::unique_lock lock(shared_->mutex);
  shared_->finished.wait(lock, [&] { return !shared_->detectRequested && !shared_->detecting; });
}

void CdAudio::WaitForReader() {
  std::unique_lock lock(shared_->mutex);
  shared_->finished.wait(lock, [&] { return shared_->ReaderIdle(); });
}

bool CdAudio::Play(int track) {
  int tracks = 0;
  {
    std::lock_guard lock(shared_->mutex);
    tracks = shared_->detectedTracks;
  }
  if (track < 1 || track > tracks) return false;
  playTracks_ = tracks;
  paused_ = false;  // a track started is heard, whatever the one before it was doing
  StartSession(track);
  return true;
}

void CdAudio::StartSession(int track) {
  EndSession();
  session_ = std::make_shared<Session>(track);
  {
    std::lock_guard lock(shared_->mutex);
    shared_->session = session_;
  }
  shared_->wake.notify_all();
  track_ = track;
  playing_ = true;
}

void CdAudio::EndSession() {
  if (stream_ != kNoStream) mixer_.CloseStream(stream_);  // fades out
  stream_ = kNoStream;
  channel_ = kNoChannel;
  if (session_ == nullptr) return;
  {
    std::lock_guard lock(shared_->mutex);
    session_->cancelled = true;
    shared_->stopRead = true;  // a read of it on a scratch need not run its retries out
    if (shared_->session == session_) shared_->session.reset();
  }
  shared_->wake.notify_all();
  shared_->finished.notify_all();
  session_.reset();
}

void CdAudio::Stop() {
  EndSession();
  playing_ = false;
  track_ = 0;
}

void CdAudio::SetPaused(bool paused) {
  paused_ = paused;
  if (channel_ != kNoChannel) mixer_.SetPaused(channel_, paused);
}

void CdAudio::SetVolume(int volume) {
  volume_ = std::clamp(volume, 0, kMaxVolume);
  if (channel_ != kNoChannel) mixer_.SetVolumeAbsolute(channel_, volume_);
}

void CdAudio::FollowTrack() {
  int next = 0;
  switch (mode_) {
    case CdPlayMode::kContinuous: next = track_ % std::max(playTracks_, 1) + 1; break;
    case CdPlayMode::kLooped: next = track_; break;
    case CdPlayMode::kOnce: next = 0; break;
    case CdPlayMode::kRandom: next = playTracks_ > 1 ? 1 + CrtRand() % (playTracks_ - 1) : 1; break;
  }
  if (next == 0) {
    Stop();
    return;
  }
  StartSession(next);
}

void CdAudio::Update() {
  if (!playing_ || session_ == nullptr) return;
  if (stream_ == kNoStream) {
    bool ready = false;
    bool empty = false;
    bool noDisc = false;
    {
      std::lock_guard lock(shared_->mutex);
      ready = session_->ended || session_->Buffered() >= kStartBufferFrames;
      empty = session_->ended && session_->framesRead == 0;
      noDisc = session_->noDisc;
    }
    if (noDisc) {
      // The disc was taken out: the player stops rather than trying track after track of nothing.
      Stop();
      return;
    }
    if (empty) {
      // A data track, or one the disc cannot read at all: on to what follows it.
      FollowTrack();
      return;
    }
    if (!ready) return;
    stream_ = mixer_.OpenStream(std::make_unique<TrackDecoder>(shared_, session_), false);
    channel_ = mixer_.PlayStream(kFreeChannel, stream_);
    if (channel_ == kNoChannel) {
      // Every channel busy with something it cannot take over: the track waits for the next frame.
      mixer_.CloseStream(stream_);
      stream_ = kNoStream;
      return;
    }
    mixer_.SetVolumeAbsolute(channel_, volume_);
    if (paused_) mixer_.SetPaused(channel_, true);
    return;
  }
  if (mixer_.IsStreamEnded(stream_)) FollowTrack();
}

}  // namespace platform::audio
