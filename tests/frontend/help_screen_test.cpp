// Help popup: More Help opens the help page only once the game is windowed, then minimises the game; the page
// shows each action's key, and with a controller on, its axis half or button.
#include "frontend/help_screen.h"

#include "frontend/control_mapping_screen.h"
#include "frontend_test_support.h"

namespace {

using frontend::HelpScreen;

class HelpScreenTest : public frontend_test::FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    settings_->ClearBindings();
    screen_ = &Open<HelpScreen>("/game/", [this](const std::string& address) { opened_.push_back(address); });
  }

  std::vector<std::string> LabelTexts() const {
    std::vector<std::string> texts;
    for (const frontend::TextLabel* label : screen_->bindingLabels) texts.push_back(label->text);
    return texts;
  }
  size_t Minimised() const {
    size_t count = 0;
    for (const auto& call : windows_.ShowWindowCalls()) count += call.command == platform::show_command::kMinimized;
    return count;
  }

  HelpScreen* screen_ = nullptr;
  std::vector<std::string> opened_;
};

TEST_F(HelpScreenTest, MoreHelpOpensThePageOnceWindowedAndMinimisesTheGame) {
  ClickAt(*screen_, 555, 447);
  EXPECT_TRUE(screen_->moreHelp);
  EXPECT_TRUE(opened_.empty());
  screen_->Update(Window(), 0.016f);
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0], "file:///game/HELP/introduction.htm");
  EXPECT_FALSE(screen_->moreHelp);
  EXPECT_EQ(Minimised(), 1u);
  screen_->Update(Window(), 0.016f);
  EXPECT_EQ(opened_.size(), 1u) << "opened once per click";

  opened_.clear();
  settings_->SetInt(app::SettingId::FULLSCREEN, 1);
  ClickAt(*screen_, 555, 447);
  EXPECT_EQ(FullScreen(), 0);
  EXPECT_TRUE(screen_->moreHelp);
  EXPECT_TRUE(opened_.empty()) << "the page waits for a later frame";
  settings_->SetInt(app::SettingId::FULLSCREEN, 1);  // the switch has not happened yet
  screen_->Update(Window(), 0.016f);
  EXPECT_TRUE(opened_.empty());
  settings_->SetInt(app::SettingId::FULLSCREEN, 0);
  screen_->Update(Window(), 0.016f);
  EXPECT_EQ(opened_.size(), 1u);
}

TEST_F(HelpScreenTest, CloseShutsThePopupWithoutOpeningThePage) {
  settings_->SetInt(app::SettingId::FULLSCREEN, 1);
  ClickAt(*screen_, 205, 447);  // Close
  EXPECT_TRUE(screen_->closed);
  EXPECT_FALSE(screen_->moreHelp);
  screen_->Update(Window(), 0.016f);
  EXPECT_TRUE(opened_.empty());
  EXPECT_EQ(FullScreen(), 1) << "the game stays in full screen";
  EXPECT_EQ(Minimised(), 0u);
}

TEST_F(HelpScreenTest, TheSummaryShowsEachActionsKeyAndWithAControllerItsAxisHalfOrButton) {
  settings_->BindKey(0, 37);  // left arrow
  settings_->BindKey(4, 32);  // space
  settings_->SetJoyAxisRaw(0, 0, -1);
  settings_->SetJoyAxisRaw(1, 2, 1);
  settings_->SetJoyButtonRaw(2, 4);
  settings_->SetJoyAxisRaw(3, 1, 0);  // an axis without a direction counts as nothing
  const std::vector<std::string> keys = {frontend::KeyName(37), "none", "none", "none", frontend::KeyName(32)};
  const std::vector<std::string> joystick = {"- axis 1", "+ axis 3", "button 5", "none", "none"};
  for (const int on : {0, 1}) {
    SCOPED_TRACE(on);
    settings_->SetInt(app::SettingId::JOYSTICK, on);
    screen_->OnEnter();
    screen_->Render(device_);
    const std::vector<std::string> texts = LabelTexts();
    const size_t perAction = on != 0 ? 2 : 1;
    ASSERT_EQ(texts.size(), perAction * app::kInputActionCount);
    for (size_t action = 0; action < keys.size(); ++action) {
      EXPECT_EQ(texts[perAction * action], keys[action]) << action;
      if (on != 0) {
        EXPECT_EQ(texts[perAction * action + 1], joystick[action]) << action;
      }
    }
  }
  EXPECT_EQ(std::string(frontend::KeyName(37)), "left arrow");
}

}  // namespace
