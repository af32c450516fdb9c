// Options menu: entries to the settings screens, Back and Esc to the main menu or out of the race, and quit.
#include "frontend/options_menu_screen.h"

#include "frontend_test_support.h"

namespace frontend_test {
namespace {

class OptionsMenuScreenTest : public FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    screen_ = std::make_unique<frontend::OptionsMenuScreen>(Services());
    screen_->Init(device_);
    screen_->OnEnter();
  }
  void TearDown() override {
    screen_.reset();
    FrontEndTest::TearDown();
  }
  std::unique_ptr<frontend::OptionsMenuScreen> screen_;
};

TEST_F(OptionsMenuScreenTest, EntriesRequestTheirSettingsScreens) {
  ClickAt(*screen_, 400, 210);  // Controls
  ClickAt(*screen_, 400, 250);  // Audio
  ClickAt(*screen_, 400, 290);  // Video
  ClickAt(*screen_, 50, 580);   // Back
  ClickAt(*screen_, 770, 15);   // quit icon
  EXPECT_EQ(Requests(), (Queue{{app::game_state::kEnterMenus, 8},
                               {app::game_state::kEnterMenus, 9},
                               {app::game_state::kEnterMenus, 7},
                               {app::game_state::kEnterMenus, 0},
                               {app::game_state::kQuit, 13}}));
  // From the pause menu, going back leaves the race.
  flow_.Reset(app::game_state::kPauseMenu, 0, app::menu_screen::NoScreenChange);
  ClickAt(*screen_, 50, 580);
  EXPECT_EQ(Requests(), (Queue{{app::game_state::kBackFromRace, 0}}));
}

TEST_F(OptionsMenuScreenTest, EscapeInTheSameFrameAsAnEntryQueuesBothInOrder) {
  PressKey(*screen_, frontend::kKeyEscape);
  PressKey(*screen_, frontend::kKeyF);
  ClickAt(*screen_, 400, 250);
  EXPECT_EQ(Requests(), (Queue{{app::game_state::kEnterMenus, 9}, {app::game_state::kEnterMenus, 0}}));
  EXPECT_EQ(FullScreen(), 0);  // F is ignored while Esc is pressed
}

}  // namespace
}  // namespace frontend_test
