// The mouse: which button messages click, and the cursor scaled to the menus' virtual screen (a quick click through
// the menus is covered by the front-end test).
#include <gtest/gtest.h>

#include <utility>
#include <vector>

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

// Each button on its own: a fresh press clicks, the click outlasts a quick release until it is consumed, and a
// button's messages never touch the other button.
TEST(MouseState, OnlyAFreshPressClicksAndTheClickOutlastsAQuickRelease) {
  namespace wm = platform::wm;
  const struct {
    const char* what;
    std::vector<uint32_t> messages;
    bool leftClicked, leftHeld, rightClicked, rightHeld;
  } cases[] = {
      {"left press", {wm::kLButtonDown}, true, true, false, false},
      {"quick tap", {wm::kLButtonDown, wm::kLButtonUp}, true, false, false, false},
      {"right press", {wm::kRButtonDown}, false, false, true, true},
      {"right tap", {wm::kRButtonDown, wm::kRButtonUp}, false, false, true, false},
      {"both pressed, right let go", {wm::kLButtonDown, wm::kRButtonDown, wm::kRButtonUp}, true, true, true, false},
      {"release alone", {wm::kLButtonUp}, false, false, false, false},
      {"right release alone", {wm::kRButtonUp}, false, false, false, false},
      {"double click", {wm::kLButtonDblClk}, false, false, false, false},
      {"middle button", {wm::kMButtonDown}, false, false, false, false},
      {"other message", {wm::kMouseMove}, false, false, false, false},
  };
  for (const auto& c : cases) {
    app::MouseState mouse;
    for (uint32_t message : c.messages) mouse.HandleMouseMessage(message);
    EXPECT_EQ(mouse.IsKeyPressed(0), c.leftClicked) << c.what;
    EXPECT_EQ(mouse.leftHeld == 1, c.leftHeld) << c.what;
    EXPECT_EQ(mouse.IsKeyPressed(1), c.rightClicked) << c.what;
    EXPECT_EQ(mouse.rightClicked == 1, c.rightClicked) << c.what;
    EXPECT_EQ(mouse.rightHeld == 1, c.rightHeld) << c.what;
  }
  // Held from an earlier frame: another down message is not a fresh press, for either button.
  for (const auto& [down, button] : {std::pair{wm::kLButtonDown, 0}, std::pair{wm::kRButtonDown, 1}}) {
    app::MouseState mouse;
    mouse.HandleMouseMessage(down);
    mouse.ClearMouseClicks();
    EXPECT_FALSE(mouse.IsKeyPressed(button)) << "consumed, button " << button;
    mouse.HandleMouseMessage(down);
    EXPECT_FALSE(mouse.IsKeyPressed(button)) << "still held, button " << button;
    mouse.ResetMouseButtons();
    EXPECT_EQ(mouse.leftHeld + mouse.rightHeld + mouse.leftClicked + mouse.rightClicked, 0) << button;
    mouse.HandleMouseMessage(down);
    EXPECT_TRUE(mouse.IsKeyPressed(button)) << "after a reset the next press is fresh, button " << button;
  }
}

}  // namespace
