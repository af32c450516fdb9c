// The game application on the null backends: settings and profile kept across the run, the screen flow in the
// frame update, the pause menu, full screen, frame time and the frame-rate label.
#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/settings_file.h"
#include "app/text_file_reader.h"
#include "contentgen/default_config.h"
#include "contentgen/images.h"
#include "contentgen/race_content.h"
#include "frontend/audio_screen.h"
#include "game_test_support.h"
#include "race/player_profile.h"
#include "render/effects/race_camera.h"
#include "screens/video_options_screen.h"

namespace game {
namespace {

namespace fs = std::filesystem;
namespace gs = app::game_state;
namespace wm = platform::wm;
using app::SettingId;

// Each test runs in a scratch game folder of its own with the sample default settings and fonts.
class GameApplicationTest : public game_test::GameFixture {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("corsaire_game_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
               std::to_string(std::random_device{}()));
    fs::create_directories(folder_);
    ASSERT_TRUE(contentgen::WriteDefaultConfig(folder_.string()));
  }
  void TearDown() override {
    GameFixture::TearDown();
    fs::remove_all(folder_);
  }

  std::string Folder() const { return folder_.string() + "/"; }
  GameApplication& Make() { return GameFixture::Make(Folder()); }
  GameApplication& Started() { return GameFixture::Started(Folder()); }

  void Close(GameApplication& game) {
    harness_.windows.PostMessage(Window(), wm::kClose, 0, 0);
    game.Run();
  }

  fs::path folder_;
  app::HardwareInfo hardware_{app::MachineFacts{1500, 1024, 8}};
};

TEST_F(GameApplicationTest, AFreshProfileCoversTheContentListsCarsAndIsSavedOnlyForAChosenPlayer) {
  ASSERT_TRUE(contentgen::WriteRaceContent(folder_.string()));
  GameApplication& game = Started();
  EXPECT_EQ(game.GetContentDatabase()->VehicleCount(), static_cast<int>(contentgen::ManifestCars().size()));
  EXPECT_EQ(game.GetPlayerProfile()->IndexOf(game.GetContentDatabase()->vehicleNames.front()), 0);
  const fs::path profile = folder_ / "PROFILES" / "ANNA.dat";
  game.GetPlayerProfile()->SetName("ANNA");
  game.GetPlayerProfile()->SetFilePath(profile.string());
  game.GetPlayerProfile()->AddMoney(1234);
  Close(game);
  EXPECT_TRUE(fs::exists(profile)) << "written at shutdown";

  app_.reset();
  fs::remove_all(folder_ / "PROFILES");
  Close(Started());
  EXPECT_FALSE(fs::exists(folder_ / "PROFILES")) << "no player chosen, no profile file";
}

TEST_F(GameApplicationTest, SettingsChangedDuringTheRunAreInConfigDatAfterTheWindowCloses) {
  GameApplication& game = Started();
  ASSERT_FALSE(fs::exists(folder_ / "config.dat"));
  game.GetSettings()->SetInt(SettingId::MUSICVOLUME, 23);
  game.GetSettings()->BindKey(static_cast<int>(app::InputAction::Pause), 'P');
  Frames(1);
  Close(game);
  EXPECT_EQ(game.GetSettings(), nullptr) << "final clean-up released the settings";

  app::Settings saved(hardware_, "", "");
  app::TextFileReader reader;
  ASSERT_TRUE(reader.Open(Folder() + app::kConfigFileName));
  saved.ReadConfig(reader);
  EXPECT_EQ(saved.GetInt(SettingId::MUSICVOLUME), 23);
  EXPECT_EQ(saved.GetKey(static_cast<int>(app::InputAction::Pause)), 'P');
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 2)
      << "default_config.dat and config.dat only: no temporary file is left behind";
}

// A damaged config.dat starts the game as a first run does (in a window, with the first-run detail) instead of in
// full screen with every effect; the damaged file stays beside the config.dat the game writes at the end.
TEST_F(GameApplicationTest, ADamagedConfigDatStartsTheGameAsAFirstRunAndIsKept) {
  Close(Started());
  std::ifstream firstRunFile(folder_ / "config.dat", std::ios::binary);
  const std::string firstRun(std::istreambuf_iterator<char>(firstRunFile), {});
  app_.reset();

  std::mt19937 random(8);
  std::string noise(400, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  // Binary bytes, and lines behind an empty first line, where reading stops before any setting.
  const std::string damaged[] = {noise, "\nFULLSCREEN:1\nMOTIONBLUR:1\nMASTERVOLUME:99999\n"};
  for (const std::string& text : damaged) {
    fs::remove(folder_ / "config.dat.bad");
    std::ofstream(folder_ / "config.dat", std::ios::binary) << text;
    GameApplication& game = Started();
    const size_t boxesBefore = harness_.windows.MessageBoxes().size();
    Frames(1);
    // The player is told over the game's window, once, in plain words.
    ASSERT_EQ(harness_.windows.MessageBoxes().size(), boxesBefore + 1);
    const std::string& told = harness_.windows.MessageBoxes().back().text;
    EXPECT_NE(told.find("settings file config.dat could not be read"), std::string::npos) << told;
    EXPECT_NE(told.find("kept as " + Folder() + "config.dat.bad."), std::string::npos) << told;
    EXPECT_NE(told.find("starts with its first-run settings"), std::string::npos) << told;
    Frames(2);
    EXPECT_EQ(harness_.windows.MessageBoxes().size(), boxesBefore + 1) << "told once";
    EXPECT_EQ(harness_.windows.GetWindowStyle(Window()), platform::window_style::kWindowed);
    EXPECT_EQ(game.GetSettings()->GetInt(SettingId::FULLSCREEN), 0);
    EXPECT_NE(game.GetSettings()->GetInt(SettingId::MASTERVOLUME), 99999);
    Close(game);
    app_.reset();
    std::ifstream kept(folder_ / "config.dat.bad", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), text);
    std::ifstream written(folder_ / "config.dat", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), firstRun) << "as a first run writes it";
  }
}

// Files an older build left behind read whole through a run: a config.dat with a music folder whose name holds
// what now looks like an escape, its lines followed by the zero bytes a crash can leave, and a profile with a line
// end after its last car. Nothing is set aside or shown, and the quit writes both back as they were read.
TEST_F(GameApplicationTest, AnOlderConfigDatAndProfileReadWholeThroughARun) {
  ASSERT_TRUE(contentgen::WriteRaceContent(folder_.string()));
  Close(Started());
  app_.reset();
  std::ifstream firstRunFile(folder_ / "config.dat", std::ios::binary);
  std::string config(std::istreambuf_iterator<char>(firstRunFile), {});
  firstRunFile.close();
  const auto replaceLine = [&config](const std::string& key, const std::string& line) {
    const size_t start = config.find("\n" + key + ":") + 1;
    ASSERT_NE(start, 0u) << key;
    config.replace(start, config.find('\n', start) - start, line);
  };
  const std::string folderName = "/m/Rock%2CPop";
  replaceLine("MP3FOLDER", "MP3FOLDER:" + folderName);
  replaceLine("SHOWFPS", "SHOWFPS:1");
  replaceLine("FIRSTRUN", "FIRSTRUN:0");
  std::ofstream(folder_ / "config.dat", std::ios::binary) << config << std::string(64, '\0');

  race::ProfileFileData older;
  older.money = 123456;
  older.careerProgress = 2;
  const std::string car = contentgen::ManifestCars().front().name;
  older.vehicles.push_back({car, true, {1, 4}, {4}});
  std::vector<unsigned char> bytes = race::EncodeProfileFile(older);
  const size_t profileBytes = bytes.size();
  bytes.push_back('\r');
  bytes.push_back('\n');
  const fs::path profile = folder_ / "PROFILES" / "ANN.dat";
  fs::create_directories(profile.parent_path());
  std::ofstream(profile, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());

  GameApplication& game = Started();
  const size_t boxesBefore = harness_.windows.MessageBoxes().size();
  ASSERT_EQ(game.GetPlayerProfile()->Load(profile.string()), race::ProfileLoad::kLoaded);
  Frames(2);
  EXPECT_EQ(harness_.windows.MessageBoxes().size(), boxesBefore) << "nothing to tell";
  EXPECT_EQ(game.GetSettings()->GetString(app::StringSettingId::MP3FOLDER), folderName);
  EXPECT_EQ(game.GetSettings()->GetInt(SettingId::SHOWFPS), 1);
  EXPECT_FALSE(game.GetSettings()->IsFirstRun());
  const race::PlayerProfile& player = *game.GetPlayerProfile();
  EXPECT_EQ(player.name, "ANN");
  EXPECT_EQ(player.money, 123456);
  EXPECT_EQ(player.careerProgress, 2u);
  EXPECT_TRUE(player.IsOwned(car));
  const int index = player.IndexOf(car);
  ASSERT_GE(index, 0);
  EXPECT_EQ(player.selections[static_cast<size_t>(index)]->ownedIds, (std::vector<uint32_t>{1, 4}));
  EXPECT_EQ(player.selections[static_cast<size_t>(index)]->installedIds, std::vector<uint32_t>{4});
  Close(game);
  app_.reset();

  EXPECT_FALSE(fs::exists(folder_ / "config.dat.bad"));
  EXPECT_FALSE(fs::exists(folder_ / "PROFILES" / "ANN.dat.bad"));
  std::ifstream savedConfig(folder_ / "config.dat", std::ios::binary);
  const std::string saved(std::istreambuf_iterator<char>(savedConfig), {});
  EXPECT_NE(saved.find("\nMP3FOLDER:" + folderName + "\n"), std::string::npos) << "the folder's name as it stands";
  EXPECT_NE(saved.find("\nSHOWFPS:1\n"), std::string::npos);
  std::ifstream savedProfile(profile, std::ios::binary);
  const std::vector<unsigned char> written{std::istreambuf_iterator<char>(savedProfile), {}};
  race::ProfileFileData reread;
  std::string problem;
  ASSERT_TRUE(race::ParseProfileFile(written, reread, problem)) << problem;
  EXPECT_EQ(reread.money, 123456);
  EXPECT_EQ(reread.careerProgress, 2u);
  EXPECT_GE(written.size(), profileBytes) << "every car of the content list is written";
}

// A config.dat with lines the game skips or reads leniently is no damage: every other line of it holds through a
// start and a quit, and nothing is set aside or shown.
TEST_F(GameApplicationTest, AConfigDatWithSkippedLinesKeepsEveryOtherSettingThroughARun) {
  const int camera = static_cast<int>(app::InputAction::Camera);
  GameApplication& first = Started();
  first.GetSettings()->SetInt(SettingId::MASTERVOLUME, 37);
  first.GetSettings()->BindKey(camera, 'V');
  first.GetSettings()->SetFirstRun(false);
  Close(first);
  app_.reset();
  std::ifstream savedFile(folder_ / "config.dat", std::ios::binary);
  std::string text(std::istreambuf_iterator<char>(savedFile), {});
  savedFile.close();
  auto replaceLine = [&text](const std::string& key, const std::string& line) {
    const size_t start = text.find("\n" + key + ":") + 1;
    ASSERT_NE(start, 0u) << key;
    text.replace(start, text.find('\n', start) - start, line);
  };
  replaceLine("FOV", "FOV:60.5");
  replaceLine("SHOWFPS", "SHOWFPS:abc");
  replaceLine("NEARCLIP", "NEARCLIP");
  text = "TURBOBOOST:3\n" + text;
  std::ofstream(folder_ / "config.dat", std::ios::binary) << text;

  const size_t boxesBefore = harness_.windows.MessageBoxes().size();
  GameApplication& game = Started();
  Frames(2);
  EXPECT_EQ(harness_.windows.MessageBoxes().size(), boxesBefore) << "nothing to tell";
  EXPECT_EQ(game.GetSettings()->GetFloat(app::FloatSettingId::FOV), 60.5f);
  EXPECT_EQ(game.GetSettings()->GetInt(SettingId::MASTERVOLUME), 37);
  EXPECT_EQ(game.GetSettings()->GetInt(SettingId::SHOWFPS), 0);
  EXPECT_EQ(game.GetSettings()->GetKey(camera), 'V');
  Close(game);
  app_.reset();

  EXPECT_FALSE(fs::exists(folder_ / "config.dat.bad"));
  app::Settings saved(hardware_, "", "");
  app::TextFileReader reader;
  ASSERT_TRUE(reader.Open(Folder() + app::kConfigFileName));
  saved.ReadConfig(reader);
  EXPECT_EQ(saved.GetFloat(app::FloatSettingId::FOV), 60.5f);
  EXPECT_EQ(saved.GetInt(SettingId::MASTERVOLUME), 37);
  EXPECT_EQ(saved.GetKey(camera), 'V');
  EXPECT_FALSE(saved.IsFirstRun());
}

// Every value an option screen, a car screen or the race can give a setting is in config.dat after a quit and
// back in the game after the next start, and the file the game writes then is the one it read.
TEST_F(GameApplicationTest, EveryValueTheGameCanSetSurvivesAQuitAndAStart) {
  struct Choice {
    std::string where;
    SettingId id;
    std::vector<int> values;
  };
  const auto upTo = [](int count) {
    std::vector<int> values(static_cast<size_t>(count));
    for (int v = 0; v < count; ++v) values[static_cast<size_t>(v)] = v;
    return values;
  };
  std::vector<Choice> choices;
  for (const screens::VideoRow& row : screens::VideoRows) {
    choices.push_back({std::string("video options ") + row.label, row.setting, upTo(row.valueCount)});
  }
  // The audio sliders set any volume 0-100; the CD row steps through its named modes, the folder row on and off.
  for (SettingId volume : {SettingId::MASTERVOLUME, SettingId::MUSICVOLUME, SettingId::SFXVOLUME}) {
    choices.push_back({"audio options volume", volume, upTo(101)});
  }
  choices.push_back({"audio options Audio CD", SettingId::CDMUSIC, upTo(std::size(frontend::MusicModeNames))});
  choices.push_back({"audio options MP3 folder", SettingId::MP3MUSIC, upTo(2)});
  // The race stores the camera's view as it steps through them, and the headlight switch.
  std::vector<int> views;
  render::RaceCamera camera(nullptr);
  do {
    views.push_back(camera.viewMode);
    camera.NextView();
  } while (camera.viewMode != 0);
  choices.push_back({"race camera", SettingId::TRACKCAMERA, views});
  choices.push_back({"race headlights", SettingId::TURNONHEADLIGHT, upTo(2)});
  choices.push_back({"car screens gearbox", SettingId::USEAUTOMATIC, upTo(2)});
  // The controls screen turns the controller on only while one is attached.
  choices.push_back({"control options controller", SettingId::JOYSTICK, upTo(2)});
  controllerAttached_ = true;

  // Round r gives every setting its value r (modulo its count), so every value is held in some round. The
  // screens turn the MP3 folder off when the CD plays, so a round where both would be on holds only the CD.
  size_t rounds = 0;
  for (const Choice& choice : choices) rounds = std::max(rounds, choice.values.size());
  const auto written = [this] {
    std::ifstream file(folder_ / "config.dat", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
  };
  std::map<std::pair<SettingId, int>, int> survived;
  for (size_t round = 0; round < rounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    app::Settings& settings = *Started().GetSettings();
    for (const Choice& choice : choices) settings.SetInt(choice.id, choice.values[round % choice.values.size()]);
    settings.Validate();
    Frames(1);
    std::array<int, app::kIntSettingCount> held{};
    for (int i = 0; i < app::kIntSettingCount; ++i) held[i] = settings.GetInt(static_cast<SettingId>(i));
    Close(*app_);
    app_.reset();
    const std::string saved = written();

    GameApplication& again = Started();
    Frames(1);
    for (const Choice& choice : choices) {
      const int value = held[static_cast<int>(choice.id)];
      const int read = again.GetSettings()->GetInt(choice.id);
      EXPECT_EQ(read, value) << choice.where;
      if (read == value) ++survived[{choice.id, value}];
    }
    Close(again);
    app_.reset();
    EXPECT_EQ(written(), saved) << "the next quit writes what the start read";
  }
  for (const Choice& choice : choices) {
    for (int value : choice.values) {
      EXPECT_GT((survived[{choice.id, value}]), 0) << choice.where << " " << value << " was never held at a quit";
    }
  }
}

// The right mouse button reaches the game as the left does: through the window's messages into the game's own
// mouse state and the menus', where a frame of the menus consumes the click and a release ends the hold.
TEST_F(GameApplicationTest, BothMouseButtonsArriveThroughTheWindowAndTheMenusConsumeTheirClicks) {
  GameApplication& game = Started();
  app::ScreenFlow& flow = *game.GetScreenFlow();
  for (int frames = 0; flow.state != gs::kDisclaimer && frames < 10; ++frames) Frames(1);
  ASSERT_NE(game.GetGuiContext(), nullptr);
  game.GetGuiContext()->accepted = true;
  for (int frames = 0; flow.state != gs::kMenus && frames < 100; ++frames) Frames(1);
  ASSERT_EQ(flow.state, gs::kMenus);
  frontend::MenuManager& menus = *game.GetMenuManager();

  auto deliver = [&](uint32_t message) {
    harness_.windows.PostMessage(Window(), message, 0, 0);
    platform::Message taken;
    while (harness_.windows.PeekMessage(taken, true)) harness_.windows.DispatchMessage(taken);
  };
  const struct {
    const char* name;
    uint32_t down, up;
    const uint8_t app::MouseState::*clicked;
    const uint8_t app::MouseState::*held;
  } buttons[] = {
      {"left", wm::kLButtonDown, wm::kLButtonUp, &app::MouseState::leftClicked, &app::MouseState::leftHeld},
      {"right", wm::kRButtonDown, wm::kRButtonUp, &app::MouseState::rightClicked, &app::MouseState::rightHeld},
  };
  for (const auto& button : buttons) {
    SCOPED_TRACE(button.name);
    deliver(button.down);
    EXPECT_EQ(game.Mouse().*button.clicked, 1);
    EXPECT_EQ(game.Mouse().*button.held, 1);
    EXPECT_EQ(menus.mouse.*button.clicked, 1);
    EXPECT_EQ(menus.mouse.*button.held, 1);
    Frames(1);
    EXPECT_EQ(menus.mouse.*button.clicked, 0) << "the menus' frame consumed the click";
    EXPECT_EQ(menus.mouse.*button.held, 1) << "still held";
    deliver(button.down);
    EXPECT_EQ(menus.mouse.*button.clicked, 0) << "a held button does not click again";
    deliver(button.up);
    EXPECT_EQ(game.Mouse().*button.held, 0);
    EXPECT_EQ(menus.mouse.*button.held, 0);
    // A tap between two frames still clicks once.
    deliver(button.down);
    deliver(button.up);
    EXPECT_EQ(menus.mouse.*button.clicked, 1);
    EXPECT_EQ(menus.mouse.*button.held, 0);
    Frames(1);
    EXPECT_EQ(menus.mouse.*button.clicked, 0);
  }
}

// A long frame counts as a twentieth of a second, for the play time and for the screen flow's delays alike.
TEST_F(GameApplicationTest, WithoutAnIntroSceneTheNoticeComesAtOnceAndAcceptingItOpensTheMenus) {
  GameApplication& game = Started();
  app::ScreenFlow& flow = *game.GetScreenFlow();
  ASSERT_FALSE(fs::exists(folder_ / "INTRO")) << "the folder has no intro";
  int frames = 0;
  while (flow.state != gs::kDisclaimer && frames < 10) {
    Frames(1);
    ++frames;
  }
  EXPECT_EQ(flow.state, gs::kDisclaimer) << "nothing to watch: the notice follows";
  ASSERT_NE(game.GetGuiContext(), nullptr);
  Frames(20);
  EXPECT_EQ(flow.state, gs::kDisclaimer) << "the notice waits for Accept";
  game.GetGuiContext()->accepted = true;
  for (frames = 0; flow.state != gs::kMenus && frames < 100; ++frames) Frames(1);
  EXPECT_EQ(flow.state, gs::kMenus);
  EXPECT_FALSE(game.IsQuitRequested());
}

TEST_F(GameApplicationTest, FrameTimeIsClampedToATwentiethOfASecond) {
  GameApplication& game = Started();
  app::ScreenFlow& flow = *game.GetScreenFlow();
  elapsed_ = 0.3;
  flow.Reset(gs::kMenus, 0, 13);
  flow.Request(gs::kQuit, 0.1f);
  const float played = game.GetHostStatsReport()->timePlayed;
  Frames(1);
  EXPECT_FLOAT_EQ(game.LastFrameTime(), 0.05f);
  EXPECT_FLOAT_EQ(game.GetHostStatsReport()->timePlayed, played + 0.05f);
  EXPECT_EQ(flow.state, gs::kMenus);
  Frames(1);
  EXPECT_EQ(flow.state, gs::kQuit);
  EXPECT_TRUE(game.IsQuitRequested());
}

TEST_F(GameApplicationTest, ThePauseMenuHoldsTheSoundAndOnlyARaceLosingFocusOpensIt) {
  GameApplication& game = Started();
  app::ScreenFlow& flow = *game.GetScreenFlow();
  flow.Reset(gs::kOpenPauseMenu, 0, app::menu_screen::kPauseMenu);
  Frames(1);
  EXPECT_EQ(flow.state, gs::kPauseMenu);
  EXPECT_TRUE(game.GetSoundSystem()->paused);
  game.Resume();
  EXPECT_TRUE(game.GetSoundSystem()->paused) << "the pause menu is still open";
  flow.Reset(gs::kResumeRace, 0, 13);
  Frames(1);
  EXPECT_EQ(flow.state, gs::kRacing);
  EXPECT_FALSE(game.GetSoundSystem()->paused);

  game.Pause();
  EXPECT_EQ(flow.FrontState(), gs::kOpenPauseMenu);
  EXPECT_TRUE(game.GetSoundSystem()->paused);
  flow.Reset(gs::kMenus, 0, 13);
  game.Pause();
  EXPECT_TRUE(flow.IsQueueEmpty()) << "only a race opens the pause menu";
}

TEST_F(GameApplicationTest, FullScreenFollowsTheSettingAndAFailedSwitchTurnsItOff) {
  GameApplication& game = Started();
  game.GetSettings()->SetInt(SettingId::FULLSCREEN, 1);
  Frames(1);
  EXPECT_NE(harness_.windows.GetWindowStyle(1), platform::window_style::kWindowed);
  game.GetSettings()->SetInt(SettingId::FULLSCREEN, 0);
  Frames(1);
  EXPECT_EQ(harness_.windows.GetWindowStyle(1), platform::window_style::kWindowed);

  // So that the next start runs in a window.
  harness_.graphics->lastDevice->FailNextResets(1, platform::kFail);
  game.GetSettings()->SetInt(SettingId::FULLSCREEN, 1);
  game.RenderFrame();
  EXPECT_EQ(harness_.windows.GetWindowStyle(1), platform::window_style::kWindowed);
  EXPECT_EQ(game.GetSettings()->GetInt(SettingId::FULLSCREEN), 0);
  EXPECT_EQ(harness_.windows.MessageBoxes().size(), 1u) << "the failure is reported once";
}

TEST_F(GameApplicationTest, TheFrameRateLabelIsDrawnOnlyWhenShowFpsIsOn) {
  ASSERT_TRUE(contentgen::WriteImageContent(folder_.string()));
  GameApplication& game = Started();
  const platform::gfx::NullDevice& device = *harness_.graphics->lastDevice;
  const auto drawsOfAFrame = [&] {
    const uint32_t before = device.Stats().draws;
    Frames(1);
    return device.Stats().draws - before;
  };
  game.GetSettings()->SetInt(SettingId::SHOWFPS, 0);
  drawsOfAFrame();
  const uint32_t without = drawsOfAFrame();
  game.GetSettings()->SetInt(SettingId::SHOWFPS, 1);
  EXPECT_GT(drawsOfAFrame(), without) << "the label adds its glyphs";
}

TEST_F(GameApplicationTest, TheSystemPointerIsHiddenOverTheWindowInAWindowAndInFullScreen) {
  GameApplication& game = Started();
  ASSERT_TRUE(harness_.windows.CursorShown());
  // The window came into view during start-up; the desktop asks it which pointer to show.
  platform::Message message;
  while (harness_.windows.PeekMessage(message, true)) harness_.windows.DispatchMessage(message);
  Frames(1);
  EXPECT_FALSE(harness_.windows.CursorShown()) << "only the game's own pointer shows";
  game.GetSettings()->SetInt(SettingId::FULLSCREEN, 1);
  Frames(2);
  while (harness_.windows.PeekMessage(message, true)) harness_.windows.DispatchMessage(message);
  ASSERT_EQ(harness_.windows.GetWindowStyle(Window()), platform::window_style::kFullscreen);
  EXPECT_FALSE(harness_.windows.CursorShown());
}

TEST_F(GameApplicationTest, InFullScreenOnAWideScreenWithoutTheModeThePointerIsWhereTheMouseIsOverThePicture) {
  // A 1920 x 1080 screen that offers no other mode: the 800 x 600 picture is shown 1440 x 1080, 240 in from
  // the left.
  platform::gfx::NullAdapter& adapter = harness_.machine.adapters.at(0);
  const platform::gfx::DisplayMode wide{1920, 1080, 60, platform::gfx::Format::X8R8G8B8};
  adapter.modes = {wide};
  adapter.desktopMode = wide;
  harness_.windows.SetDesktopSize(1920, 1080);
  harness_.windows.SetDisplayModes({{1920, 1080}});
  GameApplication& game = Started();
  game.GetSettings()->SetInt(SettingId::RESOLUTION, 2);
  game.GetSettings()->SetInt(SettingId::FULLSCREEN, 1);
  game.GetSettings()->UpdateDerived();  // as the video options do
  Frames(2);
  ASSERT_EQ(harness_.windows.GetWindowStyle(Window()), platform::window_style::kFullscreen);
  ASSERT_EQ(game.GetSettings()->GetInt(SettingId::SCREENWIDTH), 800);
  ASSERT_EQ(harness_.windows.GetClientRect(Window()), (platform::Rect{0, 0, 800, 600}));
  const struct {
    platform::Point screen;
    int x, y;
  } points[] = {{{960, 540}, 400, 300}, {{420, 360}, 100, 200}, {{1679, 1079}, 799, 599}, {{100, 540}, 0, 300}};
  for (const auto& point : points) {
    harness_.windows.SetCursorPos(point.screen);
    Frames(1);
    EXPECT_EQ(game.Mouse().scaledCursor.x, point.x) << point.screen.x << "," << point.screen.y;
    EXPECT_EQ(game.Mouse().scaledCursor.y, point.y) << point.screen.x << "," << point.screen.y;
  }
}

}  // namespace
}  // namespace game
