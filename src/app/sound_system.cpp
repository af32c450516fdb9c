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
    : SoundSystem(settings, std::move(programFolder), platform::audio::SystemMixer(), ClockSeed,
                  platform::audio::OpenCdioDisc, platform::audio::ChosenCdDevice()) {
  // The game's own mixer plays on the audio device (or the null output when there is none).
  ownsOutput_ = platform::audio::SystemMixer().OpenOutput();
}

SoundSystem::SoundSystem(Settings& settings, std::string programFolder, platform::audio::Mixer& mixer,
                         SeedSource seedSource, platform::audio::CdOpener cdOpener, std::string cdDevice)
    : settings_(settings),
      programFolder_(std::move(programFolder)),
      mixer_(mixer),
      cd_(std::make_unique<platform::audio::CdAudio>(mixer, std::move(cdOpener), std::move(cdDevice))),
      seedSource_(std::move(seedSource)) {
  ApplyVolumes();
  cdPresent = false;
  // The first music start asks for the track count: the drive is looked at now, so that the answer is there.
  cd_->GetNumTracks();
  initialised = true;
}

SoundSystem::~SoundSystem() {
  if (cdPlaying) StopCd();
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
  cd_->Update();
  // The CD player stops by itself when its disc is taken out: the next music start picks what plays.
  if (cdPlaying && !cd_->IsPlaying()) cdPlaying = false;
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
  if (cdPresent) cd_->SetVolume(Level(musicVolume));
}

void SoundSystem::Pause() {
  paused = true;
  if (musicChannel != platform::audio::kNoChannel) mixer_.SetPaused(musicChannel, true);
  if (cdPresent && cdPlaying) cd_->SetPaused(true);
  mixer_.SetSfxMasterVolume(0);
}

void SoundSystem::Resume() {
  paused = false;
  if (musicChannel != platform::audio::kNoChannel) mixer_.SetPaused(musicChannel, false);
  ApplyVolumes();
  if (cdPresent && cd_->GetPaused()) cd_->SetPaused(false);
}

int SoundSystem::GetCdTrackCount() {
  cdTrackCount = cd_->GetNumTracks();
  cdPresent = cdTrackCount > 1;
  return cdTrackCount;
}

int SoundSystem::CdStartVolume() const {
  return std::clamp(static_cast<int>(std::floor(static_cast<float>(musicVolume) / 100.0f * 255.0f + 0.5f)), 0, 255);
}

void SoundSystem::StopCd() {
  cdPlaying = false;
  cd_->Stop();
}

void SoundSystem::PlayCdTrack() {
  if (!cdPresent || musicVolume == 0) return;
  SeedOnce();
  int track = 1;
  if (cdTrackCount > 1) track = 1 + platform::CrtRand() % (cdTrackCount - 1);  // never the last track
  track = std::min(track, cdTrackCount);
  cdTrack = track;
  CloseMusicStream();  // a stream and the CD never play together
  cd_->Stop();
  cd_->SetPlayMode(platform::audio::CdPlayMode::kRandom);
  cd_->Play(track);
  cd_->SetVolume(CdStartVolume());
  ApplyVolumes();
  cdPlaying = true;
}

void SoundSystem::PlayNextCdTrack() {
  if (!cdPresent || musicVolume == 0) return;
  if (cdTrack > cdTrackCount) cdTrack = 1;
  CloseMusicStream();
  cd_->Stop();
  cd_->SetPlayMode(platform::audio::CdPlayMode::kContinuous);
  cd_->Play(cdTrack);
  cd_->SetVolume(CdStartVolume());
  cdTrack += 1;
  if (cdTrack > cdTrackCount) cdTrack = 1;
  ApplyVolumes();
  cdPlaying = true;
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
  // A disc found gone since the play started still has its player stopped, so the music start can go on.
  if (cdPlaying) StopCd();
  CloseMusicStream();
}

void SoundSystem::PlayMusicFile(const std::string& path, bool loop) {
  if (musicVolume == 0) return;
  if (queueing_) {
    // Opened now, heard from the first frame after the playing stream's last.
    CloseNextStream();
    nextStream = mixer_.OpenStream(MakeSystemPath(programFolder_, path), loop);
    if (nextStream == platform::audio::kNoStream) return;
    nextFile = path;
    if (!mixer_.QueueStream(musicChannel, nextStream)) CloseNextStream();
    return;
  }
  if (cdPlaying) StopCd();
  CloseMusicStream();
  musicFile = path;
  musicStream = mixer_.OpenStream(MakeSystemPath(programFolder_, path), loop);
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

void SoundSystem::SeedOnce() {
  if (seeded_) return;
  // Once per run: reseeding on every call would repeat the same choices.
  platform::CrtSeed(seedSource_ ? seedSource_() : 1);
  seeded_ = true;
}

bool SoundSystem::PlayMusicFolder(const std::string& folder) {
  if (folder.empty()) return false;
  SeedOnce();
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
    // Made ahead for an ending stream: the CD starts once the stream has ended, at the next music start.
    if (queueing_) return;
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
