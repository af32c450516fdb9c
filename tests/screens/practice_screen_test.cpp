// Practice race set-up: steppers and their limits, choices carried between venues, scrolling, and the race queued.
#include "screens/practice_screen.h"

#include <functional>

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

TEST_F(PracticeRaceScreenTest, StepperArrowsWriteIntoTheVenueAndStopAtTheirLimitsOrWrap) {
  PracticeRaceScreen& screen = Screen(2);
  EXPECT_EQ(Venue(0).opponents, 5u) << "entering writes the starting choices into the first venue";
  EXPECT_EQ(screen.minimap, nullptr) << "a track without an outline model shows no map";
  const auto laps = [&] { return Venue(0).laps; };
  const auto opponents = [&] { return static_cast<int32_t>(Venue(0).opponents); };
  const auto vehicleClass = [&] { return static_cast<int32_t>(Venue(0).classRestriction); };
  const auto difficulty = [&] { return Venue(0).aiDifficulty; };
  const struct {
    const char* what;
    int x, y, clicks;
    std::function<int32_t()> value;
    int32_t expected;
  } cases[] = {{"laps up to 10", 660, 230, 12, laps, 10},
               {"laps down to 1", 530, 230, 12, laps, 1},
               {"opponents up to 6", 660, 270, 3, opponents, 6},
               {"opponents down to 0", 530, 270, 8, opponents, 0},
               {"class wraps from mixed to open", 660, 310, 1, vehicleClass, static_cast<int32_t>(race::kClassOpen)},
               {"class wraps back from open to mixed", 530, 310, 1, vehicleClass, static_cast<int32_t>(race::kClassMixed)},
               {"class steps down from mixed to A", 530, 310, 1, vehicleClass, static_cast<int32_t>(race::kClassA)},
               {"difficulty wraps from very easy to very hard", 530, 350, 3, difficulty, 4},
               {"difficulty wraps up from very hard to very easy", 660, 350, 1, difficulty, 0},
               {"difficulty steps up from very easy", 660, 350, 1, difficulty, 1}};
  for (const auto& test : cases) {
    for (int i = 0; i < test.clicks; ++i) ClickAt(screen, test.x, test.y);
    EXPECT_EQ(test.value(), test.expected) << test.what;
  }
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

TEST_F(PracticeRaceScreenTest, TheListScrollsByArrowAndBarAndStopsAtBothEnds) {
  PracticeRaceScreen& screen = Screen(8);  // six rows show: two more to scroll
  const struct {
    const char* what;
    int x, y, clicks;
    int firstRow;
  } cases[] = {{"down arrow", 300, 430, 1, 1},   {"down arrow past the end", 300, 430, 4, 2},
               {"up arrow", 300, 225, 1, 1},     {"up arrow past the start", 300, 225, 4, 0},
               {"bar bottom", 304, 414, 1, 2},  {"bar top", 304, 246, 1, 0},
               {"bar middle", 304, 320, 1, 1}};
  for (const auto& c : cases) {
    for (int i = 0; i < c.clicks; ++i) {
      ClickAt(screen, c.x, c.y);
      screen.Render(device_);
    }
    EXPECT_EQ(screen.firstRow, c.firstRow) << c.what;
  }
  EXPECT_FLOAT_EQ(screen.scrollThumb->y, 245.0f + 75.0f) << "the thumb halfway down for the middle row";
}

TEST_F(PracticeRaceScreenTest, ClearVenueRowsTakesTheRowsOutAndEachRebuildListsOnlyTheVisibleOnes) {
  PracticeRaceScreen& screen = Screen(8);
  const size_t fixed = screen.buttons.Count() - screen.rows.size();
  EXPECT_EQ(ListedIdsFrom(screen, PracticeRaceScreen::kFirstRow),
            (std::vector<int32_t>{105, 104, 103, 102, 101, 100}));

  screen.ClearVenueRows();
  EXPECT_TRUE(screen.rows.empty());
  EXPECT_TRUE(ListedIdsFrom(screen, PracticeRaceScreen::kFirstRow).empty());
  EXPECT_EQ(screen.buttons.Count(), fixed) << "the fixed buttons stay";

  screen.ScrollVenues(+1);
  screen.ScrollVenues(+1);
  screen.Render(device_);
  EXPECT_EQ(ListedIdsFrom(screen, PracticeRaceScreen::kFirstRow),
            (std::vector<int32_t>{107, 106, 105, 104, 103, 102}));
  EXPECT_EQ(screen.buttons.Count(), fixed + 6);
}

}  // namespace
}  // namespace screens
