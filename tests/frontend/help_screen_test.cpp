// Help popup: More Help opens the help page only once the game is windowed, then minimises the game; the page
// shows each action's key, and with a controller on, its axis half or button.
#include "frontend/help_screen.h"

#include "frontend/control_mapping_screen.h"
#include "frontend_test_support.h"
#include "platform/null_desktop.h"

namespace {

using frontend::HelpScreen;

class HelpScreenTest : public frontend_test::FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    settings_->ClearBindings();
    screen_ = &Open<HelpScreen>("/game/", &launcher_);
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

  // The addresses the game asked the launcher to open.
  std::vector<std::string> Opened() const {
    std::vector<std::string> opened;
    for (const auto& call : launcher_.calls) opened.push_back(call.program);
    return opened;
  }
  // The message's lines joined again.
  std::string Message() const {
    if (screen_->pageMessage == nullptr) return "";
    std::string text = screen_->pageMessage->text;
    for (char& c : text) c = c == '\n' ? ' ' : c;
    return text;
  }

  HelpScreen* screen_ = nullptr;
  platform::RecordingLauncher launcher_;
};

TEST_F(HelpScreenTest, MoreHelpOpensThePageOnceWindowedAndMinimisesTheGame) {
  ClickAt(*screen_, 555, 447);
  EXPECT_TRUE(screen_->moreHelp);
  EXPECT_TRUE(Opened().empty());
  screen_->Update(Window(), 0.016f);
  ASSERT_EQ(Opened().size(), 1u);
  EXPECT_EQ(Opened()[0], "file:///game/HELP/introduction.htm");
  EXPECT_FALSE(screen_->moreHelp);
  EXPECT_EQ(Minimised(), 1u);
  screen_->Update(Window(), 0.016f);
  EXPECT_EQ(Opened().size(), 1u) << "opened once per click";

  launcher_.calls.clear();
  settings_->SetInt(app::SettingId::FULLSCREEN, 1);
  ClickAt(*screen_, 555, 447);
  EXPECT_EQ(FullScreen(), 0);
  EXPECT_TRUE(screen_->moreHelp);
  EXPECT_TRUE(Opened().empty()) << "the page waits for a later frame";
  settings_->SetInt(app::SettingId::FULLSCREEN, 1);  // the switch has not happened yet
  screen_->Update(Window(), 0.016f);
  EXPECT_TRUE(Opened().empty());
  settings_->SetInt(app::SettingId::FULLSCREEN, 0);
  screen_->Update(Window(), 0.016f);
  EXPECT_EQ(Opened().size(), 1u);
}

TEST_F(HelpScreenTest, CloseShutsThePopupWithoutOpeningThePage) {
  settings_->SetInt(app::SettingId::FULLSCREEN, 1);
  ClickAt(*screen_, 205, 447);  // Close
  EXPECT_TRUE(screen_->closed);
  EXPECT_FALSE(screen_->moreHelp);
  screen_->Update(Window(), 0.016f);
  EXPECT_TRUE(Opened().empty());
  EXPECT_EQ(FullScreen(), 1) << "the game stays in full screen";
  EXPECT_EQ(Minimised(), 0u);
}

TEST_F(HelpScreenTest, TheGameStepsAsideOnceTheBrowserRunsAndStaysToSayWhereThePageIsWhenItCannot) {
  using platform::ProgramOutcome;
  const struct {
    const char* what;
    bool starts;              // the launcher could be started at all
    ProgramOutcome outcome;   // what it then reports, every frame
    int framesBeforeAside;    // frames of 0.25 s before the game is minimised; -1: never
  } cases[] = {
      {"no launcher", false, ProgramOutcome::kSucceeded, -1},
      {"the launcher fails", true, ProgramOutcome::kFailed, -1},
      {"the launcher hands the page over and ends", true, ProgramOutcome::kSucceeded, 1},
      {"the launcher keeps running as the browser", true, ProgramOutcome::kRunning, 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    screen_->OnEnter();
    const size_t before = Minimised();
    launcher_.calls.clear();
    launcher_.opens = c.starts;
    launcher_.outcome = c.outcome;
    ClickAt(*screen_, 555, 447);  // More Help
    int aside = -1;
    for (int frame = 1; frame <= 30 && aside < 0; ++frame) {
      screen_->Update(Window(), 0.25f);
      if (Minimised() > before) aside = frame;
    }
    EXPECT_EQ(aside, c.framesBeforeAside);
    EXPECT_EQ(Minimised() - before, c.framesBeforeAside < 0 ? 0u : 1u);
    ASSERT_EQ(Opened().size(), 1u);
    EXPECT_EQ(Opened()[0], "file:///game/HELP/introduction.htm");
    if (c.framesBeforeAside < 0) {
      EXPECT_NE(Message().find("could not be opened"), std::string::npos) << Message();
      EXPECT_NE(Message().find("/game/HELP/introduction.htm"), std::string::npos) << Message();
      EXPECT_TRUE(std::find(screen_->texts.begin(), screen_->texts.end(), screen_->pageMessage) != screen_->texts.end());
      // Every line of the message stays inside the panel (its right edge at 635).
      for (float width : screen_->pageMessage->LineWidths(screen_->pageMessage->text)) {
        EXPECT_LE(screen_->pageMessage->x + width, 635.0f);
      }
    } else {
      EXPECT_EQ(screen_->pageMessage, nullptr);
    }
    EXPECT_FALSE(screen_->pageLaunch.Waiting()) << "the launch is no longer followed";
  }
  // The message goes when the popup opens again.
  screen_->OnEnter();
  EXPECT_EQ(screen_->pageMessage, nullptr);
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
