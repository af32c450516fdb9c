// The cursor scaled to the menus' virtual screen (a quick click is covered by the front-end test).
#include <gtest/gtest.h>

#include "app/mouse_state.h"

namespace {

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
