// Music from an audio CD heard through the real game: the game built over its generated folder, on the SDL
// window under Xvfb, with SDL's disk audio driver writing what the player would hear and a BIN/CUE image chosen
// as the drive. Pressing the audio options' "Audio CD" row must turn the menu music into the disc's tone.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "app/settings.h"
#include "app/sound_system.h"
#include "contentgen/cd_image.h"
#include "frontend/menu_manager.h"
#include "frontend/screen_ids.h"
#include "game/game_application.h"
#include "platform/audio/cd_disc.h"
#include "platform/gfx/graphics.h"
#include "platform/scoped_env.h"
#include "platform/window_system.h"
#include "sound_capture/sound_capture.h"
#include "gl_game_services.h"

// Last: SDL's headers define short macro names.
#include <SDL.h>

namespace game {
namespace {

namespace fs = std::filesystem;

constexpr int kRate = sound_capture::kCaptureRate;
constexpr double kTones[] = {441.0, 630.0, 882.0};
constexpr double kTrackSeconds = 6.0;
constexpr int kFrameBudget = 3000;

class CdMusicDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("corsaire_cd_display_" + std::to_string(std::random_device{}()));
    // The built game folder without its settings and profiles: a new player's first start.
    fs::create_directories(folder_);
    for (const fs::directory_entry& entry : fs::directory_iterator(CORSAIRE_GAME_DIR)) {
      const std::string name = entry.path().filename().string();
      if (name == "config.dat" || name == "PROFILES") continue;
      fs::create_symlink(entry.path(), folder_ / name);
    }
    std::vector<contentgen::CdImageTrack> tracks;
    for (double hertz : kTones) tracks.push_back({contentgen::CdTone(hertz, kTrackSeconds, 8000), true});
    disc_ = contentgen::WriteCdImage((folder_ / "disc").string(), tracks);
    ASSERT_FALSE(disc_.empty());
    capture_ = (folder_ / "out.raw").string();
    windows_ = platform::CreateSdlWindowSystem();
    ASSERT_NE(windows_, nullptr) << "no display";
  }
  void TearDown() override {
    app_.reset();
    windows_.reset();
    fs::remove_all(folder_);
  }

  GameApplication& Start() {
    platform::WindowSystem& desktop = *windows_;
    app::GraphicsAppServices services = display_test::GlGameServices(desktop);
    GameServices game;
    game.programFolder = folder_.string() + "/";
    app_ = std::make_unique<GameApplication>(services, game);
    EXPECT_EQ(app_->Create(), platform::kOk);
    return *app_;
  }

  bool PumpUntil(const std::function<bool()>& done, int frames = 200) {
    for (int frame = 0; frame < frames; ++frame) {
      platform::Message message;
      while (windows_->PeekMessage(message, true)) windows_->DispatchMessage(message);
      if (done()) return true;
      app_->RenderFrame();
    }
    return done();
  }
  size_t CapturedFrames() const {
    std::error_code error;
    const auto bytes = fs::file_size(capture_, error);
    return error ? 0 : static_cast<size_t>(bytes / 4);
  }

  // A left click at a point of the 800 × 600 virtual screen, through SDL's own events.
  void Click(int x, int y) {
    SDL_Window* window = nullptr;
    for (Uint32 id = 1; id < 16; ++id) {
      if (SDL_Window* found = SDL_GetWindowFromID(id)) window = found;
    }
    ASSERT_NE(window, nullptr);
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    const int windowX = x * width / 800, windowY = y * height / 600;
    SDL_WarpMouseInWindow(window, windowX, windowY);
    PumpUntil([] { return false; }, 3);
    for (Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
      SDL_Event event{};
      event.type = type;
      event.button.windowID = SDL_GetWindowID(window);
      event.button.button = SDL_BUTTON_LEFT;
      event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
      event.button.clicks = 1;
      event.button.x = windowX;
      event.button.y = windowY;
      SDL_PushEvent(&event);
      PumpUntil([] { return false; }, 2);
    }
  }

  fs::path folder_;
  std::string disc_;
  std::string capture_;
  std::unique_ptr<platform::WindowSystem> windows_;
  std::unique_ptr<GameApplication> app_;
};

TEST_F(CdMusicDisplayTest, TheAudioCdRowPlaysTheChosenDiscThroughTheSoundCard) {
  platform::ScopedEnv driver("SDL_AUDIODRIVER", "disk");
  platform::ScopedEnv file("SDL_DISKAUDIOFILE", capture_.c_str());
  platform::ScopedEnv device(platform::audio::kCdDeviceVariable, disc_.c_str());
  GameApplication& game = Start();
  app::Settings& settings = *game.GetSettings();
  settings.SetInt(app::SettingId::CDMUSIC, 0);
  settings.SetInt(app::SettingId::MP3MUSIC, 0);
  app::SoundSystem& sound = *game.GetSoundSystem();

  // Into the menus, where the game's own music plays.
  game.GetScreenFlow()->Reset(app::game_state::kDisclaimer, 0, app::menu_screen::NoScreenChange);
  game.GetGuiContext()->accepted = true;
  ASSERT_TRUE(PumpUntil([&] { return game.GetScreenFlow()->state == app::game_state::kMenus; }, kFrameBudget));
  ASSERT_TRUE(PumpUntil([&] { return sound.musicStream != platform::audio::kNoStream; }));
  game.GetScreenFlow()->RequestBack(frontend::screen_index::kAudioOptions, 0.0f);
  ASSERT_TRUE(PumpUntil([&] { return game.GetMenuManager()->current == frontend::screen_index::kAudioOptions; }));

  // "Audio CD : OFF" becomes SHUFFLE: a random track other than the last, in place of the stream.
  Click(100, 379);
  ASSERT_EQ(settings.GetInt(app::SettingId::CDMUSIC), 1);
  EXPECT_TRUE(sound.cdPlaying);
  EXPECT_EQ(sound.musicStream, platform::audio::kNoStream);
  const int track = sound.Cd().GetTrack();
  ASSERT_TRUE(track == 1 || track == 2) << track;
  const size_t pressedAt = CapturedFrames();
  // Two seconds of the disc as the sound card took it.
  ASSERT_TRUE(PumpUntil([&] { return CapturedFrames() > pressedAt + 2 * kRate; }, 100000));
  app_.reset();  // closes the device: the capture is complete

  std::vector<int16_t> heard;
  ASSERT_TRUE(sound_capture::ReadRawCapture(capture_, heard));
  const size_t from = pressedAt + kRate;  // past the press's own sounds and the track's start
  const double hertz = sound_capture::ToneHertz(heard, kRate, from, from + kRate);
  EXPECT_NEAR(hertz, kTones[track - 1], 2.0);
  // At the master volume of 60 the tone is at 153/255 of its level on the disc.
  const sound_capture::CaptureFigures figures = sound_capture::Measure(heard, kRate, from, from + kRate);
  EXPECT_NEAR(figures.peak, 8000 * 153 / 255, 200);
  RecordProperty("track", track);
  RecordProperty("tone_hz", std::to_string(hertz));
  RecordProperty("peak", figures.peak);
}

}  // namespace
}  // namespace game
