// Volumes, pause, and the music playlist over the mixer.
#include "app/sound_system.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "app/paths.h"
#include "app/settings.h"
#include "platform/file_system.h"
#include "platform/os.h"

namespace app {
namespace {

uint32_t ClockSeed() {
  const auto& clock = platform::SystemClock();
  return static_cast<uint32_t>(clock.Ticks() * 1000 / std::max<int64_t>(clock.TicksPerSecond(), 1));
}

bool IsMusicName(const std::string& name) {
  if (name.size() <= 4) return false;
  std::string tail = name.substr(name.size() - 3);
  for (char& c : tail) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return tail == "MP3" || tail == "OGG";
}

// One folder of the walk; false once the entry limit is passed (the whole walk stops).
bool ListInto(const std::string& folder, int level, int& entries, std::vector<std::string>& files) {
  // Every folder also holds "." and "..", which count toward the limit like any entry.
  entries += 2;
  if (entries > kMusicEntryLimit) return false;
  for (const platform::FolderEntry& entry : platform::ListFolder(folder)) {
    if (entry.name == "." || entry.name == "..") continue;
    if (++entries > kMusicEntryLimit) return false;
    const std::string path = folder + "/" + entry.name;
    if (entry.isFolder) {
      if (level + 1 < kMusicFolderDepth && !ListInto(path, level + 1, entries, files)) return false;
    } else if (IsMusicName(entry.name)) {
      files.push_back(path);
    }
  }
  return true;
}

}  // namespace

SoundSystem::SoundSystem(Settings& settings, std::string programFolder)
    : SoundSystem(settings, std::move(programFolder), platform::audio::SystemMixer(), ClockSeed) {
  // The game's own mixer plays on the audio device (or the null output when there is none).
  ownsOutput_ = platform::audio::SystemMixer().OpenOutput();
}

SoundSystem::SoundSystem(Settings& settings, std::string programFolder, platform::audio::Mixer& mixer,
                         SeedSource seedSource)
    : settings_(settings), programFolder_(std::move(programFolder)), mixer_(mixer), seedSource_(std::move(seedSource)) {
  ApplyVolumes();
  cdPresent = false;
  initialised = true;
}

SoundSystem::~SoundSystem() {
  StopMusic();
  if (initialised && ownsOutput_) mixer_.CloseOutput();
}

int SoundSystem::Level(int value) const {
  const float level = std::floor(static_cast<float>(value) / 100.0f * static_cast<float>(masterVolume) / 100.0f * 255.0f + 0.5f);
  return std::clamp(static_cast<int>(level), 0, 255);
}

void SoundSystem::Update(float frameTime) {
  const int master = settings_.GetInt(SettingId::MASTERVOLUME);
  const int sfx = settings_.GetInt(SettingId::SFXVOLUME);
  const int music = settings_.GetInt(SettingId::MUSICVOLUME);
  if (master != masterVolume || sfx != sfxVolume || music != musicVolume) {
    masterVolume = master;
    sfxVolume = sfx;
    musicVolume = music;
    ApplyVolumes();
  }
  if (mp3FolderFailed && (settings_.GetString(StringSettingId::MP3FOLDER) != failedFolder_ ||
                          settings_.GetInt(SettingId::MP3MUSIC) != failedMp3Music_)) {
    mp3FolderFailed = false;
  }
  mixer_.Advance(frameTime);
  // The end of a stream is its decoder's end of file.
  if (musicStream != platform::audio::kNoStream && mixer_.IsStreamEnded(musicStream)) {
    if (nextStream != platform::audio::kNoStream && mixer_.IsPlaying(musicChannel)) {
      // The queued stream already plays on the music channel: it becomes the music.
      mixer_.CloseStream(musicStream);
      musicStream = nextStream;
      musicFile = nextFile;
      nextStream = platform::audio::kNoStream;
      followUpTried_ = false;
    } else {
      CloseMusicStream();
    }
  }
}

void SoundSystem::ApplyVolumes() {
  if (paused) return;
  mixer_.SetSfxMasterVolume(Level(sfxVolume));
  if (musicChannel != platform::audio::kNoChannel) mixer_.SetVolumeAbsolute(musicChannel, Level(musicVolume));
  if (musicVolume == 0) StopMusic();
}

void SoundSystem::Pause() {
  paused = true;
  if (musicChannel != platform::audio::kNoChannel) mixer_.SetPaused(musicChannel, true);
  mixer_.SetSfxMasterVolume(0);
}

void SoundSystem::Resume() {
  paused = false;
  if (musicChannel != platform::audio::kNoChannel) mixer_.SetPaused(musicChannel, false);
  ApplyVolumes();
}

int SoundSystem::GetCdTrackCount() {
  cdTrackCount = platform::audio::CdTrackCount();
  cdPresent = cdTrackCount > 1;
  return cdTrackCount;
}

void SoundSystem::PlayCdTrack() {
  // There is no CD drive on this platform, so cdPresent never becomes true and nothing plays.
  if (!cdPresent || musicVolume == 0) return;
}

void SoundSystem::PlayNextCdTrack() {
  if (!cdPresent || musicVolume == 0) return;
}

bool SoundSystem::IsMusicPlaying() const { return musicStream != platform::audio::kNoStream || cdPlaying; }

void SoundSystem::CloseNextStream() {
  if (nextStream != platform::audio::kNoStream) mixer_.CloseStream(nextStream);
  nextStream = platform::audio::kNoStream;
}

void SoundSystem::CloseMusicStream() {
  CloseNextStream();
  if (musicStream != platform::audio::kNoStream) mixer_.CloseStream(musicStream);
  musicStream = platform::audio::kNoStream;
  musicChannel = platform::audio::kNoChannel;
  followUpTried_ = false;
}

void SoundSystem::StopMusic() {
  if (cdPresent && cdPlaying) cdPlaying = false;
  CloseMusicStream();
}

void SoundSystem::PlayMusicFile(const std::string& path, bool loop) {
  if (musicVolume == 0) return;
  if (queueing_) {
    // Opened now, heard from the first frame after the playing stream's last.
    CloseNextStream();
    nextStream = mixer_.OpenStream(MakeAbsolutePath(programFolder_, path), loop);
    if (nextStream == platform::audio::kNoStream) return;
    nextFile = path;
    if (!mixer_.QueueStream(musicChannel, nextStream)) CloseNextStream();
    return;
  }
  if (cdPlaying) cdPlaying = false;
  CloseMusicStream();
  musicFile = path;
  musicStream = mixer_.OpenStream(MakeAbsolutePath(programFolder_, path), loop);
  if (musicStream == platform::audio::kNoStream) return;  // the next music start tries again
  musicChannel = mixer_.PlayStream(platform::audio::kFreeChannel, musicStream);
  ApplyVolumes();
}

std::vector<std::string> SoundSystem::ListMusicFiles(const std::string& folder) {
  std::vector<std::string> files;
  int entries = 0;
  ListInto(folder, 0, entries, files);
  return files;
}

bool SoundSystem::PlayMusicFolder(const std::string& folder) {
  if (folder.empty()) return false;
  if (!seeded_) {
    // Once per run: reseeding on every call would repeat the same choices.
    platform::CrtSeed(seedSource_ ? seedSource_() : 1);
    seeded_ = true;
  }
  const std::vector<std::string> files = ListMusicFiles(folder);
  if (files.empty()) return false;
  const int count = static_cast<int>(files.size());
  int index = 0;
  if (!playFirstFile) {
    if (playlistIndex == 0) {
      index = platform::CrtRand() % count;
      if (index == 0) index = 1 % count;  // a random draw never starts with the first file
    } else {
      index = (playlistIndex + 1) % count;
    }
    playlistIndex = index;
  }
  PlayMusicFile(files[index], false);
  return true;
}

void SoundSystem::StartMusic(bool playFirst) {
  GetCdTrackCount();
  playFirstFile = false;
  if (settings_.GetInt(SettingId::MP3MUSIC) != 0 && !mp3FolderFailed) {
    const std::string folder = settings_.GetString(StringSettingId::MP3FOLDER);
    if (PlayMusicFolder(folder)) return;
    // Keep the player's choice in the settings: the folder may only be away for now (a drive not mounted).
    mp3FolderFailed = true;
    failedFolder_ = folder;
    failedMp3Music_ = settings_.GetInt(SettingId::MP3MUSIC);
  } else if (settings_.GetInt(SettingId::MP3MUSIC) == 0 && settings_.GetInt(SettingId::CDMUSIC) > 0 && cdPresent) {
    if (settings_.GetInt(SettingId::CDMUSIC) == 1) {
      PlayCdTrack();
    } else {
      PlayNextCdTrack();
    }
    return;
  }
  playFirstFile = playFirst;
  PlayMusicFolder(programFolder_ + "//MUSIC//");
}

void SoundSystem::KeepMusicPlaying(double nowSeconds, bool playFirst) {
  if (IsMusicPlaying()) {
    if (musicStream != platform::audio::kNoStream && nextStream == platform::audio::kNoStream && !followUpTried_ &&
        mixer_.IsStreamEnding(musicStream)) {
      followUpTried_ = true;
      queueing_ = true;
      StartMusic(playFirst);
      queueing_ = false;
    }
    return;
  }
  if (startAttempted_ && nowSeconds - lastStartAttempt_ < kMusicRetrySeconds && nowSeconds >= lastStartAttempt_) return;
  startAttempted_ = true;
  lastStartAttempt_ = nowSeconds;
  StartMusic(playFirst);
}

}  // namespace app
