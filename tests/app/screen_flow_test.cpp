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

// Showing a menu screen from inside a race (racing, after the finish, the pause menu, the results) leaves the race
// (state 15); from anywhere else it enters the menus (state 3). The screens' RequestScreen queues the same.
TEST(ScreenFlow, AScreenRequestLeavesTheRaceOnlyFromTheRaceStates) {
  for (GameState from = gs::kNone; from <= gs::kQuit; ++from) {
    const bool inRace = from == gs::kRacing || from == gs::kAfterFinish || from == gs::kPauseMenu ||
                        from == gs::kResults;
    const GameState expected = inRace ? gs::kBackFromRace : gs::kEnterMenus;
    ScreenFlow back;
    back.Reset(from, 0, menu_screen::NoScreenChange);
    back.RequestBack(6, 0.25f);
    ScreenFlow screen;
    screen.Reset(from, 0, menu_screen::NoScreenChange);
    screen.RequestScreen(6, 0.25f);
    for (const ScreenFlow* flow : {&back, &screen}) {
      ASSERT_EQ(flow->QueuedCount(), 1u) << from;
      EXPECT_EQ(flow->FrontState(), expected) << from;
      EXPECT_EQ(flow->FrontScreen(), 6) << from;
      EXPECT_EQ(flow->FrontParameter(), 0) << from;
      EXPECT_EQ(flow->delayQueue.front(), 0.25f) << from;
    }
  }
}

}  // namespace
}  // namespace app
