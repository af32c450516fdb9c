// Loading screen: progress dots per stage, the quit icon that ends the game at once, and the full-screen toggle.
#include "frontend/loading_screen.h"

#include "frontend_test_support.h"

namespace frontend_test {
namespace {

class LoadingScreenTest : public FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    screen_ = std::make_unique<frontend::LoadingScreen>(Services());
    screen_->Init(device_);
    screen_->OnEnter();
  }
  void TearDown() override {
    screen_.reset();
    FrontEndTest::TearDown();
  }
  std::unique_ptr<frontend::LoadingScreen> screen_;
};

TEST_F(LoadingScreenTest, ProgressShowsFourDotsPerStageAndHugeStageCountsStayBounded) {
  screen_->SetLoadingProgress(device_, 3);
  EXPECT_EQ(screen_->progressLabel->text, "Loading............");
  EXPECT_LE(frontend::LoadingText(0xFFFFFFFFu).size(), 7u + 160u);
}

TEST_F(LoadingScreenTest, QuitIconEndsTheGameDroppingQueuedRequests) {
  flow_.Request(app::game_state::kRaceLoading, 0.0f);
  flow_.state = app::game_state::kLoadingScreen;
  ClickAt(*screen_, 775, 20);
  EXPECT_EQ(flow_.state, app::game_state::kQuit);
  EXPECT_EQ(flow_.menuScreen, app::menu_screen::NoScreenChange);
  EXPECT_TRUE(flow_.IsQueueEmpty());
}

TEST_F(LoadingScreenTest, EscapeDoesNothingAndIconPlusFCancelOut) {
  TapKey(*screen_, frontend::kKeyEscape);
  EXPECT_TRUE(Requests().empty());
  EXPECT_EQ(flow_.state, app::game_state::kNone);
  PressKey(*screen_, frontend::kKeyF);
  ClickAt(*screen_, 720, 15);
  EXPECT_EQ(FullScreen(), 0);
  TapKey(*screen_, frontend::kKeyF);
  EXPECT_EQ(FullScreen(), 1);
}

}  // namespace
}  // namespace frontend_test
