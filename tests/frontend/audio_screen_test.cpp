// Audio options: slider and arrow volumes reaching the settings and the mixer, the music-source switches, and the
// music that keeps playing from the chosen source.
#include "frontend/audio_screen.h"

#include "app/sound_system.h"
#include "contentgen/cd_image.h"
#include "contentgen/music.h"
#include "frontend/screen_ids.h"
#include "frontend_test_support.h"
#include "platform/file_system.h"
#include "platform/null_desktop.h"

namespace frontend_test {
namespace {

using app::SettingId;
using app::StringSettingId;

class AudioOptionsScreenTest : public FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    settings_->SetInt(SettingId::MASTERVOLUME, 50);
    settings_->SetInt(SettingId::MUSICVOLUME, 50);
    settings_->SetInt(SettingId::SFXVOLUME, 50);
    settings_->SetInt(SettingId::CDMUSIC, 0);
    settings_->SetInt(SettingId::MP3MUSIC, 0);
    sound_ = std::make_unique<app::SoundSystem>(*settings_, folder_, mixer_, [] { return 7u; });
    screen_ = &Open<frontend::AudioOptionsScreen>(sound_.get());
    screen_->musicRoot = folder_ + "MUSIC/";
    screen_->Render(device_);
  }
  // A click at a virtual point, then the frame's render (which rebuilds the rows).
  void Click(int x, int y) {
    ClickAt(*screen_, x, y);
    screen_->Render(device_);
  }
  int Get(SettingId id) const { return settings_->GetInt(id); }

  std::unique_ptr<app::SoundSystem> sound_;
  frontend::AudioOptionsScreen* screen_ = nullptr;
};

TEST_F(AudioOptionsScreenTest, ArrowsAndSliderSetVolumesWithinRangeAndTheMixerFollows) {
  const struct {
    const char* what;
    int x, y, clicks;
    SettingId id;
    int expected;
  } cases[] = {{"master +", 580, 225, 1, SettingId::MASTERVOLUME, 60},
               {"master - past 0", 270, 225, 8, SettingId::MASTERVOLUME, 0},
               {"effects + past 100", 580, 305, 7, SettingId::SFXVOLUME, 100},
               {"slider start", 301, 228, 1, SettingId::MASTERVOLUME, 0},
               {"slider end", 535, 228, 1, SettingId::MASTERVOLUME, 99},
               {"slider past end", 550, 308, 1, SettingId::SFXVOLUME, 100}};
  for (const auto& test : cases) {
    for (int i = 0; i < test.clicks; ++i) Click(test.x, test.y);
    EXPECT_EQ(Get(test.id), test.expected) << test.what;
  }
  EXPECT_FLOAT_EQ(screen_->masterKnob->x, 300.0f + 2.36f * 99.0f);
  sound_->Update(0.016f);
  EXPECT_EQ(mixer_.GetSfxMasterVolume(), sound_->Level(100));
  for (int i = 0; i < 10; ++i) Click(270, 305);
  sound_->Update(0.016f);
  EXPECT_EQ(mixer_.GetSfxMasterVolume(), 0);
}

TEST_F(AudioOptionsScreenTest, MusicSourcesExcludeEachOtherAndCdModeWithoutADiscPlaysTheGamesMusic) {
  ASSERT_TRUE(contentgen::WriteMusic(folder_));
  Click(100, 380);  // CD shuffle
  EXPECT_TRUE(sound_->IsMusicPlaying());
  EXPECT_EQ(sound_->musicFile.rfind(folder_ + "MUSIC", 0), 0u) << sound_->musicFile;
  Click(100, 420);  // folder music on
  EXPECT_EQ(Get(SettingId::MP3MUSIC), 1);
  EXPECT_EQ(Get(SettingId::CDMUSIC), 0);
  Click(100, 380);  // CD shuffle switches folder music off
  EXPECT_EQ(Get(SettingId::CDMUSIC), 1);
  EXPECT_EQ(Get(SettingId::MP3MUSIC), 0);
}

TEST_F(AudioOptionsScreenTest, TheAudioCdRowPlaysTheDiscShuffledThenInOrderThenGoesBackToTheGamesMusic) {
  ASSERT_TRUE(contentgen::WriteMusic(folder_));
  std::vector<contentgen::CdImageTrack> tracks;
  for (int t = 0; t < 3; ++t) tracks.push_back({contentgen::CdTone(500.0 + 100 * t, 1.0, 6000), true});
  const std::string disc = contentgen::WriteCdImage(folder_ + "disc", tracks);
  auto sound = std::make_unique<app::SoundSystem>(*settings_, folder_, mixer_, [] { return 7u; },
                                                  platform::audio::OpenCdioDisc, disc);
  sound->Cd().WaitForDetection();
  screen_->soundSystem = sound.get();
  sound->PlayMusicFile(contentgen::MusicFileNames()[0], true);
  const struct {
    const char* mode;
    int cdMusic;
    bool cd;
    platform::audio::CdPlayMode playMode;
  } presses[] = {{"SHUFFLE", 1, true, platform::audio::CdPlayMode::kRandom},
                 {"CONTINUOUS", 2, true, platform::audio::CdPlayMode::kContinuous},
                 {"OFF", 0, false, {}}};
  for (const auto& press : presses) {
    SCOPED_TRACE(press.mode);
    Click(100, 380);
    EXPECT_EQ(Get(SettingId::CDMUSIC), press.cdMusic);
    EXPECT_EQ(sound->cdPlaying, press.cd);
    EXPECT_EQ(sound->Cd().IsPlaying(), press.cd);
    EXPECT_EQ(sound->musicStream != platform::audio::kNoStream, !press.cd) << "a stream or the CD, never both";
    if (press.cd) {
      EXPECT_EQ(sound->Cd().GetPlayMode(), press.playMode);
      EXPECT_GE(sound->Cd().GetTrack(), 1);
      EXPECT_LE(sound->Cd().GetTrack(), 2) << "the first draw is never the last track, and in order the drawn one";
    } else {
      EXPECT_EQ(sound->musicFile.rfind(folder_ + "MUSIC", 0), 0u) << sound->musicFile;
    }
  }
  screen_->soundSystem = sound_.get();
}

TEST_F(AudioOptionsScreenTest, AChosenFolderPlaysOnAfterItsFirstTrack) {
  // As on a first run: MP3 music on with a folder that holds nothing to play.
  settings_->SetInt(SettingId::MP3MUSIC, 1);
  settings_->SetString(StringSettingId::MP3FOLDER, folder_ + "nowhere");
  sound_->StartMusic(false);
  screen_->RestartMusic();
  EXPECT_FALSE(sound_->IsMusicPlaying());
  // Two short tracks of the player's own.
  constexpr int kRate = 8000;
  const std::vector<uint8_t> tune = contentgen::EncodeOggVorbis(contentgen::SynthesiseTune(0, 0.1, kRate), kRate, 1);
  for (const char* name : {"mine/one.ogg", "mine/two.ogg"}) {
    ASSERT_TRUE(contentgen::WriteContentFile(folder_ + name, tune));
  }
  platform::ScriptedFolderChooser chooser;
  chooser.answer = platform::FolderChoice::kChosen;
  chooser.folder = folder_ + "mine";
  screen_->folderChooser = &chooser;
  screen_->rebuild = true;
  screen_->Render(device_);
  Click(400, 420);  // the folder row
  EXPECT_EQ(settings_->GetString(StringSettingId::MP3FOLDER), folder_ + "mine");
  ASSERT_TRUE(sound_->IsMusicPlaying());

  // The game's music start after each track ends keeps to the chosen folder.
  for (int track = 0; track < 2; ++track) {
    for (int frame = 0; frame < 200 && sound_->IsMusicPlaying(); ++frame) sound_->Update(0.05f);
    ASSERT_FALSE(sound_->IsMusicPlaying()) << "the track ends";
    sound_->StartMusic(false);
    ASSERT_TRUE(sound_->IsMusicPlaying()) << "track " << track + 2;
    EXPECT_EQ(sound_->musicFile.rfind(folder_ + "mine", 0), 0u) << sound_->musicFile;
  }
}

// Two tunes in a folder of the player's own, as they would rip them (an OGG and an upper-case MP3 name).
void WritePlayersMusic(const std::string& folder) {
  constexpr int kRate = 8000;
  const std::vector<uint8_t> tune = contentgen::EncodeOggVorbis(contentgen::SynthesiseTune(0, 0.1, kRate), kRate, 1);
  ASSERT_TRUE(contentgen::WriteContentFile(folder + "/one.ogg", tune));
  ASSERT_TRUE(contentgen::WriteContentFile(folder + "/notes.txt", std::vector<uint8_t>{'x'}));
}

TEST_F(AudioOptionsScreenTest, TheDesktopDialogOpensAtTheMusicFolderAndOnlyAChoiceChangesTheMusic) {
  ASSERT_TRUE(contentgen::WriteMusic(folder_));
  WritePlayersMusic(folder_ + "Rock");
  settings_->SetInt(SettingId::MP3MUSIC, 1);
  settings_->SetString(StringSettingId::MP3FOLDER, "");
  screen_->musicFolder = folder_;
  screen_->rebuild = true;
  screen_->Render(device_);
  const struct {
    const char* what;
    platform::FolderChoice answer;
    bool fullScreen;
    const char* expectedFolder;  // relative to the test folder; null: unchanged
    bool browserOpens;
  } cases[] = {
      {"cancelled", platform::FolderChoice::kCancelled, false, nullptr, false},
      {"chosen", platform::FolderChoice::kChosen, false, "Rock", false},
      {"chosen from full screen", platform::FolderChoice::kChosen, true, "Rock", false},
      {"no dialog on this desktop", platform::FolderChoice::kUnavailable, false, nullptr, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    settings_->SetString(StringSettingId::MP3FOLDER, "kept");
    settings_->SetInt(SettingId::FULLSCREEN, c.fullScreen ? 1 : 0);
    screen_->OnEnter();
    screen_->Render(device_);
    sound_->StopMusic();
    platform::ScriptedFolderChooser chooser;
    chooser.answer = c.answer;
    chooser.folder = folder_ + "Rock";
    screen_->folderChooser = &chooser;
    Click(400, 420);  // the folder row
    if (c.fullScreen) {
      EXPECT_EQ(FullScreen(), 0) << "the dialog needs the window";
      EXPECT_TRUE(chooser.asked.empty()) << "it opens once the window is back";
      screen_->Update(Window(), 0.016f);
    }
    ASSERT_EQ(chooser.asked.size(), 1u);
    EXPECT_EQ(chooser.asked[0].first, "Select MP3 Folder");
    EXPECT_EQ(chooser.asked[0].second, folder_);
    EXPECT_EQ(settings_->GetString(StringSettingId::MP3FOLDER),
              c.expectedFolder != nullptr ? folder_ + c.expectedFolder : std::string("kept"));
    EXPECT_EQ(sound_->IsMusicPlaying(), c.expectedFolder != nullptr) << "the music starts again only for a choice";
    if (c.expectedFolder != nullptr) {
      EXPECT_EQ(sound_->musicFile, folder_ + "Rock/one.ogg");
    }
    EXPECT_EQ(screen_->browserOpen, c.browserOpens);
  }
}

TEST_F(AudioOptionsScreenTest, TheInGameBrowserWalksFoldersAndItsChoicePlays) {
  WritePlayersMusic(folder_ + "Music/Rock");
  ASSERT_TRUE(platform::CreateFolders(folder_ + "Music/Jazz"));
  ASSERT_TRUE(platform::CreateFolders(folder_ + "Music/.cache"));
  settings_->SetInt(SettingId::MP3MUSIC, 1);
  settings_->SetString(StringSettingId::MP3FOLDER, "kept");
  screen_->musicFolder = folder_ + "Music/";
  screen_->folderChooser = nullptr;  // a desktop without a folder dialog
  screen_->rebuild = true;
  screen_->Render(device_);
  frontend::FolderBrowserScreen& browser = *screen_->folderBrowser;

  // Cancel, then Escape: nothing changes.
  for (const bool escape : {false, true}) {
    Click(400, 420);
    ASSERT_TRUE(screen_->browserOpen);
    screen_->Render(device_);
    EXPECT_EQ(browser.subFolders, (std::vector<std::string>{"Jazz", "Rock"})) << "hidden folders are left out";
    if (escape) {
      PressKey(*screen_, frontend::kKeyEscape);
      screen_->Update(Window(), 0.016f);
    } else {
      Click(455, 462);  // Cancel
    }
    screen_->Update(Window(), 0.016f);
    EXPECT_FALSE(screen_->browserOpen);
    EXPECT_EQ(settings_->GetString(StringSettingId::MP3FOLDER), "kept");
  }

  // Into Rock, up to the parent, into Rock again, Accept.
  Click(400, 420);
  screen_->Render(device_);
  Click(300, 258);  // the second row: Rock
  screen_->Render(device_);
  EXPECT_EQ(browser.ChosenFolder(), folder_ + "Music/Rock");
  EXPECT_TRUE(browser.subFolders.empty());
  Click(280, 462);  // Parent
  screen_->Render(device_);
  EXPECT_EQ(browser.ChosenFolder(), folder_ + "Music");
  Click(300, 258);
  screen_->Render(device_);
  Click(630, 462);  // Accept
  screen_->Update(Window(), 0.016f);
  EXPECT_FALSE(screen_->browserOpen);
  EXPECT_EQ(settings_->GetString(StringSettingId::MP3FOLDER), folder_ + "Music/Rock");
  ASSERT_TRUE(sound_->IsMusicPlaying());
  EXPECT_EQ(sound_->musicFile, folder_ + "Music/Rock/one.ogg");
  screen_->Render(device_);
  EXPECT_EQ(screen_->buttons.Front()->label->text, frontend::AudioOptionsScreen::FolderRowText(folder_ + "Music/Rock"));
}

TEST_F(AudioOptionsScreenTest, TheInGameBrowsersArrowsScrollALongFolderListAndStopAtItsEnds) {
  for (char c = '0'; c <= '8'; ++c) ASSERT_TRUE(platform::CreateFolders(folder_ + "Music/F" + c));
  settings_->SetInt(SettingId::MP3MUSIC, 1);
  screen_->musicFolder = folder_ + "Music/";
  screen_->folderChooser = nullptr;
  screen_->rebuild = true;
  screen_->Render(device_);
  frontend::FolderBrowserScreen& browser = *screen_->folderBrowser;
  Click(400, 420);
  ASSERT_TRUE(screen_->browserOpen);
  ASSERT_EQ(browser.subFolders.size(), 9u);
  const struct {
    const char* arrow;
    int y, clicks;
    int32_t firstRow;
  } steps[] = {{"down", 410, 2, 2}, {"down past the end", 410, 4, 3}, {"up", 210, 1, 2}, {"up past the top", 210, 5, 0}};
  for (const auto& step : steps) {
    for (int i = 0; i < step.clicks; ++i) Click(600, step.y);
    EXPECT_EQ(browser.firstVisibleRow, step.firstRow) << step.arrow;
  }
  Click(600, 410);  // one down: the first row shown is F1
  Click(300, 218);
  EXPECT_EQ(browser.ChosenFolder(), folder_ + "Music/F1");
}

TEST_F(AudioOptionsScreenTest, MusicStepUpRestartsSilentMusicButStepDownKeepsItPlaying) {
  ASSERT_TRUE(contentgen::WriteMusic(folder_));
  Click(580, 265);  // music +
  EXPECT_TRUE(sound_->IsMusicPlaying());
  for (int i = 0; i < 6; ++i) Click(270, 265);  // music - down to 0
  EXPECT_EQ(Get(SettingId::MUSICVOLUME), 0);
  EXPECT_TRUE(sound_->IsMusicPlaying()) << "volume 0 leaves the music running";
}

// Back undoes everything changed since the screen opened (volumes, music source and folder); Accept and Esc keep it.
TEST_F(AudioOptionsScreenTest, BackRestoresVolumesAndMusicAcceptAndEscapeKeepThem) {
  using frontend::screen_index::kOptionsMenu;
  const struct {
    const char* leave;
    bool kept;
  } cases[] = {{"Back", false}, {"Accept", true}, {"Esc", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.leave);
    ClearRequests();
    settings_->SetInt(SettingId::MASTERVOLUME, 50);
    settings_->SetInt(SettingId::MUSICVOLUME, 50);
    settings_->SetInt(SettingId::SFXVOLUME, 50);
    settings_->SetInt(SettingId::CDMUSIC, 0);
    settings_->SetString(StringSettingId::MP3FOLDER, "");
    screen_->OnEnter();
    Click(580, 225);  // master +
    Click(580, 265);  // music +
    Click(270, 305);  // effects -
    Click(100, 380);  // CD shuffle
    settings_->SetString(StringSettingId::MP3FOLDER, "changed");
    if (std::string(c.leave) == "Back") Click(50, 580);
    if (std::string(c.leave) == "Accept") Click(700, 580);
    if (std::string(c.leave) == "Esc") TapKey(*screen_, frontend::kKeyEscape);
    EXPECT_EQ(Get(SettingId::MASTERVOLUME), c.kept ? 60 : 50);
    EXPECT_EQ(Get(SettingId::MUSICVOLUME), c.kept ? 60 : 50);
    EXPECT_EQ(Get(SettingId::SFXVOLUME), c.kept ? 40 : 50);
    EXPECT_EQ(Get(SettingId::CDMUSIC), c.kept ? 1 : 0);
    EXPECT_EQ(settings_->GetString(StringSettingId::MP3FOLDER), c.kept ? "changed" : "");
    EXPECT_EQ(Requests(), (Queue{{app::game_state::kEnterMenus, kOptionsMenu}}));
  }
}

TEST_F(AudioOptionsScreenTest, MusicSliderLeftOfItsTrackStopsTheMusic) {
  ASSERT_TRUE(contentgen::WriteMusic(folder_));
  Click(580, 265);  // music +: the music starts
  ASSERT_TRUE(sound_->IsMusicPlaying());
  Click(301, 268);  // the slider's start: volume 0, the music runs on
  EXPECT_EQ(Get(SettingId::MUSICVOLUME), 0);
  EXPECT_TRUE(sound_->IsMusicPlaying());
  Click(420, 268);
  ASSERT_GT(Get(SettingId::MUSICVOLUME), 0);
  // A slider reading below 0 (the cursor left of the track's start as the slider acts) stops the music.
  PointAt(290, 268);
  screen_->ReadCursor(Window());
  screen_->OnOptionButton(5);
  EXPECT_EQ(Get(SettingId::MUSICVOLUME), 0);
  EXPECT_FALSE(sound_->IsMusicPlaying());
}

}  // namespace
}  // namespace frontend_test
