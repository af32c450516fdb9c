// Mouse state from button messages and the cursor scaled to the menus' virtual screen.
#include <gtest/gtest.h>

#include "app/mouse_state.h"
#include "platform/null_window_system.h"

namespace {

using app::MouseState;
namespace wm = platform::wm;

TEST(MouseState, ClicksAreSeenOncePerPressOfEachButton) {
  MouseState mouse;
  mouse.HandleMouseMessage(wm::kLButtonDown);
  EXPECT_EQ(mouse.leftClicked, 1);
  EXPECT_EQ(mouse.leftHeld, 1);
  EXPECT_TRUE(mouse.IsKeyPressed(0));
  EXPECT_FALSE(mouse.IsKeyPressed(1));
  mouse.ClearMouseClicks();
  mouse.HandleMouseMessage(wm::kLButtonDown);  // still held: no new click
  EXPECT_EQ(mouse.leftClicked, 0);
  mouse.HandleMouseMessage(wm::kLButtonDblClk);  // changes nothing
  EXPECT_EQ(mouse.leftClicked, 0);
  EXPECT_EQ(mouse.leftHeld, 1);
  mouse.HandleMouseMessage(wm::kLButtonUp);
  EXPECT_EQ(mouse.leftHeld, 0);

  mouse.HandleMouseMessage(wm::kRButtonDown);
  EXPECT_EQ(mouse.rightClicked, 1);
  EXPECT_EQ(mouse.rightHeld, 1);
  EXPECT_EQ(mouse.leftClicked, 0);
  mouse.HandleMouseMessage(wm::kRButtonUp);
  EXPECT_EQ(mouse.rightClicked, 1) << "a tap within one frame still clicks";
  EXPECT_EQ(mouse.rightHeld, 0);
  mouse.ClearMouseClicks();

  mouse.HandleMouseMessage(wm::kMButtonDown);
  mouse.HandleMouseMessage(wm::kMouseMove);
  EXPECT_EQ(mouse.leftClicked + mouse.rightClicked + mouse.leftHeld + mouse.rightHeld, 0);

  mouse.HandleMouseMessage(wm::kLButtonDown);
  mouse.HandleMouseMessage(wm::kRButtonDown);
  mouse.ResetMouseButtons();
  EXPECT_EQ(mouse.leftClicked + mouse.rightClicked + mouse.leftHeld + mouse.rightHeld, 0);
}

TEST(MouseState, ScalingTruncatesTowardZero) {
  MouseState mouse;
  mouse.cursor = {1023, 767};
  const app::CursorPosition scaled = mouse.ScaleMouseToScreen(1024, 768, 640, 480);
  EXPECT_EQ(scaled.x, 639);
  EXPECT_EQ(scaled.y, 479);
  EXPECT_EQ(mouse.scaledCursor.x, 639);

  mouse.cursor = {333, 222};
  EXPECT_EQ(mouse.ScaleMouseToScreen(800, 600, 800, 600).x, 333) << "a window as large as the virtual screen";
  EXPECT_EQ(mouse.scaledCursor.y, 222);

  mouse.cursor = {-5, 10};
  const app::CursorPosition outside = mouse.ScaleMouseToScreen(640, 480, 800, 600);
  EXPECT_EQ(outside.x, -6) << "-6.25 truncates toward zero";
  EXPECT_EQ(outside.y, 12);

  EXPECT_EQ(mouse.ScaleMouseToScreen(0, 0, 800, 600).x, 0) << "a zero window size never divides by zero";
}

TEST(MouseState, CursorComesFromTheWindowSystemInClientCoordinates) {
  platform::NullWindowSystem windows;
  const platform::WindowHandle window = windows.CreateWindow("t", 0, 640, 480, nullptr);
  ASSERT_NE(window, 0u);
  windows.SetCursorPos({120, 45});
  MouseState mouse;
  mouse.GetCursorClientPos(windows, window);
  const platform::Point expected = windows.ScreenToClient(window, {120, 45});
  EXPECT_EQ(mouse.cursor.x, expected.x);
  EXPECT_EQ(mouse.cursor.y, expected.y);
  mouse.cursor = {0, 0};
  mouse.ScaleMouseToScreen(640, 480, 800, 600);
  EXPECT_EQ(mouse.scaledCursor.x, 0) << "scaling does not read the cursor again";
}

}  // namespace
