// The sound system: the mixer's start and stop, the master, effects and music volumes from the settings, and
// the music: files streamed from a folder as a playlist, or the tracks of an audio CD.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <memory>

#include "platform/audio/cd_audio.h"
#include "platform/audio/mixer.h"

namespace app {

class Settings;

// The playlist walk's limits: entries counted over the whole walk, and folder levels (the given one included).
constexpr int kMusicEntryLimit = 500;
constexpr int kMusicFolderDepth = 3;
// The music start is tried again at most this often while nothing plays.
constexpr double kMusicRetrySeconds = 1.0;

class SoundSystem {
 public:
  // Seeds the game's random generator, once, before the first random music choice.
  using SeedSource = std::function<uint32_t()>;

  // programFolder ends with its separator. Plays through the game's mixer, opening its output (the null
  // output without a device) and seeding from the clock; CD music comes from the drive or image the player
  // chose (platform::audio::ChosenCdDevice), else the default drive.
  SoundSystem(Settings& settings, std::string programFolder);
  // Plays through the given mixer, whose output stays the caller's business; CD music from the disc `cdOpener`
  // opens for `cdDevice` (none without an opener).
  SoundSystem(Settings& settings, std::string programFolder, platform::audio::Mixer& mixer, SeedSource seedSource,
              platform::audio::CdOpener cdOpener = {}, std::string cdDevice = "");
  ~SoundSystem();
  SoundSystem(const SoundSystem&) = delete;
  SoundSystem& operator=(const SoundSystem&) = delete;

  // Takes changed volume settings, forgets a failed MP3 folder once its settings change, closes a stream that
  // reached its end (the stream queued after it, if any, plays on in its place), and moves the null output on.
  void Update(float frameTime);
  void ApplyVolumes();
  void Pause();
  void Resume();

  // floor(value / 100 · masterVolume / 100 · 255 + 0.5), in floats: the mixer's 0-255 volume of a setting.
  int Level(int value) const;

  // Audio CD. The track count comes from the CD player's detection (never a wait on the drive); a disc counts
  // as present with more than one track. Both plays need a present disc and a music volume above 0, and stop
  // any music stream: PlayCdTrack draws a track other than the last and plays on at random, PlayNextCdTrack
  // plays cdTrack and the tracks after it in order.
  int GetCdTrackCount();
  void PlayCdTrack();
  void PlayNextCdTrack();
  platform::audio::CdAudio& Cd() { return *cd_; }

  bool IsMusicPlaying() const;
  void StopMusic();
  void SetPlayFirstFile(bool flag) { playFirstFile = flag; }
  // Chooses a file of the folder (the first with playFirstFile, else the playlist order below) and streams it
  // once. False for an empty folder name or a folder without music.
  bool PlayMusicFolder(const std::string& folder);
  // Streams one file (relative to the program folder) once or looping; nothing while the music volume is 0.
  void PlayMusicFile(const std::string& path, bool loop);
  // MP3 and OGG files of the folder and up to two levels below it, in folder order, stopping after
  // kMusicEntryLimit entries.
  static std::vector<std::string> ListMusicFiles(const std::string& folder);

  // The music start: the MP3MUSIC folder when chosen (a folder that has no music now is skipped for this run,
  // the setting itself kept), else CD music when asked and present, else the game's own MUSIC folder.
  void StartMusic(bool playFirst);
  // StartMusic while nothing plays, at most once every kMusicRetrySeconds of the given clock (seconds). While a
  // stream plays its last decoded stretch, the music start is made once ahead of time and its file queued, so
  // it follows the ending stream without a gap.
  void KeepMusicPlaying(double nowSeconds, bool playFirst);

  int masterVolume = 60;
  int sfxVolume = 100;
  int musicVolume = 100;
  bool paused = false;
  bool initialised = false;
  bool playFirstFile = false;
  platform::audio::StreamId musicStream = platform::audio::kNoStream;
  int musicChannel = platform::audio::kNoChannel;
  std::string musicFile;  // the last file a stream was started from
  // The stream queued to follow musicStream, and its file.
  platform::audio::StreamId nextStream = platform::audio::kNoStream;
  std::string nextFile;
  int playlistIndex = 0;
  bool cdPresent = false;
  int cdTrackCount = 0;
  int cdTrack = 1;
  bool cdPlaying = false;
  // The chosen MP3 folder had no music at a start of this run; forgotten once the player picks another folder or
  // switches MP3 music off or on.
  bool mp3FolderFailed = false;

 private:
  void CloseMusicStream();
  void CloseNextStream();
  void SeedOnce();
  void StopCd();
  // floor(musicVolume / 100 · 255 + 0.5): the CD volume a play starts at, before the volumes are applied.
  int CdStartVolume() const;

  Settings& settings_;
  std::string programFolder_;
  platform::audio::Mixer& mixer_;
  std::unique_ptr<platform::audio::CdAudio> cd_;
  SeedSource seedSource_;
  bool seeded_ = false;
  bool ownsOutput_ = false;
  std::string failedFolder_;
  int failedMp3Music_ = 0;
  bool startAttempted_ = false;
  bool queueing_ = false;           // the music start being made queues its file instead of playing it
  bool followUpTried_ = false;      // the music start was made ahead for the playing stream
  double lastStartAttempt_ = 0;
};

}  // namespace app
