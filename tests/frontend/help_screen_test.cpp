// Tests of the help popup: its widgets, the key and joystick summary, closing, the full-screen key, and opening
// the help page only once the game is windowed.
#include "frontend/help_screen.h"

#include <algorithm>

#include "contentgen/help_content.h"
#include "frontend/control_mapping_screen.h"
#include "frontend_test_support.h"

namespace {

using frontend::HelpScreen;

class HelpScreenTest : public frontend_test::FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    settings_->ClearBindings();
    screen_ = std::make_unique<HelpScreen>(Services(), "/game/",
                                           [this](const std::string& address) { opened_.push_back(address); });
    screen_->Init(device_);
    screen_->OnEnter();
  }
  void TearDown() override {
    screen_.reset();  // gives its pictures back while the resource manager lives
    FrontEndTest::TearDown();
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

  std::unique_ptr<HelpScreen> screen_;
  std::vector<std::string> opened_;
};

TEST_F(HelpScreenTest, BuildsPanelButtonsAndActionLabels) {
  EXPECT_EQ(screen_->images.size(), 3u);
  EXPECT_EQ(screen_->buttons.size(), 2u);
  // Title, twelve actions, "full screen" and "f".
  EXPECT_EQ(screen_->texts.size(), 15u);
  const auto has = [&](const std::string& text) {
    return std::any_of(screen_->texts.begin(), screen_->texts.end(),
                       [&](const frontend::TextLabel* label) { return label->text == text; });
  };
  EXPECT_TRUE(has("Help"));
  EXPECT_TRUE(has("look back"));
  EXPECT_TRUE(has("full screen"));
}

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

TEST_F(HelpScreenTest, JoystickColumnNamesAxisHalvesButtonsAndNone) {
  settings_->SetInt(app::SettingId::JOYSTICK, 1);
  settings_->SetJoyAxisRaw(0, 0, -1);
  settings_->SetJoyAxisRaw(1, 2, 1);
  settings_->SetJoyButtonRaw(2, 4);
  settings_->SetJoyAxisRaw(3, 1, 0);
  settings_->SetJoyButtonRaw(3, -1);
  EXPECT_EQ(screen_->JoystickBindingText(0), "- axis 1");
  EXPECT_EQ(screen_->JoystickBindingText(1), "+ axis 3");
  EXPECT_EQ(screen_->JoystickBindingText(2), "button 5");
  EXPECT_EQ(screen_->JoystickBindingText(3), "none") << "an axis without direction and no button";
  screen_->Render(device_);
  EXPECT_EQ(LabelTexts().size(), 24u);
}

TEST_F(HelpScreenTest, CloseButtonAndEscapeClose) {
  ClickAt(*screen_, 205, 447);
  EXPECT_TRUE(screen_->closed);
  screen_->OnEnter();
  EXPECT_FALSE(screen_->closed);
  PressKey(*screen_, frontend::kKeyEscape);
  PressKey(*screen_, frontend::kKeyF);
  screen_->Update(Window(), 0.016f);
  EXPECT_TRUE(screen_->closed);
  EXPECT_EQ(FullScreen(), 0) << "Esc stops the frame before the F test";
}

TEST_F(HelpScreenTest, FKeyTogglesFullScreen) {
  PressKey(*screen_, frontend::kKeyF);
  screen_->Update(Window(), 0.016f);
  EXPECT_EQ(FullScreen(), 1);
  PressKey(*screen_, frontend::kKeyF);
  screen_->Update(Window(), 0.016f);
  EXPECT_EQ(FullScreen(), 0);
  EXPECT_FALSE(screen_->closed);
}

TEST_F(HelpScreenTest, MoreHelpOpensThePageAndMinimisesTheGame) {
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
}

TEST_F(HelpScreenTest, MoreHelpInFullScreenSwitchesToAWindowFirst) {
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

TEST(HelpContent, PageIsAnHtmlDocumentNamedForTheHelpScreen) {
  EXPECT_EQ(std::string(contentgen::kHelpPageFile), frontend::kHelpPage);
  const std::string page = contentgen::BuildHelpPage();
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page.find("</html>"), std::string::npos);
}

}  // namespace
