// Mouse state from button messages and the cursor scaled to the menus' virtual screen.
#include <gtest/gtest.h>

#include "app/mouse_state.h"
#include "platform/null_window_system.h"

namespace {

namespace wm = platform::wm;

TEST(MouseState, ClicksAreSeenOncePerPressAndATapWithinOneFrameStillClicks) {
  app::MouseState mouse;
  mouse.HandleMouseMessage(wm::kLButtonDown);
  EXPECT_TRUE(mouse.IsKeyPressed(0));
  EXPECT_FALSE(mouse.IsKeyPressed(1));
  mouse.ClearMouseClicks();
  mouse.HandleMouseMessage(wm::kLButtonDown);  // still held: no new click
  mouse.HandleMouseMessage(wm::kLButtonDblClk);
  EXPECT_EQ(mouse.leftClicked, 0);
  EXPECT_EQ(mouse.leftHeld, 1);
  mouse.HandleMouseMessage(wm::kRButtonDown);
  mouse.HandleMouseMessage(wm::kRButtonUp);
  EXPECT_EQ(mouse.rightClicked, 1);
  EXPECT_EQ(mouse.rightHeld, 0);
  mouse.ResetMouseButtons();
  EXPECT_EQ(mouse.leftClicked + mouse.rightClicked + mouse.leftHeld + mouse.rightHeld, 0);
}

TEST(MouseState, ScalingTruncatesTowardZeroAndNeverDividesByZero) {
  app::MouseState mouse;
  mouse.cursor = {1023, 767};
  EXPECT_EQ(mouse.ScaleMouseToScreen(1024, 768, 640, 480).x, 639);
  EXPECT_EQ(mouse.scaledCursor.y, 479);
  mouse.cursor = {-5, 10};
  EXPECT_EQ(mouse.ScaleMouseToScreen(640, 480, 800, 600).x, -6) << "-6.25 truncates toward zero";
  EXPECT_EQ(mouse.ScaleMouseToScreen(0, 0, 800, 600).x, 0);
}

}  // namespace
