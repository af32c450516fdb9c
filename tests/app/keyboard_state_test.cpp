// Keyboard state from key messages: held and pressed-this-frame flags.
#include <gtest/gtest.h>

#include "app/keyboard_state.h"
#include "platform/window_system.h"

namespace {

using app::KeyboardState;
namespace wm = platform::wm;

TEST(KeyboardState, PressIsSeenOnceWhileTheKeyIsHeld) {
  KeyboardState keys;
  EXPECT_FALSE(keys.IsKeyHeld('A'));
  keys.HandleKeyMessage(wm::kKeyDown, 'A');
  EXPECT_TRUE(keys.IsKeyPressed('A'));
  EXPECT_TRUE(keys.IsKeyHeld('A'));
  keys.ClearKeyPresses();
  EXPECT_FALSE(keys.IsKeyPressed('A'));
  EXPECT_TRUE(keys.IsKeyHeld('A'));

  keys.HandleKeyMessage(wm::kKeyDown, 'A');  // auto-repeat
  EXPECT_FALSE(keys.IsKeyPressed('A'));

  keys.HandleKeyMessage(wm::kKeyUp, 'A');
  EXPECT_FALSE(keys.IsKeyHeld('A'));
  keys.HandleKeyMessage(wm::kKeyDown, 'A');
  EXPECT_TRUE(keys.IsKeyPressed('A'));
}

TEST(KeyboardState, APressAndReleaseInOneFrameCountsOnce) {
  KeyboardState keys;
  for (int tap = 0; tap < 2; ++tap) {
    keys.HandleKeyMessage(wm::kKeyDown, platform::vk::kSpace);
    keys.HandleKeyMessage(wm::kKeyUp, platform::vk::kSpace);
  }
  EXPECT_TRUE(keys.IsKeyPressed(platform::vk::kSpace));
  EXPECT_FALSE(keys.IsKeyHeld(platform::vk::kSpace));
  keys.ClearKeyPresses();
  EXPECT_FALSE(keys.IsKeyPressed(platform::vk::kSpace)) << "seen by one frame only";
}

TEST(KeyboardState, OtherMessagesAndOutOfRangeKeysChangeNothing) {
  KeyboardState keys;
  keys.HandleKeyMessage(wm::kChar, 'B');
  keys.HandleKeyMessage(wm::kSysKeyDown, 'B');
  EXPECT_FALSE(keys.IsKeyHeld('B'));
  keys.HandleKeyMessage(wm::kKeyDown, 511);
  EXPECT_TRUE(keys.IsKeyHeld(511));
  keys.HandleKeyMessage(wm::kKeyDown, 512);
  keys.HandleKeyMessage(wm::kKeyDown, static_cast<uintptr_t>(-1));
  EXPECT_FALSE(keys.IsKeyHeld(512));
  EXPECT_FALSE(keys.IsKeyPressed(static_cast<uintptr_t>(-1)));

  keys.HandleKeyMessage(wm::kKeyDown, 'C');
  keys.ClearAllKeys();
  EXPECT_FALSE(keys.IsKeyHeld('C'));
  EXPECT_FALSE(keys.IsKeyPressed('C'));
  EXPECT_FALSE(keys.IsKeyHeld(511));
}

}  // namespace
