// Main menu: the requests its entries queue, Escape, and routing to its open popup.
#include "frontend/main_menu_screen.h"

#include "frontend/race_request.h"
#include "frontend_test_support.h"
#include "recording_screen.h"

namespace frontend_test {
namespace {

using frontend::MainMenuScreen;

class MainMenuScreenTest : public FrontEndTest {
 protected:
  MainMenuScreen& Menu() {
    if (menu_ == nullptr) {
      menu_ = &Open<MainMenuScreen>();
      menu_->SetPopups(std::make_unique<RecordingScreen>(Services(), &log_, "profile"),
                       std::make_unique<RecordingScreen>(Services(), &log_, "help"));
    }
    return *menu_;
  }
  MainMenuScreen* menu_ = nullptr;
  std::vector<std::string> log_;
};

TEST_F(MainMenuScreenTest, EveryEntryQueuesItsRequestWhenItsContentExists) {
  const struct {
    const char* entry;
    float x, y;
    Queue withoutLists, withLists;
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

TEST_F(MainMenuScreenTest, OpenHelpPopupTakesClicksKeysAndDrawingThenEscapeQuitsWithoutConfirmation) {
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
  TapKey(Menu(), frontend::kKeyEscape);
  EXPECT_FALSE(Menu().helpOpen);
  EXPECT_TRUE(Requests().empty());
  PressKey(Menu(), frontend::kKeyEscape);
  TapKey(Menu(), frontend::kKeyF);
  EXPECT_EQ(Requests(), (Queue{{app::game_state::kQuit, 13}}));
  EXPECT_EQ(FullScreen(), 0) << "Esc ends the frame's handling before F";
}

}  // namespace
}  // namespace frontend_test
