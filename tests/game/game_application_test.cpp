// The game application on the null window and graphics backends: start-up order, settings kept across the run,
// message routing to the keyboard and mouse, the screen flow in the frame update, full screen and frame time.
#include "game/game_application.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "app/app_timer.h"
#include "app/graphics_app_fixture.h"
#include "app/settings_file.h"
#include "app/text_file_reader.h"
#include "contentgen/default_config.h"
#include "contentgen/images.h"
#include "contentgen/race_content.h"
#include "platform/input/scripted_controller.h"

namespace game {
namespace {

namespace fs = std::filesystem;
namespace gs = app::game_state;
namespace wm = platform::wm;
using app::SettingId;

// Each test runs in a scratch game folder of its own with the sample default settings and fonts.
class GameApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("corsaire_game_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
               std::to_string(std::random_device{}()));
    fs::create_directories(folder_);
    ASSERT_TRUE(contentgen::WriteDefaultConfig(folder_.string()));
  }
  void TearDown() override {
    app_.reset();
    fs::remove_all(folder_);
  }

  std::string Folder() const { return folder_.string() + "/"; }

  app::GraphicsAppServices Services() {
    app::GraphicsAppServices services = harness_.Services();
    services.timer = [this](int command) {
      if (command == static_cast<int>(app::TimerCommand::ElapsedTime)) return elapsed_;
      if (command == static_cast<int>(app::TimerCommand::ApplicationTime)) return now_;
      return 0.0;
    };
    return services;
  }

  GameServices Game() {
    GameServices game;
    game.programFolder = Folder();
    game.mixer = &mixer_;
    game.randomSeed = [] { return 7u; };
    game.controllerOpener = [this](bool) -> std::unique_ptr<platform::input::Controller> {
      if (!controllerAttached_) return nullptr;
      auto controller = std::make_unique<platform::input::ScriptedController>(false, false, 6, 12);
      return controller;
    };
    game.machine = app::MachineFacts{1500, 1024, 8};
    return game;
  }

  GameApplication& Make() {
    app_ = std::make_unique<GameApplication>(Services(), "", Game());
    return *app_;
  }

  GameApplication& Started() {
    GameApplication& game = Make();
    EXPECT_EQ(game.Create(), platform::kOk);
    return game;
  }

  // Settings as a fresh start would read them from the folder's config.dat.
  std::unique_ptr<app::Settings> ReadSavedConfig() {
    auto settings = std::make_unique<app::Settings>(hardware_, "", "");
    app::TextFileReader reader;
    EXPECT_TRUE(reader.Open(Folder() + app::kConfigFileName)) << "config.dat was written";
    settings->ReadConfig(reader);
    return settings;
  }

  void Close(GameApplication& game) {
    // Windows are numbered from 1 in the order they are made; the game's is the newest.
    const auto window = static_cast<platform::WindowHandle>(harness_.windows.WindowsCreated());
    harness_.windows.PostMessage(window, wm::kClose, 0, 0);
    game.Run();
  }

  fs::path folder_;
  app::testing::Harness harness_;
  platform::audio::Mixer mixer_{8000, 8};
  app::HardwareInfo hardware_{app::MachineFacts{1500, 1024, 8}};
  double elapsed_ = 0.02;
  double now_ = 0.0;
  bool controllerAttached_ = false;
  std::unique_ptr<GameApplication> app_;
};

TEST_F(GameApplicationTest, ConstructionReadsDefaultConfigOnAFirstRunAndConfigDatAfterwards) {
  {
    GameApplication& first = Make();
    app::Settings& settings = *first.GetSettings();
    EXPECT_TRUE(settings.IsAutoConfigurePending()) << "default_config.dat read: a first run";
    EXPECT_EQ(settings.GetString(app::StringSettingId::GAMENAME), "Corsaire");
    ASSERT_NE(first.GetSoundSystem(), nullptr);
    ASSERT_NE(first.GetResourceManager(), nullptr);
    ASSERT_NE(first.GetScreenFlow(), nullptr);
    ASSERT_NE(first.GetHostStatsReport(), nullptr);
    EXPECT_EQ(first.GetScreenFlow()->state, gs::kNone);
    EXPECT_EQ(first.GetInputDevices(), nullptr) << "input devices wait for the window";
    EXPECT_EQ(first.GetResourceManager()->BaseFolder(), Folder());
  }
  app_.reset();

  // A config.dat beside the game wins over the defaults.
  app::Settings written(hardware_, Folder(), Folder());
  written.LoadDefaults();
  written.SetInt(SettingId::MASTERVOLUME, 37);
  written.SetInt(SettingId::SHOWFPS, 1);
  ASSERT_TRUE(written.SaveConfig());
  GameApplication& second = Make();
  EXPECT_FALSE(second.GetSettings()->IsAutoConfigurePending());
  EXPECT_EQ(second.GetSettings()->GetInt(SettingId::MASTERVOLUME), 37);
  EXPECT_EQ(second.GetSettings()->GetInt(SettingId::SHOWFPS), 1);
}

TEST_F(GameApplicationTest, ConstructionReadsTheContentListAndMakesAFreshProfileOverItsCars) {
  ASSERT_TRUE(contentgen::WriteRaceContent(folder_.string()));
  GameApplication& game = Make();
  ASSERT_NE(game.GetContentDatabase(), nullptr);
  EXPECT_EQ(game.GetContentDatabase()->VehicleCount(), static_cast<int>(contentgen::ManifestCars().size()));
  EXPECT_GT(game.GetContentDatabase()->VehicleCount(), 0);
  EXPECT_EQ(game.GetContentDatabase()->settings, game.GetSettings());
  ASSERT_NE(game.GetPlayerProfile(), nullptr);
  EXPECT_EQ(game.GetPlayerProfile()->IndexOf(game.GetContentDatabase()->vehicleNames.front()), 0);
}

TEST_F(GameApplicationTest, ClosingSavesTheChosenPlayersProfileAndNothingWithoutOne) {
  ASSERT_TRUE(contentgen::WriteRaceContent(folder_.string()));
  GameApplication& game = Started();
  const fs::path profile = folder_ / "PROFILES" / "ANNA.dat";
  game.GetPlayerProfile()->SetName("ANNA");
  game.GetPlayerProfile()->SetFilePath(profile.string());
  game.GetPlayerProfile()->AddMoney(1234);
  Close(game);
  ASSERT_TRUE(fs::exists(profile)) << "written at shutdown";
  EXPECT_TRUE(fs::exists(folder_ / "config.dat"));

  app_.reset();
  fs::remove_all(folder_ / "PROFILES");
  fs::remove(folder_ / "config.dat");
  GameApplication& anonymous = Started();
  Close(anonymous);
  EXPECT_FALSE(fs::exists(folder_ / "PROFILES")) << "no player chosen, no profile file";
  EXPECT_TRUE(fs::exists(folder_ / "config.dat"));
}

TEST_F(GameApplicationTest, SettingsChangedDuringTheRunAreInConfigDatAfterTheWindowCloses) {
  GameApplication& game = Started();
  ASSERT_FALSE(fs::exists(folder_ / "config.dat"));
  game.GetSettings()->SetInt(SettingId::MUSICVOLUME, 23);
  game.GetSettings()->BindKey(static_cast<int>(app::InputAction::Pause), 'P');
  ASSERT_EQ(game.RenderFrame(), platform::kOk);
  Close(game);

  EXPECT_EQ(game.GetSettings(), nullptr) << "final clean-up released the settings";
  EXPECT_EQ(game.GetResourceManager(), nullptr) << "device objects were deleted";
  const auto saved = ReadSavedConfig();
  EXPECT_EQ(saved->GetInt(SettingId::MUSICVOLUME), 23);
  EXPECT_EQ(saved->GetKey(static_cast<int>(app::InputAction::Pause)), 'P');
  EXPECT_EQ(saved->GetString(app::StringSettingId::GAMENAME), "Corsaire");
  // No temporary file is left behind.
  int files = 0;
  for (const auto& entry : fs::directory_iterator(folder_)) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 2) << "default_config.dat and config.dat only";
}

TEST_F(GameApplicationTest, AHandBrokenConfigDatStartsWithSafeValues) {
  std::ofstream(folder_ / "config.dat") << "RESOLUTION:99\nVIEWDISTANCE:-7\nMIPFILTER:12345\nKEYMAP:-3,999\n"
                                           "KEYMAP:400,65\nJOYBUTTONMAP:2,100000\nSCREENWIDTH\n\xff\xfe garbage\n";
  GameApplication& game = Started();
  const app::Settings& settings = *game.GetSettings();
  EXPECT_GE(settings.GetInt(SettingId::RESOLUTION), 0);
  EXPECT_LT(settings.GetInt(SettingId::RESOLUTION), app::kResolutionCount);
  EXPECT_GE(settings.GetInt(SettingId::VIEWDISTANCE), 0);
  EXPECT_LT(settings.GetInt(SettingId::VIEWDISTANCE), app::kViewDistanceCount);
  for (int action = 0; action < app::kInputActionCount; ++action) {
    EXPECT_LT(settings.GetKey(action), app::kKeyCodeLimit);
    EXPECT_LT(settings.GetJoyButton(action), app::kJoyButtonLimit);
  }
  for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(game.RenderFrame(), platform::kOk);
  EXPECT_TRUE(harness_.windows.MessageBoxes().empty());
}

TEST_F(GameApplicationTest, KeyAndMouseMessagesReachTheKeyboardAndMouseState) {
  GameApplication& game = Started();
  harness_.windows.SendMessage(1, wm::kKeyDown, 'A', 0);
  harness_.windows.SendMessage(1, wm::kKeyDown, 'A', 0);  // auto-repeat
  EXPECT_TRUE(game.Keyboard().IsKeyHeld('A'));
  EXPECT_TRUE(game.Keyboard().IsKeyPressed('A'));
  harness_.windows.SendMessage(1, wm::kKeyUp, 'A', 0);
  EXPECT_FALSE(game.Keyboard().IsKeyHeld('A'));
  harness_.windows.SendMessage(1, wm::kKeyDown, 27, 0);
  EXPECT_TRUE(game.Keyboard().IsKeyHeld(27)) << "Escape is an ordinary key";

  harness_.windows.SendMessage(1, wm::kRButtonDown, 0, 0);
  EXPECT_EQ(game.Mouse().rightHeld, 1);
  EXPECT_EQ(game.Mouse().rightClicked, 1);
  harness_.windows.SendMessage(1, wm::kRButtonUp, 0, 0);
  EXPECT_EQ(game.Mouse().rightHeld, 0);
  harness_.windows.SendMessage(1, wm::kLButtonDown, 0, 0);
  EXPECT_EQ(game.Mouse().leftHeld, 1);

  // The cursor is read each frame and scaled to the 800 x 600 virtual screen.
  const platform::Rect client = harness_.windows.GetClientRect(1);
  const platform::Point origin = harness_.windows.ScreenToClient(1, platform::Point{0, 0});
  harness_.windows.SetCursorPos(platform::Point{client.Width() / 2 - origin.x, client.Height() / 2 - origin.y});
  ASSERT_EQ(game.RenderFrame(), platform::kOk);
  EXPECT_EQ(game.Mouse().cursor.x, client.Width() / 2);
  EXPECT_EQ(game.Mouse().cursor.y, client.Height() / 2);
  const float width = static_cast<float>(game.GetSettings()->GetInt(SettingId::SCREENWIDTH));
  EXPECT_EQ(game.Mouse().scaledCursor.x, static_cast<int>(static_cast<float>(client.Width() / 2) * (800.0f / width)));
}

TEST_F(GameApplicationTest, ScreenFlowRequestsApplyOnePerFrameAfterTheirDelay) {
  GameApplication& game = Started();
  app::ScreenFlow& flow = *game.GetScreenFlow();
  ASSERT_EQ(flow.FrontState(), gs::kIntro) << "device creation queues the intro";
  elapsed_ = 0.03125;
  flow.Request(gs::kMenus, 0.0625f);
  flow.Request(gs::kQuit, 0.0f);

  ASSERT_EQ(game.RenderFrame(), platform::kOk);
  EXPECT_EQ(flow.state, gs::kIntro);
  ASSERT_EQ(game.RenderFrame(), platform::kOk);
  EXPECT_EQ(flow.state, gs::kIntro) << "half of the delay has run";
  ASSERT_EQ(game.RenderFrame(), platform::kOk);
  EXPECT_EQ(flow.state, gs::kMenus) << "after its whole delay";
  EXPECT_FALSE(game.IsQuitRequested()) << "the next request waits for the next frame";
  ASSERT_EQ(game.RenderFrame(), platform::kOk);
  EXPECT_EQ(flow.state, gs::kQuit);
  EXPECT_TRUE(game.IsQuitRequested());

  // Entering the menus from the intro goes on to the running menus in the same frame and drops what waits.
  flow.Reset(gs::kIntro, 0, 13);
  flow.RequestWithKind(gs::kEnterMenus, app::menu_screen::kFirstMenu, 0.0f);
  flow.Request(gs::kRacing, 0.0f);
  ASSERT_EQ(game.RenderFrame(), platform::kOk);
  EXPECT_EQ(flow.state, gs::kMenus);
  EXPECT_TRUE(flow.IsQueueEmpty());
}

TEST_F(GameApplicationTest, StateChangesOfTheFrameUpdateFollowTheirRules) {
  GameApplication& game = Started();
  app::ScreenFlow& flow = *game.GetScreenFlow();
  // The loading screen takes the next request at once and drops the rest.
  flow.Reset(gs::kLoadingScreen, 0, app::menu_screen::kLoading);
  flow.RequestWithParameter(gs::kRaceLoading, 4, 0.5f);
  flow.Request(gs::kMenus, 0.0f);
  ASSERT_EQ(game.RenderFrame(), platform::kOk);
  EXPECT_EQ(flow.state, gs::kRaceLoading);
  EXPECT_EQ(flow.parameter, 4);
  EXPECT_TRUE(flow.IsQueueEmpty());

  // Opening the pause menu pauses the sound; resuming the race resumes it.
  flow.Reset(gs::kOpenPauseMenu, 0, app::menu_screen::kPauseMenu);
  ASSERT_EQ(game.RenderFrame(), platform::kOk);
  EXPECT_EQ(flow.state, gs::kPauseMenu);
  EXPECT_TRUE(game.GetSoundSystem()->paused);
  flow.Reset(gs::kResumeRace, 0, 13);
  ASSERT_EQ(game.RenderFrame(), platform::kOk);
  EXPECT_EQ(flow.state, gs::kRacing);
  EXPECT_FALSE(game.GetSoundSystem()->paused);

  // The start signal asks for racing on the next frame.
  flow.Reset(gs::kStartSignal, 0, 13);
  ASSERT_EQ(game.RenderFrame(), platform::kOk);
  EXPECT_EQ(flow.FrontState(), gs::kRacing);
}

TEST_F(GameApplicationTest, LosingFocusWhileRacingQueuesThePauseMenuAndThePauseMenuKeepsTheSoundPaused) {
  GameApplication& game = Started();
  app::ScreenFlow& flow = *game.GetScreenFlow();
  flow.Reset(gs::kRacing, 0, 13);
  game.Pause();
  EXPECT_EQ(flow.FrontState(), gs::kOpenPauseMenu);
  EXPECT_EQ(flow.FrontScreen(), app::menu_screen::kPauseMenu);
  EXPECT_TRUE(game.GetSoundSystem()->paused);

  flow.Reset(gs::kPauseMenu, 0, 13);
  game.Resume();
  EXPECT_TRUE(game.GetSoundSystem()->paused) << "the pause menu is still open";
  flow.Reset(gs::kMenus, 0, 13);
  game.Pause();
  EXPECT_TRUE(flow.IsQueueEmpty()) << "only a race opens the pause menu";
  game.Resume();
  EXPECT_FALSE(game.GetSoundSystem()->paused);
}

TEST_F(GameApplicationTest, TheFullscreenSettingSwitchesTheDisplayModeAtTheEndOfTheFrame) {
  GameApplication& game = Started();
  ASSERT_EQ(game.RenderFrame(), platform::kOk);
  EXPECT_EQ(harness_.windows.GetWindowStyle(1), platform::window_style::kWindowed);

  game.GetSettings()->SetInt(SettingId::FULLSCREEN, 1);
  ASSERT_EQ(game.RenderFrame(), platform::kOk);
  EXPECT_NE(harness_.windows.GetWindowStyle(1), platform::window_style::kWindowed) << "full screen";
  EXPECT_EQ(game.GetSettings()->GetInt(SettingId::FULLSCREEN), 1);

  game.GetSettings()->SetInt(SettingId::FULLSCREEN, 0);
  ASSERT_EQ(game.RenderFrame(), platform::kOk);
  EXPECT_EQ(harness_.windows.GetWindowStyle(1), platform::window_style::kWindowed);
}

TEST_F(GameApplicationTest, AFailedSwitchToFullScreenTurnsTheSettingOffSoTheNextStartRunsInAWindow) {
  GameApplication& game = Started();
  ASSERT_NE(harness_.graphics->lastDevice, nullptr);
  harness_.graphics->lastDevice->FailNextResets(1, platform::kFail);
  game.GetSettings()->SetInt(SettingId::FULLSCREEN, 1);
  game.RenderFrame();
  EXPECT_EQ(harness_.windows.GetWindowStyle(1), platform::window_style::kWindowed);
  EXPECT_EQ(game.GetSettings()->GetInt(SettingId::FULLSCREEN), 0);
  EXPECT_EQ(harness_.windows.MessageBoxes().size(), 1u) << "the failure is reported once";
}

TEST_F(GameApplicationTest, FrameTimeIsClampedToOneTwentiethOfASecond) {
  GameApplication& game = Started();
  elapsed_ = 0.3;
  ASSERT_EQ(game.RenderFrame(), platform::kOk);
  EXPECT_FLOAT_EQ(game.LastFrameTime(), 0.05f);
  elapsed_ = 0.01;
  ASSERT_EQ(game.RenderFrame(), platform::kOk);
  EXPECT_FLOAT_EQ(game.LastFrameTime(), 0.01f);
  EXPECT_FLOAT_EQ(game.GetHostStatsReport()->timePlayed, 0.06f) << "play time counts the clamped frames";
  // A delay is counted down by the clamped time too.
  game.GetScreenFlow()->Reset(gs::kMenus, 0, 13);
  game.GetScreenFlow()->Request(gs::kQuit, 0.1f);
  elapsed_ = 1.0;
  ASSERT_EQ(game.RenderFrame(), platform::kOk);
  EXPECT_EQ(game.GetScreenFlow()->state, gs::kMenus);
  ASSERT_EQ(game.RenderFrame(), platform::kOk);
  EXPECT_EQ(game.GetScreenFlow()->state, gs::kQuit);
}

TEST_F(GameApplicationTest, TheControllerDecidesTheJoystickSettingAndItsSize) {
  {
    GameApplication& without = Started();
    EXPECT_EQ(without.GetSettings()->GetInt(SettingId::JOYSTICK), 0);
    ASSERT_NE(without.GetInputDevices(), nullptr);
    EXPECT_FALSE(without.GetInputDevices()->present);
  }
  app_.reset();
  controllerAttached_ = true;
  GameApplication& with = Started();
  ASSERT_TRUE(with.GetInputDevices()->present);
  EXPECT_EQ(with.GetInputDevices()->GetJoystickAxisCount(), 6);
  EXPECT_EQ(with.GetInputDevices()->GetJoystickButtonCount(), 12);
}

TEST_F(GameApplicationTest, EachFrameTitlesTheWindowAndDrawsOnAClearedTarget) {
  GameApplication& game = Started();
  game.GetSettings()->SetString(app::StringSettingId::GAMENAME, "Corsaire II");
  ASSERT_EQ(game.RenderFrame(), platform::kOk);
  EXPECT_EQ(harness_.windows.GetWindowText(1), "Corsaire II");
  platform::gfx::NullDevice* device = harness_.graphics->lastDevice;
  ASSERT_NE(device, nullptr);
  ASSERT_FALSE(device->Clears().empty());
  EXPECT_EQ(device->Clears().back().color, 0u);
  EXPECT_EQ(device->Stats().presents, 1u);
  uint32_t value = 0;
  device->GetRenderState(platform::gfx::RenderState::CullMode, value);
  EXPECT_EQ(value, static_cast<uint32_t>(platform::gfx::CullMode::CounterClockwise));
  device->GetRenderState(platform::gfx::RenderState::ZEnable, value);
  EXPECT_EQ(value, 1u) << "the 2D pass puts depth testing back";
  device->GetTextureStageState(0, platform::gfx::TextureStageState::AlphaArg1, value);
  EXPECT_EQ(value, static_cast<uint32_t>(platform::gfx::texture_arg::kDiffuse));
}

TEST_F(GameApplicationTest, TheFrameRateLabelIsDrawnOnlyWhenShowFpsIsOn) {
  ASSERT_TRUE(contentgen::WriteImageContent(folder_.string()));
  GameApplication& game = Started();
  platform::gfx::NullDevice* device = harness_.graphics->lastDevice;
  ASSERT_NE(device, nullptr);
  game.GetSettings()->SetInt(SettingId::SHOWFPS, 0);
  ASSERT_EQ(game.RenderFrame(), platform::kOk);
  const uint32_t drawsWithout = device->Stats().draws;
  ASSERT_EQ(game.RenderFrame(), platform::kOk);
  const uint32_t perFrameWithout = device->Stats().draws - drawsWithout;
  game.GetSettings()->SetInt(SettingId::SHOWFPS, 1);
  const uint32_t before = device->Stats().draws;
  ASSERT_EQ(game.RenderFrame(), platform::kOk);
  EXPECT_GT(device->Stats().draws - before, perFrameWithout) << "the label adds its glyphs";
}

}  // namespace
}  // namespace game
