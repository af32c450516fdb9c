// Race results: award by place and race type, career pay-out and progress, the tally, Race Again's fee, the
// requests of each button, the time format and the lines laid out.
#include "screens/results_screen.h"

#include <algorithm>

#include "frontend/frontend_test_support.h"
#include "frontend/screen_ids.h"
#include "race/content_database.h"
#include "race/player_profile.h"
#include "race/race_definition.h"
#include "race/race_result.h"

namespace screens {
namespace {

using frontend_test::FrontEndTest;

class RaceResultsScreenTest : public FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    database_ = std::make_unique<race::ContentDatabase>(settings_.get(), folder_ + "no-content.dat");
    profile_ = std::make_unique<race::PlayerProfile>(database_.get());
    profile_->money = 0;
    definition_ = std::make_unique<race::RaceDefinition>(0, "Harbour", "TRACKS/a.scn", &database_->aiNames,
                                                         race::kModeCareer, race::kRaceLap, 3, 0, 4, false);
    definition_->rewards[2] = 400;
    definition_->entryFee = 1000;
    definition_->classRestriction = race::kClassOpen;
  }
  void TearDown() override {
    screen_.reset();
    profile_.reset();
    database_.reset();
    FrontEndTest::TearDown();
  }
  RaceResultsScreen& Finish(uint32_t place, int32_t earned, float time = 83.456f) {
    if (!screen_) {
      frontend::ScreenServices services = Services();
      services.contentDatabase = database_.get();
      services.profile = profile_.get();
      screen_ = std::make_unique<RaceResultsScreen>(services);
      screen_->Init(device_);
    }
    result_ = std::make_unique<race::RaceResult>(place, earned, time, std::vector<std::string>{},
                                                 std::vector<float>{}, definition_.get());
    screen_->OnEnter();
    screen_->SetRaceResults(result_.get());
    return *screen_;
  }
  bool HasText(const std::string& text) const {
    return std::any_of(screen_->texts.begin(), screen_->texts.end(),
                       [&](frontend::TextLabel* label) { return label->text == text; });
  }

  std::unique_ptr<race::ContentDatabase> database_;
  std::unique_ptr<race::PlayerProfile> profile_;
  std::unique_ptr<race::RaceDefinition> definition_;
  std::unique_ptr<race::RaceResult> result_;
  std::unique_ptr<RaceResultsScreen> screen_;
};

TEST(RaceTimeFormat, WritesMinutesSecondsAndHundredths) {
  EXPECT_EQ(FormatRaceTime(83.456f), "01:23'45");
  EXPECT_EQ(FormatRaceTime(5999.99f), "99:59'99");
  EXPECT_EQ(FormatRaceTime(6000.0f), "99:99'99");
  EXPECT_EQ(FormatRaceTime(0.0f), "00:00'00");
  EXPECT_EQ(FormatRaceTime(-5.0f), "00:00'00");
  EXPECT_EQ(FormatRaceTime(1e30f), "99:99'99");
}

TEST(PlaceFactors, DependOnPlaceAndRaceType) {
  EXPECT_FLOAT_EQ(PlaceFactor(race::kRaceLap, 1), 1.0f);
  EXPECT_FLOAT_EQ(PlaceFactor(race::kRaceLap, 2), 0.75f);
  EXPECT_FLOAT_EQ(PlaceFactor(race::kRaceLap, 5), 0.1f);
  EXPECT_FLOAT_EQ(PlaceFactor(race::kRaceLap, 6), 0.0f);
  EXPECT_FLOAT_EQ(PlaceFactor(race::kRaceLap, 0), 0.0f);
  EXPECT_FLOAT_EQ(PlaceFactor(race::kRaceKnockout, 1), 1.0f);
  EXPECT_FLOAT_EQ(PlaceFactor(race::kRaceKnockout, 2), 0.0f);
  EXPECT_FLOAT_EQ(PlaceFactor(race::kRaceTimeTrial, 3), 0.5f);
  EXPECT_FLOAT_EQ(PlaceFactor(race::kRaceChicken, 4), 0.0f);
}

TEST_F(RaceResultsScreenTest, CareerSecondPlacePaysTheAwardAndTheReward) {
  RaceResultsScreen& screen = Finish(2, 3500);
  EXPECT_EQ(screen.awardPercent, 75);
  EXPECT_EQ(screen.cashAwarded, 2625u);
  EXPECT_EQ(screen.reward, 400u);
  EXPECT_EQ(profile_->money, 3025);
  EXPECT_EQ(profile_->careerProgress, 0u);
  screen.Render(device_);
  EXPECT_TRUE(HasText("You Placed 2nd"));
  EXPECT_TRUE(HasText("$3025"));
  EXPECT_TRUE(HasText("( 2nd place award = 75% )"));
  EXPECT_TRUE(HasText("Time : 01:23'45"));
}

TEST_F(RaceResultsScreenTest, CareerWinOpensTheNextTier) {
  Finish(1, 1000);
  EXPECT_EQ(profile_->money, 1000);
  EXPECT_EQ(profile_->careerProgress, 1u);
  EXPECT_TRUE(profile_->IsRaceLocked(*definition_) == false);
}

TEST_F(RaceResultsScreenTest, OtherModesPayNothing) {
  definition_->mode = race::kModeQuick;
  RaceResultsScreen& screen = Finish(1, 1000);
  EXPECT_EQ(screen.cashAwarded, 1000u);
  EXPECT_EQ(profile_->money, 0);
  EXPECT_EQ(profile_->careerProgress, 0u);
  screen.Render(device_);
  EXPECT_TRUE(HasText("Points Awarded :"));
}

TEST_F(RaceResultsScreenTest, TallyCountsUpAtTenThousandPerSecond) {
  RaceResultsScreen& screen = Finish(1, 3000);
  screen.Update(Window(), 0.1f);
  EXPECT_FLOAT_EQ(screen.tally, 1000.0f);
  screen.Update(Window(), 0.5f);
  EXPECT_FLOAT_EQ(screen.tally, 3000.0f);
  screen.Update(Window(), 0.1f);
  EXPECT_EQ(screen.tallyChannel, -1);
  screen.Render(device_);
  ASSERT_NE(screen.tallyLabel, nullptr);
  EXPECT_EQ(screen.tallyLabel->text, "$3000");
}

TEST_F(RaceResultsScreenTest, RaceAgainInACareerNeedsTwiceTheEntryFee) {
  RaceResultsScreen& screen = Finish(6, 0);
  profile_->money = 1999;
  screen.Render(device_);
  ClickAt(screen, 180, 485);
  EXPECT_TRUE(screen.notEnoughMoney);
  EXPECT_EQ(profile_->money, 1999);
  EXPECT_TRUE(flow_.IsQueueEmpty());
  EXPECT_NE(screen.results, nullptr);
  EXPECT_TRUE(std::find(screen.texts.begin(), screen.texts.end(), screen.moneyMessageLabel.get()) !=
              screen.texts.end());
  // The message goes after half a second.
  screen.Update(Window(), 0.6f);
  screen.Update(Window(), 0.1f);
  EXPECT_FALSE(screen.showMoneyMessage);
  screen.OnEnter();
  profile_->money = 2000;
  ClickAt(screen, 180, 485);
  EXPECT_EQ(profile_->money, 0);
  ASSERT_EQ(Requests().size(), 1u);
  EXPECT_EQ(Requests()[0].first, app::game_state::kRestartRace);
  EXPECT_EQ(screen.results, nullptr);
}

TEST_F(RaceResultsScreenTest, ContinueGoesToTheGarageInACareerAndToTheMainMenuOtherwise) {
  RaceResultsScreen& screen = Finish(3, 100);
  ClickAt(screen, 620, 485);
  EXPECT_EQ(screen.results, nullptr);
  // Without results the screen ignores input and draws nothing.
  const size_t draws = DrawCount();
  ClickAt(screen, 620, 485);
  screen.Render(device_);
  EXPECT_EQ(DrawCount(), draws);
  definition_->mode = race::kModeInstant;
  Finish(3, 100);
  ClickAt(screen, 620, 485);
  ASSERT_EQ(Requests().size(), 2u);
  EXPECT_EQ(Requests()[0].second, frontend::screen_index::kGarage);
  EXPECT_EQ(Requests()[1].second, frontend::screen_index::kMainMenu);
}

TEST_F(RaceResultsScreenTest, ContestRacesOfferPostScore) {
  definition_->mode = race::kModeContest;
  RaceResultsScreen& screen = Finish(1, 0, 61.0f);
  screen.Render(device_);
  EXPECT_TRUE(HasText("Time : 01:01'00"));
  EXPECT_TRUE(std::find(screen.buttons.begin(), screen.buttons.end(), screen.postScoreButton.get()) !=
              screen.buttons.end());
  settings_->SetInt(app::SettingId::FULLSCREEN, 1);
  ClickAt(screen, 400, 430);
  EXPECT_EQ(FullScreen(), 0);
  ASSERT_EQ(Requests().size(), 1u);
  EXPECT_EQ(Requests()[0].second, frontend::screen_index::kMainMenu);
  screen.OnLeave();
  EXPECT_TRUE(std::find(screen.buttons.begin(), screen.buttons.end(), screen.postScoreButton.get()) ==
              screen.buttons.end());
}

}  // namespace
}  // namespace screens
