// Practice race set-up: steppers and their limits, choices carried between venues, scrolling, and the race queued.
#include "screens/practice_screen.h"

#include "frontend/frontend_test_support.h"
#include "frontend/race_request.h"
#include "frontend/screen_ids.h"
#include "race/content_database.h"
#include "race/hud/minimap.h"
#include "race/race_definition.h"
#include "race/race_list.h"

namespace screens {
namespace {

using frontend_test::FrontEndTest;

class PracticeRaceScreenTest : public FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    database_ = std::make_unique<race::ContentDatabase>(settings_.get(), folder_ + "no-content.dat");
  }
  void TearDown() override {
    screen_.reset();
    database_.reset();
    FrontEndTest::TearDown();
  }
  void Venues(int count) {
    auto list = std::make_unique<race::RaceList>(settings_.get(), &database_->aiNames, folder_ + "no-races.lst");
    for (int i = 0; i < count; ++i) {
      list->races.push_back(std::make_unique<race::RaceDefinition>(i, "Venue " + std::to_string(i), "TRACKS/a.scn",
                                                                   &database_->aiNames, 1, 0, 3, 0, 4, false));
    }
    database_->quickRaces = std::move(list);
  }
  PracticeRaceScreen& Screen() {
    if (!screen_) {
      frontend::ScreenServices services = Services();
      services.contentDatabase = database_.get();
      screen_ = std::make_unique<PracticeRaceScreen>(services);
      screen_->Init(device_);
      screen_->OnEnter();
      screen_->Render(device_);
    }
    return *screen_;
  }
  race::RaceDefinition& Venue(int i) { return *database_->quickRaces->At(i); }
  std::string LabelText(frontend::TextLabel* label) { return label->text; }

  std::unique_ptr<race::ContentDatabase> database_;
  std::unique_ptr<PracticeRaceScreen> screen_;
};

TEST_F(PracticeRaceScreenTest, EnteringWritesTheStartingChoicesIntoTheFirstVenue) {
  Venues(3);
  PracticeRaceScreen& screen = Screen();
  EXPECT_EQ(Venue(0).laps, 3);
  EXPECT_EQ(Venue(0).opponents, 5u);
  EXPECT_EQ(Venue(0).classRestriction, race::kClassMixed);
  EXPECT_EQ(Venue(0).aiDifficulty, 2);
  EXPECT_EQ(LabelText(screen.lapsLabel), "3");
  EXPECT_EQ(LabelText(screen.opponentsLabel), "5");
  EXPECT_EQ(LabelText(screen.classLabel), "MIXED");
  EXPECT_EQ(LabelText(screen.difficultyLabel), "Normal");
  EXPECT_EQ(screen.rows.size(), 3u);
  // The sample venues name a track with no outline model: no map, everything else works.
  EXPECT_EQ(screen.minimap, nullptr);
}

TEST_F(PracticeRaceScreenTest, StepperArrowsStopAtTheirLimitsOrWrap) {
  Venues(2);
  PracticeRaceScreen& screen = Screen();
  for (int i = 0; i < 12; ++i) ClickAt(screen, 660, 230);  // laps right
  EXPECT_EQ(Venue(0).laps, 10);
  for (int i = 0; i < 12; ++i) ClickAt(screen, 530, 230);  // laps left
  EXPECT_EQ(Venue(0).laps, 1);
  for (int i = 0; i < 3; ++i) ClickAt(screen, 660, 270);  // opponents right
  EXPECT_EQ(Venue(0).opponents, 6u);
  for (int i = 0; i < 8; ++i) ClickAt(screen, 530, 270);
  EXPECT_EQ(Venue(0).opponents, 0u);
  screen.vehicleClass = 0;
  ClickAt(screen, 530, 310);  // class left from OPEN
  EXPECT_EQ(Venue(0).classRestriction, race::kClassMixed);
  screen.difficulty = 4;
  ClickAt(screen, 660, 350);  // difficulty right from Very Hard
  EXPECT_EQ(Venue(0).aiDifficulty, 0);
  screen.Render(device_);
  EXPECT_EQ(LabelText(screen.classLabel), "MIXED");
  EXPECT_EQ(LabelText(screen.difficultyLabel), "Very Easy");
}

TEST_F(PracticeRaceScreenTest, AnotherVenueTakesTheSameChoicesAndTheyLastToTheNextVisit) {
  Venues(3);
  PracticeRaceScreen& screen = Screen();
  screen.StepLaps(4);
  screen.StepOpponents(-2);
  screen.StepVehicleClass(-1);
  screen.StepDifficulty(1);
  ClickAt(screen, 100, 210 + 2 * 40 + 10);  // third row
  EXPECT_EQ(screen.selected, 2);
  EXPECT_EQ(Venue(2).laps, 7);
  EXPECT_EQ(Venue(2).opponents, 3u);
  EXPECT_EQ(Venue(2).classRestriction, race::kClassA);
  EXPECT_EQ(Venue(2).aiDifficulty, 3);
  screen.OnEnter();
  EXPECT_EQ(screen.selected, 2);
  EXPECT_EQ(screen.laps, 7);
  EXPECT_EQ(Venue(2).laps, 7);
}

TEST_F(PracticeRaceScreenTest, RaceQueuesTheSelectedVenue) {
  Venues(3);
  PracticeRaceScreen& screen = Screen();
  screen.SelectVenue(1);
  ClickAt(screen, 700, 580);
  ASSERT_FALSE(flow_.IsQueueEmpty());
  bool found = false;
  for (size_t i = 0; i < flow_.stateQueue.size(); ++i) {
    if (flow_.parameterQueue[i] != 0) {
      EXPECT_EQ(frontend::FindRaceByParameter(*database_, flow_.parameterQueue[i]), &Venue(1));
      found = true;
    }
  }
  EXPECT_TRUE(found);
}

TEST_F(PracticeRaceScreenTest, BackAndEscapeReturnToTheCarChoice) {
  Venues(1);
  PracticeRaceScreen& screen = Screen();
  ClickAt(screen, 50, 580);
  PressKey(screen, frontend::kKeyEscape);
  screen.Update(Window(), 0.016f);
  ASSERT_EQ(Requests().size(), 2u);
  EXPECT_EQ(Requests()[0].second, frontend::screen_index::kVehicleClass);
  EXPECT_EQ(Requests()[1].second, frontend::screen_index::kVehicleClass);
}

TEST_F(PracticeRaceScreenTest, ScrollBarMovesTheRowsWithinTheList) {
  Venues(7);
  PracticeRaceScreen& screen = Screen();
  EXPECT_FLOAT_EQ(screen.scrollThumb->y, 245.0f);
  ClickAt(screen, 300, 430);  // down arrow
  screen.Render(device_);
  EXPECT_EQ(screen.firstRow, 1);
  EXPECT_FLOAT_EQ(screen.scrollThumb->y, 395.0f);
  screen.ScrollVenues(5);
  EXPECT_EQ(screen.firstRow, 1);
  ClickAt(screen, 300, 250);  // top of the track
  EXPECT_EQ(screen.firstRow, 0);
}

TEST_F(PracticeRaceScreenTest, AnEmptyListIgnoresEveryChoice) {
  Venues(0);
  PracticeRaceScreen& screen = Screen();
  screen.StepLaps(1);
  screen.SelectVenue(3);
  ClickAt(screen, 700, 580);
  EXPECT_TRUE(flow_.IsQueueEmpty());
  EXPECT_TRUE(screen.rows.empty());
}

}  // namespace
}  // namespace screens
