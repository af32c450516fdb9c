// Career race screen: lock and entry-fee rules with their messages and the Race button, the fee paid and the race
// queued, the counting money display, and an empty career.
#include "frontend/career_race_screen.h"

#include "app/data_file.h"
#include "contentgen/race_content.h"
#include "frontend/race_request.h"
#include "frontend_test_support.h"

namespace frontend_test {
namespace {

using frontend::CareerRaceScreen;

class CareerRaceScreenTest : public FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    database_->careerRaces = RaceListOf(0);
    database_->careerRaces->ReadFrom(app::DataFile::FromText(contentgen::CareerText()));
    profile_->money = 5000;
  }
  CareerRaceScreen& Screen() {
    if (screen_ == nullptr) {
      screen_ = &Open<CareerRaceScreen>();
      screen_->Render(device_);
    }
    return *screen_;
  }
  void Click(int x, int y) {
    ClickAt(Screen(), x, y);
    Screen().Render(device_);
  }
  bool RaceButtonListed() { return Listed(Screen().buttons, Screen().raceButton); }
  // The message line as drawn: an emptied label keeps its old text but draws no glyph.
  std::string Message() {
    const frontend::TextLabel* label = Screen().messageLabel;
    return label->glyphCount > 0 ? label->text : "";
  }

  CareerRaceScreen* screen_ = nullptr;
};

TEST_F(CareerRaceScreenTest, LockedAndUnaffordableRacesHideTheRaceButtonAndTheLockMessageWins) {
  CareerRaceScreen& screen = Screen();
  screen.SelectRow(2);  // Market Sprint: class C, fee 500
  const struct {
    uint32_t progress;
    int32_t money;
    std::string message;
  } cases[] = {{0, 5000, frontend::kLockedMessage}, {1, 499, frontend::kNoFundsMessage}, {1, 500, ""},
               {0, 0, frontend::kLockedMessage}};
  for (const auto& test : cases) {
    profile_->careerProgress = test.progress;
    profile_->money = test.money;
    screen.rebuild = true;
    screen.Render(device_);
    EXPECT_EQ(Message(), test.message) << test.progress << " " << test.money;
    EXPECT_EQ(RaceButtonListed(), test.message.empty()) << test.progress << " " << test.money;
  }
}

TEST_F(CareerRaceScreenTest, RaceClickPaysTheFeeAndQueuesTheChosenRace) {
  profile_->careerProgress = 1;
  CareerRaceScreen& screen = Screen();
  screen.displayedMoney = 5000.0f;
  screen.SelectRow(2);
  screen.Render(device_);
  Click(700, 580);
  EXPECT_EQ(profile_->money, 4500);
  ASSERT_FALSE(flow_.parameterQueue.empty());
  EXPECT_EQ(frontend::FindRaceByParameter(*database_, flow_.parameterQueue.back()),
            race::RaceDefinition::NthByClass(database_->careerRaces.get(), 1, 0));
  EXPECT_EQ(flow_.stateQueue.back(), app::game_state::kRaceLoading);
  // The display counts down at 100000 dollars a second.
  screen.UpdateMoneyDisplay(0.001f);
  EXPECT_FLOAT_EQ(screen.displayedMoney, 4900.0f);
}

TEST_F(CareerRaceScreenTest, LeavingWhileCountingStopsTheTallyAndReturnResumes) {
  CareerRaceScreen& screen = Screen();
  screen.UpdateMoneyDisplay(0.01f);
  EXPECT_FLOAT_EQ(screen.displayedMoney, 1000.0f);
  ASSERT_NE(screen.tallyChannel, -1);
  screen.OnLeave();
  EXPECT_EQ(screen.tallyChannel, -1);
  screen.OnEnter();
  screen.UpdateMoneyDisplay(0.01f);
  EXPECT_FLOAT_EQ(screen.displayedMoney, 2000.0f);
  EXPECT_NE(screen.tallyChannel, -1);
  screen.UpdateMoneyDisplay(1.0f);
  EXPECT_FLOAT_EQ(screen.displayedMoney, 5000.0f);
  screen.UpdateMoneyDisplay(0.01f);
  EXPECT_EQ(screen.tallyChannel, -1) << "the tally stops once the count arrives";
}

TEST_F(CareerRaceScreenTest, EmptyCareerOffersNoRaceAndBackAndEscapeReturnToTheGarage) {
  database_->careerRaces->Clear();
  CareerRaceScreen& screen = Screen();
  EXPECT_TRUE(screen.panelLabels.empty());
  EXPECT_FALSE(RaceButtonListed());
  screen.MoveSelection(1);
  EXPECT_EQ(screen.selectedRow, 0);
  Click(700, 580);
  for (const int y : {246, 320, 414}) {  // the scroll bar has nothing to move to
    Click(304, y);
    EXPECT_EQ(screen.selectedRow, 0) << y;
  }
  Click(50, 580);
  TapKey(Screen(), frontend::kKeyEscape);
  EXPECT_EQ(Requests(), (Queue{{app::game_state::kEnterMenus, 3}, {app::game_state::kEnterMenus, 3}}));
}

// The arrows and the scroll bar move the choice over the ranked races only and stop at both ends of the list.
TEST_F(CareerRaceScreenTest, ArrowsAndTheScrollBarStopAtTheEndsOfTheRankedRaces) {
  CareerRaceScreen& screen = Screen();
  for (int i = 0; i < 14; ++i) Click(300, 430);  // down arrow
  EXPECT_EQ(screen.selectedRow, 10) << "eleven ranked races in the sample career";
  EXPECT_EQ(screen.firstVisibleRow, 5);
  Click(300, 225);  // up arrow
  EXPECT_EQ(screen.selectedRow, 9);
  for (int i = 0; i < 14; ++i) Click(300, 225);
  EXPECT_EQ(screen.selectedRow, 0);
  EXPECT_EQ(screen.firstVisibleRow, 0);
  const struct {
    int y;
    int row;  // floor((y - 245) / 150 * 10), held inside the list
  } bar[] = {{246, 0}, {320, 5}, {395, 10}, {414, 10}};
  for (const auto& click : bar) {
    Click(304, click.y);
    EXPECT_EQ(screen.selectedRow, click.row) << click.y;
  }
}

}  // namespace
}  // namespace frontend_test
