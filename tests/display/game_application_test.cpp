// The game application on the real SDL window, OpenGL device and mixer under Xvfb: keys and a mouse button sent
// from outside reach its keyboard and mouse state, a virtual joystick is its controller, sounds and music play.
#include "game/game_application.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>

#include "contentgen/default_config.h"
#include "contentgen/images.h"
#include "contentgen/sounds.h"
#include "platform/gfx/graphics.h"
#include "platform/input/virtual_controller.h"
#include "platform/window_system.h"

namespace game {
namespace {

namespace fs = std::filesystem;

// A lock that always succeeds: the test must not depend on whether a game runs beside it.
class FreeLock : public platform::InstanceLock {
 public:
  bool TryAcquire() override { return true; }
  void Release() override {}
};

// Runs a command and returns its first output line (empty on failure).
std::string RunCommand(const std::string& command) {
  std::string line;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return line;
  char buffer[256];
  if (std::fgets(buffer, sizeof buffer, pipe) != nullptr) line = buffer;
  pclose(pipe);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

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
    app::GraphicsAppServices services;
    services.windows = &desktop;
    services.createGraphics = [&desktop] { return platform::gfx::CreateGlGraphicsSystem(desktop); };
    services.createInstanceLock = [](const std::string&) { return std::make_unique<FreeLock>(); };
    // Frames of a game paused by a focus change wait 100 ms; the test counts them instead of waiting.
    services.sleep = [this](int) { ++sleeps_; };
    GameServices game;
    game.programFolder = folder_.string() + "/";
    app_ = std::make_unique<GameApplication>(services, "", game);
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

  // The X window of the game, found by its title.
  std::string XWindowId() {
    return RunCommand("timeout 20 xdotool search --sync --onlyvisible --name '^Corsaire$' 2>/dev/null | head -n 1");
  }

  fs::path folder_;
  std::unique_ptr<platform::WindowSystem> windows_;
  std::unique_ptr<platform::input::VirtualController> joystick_;
  std::unique_ptr<GameApplication> app_;
  int sleeps_ = 0;
};

TEST_F(GameApplicationDisplayTest, KeysAndAMouseButtonSentToTheWindowReachTheKeyboardAndMouseState) {
  GameApplication& game = Start();
  PumpUntil([] { return false; }, 5);
  const std::string id = XWindowId();
  ASSERT_FALSE(id.empty()) << "the game's window is on the display";
  ASSERT_EQ(std::system(("xdotool windowfocus --sync " + id + " 2>/dev/null").c_str()), 0);

  ASSERT_EQ(std::system(("xdotool keydown --window " + id + " a").c_str()), 0);
  EXPECT_TRUE(PumpUntil([&] { return game.Keyboard().IsKeyHeld('A'); })) << "key down as the virtual key 'A'";
  EXPECT_TRUE(game.Keyboard().IsKeyPressed('A'));
  ASSERT_EQ(std::system(("xdotool keyup --window " + id + " a").c_str()), 0);
  EXPECT_TRUE(PumpUntil([&] { return !game.Keyboard().IsKeyHeld('A'); }));
  ASSERT_EQ(std::system(("xdotool key --window " + id + " Escape keydown --window " + id + " Return").c_str()), 0);
  EXPECT_TRUE(PumpUntil([&] { return game.Keyboard().IsKeyHeld(13); })) << "Return held";
  EXPECT_FALSE(game.Keyboard().IsKeyHeld(27)) << "Escape went down and up";
  ASSERT_EQ(std::system(("xdotool keyup --window " + id + " Return").c_str()), 0);

  // The pointer goes to (120, 90) inside the window's client area, then the left button goes down there.
  int left = 0;
  int top = 0;
  const std::string geometry = RunCommand("xdotool getwindowgeometry " + id + " | grep Position");
  ASSERT_EQ(std::sscanf(geometry.c_str(), " Position: %d,%d", &left, &top), 2) << geometry;
  const std::string at = std::to_string(left + 120) + " " + std::to_string(top + 90);
  ASSERT_EQ(std::system(("xdotool mousemove --sync " + at + " mousedown 1").c_str()), 0);
  EXPECT_TRUE(PumpUntil([&] { return game.Mouse().leftHeld == 1; })) << "left button down";
  EXPECT_EQ(game.Mouse().leftClicked, 1);
  PumpUntil([] { return false; }, 2);
  EXPECT_EQ(game.Mouse().cursor.x, 120);
  EXPECT_EQ(game.Mouse().cursor.y, 90);
  ASSERT_EQ(std::system("xdotool mouseup 1"), 0);
  EXPECT_TRUE(PumpUntil([&] { return game.Mouse().leftHeld == 0; }));
}

TEST_F(GameApplicationDisplayTest, AVirtualJoystickIsReadAsTheController) {
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

}  // namespace
}  // namespace game
