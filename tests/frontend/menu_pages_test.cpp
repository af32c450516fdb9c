// The pause and loading screens and the confirmation dialog: the requests their buttons and keys make.
#include "app/input_devices.h"
#include "frontend/confirm_dialog.h"
#include "frontend/loading_screen.h"
#include "frontend/pause_menu_screen.h"
#include "frontend_test_support.h"

namespace frontend_test {
namespace {

namespace gs = app::game_state;
using MenuPagesTest = FrontEndTest;

TEST_F(MenuPagesTest, PauseMenuButtonsAndThePauseKeyResumeRestartAndExit) {
  app::InputDevices devices(1, [](bool) { return nullptr; });
  auto& pause = Open<frontend::PauseMenuScreen>(&devices);
  flow_.state = gs::kPauseMenu;
  settings_->BindKey(frontend::kPauseAction, 'P');
  for (int y : {280, 340, 400}) ClickAt(pause, 400, y);
  EXPECT_EQ(Requests(), (Queue{{gs::kResumeRace, 13}, {gs::kRestartRace, 13}, {gs::kBackFromRace, 0}}));
  flow_.Reset(gs::kPauseMenu, 0, app::menu_screen::NoScreenChange);
  PressKey(pause, 'P');
  TapKey(pause, frontend::kKeyF);
  EXPECT_EQ(Requests(), (Queue{{gs::kResumeRace, 13}}));
  EXPECT_EQ(FullScreen(), 0) << "the pause key ends the frame's handling before F";
}

TEST_F(MenuPagesTest, ControllerPauseButtonCountsOnlyWithTheJoystickOnAndABoundButtonInRange) {
  app::InputDevices devices(1, [](bool) { return nullptr; });
  auto& pause = Open<frontend::PauseMenuScreen>(&devices);
  flow_.state = gs::kPauseMenu;
  settings_->BindKey(frontend::kPauseAction, -1);
  devices.buttonPressed.fill(1);
  const struct {
    int joystick, button;
    bool resumes;
  } cases[] = {{1, -1, false}, {0, 5, false}, {1, 200, false}, {1, 5, true}};
  for (const auto& test : cases) {
    settings_->SetInt(app::SettingId::JOYSTICK, test.joystick);
    settings_->SetJoyButtonRaw(frontend::kPauseAction, test.button);
    pause.Update(Window(), 0.016f);
    EXPECT_EQ(Requests().size(), test.resumes ? 1u : 0u) << test.joystick << " " << test.button;
  }
}

TEST_F(MenuPagesTest, LoadingShowsFourDotsPerStageAndItsQuitIconEndsTheGameDroppingQueuedRequests) {
  auto& loading = Open<frontend::LoadingScreen>();
  loading.SetLoadingProgress(device_, 3);
  EXPECT_EQ(loading.progressLabel->text, "Loading............");
  EXPECT_LE(frontend::LoadingText(0xFFFFFFFFu).size(), 7u + 160u) << "huge stage counts stay bounded";
  TapKey(loading, frontend::kKeyEscape);
  EXPECT_TRUE(Requests().empty()) << "Escape does nothing while loading";
  flow_.Request(gs::kRaceLoading, 0.0f);
  flow_.state = gs::kLoadingScreen;
  ClickAt(loading, 734, 22);  // the full-screen icon switches and the load goes on
  EXPECT_EQ(FullScreen(), 1);
  EXPECT_EQ(flow_.state, gs::kLoadingScreen);
  ClickAt(loading, 775, 20);
  EXPECT_EQ(flow_.state, gs::kQuit);
  EXPECT_EQ(flow_.menuScreen, app::menu_screen::NoScreenChange);
  EXPECT_TRUE(flow_.IsQueueEmpty());
}

TEST_F(MenuPagesTest, ConfirmationClosesOnlyWithAnAnswerAndEachOpeningStartsUnanswered) {
  auto& dialog = Open<frontend::ConfirmDialog>();
  TapKey(dialog, frontend::kKeyEscape);
  ClickAt(dialog, 100, 100);
  EXPECT_FALSE(dialog.closed);
  ClickAt(dialog, 400, 300);  // YES
  EXPECT_TRUE(dialog.closed);
  EXPECT_TRUE(dialog.answer);
  dialog.OnEnter();
  EXPECT_FALSE(dialog.closed);
  EXPECT_FALSE(dialog.answer);
  ClickAt(dialog, 400, 360);  // NO
  EXPECT_TRUE(dialog.closed);
  EXPECT_FALSE(dialog.answer);
  EXPECT_TRUE(Requests().empty());
}

}  // namespace
}  // namespace frontend_test
