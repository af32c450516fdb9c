// Music from an audio CD: the disc's tracks read off the frame thread and streamed through the mixer's music
// channel (44.1 kHz stereo), with the CD play modes a player knows (continuous, repeat, once, random), pause,
// resume and volume. Nothing here makes a frame wait for a drive: detection and reading run on a reader thread;
// the frame asks for the last answer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "platform/audio/cd_disc.h"
#include "platform/audio/mixer.h"

namespace platform::audio {

enum class CdPlayMode : int {
  kContinuous = 0,  // the next track follows; the first follows the last
  kLooped = 1,      // the track repeats
  kOnce = 2,        // the music stops at the track's end
  kRandom = 3,      // a random track follows (any but the disc's last)
};

// How long a track count waits for the detection it starts: an image or a drive that knows its disc answers in
// less; a drive spinning up answers at a later ask.
constexpr double kCdDetectionWaitSeconds = 0.004;
// A track is handed to the mixer once this much of it is read (or all of it, when shorter).
constexpr double kCdStartBufferSeconds = 1.5;
// The reader keeps at most this much ahead of what the mixer took.
constexpr double kCdReadAheadSeconds = 4.0;
// Sectors per read: a tenth of a second.
constexpr int kCdReadSectors = 8;
// At the player's end the reader gets this long to finish the sector it is on and let the drive go. A drive
// stuck longer (a disc spinning up, a scratch's retries) is left to the reader, which owns all it touches, so
// quitting the game never waits on it.
constexpr double kCdQuitWaitSeconds = 0.25;

class CdAudio {
 public:
  // Reads the disc `device` names (empty: the default drive) through `opener`, playing on `mixer`.
  CdAudio(Mixer& mixer, CdOpener opener, std::string device);
  ~CdAudio();
  CdAudio(const CdAudio&) = delete;
  CdAudio& operator=(const CdAudio&) = delete;

  // The number of tracks of the disc in the drive; 0 when there is no drive, no disc, a disc without an audio
  // track, or a drive that cannot answer. Starts a fresh detection (none runs twice at once) and waits for it
  // at most kCdDetectionWaitSeconds; the answer of the last finished detection otherwise.
  int GetNumTracks();
  // Blocks until the detection running (if any) has finished: for tools and tests.
  void WaitForDetection();

  void SetPlayMode(CdPlayMode mode) { mode_ = mode; }
  CdPlayMode GetPlayMode() const { return mode_; }
  // Starts a track (1 to the count of the last detection) from its beginning, unpaused. False, and nothing
  // plays, for a track outside the disc or when no disc was detected.
  bool Play(int track);
  void Stop();
  // A pause fades the music out and holds its place; resume fades it in from there.
  void SetPaused(bool paused);
  bool GetPaused() const { return paused_; }
  // 0-255, not scaled by any master volume; a playing track moves to it over the mixer's ramp.
  void SetVolume(int volume);
  int GetVolume() const { return volume_; }
  // The track playing (or being read to start), 0 when none.
  int GetTrack() const { return playing_ ? track_ : 0; }
  // False once stopped, after the last track in kOnce mode, or when the disc is found gone.
  bool IsPlaying() const { return playing_; }
  // The mixer's channel playing the track, kNoChannel while it is still being read or when nothing plays.
  int Channel() const { return channel_; }

  // Called every frame: hands a track read far enough to the mixer, and at a track's end goes on as the play
  // mode says. Never waits for the drive; nor does the mixer playing the track: what the reader has not read yet
  // holds the music, which goes on from there once it is read.
  void Update();
  // Blocks until the reader has read all it may for now (the track's start, or as far ahead as it keeps): for
  // tools and tests, so that what the mixer renders next does not depend on the reader thread's speed.
  void WaitForReader();

 private:
  struct Session;
  struct Shared;
  class TrackDecoder;

  static void ReaderLoop(std::shared_ptr<Shared> shared);
  void StartSession(int track);
  void EndSession();
  void FollowTrack();

  Mixer& mixer_;
  // What the reader thread shares with the frame and the mixer's decoder.
  std::shared_ptr<Shared> shared_;
  std::shared_ptr<Session> session_;  // the track being read and played
  std::thread reader_;

  // Frame thread only.
  CdPlayMode mode_ = CdPlayMode::kContinuous;
  int playTracks_ = 0;  // the disc's track count when the track started
  int track_ = 0;
  bool playing_ = false;
  bool paused_ = false;
  int volume_ = kMaxVolume;
  StreamId stream_ = kNoStream;
  int channel_ = kNoChannel;
};

}  // namespace platform::audio
