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

}  // namespace
}  // namespace app
