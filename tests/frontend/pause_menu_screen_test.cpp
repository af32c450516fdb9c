// Pause menu: resume, restart and exit, the pause key and controller button, Esc and F.
#include "frontend/pause_menu_screen.h"

#include "app/input_devices.h"
#include "frontend_test_support.h"

namespace frontend_test {
namespace {

using Queue = std::vector<std::pair<int32_t, int32_t>>;

class PauseMenuScreenTest : public FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    devices_ = std::make_unique<app::InputDevices>(1, [](bool) { return nullptr; });
    screen_ = std::make_unique<frontend::PauseMenuScreen>(Services(), devices_.get());
    screen_->Init(device_);
    screen_->OnEnter();
    flow_.state = app::game_state::kPauseMenu;
    settings_->BindKey(frontend::kPauseAction, 'P');
  }
  void TearDown() override {
    screen_.reset();
    devices_.reset();
    FrontEndTest::TearDown();
  }
  std::unique_ptr<app::InputDevices> devices_;
  std::unique_ptr<frontend::PauseMenuScreen> screen_;
};

TEST_F(PauseMenuScreenTest, ButtonsResumeRestartAndExit) {
  ClickAt(*screen_, 400, 280);
  ClickAt(*screen_, 400, 340);
  ClickAt(*screen_, 400, 400);
  EXPECT_EQ(Requests(), (Queue{{app::game_state::kResumeRace, 13},
                               {app::game_state::kRestartRace, 13},
                               {app::game_state::kBackFromRace, 0}}));
}

TEST_F(PauseMenuScreenTest, ResumeClickWithEscapeQueuesResumeTwice) {
  PressKey(*screen_, frontend::kKeyEscape);
  ClickAt(*screen_, 400, 280);
  EXPECT_EQ(Requests(), (Queue{{app::game_state::kResumeRace, 13}, {app::game_state::kResumeRace, 13}}));
}

TEST_F(PauseMenuScreenTest, PauseKeyResumesAndBlocksTheFullScreenToggle) {
  PressKey(*screen_, 'P');
  PressKey(*screen_, frontend::kKeyF);
  screen_->Update(Window(), 0.016f);
  EXPECT_EQ(Requests(), (Queue{{app::game_state::kResumeRace, 13}}));
  EXPECT_EQ(FullScreen(), 0);
  PressKey(*screen_, frontend::kKeyF);
  screen_->Update(Window(), 0.016f);
  EXPECT_EQ(FullScreen(), 1);
}

TEST_F(PauseMenuScreenTest, UnboundPauseActionNeverResumes) {
  settings_->BindKey(frontend::kPauseAction, -1);
  settings_->SetInt(app::SettingId::JOYSTICK, 1);
  settings_->SetJoyButtonRaw(frontend::kPauseAction, -1);
  devices_->buttonPressed.fill(1);
  screen_->Update(Window(), 0.016f);
  EXPECT_TRUE(Requests().empty());
}

TEST_F(PauseMenuScreenTest, ControllerPauseButtonCountsOnlyWithTheJoystickOn) {
  settings_->SetJoyButtonRaw(frontend::kPauseAction, 5);
  devices_->buttonPressed[5] = 1;
  settings_->SetInt(app::SettingId::JOYSTICK, 0);
  screen_->Update(Window(), 0.016f);
  EXPECT_TRUE(Requests().empty());
  settings_->SetInt(app::SettingId::JOYSTICK, 1);
  screen_->Update(Window(), 0.016f);
  EXPECT_EQ(Requests(), (Queue{{app::game_state::kResumeRace, 13}}));
  // Button numbers past the controller's range read as not pressed.
  settings_->SetJoyButtonRaw(frontend::kPauseAction, 200);
  screen_->Update(Window(), 0.016f);
  EXPECT_EQ(Requests().size(), 1u);
}

TEST_F(PauseMenuScreenTest, RenderClearsTheRebuildFlag) {
  screen_->rebuild = true;
  device_->ClearRecords();
  screen_->Render(device_);
  EXPECT_FALSE(screen_->rebuild);
  // Three panel pieces, three buttons, the title and each button's label.
  EXPECT_EQ(device_->Draws().size(), 3u + 3u + 3u + 1u);
}

}  // namespace
}  // namespace frontend_test
