// Race results: the award by place, the career pay-out and progress, the tally, Race Again's fee, where each button
// leads, and the time format.
#include "screens/results_screen.h"

#include <array>

#include "frontend/frontend_test_support.h"
#include "app/leaderboard.h"
#include "frontend/screen_ids.h"
#include "platform/null_desktop.h"
#include "platform/os.h"
#include "race/race_result.h"

namespace screens {
namespace {

using frontend::screen_index::kGarage;
using frontend::screen_index::kMainMenu;

class RaceResultsScreenTest : public frontend_test::FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    profile_->money = 0;
    definition_ = std::make_unique<race::RaceDefinition>(0, "Harbour", "TRACKS/a.scn", &database_->aiNames,
                                                         race::kModeCareer, race::kRaceLap, 3, 0, 4, false);
    definition_->rewards[2] = 400;
    definition_->entryFee = 1000;
    definition_->classRestriction = race::kClassOpen;
    screen_ = &Open<RaceResultsScreen>();
  }
  RaceResultsScreen& Finish(uint32_t place, int32_t earned, float time = 83.456f) {
    result_ = std::make_unique<race::RaceResult>(place, earned, time, std::vector<std::string>{},
                                                 std::vector<float>{}, definition_.get());
    screen_->OnEnter();
    screen_->SetRaceResults(result_.get());
    return *screen_;
  }
  bool HasText(const std::string& text) const {
    for (const frontend::TextLabel* label : screen_->texts) {
      if (label->text == text) return true;
    }
    return false;
  }

  std::unique_ptr<race::RaceDefinition> definition_;
  std::unique_ptr<race::RaceResult> result_;
  RaceResultsScreen* screen_ = nullptr;
};

TEST(RaceTimeFormat, WritesMinutesSecondsAndHundredthsAndClampsOutOfRangeTimes) {
  const std::pair<float, const char*> cases[] = {{83.456f, "01:23'45"}, {5999.99f, "99:59'99"}, {6000.0f, "99:99'99"},
                                                 {0.0f, "00:00'00"},    {-5.0f, "00:00'00"},    {1e30f, "99:99'99"}};
  for (const auto& [seconds, text] : cases) EXPECT_EQ(FormatRaceTime(seconds), text) << seconds;
}

// The share of the prize each place wins: five places pay in a lap race, only the winner of a knockout (every
// other car was knocked out), and the top three of a time trial or a chicken race; place 0 (no place) pays nothing.
TEST(PlaceFactors, DependOnPlaceAndRaceType) {
  const struct {
    uint32_t type;
    std::array<float, 8> byPlace;  // places 0 to 7
  } cases[] = {
      {race::kRaceLap, {0.0f, 1.0f, 0.75f, 0.5f, 0.25f, 0.1f, 0.0f, 0.0f}},
      {race::kRaceKnockout, {0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f}},
      {race::kRaceTimeTrial, {0.0f, 1.0f, 0.75f, 0.5f, 0.0f, 0.0f, 0.0f, 0.0f}},
      {race::kRaceChicken, {0.0f, 1.0f, 0.75f, 0.5f, 0.0f, 0.0f, 0.0f, 0.0f}},
  };
  for (const auto& c : cases) {
    for (uint32_t place = 0; place < c.byPlace.size(); ++place) {
      EXPECT_FLOAT_EQ(PlaceFactor(c.type, place), c.byPlace[place]) << "type " << c.type << " place " << place;
    }
  }
  EXPECT_FLOAT_EQ(PlaceFactor(race::kRaceLap, 1000000), 0.0f);
}

TEST_F(RaceResultsScreenTest, CareerPaysTheAwardAndTheRewardAndOnlyAWinMovesTheCareerOn) {
  RaceResultsScreen& screen = Finish(2, 3500);
  EXPECT_EQ(screen.awardPercent, 75);
  EXPECT_EQ(screen.cashAwarded, 2625u);
  EXPECT_EQ(profile_->money, 2625 + 400);
  EXPECT_EQ(profile_->careerProgress, 0u);
  screen.Render(device_);
  EXPECT_TRUE(HasText("You Placed 2nd"));
  EXPECT_TRUE(HasText("( 2nd place award = 75% )"));
  EXPECT_TRUE(HasText("Time : 01:23'45"));
  Finish(1, 1000);
  EXPECT_EQ(profile_->money, 3025 + 1000);
  EXPECT_EQ(profile_->careerProgress, 1u);

  definition_->mode = race::kModeQuick;
  Finish(1, 1000);
  EXPECT_EQ(screen.cashAwarded, 1000u);
  EXPECT_EQ(profile_->money, 4025) << "other modes pay nothing";
  EXPECT_EQ(profile_->careerProgress, 1u);
}

TEST_F(RaceResultsScreenTest, RaceAgainInACareerNeedsTwiceTheEntryFee) {
  RaceResultsScreen& screen = Finish(6, 0);
  profile_->money = 1999;
  screen.Render(device_);
  ClickAt(screen, 180, 485);
  EXPECT_TRUE(screen.notEnoughMoney);
  EXPECT_EQ(profile_->money, 1999);
  EXPECT_TRUE(flow_.IsQueueEmpty());
  EXPECT_TRUE(Listed(screen.texts, screen.moneyMessageLabel.get()));
  screen.Update(Window(), 0.6f);
  screen.Update(Window(), 0.1f);
  EXPECT_FALSE(screen.showMoneyMessage) << "the message goes after half a second";
  screen.OnEnter();
  profile_->money = 2000;
  ClickAt(screen, 180, 485);
  EXPECT_EQ(profile_->money, 0);
  ASSERT_EQ(Requests().size(), 1u);
  EXPECT_EQ(Requests()[0].first, app::game_state::kRestartRace);
}

TEST_F(RaceResultsScreenTest, RaceAgainOutsideACareerIsFreeAndACareerPlayerShortOfTheFeeIsToldAgain) {
  definition_->mode = race::kModeQuick;
  RaceResultsScreen& screen = Finish(2, 500);
  profile_->money = 100;
  ClickAt(screen, 180, 485);  // Race Again
  EXPECT_EQ(Requests(), (frontend_test::Queue{{app::game_state::kRestartRace, 13}}));
  EXPECT_EQ(profile_->money, 100);
  EXPECT_EQ(screen.results, nullptr);

  ClearRequests();
  definition_->mode = race::kModeCareer;
  Finish(6, 0);
  profile_->money = 1999;
  ClickAt(screen, 180, 485);
  ASSERT_TRUE(screen.notEnoughMoney);
  screen.Update(Window(), 0.6f);
  screen.Update(Window(), 0.1f);
  ASSERT_FALSE(screen.showMoneyMessage);
  ClickAt(screen, 180, 485);  // again, still short
  EXPECT_TRUE(screen.showMoneyMessage);
  EXPECT_EQ(profile_->money, 1999);
  EXPECT_TRUE(flow_.IsQueueEmpty());
}

TEST_F(RaceResultsScreenTest, ThePlaceLineAndTheScoreLinesFollowTheRaceTypeAndMode) {
  const struct {
    uint32_t mode, type, place;
    const char* placeLine;
    const char* scoreCaption;
  } cases[] = {
      {race::kModeQuick, race::kRaceLap, 2, "You Placed 2nd", "Score :"},
      {race::kModeQuick, race::kRaceTimeTrial, 3, "You Placed 3rd", "Score :"},
      {race::kModeQuick, race::kRaceTimeTrial, 4, "You Did Not Place", "Score :"},
      {race::kModeInstant, race::kRaceChicken, 1, "You Placed 1st", "Score :"},
      {race::kModeInstant, race::kRaceChicken, 0, "You Did Not Place", "Score :"},
      {race::kModeQuick, race::kRaceKnockout, 1, "You Won!", "Score :"},
      {race::kModeQuick, race::kRaceKnockout, 3, "You Were Knocked Out", "Score :"},
      {race::kModeCareer, race::kRaceLap, 1, "You Placed 1st", "Cash Earned :"},
  };
  // One screen shows each result in turn, as it does race after race.
  for (const auto& c : cases) {
    SCOPED_TRACE(c.placeLine);
    definition_->mode = c.mode;
    definition_->type = c.type;
    Finish(c.place, 250).Render(device_);
    EXPECT_TRUE(HasText(c.placeLine));
    EXPECT_TRUE(HasText(c.scoreCaption));
    EXPECT_EQ(HasText("Points Awarded :"), c.mode != race::kModeCareer);
    EXPECT_EQ(HasText("Cash Awarded :"), c.mode == race::kModeCareer);
    EXPECT_TRUE(HasText(c.mode == race::kModeCareer ? "$250" : "250")) << "the points earned";
    int tallies = 0;
    for (const frontend::TextLabel* label : screen_->texts) tallies += label == screen_->tallyLabel ? 1 : 0;
    EXPECT_EQ(tallies, 1) << "the last result's tally is gone";
  }
}

TEST_F(RaceResultsScreenTest, ContinueAndPostScoreLeadOnAndAScreenWithoutResultsIgnoresInput) {
  RaceResultsScreen& screen = Finish(3, 100);
  ClickAt(screen, 620, 485);  // Continue
  EXPECT_EQ(screen.results, nullptr);
  const size_t draws = DrawCount();
  ClickAt(screen, 620, 485);
  screen.Render(device_);
  EXPECT_EQ(DrawCount(), draws);
  definition_->mode = race::kModeInstant;
  Finish(3, 100);
  ClickAt(screen, 620, 485);

  definition_->mode = race::kModeContest;
  Finish(1, 0, 61.0f);
  screen.Render(device_);
  ASSERT_TRUE(Listed(screen.buttons, screen.postScoreButton.get()));
  settings_->SetInt(app::SettingId::FULLSCREEN, 1);
  ClickAt(screen, 400, 430);  // Post Score
  EXPECT_EQ(FullScreen(), 0);
  ASSERT_EQ(Requests().size(), 3u);
  EXPECT_EQ(Requests()[0].second, kGarage);
  EXPECT_EQ(Requests()[1].second, kMainMenu);
  EXPECT_EQ(Requests()[2].second, kMainMenu);
  screen.OnLeave();
  EXPECT_FALSE(Listed(screen.buttons, screen.postScoreButton.get()));
}

TEST_F(RaceResultsScreenTest, PostScoreOpensTheRacesLeaderboardWithTheTimeInHundredthsTimesTen) {
  platform::RecordingLauncher launcher;
  app::LeaderboardClient leaderboard("corsaire", "corsaire", &launcher);
  screen_->leaderboard = &leaderboard;
  const struct {
    float seconds;
    int32_t raceIndex;  // the leaderboard is the race's index in its list
    int score;
  } cases[] = {{61.5f, 0, 61500}, {12.344f, 3, 12340}, {83.456f, 7, 83460}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.seconds);
    definition_ = std::make_unique<race::RaceDefinition>(c.raceIndex, "Sprint", "TRACKS/a.scn", &database_->aiNames,
                                                         race::kModeContest, race::kRaceTimeTrial, 1, 0, 0, false);
    Finish(1, 0, c.seconds);
    screen_->Render(device_);
    // The address carries a scrambling number from the game's random numbers: the same seed gives the same one.
    platform::CrtSeed(77);
    const int random = platform::CrtRand() % 10000;
    platform::CrtSeed(77);
    launcher.calls.clear();
    ClickAt(*screen_, 400, 430);  // Post Score
    ASSERT_EQ(launcher.calls.size(), 1u);
    EXPECT_EQ(launcher.calls[0].program,
              leaderboard.BuildPostAddress(static_cast<uint8_t>(c.raceIndex), c.score, random));
  }
}

TEST_F(RaceResultsScreenTest, PostScoreWithoutABrowserStaysOnTheResultsAndSaysSo) {
  using platform::ProgramOutcome;
  platform::RecordingLauncher launcher;
  app::LeaderboardClient leaderboard("corsaire", "corsaire", &launcher);
  screen_->leaderboard = &leaderboard;
  definition_->mode = race::kModeContest;
  constexpr ProgramOutcome kRun = ProgramOutcome::kRunning;
  const struct {
    const char* what;
    bool starts;
    std::vector<ProgramOutcome> outcomes;  // on the click's frame, then on each frame of 0.25 s; the last from then on
    bool leaves;                           // to the main menu, the results let go
    int frames;                            // frames after the click's before the screen knows
  } cases[] = {
      {"no launcher", false, {kRun}, false, 0},
      {"the launcher fails at once", true, {ProgramOutcome::kFailed}, false, 0},
      {"the launcher fails after starting", true, {kRun, kRun, ProgramOutcome::kFailed}, false, 2},
      {"the launcher hands the page over", true, {kRun, ProgramOutcome::kSucceeded}, true, 1},
      {"the launcher runs on as the browser", true, {kRun}, true, 6},  // the click's frame and six: the grace
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    launcher.opens = c.starts;
    launcher.calls.clear();
    RaceResultsScreen& screen = Finish(1, 0, 61.0f);
    screen.Render(device_);
    const size_t requests = Requests().size();
    launcher.outcome = c.outcomes[0];
    ClickAt(screen, 400, 430);  // Post Score
    for (int frame = 1; frame <= c.frames; ++frame) {
      // Until the launch is known, the results stay and take no second action.
      EXPECT_EQ(Requests().size(), requests) << frame;
      ASSERT_NE(screen.results, nullptr) << frame;
      ClickAt(screen, 620, 485);  // Continue, ignored
      screen.Render(device_);
      EXPECT_EQ(screen.postMessage->glyphCount, 0) << frame;
      launcher.outcome = c.outcomes[std::min<size_t>(frame, c.outcomes.size() - 1)];
      screen.Update(Window(), 0.25f);
    }
    EXPECT_EQ(launcher.calls.size(), 1u) << "posted once";
    EXPECT_EQ(Requests().size() - requests, c.leaves ? 1u : 0u);
    if (c.leaves) EXPECT_EQ(Requests().back().second, kMainMenu);
    EXPECT_EQ(screen.results == nullptr, c.leaves);
    if (c.leaves) continue;
    screen.Render(device_);
    ASSERT_NE(screen.postMessage, nullptr);
    EXPECT_EQ(screen.postMessage->text, app::kLeaderboardNotOpened);
    EXPECT_GT(screen.postMessage->glyphCount, 0);
    EXPECT_TRUE(Listed(screen.texts, screen.postMessage));
    // The results still answer: Continue leads on.
    ClickAt(screen, 620, 485);
    EXPECT_EQ(Requests().size() - requests, 1u);
  }
}

}  // namespace
}  // namespace screens
