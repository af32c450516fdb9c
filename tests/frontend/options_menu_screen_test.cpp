// Options menu: entries to the settings screens, Back and Esc to the main menu, quit and full-screen.
#include "frontend/options_menu_screen.h"

#include "frontend_test_support.h"

namespace frontend_test {
namespace {

using Queue = std::vector<std::pair<int32_t, int32_t>>;

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
}

TEST_F(OptionsMenuScreenTest, RequestsDuringARaceLeaveTheRace) {
  flow_.state = app::game_state::kPauseMenu;
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

TEST_F(OptionsMenuScreenTest, FullScreenIconAndFInOneFrameCancelOut) {
  PressKey(*screen_, frontend::kKeyF);
  ClickAt(*screen_, 720, 15);
  EXPECT_EQ(FullScreen(), 0);
  PressKey(*screen_, frontend::kKeyF);
  screen_->Update(Window(), 0.016f);
  EXPECT_EQ(FullScreen(), 1);
  EXPECT_TRUE(Requests().empty());
}

TEST_F(OptionsMenuScreenTest, LayoutHasTheTitlePanelAndSixButtons) {
  EXPECT_EQ(screen_->buttons.size(), 6u);
  EXPECT_EQ(screen_->images.size(), 4u);
  ASSERT_EQ(screen_->texts.size(), 1u);
  EXPECT_EQ(screen_->texts.front()->text, "Options Menu");
  EXPECT_EQ(screen_->texts.front()->align, frontend::kAlignRight);
}

}  // namespace
}  // namespace frontend_test
