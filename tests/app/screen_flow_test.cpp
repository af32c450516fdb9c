// The game-state request queue: order, one request per frame, delays, the request shortcuts and resets.
#include "app/screen_flow.h"

#include <gtest/gtest.h>

namespace app {
namespace {

namespace gs = game_state;

TEST(ScreenFlow, ANewFlowHasNoStateAndNoScreenChangeUntilARequestIsApplied) {
  ScreenFlow flow;
  EXPECT_EQ(flow.state, 0);
  EXPECT_EQ(flow.parameter, 0);
  EXPECT_EQ(flow.menuScreen, menu_screen::NoScreenChange);
  EXPECT_EQ(flow.racesStarted, 0);
  EXPECT_TRUE(flow.IsQueueEmpty());
  flow.Update(1.0f);
  EXPECT_EQ(flow.state, 0) << "an empty queue changes nothing";

  flow.Request(gs::kIntro, 0.0f);
  EXPECT_EQ(flow.state, 0) << "queued, not applied";
  flow.Update(0.0f);
  EXPECT_EQ(flow.state, gs::kIntro) << "a request without delay applies at the next update, even with no time";
  EXPECT_TRUE(flow.IsQueueEmpty());
}

TEST(ScreenFlow, RequestsApplyInOrderAtMostOnePerFrameEachAfterItsOwnDelay) {
  ScreenFlow flow;
  flow.Request(gs::kOpenResults, 0.5f);
  flow.Request(gs::kResumeRace, 0.0f);
  flow.Update(0.25f);
  EXPECT_EQ(flow.state, 0);
  EXPECT_EQ(flow.QueuedCount(), 2u);
  flow.Update(0.25f);
  EXPECT_EQ(flow.state, gs::kOpenResults) << "after half a second of frame time";
  EXPECT_EQ(flow.QueuedCount(), 1u) << "the second waits for the next frame";
  flow.Update(0.0f);
  EXPECT_EQ(flow.state, gs::kResumeRace);

  // Only the front request counts down: the one behind waits the full 1.0 s and then its own 0.05 s.
  flow.Request(gs::kMenus, 1.0f);
  flow.Request(gs::kRacing, 0.0625f);
  for (int frame = 0; frame < 16; ++frame) flow.Update(0.0625f);
  EXPECT_EQ(flow.state, gs::kMenus);
  EXPECT_EQ(flow.delayQueue.front(), 0.0625f) << "untouched while it was not at the front";
  flow.Update(0.03125f);
  EXPECT_EQ(flow.state, gs::kMenus);
  flow.Update(0.03125f);
  EXPECT_EQ(flow.state, gs::kRacing);
}

TEST(ScreenFlow, RequestFormsQueueStateParameterScreenAndDelay) {
  ScreenFlow flow;
  flow.Request(gs::kMenus, 0.5f);
  flow.RequestWithParameter(gs::kRaceLoading, 42, 0.25f);
  flow.RequestWithKind(gs::kEnterMenus, 7, 0.125f);
  flow.RequestOptions(menu_screen::kPauseMenu, 0.0f);
  EXPECT_EQ(flow.stateQueue, (std::deque<GameState>{gs::kMenus, gs::kRaceLoading, gs::kEnterMenus, gs::kOpenPauseMenu}));
  EXPECT_EQ(flow.parameterQueue, (std::deque<int32_t>{0, 42, 0, 0}));
  EXPECT_EQ(flow.screenQueue, (std::deque<int32_t>{13, 13, 7, menu_screen::kPauseMenu}));
  EXPECT_EQ(flow.delayQueue, (std::deque<float>{0.5f, 0.25f, 0.125f, 0.0f}));
  EXPECT_EQ(flow.FrontState(), gs::kMenus);
  EXPECT_EQ(flow.FrontParameter(), 0);
  EXPECT_EQ(flow.FrontScreen(), 13);

  flow.Update(0.5f);
  flow.Update(0.25f);
  EXPECT_EQ(flow.state, gs::kRaceLoading);
  EXPECT_EQ(flow.parameter, 42);
  EXPECT_EQ(flow.menuScreen, 13);
  flow.Update(0.125f);
  EXPECT_EQ(flow.menuScreen, 7);
  EXPECT_EQ(flow.parameter, 0) << "every request carries its own parameter";
}

TEST(ScreenFlow, BackLeadsThroughTheRaceExitFromRaceStatesAndThroughTheIntroExitOtherwise) {
  for (GameState from : {gs::kRacing, gs::kAfterFinish, gs::kPauseMenu, gs::kResults}) {
    ScreenFlow flow;
    flow.Reset(from, 0, 13);
    flow.RequestBack(3, 0.0f);
    EXPECT_EQ(flow.FrontState(), gs::kBackFromRace) << "from state " << from;
    EXPECT_EQ(flow.FrontScreen(), 3);
  }
  for (GameState from : {gs::kNone, gs::kDisclaimer, gs::kMenus, gs::kCountdown, gs::kStartSignal}) {
    ScreenFlow flow;
    flow.Reset(from, 0, 13);
    flow.RequestBack(0, 0.0f);
    EXPECT_EQ(flow.FrontState(), gs::kEnterMenus) << "from state " << from;
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

TEST(ScreenFlow, TheLoadingScreenStateHoldsTheQueueWithoutCountingDown) {
  ScreenFlow flow;
  flow.Reset(gs::kLoadingScreen, 0, menu_screen::kLoading);
  flow.Request(gs::kRaceLoading, 0.25f);
  flow.Update(1.0f);
  EXPECT_EQ(flow.state, gs::kLoadingScreen);
  EXPECT_EQ(flow.delayQueue.front(), 0.25f);
  // The application's hand-over takes the front request and drops the rest.
  flow.Request(gs::kMenus, 0.0f);
  flow.Reset(flow.FrontState(), flow.FrontParameter(), flow.FrontScreen());
  EXPECT_EQ(flow.state, gs::kRaceLoading);
  EXPECT_TRUE(flow.IsQueueEmpty());
}

TEST(ScreenFlow, ResetDuringAPendingDelayDiscardsEveryPendingRequest) {
  ScreenFlow flow;
  flow.Request(gs::kMenus, 1.0f);
  flow.Request(gs::kRacing, 0.0f);
  flow.Update(0.5f);
  flow.Reset(gs::kPauseMenu, 4, 10);
  EXPECT_EQ(flow.state, gs::kPauseMenu);
  EXPECT_EQ(flow.parameter, 4);
  EXPECT_EQ(flow.menuScreen, 10);
  EXPECT_TRUE(flow.IsQueueEmpty());
  EXPECT_TRUE(flow.delayQueue.empty() && flow.parameterQueue.empty() && flow.screenQueue.empty());
  for (int frame = 0; frame < 10; ++frame) flow.Update(1.0f);
  EXPECT_EQ(flow.state, gs::kPauseMenu);
  EXPECT_EQ(flow.FrontState(), gs::kNone) << "an empty queue's front reads as no state";
}

}  // namespace
}  // namespace app
