// The game-state request queue: order, one request per frame, delays, the request shortcuts and resets.
#include "app/screen_flow.h"

#include <gtest/gtest.h>

namespace app {
namespace {

namespace gs = game_state;

TEST(ScreenFlow, OnlyTheFrontRequestCountsDown) {
  ScreenFlow flow;
  flow.Request(gs::kMenus, 1.0f);
  flow.Request(gs::kRacing, 0.0625f);
  for (int frame = 0; frame < 16; ++frame) flow.Update(0.0625f);
  EXPECT_EQ(flow.state, gs::kMenus);
  flow.Update(0.03125f);
  EXPECT_EQ(flow.state, gs::kMenus) << "the second request's own delay starts only now";
  flow.Update(0.03125f);
  EXPECT_EQ(flow.state, gs::kRacing);
}

TEST(ScreenFlow, BackLeadsThroughTheRaceExitFromRaceStatesAndThroughTheIntroExitOtherwise) {
  const std::pair<GameState, GameState> cases[] = {
      {gs::kRacing, gs::kBackFromRace}, {gs::kAfterFinish, gs::kBackFromRace}, {gs::kPauseMenu, gs::kBackFromRace},
      {gs::kResults, gs::kBackFromRace}, {gs::kNone, gs::kEnterMenus},        {gs::kDisclaimer, gs::kEnterMenus},
      {gs::kMenus, gs::kEnterMenus},     {gs::kCountdown, gs::kEnterMenus},   {gs::kStartSignal, gs::kEnterMenus}};
  for (auto [from, expected] : cases) {
    ScreenFlow flow;
    flow.Reset(from, 0, 13);
    flow.RequestBack(3, 0.0f);
    EXPECT_EQ(flow.FrontState(), expected) << "from state " << from;
    EXPECT_EQ(flow.FrontScreen(), 3);
  }
}

TEST(ScreenFlow, RaceStartShowsTheLoadingScreenFirstUnlessItIsAlreadyShown) {
  ScreenFlow flow;
  flow.Reset(gs::kMenus, 0, 13);
  flow.RequestRaceStart(5);
  EXPECT_EQ(flow.stateQueue, (std::deque<GameState>{gs::kLoadingScreen, gs::kRaceLoading}));
  EXPECT_EQ(flow.screenQueue, (std::deque<int32_t>{menu_screen::kLoading, 13}));
  EXPECT_EQ(flow.parameterQueue, (std::deque<int32_t>{0, 5}));

  ScreenFlow loading;
  loading.Reset(gs::kLoadingScreen, 0, menu_screen::kLoading);
  loading.RequestRaceStart(6);
  EXPECT_EQ(loading.stateQueue, std::deque<GameState>{gs::kRaceLoading});
  EXPECT_EQ(loading.FrontParameter(), 6);
}

TEST(ScreenFlow, ResetDuringAPendingDelayDiscardsEveryPendingRequest) {
  ScreenFlow flow;
  flow.Request(gs::kMenus, 1.0f);
  flow.Request(gs::kRacing, 0.0f);
  flow.Update(0.5f);
  flow.Reset(gs::kPauseMenu, 4, 10);
  EXPECT_EQ(flow.menuScreen, 10);
  EXPECT_TRUE(flow.delayQueue.empty() && flow.parameterQueue.empty() && flow.screenQueue.empty());
  for (int frame = 0; frame < 10; ++frame) flow.Update(1.0f);
  EXPECT_EQ(flow.state, gs::kPauseMenu);
  EXPECT_EQ(flow.FrontState(), gs::kNone) << "an empty queue's front reads as no state";
}

}  // namespace
}  // namespace app
