// Pause menu: resume, restart and exit, the pause key and controller button, Esc and F.
#include "frontend/pause_menu_screen.h"

#include "app/input_devices.h"
#include "frontend_test_support.h"

namespace frontend_test {
namespace {

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

TEST_F(PauseMenuScreenTest, PauseKeyResumesAndBlocksTheFullScreenToggle) {
  PressKey(*screen_, 'P');
  TapKey(*screen_, frontend::kKeyF);
  EXPECT_EQ(Requests(), (Queue{{app::game_state::kResumeRace, 13}}));
  EXPECT_EQ(FullScreen(), 0);
  TapKey(*screen_, frontend::kKeyF);
  EXPECT_EQ(FullScreen(), 1);
}

TEST_F(PauseMenuScreenTest, ControllerPauseButtonCountsOnlyWithTheJoystickOnAndABoundButton) {
  settings_->BindKey(frontend::kPauseAction, -1);
  settings_->SetJoyButtonRaw(frontend::kPauseAction, -1);
  settings_->SetInt(app::SettingId::JOYSTICK, 1);
  devices_->buttonPressed.fill(1);
  screen_->Update(Window(), 0.016f);
  EXPECT_TRUE(Requests().empty()) << "nothing bound, nothing resumes";
  devices_->buttonPressed.fill(0);
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

}  // namespace
}  // namespace frontend_test
