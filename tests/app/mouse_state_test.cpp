// The mouse: which button messages click, and the cursor scaled to the menus' virtual screen (a quick click through
// the menus is covered by the front-end test).
#include <gtest/gtest.h>

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

TEST(MouseState, OnlyAFreshLeftPressClicksAndTheClickOutlastsAQuickRelease) {
  namespace wm = platform::wm;
  const struct {
    const char* what;
    std::vector<uint32_t> messages;
    bool clicked, held;
  } cases[] = {
      {"left press", {wm::kLButtonDown}, true, true},
      {"quick tap", {wm::kLButtonDown, wm::kLButtonUp}, true, false},
      {"right press", {wm::kRButtonDown}, false, false},
      {"right tap", {wm::kRButtonDown, wm::kRButtonUp}, false, false},
      {"release alone", {wm::kLButtonUp}, false, false},
      {"other message", {wm::kMouseMove}, false, false},
  };
  for (const auto& c : cases) {
    app::MouseState mouse;
    for (uint32_t message : c.messages) mouse.HandleMouseMessage(message);
    EXPECT_EQ(mouse.IsKeyPressed(0), c.clicked) << c.what;
    EXPECT_EQ(mouse.leftHeld == 1, c.held) << c.what;
    EXPECT_FALSE(mouse.IsKeyPressed(1)) << c.what;
  }
  // Held from an earlier frame: another down message is not a fresh press.
  app::MouseState mouse;
  mouse.HandleMouseMessage(wm::kLButtonDown);
  mouse.ClearMouseClicks();
  mouse.HandleMouseMessage(wm::kLButtonDown);
  EXPECT_FALSE(mouse.IsKeyPressed(0));
}

}  // namespace
