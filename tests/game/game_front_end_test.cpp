// The game's front end on the null backends over the sample content: intro, notice and menus in order, keys
// and clicks reaching the current screen, the showroom, the garage, the pause menu and device resets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "app/data_file.h"
#include "contentgen/content.h"
#include "frontend/career_race_screen.h"
#include "frontend/contest_race_screen.h"
#include "frontend/help_screen.h"
#include "frontend/loading_screen.h"
#include "frontend/main_menu_screen.h"
#include "frontend/race_request.h"
#include "frontend/screen_ids.h"
#include "game_test_support.h"
#include "platform/file_system.h"
#include "platform/gfx/memory_resources.h"
#include "platform/image/picture_decoder.h"
#include "race/hud/minimap.h"
#include "race/hud/race_hud.h"
#include "race/player_profile.h"
#include "race/race_result.h"
#include "render/resources/image_resource.h"
#include "screens/garage_screen.h"
#include "screens/practice_screen.h"
#include "screens/profile_screen.h"
#include "screens/results_screen.h"
#include "screens/vehicle_class_screen.h"
#include "vehicle/stunt_tracker.h"
#include "vehicle/vehicle.h"

namespace game {
namespace {

namespace gs = app::game_state;
namespace wm = platform::wm;
namespace index = frontend::screen_index;
using app::SettingId;

// The frame budget for any wait below: far more than the intro or a fade needs at 20 frames a second.
constexpr int kMaxFrames = 2000;

class GameFrontEndTest : public game_test::GameFixture {
 protected:
  GameApplication& Started() { return GameFixture::Started(game_test::SampleGameFolder()); }

  // Frames until the flow reaches state, at most kMaxFrames; returns the frames it took, or -1.
  int RunUntil(app::GameState state) {
    for (int frame = 1; frame <= kMaxFrames; ++frame) {
      EXPECT_EQ(app_->RenderFrame(), platform::kOk);
      if (app_->GetScreenFlow()->state == state) return frame;
    }
    return -1;
  }

  // A key held down for `frames` frames.
  void PressKey(uintptr_t key, int frames = 1) {
    app_->MsgProc(Window(), wm::kKeyDown, key, 0);
    Frames(frames);
    app_->MsgProc(Window(), wm::kKeyUp, key, 0);
  }

  // Puts the desktop pointer over a point of the 800 × 600 virtual screen and clicks the left button. A quick click
  // goes down and up between two frames, as a touchpad tap does.
  void ClickAt(float x, float y, bool quick = false) {
    const int width = app_->GetSettings()->GetInt(SettingId::SCREENWIDTH);
    const int height = app_->GetSettings()->GetInt(SettingId::SCREENHEIGHT);
    const platform::Point origin = harness_.windows.ScreenToClient(Window(), platform::Point{0, 0});
    const auto clientX = static_cast<int>(x * static_cast<float>(width) / 800.0f);
    const auto clientY = static_cast<int>(y * static_cast<float>(height) / 600.0f);
    harness_.windows.SetCursorPos(platform::Point{clientX - origin.x, clientY - origin.y});
    // A button answers a click once the pointer has come over it.
    Frames(1);
    app_->MsgProc(Window(), wm::kLButtonDown, 0, 0);
    if (!quick) Frames(1);
    app_->MsgProc(Window(), wm::kLButtonUp, 0, 0);
  }

  // From the start through the intro and the notice into the running menus.
  GameApplication& AtTheMainMenu() {
    Started();
    return IntoTheMenus();
  }
  GameApplication& IntoTheMenus() {
    GameApplication& game = *app_;
    game.GetScreenFlow()->Reset(gs::kDisclaimer, 0, app::menu_screen::NoScreenChange);
    game.GetGuiContext()->accepted = true;
    EXPECT_GT(RunUntil(gs::kMenus), 0);
    // Race lists are found beside the executable; the test's game folder is elsewhere.
    const std::string& folder = game_test::SampleGameFolder();
    game.GetContentDatabase()->LoadFrom(app::DataFile(folder + kContentListFile), folder, folder);
    return game;
  }

  // Opens the Help popup from the main menu.
  frontend::HelpScreen* OpenHelp(frontend::MainMenuScreen& mainMenu) {
    ClickAt(690, 428);
    Frames(2);
    return dynamic_cast<frontend::HelpScreen*>(mainMenu.OpenPopup());
  }

  // How often the game has minimised its window.
  size_t Minimised() const {
    size_t count = 0;
    for (const auto& call : harness_.windows.ShowWindowCalls()) {
      count += call.command == platform::show_command::kMinimized ? 1 : 0;
    }
    return count;
  }

  // The first race of the sample lists, started as a race screen starts it.
  const race::RaceDefinition* RaceFromTheMenus() {
    race::ContentDatabase& database = *app_->GetContentDatabase();
    const race::RaceDefinition* race = database.quickRaces != nullptr ? database.quickRaces->At(0) : nullptr;
    EXPECT_NE(race, nullptr) << "the sample content lists races";
    if (race != nullptr) {
      EXPECT_TRUE(frontend::RequestRace(*app_->GetScreenFlow(), database, race));
    }
    return race;
  }
};

TEST_F(GameFrontEndTest, StartUpRunsTheIntroThenTheNoticeUntilAcceptThenTheMainMenu) {
  GameApplication& game = Started();
  app::ScreenFlow& flow = *game.GetScreenFlow();
  ASSERT_NE(game.GetIntroScene()->scene, nullptr) << "the sample intro scene loads";
  Frames(1);
  EXPECT_EQ(flow.state, gs::kIntro);
  const int introFrames = RunUntil(gs::kDisclaimer);
  // Progress runs 0.4 a second and the fade starts at 2: no fewer than five seconds of 0.05 s frames.
  EXPECT_GE(introFrames, 100);
  EXPECT_TRUE(game.GetIntroScene()->finished);

  // The notice stays up, whatever the time and clicks outside Accept, until Accept is clicked.
  Frames(40);
  ClickAt(1.0f, 1.0f);
  Frames(40);
  EXPECT_EQ(flow.state, gs::kDisclaimer);
  const frontend::MenuButton& accept = *game.GetGuiContext()->buttons.Front();
  ClickAt(accept.x, accept.y);  // the button is placed by its centre
  ASSERT_GT(RunUntil(gs::kMenus), 0) << "Accept fades out and enters the menus";
  EXPECT_FALSE(game.IsQuitRequested());
  EXPECT_EQ(game.GetGuiContext(), nullptr) << "the notice is gone once the menus run";
  EXPECT_EQ(game.GetIntroScene(), nullptr) << "the intro scene is gone once the menus run";
  EXPECT_EQ(game.GetMenuManager()->current, index::kMainMenu);
}

TEST_F(GameFrontEndTest, TheScoreScreensShareTheGamesLeaderboardWhichOpensThroughTheGamesLauncher) {
  GameApplication& game = Started();
  frontend::MenuManager& menus = *game.GetMenuManager();
  auto* results = dynamic_cast<screens::RaceResultsScreen*>(menus.Screen(index::kRaceResults));
  auto* contest = dynamic_cast<frontend::ContestRaceScreen*>(menus.Screen(index::kContestRace));
  ASSERT_TRUE(results != nullptr && contest != nullptr);
  EXPECT_EQ(results->leaderboard, game.GetLeaderboard());
  EXPECT_EQ(contest->leaderboard, game.GetLeaderboard());
  game.GetLeaderboard()->ViewScores();
  ASSERT_EQ(launcher_.calls.size(), 1u);
  EXPECT_EQ(launcher_.calls[0].program, game.GetLeaderboard()->BuildViewAddress());
}

TEST_F(GameFrontEndTest, AQuickClickAndAQuickKeyTapEachActOnce) {
  GameApplication& game = AtTheMainMenu();
  frontend::MenuManager& menus = *game.GetMenuManager();
  // "Options": pressed and released before the next frame.
  ClickAt(650, 390, true);
  Frames(3);
  EXPECT_EQ(menus.current, index::kOptionsMenu);

  // Escape tapped between two frames takes the options menu back to the main menu, and only once: a second
  // Escape there would quit the game.
  PressKey(frontend::kKeyEscape, 0);
  Frames(5);
  EXPECT_EQ(menus.current, index::kMainMenu);
  EXPECT_EQ(game.GetScreenFlow()->state, gs::kMenus);
  EXPECT_FALSE(game.IsQuitRequested());
  EXPECT_TRUE(game.GetScreenFlow()->IsQueueEmpty());
}

TEST_F(GameFrontEndTest, TheFirstClickOnTheMainMenuAfterAPopupClosedWithEscapeWorks) {
  // Each popup is opened by a click whose release comes a frame later, so the release reaches the popup; it is
  // then closed from the keyboard.
  const struct {
    const char* popup;
    float x, y;         // the main-menu entry that opens it
    bool typeAName;     // "Create" and a letter before Escape
  } cases[] = {{"help", 690, 428, false}, {"profiles", 650, 314, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.popup);
    GameApplication& game = AtTheMainMenu();
    frontend::MenuManager& menus = *game.GetMenuManager();
    auto* mainMenu = dynamic_cast<frontend::MainMenuScreen*>(menus.CurrentScreen());
    ASSERT_NE(mainMenu, nullptr);
    ClickAt(c.x, c.y);
    Frames(1);
    ASSERT_NE(mainMenu->OpenPopup(), nullptr);
    if (c.typeAName) {
      ClickAt(280, 462);  // Create
      Frames(1);
      PressKey('A');
    }
    PressKey(frontend::kKeyEscape);
    Frames(3);
    ASSERT_EQ(mainMenu->OpenPopup(), nullptr);
    ClickAt(650, 390);  // Options
    Frames(3);
    EXPECT_EQ(menus.current, index::kOptionsMenu);
    TearDown();
  }
}

TEST_F(GameFrontEndTest, TheOptionsMenusEntriesLeadToTheirScreensAndEscapeComesBack) {
  GameApplication& game = AtTheMainMenu();
  frontend::MenuManager& menus = *game.GetMenuManager();
  const struct {
    const char* entry;
    float y;
    int32_t screen;
  } entries[] = {{"Controls", 219, index::kControlMenu}, {"Audio", 259, index::kAudioOptions},
                 {"Video", 299, index::kVideoOptions}};
  ClickAt(650, 390);  // Options
  Frames(3);
  ASSERT_EQ(menus.current, index::kOptionsMenu);
  for (const auto& entry : entries) {
    SCOPED_TRACE(entry.entry);
    ClickAt(400, entry.y);
    Frames(3);
    EXPECT_EQ(menus.current, entry.screen);
    PressKey(frontend::kKeyEscape);
    Frames(3);
    EXPECT_EQ(menus.current, index::kOptionsMenu);
  }
  ClickAt(80, 580);  // Back
  Frames(3);
  EXPECT_EQ(menus.current, index::kMainMenu);
  EXPECT_FALSE(game.IsQuitRequested());
}

TEST_F(GameFrontEndTest, EveryMenuScreensTitleBarIconsSwitchTheWindowToFullScreenAndBackAndQuitTheGame) {
  const int32_t withIcons[] = {index::kMainMenu,   index::kVehicleClass, index::kPracticeRace, index::kGarage,
                               index::kCareerRace, index::kContestRace,  index::kOptionsMenu,  index::kVideoOptions,
                               index::kControlMenu, index::kAudioOptions};
  for (const int32_t screen : withIcons) {
    SCOPED_TRACE(screen);
    GameApplication& game = AtTheMainMenu();
    frontend::MenuManager& menus = *game.GetMenuManager();
    game.GetScreenFlow()->RequestBack(screen, 0.0f);
    Frames(3);
    ASSERT_EQ(menus.current, screen);
    ClickAt(734, 22);  // the full-screen icon
    Frames(2);
    EXPECT_EQ(game.GetSettings()->GetInt(SettingId::FULLSCREEN), 1);
    EXPECT_EQ(harness_.windows.GetWindowStyle(Window()), platform::window_style::kFullscreen);
    ClickAt(734, 22);
    Frames(2);
    EXPECT_EQ(game.GetSettings()->GetInt(SettingId::FULLSCREEN), 0);
    EXPECT_EQ(harness_.windows.GetWindowStyle(Window()), platform::window_style::kWindowed);
    EXPECT_EQ(menus.current, screen) << "the switch keeps the screen";
    EXPECT_FALSE(game.IsQuitRequested());
    ClickAt(778, 22);  // the close icon
    Frames(2);
    EXPECT_TRUE(game.IsQuitRequested());
    TearDown();
  }
}

TEST_F(GameFrontEndTest, F9AndTheMusicFolderReachTheDesktopServicesTheGameRunsOn) {
  GameApplication& game = AtTheMainMenu();
  frontend::MenuManager& menus = *game.GetMenuManager();
  app::Settings& settings = *game.GetSettings();
  // F9 in the garage and on the car choice: the same text on the clipboard and in the box.
  for (const int32_t screen : {index::kGarage, index::kVehicleClass}) {
    game.GetScreenFlow()->RequestBack(screen, 0.0f);
    Frames(3);
    ASSERT_EQ(menus.current, screen);
    clipboard_.texts.clear();
    const size_t boxes = harness_.windows.MessageBoxes().size();
    PressKey(120);
    Frames(1);
    ASSERT_EQ(clipboard_.texts.size(), 1u) << screen;
    ASSERT_EQ(harness_.windows.MessageBoxes().size(), boxes + 1);
    EXPECT_EQ(harness_.windows.MessageBoxes().back().text, clipboard_.texts[0]);
  }

  // "Select Folder" asks the desktop's dialog, opening at the player's music folder; the choice plays.
  settings.SetInt(SettingId::MP3MUSIC, 1);
  settings.SetString(app::StringSettingId::MP3FOLDER, "");
  folderChooser_.answer = platform::FolderChoice::kChosen;
  folderChooser_.folder = game_test::SampleGameFolder() + "MUSIC";
  game.GetScreenFlow()->RequestBack(index::kAudioOptions, 0.0f);
  Frames(3);
  ASSERT_EQ(menus.current, index::kAudioOptions);
  ClickAt(400, 420);
  Frames(1);
  ASSERT_EQ(folderChooser_.asked.size(), 1u);
  EXPECT_EQ(folderChooser_.asked[0].second, platform::UserMusicFolder());
  EXPECT_EQ(settings.GetString(app::StringSettingId::MP3FOLDER), folderChooser_.folder);
  EXPECT_TRUE(game.GetSoundSystem()->IsMusicPlaying());
  EXPECT_EQ(game.GetSoundSystem()->musicFile.rfind(folderChooser_.folder, 0), 0u);
}

TEST_F(GameFrontEndTest, MoreHelpStepsAsideForTheBrowserOrStaysToSayWhereThePageIsAndLaunchesAreReapedEveryFrame) {
  const struct {
    const char* what;
    bool starts;
    platform::ProgramOutcome outcome;
    bool minimised;
  } cases[] = {{"no browser launcher", false, platform::ProgramOutcome::kSucceeded, false},
               {"the launcher fails", true, platform::ProgramOutcome::kFailed, false},
               {"the browser opens", true, platform::ProgramOutcome::kSucceeded, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    GameApplication& game = AtTheMainMenu();
    auto* mainMenu = dynamic_cast<frontend::MainMenuScreen*>(game.GetMenuManager()->CurrentScreen());
    ASSERT_NE(mainMenu, nullptr);
    launcher_.opens = c.starts;
    launcher_.outcome = c.outcome;
    const int reaps = launcher_.reaps;
    auto* help = OpenHelp(*mainMenu);
    ASSERT_NE(help, nullptr);
    ClickAt(555, 447);  // More Help
    Frames(3);
    EXPECT_GT(launcher_.reaps, reaps + 3) << "the frames reap what the game launched";
    ASSERT_FALSE(launcher_.calls.empty());
    EXPECT_EQ(launcher_.calls.back().program, frontend::HelpPageAddress(game_test::SampleGameFolder()));
    EXPECT_EQ(Minimised(), c.minimised ? 1u : 0u);
    EXPECT_EQ(help->pageMessage != nullptr, !c.minimised);
    if (help->pageMessage != nullptr) {
      std::string message = help->pageMessage->text;
      std::replace(message.begin(), message.end(), '\n', ' ');
      EXPECT_NE(message.find("could not be opened"), std::string::npos) << message;
      std::string path = frontend::HelpPagePath(game_test::SampleGameFolder());
      message.erase(std::remove(message.begin(), message.end(), ' '), message.end());
      path.erase(std::remove(path.begin(), path.end(), ' '), path.end());
      EXPECT_NE(message.find(path), std::string::npos) << message;
    }
    TearDown();
  }
}

// Help closed while its page is still being launched, or in the very frame More Help was pressed, forgets that
// page: opened again later, it neither opens it, nor steps the game aside for it, nor tells of its failure.
TEST_F(GameFrontEndTest, HelpOpenedAgainForgetsAPageLeftPendingWhenItClosed) {
  const struct {
    const char* what;
    bool escapeWithTheClick;         // More Help and Escape read in one frame, before any launch
    platform::ProgramOutcome later;  // how a launcher left running ends while Help is closed
  } cases[] = {{"the browser opens", false, platform::ProgramOutcome::kSucceeded},
               {"the launcher fails", false, platform::ProgramOutcome::kFailed},
               {"More Help and Escape in one frame", true, platform::ProgramOutcome::kSucceeded}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    GameApplication& game = AtTheMainMenu();
    auto* mainMenu = dynamic_cast<frontend::MainMenuScreen*>(game.GetMenuManager()->CurrentScreen());
    ASSERT_NE(mainMenu, nullptr);
    const size_t before = Minimised();
    launcher_.outcome = platform::ProgramOutcome::kRunning;
    auto* help = OpenHelp(*mainMenu);
    ASSERT_NE(help, nullptr);
    const size_t launches = c.escapeWithTheClick ? 0 : 1;
    if (c.escapeWithTheClick) {
      ClickAt(555, 447, true);  // More Help, down and up before the next frame
    } else {
      ClickAt(555, 447);  // More Help
      Frames(1);
    }
    ASSERT_EQ(launcher_.calls.size(), launches);
    PressKey(frontend::kKeyEscape);  // within the browser's grace: a launch is still pending
    Frames(3);
    ASSERT_EQ(mainMenu->OpenPopup(), nullptr) << "Help closed";
    ASSERT_EQ(launcher_.calls.size(), launches) << "the close came before any launch";
    launcher_.outcome = c.later;
    Frames(100);  // five seconds on the main menu

    ASSERT_EQ(OpenHelp(*mainMenu), help) << "Help again";
    Frames(38);
    EXPECT_EQ(Minimised(), before) << "the game stays on screen";
    EXPECT_EQ(help->pageMessage, nullptr) << "no word of a page the player gave up on";
    EXPECT_EQ(launcher_.calls.size(), launches) << "nothing opened anew";
    TearDown();
    launcher_.calls.clear();
  }
}

TEST_F(GameFrontEndTest, ViewScoresAndPostScoreSayWhenTheBrowserFailsAndPostScoreLeadsOnOnceItHasOpened) {
  using platform::ProgramOutcome;
  const struct {
    const char* what;
    bool starts;
    ProgramOutcome outcome;  // after a quarter of a second of running
    bool opened;
  } cases[] = {{"no browser launcher", false, ProgramOutcome::kSucceeded, false},
               {"the launcher fails after starting", true, ProgramOutcome::kFailed, false},
               {"the launcher hands the page over", true, ProgramOutcome::kSucceeded, true},
               {"the launcher runs on as the browser", true, ProgramOutcome::kRunning, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    GameApplication& game = AtTheMainMenu();
    frontend::MenuManager& menus = *game.GetMenuManager();
    launcher_.opens = c.starts;
    launcher_.outcome = ProgramOutcome::kRunning;
    const std::string failed = c.opened ? "" : app::kLeaderboardNotOpened;

    game.GetScreenFlow()->RequestBack(index::kContestRace, 0.0f);
    Frames(3);
    auto* contest = dynamic_cast<frontend::ContestRaceScreen*>(menus.CurrentScreen());
    ASSERT_NE(contest, nullptr);
    const int reaps = launcher_.reaps;
    ClickAt(600, 445);  // View Scores
    Frames(5);
    launcher_.outcome = c.outcome;
    Frames(40);  // two seconds: past the grace
    EXPECT_GT(launcher_.reaps, reaps + 40) << "the frames reap what the game launched";
    ASSERT_FALSE(launcher_.calls.empty());
    EXPECT_EQ(launcher_.calls.back().program, game.GetLeaderboard()->BuildViewAddress());
    EXPECT_EQ(contest->scoresMessage->glyphCount > 0 ? contest->scoresMessage->text : "", failed);
    EXPECT_EQ(menus.current, index::kContestRace) << "the game keeps running on the contest screen";

    // A finished contest race's results, as the game hands them over.
    const race::RaceDefinition* race = game.GetContentDatabase()->contestRaces->At(0);
    ASSERT_NE(race, nullptr);
    const race::RaceResult result(1, 0, 61.5f, {}, {}, race);
    game.GetScreenFlow()->RequestBack(index::kRaceResults, 0.0f);
    Frames(3);
    ASSERT_EQ(menus.current, index::kRaceResults);
    menus.SetRaceResults(&result);
    Frames(2);
    auto* results = dynamic_cast<screens::RaceResultsScreen*>(menus.CurrentScreen());
    ASSERT_NE(results, nullptr);
    launcher_.outcome = ProgramOutcome::kRunning;
    ClickAt(400, 430);  // Post Score
    Frames(5);
    EXPECT_EQ(menus.current, index::kRaceResults) << "no leaving before the browser is known to have started";
    launcher_.outcome = c.outcome;
    Frames(40);
    EXPECT_EQ(launcher_.calls.back().program.rfind(app::kLeaderboardEndpoint, 0), 0u);
    EXPECT_NE(launcher_.calls.back().program.find("&d="), std::string::npos) << "the post address";
    EXPECT_EQ(menus.current, c.opened ? index::kMainMenu : index::kRaceResults);
    if (!c.opened) {
      EXPECT_EQ(results->results, &result) << "the results stay";
      EXPECT_EQ(results->postMessage->text, failed);
      EXPECT_GT(results->postMessage->glyphCount, 0);
    }
    TearDown();
  }
}

// A rectangle of the 800 × 600 screen.
struct Box {
  float left, top, right, bottom;
  bool Overlaps(const Box& other) const {
    return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
  }
};

// Where a text label's lines are drawn: one glyph cell high per line.
Box TextBox(const frontend::TextLabel& label) {
  const std::vector<float> widths = label.LineWidths(label.text);
  const float width = *std::max_element(widths.begin(), widths.end());
  const float left = label.align == frontend::kAlignRight    ? label.x - width
                     : label.align == frontend::kAlignCentre ? label.x - width / 2
                                                             : label.x;
  const float lineHeight = static_cast<float>(render::GetImageWidth(label.fontImage)) / 16.0f * label.scale;
  return {left, label.y, left + width, label.y + lineHeight * static_cast<float>(widths.size())};
}

// Where the track outline's road is drawn.
Box OutlineBox(const race::Minimap& outline) {
  Box box{1e9f, 1e9f, -1e9f, -1e9f};
  for (const race::HudVertex& v : outline.trackStrip) {
    box = {std::min(box.left, outline.screenPos.x + v.x), std::min(box.top, outline.screenPos.y - v.y),
           std::max(box.right, outline.screenPos.x + v.x), std::max(box.bottom, outline.screenPos.y - v.y)};
  }
  return box;
}

TEST_F(GameFrontEndTest, RaceScreensPlaceTheirOutlineAtTheMapsPointAndLightTheirRowsInTheAlternateGlyphs) {
  GameApplication& game = AtTheMainMenu();
  frontend::MenuManager& menus = *game.GetMenuManager();
  race::ContentDatabase& content = *game.GetContentDatabase();
  ASSERT_TRUE(content.careerRaces && content.contestRaces && content.quickRaces);
  const auto visit = [&](int32_t screen) -> frontend::MenuScreen& {
    game.GetScreenFlow()->RequestBack(screen, 0.0f);
    Frames(3);
    EXPECT_EQ(menus.current, screen);
    return *menus.CurrentScreen();
  };
  // The outline puts the world origin at (520, 310), fits the path's larger extent into 230 less the road's
  // width of 12, and turns its start marker 16 wide; every text stays inside the screen. A list row names its
  // race in the normal glyphs and lights in the alternate ones; the chosen row has one label, in the alternate.
  const auto check = [&](const frontend::MenuScreen& screen, const race::Minimap* outline, const std::string& what) {
    SCOPED_TRACE(what);
    EXPECT_NE(outline, nullptr) << "every sample track has an outline";
    if (outline == nullptr) return 0;
    EXPECT_FLOAT_EQ(outline->screenPos.x, 520.0f);
    EXPECT_FLOAT_EQ(outline->screenPos.y, 310.0f);
    EXPECT_FLOAT_EQ(outline->halfTrackWidth, 6.0f);
    EXPECT_NE(outline->marker, nullptr);
    if (outline->marker) {
      EXPECT_FLOAT_EQ(outline->marker->quad[1].x - outline->marker->quad[0].x, 16.0f);
    }
    const Box road = OutlineBox(*outline);
    const float extent = std::max(road.right - road.left, road.bottom - road.top);
    EXPECT_NEAR(extent, 230.0f, 12.5f) << "the road's span, its width on both sides";
    for (const frontend::TextLabel* label : screen.texts) {
      if (label->text.empty()) continue;
      const Box text = TextBox(*label);
      EXPECT_TRUE(text.left >= 0 && text.right <= 800) << label->text;
    }
    int chosen = 0;
    for (const frontend::MenuButton* button : screen.buttons) {
      if (button->id < 100 || button->label == nullptr) continue;
      if (button->highlightLabel == nullptr) {
        ++chosen;
        EXPECT_TRUE(button->label->alternate) << button->label->text;
      } else {
        EXPECT_FALSE(button->label->alternate) << button->label->text;
        EXPECT_TRUE(button->highlightLabel->alternate) << button->label->text;
      }
    }
    // The chosen row is lit unless the list shows other rows.
    EXPECT_LE(chosen, 1);
    return chosen;
  };

  auto& contest = dynamic_cast<frontend::ContestRaceScreen&>(visit(index::kContestRace));
  int chosenShown = 0;
  for (int32_t race = 0; race < content.contestRaces->Count(); ++race) {
    contest.selectedIndex = race;
    contest.rebuild = true;
    Frames(1);
    chosenShown += check(contest, contest.minimap.get(), "contest " + content.contestRaces->At(race)->name);
  }
  EXPECT_GT(chosenShown, 0);
  auto& career = dynamic_cast<frontend::CareerRaceScreen&>(visit(index::kCareerRace));
  EXPECT_EQ(check(career, career.minimap.get(), "career"), 1);
  auto& practice = dynamic_cast<screens::PracticeRaceScreen&>(visit(index::kPracticeRace));
  chosenShown = 0;
  for (int32_t venue = 0; venue < content.quickRaces->Count(); ++venue) {
    practice.SelectVenue(venue);
    Frames(1);
    chosenShown += check(practice, practice.minimap.get(), "practice " + content.quickRaces->At(venue)->name);
  }
  EXPECT_GT(chosenShown, 0);
  // The profile list: the chosen row's two labels in the alternate glyphs, the others normal and lit alternate.
  auto* mainMenu = dynamic_cast<frontend::MainMenuScreen*>(&visit(index::kMainMenu));
  ASSERT_NE(mainMenu, nullptr);
  ClickAt(650, 314);  // Career Mode
  Frames(2);
  ASSERT_NE(mainMenu->OpenPopup(), nullptr);
  auto& profiles = dynamic_cast<screens::ProfileScreen&>(*mainMenu->profileScreen);
  int rows = 0;
  for (const frontend::MenuButton* button : profiles.buttons) {
    if (button->id < screens::ProfileScreen::kFirstRow || button->label == nullptr) continue;
    ++rows;
    const bool chosen = button->id - screens::ProfileScreen::kFirstRow == profiles.selectedIndex;
    EXPECT_EQ(button->label->alternate, chosen) << button->label->text;
    ASSERT_NE(button->highlightLabel, nullptr);
    EXPECT_TRUE(button->highlightLabel->alternate) << button->label->text;
  }
  EXPECT_GT(rows, 0) << "the first start lists the default profile";
}

TEST_F(GameFrontEndTest, TheCarChoiceShowsBarsForItsFourRatingsAndNamesBrakingAndNitroWithoutOne) {
  GameApplication& game = AtTheMainMenu();
  frontend::MenuManager& menus = *game.GetMenuManager();
  game.GetScreenFlow()->RequestBack(index::kVehicleClass, 0.0f);
  Frames(4);
  auto* choice = dynamic_cast<screens::VehicleClassScreen*>(menus.CurrentScreen());
  ASSERT_TRUE(choice != nullptr && choice->showroomVehicle != nullptr);
  // A bar's frame stands just right of a rated stat's name; Braking and Nitro are labels alone.
  const struct {
    const char* stat;
    bool bar;
  } stats[] = {{"Top Speed", true}, {"Acceleration", true}, {"Handling", true},
               {"Braking", false},  {"Nitro", false},       {"Style", true}};
  for (const auto& s : stats) {
    const auto name = std::find_if(choice->texts.begin(), choice->texts.end(),
                                   [&](const frontend::TextLabel* label) { return label->text == s.stat; });
    ASSERT_NE(name, choice->texts.end()) << s.stat;
    const auto bar = std::find_if(choice->statBars.begin(), choice->statBars.end(), [&](const frontend::Sprite* b) {
      return std::fabs(b->x - ((*name)->x + 11)) < 2 && std::fabs(b->y - ((*name)->y + 3)) < 2;
    });
    EXPECT_EQ(bar != choice->statBars.end(), s.bar) << s.stat;
  }
  // Four bars of three pieces at most: frame, strip and fill.
  EXPECT_LE(choice->statBars.size(), 12u);
}

TEST_F(GameFrontEndTest, TheGarageShowsItsCarWithoutBuildingItAgainEveryFrame) {
  GameApplication& game = AtTheMainMenu();
  frontend::MenuManager& menus = *game.GetMenuManager();
  race::PlayerProfile& profile = *game.GetPlayerProfile();
  profile.money = 100000;
  game.GetScreenFlow()->RequestBack(index::kGarage, 0.0f);
  Frames(3);
  ASSERT_EQ(menus.current, index::kGarage);
  ASSERT_NE(menus.Showroom()->DisplayedVehicle(), nullptr);
  // The number of times the showroom put up another car in the next frames.
  const auto carsBuilt = [&](int frames) {
    int built = 0;
    const vehicle::Vehicle* shown = menus.Showroom()->DisplayedVehicle();
    for (int frame = 0; frame < frames; ++frame) {
      Frames(1);
      built += menus.Showroom()->DisplayedVehicle() != shown ? 1 : 0;
      shown = menus.Showroom()->DisplayedVehicle();
    }
    return built;
  };
  EXPECT_EQ(carsBuilt(10), 0);
  const std::string first = game.GetSettings()->GetString(app::StringSettingId::VEHICLE);
  ClickAt(660, 20);  // next car
  Frames(2);
  EXPECT_NE(game.GetSettings()->GetString(app::StringSettingId::VEHICLE), first);
  EXPECT_EQ(carsBuilt(10), 0) << "the next car, once shown, stays";
  ClickAt(650, 55);  // Buy
  Frames(2);
  EXPECT_LT(profile.money, 100000);
  EXPECT_TRUE(profile.IsOwned(game.GetSettings()->GetString(app::StringSettingId::VEHICLE)));
  EXPECT_EQ(carsBuilt(10), 0);
}

// The pixel rectangles of "MENUS\button.png" that the screens' sprites and buttons cut, each with where it was
// seen first.
class ButtonImagePieces {
 public:
  void Add(const frontend::MenuScreen& screen, const std::string& where) {
    for (const frontend::Sprite* sprite : screen.images) Add(*sprite, where);
    for (const frontend::MenuButton* button : screen.buttons) Add(*button, where);
  }
  void Add(const frontend::Sprite& sprite, const std::string& where) {
    if (!FromButtonImage(sprite.image) || sprite.vertexBuffer == nullptr) return;
    const auto& bytes = static_cast<platform::gfx::MemoryVertexBuffer*>(sprite.vertexBuffer)->Bytes();
    std::vector<frontend::WidgetVertex> quad(bytes.size() / sizeof(frontend::WidgetVertex));
    std::memcpy(quad.data(), bytes.data(), quad.size() * sizeof(frontend::WidgetVertex));
    if (quad.empty()) return;
    frontend::TexRect rect{quad[0].u, quad[0].v, quad[0].u, quad[0].v};
    for (const auto& corner : quad) {
      rect = {std::min(rect.left, corner.u), std::min(rect.top, corner.v), std::max(rect.right, corner.u),
              std::max(rect.bottom, corner.v)};
    }
    Record(sprite.image, rect, where + " sprite");
  }
  void Add(const frontend::MenuButton& button, const std::string& where) {
    if (!FromButtonImage(button.image)) return;
    Record(button.image, button.normalRect, where + " button " + std::to_string(button.id));
    Record(button.image, button.highlightRect, where + " button " + std::to_string(button.id) + " lit");
  }

  // (left, top, right, bottom) in pixels of the image, ordered so left <= right and top <= bottom.
  std::map<std::array<int, 4>, std::string> pieces;

 private:
  static bool FromButtonImage(const render::ImageResource* image) {
    if (image == nullptr) return false;
    std::string name = image->colourName;
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    const std::string wanted = "button.png";
    return name.size() >= wanted.size() && name.compare(name.size() - wanted.size(), wanted.size(), wanted) == 0;
  }
  void Record(const render::ImageResource* image, const frontend::TexRect& rect, const std::string& where) {
    const auto width = static_cast<float>(render::GetImageWidth(image));
    const auto height = static_cast<float>(render::GetImageHeight(image));
    const std::array<int, 4> pixels = {
        static_cast<int>(std::lround(std::min(rect.left, rect.right) * width)),
        static_cast<int>(std::lround(std::min(rect.top, rect.bottom) * height)),
        static_cast<int>(std::lround(std::max(rect.left, rect.right) * width)),
        static_cast<int>(std::lround(std::max(rect.top, rect.bottom) * height))};
    pieces.emplace(pixels, where);
  }
};

TEST_F(GameFrontEndTest, EveryPieceOfTheButtonImageTheScreensDrawHasDrawnPixels) {
  GameApplication& game = Started();
  ButtonImagePieces seen;
  for (const auto& button : game.GetGuiContext()->buttons) seen.Add(*button, "notice");
  IntoTheMenus();
  // A player with money and a car of their own, so the garage shows its upgrade page and its stat bars.
  frontend::MenuManager& menus = *game.GetMenuManager();
  race::PlayerProfile& profile = *game.GetPlayerProfile();
  profile.money = 1000000;
  for (const std::string& car : game.GetContentDatabase()->vehicleNames) profile.SetOwned(car);
  for (int32_t screen = 0; screen < index::kScreenCount; ++screen) {
    game.GetScreenFlow()->RequestBack(screen, 0.0f);
    Frames(3);
    ASSERT_EQ(menus.current, screen);
    seen.Add(*menus.CurrentScreen(), "screen " + std::to_string(screen));
  }
  auto* mainMenu = dynamic_cast<frontend::MainMenuScreen*>(menus.Screen(index::kMainMenu));
  ASSERT_NE(mainMenu, nullptr);
  seen.Add(*mainMenu->helpScreen, "help");
  auto* profiles = dynamic_cast<screens::ProfileScreen*>(mainMenu->profileScreen.get());
  ASSERT_NE(profiles, nullptr);
  seen.Add(*profiles, "profiles");
  seen.Add(*profiles->confirmDialog, "confirmation");
  auto* results = dynamic_cast<screens::RaceResultsScreen*>(menus.Screen(index::kRaceResults));
  ASSERT_NE(results, nullptr);
  seen.Add(*results->postScoreButton, "results");
  // The garage's two pages: what one page shows, the other holds aside.
  game.GetScreenFlow()->RequestBack(index::kGarage, 0.0f);
  Frames(3);
  auto* garage = dynamic_cast<screens::GarageScreen*>(menus.CurrentScreen());
  ASSERT_NE(garage, nullptr);
  garage->pageRequested = 1;
  garage->ShowAnUpgrade();
  Frames(2);
  seen.Add(*garage, "garage page 1");
  ASSERT_FALSE(garage->statBars.empty()) << "a car is on show";
  for (const frontend::MenuButton* button :
       {garage->buyButton, garage->upgradeButton, garage->purchaseButton, garage->installButton,
        garage->removeButton, garage->nextButton}) {
    seen.Add(*button, "garage");
  }
  for (const frontend::Sprite* sprite : {garage->carPricePanel, garage->statPanel}) seen.Add(*sprite, "garage");

  // The generated picture as the game reads it: the alpha image's grey level is the transparency.
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(platform::ReadWholeFile(game_test::SampleGameFolder() + "MENUS/buttonalpha.png", bytes,
                                      platform::kMaxImageFileBytes));
  platform::image::Picture alpha;
  std::string error;
  ASSERT_TRUE(platform::image::DecodePng(bytes.data(), bytes.size(), alpha, error)) << error;
  const auto drawn = [&](int x, int y) { return alpha.texels[(static_cast<size_t>(y) * alpha.width + x) * 4 + 2] >= 32; };

  // The clear faces of text buttons are meant to be clear.
  const auto face = [](const float (&r)[4]) {
    return std::array<int, 4>{static_cast<int>(r[0]), static_cast<int>(r[1]), static_cast<int>(r[2]),
                              static_cast<int>(r[3])};
  };
  const std::array<int, 4> blankFaces[] = {face(frontend::kBlankButtonNormal), face(frontend::kBlankEntryNormal)};
  EXPECT_GT(seen.pieces.size(), 30u) << "every screen was visited";
  std::string empty;
  for (const auto& [rect, where] : seen.pieces) {
    if (std::find(std::begin(blankFaces), std::end(blankFaces), rect) != std::end(blankFaces)) continue;
    const auto [left, top, right, bottom] = rect;
    ASSERT_TRUE(left >= 0 && top >= 0 && right <= static_cast<int>(alpha.width) &&
                bottom <= static_cast<int>(alpha.height) && left < right && top < bottom)
        << where << " cuts outside the image";
    int count = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) count += drawn(x, y) ? 1 : 0;
    }
    // Frames, arrows and icons leave most of their box clear; a region the image leaves empty shows nothing.
    if (count * 20 < (right - left) * (bottom - top)) {
      empty += "\n  (" + std::to_string(left) + ", " + std::to_string(top) + ")-(" + std::to_string(right) + ", " +
               std::to_string(bottom) + ") " + where;
    }
  }
  EXPECT_EQ(empty, "") << "pieces of MENUS/button.png the screens draw but the image leaves clear";
}

TEST_F(GameFrontEndTest, KeysAndButtonsReachTheMenusOnlyInMenuStates) {
  GameApplication& game = AtTheMainMenu();
  frontend::MenuManager& menus = *game.GetMenuManager();
  // While racing the keys belong to the race.
  for (const app::GameState state : {gs::kMenus, gs::kRacing}) {
    SCOPED_TRACE(state);
    game.GetScreenFlow()->Reset(state, 0, app::menu_screen::NoScreenChange);
    menus.keyboard.ClearAllKeys();
    menus.mouse.ResetMouseButtons();
    app_->MsgProc(Window(), wm::kKeyDown, 'Q', 0);
    app_->MsgProc(Window(), wm::kLButtonDown, 0, 0);
    EXPECT_EQ(menus.keyboard.IsKeyHeld('Q'), state == gs::kMenus);
    EXPECT_EQ(menus.mouse.leftHeld == 1, state == gs::kMenus);
    app_->MsgProc(Window(), wm::kKeyUp, 'Q', 0);
    app_->MsgProc(Window(), wm::kLButtonUp, 0, 0);
  }
}

TEST_F(GameFrontEndTest, TheShowroomGivesWayToTheLoadingRaceAndComesBackAfterIt) {
  GameApplication& game = AtTheMainMenu();
  frontend::MenuManager& menus = *game.GetMenuManager();
  ASSERT_NE(menus.Showroom(), nullptr) << "the showroom stands behind the menus";
  // Choosing a race queues the loading screen and then the race loading, which closes the showroom.
  const race::RaceDefinition* race = RaceFromTheMenus();
  ASSERT_NE(race, nullptr);
  EXPECT_EQ(game.GetScreenFlow()->FrontState(), gs::kLoadingScreen);
  // The loading screen shows in the frame it opens and hands over to the race loading at once.
  Frames(1);
  EXPECT_EQ(menus.current, index::kLoading);
  EXPECT_EQ(game.GetScreenFlow()->state, gs::kRaceLoading);
  EXPECT_EQ(frontend::FindRaceByParameter(*game.GetContentDatabase(), game.GetScreenFlow()->parameter), race);
  auto* loading = dynamic_cast<frontend::LoadingScreen*>(menus.CurrentScreen());
  ASSERT_TRUE(loading != nullptr && loading->progressLabel != nullptr);
  game.SetLoadingProgress(4);
  EXPECT_EQ(loading->progressLabel->text, frontend::LoadingText(4));
  // The track loader's report reaches the loading screen the same way.
  game.SetAudioParam(6);
  EXPECT_EQ(loading->progressLabel->text, frontend::LoadingText(6));
  Frames(1);
  EXPECT_EQ(menus.Showroom(), nullptr);
  // Each loading frame reports the stage the track reached.
  ASSERT_NE(game.GetRaceSession(), nullptr);
  ASSERT_NE(game.GetRaceSession()->loadStage, 6u);
  EXPECT_EQ(loading->progressLabel->text, frontend::LoadingText(game.GetRaceSession()->loadStage));

  // Back from a race the showroom opens again.
  game.GetScreenFlow()->Reset(gs::kBackFromRace, 0, index::kMainMenu);
  Frames(1);
  EXPECT_EQ(game.GetScreenFlow()->state, gs::kMenus);
  EXPECT_NE(menus.Showroom(), nullptr);
  EXPECT_EQ(menus.current, index::kMainMenu);
}

// A pass made just before the line still scores when the player finishes: the race's result takes it in, the
// HUD's cash counts up to the result and the results screen pays the same.
TEST_F(GameFrontEndTest, AStuntStillScoringAtTheLineIsPaidAsTheHudCountsIt) {
  GameApplication& game = AtTheMainMenu();
  race::ContentDatabase& database = *game.GetContentDatabase();
  race::RaceDefinition* career = database.careerRaces != nullptr ? database.careerRaces->At(0) : nullptr;
  ASSERT_NE(career, nullptr);
  career->laps = 1;
  ASSERT_TRUE(frontend::RequestRace(*game.GetScreenFlow(), database, career));
  ASSERT_GT(RunUntil(gs::kRacing), 0);
  race::RaceSession* session = game.GetRaceSession();
  ASSERT_TRUE(session != nullptr && session->Player() != nullptr && session->Player()->stunts != nullptr);
  session->HandPlayerToDriver();
  vehicle::StuntTracker& stunts = *session->Player()->stunts;
  bool passed = false;
  for (int frame = 0; frame < kMaxFrames && session->Result() == nullptr; ++frame) {
    if (!passed && session->Player()->progress > 0.98f) {
      // The pass is over at once and stays pending until its chain settles, two seconds later.
      auto pass = std::make_unique<vehicle::StuntEvent>();
      pass->type = vehicle::kStuntNicePass;
      pass->active = false;
      pass->points = 200;
      stunts.events.push_back(std::move(pass));
      passed = true;
    }
    Frames(1);
  }
  ASSERT_TRUE(passed);
  ASSERT_NE(session->Result(), nullptr);
  const int32_t paid = session->Result()->stuntPoints;
  EXPECT_GE(paid, stunts.total + 200) << "the pending pass counts toward the result";

  // The HUD counts its cash toward the result while the race runs out (at its own pace: a big score may still be
  // counting when the results screen shows), then the results screen pays the result.
  const std::string paidText = "$" + std::to_string(paid);
  uint32_t hudTarget = 0;
  for (int frame = 0; frame < kMaxFrames && game.GetScreenFlow()->state != gs::kResults; ++frame) {
    if (game.GetRaceSession() != nullptr && game.GetRaceSession()->hud != nullptr) {
      const race::RaceHud& hud = *game.GetRaceSession()->hud;
      hudTarget = hud.tallyTarget;
      EXPECT_LE(hud.tallyShown, static_cast<float>(paid)) << "the HUD never counts past the result";
    }
    Frames(1);
  }
  EXPECT_EQ(hudTarget, static_cast<uint32_t>(paid)) << "the HUD counts toward the result, pending pass included";
  auto* results = dynamic_cast<screens::RaceResultsScreen*>(game.GetMenuManager()->Screen(index::kRaceResults));
  ASSERT_TRUE(results != nullptr && results->results != nullptr);
  EXPECT_EQ(results->results->stuntPoints, paid);
  Frames(2);
  // The newest label stands first: the amount made after its caption comes just before it.
  bool shown = false;
  const frontend::TextLabel* newer = nullptr;
  for (const frontend::TextLabel* label : results->texts) {
    if (label->text == "Cash Earned :") shown = newer != nullptr && newer->text == paidText;
    newer = label;
  }
  EXPECT_TRUE(shown) << "the results screen's cash earned is the result's";
}

TEST_F(GameFrontEndTest, RaceAgainLoadsTheSameRaceAfreshAndAStaleRaceRequestLeadsBackToTheMenus) {
  GameApplication& game = AtTheMainMenu();
  app::ScreenFlow& flow = *game.GetScreenFlow();
  const race::RaceDefinition* race = RaceFromTheMenus();
  ASSERT_NE(race, nullptr);
  ASSERT_GT(RunUntil(gs::kRacing), 0);
  const race::RaceSession* first = game.GetRaceSession();
  ASSERT_NE(first, nullptr);
  const int32_t entry = first->raceEntry;

  // What Race Again on the results screen asks for.
  flow.Request(gs::kRestartRace, 0.0f);
  ASSERT_GT(RunUntil(gs::kRaceLoading), 0);
  EXPECT_EQ(flow.parameter, entry);
  ASSERT_GT(RunUntil(gs::kRacing), 0);
  ASSERT_NE(game.GetRaceSession(), nullptr);
  EXPECT_EQ(game.GetRaceSession()->raceEntry, entry);
  EXPECT_EQ(frontend::FindRaceByParameter(*game.GetContentDatabase(), game.GetRaceSession()->raceEntry), race);

  // A request for a race the lists no longer hold does not leave the player on a loading screen.
  flow.Reset(gs::kRaceLoading, 0x7FFF0000, app::menu_screen::NoScreenChange);
  ASSERT_GT(RunUntil(gs::kMenus), 0);
  EXPECT_EQ(game.GetRaceSession(), nullptr);
  EXPECT_NE(game.GetMenuManager()->Showroom(), nullptr);
  EXPECT_FALSE(game.IsQuitRequested());
}

TEST_F(GameFrontEndTest, EscapeHeldInThePauseMenuResumesTheRaceAndDoesNotOpenTheMenuAgain) {
  GameApplication& game = AtTheMainMenu();
  ASSERT_NE(RaceFromTheMenus(), nullptr);
  ASSERT_GT(RunUntil(gs::kRacing), 0);
  ASSERT_NE(game.GetRaceSession(), nullptr);
  app::ScreenFlow& flow = *game.GetScreenFlow();

  PressKey(frontend::kKeyEscape);
  ASSERT_GT(RunUntil(gs::kPauseMenu), 0);
  // Escape held for several frames in the pause menu: the menu resumes the race, which then sees no fresh press.
  app_->MsgProc(Window(), wm::kKeyDown, frontend::kKeyEscape, 0);
  ASSERT_GT(RunUntil(gs::kRacing), 0);
  Frames(6);
  app_->MsgProc(Window(), wm::kKeyUp, frontend::kKeyEscape, 0);
  Frames(4);
  EXPECT_EQ(flow.state, gs::kRacing);
  EXPECT_TRUE(flow.IsQueueEmpty());

  // Keys pressed while the pause menu is open never reach the race.
  PressKey(frontend::kKeyEscape);
  ASSERT_GT(RunUntil(gs::kPauseMenu), 0);
  app_->MsgProc(Window(), wm::kKeyDown, 'Q', 0);
  EXPECT_FALSE(game.GetRaceSession()->keys.IsKeyHeld('Q'));
  app_->MsgProc(Window(), wm::kKeyUp, 'Q', 0);
}

TEST_F(GameFrontEndTest, DeviceResetsKeepTheFrontEndAndARecreationBuildsItAgain) {
  GameApplication& game = Started();
  Frames(2);
  frontend::MenuManager* menus = game.GetMenuManager();
  EXPECT_EQ(game.ChangeResolution(1024, 768), platform::kOk);
  Frames(2);
  EXPECT_EQ(game.GetMenuManager(), menus) << "a reset keeps the menus";
  EXPECT_NE(game.GetGuiContext()->fadeQuad, nullptr);

  // A re-created device rebuilds the menus, the intro and the notice and starts over with the intro.
  EXPECT_EQ(game.InvalidateDeviceObjects(), platform::kOk);
  EXPECT_EQ(game.DeleteDeviceObjects(), platform::kOk);
  EXPECT_EQ(game.GetMenuManager(), nullptr);
  EXPECT_EQ(game.GetIntroScene(), nullptr);
  EXPECT_EQ(game.GetGuiContext(), nullptr);
  EXPECT_EQ(game.InitDeviceObjects(), platform::kOk);
  EXPECT_EQ(game.RestoreDeviceObjects(), platform::kOk);
  EXPECT_TRUE(game.GetMenuManager() != nullptr && game.GetIntroScene() != nullptr && game.GetGuiContext() != nullptr);
  Frames(2);
  EXPECT_EQ(game.GetScreenFlow()->state, gs::kIntro);
}

}  // namespace
}  // namespace game
