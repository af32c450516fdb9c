// Main menu: the requests its entries queue, the full-screen toggle, and routing to its open popup.
#include "frontend/main_menu_screen.h"

#include "frontend/race_request.h"
#include "frontend_test_support.h"
#include "race/content_database.h"
#include "race/race_definition.h"
#include "race/race_list.h"
#include "recording_screen.h"

namespace frontend_test {
namespace {

using frontend::MainMenuScreen;

class MainMenuScreenTest : public FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    database_ = std::make_unique<race::ContentDatabase>(settings_.get(), folder_ + "no-content.dat");
  }
  void TearDown() override {
    menu_.reset();
    database_.reset();
    FrontEndTest::TearDown();
  }
  MainMenuScreen& Menu() {
    if (!menu_) {
      frontend::ScreenServices services = Services();
      services.contentDatabase = database_.get();
      menu_ = std::make_unique<MainMenuScreen>(services);
      menu_->SetPopups(std::make_unique<RecordingScreen>(services, &log_, "profile"),
                       std::make_unique<RecordingScreen>(services, &log_, "help"));
      menu_->Init(device_);
      menu_->OnEnter();
    }
    return *menu_;
  }
  std::unique_ptr<race::RaceList> RaceListOf(int count) {
    auto list = std::make_unique<race::RaceList>(settings_.get(), &database_->aiNames, folder_ + "no-races.lst");
    for (int i = 0; i < count; ++i) {
      list->races.push_back(std::make_unique<race::RaceDefinition>(i, "Race " + std::to_string(i), "TRACKS/a.scn",
                                                                   &database_->aiNames, 0, 0, 3, 0, 0, false));
    }
    return list;
  }

  std::unique_ptr<race::ContentDatabase> database_;
  std::unique_ptr<MainMenuScreen> menu_;
  std::vector<std::string> log_;
};

TEST_F(MainMenuScreenTest, EveryEntrysLabelEndsUnderTheTitle) {
  MainMenuScreen& menu = Menu();
  EXPECT_EQ(log_.front(), "profile init");
  int labelled = 0;
  for (frontend::MenuButton* button : menu.buttons) {
    if (!button->label) continue;
    ++labelled;
    EXPECT_GE(button->label->x, 730) << button->label->text;
    EXPECT_LE(button->label->x, 735) << button->label->text;
    EXPECT_TRUE(button->label->alternate);
    EXPECT_FALSE(button->highlightLabel->alternate);
  }
  EXPECT_EQ(labelled, 7);
}

TEST_F(MainMenuScreenTest, InstantRaceStartsARaceOfTheInstantList) {
  database_->instantRaces = RaceListOf(3);
  ClickAt(Menu(), 600, 230);
  const auto queued = Requests();
  ASSERT_EQ(queued.size(), 2u);
  EXPECT_EQ(queued[0], std::make_pair(app::game_state::kLoadingScreen, int32_t{12}));
  EXPECT_EQ(queued[1], std::make_pair(app::game_state::kRaceLoading, int32_t{13}));
  race::RaceDefinition* chosen = frontend::FindRaceByParameter(*database_, flow_.parameterQueue[1]);
  ASSERT_NE(chosen, nullptr);
  bool listed = false;
  for (const auto& race : database_->instantRaces->races) listed |= race.get() == chosen;
  EXPECT_TRUE(listed);
}

TEST_F(MainMenuScreenTest, EveryEntryQueuesItsRequestWhenItsContentExists) {
  using Requests_ = std::vector<std::pair<int32_t, int32_t>>;
  const struct {
    const char* entry;
    float x, y;
    Requests_ withoutLists, withLists;
  } cases[] = {
      {"Instant Race", 600, 230, {}, {{app::game_state::kLoadingScreen, 12}, {app::game_state::kRaceLoading, 13}}},
      {"Practice Race", 600, 270, {}, {{app::game_state::kEnterMenus, 1}}},
      {"Contest Race", 600, 345, {}, {{app::game_state::kEnterMenus, 5}}},
      {"Options", 650, 385, {{app::game_state::kEnterMenus, 6}}, {{app::game_state::kEnterMenus, 6}}},
      {"Quit", 680, 460, {{app::game_state::kQuit, 13}}, {{app::game_state::kQuit, 13}}},
      {"close icon", 770, 15, {{app::game_state::kQuit, 13}}, {{app::game_state::kQuit, 13}}},
  };
  for (const auto& test : cases) {
    ClickAt(Menu(), test.x, test.y);
    EXPECT_EQ(Requests(), test.withoutLists) << test.entry << " without race lists";
    flow_.Reset(flow_.state, 0, app::menu_screen::NoScreenChange);
  }
  database_->instantRaces = RaceListOf(0);
  ClickAt(Menu(), 600, 230);
  EXPECT_TRUE(Requests().empty()) << "an empty instant list starts nothing";
  database_->instantRaces = RaceListOf(3);
  database_->quickRaces = RaceListOf(1);
  database_->careerRaces = RaceListOf(1);
  for (const auto& test : cases) {
    ClickAt(Menu(), test.x, test.y);
    EXPECT_EQ(Requests(), test.withLists) << test.entry << " with race lists";
    flow_.Reset(flow_.state, 0, app::menu_screen::NoScreenChange);
  }
}

TEST_F(MainMenuScreenTest, EscapeQuitsWithoutConfirmation) {
  PressKey(Menu(), frontend::kKeyEscape);
  PressKey(Menu(), frontend::kKeyF);
  Menu().Update(Window(), 0.016f);
  EXPECT_EQ(Requests(), (std::vector<std::pair<int32_t, int32_t>>{{app::game_state::kQuit, 13}}));
  EXPECT_EQ(FullScreen(), 0);  // Esc ends the handler before F
}

TEST_F(MainMenuScreenTest, FullScreenIconAndKeyToggleTheSetting) {
  settings_->SetInt(app::SettingId::FULLSCREEN, 3);
  ClickAt(Menu(), 720, 15);
  EXPECT_EQ(FullScreen(), 0);
  EXPECT_EQ(Menu().mouse.leftHeld, 0);  // the icon resets the mouse buttons
  PressKey(Menu(), frontend::kKeyF);
  Menu().Update(Window(), 0.016f);
  EXPECT_EQ(FullScreen(), 1);
}

TEST_F(MainMenuScreenTest, CareerModeOpensTheProfilePopupOnlyWithACareerList) {
  ClickAt(Menu(), 600, 306);
  EXPECT_FALSE(Menu().profileOpen);
  database_->careerRaces = RaceListOf(1);
  ClickAt(Menu(), 600, 306);
  EXPECT_TRUE(Menu().profileOpen);
  EXPECT_EQ(Menu().OpenPopup(), Menu().profileScreen.get());
  // Entering the menu again closes the profile popup.
  Menu().OnEnter();
  EXPECT_FALSE(Menu().profileOpen);
}

TEST_F(MainMenuScreenTest, OpenHelpPopupTakesClicksKeysAndDrawing) {
  ClickAt(Menu(), 680, 420);
  ASSERT_TRUE(Menu().helpOpen);
  log_.clear();
  // Quit's position reaches only the popup.
  ClickAt(Menu(), 680, 460);
  EXPECT_TRUE(Requests().empty());
  device_->ClearRecords();
  Menu().Render(device_);
  EXPECT_TRUE(device_->Draws().empty());
  EXPECT_EQ(log_, (std::vector<std::string>{"help mouse", "help update", "help mouse", "help render"}));
  // Esc goes to the popup, which closes; the menu does not quit.
  PressKey(Menu(), frontend::kKeyEscape);
  Menu().Update(Window(), 0.016f);
  EXPECT_FALSE(Menu().helpOpen);
  EXPECT_TRUE(Requests().empty());
  Menu().UnusedHook(1);
}

TEST_F(MainMenuScreenTest, RaceParametersNameTheirListAndPositionAndRejectStrangers) {
  database_->careerRaces = RaceListOf(3);
  race::RaceDefinition* third = database_->careerRaces->At(2);
  const int32_t parameter = frontend::EncodeRaceParameter(*database_, third);
  EXPECT_NE(parameter, 0);
  EXPECT_EQ(frontend::FindRaceByParameter(*database_, parameter), third);
  EXPECT_EQ(frontend::FindRaceByParameter(*database_, 0), nullptr);
  EXPECT_EQ(frontend::FindRaceByParameter(*database_, parameter + 5), nullptr);
  EXPECT_EQ(frontend::FindRaceByParameter(*database_, -1), nullptr);
  race::RaceDefinition stranger(0, "x", "y", &database_->aiNames, 0, 0, 1, 0, 0, false);
  EXPECT_EQ(frontend::EncodeRaceParameter(*database_, &stranger), 0);
  EXPECT_FALSE(frontend::RequestRace(flow_, *database_, &stranger));
  EXPECT_TRUE(Requests().empty());
}

}  // namespace
}  // namespace frontend_test
