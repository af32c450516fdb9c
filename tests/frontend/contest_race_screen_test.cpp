// Contest race screen: the scrolling view over the contest list, the race start without payment, an empty list.
#include "frontend/contest_race_screen.h"

#include "app/data_file.h"
#include "app/leaderboard.h"
#include "contentgen/race_content.h"
#include "frontend/career_race_screen.h"
#include "frontend/race_request.h"
#include "frontend_test_support.h"
#include "platform/null_desktop.h"

namespace frontend_test {
namespace {

using frontend::ContestRaceScreen;

class ContestRaceScreenTest : public FrontEndTest {
 protected:
  void UseRaces(int count, uint32_t type = race::kRaceTimeTrial) {
    database_->contestRaces = RaceListOf(count, race::kModeContest, type);
  }
  ContestRaceScreen& Screen() {
    if (screen_ == nullptr) {
      screen_ = &Open<ContestRaceScreen>(&leaderboard_);
      screen_->Render(device_);
    }
    return *screen_;
  }
  void Click(int x, int y) {
    ClickAt(Screen(), x, y);
    Screen().Render(device_);
  }
  std::vector<int32_t> RowIds() {
    std::vector<int32_t> ids;
    for (const frontend::MenuButton* row : Screen().rowButtons) ids.push_back(row->id);
    return ids;
  }

  // The addresses the game asked the launcher to open.
  std::vector<std::string> Opened() const {
    std::vector<std::string> opened;
    for (const auto& call : launcher_.calls) opened.push_back(call.program);
    return opened;
  }

  platform::RecordingLauncher launcher_;
  app::LeaderboardClient leaderboard_{"dp", "corsaire", &launcher_};
  ContestRaceScreen* screen_ = nullptr;
};

TEST_F(ContestRaceScreenTest, ArrowsScrollTheViewWithinTheListAndKeepTheChoice) {
  UseRaces(10);
  EXPECT_EQ(RowIds(), (std::vector<int32_t>{100, 101, 102, 103, 104, 105}));
  for (int i = 0; i < 4; ++i) Click(300, 430);  // down arrow
  EXPECT_EQ(RowIds(), (std::vector<int32_t>{104, 105, 106, 107, 108, 109}));
  Click(300, 430);
  EXPECT_EQ(Screen().firstVisibleRow, 4);
  EXPECT_EQ(Screen().selectedIndex, 0);
  EXPECT_FLOAT_EQ(Screen().scrollThumb->y, frontend::kThumbTop + 150.0f);
  Click(300, 225);  // up arrow
  EXPECT_EQ(Screen().firstVisibleRow, 3);
}

TEST_F(ContestRaceScreenTest, RaceQueuesTheChosenSampleContest) {
  database_->contestRaces = RaceListOf(0);
  database_->contestRaces->ReadFrom(app::DataFile::FromText(contentgen::ContestText()));
  ASSERT_GE(database_->contestRaces->Count(), 2);
  Click(150, 255);  // second row
  Click(700, 580);  // Race
  ASSERT_FALSE(flow_.parameterQueue.empty());
  EXPECT_EQ(frontend::FindRaceByParameter(*database_, flow_.parameterQueue.back()), database_->contestRaces->At(1));
  EXPECT_EQ(flow_.stateQueue.back(), app::game_state::kRaceLoading);
}

TEST_F(ContestRaceScreenTest, EmptyListOffersNoRace) {
  UseRaces(0);
  EXPECT_TRUE(Screen().panelLabels.empty());
  Click(700, 580);
  Click(50, 580);  // Back
  EXPECT_EQ(Requests(), (Queue{{app::game_state::kEnterMenus, 0}}));
}

TEST_F(ContestRaceScreenTest, AListThatFillsAfterBeingEmptyOffersItsRaceAgain) {
  UseRaces(0);
  Screen();
  EXPECT_FALSE(Listed(Screen().buttons, Screen().raceButton));
  UseRaces(3);
  Screen().OnEnter();
  Screen().rebuild = true;
  Screen().Render(device_);
  EXPECT_TRUE(Listed(Screen().buttons, Screen().raceButton));
  Click(700, 580);  // Race
  ASSERT_FALSE(flow_.stateQueue.empty());
  EXPECT_EQ(flow_.stateQueue.back(), app::game_state::kRaceLoading);
  EXPECT_EQ(frontend::FindRaceByParameter(*database_, flow_.parameterQueue.back()), database_->contestRaces->At(0));
}

TEST_F(ContestRaceScreenTest, ViewScoresOpensTheLeaderboardAndFirstLeavesFullScreen) {
  UseRaces(3);
  for (const int fullScreen : {1, 0}) {
    settings_->SetInt(app::SettingId::FULLSCREEN, fullScreen);
    launcher_.calls.clear();
    Click(700, 465);  // View Scores
    EXPECT_EQ(FullScreen(), 0) << "the browser cannot be seen over a full-screen game";
    EXPECT_EQ(Opened(), std::vector<std::string>{leaderboard_.BuildViewAddress()});
  }
  EXPECT_TRUE(Requests().empty()) << "the screen stays";
}

TEST_F(ContestRaceScreenTest, ViewScoresWithoutABrowserSaysSoUntilTheScreenIsEnteredAgain) {
  using platform::ProgramOutcome;
  UseRaces(3);
  ASSERT_NE(Screen().scoresMessage, nullptr);
  // What the label draws: an emptied label keeps its old text but draws no glyph.
  const auto shown = [&] {
    const frontend::TextLabel& label = *Screen().scoresMessage;
    return label.glyphCount > 0 ? label.text : std::string();
  };
  const std::string notOpened = app::kLeaderboardNotOpened;
  // Each case follows the one before on the same screen: a new click clears an earlier message.
  const struct {
    const char* what;
    bool starts;
    ProgramOutcome outcome;  // from the frame after the click on
    std::string message;     // after the click's frame, then once the launcher has ended or run past the grace
    std::string later;
  } cases[] = {
      {"no launcher", false, ProgramOutcome::kSucceeded, notOpened, notOpened},
      {"the launcher hands the page over", true, ProgramOutcome::kSucceeded, "", ""},
      {"the launcher fails after starting", true, ProgramOutcome::kFailed, "", notOpened},
      {"the launcher runs on as the browser", true, ProgramOutcome::kRunning, "", ""},
      {"the launcher fails at once", true, ProgramOutcome::kFailed, notOpened, notOpened},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    launcher_.opens = c.starts;
    // The click's frame sees the launcher still running, unless it fails at once.
    launcher_.outcome = c.message.empty() ? ProgramOutcome::kRunning : c.outcome;
    Click(700, 465);  // View Scores
    EXPECT_EQ(shown(), c.message);
    launcher_.outcome = c.outcome;
    for (int frame = 0; frame < 8; ++frame) Screen().Update(Window(), 0.25f);  // past the grace
    Screen().Render(device_);
    EXPECT_EQ(shown(), c.later);
    EXPECT_FALSE(Screen().scoresLaunch.Waiting());
  }
  EXPECT_EQ(Opened().size(), std::size(cases));
  EXPECT_TRUE(Requests().empty()) << "the screen stays";

  // Entering the screen again clears the message and forgets a launch that was still starting when it was left.
  launcher_.opens = true;
  launcher_.outcome = ProgramOutcome::kRunning;
  Click(700, 465);
  EXPECT_TRUE(Screen().scoresLaunch.Waiting());
  Screen().OnEnter();
  launcher_.outcome = ProgramOutcome::kFailed;
  Screen().Update(Window(), 0.25f);
  Screen().Render(device_);
  EXPECT_EQ(shown(), "");
}

TEST_F(ContestRaceScreenTest, TheScrollBarPicksTheNearestTopRowWithinTheList) {
  UseRaces(16);  // ten rows hidden
  const struct {
    int y;
    int firstRow;  // floor((y - 245) / 150 * 10 + 0.5), held inside the list
  } bar[] = {{246, 0}, {320, 5}, {328, 6}, {414, 10}};
  for (const auto& click : bar) {
    Click(304, click.y);
    EXPECT_EQ(Screen().firstVisibleRow, click.firstRow) << click.y;
  }
  for (int i = 0; i < 3; ++i) Click(300, 430);  // down arrow at the end
  EXPECT_EQ(Screen().firstVisibleRow, 10);
  for (int i = 0; i < 12; ++i) Click(300, 225);  // up arrow
  EXPECT_EQ(Screen().firstVisibleRow, 0);
}

}  // namespace
}  // namespace frontend_test
