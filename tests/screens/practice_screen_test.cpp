// Practice race set-up: steppers and their limits, choices carried between venues, scrolling, and the race queued.
#include "screens/practice_screen.h"

#include "frontend/frontend_test_support.h"
#include "frontend/race_request.h"
#include "frontend/screen_ids.h"
#include "race/hud/minimap.h"

namespace screens {
namespace {

using frontend_test::FrontEndTest;

class PracticeRaceScreenTest : public FrontEndTest {
 protected:
  // The practice list of that many venues and the screen opened over it.
  PracticeRaceScreen& Screen(int venues) {
    database_->quickRaces = RaceListOf(venues, 1);
    PracticeRaceScreen& screen = Open<PracticeRaceScreen>();
    screen.Render(device_);
    return screen;
  }
  race::RaceDefinition& Venue(int i) { return *database_->quickRaces->At(i); }
};

TEST_F(PracticeRaceScreenTest, EnteringWritesTheStartingChoicesIntoTheFirstVenue) {
  PracticeRaceScreen& screen = Screen(3);
  EXPECT_EQ(Venue(0).laps, 3);
  EXPECT_EQ(Venue(0).opponents, 5u);
  EXPECT_EQ(Venue(0).classRestriction, race::kClassMixed);
  EXPECT_EQ(Venue(0).aiDifficulty, 2);
  EXPECT_EQ(screen.lapsLabel->text, "3");
  EXPECT_EQ(screen.opponentsLabel->text, "5");
  EXPECT_EQ(screen.classLabel->text, "MIXED");
  EXPECT_EQ(screen.difficultyLabel->text, "Normal");
  EXPECT_EQ(screen.rows.size(), 3u);
  // The sample venues name a track with no outline model: no map, everything else works.
  EXPECT_EQ(screen.minimap, nullptr);
}

TEST_F(PracticeRaceScreenTest, StepperArrowsStopAtTheirLimitsOrWrap) {
  PracticeRaceScreen& screen = Screen(2);
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
  EXPECT_EQ(screen.classLabel->text, "MIXED");
  EXPECT_EQ(screen.difficultyLabel->text, "Very Easy");
}

TEST_F(PracticeRaceScreenTest, AnotherVenueTakesTheSameChoicesAndTheyLastToTheNextVisit) {
  PracticeRaceScreen& screen = Screen(3);
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

TEST_F(PracticeRaceScreenTest, RaceQueuesTheSelectedVenueAndBackAndEscapeReturnToTheCarChoice) {
  PracticeRaceScreen& screen = Screen(3);
  screen.SelectVenue(1);
  ClickAt(screen, 700, 580);
  ASSERT_FALSE(flow_.IsQueueEmpty());
  EXPECT_EQ(flow_.stateQueue.back(), app::game_state::kRaceLoading);
  EXPECT_EQ(frontend::FindRaceByParameter(*database_, flow_.parameterQueue.back()), &Venue(1));
  flow_.Reset(flow_.state, 0, app::menu_screen::NoScreenChange);
  ClickAt(screen, 50, 580);
  TapKey(screen, frontend::kKeyEscape);
  EXPECT_EQ(Requests(), (frontend_test::Queue{{app::game_state::kEnterMenus, frontend::screen_index::kVehicleClass},
                                              {app::game_state::kEnterMenus, frontend::screen_index::kVehicleClass}}));
}

TEST_F(PracticeRaceScreenTest, AnEmptyListIgnoresEveryChoice) {
  PracticeRaceScreen& screen = Screen(0);
  screen.StepLaps(1);
  screen.SelectVenue(3);
  ClickAt(screen, 700, 580);
  EXPECT_TRUE(flow_.IsQueueEmpty());
  EXPECT_TRUE(screen.rows.empty());
}

}  // namespace
}  // namespace screens
