// Help popup: More Help opens the help page only once the game is windowed, then minimises the game.
#include "frontend/help_screen.h"

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

}  // namespace
