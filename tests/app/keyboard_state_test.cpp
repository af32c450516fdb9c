// Keyboard state from key messages: held and pressed-this-frame flags (a quick tap is covered by the front-end test).
#include <gtest/gtest.h>

#include "app/keyboard_state.h"
#include "platform/window_system.h"

namespace {

namespace wm = platform::wm;

TEST(KeyboardState, APressIsSeenOnceAndKeysOutsideTheTableAreIgnored) {
  app::KeyboardState keys;
  keys.HandleKeyMessage(wm::kKeyDown, 'A');
  EXPECT_TRUE(keys.IsKeyPressed('A'));
  keys.ClearKeyPresses();
  keys.HandleKeyMessage(wm::kKeyDown, 'A');  // auto-repeat
  EXPECT_FALSE(keys.IsKeyPressed('A'));
  EXPECT_TRUE(keys.IsKeyHeld('A'));
  keys.HandleKeyMessage(wm::kChar, 'B');
  keys.HandleKeyMessage(wm::kKeyDown, 512);
  keys.HandleKeyMessage(wm::kKeyDown, static_cast<uintptr_t>(-1));
  EXPECT_FALSE(keys.IsKeyHeld('B'));
  EXPECT_FALSE(keys.IsKeyHeld(512));
  keys.ClearAllKeys();
  EXPECT_FALSE(keys.IsKeyHeld('A'));
}

}  // namespace
