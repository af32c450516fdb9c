// Help popup: the key and joystick summary, closing, and opening the help page only once the game is windowed.
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

TEST_F(HelpScreenTest, SummaryShowsKeysAndNoneAndRebuildsAfterEachEntry) {
  settings_->BindKey(0, 37);
  screen_->Render(device_);
  auto texts = LabelTexts();
  ASSERT_EQ(texts.size(), 12u) << "joystick off: key column only";
  EXPECT_EQ(texts[0], frontend::KeyName(37));
  EXPECT_EQ(texts[1], "none");
  screen_->Render(device_);
  EXPECT_EQ(LabelTexts().size(), 12u) << "not rebuilt without a new entry";

  settings_->BindKey(1, 39);
  screen_->OnEnter();
  screen_->Render(device_);
  EXPECT_EQ(LabelTexts()[1], frontend::KeyName(39));
  EXPECT_EQ(screen_->texts.size(), 15u + 12u) << "old binding labels were removed";
}

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
