// The game application on the real SDL window, OpenGL device and mixer under Xvfb: a virtual joystick is its
// controller, sounds and music play. Keys and clicks from outside are the career play-through's (game_career.sh).
#include "game/game_application.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>

#include "contentgen/default_config.h"
#include "contentgen/images.h"
#include "app/hardware_info.h"
#include "app/settings.h"
#include "contentgen/sounds.h"
#include "platform/gfx/graphics.h"
#include "platform/input/virtual_controller.h"
#include "platform/window_system.h"
#include "gl_game_services.h"

// Last: the X headers define short macro names.
#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

namespace game {
namespace {

namespace fs = std::filesystem;

// A lock that always succeeds: the test must not depend on whether a game runs beside it.
class GameApplicationDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("corsaire_game_display_" + std::to_string(std::random_device{}()));
    fs::create_directories(folder_);
    ASSERT_TRUE(contentgen::WriteDefaultConfig(folder_.string()));
    ASSERT_TRUE(contentgen::WriteImageContent(folder_.string()));
    ASSERT_TRUE(contentgen::WriteSoundAndForceContent(folder_.string()));
    windows_ = platform::CreateSdlWindowSystem();
    ASSERT_NE(windows_, nullptr) << "no display";
  }
  void TearDown() override {
    app_.reset();
    joystick_.reset();
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

  // Takes the waiting window messages and renders one frame, as the main loop does, until done() holds or
  // the frame budget runs out. Returns done().
  bool PumpUntil(const std::function<bool()>& done, int frames = 200) {
    for (int frame = 0; frame < frames; ++frame) {
      platform::Message message;
      while (windows_->PeekMessage(message, true)) windows_->DispatchMessage(message);
      if (done()) return true;
      app_->RenderFrame();
    }
    return done();
  }

  fs::path folder_;
  std::unique_ptr<platform::WindowSystem> windows_;
  std::unique_ptr<platform::input::VirtualController> joystick_;
  std::unique_ptr<GameApplication> app_;
};

TEST_F(GameApplicationDisplayTest, AVirtualJoystickIsReadAsTheControllerOfItsSize) {
  joystick_ = platform::input::VirtualController::Attach(false, 6, 12);
  ASSERT_NE(joystick_, nullptr);
  GameApplication& game = Start();
  app::InputDevices* input = game.GetInputDevices();
  ASSERT_NE(input, nullptr);
  ASSERT_TRUE(input->present);
  EXPECT_EQ(input->GetJoystickAxisCount(), 6);
  EXPECT_EQ(input->GetJoystickButtonCount(), 12);
  joystick_->SetAxis(0, 32767);
  joystick_->SetButton(3, true);
  EXPECT_TRUE(PumpUntil([&] { return input->GetJoystickButton(3) && input->GetJoystickAxis(0) > 0.9f; }, 20))
      << "the frame update polls the controller";
  joystick_->SetButton(3, false);
  EXPECT_TRUE(PumpUntil([&] { return !input->GetJoystickButton(3); }, 20));
}

TEST_F(GameApplicationDisplayTest, SoundsPlayAndMusicStreamsThroughTheMixer) {
  GameApplication& game = Start();
  platform::audio::Mixer& mixer = game.GameMixer();
  render::ResourceManager& resources = *game.GetResourceManager();
  // A race sound: the menus hold none of them, so this load alone decides that the sample loops.
  const std::string name = contentgen::SoundFileNames().at(3);
  const app::SoundSample sample = app::LoadSoundSample(resources, name, true);
  ASSERT_NE(sample, platform::audio::kNoSample) << name;
  const int channel = resources.SampleMixer().PlaySound(platform::audio::kFreeChannel, sample);
  ASSERT_NE(channel, platform::audio::kNoChannel);
  EXPECT_TRUE(mixer.IsPlaying(channel));
  EXPECT_GE(mixer.GetChannelsPlaying(), 1);

  // The menus keep music playing: from the game's MUSIC folder, since no folder of the player's is set.
  game.GetScreenFlow()->Reset(app::game_state::kMenus, 0, app::menu_screen::NoScreenChange);
  EXPECT_TRUE(PumpUntil([&] { return game.GetSoundSystem()->IsMusicPlaying(); }, 20));
  const int musicChannel = game.GetSoundSystem()->musicChannel;
  ASSERT_NE(musicChannel, platform::audio::kNoChannel);
  EXPECT_TRUE(mixer.IsPlaying(musicChannel));
  EXPECT_GE(mixer.GetChannelsPlaying(), 2) << "the loop and the music together";
  mixer.StopSound(channel);
  app::ReleaseSoundSample(resources, sample);
}

TEST_F(GameApplicationDisplayTest, AutoDetectOnASoftwareRendererTakesTheMiddlePresetAndTheDriversMemory) {
  GameApplication& game = Start();
  const app::HardwareInfo& hardware = *game.GetHardwareInfo();
  const std::string adapter = hardware.GetAdapterName();
  if (adapter.find("LLVMPIPE") == std::string::npos && adapter.find("SOFTPIPE") == std::string::npos) {
    GTEST_SKIP() << "not Mesa's software renderer: " << adapter;
  }
  EXPECT_TRUE(hardware.IsWeakIntegratedAdapter()) << adapter;
  // Mesa answers the renderer query with the memory it draws in; the cautious figure for silent drivers is 32.
  EXPECT_GT(hardware.GetVideoMemory(), 64);
  app::Settings& settings = *game.GetSettings();
  settings.SetInt(app::SettingId::MOTIONBLUR, 1);
  settings.SetInt(app::SettingId::REARVIEW, 1);
  settings.SetInt(app::SettingId::VIEWDISTANCE, 3);
  settings.AutoConfigure();  // the video options' "Auto Detect"
  EXPECT_EQ(settings.RateMachine(), 2);
  EXPECT_EQ(settings.GetInt(app::SettingId::RESOLUTION), 2);
  EXPECT_EQ(settings.GetInt(app::SettingId::MOTIONBLUR), 0);
  EXPECT_EQ(settings.GetInt(app::SettingId::REARVIEW), 0);
  EXPECT_EQ(settings.GetInt(app::SettingId::VIEWDISTANCE), 0);
  EXPECT_EQ(settings.GetInt(app::SettingId::REFLECTIONDETAIL), 0);
  EXPECT_EQ(settings.GetInt(app::SettingId::HEADLIGHTS), 0);
}

TEST_F(GameApplicationDisplayTest, OverTheGamesWindowOnlyTheGamesOwnPointerShows) {
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  const auto opaquePointerPixels = [display] {
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (image == nullptr) return -1;
    int opaque = 0;
    for (int i = 0; i < image->width * image->height; ++i) opaque += (image->pixels[i] >> 24) != 0 ? 1 : 0;
    XFree(image);
    return opaque;
  };
  Start();
  // The window opens in the middle of the screen; the pointer rests there.
  int screenWidth = 0, screenHeight = 0;
  SDL_DisplayMode desktop{};
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
  screenWidth = desktop.w;
  screenHeight = desktop.h;
  SDL_WarpMouseGlobal(screenWidth / 2, screenHeight / 2);
  EXPECT_TRUE(PumpUntil([&] { return opaquePointerPixels() == 0; }, 100))
      << "the desktop's arrow still shows over the game's window";
  // Away from the window the desktop's own pointer is back.
  SDL_WarpMouseGlobal(2, 2);
  EXPECT_TRUE(PumpUntil([&] { return opaquePointerPixels() > 0; }, 100));
  XCloseDisplay(display);
}

}  // namespace
}  // namespace game
