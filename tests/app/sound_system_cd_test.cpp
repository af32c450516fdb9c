// The sound system's audio CD: the track count and the present flag, the random and the in-order plays, the
// CD volume, pause and resume, the music start's order of sources, and a stream and the CD never together.
// The disc is a BIN/CUE image read through libcdio.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "app/hardware_info.h"
#include "app/settings.h"
#include "app/sound_system.h"
#include "contentgen/cd_image.h"
#include "contentgen/music.h"
#include "platform/os.h"

namespace {

namespace fs = std::filesystem;
using app::SettingId;
using app::SoundSystem;
using app::StringSettingId;

constexpr int kRate = 44100;

class SoundSystemCdTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("corsaire_sound_cd_" + std::to_string(std::random_device{}()));
    fs::create_directories(folder_ / "MUSIC");
    const std::vector<uint8_t> tune = contentgen::EncodeOggVorbis(contentgen::SynthesiseTune(0, 0.5, 22050), 22050, 2);
    std::ofstream((folder_ / "MUSIC" / "a.ogg").string(), std::ios::binary)
        .write(reinterpret_cast<const char*>(tune.data()), static_cast<std::streamsize>(tune.size()));
    settings_.SetInt(SettingId::MP3MUSIC, 0);
    settings_.SetInt(SettingId::CDMUSIC, 1);
  }
  void TearDown() override {
    sound_.reset();
    fs::remove_all(folder_);
  }

  // A disc of `count` tracks of a tenth of a second each (the last one a data track when asked).
  std::string Disc(int count, double seconds = 0.1, bool lastIsData = false) {
    std::vector<contentgen::CdImageTrack> tracks;
    for (int t = 0; t < count; ++t) {
      tracks.push_back({contentgen::CdTone(400.0 + 100 * t, seconds, 6000), !(lastIsData && t == count - 1)});
    }
    return contentgen::WriteCdImage((folder_ / ("disc" + std::to_string(count))).string(), tracks);
  }
  SoundSystem& Make(const std::string& disc) {
    sound_ = std::make_unique<SoundSystem>(settings_, folder_.string() + "/", mixer_, [] { return 7u; },
                                           platform::audio::OpenCdioDisc, disc);
    sound_->Cd().WaitForDetection();
    return *sound_;
  }
  // Frames of the game with the CD player's reader caught up, so what plays does not hang on its speed.
  void Run(double seconds) {
    for (double t = 0; t < seconds; t += 0.02) {
      sound_->Cd().WaitForReader();
      sound_->Update(0.02f);
    }
  }

  fs::path folder_;
  app::HardwareInfo hardware_;
  app::Settings settings_{hardware_, "", ""};
  platform::audio::Mixer mixer_{kRate, 8};
  std::unique_ptr<SoundSystem> sound_;
};

TEST_F(SoundSystemCdTest, ADiscIsPresentWithMoreThanOneTrack) {
  struct Case {
    const char* what;
    int tracks;
    bool data;
    int count;
    bool present;
  } cases[] = {
      {"three audio tracks", 3, false, 3, true},
      {"a single track", 1, false, 1, false},
      {"audio and a data track", 2, true, 2, true},
      {"no disc", 0, false, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SoundSystem& sound = Make(c.tracks > 0 ? Disc(c.tracks, 0.1, c.data) : (folder_ / "none.cue").string());
    EXPECT_EQ(sound.GetCdTrackCount(), c.count);
    EXPECT_EQ(sound.cdPresent, c.present);
    sound.PlayCdTrack();
    EXPECT_EQ(sound.cdPlaying, c.present) << "no play without a disc";
  }
}

TEST_F(SoundSystemCdTest, RandomPlayDrawsEveryTrackButTheLast) {
  SoundSystem& sound = Make(Disc(10));
  ASSERT_EQ(sound.GetCdTrackCount(), 10);
  std::set<int> drawn;
  for (int draw = 0; draw < 200; ++draw) {
    sound.PlayCdTrack();
    drawn.insert(sound.cdTrack);
    EXPECT_EQ(sound.Cd().GetTrack(), sound.cdTrack);
  }
  EXPECT_EQ(drawn, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(sound.Cd().GetPlayMode(), platform::audio::CdPlayMode::kRandom);
  EXPECT_TRUE(sound.cdPlaying);
  EXPECT_TRUE(sound.IsMusicPlaying());
}

TEST_F(SoundSystemCdTest, PlayNextGoesThroughTheTracksInOrderAndWrapsToTheFirst) {
  SoundSystem& sound = Make(Disc(3));
  sound.GetCdTrackCount();
  const int expected[] = {1, 2, 3, 1, 2};
  for (int track : expected) {
    sound.PlayNextCdTrack();
    EXPECT_EQ(sound.Cd().GetTrack(), track);
    EXPECT_EQ(sound.cdTrack, track % 3 + 1) << "the index moves on past the track it started";
  }
  EXPECT_EQ(sound.Cd().GetPlayMode(), platform::audio::CdPlayMode::kContinuous);
  // An index past the disc (a shorter disc put in) starts again from the first track.
  sound.cdTrack = 7;
  sound.PlayNextCdTrack();
  EXPECT_EQ(sound.Cd().GetTrack(), 1);
}

TEST_F(SoundSystemCdTest, TheCdVolumeFollowsTheMusicAndMasterVolumes) {
  SoundSystem& sound = Make(Disc(3));
  sound.GetCdTrackCount();
  struct Case {
    int master;
    int music;
    int level;
  } cases[] = {{60, 100, 153}, {100, 50, 128}, {30, 100, 77}, {100, 100, 255}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.music);
    settings_.SetInt(SettingId::MASTERVOLUME, c.master);
    settings_.SetInt(SettingId::MUSICVOLUME, c.music);
    sound.Update(0);
    sound.PlayNextCdTrack();
    EXPECT_EQ(sound.Cd().GetVolume(), c.level);
  }
  // While paused the volumes wait: a play then starts at the music volume alone, master not applied.
  settings_.SetInt(SettingId::MASTERVOLUME, 60);
  settings_.SetInt(SettingId::MUSICVOLUME, 50);
  sound.Update(0);
  sound.Pause();
  sound.PlayCdTrack();
  EXPECT_EQ(sound.Cd().GetVolume(), 128) << "floor(50 / 100 * 255 + 0.5)";
  sound.Resume();
  EXPECT_EQ(sound.Cd().GetVolume(), 77);
  // A music volume of 0 stops the CD.
  settings_.SetInt(SettingId::MUSICVOLUME, 0);
  sound.Update(0);
  EXPECT_FALSE(sound.cdPlaying);
  EXPECT_FALSE(sound.Cd().IsPlaying());
  sound.PlayCdTrack();
  EXPECT_FALSE(sound.Cd().IsPlaying()) << "nothing plays at music volume 0";
}

TEST_F(SoundSystemCdTest, PauseAndResumeReachTheCd) {
  SoundSystem& sound = Make(Disc(3, 2.0));
  sound.GetCdTrackCount();
  sound.PlayNextCdTrack();
  Run(0.2);
  const int channel = sound.Cd().Channel();
  ASSERT_NE(channel, platform::audio::kNoChannel);
  sound.Pause();
  EXPECT_TRUE(sound.Cd().GetPaused());
  Run(0.2);
  EXPECT_TRUE(mixer_.IsPlaying(channel)) << "a pause holds the track";
  EXPECT_EQ(sound.Cd().GetTrack(), 1);
  sound.Resume();
  EXPECT_FALSE(sound.Cd().GetPaused());
  EXPECT_TRUE(mixer_.IsPlaying(channel));
}

TEST_F(SoundSystemCdTest, TheMusicStartTakesTheChosenFolderThenTheCdThenTheGamesMusic) {
  fs::create_directories(folder_ / "mine");
  fs::copy_file(folder_ / "MUSIC" / "a.ogg", folder_ / "mine" / "b.ogg");
  struct Case {
    const char* what;
    int mp3Music;
    int cdMusic;
    bool disc;
    const char* file;  // the stream's file name, empty for the CD
    platform::audio::CdPlayMode mode;
  } cases[] = {
      {"the player's folder first", 1, 0, true, "b.ogg", {}},
      {"the CD, shuffled", 0, 1, true, "", platform::audio::CdPlayMode::kRandom},
      {"the CD, in order", 0, 2, true, "", platform::audio::CdPlayMode::kContinuous},
      {"the CD off", 0, 0, true, "a.ogg", {}},
      {"no disc in the drive", 0, 1, false, "a.ogg", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    settings_.SetInt(SettingId::MP3MUSIC, c.mp3Music);
    settings_.SetInt(SettingId::CDMUSIC, c.cdMusic);
    settings_.SetString(StringSettingId::MP3FOLDER, (folder_ / "mine").string());
    SoundSystem& sound = Make(c.disc ? Disc(3) : (folder_ / "none.cue").string());
    sound.StartMusic(true);
    const bool cd = std::string(c.file).empty();
    EXPECT_EQ(sound.cdPlaying, cd);
    EXPECT_EQ(sound.Cd().IsPlaying(), cd);
    EXPECT_EQ(sound.musicStream != platform::audio::kNoStream, !cd);
    if (cd) {
      EXPECT_EQ(sound.Cd().GetPlayMode(), c.mode);
    } else {
      EXPECT_EQ(fs::path(sound.musicFile).filename().string(), c.file);
    }
  }
}

TEST_F(SoundSystemCdTest, AStreamAndTheCdNeverPlayTogether) {
  SoundSystem& sound = Make(Disc(3, 2.0));
  sound.GetCdTrackCount();
  sound.PlayMusicFile("MUSIC/a.ogg", true);
  ASSERT_NE(sound.musicStream, platform::audio::kNoStream);
  sound.PlayCdTrack();
  EXPECT_EQ(sound.musicStream, platform::audio::kNoStream) << "the CD stops the stream";
  EXPECT_EQ(sound.musicChannel, platform::audio::kNoChannel);
  EXPECT_TRUE(sound.Cd().IsPlaying());
  sound.PlayMusicFile("MUSIC/a.ogg", true);
  EXPECT_NE(sound.musicStream, platform::audio::kNoStream);
  EXPECT_FALSE(sound.cdPlaying) << "the stream stops the CD";
  EXPECT_FALSE(sound.Cd().IsPlaying());
  sound.PlayNextCdTrack();
  sound.StopMusic();
  EXPECT_FALSE(sound.IsMusicPlaying());
  EXPECT_FALSE(sound.Cd().IsPlaying());
}

TEST_F(SoundSystemCdTest, ADiscTakenOutLetsTheMusicStartGoOnToTheGamesMusic) {
  const std::string disc = Disc(3, 0.1);
  SoundSystem& sound = Make(disc);
  sound.StartMusic(true);
  ASSERT_TRUE(sound.cdPlaying);
  fs::remove(disc);  // the track being read plays out; the next finds no disc
  Run(1.0);
  EXPECT_FALSE(sound.cdPlaying);
  EXPECT_FALSE(sound.IsMusicPlaying());
  // The music start takes the last finished look at the drive when a new one is slow (a busy machine): let one
  // finish after the disc went, as the frames before a real music start do.
  sound.GetCdTrackCount();
  sound.Cd().WaitForDetection();
  sound.StartMusic(true);
  EXPECT_NE(sound.musicStream, platform::audio::kNoStream) << "no disc now: the game's own music";
}

}  // namespace
